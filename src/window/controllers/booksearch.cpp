#include "booksearch.h"

#include "bookview.h"
#include "searchpanel.h"

#include "navigation/scriptsearch.h"
#include "pages/pages.h"

#include <utility>

namespace tibbo::window {

BookSearch::BookSearch(Parts parts, QObject *parent)
    : QObject(parent), m_state(parts.state), m_bookView(parts.bookView),
      m_searchPanel(parts.searchPanel)
{
    connect(&m_searchPanel, &SearchPanel::searchRequested, this, &BookSearch::find);
    // The found line's highlight belongs to the search: it goes with the prompt.
    connect(&m_searchPanel, &SearchPanel::closed, this,
            [this] { m_bookView.clearHighlight(std::exchange(m_hitLine, -1)); });
}

void BookSearch::open()
{
    emit menuCloseRequested();
    m_searchPanel.open();
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
    m_searchPanel.setNote(!hit->wrapped ? QString()
                          : forward     ? QStringLiteral("已到书尾,从头开始找到的")
                                        : QStringLiteral("已到书头,从尾开始找到的"));
    m_state.topLine = core::spreadOfOffset(m_state, hit->offset);
    m_bookView.showSpread(m_state);
    // The line holding the match is highlighted as a chosen line would be, and the
    // prompt moves off it.
    const auto index =
        static_cast<int>(core::lineHolding(m_state.lineEnds, hit->offset) - m_state.topLine);
    m_bookView.highlightLine(index);
    m_hitLine = index;
    m_searchPanel.keepClearOf(m_bookView.lineGeometry(index));
}

} // namespace tibbo::window
