#pragma once
// Every key of the reader, in one table (keymap.cpp): the key, the command it asks for
// and where it applies. A key acts only where its row says: on the pages when no panel
// covers them, in the panel that is open (the prompt, the search, the chapter list,
// scroll mode), or anywhere. KeyRoute takes the keys to the table; ReaderWindow says what
// each command runs. A new key is a new row, and a new command one more bind there.

#include <QKeyCombination>
#include <QObject>

#include <optional>
#include <span>

namespace tibbo::window::keys {

Q_NAMESPACE

// Where a key applies.
enum class Scope {
    Pages,        // the book on show, no panel over it (the menu may be open)
    Prompt,       // the go-to-page and interval prompt
    Search,       // the search prompt
    ChapterList,  // the chapter list
    ChapterRules, // the chapter rules panel: only the keys that apply anywhere
    ScrollMode,   // scroll mode
    Statistics,   // the statistics panel
    Anywhere,     // whatever is open
    // The pages while they are read aloud: its rows come before those of the pages (and
    // of anywhere), so Space pauses instead of turning and Esc stops.
    ReadingAloud,
    LookUp,        // the panels of the look-up: a word's entries, the dictionary site
    PlaceList,     // a list of places in the book (the matches of a search)
    NoteEditor,    // the editor of a note on a highlight
    HighlightList, // the list of highlights and notes
};
Q_ENUM_NS(Scope)

enum class Command {
    NextSpread,
    PreviousSpread,
    FirstSpread,
    LastSpread,
    NextChapter,
    PreviousChapter,
    ChapterList,
    Search,
    FindNext,
    FindPrevious,
    // The list of every match of the words in the search box.
    SearchList,
    OpenBook,
    AddBookmark,
    GoToPage,
    // The way back: to where the last jump came from, and forward again.
    GoBack,
    GoForward,
    // Puts the selection on the clipboard.
    Copy,
    ConfirmPrompt,
    ScrollRowUp,
    ScrollRowDown,
    ScrollPageUp,
    ScrollPageDown,
    ScrollToStart,
    ScrollToEnd,
    FullScreen,
    // Closes the panel or prompt on top, else the menu, else full screen.
    CloseTopmost,
    // Starts reading aloud from the spread on show, or stops it.
    ReadAloud,
    PauseReadingAloud,
    StopReadingAloud,
    // The page font one quick size larger or smaller; the next theme (日间, 护眼, 夜间).
    LargerFont,
    SmallerFont,
    NextTheme,
    // The list of the book's highlights and notes.
    HighlightList,
};
Q_ENUM_NS(Command)

struct Binding
{
    QKeyCombination keys;
    Command command;
    Scope scope;
};

// The whole table, in the order it is written.
std::span<const Binding> table();

// The command of `keys` where `scope` is open: a row of that scope, else one that applies
// anywhere. The keypad's Enter counts as Return, and keys on the keypad as the others.
// Shift with a key that has no row of its own counts as the key alone (Shift+PageDown
// turns like PageDown), as the page keys always have; Ctrl and Alt never do.
std::optional<Command> commandFor(QKeyCombination keys, Scope scope);

} // namespace tibbo::window::keys
