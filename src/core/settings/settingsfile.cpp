#include "settings/settingsfile.h"

#include "bookmarks/bookmarkstore.h"
#include "pages/pages.h"
#include "text/codepage.h"
#include "text/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace tibbo::core {

namespace {

// ---- Writing ---------------------------------------------------------------------------

// Collects the file's bytes and hands them on in pieces of about a megabyte, so the
// whole file is never held at once.
class PieceWriter
{
  public:
    explicit PieceWriter(const std::function<void(std::string_view)> &sink) : m_sink(sink)
    {
        m_bytes.reserve(2 * kPiece + 4096);
    }
    ~PieceWriter() { flush(); }
    PieceWriter(const PieceWriter &) = delete;
    PieceWriter &operator=(const PieceWriter &) = delete;

    // ASCII text is the same bytes in GB18030.
    void ascii(std::string_view text) { append(text); }
    // Encoded straight into the piece, from either width of the book's units.
    template <typename Text> void encoded(Text text)
    {
        appendGb18030(text, m_bytes);
        if (m_bytes.size() >= kPiece)
            flush();
    }
    void lineEnd() { append("\r\n"); }
    void flush()
    {
        if (!m_bytes.empty())
            m_sink(m_bytes);
        m_handed += m_bytes.size();
        m_bytes.clear();
    }
    // Bytes made so far, handed on or not.
    uint64_t written() const { return m_handed + m_bytes.size(); }

  private:
    static constexpr size_t kPiece = 1 << 16;
    void append(std::string_view bytes)
    {
        m_bytes += bytes;
        if (m_bytes.size() >= kPiece)
            flush();
    }

    const std::function<void(std::string_view)> &m_sink;
    std::string m_bytes;
    uint64_t m_handed = 0;
};

void putLine(PieceWriter &out, std::u32string_view line)
{
    out.encoded(line);
    out.lineEnd();
}

void putLine(PieceWriter &out, std::string_view asciiLine)
{
    out.ascii(asciiLine);
    out.lineEnd();
}

void putText(PieceWriter &out, std::string_view utf8)
{
    putLine(out, fromUtf8(utf8));
}

// The book's text on one line, encoded a piece at a time. One unit of the store is one
// character, so the checkpoints fall on the pieces' starts.
void putBookText(PieceWriter &out, const BookText &text, SettingsLayout *layout)
{
    constexpr size_t kChars = 1 << 14;
    static_assert(SettingsLayout::kCharsPerCheckpoint % kChars == 0);
    text.visit([&](auto units) {
        PagesBehind behind(text);
        for (size_t at = 0; at < units.size(); at += kChars) {
            behind.passed(at);
            if (layout && at % SettingsLayout::kCharsPerCheckpoint == 0)
                layout->text.push_back({out.written(), at});
            out.encoded(units.substr(at, kChars));
        }
        if (layout)
            layout->text.push_back({out.written(), units.size()});
    });
    out.lineEnd();
}

// The style of the stored numbers for printf's %G output: no zero before a decimal point
// (".5", "-.5") and no padding zeros in the exponent ("1E+20").
std::string storedStyle(std::string s)
{
    if (s.rfind("0.", 0) == 0)
        s.erase(0, 1);
    else if (s.rfind("-0.", 0) == 0)
        s.erase(1, 1);
    const auto e = s.find('E');
    if (e != std::string::npos) {
        const size_t digits = e + 2;
        while (digits + 1 < s.size() && s[digits] == '0')
            s.erase(digits, 1);
    }
    return s;
}

// Str's form when it reads back as value (always so for values with up to 15
// significant digits, so such files stay as they were); otherwise 16 or 17 digits.
std::string exactStr(double value)
{
    std::string s = str(value);
    for (int digits = 16; digits <= 17 && val(s) != value; ++digits) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*G", digits, value);
        s = storedStyle(buf);
        if (value >= 0)
            s.insert(0, 1, ' ');
    }
    return s;
}

// A number item: sign position, digits, one trailing blank.
void putNumber(PieceWriter &out, double value)
{
    putLine(out, exactStr(value) + " ");
}

