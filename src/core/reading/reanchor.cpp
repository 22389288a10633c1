#include "reading/reanchor.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <limits>
#include <memory>
#include <string_view>

namespace tibbo::core {

namespace {

// Characters of a piece that the scan hashes; a shorter piece is never looked for.
constexpr size_t kHashedCharacters = 8;
// Matches kept for one piece: beyond this it is no help in telling one place from others.
constexpr size_t kMostMatches = 4096;

// The pieces of an anchor's context, in the order they are trusted.
enum class Piece { Whole, After, Before, ShortAfter, ShortBefore };
constexpr Piece kPieces[] = {Piece::Whole, Piece::After, Piece::Before, Piece::ShortAfter,
                             Piece::ShortBefore};
constexpr size_t kPieceCount = std::size(kPieces);

// What one piece of one anchor is: its text and how far into it the anchor lies.
struct Needle
{
    std::u32string text;
    int64_t anchorIntoNeedle = 0;
};

Needle needleOf(const TextAnchor &anchor, Piece piece)
{
    const auto before = static_cast<int64_t>(anchor.before.size());
    switch (piece) {
    case Piece::Whole:
        return {anchor.before + anchor.after, before};
    case Piece::After:
        return {anchor.after, 0};
    case Piece::Before:
        return {anchor.before, before};
    case Piece::ShortAfter:
        // Only where it says less than the half it is cut from.
        if (anchor.after.size() <= kHashedCharacters)
            return {};
        return {anchor.after.substr(0, kHashedCharacters), 0};
    case Piece::ShortBefore:
        if (anchor.before.size() <= kHashedCharacters)
            return {};
        return {anchor.before.substr(anchor.before.size() - kHashedCharacters),
                static_cast<int64_t>(kHashedCharacters)};
    }
    return {};
}

bool isShort(Piece piece)
{
    return piece == Piece::ShortAfter || piece == Piece::ShortBefore;
}

// Whether `piece` stands in the text at `from`.
bool standsAt(const BookText &text, int64_t from, std::u32string_view piece)
{
    if (from < 0 || from + static_cast<int64_t>(piece.size()) > static_cast<int64_t>(text.size()))
        return false;
    for (size_t i = 0; i < piece.size(); ++i)
        if (text[static_cast<size_t>(from) + i] != piece[i])
            return false;
    return true;
}

constexpr uint64_t kHashBase = 0x100000001B3ull;

uint64_t hashOf(std::u32string_view piece)
{
    uint64_t h = 0;
    for (size_t i = 0; i < kHashedCharacters; ++i)
        h = h * kHashBase + piece[i];
    return h;
}

// Every place where the needles stand in the text, found in one pass: a rolling hash of
// kHashedCharacters characters, a bit filter in front of a sorted table of the needles'
// hashes, and a comparison of the whole needle where the hash agrees.
class NeedleScan
{
  public:
    explicit NeedleScan(const std::vector<std::u32string> &needles)
        : m_needles(needles), m_matches(needles.size()), m_filter(std::make_unique<Filter>())
    {
        for (size_t i = 0; i < needles.size(); ++i) {
            if (needles[i].size() < kHashedCharacters)
                continue;
            const uint64_t h = hashOf(needles[i]);
            m_table.emplace_back(h, i);
            m_filter->set(filterBit(h));
        }
        std::sort(m_table.begin(), m_table.end());
    }

    void run(const BookText &text)
    {
        if (m_table.empty())
            return;
        text.visit([this](auto units) { scan(units); });
        text.releaseAll();
    }

    const std::vector<int64_t> &matches(size_t needle) const { return m_matches[needle]; }

  private:
    using Filter = std::bitset<1 << 20>;
    static size_t filterBit(uint64_t h) { return static_cast<size_t>(h >> 44); }

    template <typename View> void scan(View units)
    {
        if (units.size() < kHashedCharacters)
            return;
        uint64_t power = 1; // kHashBase to the (kHashedCharacters - 1)
        for (size_t i = 1; i < kHashedCharacters; ++i)
            power *= kHashBase;
        uint64_t h = 0;
        for (size_t i = 0; i < kHashedCharacters; ++i)
            h = h * kHashBase + units[i];
        const size_t last = units.size() - kHashedCharacters;
        for (size_t at = 0;; ++at) {
            if (m_filter->test(filterBit(h)))
                check(units, at, h);
            if (at == last)
                break;
            h = (h - units[at] * power) * kHashBase + units[at + kHashedCharacters];
        }
    }

