#include "readingcommands.h"

#include "bookview.h"
#include "dialogs.h"
#include "promptpanel.h"
#include "qtext.h"
#include "readermenus.h"
#include "sessionfiles.h"

#include "bookmarks/bookmarkstore.h"
#include "navigation/prompt.h"
#include "pages/pages.h"
#include "text/numbers.h"

#include <QWidget>

namespace tibbo::window {

ReadingCommands::ReadingCommands(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_bookView(parts.bookView), m_prompt(parts.prompt),
      m_menus(parts.menus), m_window(window)
{
    connect(&m_bookView, &BookView::pagePressed, this,
            [this](BookView::Page page, Qt::MouseButton b) {
                onPagePressed(page == BookView::Page::Right, b);
            });
    connect(&m_bookView, &BookView::edgePressed, this, [this](core::EdgeStrip strip, double r) {
        jump([&] {
            core::pressEdgeStrip(m_state, strip, r);
            return true;
        });
        showSpread();
    });
    connect(&m_bookView, &BookView::linePressed, this, &ReadingCommands::onLinePressed);
    connect(&m_bookView, &BookView::bookmarkIconDoubleClicked, this,
            &ReadingCommands::deleteShownBookmark);
    connect(&m_prompt, &PromptPanel::confirmed, this, &ReadingCommands::confirmPrompt);
    connect(&m_prompt, &PromptPanel::cancelled, this, [this] {
        m_prompt.hide();
        m_window->setFocus();
    });
    connect(&m_prompt, &PromptPanel::increaseRequested, this, [this] {
        m_prompt.setAnswer(qs(core::promptIncrease(m_state, m_prompt.answer().toStdString())));
    });
    connect(&m_prompt, &PromptPanel::decreaseRequested, this, [this] {
        m_prompt.setAnswer(qs(core::promptDecrease(m_state, m_prompt.answer().toStdString())));
    });
}

void ReadingCommands::showSpread()
{
    m_bookView.showSpread(m_state);
}

template <typename Move> bool ReadingCommands::jump(Move move)
{
    const int64_t from = core::charactersOnShow(m_state).from;
    const int64_t before = m_state.topLine;
    const bool moved = move();
    if (moved && m_state.topLine != before)
        emit jumped(from);
    return moved;
}

// A right press opens the menu; a left press closes an open menu, or else turns.
void ReadingCommands::onPagePressed(bool rightPage, Qt::MouseButton button)
{
    if (button == Qt::RightButton) {
        emit menuRequested();
    } else if (button == Qt::LeftButton) {
        if (m_state.menuShown)
            emit menuCloseRequested();
        else if (rightPage ? core::pageForwardByClick(m_state) : core::pageBack(m_state))
            showSpread();
    }
}

void ReadingCommands::onLinePressed(int index, Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        emit menuRequested();
    if (!m_state.menuShown) {
        m_bookView.highlightLine(index);
        m_state.selectedLine = index;
        m_state.lineChosen = true;
    } else if (button == Qt::LeftButton) {
        emit menuCloseRequested();
    }
}

void ReadingCommands::turnForward()
{
    run(core::PageCommand::NextSpread);
}

void ReadingCommands::turnBack()
{
    run(core::PageCommand::PreviousSpread);
}

void ReadingCommands::run(core::PageCommand command)
{
    const auto move = [&] { return core::runPageCommand(m_state, command); };
    const bool isJump =
        command == core::PageCommand::FirstSpread || command == core::PageCommand::LastSpread;
    if (isJump ? jump(move) : move())
        showSpread();
}

// ---- the prompt ---------------------------------------------------------------------

void ReadingCommands::askForPage()
{
    m_state.promptMode = core::PromptMode::GoToPage;
    m_prompt.ask(QStringLiteral("翻到哪一页?"), qs(core::goToPageDefaultText(m_state)),
                 qs(core::goToPageTooltip(m_state)), QPoint(438, 249));
}

void ReadingCommands::askForInterval()
{
    m_state.promptMode = core::PromptMode::Interval;
    m_prompt.ask(QStringLiteral("多久翻一页?"), qs(core::plainNumber(m_state.autoTurnSeconds)),
                 QString(), QPoint(531, 213));
}

void ReadingCommands::confirmPrompt()
{
    core::PromptOutcome outcome = core::PromptOutcome::Ignored;
    jump([&] {
        outcome = core::confirmPrompt(m_state, m_prompt.answer().toStdString());
        return outcome == core::PromptOutcome::PageShown;
    });
    switch (outcome) {
    case core::PromptOutcome::PageShown:
        showSpread();
        emit menuCloseRequested();
        m_prompt.hide();
        m_window->setFocus();
        break;
    case core::PromptOutcome::PageOutOfRange:
        Dialogs::message(m_window, qs(core::kPageOutOfRangeMessage));
        break;
    case core::PromptOutcome::IntervalStored:
        m_prompt.hide();
        m_window->setFocus();
        break;
    case core::PromptOutcome::Ignored:
        break;
    }
}

// ---- bookmarks ----------------------------------------------------------------------

void ReadingCommands::refreshBookmarkMenu()
{
    m_menus.setBookmarkCaptions(core::bookmarkMenuCaptions(m_state));
}

void ReadingCommands::writeMarks()
{
    if (!SessionFiles::writeMarks(m_state.bookPath, m_state.bookmarks))
        Dialogs::message(m_window,
                         QStringLiteral("书签保存不了,请看看磁盘是不是满了或者文件夹能不能写."));
}

void ReadingCommands::addBookmark()
{
    if (core::addBookmark(m_state) == core::AddBookmarkOutcome::NoLineChosen) {
        Dialogs::message(m_window, QStringLiteral("请点击你要加书签的那一行先"));
        return;
    }
    refreshBookmarkMenu();
    m_bookView.showBookmarkIcon(static_cast<int>(m_state.selectedLine));
    writeMarks();
    emit menuCloseRequested();
}

void ReadingCommands::jumpToBookmark(int index)
{
    if (!jump([&] { return core::jumpToBookmark(m_state, index); }))
        return;
    showSpread();
    emit menuCloseRequested();
}

void ReadingCommands::deleteShownBookmark()
{
    core::deleteBookmark(m_state);
    refreshBookmarkMenu();
    m_bookView.hideBookmarkIcon();
    // The mark file follows at once, so a deleted bookmark stays deleted.
    writeMarks();
}

} // namespace tibbo::window
