#include "textselection.h"

#include "bookview.h"
#include "readingcommands.h"
#include "reflowjob.h"
#include "selectionmenu.h"

#include "pages/pages.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>

#include <algorithm>

namespace tibbo::window {

TextSelection::TextSelection(Parts parts, QObject *parent)
    : QObject(parent), m_state(parts.state), m_bookView(parts.bookView), m_menu(parts.menu),
      m_commands(parts.commands)
{
    m_edgeTimer = new QTimer(this);
    m_edgeTimer->setObjectName(QStringLiteral("selectionEdgeTimer"));
    m_edgeTimer->setInterval(kEdgeTurnMs);
    connect(m_edgeTimer, &QTimer::timeout, this, &TextSelection::turnAtEdge);
    connect(&m_bookView, &BookView::selectPressed, this, &TextSelection::onPressed);
    connect(&m_bookView, &BookView::selectMoved, this, &TextSelection::onMoved);
    connect(&m_bookView, &BookView::selectReleased, this, &TextSelection::onReleased);
    connect(&m_bookView, &BookView::wordPressed, this, &TextSelection::onWordPressed);
    connect(&m_bookView, &BookView::spreadShown, this, &TextSelection::onSpreadShown);
    // Made before the window's own handler of the re-flow, so this runs before the spread
    // of the new layout is shown.
    connect(&parts.reflowJob, &ReflowJob::finished, this, [this] { m_reflowed = true; });

    connect(&m_menu, &SelectionMenu::copyChosen, this, [this] {
        copy();
        m_menu.hide();
    });
    connect(&m_menu, &SelectionMenu::lookUpChosen, this, [this] {
        const QString selected = text();
        clear();
        emit lookUpRequested(selected);
    });
    connect(&m_menu, &SelectionMenu::readAloudChosen, this, [this] {
        if (const auto chosen = span()) {
            clear();
            emit readAloudRequested(chosen->from);
        }
    });
    connect(&m_menu, &SelectionMenu::searchChosen, this, [this] {
        // The words up to the first paragraph end: the search finds text within one.
        const QString words = text().section(QLatin1Char('\n'), 0, 0).trimmed();
        clear();
        emit searchRequested(words);
    });
    // The highlight commands act on the selection as it is, then clear it: the tint then
    // shows what was kept.
    const auto onSpan = [this](auto act) {
        return [this, act](auto... args) {
            if (const auto chosen = span()) {
                clear();
                act(*chosen, args...);
            }
        };
    };
    connect(&m_menu, &SelectionMenu::highlightChosen, this,
            onSpan([this](core::TextSpan chosen, int colour) {
                emit highlightRequested(chosen, colour);
            }));
    connect(&m_menu, &SelectionMenu::noteChosen, this,
            onSpan([this](core::TextSpan chosen) { emit noteRequested(chosen); }));
    connect(&m_menu, &SelectionMenu::deleteChosen, this,
            onSpan([this](core::TextSpan chosen) { emit deleteHighlightRequested(chosen); }));
}

std::optional<core::TextSpan> TextSelection::span() const
{
    if (m_anchor < 0 || m_focus < 0 || m_textVersion != m_state.textVersion)
        return std::nullopt;
    return core::TextSpan{std::min(m_anchor, m_focus), std::max(m_anchor, m_focus) + 1};
}

QString TextSelection::text() const
{
    const auto chosen = span();
    if (!chosen)
        return QString();
    return QString::fromStdU32String(
        core::copiedText(m_state.paragraphText, chosen->from, chosen->to));
}

void TextSelection::select(core::TextSpan span)
{
    const auto n = static_cast<int64_t>(m_state.paragraphText.size());
    span.from = std::clamp<int64_t>(span.from, 0, n);
    span.to = std::clamp<int64_t>(span.to, span.from, n);
    if (span.empty()) {
        clear();
        return;
    }
    m_anchor = span.from;
    m_focus = span.to - 1;
    m_textVersion = m_state.textVersion;
    m_dragging = false;
    draw();
    openMenu();
}

bool TextSelection::clear()
{
    m_edgeTimer->stop();
    m_dragging = false;
    m_menu.hide();
    if (m_anchor < 0)
        return false;
    m_anchor = m_focus = -1;
    draw();
    return true;
}

void TextSelection::onTextCompleted(quint64 partVersion)
{
    if (m_anchor < 0 || m_focus < 0 || m_textVersion != partVersion)
        return;
    m_textVersion = m_state.textVersion;
    draw();
}

void TextSelection::copy()
{
    const QString copied = text();
    if (copied.isEmpty())
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(copied, QClipboard::Clipboard);
    if (clipboard->supportsSelection())
        clipboard->setText(copied, QClipboard::Selection);
}

void TextSelection::onPressed(QPoint at, bool extend)
{
    const auto offset = m_bookView.characterAt(at);
    if (!offset)
        return;
    emit menuCloseRequested();
    m_menu.hide();
    if (!extend || !span())
        m_anchor = *offset;
    m_focus = *offset;
    m_textVersion = m_state.textVersion;
    m_dragging = true;
    m_pointer = at;
    draw();
}

void TextSelection::onMoved(QPoint at)
{
    if (!m_dragging)
        return;
    m_pointer = at;
    follow(at);
}

void TextSelection::follow(QPoint at)
{
    const int64_t before = m_focus;
    if (const auto edge = m_bookView.edgeAt(at)) {
        const core::CharacterRange shown = core::charactersOnShow(m_state);
        m_focus = *edge == core::EdgeStrip::Right ? std::max<int64_t>(shown.to - 1, 0) : shown.from;
        if (!m_edgeTimer->isActive())
            m_edgeTimer->start();
    } else {
        m_edgeTimer->stop();
        if (const auto offset = m_bookView.characterAt(at))
            m_focus = *offset;
    }
    if (m_focus != before) {
        draw();
    }
}

void TextSelection::turnAtEdge()
{
    const auto edge = m_bookView.edgeAt(m_pointer);
    if (!m_dragging || !edge) {
        m_edgeTimer->stop();
        return;
    }
    m_turningByDrag = true;
    if (*edge == core::EdgeStrip::Right)
        m_commands.turnForward();
    else
        m_commands.turnBack();
    m_turningByDrag = false;
    follow(m_pointer);
}

void TextSelection::onReleased(QPoint at)
{
    if (!m_dragging)
        return;
    m_pointer = at;
    follow(at);
    m_dragging = false;
    m_edgeTimer->stop();
    auto chosen = span();
    if (!chosen)
        return;
    // A click (one character, no drag) inside a highlight takes the whole highlight.
    if (chosen->to - chosen->from == 1 && m_findHighlight) {
        if (const auto highlight = m_findHighlight(*chosen)) {
            m_anchor = highlight->from;
            m_focus = highlight->to - 1;
            draw();
            chosen = highlight;
        }
    }
    // The X convention: what is selected can be pasted with the middle button.
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection())
        clipboard->setText(text(), QClipboard::Selection);
    openMenu();
}

