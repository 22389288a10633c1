#pragma once
// Picture4: the settings panel inside the menu panel. Edits live in the preview label
// and the boxes until OK carries them over to the page.

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;

namespace tibbo::window {

class CaptionLabel;
class PanelButton;

class SettingsPanel : public QWidget
{
  public:
    explicit SettingsPanel(QWidget *parent);

    CaptionLabel *Label5_10 = nullptr; // "当前字体:" and the preview's font name
    QListWidget *List5 = nullptr;      // installed font families
    CaptionLabel *Label5_11 = nullptr; // "当前字号:"
    QComboBox *Combo1 = nullptr;       // font size 6 .. 30
    CaptionLabel *Label5_12 = nullptr; // "当前行距:"
    QComboBox *Combo2 = nullptr;       // line spacing 0 .. 10
    CaptionLabel *Label5_13 = nullptr; // "上边距:"
    QComboBox *Combo3 = nullptr;       // top margin 10 .. 100
    CaptionLabel *Label5_14 = nullptr; // "下边距:"
    QComboBox *Combo4 = nullptr;       // bottom margin
    CaptionLabel *Label5_15 = nullptr; // "左边距:"
    QComboBox *Combo5 = nullptr;       // left margin
    CaptionLabel *Label5_16 = nullptr; // "右边距:"
    QComboBox *Combo6 = nullptr;       // right margin
    QWidget *Picture5 = nullptr;       // frame of the preview
    QLabel *Label8 = nullptr;          // the preview: the font the page will get
    QCheckBox *Check4 = nullptr;       // trim paragraphs when reading a file
    QCheckBox *Check1 = nullptr;       // underline
    QCheckBox *Check2 = nullptr;       // bold
    QCheckBox *Check3 = nullptr;       // italic
    PanelButton *Command4 = nullptr;   // 确定
    PanelButton *Command5 = nullptr;   // 取消

    // Asked on a mouse press on Check4 before it toggles; false refuses the change
    // (a book is still being read).
    std::function<bool()> check4MouseDown;

  protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    bool m_check4Refused = false;
};

} // namespace tibbo::window