void putNumber(PieceWriter &out, double value, NumberRange range, double fallback)
{
    putNumber(out, keptInRange(value, range).value_or(fallback));
}

void putInteger(PieceWriter &out, int value, int low, int high, int fallback)
{
    putNumber(out, value >= low && value <= high ? value : fallback);
}

void putBool(PieceWriter &out, bool value)
{
    putLine(out, std::string_view(value ? "True" : "False"));
}

void putInteger(PieceWriter &out, int64_t value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    putLine(out, std::string_view(digits, static_cast<size_t>(end - digits)));
}

int64_t keptLineNumber(int64_t value)
{
    return std::clamp(value, -kLineNumberLimit, kLineNumberLimit);
}

const SettingsData kDefaults;

void putWindow(PieceWriter &out, const SettingsData &d)
{
    putInteger(out, d.windowState, 0, 2, kDefaults.windowState);
    putNumber(out, d.normalLeft, kWindowPositionRange, kDefaults.normalLeft);
    putNumber(out, d.normalTop, kWindowPositionRange, kDefaults.normalTop);
    putNumber(out, d.normalWidth, kWindowSizeRange, kDefaults.normalWidth);
    putNumber(out, d.normalHeight, kWindowSizeRange, kDefaults.normalHeight);
    putLine(out, U"[Recent]");
    for (const auto &entry : d.recent)
        putText(out, entry);
    putLine(out, U"[/Recent]");
}

void putBook(PieceWriter &out, const SettingsData &d, const BookText &paragraphText,
             const LineList &lineEnds, SettingsLayout *layout)
{
    if (layout)
        layout->textTag = out.written();
    putLine(out, U"[Text]");
    putBookText(out, paragraphText, layout);
    putLine(out, U"[/Text]");
    if (layout) {
        layout->passageTag = out.written();
        layout->entryCount = lineEnds.size();
    }
    putLine(out, U"[Passage]");
    for (size_t k = 0; k < lineEnds.size(); ++k) {
        if (layout && k % SettingsLayout::kEntriesPerCheckpoint == 0)
            layout->entries.push_back(out.written());
        putInteger(out, lineEnds[k]);
    }
    if (layout)
        layout->passageEndTag = out.written();
    putLine(out, U"[/Passage]");
    putText(out, "Page is " + str(static_cast<double>(keptLineNumber(d.topLine))));
    putText(out, "Maxline is " + str(static_cast<double>(keptLineNumber(d.linesPerPage))));
    putText(out, d.bookPath);
    putLine(out, U"[Marks]");
    for (const auto line : d.bookmarks)
        putInteger(out, line);
    putLine(out, U"[/Marks]");
}

void putPage(PieceWriter &out, const SettingsData &d)
{
    putLine(out, U"[Page]");
    putText(out, d.font.name);
    putNumber(out, d.font.size, kFontSizeRange, kDefaults.font.size);
    putBool(out, d.font.bold);
    putBool(out, d.font.italic);
    putBool(out, d.font.underline);
    putInteger(out, d.trim, 0, 2, kDefaults.trim);
    const std::pair<double, double> spacings[] = {{d.lineSpacing, kDefaults.lineSpacing},
                                                  {d.topMargin, kDefaults.topMargin},
                                                  {d.bottomMargin, kDefaults.bottomMargin},
                                                  {d.leftMargin, kDefaults.leftMargin},
                                                  {d.rightMargin, kDefaults.rightMargin}};
    for (const auto &[value, fallback] : spacings)
        putNumber(out, value, kPageSpacingRange, fallback);
    putLine(out, U"[/Page]");
    putNumber(out, d.autoTurnSeconds, kAutoTurnSecondsRange, kDefaults.autoTurnSeconds);
    putInteger(out, d.scrollSpeed, defaults::kFastestScrollSpeed, defaults::kSlowestScrollSpeed,
               kDefaults.scrollSpeed);
}

// ---- Reading ---------------------------------------------------------------------------

