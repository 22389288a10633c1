#include "booksearch.h"

#include "bookview.h"
#include "searchpanel.h"

#include "navigation/scriptsearch.h"
#include "navigation/search.h"
#include "pages/pages.h"

#include <algorithm>

namespace tibbo::window {

BookSearch::BookSearch(Parts parts, QObject *parent)
    : QObject(parent), m_state(parts.state), m_bookView(parts.bookView),
      m_searchPanel(parts.searchPanel)
{
    connect(&m_searchPanel, &SearchPanel::searchRequested, this, &BookSearch::find);
    // The band on the match belongs to the search: it goes with the prompt.
    connect(&m_searchPanel, &SearchPanel::closed, this,
            [this] { m_bookView.setMarks(TextMark::SearchHit, {}); });
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

void BookSearch::find(bool forward)
{
    const std::u32string needle = m_searchPanel.needle().toStdU32String();
    if (needle.empty()) {
        open();
        return;
    }
    // From the last match while it is still on show, else from the spread on show.
    const core::CharacterRange shown = core::charactersOnShow(m_state);
    const bool lastOnShow = m_lastHit && *m_lastHit >= shown.from && *m_lastHit < shown.to;
    const int64_t from = lastOnShow ? (forward ? *m_lastHit + 1 : *m_lastHit) : shown.from;
    // The words as typed and as each conversion writes them: a word typed in either
    // script is found, whatever script the book is written or shown in.
    if (needle != m_formsOf) {
        m_forms = core::searchForms(needle);
        m_formsOf = needle;
    }
    const auto hit = core::findInEitherScript(m_state.paragraphText, m_forms, from, forward);
    if (!hit) {
        m_searchPanel.setNote(QStringLiteral("找不到“%1”").arg(m_searchPanel.needle()));
        return;
    }
    m_lastHit = hit->offset;
    const QString count = countOf(hit->offset);
    m_searchPanel.setNote(!hit->wrapped ? count
                          : forward ? count + QStringLiteral("，已到书尾,从头开始找到的")
                                    : count + QStringLiteral("，已到书头,从尾开始找到的"));
    const int64_t before =
        std::exchange(m_state.topLine, core::spreadOfOffset(m_state, hit->offset));
    m_bookView.showSpread(m_state);
    if (!lastOnShow && m_state.topLine != before)
        emit jumped(shown.from);
    // The matched characters, not the whole line, get a band, and the prompt moves off
    // the line where the match starts.
    m_bookView.setMarks(TextMark::SearchHit, {{hit->offset, hit->offset + hit->length}});
    const auto index =
        static_cast<int>(core::lineHolding(m_state.lineEnds, hit->offset) - m_state.topLine);
    m_searchPanel.keepClearOf(m_bookView.lineGeometry(index));
}

QString BookSearch::countOf(int64_t offset)
{
    if (m_formsOf != m_countedWords || m_state.textVersion != m_countedVersion) {
        // The matches of every form of the words, each place once.
        m_matches.clear();
        for (const std::u32string &form : m_forms) {
            const std::vector<int64_t> ofForm = core::allMatches(m_state.paragraphText, form);
            m_matches.insert(m_matches.end(), ofForm.begin(), ofForm.end());
        }
        std::sort(m_matches.begin(), m_matches.end());
        m_matches.erase(std::unique(m_matches.begin(), m_matches.end()), m_matches.end());
        m_countedWords = m_formsOf;
        m_countedVersion = m_state.textVersion;
    }
    // A match inside one counted before it (a needle that repeats itself) counts as the
    // next one counted.
    const auto at = std::lower_bound(m_matches.begin(), m_matches.end(), offset);
    const auto k = std::min<int64_t>(at - m_matches.begin() + 1, std::ssize(m_matches));
    return QStringLiteral("第 %1 / %2 处").arg(k).arg(m_matches.size());
}

} // namespace tibbo::window
