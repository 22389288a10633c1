#pragma once
// settings.index: a small file of the reader's own beside settings.ini that says where
// the parts of settings.ini begin, so a start can show the saved spread from the values
// after the line list and the few thousand characters around the place, and read the
// whole book behind it. settings.ini keeps its format byte for byte; the index is only a
// shortcut into it. It is written right after settings.ini in the same durable way, and
// removed before settings.ini is written over, so no kill leaves an index beside a
// settings.ini it was not made for.
//
// Its text, one field a line, LF-ended, every number plain decimal digits:
//
//   TibboRead settings.index 1
//   size <bytes of settings.ini>
//   hash <FNV-1a 64 of the first and the last 64 KiB of settings.ini, in hexadecimal>
//   text <byte of the "[Text]" line>
//   checkpoints <n>, then n lines "<byte> <characters before it>"
//   passage <byte of the "[Passage]" line>
//   entries <line-list entries>
//   entry checkpoints <m>, then m lines "<byte of entry 0, 4096, 8192, ...>"
//   tail <byte of the "[/Passage]" line>
//   check <FNV-1a 64 of the index's bytes before this line, in hexadecimal>
//   end
//
// An index is used only when every field reads, every offset lies in order within the
// file, the size and hash match the settings.ini actually read and the tags stand where
// it says. Anything else (a settings.ini written by an older reader or edited by hand, a
// cut-off or foreign index) is ignored, and settings.ini is read whole as always.

#include "settings/settingsfile.h"
#include "text/spread.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tibbo::core {

struct SettingsIndex
{
    SettingsLayout layout;
    uint64_t hash = 0;
    friend bool operator==(const SettingsIndex &, const SettingsIndex &) = default;
};

// Bytes of settings.ini's head and of its tail that the hash covers.
inline constexpr size_t kIndexHashedBytes = 1 << 16;

// The hash of a settings.ini's first and last kIndexHashedBytes (overlapping when the
// file is shorter than twice that).
uint64_t settingsHash(std::string_view settingsBytes);

// Keeps the hash's bytes as settings.ini is written a piece at a time: the head and the
// last kIndexHashedBytes, never the whole file.
class SettingsHashing
{
  public:
    void add(std::string_view piece);
    uint64_t hash() const;

  private:
    std::string m_head;
    std::string m_tail; // a ring of the last bytes, m_tailAt its oldest byte
    size_t m_tailAt = 0;
};

std::string settingsIndexBytes(const SettingsIndex &index);
// Nothing unless every field reads and the offsets are in order within the size.
std::optional<SettingsIndex> parseSettingsIndex(std::string_view bytes);
// The index was made for exactly these bytes of settings.ini.
bool indexMatches(const SettingsIndex &index, std::string_view settingsBytes);

std::string settingsIndexPath(std::string_view appDir); // appDir + "/settings.index"

// What a start needs to show the saved spread: every value of settings.ini but the book
// and its line list, and the part of both that the spread at the saved place shows.
struct SettingsExcerpt
{
    // The window, the recent list, the place, the path, the bookmarks (without anchors)
    // and the page values, as readSettingsFile gives them; no text, no line list.
    SettingsRead values;
    uint64_t textLength = 0; // characters of the whole book text
    uint64_t lineCount = 0;  // entries of the whole line list
    // Line-list entries firstEntry, firstEntry + 1, ... (the entries of the spread at
    // the saved place and the one after its last line), and the text from the first of
    // them to the last.
    uint64_t firstEntry = 0;
    LineList entries;
    std::u32string text;
};

// Reads the excerpt of settings.ini for the spread at its saved place; nothing when the
// index does not match the bytes, or the place, the entries or the text there do not read
// cleanly, or the place is outside the line list: the caller then waits for the whole.
std::optional<SettingsExcerpt> readSettingsExcerpt(std::string_view settingsBytes,
                                                   const SettingsIndex &index);

// The state the excerpt's spread is painted from: `layout`'s page values with the
// excerpt's text and line list, its first entry at the text's start, the place on the
// excerpt's first line. Its lines are the saved spread's lines.
ReaderState excerptState(const SettingsExcerpt &excerpt, const ReaderState &layout);

// The saved spread as buildSpread gives it for the whole book with the plain cut rules:
// the rows of the excerpt state, with the page numbers and the bookmark icons of the
// saved place.
Spread excerptSpread(const SettingsExcerpt &excerpt, const ReaderState &excerptState);

} // namespace tibbo::core
