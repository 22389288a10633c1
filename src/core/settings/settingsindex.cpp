#include "settings/settingsindex.h"

#include "pages/pages.h"
#include "text/codepage.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tibbo::core {

namespace {

constexpr std::string_view kFirstLine = "TibboRead settings.index 1";
constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

uint64_t fnv(uint64_t hash, std::string_view bytes)
{
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kFnvPrime;
    }
    return hash;
}

uint64_t headTailHash(std::string_view head, std::string_view tailOlder, std::string_view tailNewer)
{
    return fnv(fnv(fnv(kFnvOffset, head), tailOlder), tailNewer);
}

// The fields one a line, each checked as it is taken.
class IndexLines
{
  public:
    explicit IndexLines(std::string_view bytes) : m_bytes(bytes) {}

    std::optional<std::string_view> line()
    {
        const size_t end = m_bytes.find('\n', m_at);
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::string_view text = m_bytes.substr(m_at, end - m_at);
        m_at = end + 1;
        return text;
    }
    bool atEnd() const { return m_at == m_bytes.size(); }
    size_t offset() const { return m_at; }

    // "<label> <number>" with plain decimal digits.
    std::optional<uint64_t> labelled(std::string_view label)
    {
        const auto text = line();
        if (!text || text->size() <= label.size() + 1 || text->substr(0, label.size()) != label ||
            (*text)[label.size()] != ' ')
            return std::nullopt;
        return number(text->substr(label.size() + 1));
    }

    static std::optional<uint64_t> number(std::string_view text, int base = 10)
    {
        uint64_t value = 0;
        if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0'))
            return std::nullopt;
        const auto [end, error] =
            std::from_chars(text.data(), text.data() + text.size(), value, base);
        if (error != std::errc() || end != text.data() + text.size())
            return std::nullopt;
        return value;
    }

  private:
    std::string_view m_bytes;
    size_t m_at = 0;
};

// Offsets in order, each within the file, the parts where the file's order puts them.
bool layoutIsOrdered(const SettingsLayout &l)
{
    if (l.text.empty() || l.text.front().chars != 0 || l.textTag >= l.text.front().byte ||
        l.text.back().byte > l.passageTag || l.passageTag >= l.passageEndTag ||
        l.passageEndTag >= l.fileSize)
        return false;
    for (size_t k = 1; k < l.text.size(); ++k) {
        const bool last = k + 1 == l.text.size();
        const uint64_t step = l.text[k].chars - l.text[k - 1].chars;
        if (l.text[k].chars <= l.text[k - 1].chars || l.text[k].byte <= l.text[k - 1].byte ||
            (!last && step != SettingsLayout::kCharsPerCheckpoint) ||
            (last && step > SettingsLayout::kCharsPerCheckpoint))
            return false;
    }
    const uint64_t wanted = (l.entryCount + SettingsLayout::kEntriesPerCheckpoint - 1) /
                            SettingsLayout::kEntriesPerCheckpoint;
    if (l.entries.size() != wanted)
        return false;
    for (size_t k = 0; k < l.entries.size(); ++k)
        if (l.entries[k] <= (k == 0 ? l.passageTag : l.entries[k - 1]) ||
            l.entries[k] >= l.passageEndTag)
            return false;
    return true;
}

bool startsWithAt(std::string_view bytes, uint64_t at, std::string_view what)
{
    return at <= bytes.size() && bytes.substr(at).substr(0, what.size()) == what;
}

// Whole number >= 0 of a line-list entry as the writer puts it: plain digits.
std::optional<LineEnd> entryValue(std::string_view text)
{
    const auto value = IndexLines::number(text);
    if (!value || *value > static_cast<uint64_t>(kMaxBookChars))
        return std::nullopt;
    return static_cast<LineEnd>(*value);
}

} // namespace

uint64_t settingsHash(std::string_view bytes)
{
    const size_t tail = std::min(bytes.size(), kIndexHashedBytes);
    return headTailHash(bytes.substr(0, kIndexHashedBytes), bytes.substr(bytes.size() - tail), {});
}

void SettingsHashing::add(std::string_view piece)
{
    if (m_head.size() < kIndexHashedBytes) {
        const size_t take = std::min(kIndexHashedBytes - m_head.size(), piece.size());
        m_head.append(piece.substr(0, take));
    }
    if (piece.size() >= kIndexHashedBytes) {
        m_tail.assign(piece.substr(piece.size() - kIndexHashedBytes));
        m_tailAt = 0;
        return;
    }
    for (const char c : piece) {
        if (m_tail.size() < kIndexHashedBytes) {
            m_tail.push_back(c);
            continue;
        }
        m_tail[m_tailAt] = c;
        m_tailAt = (m_tailAt + 1) % kIndexHashedBytes;
    }
}

uint64_t SettingsHashing::hash() const
{
    const std::string_view ring = m_tail;
    return headTailHash(m_head, ring.substr(m_tailAt), ring.substr(0, m_tailAt));
}