// The lines of the file's bytes: CR LF or a lone CR ends a line, a lone LF is data. A CR
// or LF byte is never part of a GB18030 character, so the bytes are cut before they are
// decoded, and only the lines that are kept are decoded at all.
class LineCursor
{
  public:
    // `passed` (when given) hears how far a long line's end has been looked for.
    LineCursor(std::string_view bytes, const std::function<void(size_t)> &passed)
        : m_bytes(bytes), m_passed(passed)
    {
    }
    const char *start() const { return m_bytes.data(); }

    // The next line, or nothing at the end of the file.
    std::optional<std::string_view> next()
    {
        if (m_at >= m_bytes.size())
            return std::nullopt;
        const size_t cr = findLineEnd();
        const size_t end = cr == std::string_view::npos ? m_bytes.size() : cr;
        const std::string_view line = m_bytes.substr(m_at, end - m_at);
        m_at = end;
        m_lastEnded = cr != std::string_view::npos;
        if (m_lastEnded && ++m_at < m_bytes.size() && m_bytes[m_at] == '\n')
            ++m_at;
        return line;
    }

    bool atEnd() const { return m_at >= m_bytes.size(); }
    // At least as many as the lines left: every line takes a byte and its CR. Worked out
    // without reading them, so a mapped file's pages are touched once, by the reading.
    size_t mostLinesLeft() const
    {
        return (m_bytes.size() - std::min(m_at, m_bytes.size())) / 2 + 1;
    }
    size_t offset() const { return m_at; }
    // The line last returned was ended by CR LF or CR.
    bool lastEnded() const { return m_lastEnded; }

  private:
    // The next CR from m_at, looked for a stretch at a time: the book's line is most of
    // a mapped file, and the pages looked through may go before it is read.
    size_t findLineEnd() const
    {
        constexpr size_t kStretch = size_t{1} << 20;
        for (size_t from = m_at; from < m_bytes.size(); from += kStretch) {
            const size_t cr = m_bytes.substr(0, from + kStretch).find('\r', from);
            if (cr != std::string_view::npos)
                return cr;
            if (m_passed)
                m_passed(std::min(from + kStretch, m_bytes.size()));
        }
        return std::string_view::npos;
    }

    std::string_view m_bytes;
    const std::function<void(size_t)> &m_passed;
    size_t m_at = 0;
    bool m_lastEnded = false;
};

bool isAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// ASCII bytes are the same characters in GB18030 and UTF-8: the numbers, tags and list
// entries of a file need no converter.
std::u32string decodeLine(std::string_view bytes)
{
    if (isAscii(bytes))
        return std::u32string(bytes.begin(), bytes.end());
    return decodeGb18030(bytes);
}

std::string utf8Line(std::string_view bytes)
{
    return isAscii(bytes) ? std::string(bytes) : toUtf8(decodeGb18030(bytes));
}

// The book's text line, decoded a piece at a time straight into the book store.
BookText decodeBookText(std::string_view bytes, const std::function<void(size_t)> &decodedUpTo)
{
    BookText text;
    // Room for the most characters the bytes can be (all ASCII): room not written takes
    // no memory, and is given back once the text is whole.
    text.reserve(bytes.size());
    ChunkDecoder decoder(false);
    constexpr size_t kPiece = 1 << 18;
    std::u32string piece;
    for (size_t at = 0; at < bytes.size(); at += kPiece) {
        piece.clear();
        decoder.decode(bytes.substr(at, kPiece), at + kPiece >= bytes.size(), piece);
        text.append(piece);
        decodedUpTo(std::min(at + kPiece, bytes.size()));
    }
    text.trimRoom();
    return text;
}

// Whole number >= 0 for a line-list entry. The entries the program writes are plain
// digits and are read without a detour; anything else goes by the number rules.
std::optional<int64_t> parseOffset(std::string_view text)
{
    if (!text.empty() && text.size() <= 18 && (text[0] != '0' || text.size() == 1) &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        int64_t value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        if (value <= kLineNumberLimit)
            return value;
    }
    const auto number = toInteger(text);
    if (!number || *number < 0 || *number > kLineNumberLimit ||
        val(text) != static_cast<double>(*number))
        return std::nullopt;
    return number;
}