    template <typename View> void check(View units, size_t at, uint64_t h)
    {
        auto row =
            std::lower_bound(m_table.begin(), m_table.end(), std::pair<uint64_t, size_t>(h, 0));
        for (; row != m_table.end() && row->first == h; ++row) {
            const std::u32string &needle = m_needles[row->second];
            std::vector<int64_t> &found = m_matches[row->second];
            if (found.size() >= kMostMatches || needle.size() > units.size() - at)
                continue;
            if (std::equal(needle.begin(), needle.end(), units.begin() + static_cast<ptrdiff_t>(at),
                           [](char32_t a, auto b) { return a == static_cast<char32_t>(b); }))
                found.push_back(static_cast<int64_t>(at));
        }
    }

    const std::vector<std::u32string> &m_needles;
    std::vector<std::vector<int64_t>> m_matches;
    std::vector<std::pair<uint64_t, size_t>> m_table;
    std::unique_ptr<Filter> m_filter;
};

// The chapter regions [from, to) an anchor belongs to in the new text: those whose heading
// is the anchor's, or the text before the first heading for an anchor that lay before it.
struct Region
{
    int64_t from = 0;
    int64_t to = 0;
};

std::vector<Region> regionsOf(const TextAnchor &anchor, const std::vector<Chapter> &chapters,
                              int64_t textSize)
{
    std::vector<Region> regions;
    if (anchor.chapterIndex < 0) {
        regions.push_back({0, chapters.empty() ? textSize : chapters.front().offset});
        return regions;
    }
    for (size_t i = 0; i < chapters.size(); ++i)
        if (chapters[i].title == anchor.chapterTitle)
            regions.push_back(
                {chapters[i].offset, i + 1 < chapters.size() ? chapters[i + 1].offset : textSize});
    return regions;
}

int64_t distance(int64_t a, int64_t b)
{
    return a > b ? a - b : b - a;
}

// The match of a piece inside the anchor's regions nearest to where it lay in its chapter.
std::optional<int64_t> nearestInRegions(const std::vector<int64_t> &positions,
                                        const std::vector<Region> &regions,
                                        const TextAnchor &anchor)
{
    std::optional<int64_t> best;
    int64_t bestDistance = std::numeric_limits<int64_t>::max();
    for (const Region &region : regions)
        for (int64_t position : positions)
            if (position >= region.from && position < region.to) {
                const int64_t d = distance(position, region.from + anchor.intoChapter);
                if (d < bestDistance) {
                    best = position;
                    bestDistance = d;
                }
            }
    return best;
}

std::optional<int64_t> nearest(const std::vector<int64_t> &positions, int64_t to)
{
    const auto best =
        std::min_element(positions.begin(), positions.end(),
                         [to](int64_t a, int64_t b) { return distance(a, to) < distance(b, to); });
    return best != positions.end() ? std::optional(*best) : std::nullopt;
}

} // namespace

TextAnchor anchorAt(const BookText &text, const std::vector<Chapter> &chapters, int64_t offset)
{
    const auto size = static_cast<int64_t>(text.size());
    offset = std::clamp<int64_t>(offset, 0, size);
    const auto context = static_cast<int64_t>(kAnchorContext);
    TextAnchor anchor;
    anchor.offset = offset;
    const int64_t from = std::max<int64_t>(0, offset - context);
    anchor.before = text.substr(static_cast<size_t>(from), static_cast<size_t>(offset - from));
    anchor.after = text.substr(static_cast<size_t>(offset), kAnchorContext);
    anchor.chapterIndex = chapterAt(chapters, offset);
    if (anchor.chapterIndex >= 0) {
        const Chapter &chapter = chapters[static_cast<size_t>(anchor.chapterIndex)];
        anchor.chapterTitle = chapter.title;
        anchor.intoChapter = offset - chapter.offset;
    } else {
        anchor.intoChapter = offset;
    }
    return anchor;
}

std::vector<std::optional<int64_t>> findAnchors(const BookText &text,
                                                const std::vector<Chapter> &chapters,
                                                const std::vector<TextAnchor> &anchors)
{
    std::vector<std::optional<int64_t>> found(anchors.size());
    // Where the context still stands at the old offset, nothing moved.
    std::vector<size_t> moved;
    for (size_t i = 0; i < anchors.size(); ++i) {
        const TextAnchor &a = anchors[i];
        if (!a.after.empty() || !a.before.empty()) {
            const int64_t from = a.offset - static_cast<int64_t>(a.before.size());
            if (standsAt(text, from, a.before + a.after)) {
                found[i] = a.offset;
                continue;
            }
        }
        moved.push_back(i);
    }
    if (moved.empty())
        return found;

    std::vector<std::u32string> needleTexts;
    std::vector<int64_t> needleShift;
    needleTexts.reserve(moved.size() * kPieceCount);
    for (size_t i : moved)
        for (Piece piece : kPieces) {
            Needle needle = needleOf(anchors[i], piece);
            needleTexts.push_back(std::move(needle.text));
            needleShift.push_back(needle.anchorIntoNeedle);
        }
    NeedleScan scan(needleTexts);
    scan.run(text);

    const auto size = static_cast<int64_t>(text.size());
    for (size_t m = 0; m < moved.size(); ++m) {
        const TextAnchor &anchor = anchors[moved[m]];
        const std::vector<Region> regions = regionsOf(anchor, chapters, size);
        // Where each piece puts the anchor, for every match of it.
        std::vector<int64_t> positions[kPieceCount];
        for (size_t p = 0; p < kPieceCount; ++p) {
            const size_t n = m * kPieceCount + p;
            for (int64_t match : scan.matches(n))
                positions[p].push_back(match + needleShift[n]);
        }
        std::optional<int64_t> place;
        // First within the anchor's own chapter, by every piece.
        for (size_t p = 0; p < kPieceCount && !place; ++p)
            place = nearestInRegions(positions[p], regions, anchor);
        // Then anywhere: the whole context by the match nearest the old offset, a half only
        // where it stands once in the book (the end of a chapter, "且听下回分解。", stands at
        // the end of every chapter).
        for (size_t p = 0; p < kPieceCount && !place; ++p) {
            if (isShort(kPieces[p]))
                continue;
            if (kPieces[p] == Piece::Whole)
                place = nearest(positions[p], anchor.offset);
            else if (positions[p].size() == 1)
                place = positions[p].front();
        }
        found[moved[m]] = place;
    }
    return found;
}

TextIdentity identityOf(const BookText &text)
{
    return TextIdentityHash().identity(text);
}

bool TextIdentityHash::take(const BookText &text, size_t units)
{
    constexpr size_t kStretch = size_t{1} << 20;
    return text.visit([&](auto all) {
        const size_t end = std::min(all.size(), m_taken + std::min(units, all.size()));
        PagesBehind behind(text, m_taken);
        uint64_t h = m_hash;
        while (m_taken < end) {
            const auto part = all.substr(m_taken, std::min(kStretch, end - m_taken));
            for (auto unit : part) {
                h ^= static_cast<uint64_t>(unit);
                h *= 0x100000001b3ull;
            }
            m_taken += part.size();
            behind.passed(m_taken);
        }
        m_hash = h;
        return m_taken >= all.size();
    });
}

TextIdentity TextIdentityHash::identity(const BookText &text)
{
    take(text, text.size());
    return TextIdentity{static_cast<int64_t>(text.size()), m_hash};
}

ChapterGrowth chapterGrowth(int64_t oldCount, const std::u32string &oldLastTitle,
                            const std::vector<Chapter> &chapters)
{
    ChapterGrowth growth;
    const auto count = static_cast<int64_t>(chapters.size());
    if (count <= oldCount)
        return growth;
    growth.added = count - oldCount;
    if (oldCount <= 0) {
        growth.first = 0;
        growth.last = count - 1;
        return growth;
    }
    // The old last chapter, looked for from the end: the chapters after it are new.
    for (int64_t i = count - 1; i >= 0; --i)
        if (chapters[static_cast<size_t>(i)].title == oldLastTitle) {
            if (count - 1 - i == growth.added) {
                growth.first = i + 1;
                growth.last = count - 1;
            }
            break;
        }
    return growth;
}

std::string chapterGrowthCaption(const ChapterGrowth &growth)
{
    if (growth.added <= 0)
        return std::string();
    std::string caption = "新增 " + std::to_string(growth.added) + " 章";
    if (!growth.first)
        return caption;
    caption += "，第" + std::to_string(*growth.first + 1);
    if (growth.last > *growth.first)
        caption += "–" + std::to_string(growth.last + 1);
    return caption + "章";
}

} // namespace tibbo::core
