#include "bookwayback.h"

#include "bookview.h"

#include "pages/pages.h"
#include "state/readerstate.h"

namespace tibbo::window {

BookWayBack::BookWayBack(core::ReaderState &state, BookView &bookView, QObject *parent)
    : QObject(parent), m_state(state), m_bookView(bookView)
{
    // A new text forgets the way; the menu's caption follows.
    connect(&m_bookView, &BookView::spreadShown, this, &BookWayBack::onSpreadShown);
}

bool BookWayBack::canGoBack() const
{
    return m_way.canGoBack(m_state.textVersion);
}

bool BookWayBack::canGoForward() const
{
    return m_way.canGoForward(m_state.textVersion);
}

void BookWayBack::remember(qint64 from)
{
    m_way.remember(from, m_state.textVersion);
    onSpreadShown();
}

void BookWayBack::show(int64_t offset)
{
    m_state.topLine = core::spreadOfOffset(m_state, offset);
    m_bookView.showSpread(m_state);
    emit menuCloseRequested();
}

void BookWayBack::goBack()
{
    if (!m_state.lineEndsFitText())
        return;
    if (const auto place = m_way.back(core::charactersOnShow(m_state).from, m_state.textVersion))
        show(*place);
}

void BookWayBack::goForward()
{
    if (!m_state.lineEndsFitText())
        return;
    if (const auto place = m_way.forward(core::charactersOnShow(m_state).from, m_state.textVersion))
        show(*place);
}

void BookWayBack::onSpreadShown()
{
    const bool can = canGoBack();
    if (can != m_couldGoBack) {
        m_couldGoBack = can;
        emit wayBackChanged(can);
    }
}

} // namespace tibbo::window
