#pragma once
// The book's chapters: the chapter list and the moves to the previous and next chapter,
// and the title of the chapter on show (the window title and the menu tooltip name it).
// The headings are found once for each text and found again when the text changes. The
// list says how long the rest of the chapter and the book take at the reader's speed.

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
class ReadingPace;

class BookChapters : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        BookView &bookView;
        ChapterPanel &chapterPanel;
        const ReadingPace &pace;
    };
    BookChapters(Parts parts, QWidget *window);

    // The headings of the text on show.
    const std::vector<core::Chapter> &list();

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
    // A chapter was shown: `from` (the first character of the spread before) is a place to
    // come back to.
    void jumped(qint64 from);

  private:
    void showSpreadAt(int64_t topLine);

    core::ReaderState &m_state;
    BookView &m_bookView;
    ChapterPanel &m_chapterPanel;
    const ReadingPace &m_pace;
    QWidget *m_window;
    std::vector<core::Chapter> m_chapters;
    std::optional<uint64_t> m_chaptersVersion;
};

} // namespace tibbo::window
