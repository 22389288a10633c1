#pragma once
// The chapter list (目录): every heading of the book with the page it starts on, the
// current chapter marked and scrolled into view, and under the caption how long the rest
// of the chapter and the book take at the reader's speed. A click on a heading (or Enter on it)
// jumps there; 关闭 closes the list, and so does Esc (the key table's).

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tibbo::window {

class ChapterPanel : public QWidget
{
    Q_OBJECT
  public:
    struct Entry
    {
        QString title;
        int64_t page = 1;
        // What the health check found at this chapter; empty when nothing.
        QString problem;
    };

    explicit ChapterPanel(QWidget *parent);

    // Shows the headings over the pages, centred in the window, with entry `current`
    // (-1: none) marked; `timeLeft` (lines, empty for none) under the caption.
    void open(const std::vector<Entry> &entries, int current, const QString &timeLeft = QString());

    // The index of the entry selected in the list; -1 when none.
    int selectedIndex() const;

  public slots:
    // Selects the next entry with a problem after the selected one, from the top after
    // the last.
    void selectNextProblem();

  signals:
    void chapterChosen(int index);
    void rulesRequested();

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void build();

    QLabel *m_caption = nullptr;
    QLabel *m_timeLeft = nullptr;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_nextProblem = nullptr;
    std::vector<int> m_problemRows;
};

} // namespace tibbo::window
