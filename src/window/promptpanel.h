#pragma once
// Picture2: the small prompt shared by go-to-page and the automatic-turn interval.

#include <QWidget>

class QLineEdit;

namespace tibbo::window {

class CaptionLabel;
class PanelButton;
class Picture;

class PromptPanel : public QWidget
{
    Q_OBJECT
  public:
    explicit PromptPanel(QWidget *parent);

    CaptionLabel *Label5_5 = nullptr; // the question
    QLineEdit *Text1 = nullptr;       // the answer; selects all on focus
    PanelButton *Command2 = nullptr;  // 确定
    PanelButton *Command3 = nullptr;  // 取消
    Picture *Image12 = nullptr;       // increase
    Picture *Image13 = nullptr;       // decrease

  signals:
    void enterPressed();
    void escapePressed();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tibbo::window
