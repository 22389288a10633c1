#include "settings/settingsfile.h"

#include "bookmarks/bookmarkstore.h"
#include "navigation/navigation.h"
#include "text/codepage.h"
#include "text/numbers.h"

#include <algorithm>

namespace tibbo::core {

namespace {

// ---- Writing ---------------------------------------------------------------------------

void putLine(std::u32string &out, std::u32string_view line)
{
    out += line;
    out += U"\r\n";
}

void putText(std::u32string &out, std::string_view utf8)
{
    putLine(out, fromUtf8(utf8));
}

// A number item: sign position, digits, one trailing blank.
void putNumber(std::u32string &out, double value)
{
    putText(out, str(value) + " ");
}

void putBool(std::u32string &out, bool value)
{
    putLine(out, value ? U"True" : U"False");
}

void putInteger(std::u32string &out, int64_t value)
{
    putText(out, std::to_string(value));
}

void putWindow(std::u32string &out, const SettingsData &d)
{
    putNumber(out, d.windowState);
    putNumber(out, d.normalLeft);
    putNumber(out, d.normalTop);
    putNumber(out, d.normalWidth);
    putNumber(out, d.normalHeight);
    putLine(out, U"[Recent]");
    for (const auto &entry : d.recent)
        putText(out, entry);
    putLine(out, U"[/Recent]");
}

void putBook(std::u32string &out, const SettingsData &d)
{
    putLine(out, U"[Text]");
    putLine(out, d.paragraphText);
    putLine(out, U"[/Text]");
    putLine(out, U"[Passage]");
    for (const auto end : d.lineEnds)
        putInteger(out, end);
    putLine(out, U"[/Passage]");
    putText(out, "Page is " + str(static_cast<double>(d.topLine)));
    putText(out, "Maxline is " + str(static_cast<double>(d.linesPerPage)));
    putText(out, d.bookPath);
    putLine(out, U"[Marks]");
    for (const auto line : d.bookmarks)
        putInteger(out, line);
    putLine(out, U"[/Marks]");
}

void putPage(std::u32string &out, const SettingsData &d)
{
    putLine(out, U"[Page]");
    putText(out, d.font.name);
    putNumber(out, d.font.size);
    putBool(out, d.font.bold);
    putBool(out, d.font.italic);
    putBool(out, d.font.underline);
    putNumber(out, d.trim);
    for (const double v : {d.lineSpacing, d.topMargin, d.bottomMargin, d.leftMargin, d.rightMargin})
        putNumber(out, v);
    putLine(out, U"[/Page]");
    putNumber(out, d.autoTurnSeconds);
    putNumber(out, d.scrollSpeed);
}

// ---- Reading ---------------------------------------------------------------------------

class LineCursor
{
  public:
    // The lines are views into text, which must outlive the cursor.
    explicit LineCursor(std::u32string_view text) : m_lines(splitLines(text)) {}

    // The next line, or nothing at the end of the file.
    std::optional<std::u32string_view> next()
    {
        if (m_at >= m_lines.size())
            return std::nullopt;
        return m_lines[m_at++];
    }

