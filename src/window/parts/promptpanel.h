#pragma once
// The small prompt shared by go-to-page and the automatic-turn interval: a question, an
// answer box with up and down arrows, OK and cancel. The answer box keeps the keyboard
// while the prompt is open; Enter and Esc in it are the key table's.

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

    // Opens the prompt at `place` (window coordinates, moved so the prompt lies wholly
    // inside its window) with the answer selected.
    void ask(const QString &question, const QString &answer, const QString &tooltip, QPoint place);
    QString answer() const;
    void setAnswer(const QString &answer);

  signals:
    void confirmed();
    void cancelled();
    void increaseRequested();
    void decreaseRequested();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

  private:
    CaptionLabel *m_question = nullptr;
    QLineEdit *m_answer = nullptr;
    PanelButton *m_okButton = nullptr;
    PanelButton *m_cancelButton = nullptr;
    Picture *m_increase = nullptr;
    Picture *m_decrease = nullptr;
};

} // namespace tibbo::window
