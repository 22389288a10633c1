#pragma once
// Finding places again in a book whose text changed (a longer or corrected download of a
// serial novel): the reader's place, the bookmarks, the highlights and the notes are all
// anchors, kept with the text around them and the heading of their chapter, and found in
// the new text by that text rather than by their offset. One function serves them all.

#include "state/booktext.h"
#include "text/headings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tibbo::core {

// Characters of context kept on each side of an anchor.
inline constexpr size_t kAnchorContext = 16;

// A position in a book's text, and what identifies it there.
struct TextAnchor
{
    // Where it was, in the text it was taken from.
    int64_t offset = 0;
    // Up to kAnchorContext characters just before it, and from it on.
    std::u32string before;
    std::u32string after;
    // The heading of its chapter (empty before the first heading), the chapter's place in
    // the list (-1 before the first) and how far into the chapter it was.
    std::u32string chapterTitle;
    int64_t chapterIndex = -1;
    int64_t intoChapter = 0;
    friend bool operator==(const TextAnchor &, const TextAnchor &) = default;
};

// The anchor of character `offset` of `text` (kept within the text).
TextAnchor anchorAt(const BookText &text, const std::vector<Chapter> &chapters, int64_t offset);

// Where each anchor is in `text`, in the order given; nothing for one that cannot be found.
// An anchor whose context still stands at its offset stays there. Otherwise its context is
// looked for in the chapters with its heading (the nearest match to where it was in the
// chapter), then, when that chapter is not found or does not hold it, anywhere in the book
// (the match nearest its old offset). When the whole context is not found, the half after
// it, then the half before, stand for it: a corrected sentence beside a place still finds
// it. Shorter pieces are trusted only within the anchor's own chapter. One pass over the
// text serves all anchors: about 60 ms for a 20 MB book.
std::vector<std::optional<int64_t>> findAnchors(const BookText &text,
                                                const std::vector<Chapter> &chapters,
                                                const std::vector<TextAnchor> &anchors);

// What tells one text from another: its length and a 64-bit FNV-1a hash of its characters.
struct TextIdentity
{
    int64_t characters = 0;
    uint64_t hash = 0;
    friend bool operator==(const TextIdentity &, const TextIdentity &) = default;
};
TextIdentity identityOf(const BookText &text);

// identityOf worked out a part at a time (a slice of idle time each), so that leaving a
// large book does not wait for it. The text may only grow at its end meanwhile.
class TextIdentityHash
{
  public:
    // Takes up to `units` more characters of the text; true when the whole text is taken.
    bool take(const BookText &text, size_t units);
    // The identity of the whole text: what is left of it is taken first.
    TextIdentity identity(const BookText &text);

  private:
    uint64_t m_hash = 0xcbf29ce484222325ull;
    size_t m_taken = 0;
};

// The chapters a book gained: `added` chapters, and when they follow the chapter that was
// the last one, their places in the list (0-based, `first` .. `last`).
struct ChapterGrowth
{
    int64_t added = 0;
    std::optional<int64_t> first;
    int64_t last = 0;
};
// oldCount chapters, the last of them titled oldLastTitle, and now `chapters`.
ChapterGrowth chapterGrowth(int64_t oldCount, const std::u32string &oldLastTitle,
                            const std::vector<Chapter> &chapters);
// "新增 23 章，第1045–1067章", "新增 1 章，第1045章", or "新增 2 章" when the new chapters are
// not all after the old last one. Empty when none were added.
std::string chapterGrowthCaption(const ChapterGrowth &growth);

} // namespace tibbo::core