std::string settingsIndexBytes(const SettingsIndex &index)
{
    const SettingsLayout &l = index.layout;
    std::string out(kFirstLine);
    out += '\n';
    const auto field = [&out](std::string_view label, uint64_t value) {
        out += label;
        out += ' ';
        out += std::to_string(value);
        out += '\n';
    };
    field("size", l.fileSize);
    char hash[24];
    std::snprintf(hash, sizeof hash, "%llx", static_cast<unsigned long long>(index.hash));
    out += "hash ";
    out += hash;
    out += '\n';
    field("text", l.textTag);
    field("checkpoints", l.text.size());
    for (const auto &point : l.text)
        out += std::to_string(point.byte) + ' ' + std::to_string(point.chars) + '\n';
    field("passage", l.passageTag);
    field("entries", l.entryCount);
    field("entry checkpoints", l.entries.size());
    for (const uint64_t byte : l.entries)
        out += std::to_string(byte) + '\n';
    field("tail", l.passageEndTag);
    // The index's own bytes, so a damaged one is told from one made for another file.
    std::snprintf(hash, sizeof hash, "%llx", static_cast<unsigned long long>(fnv(kFnvOffset, out)));
    out += "check ";
    out += hash;
    out += '\n';
    out += "end\n";
    return out;
}

std::optional<SettingsIndex> parseSettingsIndex(std::string_view bytes)
{
    IndexLines lines(bytes);
    SettingsIndex index;
    SettingsLayout &l = index.layout;
    if (lines.line() != kFirstLine)
        return std::nullopt;
    const auto size = lines.labelled("size");
    const auto hashLine = lines.line();
    if (!size || !hashLine || hashLine->substr(0, 5) != "hash ")
        return std::nullopt;
    const std::string_view hashDigits = hashLine->substr(5);
    const auto hash = IndexLines::number(hashDigits, 16);
    const auto textTag = lines.labelled("text");
    const auto checkpoints = lines.labelled("checkpoints");
    // A checkpoint takes at least four bytes of the index: a count past that is no index.
    if (!hash || hashDigits.size() > 16 || !textTag || !checkpoints || *checkpoints > bytes.size())
        return std::nullopt;
    for (uint64_t k = 0; k < *checkpoints; ++k) {
        const auto point = lines.line();
        const size_t blank = point ? point->find(' ') : std::string_view::npos;
        if (blank == std::string_view::npos)
            return std::nullopt;
        const auto byte = IndexLines::number(point->substr(0, blank));
        const auto chars = IndexLines::number(point->substr(blank + 1));
        if (!byte || !chars)
            return std::nullopt;
        l.text.push_back({*byte, *chars});
    }
    const auto passage = lines.labelled("passage");
    const auto entryCount = lines.labelled("entries");
    const auto entryCheckpoints = lines.labelled("entry checkpoints");
    if (!passage || !entryCount || !entryCheckpoints || *entryCheckpoints > bytes.size())
        return std::nullopt;
    for (uint64_t k = 0; k < *entryCheckpoints; ++k) {
        const auto point = lines.line();
        const auto byte = point ? IndexLines::number(*point) : std::nullopt;
        if (!byte)
            return std::nullopt;
        l.entries.push_back(*byte);
    }
    const auto tail = lines.labelled("tail");
    const std::string_view checked = bytes.substr(0, lines.offset());
    const auto checkLine = lines.line();
    if (!tail || !checkLine || checkLine->substr(0, 6) != "check " ||
        IndexLines::number(checkLine->substr(6), 16) != fnv(kFnvOffset, checked) ||
        lines.line() != "end" || !lines.atEnd())
        return std::nullopt;
    l.fileSize = *size;
    index.hash = *hash;
    l.textTag = *textTag;
    l.passageTag = *passage;
    l.entryCount = *entryCount;
    l.passageEndTag = *tail;
    if (!layoutIsOrdered(l))
        return std::nullopt;
    return index;
}

bool indexMatches(const SettingsIndex &index, std::string_view bytes)
{
    const SettingsLayout &l = index.layout;
    return bytes.size() == l.fileSize && settingsHash(bytes) == index.hash &&
           startsWithAt(bytes, l.textTag, "[Text]\r\n") && l.text.front().byte == l.textTag + 8 &&
           startsWithAt(bytes, l.text.back().byte, "\r\n[/Text]\r\n[Passage]\r\n") &&
           l.passageTag == l.text.back().byte + 11 &&
           (l.entries.empty() || l.entries.front() == l.passageTag + 11) &&
           startsWithAt(bytes, l.passageEndTag, "[/Passage]\r\n");
}

std::string settingsIndexPath(std::string_view appDir)
{
    return std::string(appDir) + "/settings.index";
}

