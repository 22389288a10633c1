#pragma once
// Finding one's way in the book: the chapter list and the moves to the previous and next
// chapter, the search with its prompt, and what the window title and the book-information
// tooltip say about the place (the current chapter, the share of the book read). The
// headings are found once for each text and found again when the text changes.

#include "navigation/chapters.h"
#include "state/readerstate.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class QWidget;

namespace tibbo::window {

class BookView;
class ChapterPanel;
class SearchPanel;

class BookFinder : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        BookView &bookView;
        ChapterPanel &chapterPanel;
        SearchPanel &searchPanel;
    };
    BookFinder(Parts parts, QWidget *window);

    // The title of the chapter the spread on show belongs to; empty before the first one.
    QString currentChapterTitle();
    // "37.5%": the share of the book before the spread on show.
    QString progressCaption() const;

  public slots:
    void openChapterList();
    void nextChapter();
    void previousChapter();
    void openSearch();
    // Finds the next (forward) or previous occurrence of the words in the search box.
    void search(bool forward);

  signals:
    // The spread on show changed by a chapter move or a search.
    void spreadChanged();
    void menuCloseRequested();

  private:
    const std::vector<core::Chapter> &chapters();
    void showSpreadAt(int64_t topLine);
    int64_t firstCharacterOnShow() const;

    core::ReaderState &m_state;
    BookView &m_bookView;
    ChapterPanel &m_chapterPanel;
    SearchPanel &m_searchPanel;
    QWidget *m_window;
    std::vector<core::Chapter> m_chapters;
    std::optional<uint64_t> m_chaptersVersion;
    // The last match, so the next search starts after it while it is on show.
    std::optional<int64_t> m_lastHit;
    // The display line the last match highlighted, while it may still be on show.
    int m_hitLine = -1;
};

} // namespace tibbo::window