// Reads the values in file order, each from its own line. Once the file has ended every
// further read finds no line and leaves its field empty.
class SettingsReader
{
  public:
    SettingsReader(std::string_view bytes, SettingsRead &read,
                   const std::function<void(size_t)> &consumed)
        : m_lines(bytes, consumed), m_read(read), m_consumed(consumed)
    {
    }

    void readAll()
    {
        readWindowPart();
        readBookPart();
        readPagePart();
        SettingsRead &r = m_read;
        r.complete = !m_ended;
        r.clean = r.complete && m_accepted && m_lines.lastEnded() && m_lines.atEnd();
    }

  private:
    std::optional<std::string_view> line()
    {
        const auto next = m_lines.next();
        m_ended = m_ended || !next;
        return next;
    }

    bool tag() { return line().has_value(); }

    void refuseIf(bool refused) { m_accepted = m_accepted && !refused; }

    void integer(std::optional<int> &field, int low, int high)
    {
        if (const auto text = line()) {
            const auto value = toInteger(utf8Line(*text));
            refuseIf(!value || *value < low || *value > high);
            if (value && *value >= low && *value <= high)
                field = static_cast<int>(*value);
        }
    }

    void number(std::optional<double> &field, NumberRange range)
    {
        if (const auto text = line()) {
            const double value = val(utf8Line(*text));
            field = keptInRange(value, range);
            refuseIf(field != value);
        }
    }

    void boolean(std::optional<bool> &field)
    {
        if (const auto text = line()) {
            field = toBoolean(utf8Line(*text));
            refuseIf(!field);
        }
    }

    void text(std::optional<std::string> &field)
    {
        if (const auto text = line())
            field = utf8Line(*text);
    }

    // A labelled number: the label's length in characters is dropped unseen. The value
    // is kept within kLineNumberLimit either way.
    void labelled(size_t labelLength, std::optional<int64_t> &field)
    {
        if (const auto text = line()) {
            const std::u32string chars = decodeLine(*text);
            const double value =
                val(toUtf8(std::u32string_view(chars).substr(std::min(labelLength, chars.size()))));
            const int64_t whole = intFloor(value);
            field = std::clamp(whole, -kLineNumberLimit, kLineNumberLimit);
            refuseIf(!std::isfinite(value) || field != whole);
        }
    }

    // Hands every line up to the exact closing tag to onEntry; false when the file ends
    // first. The tag is ASCII, so comparing bytes is comparing characters.
    template <typename OnEntry> bool list(std::string_view closingTag, OnEntry onEntry)
    {
        for (auto entry = line(); entry; entry = line()) {
            if (*entry == closingTag)
                return true;
            onEntry(*entry);
        }
        return false;
    }

    void readWindowPart()
    {
        SettingsRead &r = m_read;
        integer(r.windowState, 0, 2);
        number(r.normalLeft, kWindowPositionRange);
        number(r.normalTop, kWindowPositionRange);
        number(r.normalWidth, kWindowSizeRange);
        number(r.normalHeight, kWindowSizeRange);
        if (!tag())
            return;
        r.recent.emplace();
        list("[/Recent]", [&](std::string_view entry) {
            refuseIf(r.recent->size() >= static_cast<size_t>(kRecentSlots));
            if (r.recent->size() < static_cast<size_t>(kRecentSlots))
                r.recent->push_back(utf8Line(entry));
        });
    }

