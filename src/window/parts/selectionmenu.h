#pragma once
// The small menu beside a selection on the pages, in the window's own style (a light blue
// rounded panel with the panels' buttons): 复制, 查词, 搜索 and 从这里朗读, and below them 划线
// with its four colours and 笔记; on a highlight also 删除 (the highlight). It takes no keyboard
// focus: the keys stay the pages' (Ctrl+C copies, Esc clears the selection, a page key
// turns and so clears it).

#include <QWidget>

#include "theme.h"

#include <vector>

namespace tibbo::window {

class SelectionMenu : public QWidget
{
    Q_OBJECT
  public:
    explicit SelectionMenu(QWidget *parent);

    // Opens beside `area` (the window's coordinates, where the selection is drawn): under
    // it when there is room, else over it, always inside the window.
    // `onHighlight`: the selection lies in a highlight, which 删除 deletes and whose note
    // 笔记 edits.
    void open(const QRect &area, bool onHighlight = false);

  signals:
    void copyChosen();
    void lookUpChosen();
    void searchChosen();
    void readAloudChosen();
    // colour: 0 .. 3, as the swatches stand (yellow, green, pink, violet).
    void highlightChosen(int colour);
    void noteChosen();
    void deleteChosen();

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    std::vector<QWidget *> m_row;
    QWidget *m_delete = nullptr;
};

} // namespace tibbo::window