  private:
    std::vector<std::u32string_view> m_lines;
    size_t m_at = 0;
};

// Each reader returns false when the reading stops: the file ended or a value was refused.

bool readNumber(LineCursor &lines, std::optional<double> &field)
{
    const auto line = lines.next();
    if (line)
        field = val(toUtf8(*line));
    return line.has_value();
}

bool readInteger(LineCursor &lines, std::optional<int> &field, int low, int high)
{
    const auto line = lines.next();
    const auto value = line ? toInteger(toUtf8(*line)) : std::nullopt;
    if (!value || *value < low || *value > high)
        return false;
    field = static_cast<int>(*value);
    return true;
}

bool readBool(LineCursor &lines, std::optional<bool> &field)
{
    const auto line = lines.next();
    const auto value = line ? toBoolean(toUtf8(*line)) : std::nullopt;
    if (value)
        field = value;
    return value.has_value();
}

bool readText(LineCursor &lines, std::optional<std::string> &field)
{
    const auto line = lines.next();
    if (line)
        field = toUtf8(*line);
    return line.has_value();
}

// A labelled number: the label's length in characters is dropped unseen. The value is
// kept within kLineNumberLimit either way.
bool readLabelled(LineCursor &lines, size_t labelLength, std::optional<int64_t> &field)
{
    const auto line = lines.next();
    if (!line)
        return false;
    const double value = val(toUtf8(line->substr(std::min(labelLength, line->size()))));
    field = std::clamp(intFloor(value), -kLineNumberLimit, kLineNumberLimit);
    return true;
}

bool skipTag(LineCursor &lines)
{
    return lines.next().has_value();
}

// Hands every line up to the exact closing tag to onEntry; false when the file ends first.
template <typename OnEntry>
bool readList(LineCursor &lines, std::u32string_view closingTag, OnEntry onEntry)
{
    for (auto line = lines.next(); line; line = lines.next()) {
        if (*line == closingTag)
            return true;
        onEntry(*line);
    }
    return false;
}

// Whole number >= 0 for a line-list entry.
std::optional<int64_t> parseOffset(std::string_view text)
{
    const auto number = toInteger(text);
    if (!number || *number < 0 || *number > kLineNumberLimit ||
        val(text) != static_cast<double>(*number))
        return std::nullopt;
    return number;
}

bool readWindowPart(LineCursor &lines, SettingsRead &r)
{
    if (!readInteger(lines, r.windowState, 0, 2))
        return false;
    for (auto *field : {&r.normalLeft, &r.normalTop, &r.normalWidth, &r.normalHeight})
        if (!readNumber(lines, *field))
            return false;
    if (!skipTag(lines))
        return false;
    r.recent.emplace();
    return readList(lines, U"[/Recent]", [&](auto line) { r.recent->push_back(toUtf8(line)); });
}

bool readTextPart(LineCursor &lines, SettingsRead &r)
{
    if (!skipTag(lines))
        return false;
    const auto text = lines.next();
    if (!text)
        return false;
    r.paragraphText = std::u32string(*text);
    if (!skipTag(lines))
        return false;
    r.lineEnds.emplace();
    return true;
}

bool readPassagePart(LineCursor &lines, SettingsRead &r)
{
    if (!skipTag(lines))
        return false;
    bool wellFormed = true;
    const bool ended = readList(lines, U"[/Passage]", [&](auto line) {
        if (const auto offset = parseOffset(toUtf8(line)))
            r.lineEnds->push_back(*offset);
        else
            wellFormed = false;
    });
    r.lineEndsFitText = wellFormed && lineListFits(*r.lineEnds, r.paragraphText->size());
    return ended;
}

bool readMarksPart(LineCursor &lines, SettingsRead &r)
{
    if (!readLabelled(lines, 8, r.topLine) || !readLabelled(lines, 11, r.linesPerPage) ||
        !readText(lines, r.bookPath) || !skipTag(lines))
        return false;
    r.bookmarks.emplace();
    const std::vector<int64_t> noList;
    const auto &ends = r.lineEndsFitText ? *r.lineEnds : noList;
    r.marksEnded = readList(lines, U"[/Marks]", [&](auto line) {
        if (const auto number = parseBookmarkLine(toUtf8(line)))
            r.bookmarks->push_back({*number, anchorOfLine(*number, ends)});
    });
    return r.marksEnded;
}

bool readPagePart(LineCursor &lines, SettingsRead &r)
{
    if (!skipTag(lines) || !readText(lines, r.fontName) || !readNumber(lines, r.fontSize))
        return false;
    for (auto *flag : {&r.fontBold, &r.fontItalic, &r.fontUnderline})
        if (!readBool(lines, *flag))
            return false;
    if (!readInteger(lines, r.trim, 0, 2))
        return false;
    for (auto *field :
         {&r.lineSpacing, &r.topMargin, &r.bottomMargin, &r.leftMargin, &r.rightMargin})
        if (!readNumber(lines, *field))
            return false;
    r.pageEnded = skipTag(lines);
    return r.pageEnded;
}

bool readTailPart(LineCursor &lines, SettingsRead &r)
{
    return readNumber(lines, r.autoTurnSeconds) && readInteger(lines, r.scrollSpeed, 1, 300);
}

void padRecent(std::vector<std::string> &recent)
{
    recent.resize(kRecentSlots, std::string(kNoneMarker));
}

} // namespace

std::string writeSettingsFile(const SettingsData &data)
{
    std::u32string text;
    text.reserve(data.paragraphText.size() + 12 * data.lineEnds.size() + 1024);
    putWindow(text, data);
    putBook(text, data);
    putPage(text, data);
    return encodeGb18030(text);
}

std::string slideCacheBytes(std::u32string_view bookText)
{
    // Encoded in place of a copy with the closing CR LF: the text can be 20 MB.
    std::string bytes = encodeGb18030(bookText);
    bytes += "\r\n";
    return bytes;
}

SettingsRead readSettingsFile(std::string_view bytes)
{
    SettingsRead read;
    const std::u32string text = decodeGb18030(bytes); // the lines are views into it
    LineCursor lines(text);
    read.complete = readWindowPart(lines, read) && readTextPart(lines, read) &&
                    readPassagePart(lines, read) && readMarksPart(lines, read) &&
                    readPagePart(lines, read) && readTailPart(lines, read);
    return read;
}

bool lineListFits(const std::vector<int64_t> &lineEnds, size_t textLength)
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
    d.normalLeft = state.normalLeft;
    d.normalTop = state.normalTop;
    d.normalWidth = state.normalWidth;
    d.normalHeight = state.normalHeight;
    d.recent = state.recent;
    d.paragraphText = state.paragraphText;
    d.lineEnds = state.lineEnds;
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
    return d;
}

void applySettingsToState(const SettingsRead &read, ReaderState &state)
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
        setParagraphText(state, *read.paragraphText);
    if (read.lineEnds) {
        // The state's list always starts with entry 0; an unfit list is re-flowed anyway.
        state.lineEnds = read.lineEnds->empty() ? std::vector<int64_t>{0} : *read.lineEnds;
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
