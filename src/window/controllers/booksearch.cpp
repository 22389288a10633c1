#include "booksearch.h"

#include "bookchapters.h"
#include "bookscript.h"
#include "bookview.h"
#include "entrylistpanel.h"
#include "searchpanel.h"

#include "navigation/scriptsearch.h"
#include "navigation/search.h"
#include "pages/pages.h"

#include <algorithm>

namespace tibbo::window {

BookSearch::BookSearch(Parts parts, QObject *parent)
    : QObject(parent), m_state(parts.state), m_bookView(parts.bookView),
      m_searchPanel(parts.searchPanel), m_resultList(parts.resultList), m_chapters(parts.chapters)
{
    BookScript &script = parts.script;
    m_hitsModel = new SearchHitsModel(
        m_state, [&script](const std::u32string &text) { return script.shown(text); }, this);
    // The band on the match belongs to the search: it goes with the prompt, and so does
    // the list of its matches.
    connect(&m_searchPanel, &SearchPanel::closed, this, [this] {
        m_bookView.setMarks(TextMark::SearchHit, {});
        m_resultList.hide();
    });
    connect(&m_resultList, &EntryListPanel::rowChosen, this, &BookSearch::onListRowChosen);
    // Another text on show (another book, or a book opened again): the list's matches were
    // found in the old one.
    // A re-flow (the window resized) moves the matches to other pages.
    connect(&m_bookView, &BookView::spreadShown, this, [this] {
        if (!m_resultList.isVisible())
            return;
        if (!m_hitsModel->matchAt(0))
            m_resultList.hide();
        else
            m_hitsModel->refreshRows();
    });
}

void BookSearch::open()
{
    emit menuCloseRequested();
    m_searchPanel.open();
}

void BookSearch::openWith(const QString &words)
{
    emit menuCloseRequested();
    m_searchPanel.openWith(words);
}

bool BookSearch::takeWords()
{
    const std::u32string needle = m_searchPanel.needle().toStdU32String();
    if (needle.empty())
        return false;
    // The words as typed and as each conversion writes them: a word typed in either
    // script is found, whatever script the book is written or shown in.
    if (needle != m_formsOf) {
        m_forms = core::searchForms(needle);
        m_formsOf = needle;
    }
    return true;
}

void BookSearch::find(bool forward)
{
    if (!takeWords()) {
        open();
        return;
    }
    // From the last match while it is still on show, else from the spread on show.
    const core::CharacterRange shown = core::charactersOnShow(m_state);
    const bool lastOnShow = m_lastHit && *m_lastHit >= shown.from && *m_lastHit < shown.to;
    const int64_t from = lastOnShow ? (forward ? *m_lastHit + 1 : *m_lastHit) : shown.from;
    const auto hit = core::findInEitherScript(m_state.paragraphText, m_forms, from, forward);
    if (!hit) {
        m_searchPanel.setNote(QStringLiteral("找不到“%1”").arg(m_searchPanel.needle()));
        return;
    }
    showMatch(hit->offset, hit->length, shown.from, lastOnShow);
    if (hit->wrapped)
        m_searchPanel.setNote(countOf(hit->offset) +
                              (forward ? QStringLiteral("，已到书尾,从头开始找到的")
                                       : QStringLiteral("，已到书头,从尾开始找到的")));
}

void BookSearch::openList()
{
    if (!takeWords()) {
        open();
        return;
    }
    const auto &all = matches();
    if (all.empty()) {
        m_searchPanel.setNote(QStringLiteral("找不到“%1”").arg(m_searchPanel.needle()));
        return;
    }
    // The match on show is selected; else the first one after the spread on show.
    const core::CharacterRange shown = core::charactersOnShow(m_state);
    const bool lastOnShow = m_lastHit && *m_lastHit >= shown.from && *m_lastHit < shown.to;
    const int64_t near = lastOnShow ? *m_lastHit : shown.from;
    const auto at = std::lower_bound(
        all.begin(), all.end(), near,
        [](const SearchHitsModel::Match &m, int64_t offset) { return m.offset < offset; });
    const int current = at == all.end() ? 0 : static_cast<int>(at - all.begin());
    m_hitsModel->setMatches(all, m_chapters.list(), m_state.textVersion);
    m_resultList.open(QStringLiteral("“%1” 共 %2 处").arg(m_searchPanel.needle()).arg(all.size()),
                      m_hitsModel, current);
}

void BookSearch::onListRowChosen(int row)
{
    const auto match = m_hitsModel->matchAt(row);
    if (!match)
        return;
    showMatch(match->offset, match->length, core::charactersOnShow(m_state).from, false);
}

void BookSearch::showMatch(int64_t offset, int64_t length, int64_t from, bool goesOn)
{
    m_lastHit = offset;
    m_searchPanel.setNote(countOf(offset));
    const int64_t before = std::exchange(m_state.topLine, core::spreadOfOffset(m_state, offset));
    m_bookView.showSpread(m_state);
    if (!goesOn && m_state.topLine != before)
        emit jumped(from);
    // The matched characters, not the whole line, get a band, and the prompt moves off
    // the line where the match starts.
    m_bookView.setMarks(TextMark::SearchHit, {{offset, offset + length}});
    const auto index =
        static_cast<int>(core::lineHolding(m_state.lineEnds, offset) - m_state.topLine);
    m_searchPanel.keepClearOf(m_bookView.lineGeometry(index));
}

const std::vector<SearchHitsModel::Match> &BookSearch::matches()
{
    if (m_formsOf != m_countedWords || m_state.textVersion != m_countedVersion) {
        // The matches of every form of the words, each place once (the longest form there).
        m_matches.clear();
        for (const std::u32string &form : m_forms) {
            const auto length = static_cast<int64_t>(form.size());
            for (const int64_t offset : core::allMatches(m_state.paragraphText, form))
                m_matches.push_back({offset, length});
        }
        std::sort(m_matches.begin(), m_matches.end(), [](const auto &a, const auto &b) {
            return a.offset != b.offset ? a.offset < b.offset : a.length > b.length;
        });
        m_matches.erase(
            std::unique(m_matches.begin(), m_matches.end(),
                        [](const auto &a, const auto &b) { return a.offset == b.offset; }),
            m_matches.end());
        m_countedWords = m_formsOf;
        m_countedVersion = m_state.textVersion;
    }
    return m_matches;
}

QString BookSearch::countOf(int64_t offset)
{
    const auto &all = matches();
    // A match inside one counted before it (a needle that repeats itself) counts as the
    // next one counted.
    const auto at = std::lower_bound(
        all.begin(), all.end(), offset,
        [](const SearchHitsModel::Match &m, int64_t value) { return m.offset < value; });
    const auto k = std::min<int64_t>(at - all.begin() + 1, std::ssize(all));
    return QStringLiteral("第 %1 / %2 处").arg(k).arg(all.size());
}

} // namespace tibbo::window
