#pragma once
// Finding words in the book: the search prompt, and the moves to the next and previous
// occurrence from the spread on show, round the ends of the book. Words typed in either
// script are found (头发 finds 頭髮).

#include "state/readerstate.h"

#include <QObject>

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace tibbo::window {

class BookView;
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

  signals:
    void menuCloseRequested();
    // A search moved the reader from the spread whose first character is `from`. A search
    // that goes on from the match on show is not one: going back returns to where the
    // search began.
    void jumped(qint64 from);

  private:
    // "第 k / N 处" for the match at `offset` of the words last searched for (any form).
    QString countOf(int64_t offset);

    core::ReaderState &m_state;
    BookView &m_bookView;
    SearchPanel &m_searchPanel;
    // The last match, so the next search starts after it while it is on show.
    std::optional<int64_t> m_lastHit;
    // Every match of the words last counted (any of their forms), in the text they were
    // counted in: the box says which of them is on show ("第 k / N 处").
    std::u32string m_countedWords;
    uint64_t m_countedVersion = 0;
    std::vector<int64_t> m_matches;
    // The forms of the last words searched for.
    std::u32string m_formsOf;
    std::vector<std::u32string> m_forms;
};

} // namespace tibbo::window