    void readBookPart()
    {
        SettingsRead &r = m_read;
        if (!tag())
            return;
        if (const auto paragraph = line())
            r.paragraphText = decodeBookText(*paragraph, [&](size_t decoded) {
                if (m_consumed)
                    m_consumed(static_cast<size_t>(paragraph->data() - m_lines.start()) + decoded);
            });
        // No real book comes near the limit; a text past it is taken as no text at all, so
        // the line list can hold every offset.
        if (r.paragraphText && r.paragraphText->size() > static_cast<size_t>(kMaxBookChars)) {
            refuseIf(true);
            r.paragraphText = BookText();
        }
        if (!tag())
            return;
        r.lineEnds.emplace();
        const size_t length = r.paragraphText ? r.paragraphText->size() : 0;
        if (!tag())
            return;
        bool wellFormed = true;
        bool withinText = true;
        // One entry a line, allocated once: room for as many as can be, of which only the
        // pages the entries fill are ever touched. Counting the lines first read the whole
        // list's bytes in at once (about 22 MB beside the 100 MB book's text, the peak of a
        // restart).
        r.lineEnds->reserve(std::min(length + 1, m_lines.mostLinesLeft()));
        // The bytes read are let go a step at a time, as the text's are.
        constexpr size_t kReleaseStep = size_t{1} << 20;
        size_t nextRelease = m_lines.offset() + kReleaseStep;
        list("[/Passage]", [&](std::string_view entry) {
            const auto offset = r.lineEnds->size() <= length ? parseOffset(entry) : std::nullopt;
            const int64_t value = offset.value_or(-1);
            // An entry past the text cannot belong to it (nor fit in a 32-bit entry).
            withinText = withinText && value <= static_cast<int64_t>(length);
            if (offset && withinText)
                r.lineEnds->push_back(static_cast<LineEnd>(value));
            wellFormed = wellFormed && offset;
            if (m_consumed && m_lines.offset() >= nextRelease) {
                m_consumed(m_lines.offset());
                nextRelease = m_lines.offset() + kReleaseStep;
            }
        });
        refuseIf(!wellFormed);
        r.lineEndsFitText = wellFormed && withinText && lineListFits(*r.lineEnds, length);
        static const LineList noList;
        readPlaceAndMarks(length, r.lineEndsFitText ? *r.lineEnds : noList);
    }

  public:
    // From "Page is" on, for a book of `length` characters cut at `ends` (empty: no
    // anchors).
    void readTail(size_t length, const LineList &ends)
    {
        readPlaceAndMarks(length, ends);
        readPagePart();
        m_read.complete = !m_ended;
    }

  private:
    void readPlaceAndMarks(size_t length, const LineList &ends)
    {
        SettingsRead &r = m_read;
        labelled(8, r.topLine);
        labelled(11, r.linesPerPage);
        text(r.bookPath);
        if (!tag())
            return;
        r.bookmarks.emplace();
        const size_t mostMarks = std::max<size_t>(length, 1);
        r.marksEnded = list("[/Marks]", [&](std::string_view entry) {
            const auto number = parseBookmarkLine(utf8Line(entry));
            refuseIf(!number || r.bookmarks->size() >= mostMarks);
            if (number && r.bookmarks->size() < mostMarks)
                r.bookmarks->push_back({*number, anchorOfLine(*number, ends)});
        });
    }

    void readPagePart()
    {
        SettingsRead &r = m_read;
        tag();
        text(r.fontName);
        number(r.fontSize, kFontSizeRange);
        boolean(r.fontBold);
        boolean(r.fontItalic);
        boolean(r.fontUnderline);
        integer(r.trim, 0, 2);
        for (auto *field :
             {&r.lineSpacing, &r.topMargin, &r.bottomMargin, &r.leftMargin, &r.rightMargin})
            number(*field, kPageSpacingRange);
        r.pageEnded = tag();
        number(r.autoTurnSeconds, kAutoTurnSecondsRange);
        integer(r.scrollSpeed, defaults::kFastestScrollSpeed, defaults::kSlowestScrollSpeed);
    }

    LineCursor m_lines;
    SettingsRead &m_read;
    const std::function<void(size_t)> &m_consumed;
    bool m_ended = false;   // the file ran out before a line that was asked for
    bool m_accepted = true; // no value refused, brought into range or left out
};

void padRecent(std::vector<std::string> &recent)
{
    recent.resize(kRecentSlots, std::string(kNoneMarker));
}

} // namespace

void writeSettingsPieces(const SettingsData &data, const BookText &paragraphText,
                         const LineList &lineEnds,
                         const std::function<void(std::string_view)> &sink, SettingsLayout *layout)
{
    if (layout)
        *layout = SettingsLayout();
    PieceWriter out(sink);
    putWindow(out, data);
    putBook(out, data, paragraphText, lineEnds, layout);
    putPage(out, data);
    if (layout)
        layout->fileSize = out.written();
}