std::optional<SettingsExcerpt> readSettingsExcerpt(std::string_view bytes,
                                                   const SettingsIndex &index)
{
    if (!indexMatches(index, bytes))
        return std::nullopt;
    const SettingsLayout &l = index.layout;
    SettingsExcerpt excerpt;
    excerpt.textLength = l.text.back().chars;
    excerpt.lineCount = l.entryCount;
    // The head (the window and the recent list) reads as a file that ends before the book.
    SettingsRead head = readSettingsFile(bytes.substr(0, l.textTag));
    excerpt.values = readSettingsTail(bytes.substr(l.passageEndTag + 12), excerpt.textLength);
    SettingsRead &values = excerpt.values;
    values.windowState = head.windowState;
    values.normalLeft = head.normalLeft;
    values.normalTop = head.normalTop;
    values.normalWidth = head.normalWidth;
    values.normalHeight = head.normalHeight;
    values.recent = std::move(head.recent);
    if (!values.topLine || !values.linesPerPage || l.entryCount < 2)
        return std::nullopt;
    // The spread's lines are topLine .. topLine + 2L - 1; their entries, and the one
    // after the last, as far as the list goes.
    const int64_t perPage = pageDivisor(*values.linesPerPage);
    const int64_t first = *values.topLine - 1;
    const auto lines = static_cast<int64_t>(l.entryCount) - 1;
    if (first < 0 || first >= lines)
        return std::nullopt;
    const int64_t last = std::min(first + 2 * perPage, lines);
    excerpt.firstEntry = static_cast<uint64_t>(first);
    uint64_t at = l.entries[static_cast<size_t>(first) / SettingsLayout::kEntriesPerCheckpoint];
    int64_t entry = first - first % static_cast<int64_t>(SettingsLayout::kEntriesPerCheckpoint);
    for (; entry <= last; ++entry) {
        const size_t end = bytes.find("\r\n", at);
        if (end == std::string_view::npos || end >= l.passageEndTag)
            return std::nullopt;
        const auto value = entryValue(bytes.substr(at, end - at));
        if (!value || static_cast<uint64_t>(*value) > excerpt.textLength)
            return std::nullopt;
        if (entry >= first) {
            if (!excerpt.entries.empty() && *value <= excerpt.entries.back())
                return std::nullopt;
            excerpt.entries.push_back(*value);
        }
        at = end + 2;
    }
    // The text from the checkpoint at or before the first entry to the one at or after
    // the last: checkpoints stand where a character begins.
    const auto from = static_cast<uint64_t>(excerpt.entries.front());
    const auto to = static_cast<uint64_t>(excerpt.entries.back());
    const auto before = std::upper_bound(l.text.begin(), l.text.end(), from,
                                         [](uint64_t c, const auto &p) { return c < p.chars; }) -
                        1;
    const auto after = std::lower_bound(l.text.begin(), l.text.end(), to,
                                        [](const auto &p, uint64_t c) { return p.chars < c; });
    if (after == l.text.end())
        return std::nullopt;
    std::u32string decoded;
    ChunkDecoder decoder(false);
    decoder.decode(bytes.substr(before->byte, after->byte - before->byte), true, decoded);
    if (decoded.size() != after->chars - before->chars)
        return std::nullopt;
    excerpt.text = decoded.substr(from - before->chars, to - from);
    return excerpt;
}

ReaderState excerptState(const SettingsExcerpt &excerpt, const ReaderState &layout)
{
    ReaderState state;
    state.linesPerPage = layout.linesPerPage;
    state.charsPerLine = layout.charsPerLine;
    state.lineSpacing = layout.lineSpacing;
    state.topMargin = layout.topMargin;
    state.bottomMargin = layout.bottomMargin;
    state.leftMargin = layout.leftMargin;
    state.rightMargin = layout.rightMargin;
    state.pageFont = layout.pageFont;
    state.fineTypesetting = layout.fineTypesetting;
    state.trimParagraphs = layout.trimParagraphs;
    setParagraphText(state, BookText(excerpt.text));
    state.lineEnds.clear();
    const LineEnd start = excerpt.entries.front();
    for (const LineEnd end : excerpt.entries)
        state.lineEnds.push_back(end - start);
    state.lineEndsVersion = state.textVersion;
    state.topLine = 1;
    return state;
}

} // namespace tibbo::core

namespace tibbo::core {

Spread excerptSpread(const SettingsExcerpt &excerpt, const ReaderState &excerptState)
{
    Spread spread = buildSpread(excerptState);
    ReaderState place;
    place.topLine = excerpt.values.topLine.value_or(1);
    place.linesPerPage = excerptState.linesPerPage;
    for (const auto &mark : excerpt.values.bookmarks.value_or(std::vector<Bookmark>{}))
        place.bookmarks.push_back(mark);
    // The excerpt ends inside the book: its last line ends a paragraph only by its mark.
    const auto lines = static_cast<size_t>(excerptState.lineCount());
    for (size_t k = 0; k < spread.roles.size() && k < lines; ++k) {
        const auto end = static_cast<uint64_t>(excerptState.lineEnds[k + 1]);
        spread.roles[k].endsParagraph =
            excerpt.entries.front() + end >= excerpt.textLength ||
            excerptState.paragraphText[static_cast<size_t>(end - 1)] == kParagraphMark;
    }
    spread.leftPage = pageOfLine(place.topLine, place.linesPerPage);
    spread.bookmarkLabels = bookmarkLabelsOnShow(place);
    return spread;
}

} // namespace tibbo::core
