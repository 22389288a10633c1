#pragma once
// The small menu beside a selection on the pages, in the window's own style (a light blue
// rounded panel with the panels' buttons): 复制, 查词, 搜索 and 从这里朗读. It takes no keyboard
// focus: the keys stay the pages' (Ctrl+C copies, Esc clears the selection, a page key
// turns and so clears it).

#include <QWidget>

#include <vector>

namespace tibbo::window {

class SelectionMenu : public QWidget
{
    Q_OBJECT
  public:
    explicit SelectionMenu(QWidget *parent);

    // Opens beside `area` (the window's coordinates, where the selection is drawn): under
    // it when there is room, else over it, always inside the window.
    void open(const QRect &area);

  signals:
    void copyChosen();
    void lookUpChosen();
    void searchChosen();
    void readAloudChosen();

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    std::vector<QWidget *> m_row;
};

} // namespace tibbo::window
