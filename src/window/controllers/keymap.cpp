#include "keymap.h"

#include <algorithm>

namespace tibbo::window::keys {

namespace {

// clang-format off
const Binding kTable[] = {
    // key                          command                     where it applies
    {Qt::Key_PageDown,              Command::NextSpread,        Scope::Pages},
    {Qt::Key_Right,                 Command::NextSpread,        Scope::Pages},
    {Qt::Key_Space,                 Command::NextSpread,        Scope::Pages},
    {Qt::Key_PageUp,                Command::PreviousSpread,    Scope::Pages},
    {Qt::Key_Left,                  Command::PreviousSpread,    Scope::Pages},
    {Qt::SHIFT | Qt::Key_Space,     Command::PreviousSpread,    Scope::Pages},
    {Qt::Key_Home,                  Command::FirstSpread,       Scope::Pages},
    {Qt::Key_End,                   Command::LastSpread,        Scope::Pages},
    {Qt::CTRL | Qt::Key_Right,      Command::NextChapter,       Scope::Pages},
    {Qt::CTRL | Qt::Key_Left,       Command::PreviousChapter,   Scope::Pages},
    {Qt::Key_T,                     Command::ChapterList,       Scope::Pages},
    {Qt::CTRL | Qt::Key_F,          Command::Search,            Scope::Pages},
    {Qt::Key_F3,                    Command::FindNext,          Scope::Pages},
    {Qt::SHIFT | Qt::Key_F3,        Command::FindPrevious,      Scope::Pages},
    {Qt::Key_O,                     Command::OpenBook,          Scope::Pages},
    {Qt::CTRL | Qt::Key_O,          Command::OpenBook,          Scope::Pages},
    {Qt::Key_A,                     Command::AddBookmark,       Scope::Pages},
    {Qt::Key_G,                     Command::GoToPage,          Scope::Pages},
    {Qt::ALT | Qt::Key_Left,        Command::GoBack,            Scope::Pages},
    {Qt::ALT | Qt::Key_Right,       Command::GoForward,         Scope::Pages},
    {Qt::CTRL | Qt::Key_C,          Command::Copy,              Scope::Pages},
    {Qt::Key_R,                     Command::ReadAloud,         Scope::Pages},
    {Qt::CTRL | Qt::Key_Equal,      Command::LargerFont,        Scope::Pages},
    {Qt::CTRL | Qt::Key_Plus,       Command::LargerFont,        Scope::Pages},
    {Qt::CTRL | Qt::Key_Minus,      Command::SmallerFont,       Scope::Pages},
    {Qt::Key_N,                     Command::NextTheme,         Scope::Pages},
    {Qt::Key_H,                     Command::HighlightList,     Scope::Pages},

    {Qt::Key_Space,                 Command::PauseReadingAloud, Scope::ReadingAloud},
    {Qt::Key_Escape,                Command::StopReadingAloud,  Scope::ReadingAloud},

    {Qt::Key_Return,                Command::ConfirmPrompt,     Scope::Prompt},

    {Qt::Key_Return,                Command::FindNext,          Scope::Search},
    {Qt::SHIFT | Qt::Key_Return,    Command::FindPrevious,      Scope::Search},
    {Qt::Key_F3,                    Command::FindNext,          Scope::Search},
    {Qt::SHIFT | Qt::Key_F3,        Command::FindPrevious,      Scope::Search},
    {Qt::CTRL | Qt::Key_F,          Command::Search,            Scope::Search},
    {Qt::CTRL | Qt::Key_Return,     Command::SearchList,        Scope::Search},

    // Scroll mode moves the view only; the caret and the page on show stay.
    {Qt::Key_Up,                    Command::ScrollRowUp,       Scope::ScrollMode},
    {Qt::Key_Down,                  Command::ScrollRowDown,     Scope::ScrollMode},
    {Qt::Key_PageUp,                Command::ScrollPageUp,      Scope::ScrollMode},
    {Qt::Key_PageDown,              Command::ScrollPageDown,    Scope::ScrollMode},
    {Qt::CTRL | Qt::Key_Home,       Command::ScrollToStart,     Scope::ScrollMode},
    {Qt::CTRL | Qt::Key_End,        Command::ScrollToEnd,       Scope::ScrollMode},

    {Qt::Key_F11,                   Command::FullScreen,        Scope::Anywhere},
    {Qt::Key_Escape,                Command::CloseTopmost,      Scope::Anywhere},
};
// clang-format on

std::optional<Command> find(QKeyCombination keys, Scope scope)
{
    const auto row = std::find_if(std::begin(kTable), std::end(kTable), [&](const Binding &b) {
        return b.keys == keys && b.scope == scope;
    });
    return row != std::end(kTable) ? std::optional(row->command) : std::nullopt;
}

std::optional<Command> findInScope(QKeyCombination keys, Scope scope)
{
    if (const auto command = find(keys, scope))
        return command;
    return find(keys, Scope::Anywhere);
}

} // namespace

std::span<const Binding> table()
{
    return kTable;
}

std::optional<Command> commandFor(QKeyCombination keys, Scope scope)
{
    const Qt::KeyboardModifiers modifiers = keys.keyboardModifiers() & ~Qt::KeypadModifier;
    const Qt::Key key = keys.key() == Qt::Key_Enter ? Qt::Key_Return : keys.key();
    if (const auto command = findInScope(QKeyCombination(modifiers, key), scope))
        return command;
    if (modifiers == Qt::ShiftModifier)
        return findInScope(QKeyCombination(key), scope);
    return std::nullopt;
}

} // namespace tibbo::window::keys
