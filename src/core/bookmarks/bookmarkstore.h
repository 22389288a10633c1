#pragma once
// The bookmarks of the current book: add / replace / delete, the captions of the
// bookmark menu, the jump to one, and the mark file that keeps them per book file name.
//
// A bookmark is the 1-based number of a display line; its page, spread and label are
// those of the line (pages/pages.h). A spread holds at most one bookmark made by the add
// command; the list keeps the order of adding and is never sorted.

#include "state/readerstate.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

inline constexpr std::string_view kNoLineChosenMessage = "请点击你要加书签的那一行先";

// Offset in the text of the first character of line (lineEnds[line - 1]), for a line of
// the list (1 .. lineCount); nothing for a number outside it.
std::optional<int64_t> anchorOfLine(int64_t line, const LineList &lineEnds);

enum class AddBookmarkOutcome {
    NoLineChosen, // nothing changed; the window shows kNoLineChosenMessage
    Replaced,     // the spread's bookmark now marks the chosen line, same list position
    Appended,     // a new last entry
};

// The add command: marks line topLine + selectedLine. The first bookmark on that line's
// spread is replaced in place, otherwise the line is appended. The bookmark is anchored
// to its line's first character while the line list belongs to the current text. The
// caller then rebuilds the menu, shows the icon and rewrites the mark file.
AddBookmarkOutcome addBookmark(ReaderState &state);

// The delete command: removes the first bookmark on the spread of line
// topLine + selectedLine. Needs no chosen line. False when the spread had none. The
// caller rewrites the mark file, so a deleted bookmark stays deleted when the book is
// opened again.
bool deleteBookmark(ReaderState &state);

// Menu caption of a bookmark: "第 12页" (the number with Str's leading blank).
std::string bookmarkCaption(int64_t line, int64_t linesPerPage);
// Captions of all bookmarks in list order.
std::vector<std::string> bookmarkMenuCaptions(const ReaderState &state);

// Turns to the spread of bookmark `index` (list order, as the menu lists them), kept
// between the first spread and the last spread that holds text. False, and nothing
// moves, for an index outside the list.
bool jumpToBookmark(ReaderState &state, int64_t index);

// A stored bookmark line: a whole number from 1 to kLineNumberLimit (blanks around it
// allowed); anything else, a fraction like "2.5" included, is no bookmark.
std::optional<int64_t> parseBookmarkLine(std::string_view text);

// The longest mark-file name: the folder's 255-byte limit less the ".tmp-XXXXXX" of the
// temporary the file is written through.
inline constexpr size_t kLongestMarkFileName = 244;

// The book's file name + ".mark" whenever that is at most kLongestMarkFileName bytes,
// so books with one file name in different folders share their mark file. A longer
// name keeps its first bytes (cut where a UTF-8 character starts), "~", 16 hex digits of
// a hash of the whole file name and ".mark": as long as allowed, and still one per name.
// Names are bytes: a name that is not valid UTF-8 works like any other.
std::string markFileName(std::string_view bookPath);
// appDir + "/" + markFileName(bookPath).
std::string markFilePath(std::string_view appDir, std::string_view bookPath);

// One line per bookmark, list order, each the plain number and CR LF.
std::string markFileBytes(const std::vector<Bookmark> &bookmarks);
// Lines that are not a bookmark line are skipped; the result has no anchors (the first
// re-flow after a load gives them).
std::vector<Bookmark> parseMarkFile(std::string_view bytes);

// The bookmarks of the book at bookPath; empty when its mark file is missing or
// unreadable. For a long name without a shortened mark file, a mark file under the
// plain name (up to the folder's 255 bytes) is read.
std::vector<Bookmark> readMarks(const std::string &appDir, std::string_view bookPath);
// Rewrites the mark file whole (temporary file, then rename). False when it failed; the
// old file is then untouched.
bool writeMarks(const std::string &appDir, std::string_view bookPath,
                const std::vector<Bookmark> &bookmarks);

} // namespace tibbo::core