void slideCachePieces(const BookText &paragraphText, const ScrollTextMap &scrollMap,
                      const std::function<void(std::string_view)> &sink)
{
    PieceWriter out(sink);
    scrollMap.forEachPiece(paragraphText, 1 << 14,
                           [&](std::u32string_view piece) { out.encoded(piece); });
    out.lineEnd();
}

std::optional<double> keptInRange(double value, NumberRange range)
{
    if (!std::isfinite(value) || (range.zeroOrLessIsDefault && value <= 0))
        return std::nullopt;
    return std::clamp(value, range.low, range.high);
}

SettingsRead readSettingsFile(std::string_view bytes, const std::function<void(size_t)> &consumed)
{
    SettingsRead read;
    SettingsReader(bytes, read, consumed).readAll();
    return read;
}

SettingsRead readSettingsTail(std::string_view tailBytes, size_t textLength)
{
    SettingsRead read;
    SettingsReader(tailBytes, read, {}).readTail(textLength, {});
    return read;
}

bool lineListFits(const LineList &lineEnds, size_t textLength)
{
    if (lineEnds.empty() || lineEnds.front() != 0)
        return false;
    for (size_t i = 1; i < lineEnds.size(); ++i)
        if (lineEnds[i] <= lineEnds[i - 1])
            return false;
    return lineEnds.back() == static_cast<int64_t>(textLength);
}

SettingsData settingsFromState(const ReaderState &state)
{
    SettingsData d;
    d.lineEnds.clear();
    d.normalLeft = state.normalLeft;
    d.normalTop = state.normalTop;
    d.normalWidth = state.normalWidth;
    d.normalHeight = state.normalHeight;
    d.recent = state.recent;
    d.topLine = state.topLine;
    d.linesPerPage = state.linesPerPage;
    d.bookPath = state.bookPath;
    for (const auto &mark : state.bookmarks)
        d.bookmarks.push_back(mark.line);
    d.lineSpacing = state.lineSpacing;
    d.topMargin = state.topMargin;
    d.bottomMargin = state.bottomMargin;
    d.leftMargin = state.leftMargin;
    d.rightMargin = state.rightMargin;
    d.autoTurnSeconds = state.autoTurnSeconds;
    d.font = state.pageFont;
    d.trim = state.trimParagraphs;
    d.scrollSpeed = state.scrollSpeed;
    return d;
}

void applySettingsToState(SettingsRead &&read, ReaderState &state)
{
    auto apply = [](const auto &field, auto &target) {
        if (field)
            target = *field;
    };
    apply(read.normalLeft, state.normalLeft);
    apply(read.normalTop, state.normalTop);
    apply(read.normalWidth, state.normalWidth);
    apply(read.normalHeight, state.normalHeight);
    if (read.recent) {
        state.recent = *read.recent;
        padRecent(state.recent);
    }
    if (read.paragraphText)
        setParagraphText(state, std::move(*read.paragraphText));
    if (read.lineEnds) {
        // The state's list always starts with entry 0; an unfit list is re-flowed anyway.
        state.lineEnds = read.lineEnds->empty() ? LineList{0} : std::move(*read.lineEnds);
        state.lineEndsVersion = read.lineEndsFitText ? state.textVersion : state.textVersion - 1;
    }
    apply(read.topLine, state.topLine);
    apply(read.linesPerPage, state.linesPerPage);
    apply(read.bookPath, state.bookPath);
    apply(read.bookmarks, state.bookmarks);
    apply(read.lineSpacing, state.lineSpacing);
    apply(read.topMargin, state.topMargin);
    apply(read.bottomMargin, state.bottomMargin);
    apply(read.leftMargin, state.leftMargin);
    apply(read.rightMargin, state.rightMargin);
    apply(read.autoTurnSeconds, state.autoTurnSeconds);
    apply(read.trim, state.trimParagraphs);
    apply(read.scrollSpeed, state.scrollSpeed);
}

std::string settingsFilePath(std::string_view appDir)
{
    return std::string(appDir) + "/settings.ini";
}

std::string slideCachePath(std::string_view appDir)
{
    return std::string(appDir) + "/Slide.cache";
}

} // namespace tibbo::core
