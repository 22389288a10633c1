#pragma once
// The reader's highlights and notes in a book, and the file that keeps them.
//
// A highlight is a run of characters of the book's paragraph text in one of four colours,
// with an optional note. It is kept by character offset, so a re-flow, a font change or
// fine typesetting leave it on the same characters, and with the anchor of its first
// character (the text around it and its chapter), so a changed book finds it again.
//
// The file, "<book file name>.notes.json" beside the book's mark file, is UTF-8 JSON:
//
//   {
//     "format": "tibboread-highlights",
//     "version": 1,
//     "text": {"characters": 812345, "hash": "89ab01cd23ef4567"},
//     "highlights": [
//       {"start": 1200, "length": 14, "colour": 2, "note": "宝玉初见黛玉",
//        "created": 1765150000, "before": "…", "after": "…",
//        "chapter": "第三回 …", "chapterIndex": 2, "intoChapter": 950, "lost": false}
//     ]
//   }
//
// "text" is the identity of the text the offsets belong to (its length in characters and
// the FNV-1a hash of identityOf, 16 hex digits). "start" and "length" count characters
// (code points) of the paragraph text; "colour" is 0 .. 3; "created" is seconds since
// 1970-01-01 UTC. "before"/"after" are up to kAnchorContext characters before the start
// and from it on; "chapter", "chapterIndex" and "intoChapter" are the anchor's chapter.
// "lost" marks a highlight whose text was not found in a changed book: it is kept (the
// reader still has its text and note) and listed, never dropped. Fields not named here
// are passed over, so a later version may add some.
//
// Reading checks every field: an entry with a field missing, of the wrong type or out of
// range is dropped alone; the rest are read. Anything damaged (a bad entry, text that is
// not JSON, a truncated file, another format or version) makes the reader keep the file
// as it was in "<name>.bak" before it is written again.

#include "reading/reanchor.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

inline constexpr int kHighlightColours = 4;
inline constexpr int kHighlightFileVersion = 1;
// A note longer than this is cut when made; a longer one in a file is damage.
inline constexpr size_t kLongestNote = 10000;
// A highlights file larger than this is not read (and kept as damaged).
inline constexpr int64_t kLargestHighlightFile = 64 * 1024 * 1024;

struct Highlight
{
    int64_t start = 0;  // first character, in the paragraph text
    int64_t length = 1; // characters, at least 1
    int colour = 0;     // 0 .. kHighlightColours - 1
    std::u32string note;
    int64_t created = 0; // seconds since 1970-01-01 UTC
    TextAnchor anchor;   // of the first character
    bool lost = false;   // not found again in a changed book
    int64_t end() const { return start + length; }
    friend bool operator==(const Highlight &, const Highlight &) = default;
};

struct HighlightFile
{
    std::optional<TextIdentity> identity;
    // In book order (by start, then length).
    std::vector<Highlight> highlights;
};

// The file's bytes; the highlights are written in book order.
std::string highlightFileBytes(const HighlightFile &file);

struct ParsedHighlights
{
    HighlightFile file;
    // Something in the bytes was not as written: entries were dropped, or nothing could
    // be read at all.
    bool damaged = false;
};
ParsedHighlights parseHighlightFile(std::string_view bytes);

// "<book file name>.notes.json", by the mark file's rule (a long name is cut and keeps a
// hash of the whole name), short enough that "<name>.bak" and the temporary file written
// for either fit in a folder entry.
std::string highlightFileName(std::string_view bookPath);
std::string highlightFilePath(std::string_view appDir, std::string_view bookPath);

struct LoadedHighlights
{
    HighlightFile file;
    bool damaged = false;
    // A damaged file could not be kept as ".bak" (and was therefore not rewritten).
    bool backupFailed = false;
};
// The highlights of the book at bookPath: none when the file is missing. A damaged file
// is copied whole to "<name>.bak" and written again with what could be read.
LoadedHighlights loadHighlights(const std::string &appDir, std::string_view bookPath);
// Writes the file whole (temporary, fsync, rename); false when it failed, the old file
// then untouched. No highlights: the file is removed (false when it could not be).
bool saveHighlights(const std::string &appDir, std::string_view bookPath,
                    const HighlightFile &file);

// Puts `highlight` into `list` in book order; the index it took.
size_t insertHighlight(std::vector<Highlight> &list, Highlight highlight);
// The highlights that hold character `offset` (indices, innermost, i.e. latest start,
// first).
std::vector<size_t> highlightsAt(const std::vector<Highlight> &list, int64_t offset);
// The highlight whose characters are exactly [from, to); nothing when none is.
std::optional<size_t> highlightOf(const std::vector<Highlight> &list, int64_t from, int64_t to);

} // namespace tibbo::core
