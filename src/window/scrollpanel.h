#pragma once
// Picture8: scroll mode. The whole book as running text in Text2, with a bar under it
// holding the start box, the speed slider and the way back to the pages.

#include <QWidget>

class QCheckBox;
class QLabel;
class QScrollBar;

namespace tibbo::window {

class PanelButton;
class ScrollText;

class ScrollPanel : public QWidget
{
  public:
    explicit ScrollPanel(QWidget *parent);

    ScrollText *Text2 = nullptr;     // the text area (shows a copy of the book text)
    QWidget *Picture9 = nullptr;     // the bar under the text, 19 px high
    QCheckBox *Check5 = nullptr;     // "滚动屏幕": scrolling on
    QScrollBar *HScroll1 = nullptr;  // milliseconds per step, 1 .. 300
    QLabel *Label10 = nullptr;       // "速度: 130"
    PanelButton *Command1 = nullptr; // "回到主界面"

  protected:
    void resizeEvent(QResizeEvent *event) override;
};

} // namespace tibbo::window
