#pragma once
// Finding words in the book: the search prompt, the moves to the next and previous
// occurrence from the spread on show, round the ends of the book, and the list of every
// occurrence with a line of the book around it. Words typed in either script are found
// (头发 finds 頭髮).

#include "searchhitsmodel.h"
#include "state/readerstate.h"

#include <QObject>

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace tibbo::window {

class BookChapters;
class BookScript;
class BookView;
class EntryListPanel;
class SearchPanel;

class BookSearch : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        BookView &bookView;
        SearchPanel &searchPanel;
        EntryListPanel &resultList;
        BookChapters &chapters;
        BookScript &script;
    };
    BookSearch(Parts parts, QObject *parent);

  public slots:
    void open();
    // The prompt with `words` in it (a selection's), ready for Return to find them.
    void openWith(const QString &words);
    // The next (forward) or previous occurrence of the words in the search box; without
    // words, the prompt opens.
    void find(bool forward);
    void findNext() { find(true); }
    void findPrevious() { find(false); }
    // The list of every occurrence of the words in the search box, in book order, the one
    // on show (or the first after the spread on show) selected; a click on one shows it.
    // Without words, the prompt opens.
    void openList();

  signals:
    void menuCloseRequested();
    // A search moved the reader from the spread whose first character is `from`. A search
    // that goes on from the match on show is not one: going back returns to where the
    // search began.
    void jumped(qint64 from);

  private:
    // The forms of the words in the box; false when the box is empty.
    bool takeWords();
    // Every match of the words last taken (any of their forms), counted once per text.
    const std::vector<SearchHitsModel::Match> &matches();
    // "第 k / N 处" for the match at `offset` of the words last searched for (any form).
    QString countOf(int64_t offset);
    // Shows the spread holding the match and marks it; the way back remembers the spread
    // left (`from`) unless `goesOn` (the search went on from the match on show).
    void showMatch(int64_t offset, int64_t length, int64_t from, bool goesOn);
    void onListRowChosen(int row);

    core::ReaderState &m_state;
    BookView &m_bookView;
    SearchPanel &m_searchPanel;
    EntryListPanel &m_resultList;
    BookChapters &m_chapters;
    SearchHitsModel *m_hitsModel = nullptr;
    // The last match, so the next search starts after it while it is on show.
    std::optional<int64_t> m_lastHit;
    // Every match of the words last counted (any of their forms), in the text they were
    // counted in: the box says which of them is on show ("第 k / N 处").
    std::u32string m_countedWords;
    uint64_t m_countedVersion = 0;
    std::vector<SearchHitsModel::Match> m_matches;
    // The forms of the last words searched for.
    std::u32string m_formsOf;
    std::vector<std::u32string> m_forms;
};

} // namespace tibbo::window