void TextSelection::onWordPressed(QPoint at)
{
    const auto offset = m_bookView.characterAt(at);
    if (!offset)
        return;
    m_edgeTimer->stop();
    select(core::wordAt(m_state.paragraphText, *offset));
}

void TextSelection::onSpreadShown()
{
    const bool kept = std::exchange(m_reflowed, false) || m_turningByDrag;
    if (!kept && !m_dragging) {
        clear();
        return;
    }
    // A re-flow moves the characters: the band follows them, the menu goes with them.
    draw();
    if (kept && !m_turningByDrag && m_menu.isVisible())
        openMenu();
}

void TextSelection::draw()
{
    std::vector<BookView::Range> ranges;
    if (const auto chosen = span())
        ranges.push_back({chosen->from, chosen->to});
    m_bookView.setMarks(TextMark::Selection, std::move(ranges));
}

void TextSelection::openMenu()
{
    const auto chosen = span();
    if (!chosen)
        return;
    // Beside the selection's last line on show, where the pointer let go, not under the
    // whole selection (which may fill both pages down to their feet).
    const QRect area = m_bookView.areaOf(chosen->from, chosen->to);
    if (area.isEmpty()) {
        m_menu.hide();
        return;
    }
    QRect end = m_bookView.areaOf(chosen->to - 1, chosen->to);
    if (end.isEmpty())
        end = area;
    const bool onHighlight = m_findHighlight && m_findHighlight(*chosen).has_value();
    m_menu.open(end.translated(m_bookView.pos()), onHighlight);
}

} // namespace tibbo::window
