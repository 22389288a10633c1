#include "bookmarks/bookmarkstore.h"

#include "pages/pages.h"
#include "text/codepage.h"
#include "text/fileio.h"
#include "text/numbers.h"

#include <algorithm>

namespace tibbo::core {

namespace {

int64_t chosenLine(const ReaderState &state)
{
    return state.topLine + state.selectedLine;
}

// Index of the first bookmark on the spread of line, or the list's size when none is.
size_t firstOnSpreadOf(const ReaderState &state, int64_t line)
{
    const int64_t spread = spreadOfLine(line, state.linesPerPage);
    const auto &marks = state.bookmarks;
    const auto it = std::find_if(marks.begin(), marks.end(), [&](const Bookmark &b) {
        return spreadOfLine(b.line, state.linesPerPage) == spread;
    });
    return static_cast<size_t>(it - marks.begin());
}

} // namespace

std::optional<int64_t> anchorOfLine(int64_t line, const LineList &lineEnds)
{
    const auto lines = static_cast<int64_t>(lineEnds.size()) - 1;
    if (line < 1 || line > lines)
        return std::nullopt;
    return lineEnds[static_cast<size_t>(line - 1)];
}

AddBookmarkOutcome addBookmark(ReaderState &state)
{
    if (!state.lineChosen)
        return AddBookmarkOutcome::NoLineChosen;
    Bookmark mark{chosenLine(state), std::nullopt};
    if (state.lineEndsFitText())
        mark.anchor = anchorOfLine(mark.line, state.lineEnds);
    const size_t at = firstOnSpreadOf(state, mark.line);
    if (at < state.bookmarks.size()) {
        state.bookmarks[at] = mark;
        return AddBookmarkOutcome::Replaced;
    }
    state.bookmarks.push_back(mark);
    return AddBookmarkOutcome::Appended;
}

bool deleteBookmark(ReaderState &state)
{
    const size_t at = firstOnSpreadOf(state, chosenLine(state));
    if (at >= state.bookmarks.size())
        return false;
    state.bookmarks.erase(state.bookmarks.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

std::string bookmarkCaption(int64_t line, int64_t linesPerPage)
{
    return "第" + str(static_cast<double>(pageOfLine(line, linesPerPage))) + "页";
}

std::vector<std::string> bookmarkMenuCaptions(const ReaderState &state)
{
    std::vector<std::string> captions;
    captions.reserve(state.bookmarks.size());
    for (const auto &mark : state.bookmarks)
        captions.push_back(bookmarkCaption(mark.line, state.linesPerPage));
    return captions;
}

bool jumpToBookmark(ReaderState &state, int64_t index)
{
    if (index < 0 || index >= static_cast<int64_t>(state.bookmarks.size()))
        return false;
    const int64_t line = state.bookmarks[static_cast<size_t>(index)].line;
    // A bookmark past the end of the book (a mark file from a longer layout or edited by
    // hand) shows the last spread that holds text, never an empty one.
    state.topLine =
        std::clamp<int64_t>(spreadStartOfLine(line, state.linesPerPage), 1, lastSpreadTop(state));
    return true;
}

std::optional<int64_t> parseBookmarkLine(std::string_view text)
{
    const auto number = toInteger(text);
    // toInteger rounds a fraction; a stored line number never has one.
    if (!number || *number < 1 || *number > kLineNumberLimit ||
        val(text) != static_cast<double>(*number))
        return std::nullopt;
    return number;
}

namespace {

constexpr std::string_view kMarkSuffix = ".mark";
constexpr size_t kLongestFileName = 255;

// FNV-1a, 64 bits: the same digits for the same name on every machine.
std::string nameHash(std::string_view name)
{
    uint64_t hash = 14695981039346656037ull;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        hex[static_cast<size_t>(i)] = kDigits[hash & 15];
    return hex;
}

} // namespace

std::string markFileName(std::string_view bookPath)
{
    const std::string name = fileNameOf(bookPath);
    if (name.size() + kMarkSuffix.size() <= kLongestMarkFileName)
        return name + std::string(kMarkSuffix);
    const std::string tail = "~" + nameHash(name) + std::string(kMarkSuffix);
    size_t cut = kLongestMarkFileName - tail.size();
    // Back to the start of a character: UTF-8 continuation bytes are 10xxxxxx.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut) + tail;
}

std::string markFilePath(std::string_view appDir, std::string_view bookPath)
{
    return std::string(appDir) + "/" + markFileName(bookPath);
}

std::string markFileBytes(const std::vector<Bookmark> &bookmarks)
{
    std::string bytes;
    for (const auto &mark : bookmarks)
        bytes += std::to_string(mark.line) + "\r\n";
    return bytes;
}

std::vector<Bookmark> parseMarkFile(std::string_view bytes)
{
    std::vector<Bookmark> marks;
    const std::u32string text = decodeGb18030(bytes);
    for (const auto line : splitLines(text))
        if (const auto number = parseBookmarkLine(toUtf8(line)))
            marks.push_back({*number, std::nullopt});
    return marks;
}

std::vector<Bookmark> readMarks(const std::string &appDir, std::string_view bookPath)
{
    auto bytes = readFile(markFilePath(appDir, bookPath));
    const std::string plainName = fileNameOf(bookPath) + std::string(kMarkSuffix);
    if (!bytes && plainName.size() > kLongestMarkFileName && plainName.size() <= kLongestFileName)
        bytes = readFile(appDir + "/" + plainName);
    return bytes ? parseMarkFile(*bytes) : std::vector<Bookmark>{};
}

bool writeMarks(const std::string &appDir, std::string_view bookPath,
                const std::vector<Bookmark> &bookmarks)
{
    return writeFileAtomically(markFilePath(appDir, bookPath), markFileBytes(bookmarks));
}

} // namespace tibbo::core
