#pragma once
// The book's chapters: the chapter list and the moves to the previous and next chapter,
// and the title of the chapter on show (the window title and the menu tooltip name it).
// The headings are found once for each text and found again when the text changes.

#include "state/readerstate.h"
#include "text/headings.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class QWidget;

namespace tibbo::window {

class BookView;
class ChapterPanel;

class BookChapters : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        BookView &bookView;
        ChapterPanel &chapterPanel;
    };
    BookChapters(Parts parts, QWidget *window);

    // The title of the chapter the spread on show belongs to; empty before the first one.
    QString currentTitle();
    // Where the chapter holding character `offset` ends: the next heading's offset, or the
    // end of the text.
    int64_t chapterEndAfter(int64_t offset);

  public slots:
    void openList();
    void showNext();
    void showPrevious();

  signals:
    void menuCloseRequested();

  private:
    const std::vector<core::Chapter> &chapters();
    void showSpreadAt(int64_t topLine);

    core::ReaderState &m_state;
    BookView &m_bookView;
    ChapterPanel &m_chapterPanel;
    QWidget *m_window;
    std::vector<core::Chapter> m_chapters;
    std::optional<uint64_t> m_chaptersVersion;
};

} // namespace tibbo::window
