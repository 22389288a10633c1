#include "reading/highlightexport.h"

#include "text/codepage.h"
#include "text/selectiontext.h"

#include <algorithm>

namespace tibbo::core {

namespace {

// Lines of `text` (LF), none dropped, an empty text one empty line.
std::vector<std::u32string_view> linesOf(std::u32string_view text)
{
    std::vector<std::u32string_view> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(U'\n', start);
        lines.push_back(text.substr(start, end == std::u32string_view::npos ? end : end - start));
        if (end == std::u32string_view::npos)
            return lines;
        start = end + 1;
    }
}

// A line of a note kept as the reader wrote it in Markdown: a mark at its start that would
// make it a heading, a quote, a list item or a rule is escaped.
std::string markdownLine(std::u32string_view line)
{
    std::string out = toUtf8(line);
    const size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return out;
    const char c = out[first];
    if (c == '#' || c == '>' || c == '-' || c == '*' || c == '+' || c == '=' || c == '`' ||
        c == '|')
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(first), '\\');
    else if (c >= '0' && c <= '9') {
        const size_t after = out.find_first_not_of("0123456789", first);
        if (after != std::string::npos && (out[after] == '.' || out[after] == ')'))
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(after), '\\');
    }
    return out;
}

void appendQuote(std::string &out, std::u32string_view words, ExportFormat format)
{
    if (format == ExportFormat::Markdown) {
        for (const auto line : linesOf(words)) {
            out += line.empty() ? ">" : "> ";
            out += toUtf8(line);
            out += '\n';
        }
    } else {
        out += "「";
        out += toUtf8(words);
        out += "」\n";
    }
}

void appendNote(std::string &out, std::u32string_view note, ExportFormat format)
{
    if (note.empty())
        return;
    if (format == ExportFormat::Markdown) {
        out += "\n";
        for (const auto line : linesOf(note)) {
            out += markdownLine(line);
            out += '\n';
        }
    } else {
        out += "笔记：";
        out += toUtf8(note);
        out += '\n';
    }
}

} // namespace

int64_t chapterHolding(const std::vector<Chapter> &chapters, int64_t offset)
{
    const auto past = std::upper_bound(chapters.begin(), chapters.end(), offset,
                                       [](int64_t at, const Chapter &c) { return at < c.offset; });
    return static_cast<int64_t>(past - chapters.begin()) - 1;
}

std::string exportHighlights(std::u32string_view title, const BookText &text,
                             const std::vector<Chapter> &chapters,
                             const std::vector<Highlight> &highlights, ExportFormat format)
{
    const bool markdown = format == ExportFormat::Markdown;
    // A heading line: "## " before it in Markdown.
    const auto heading = [markdown](std::string &out, std::string_view level,
                                    std::u32string_view words) {
        if (markdown) {
            out += level;
            out += ' ';
        }
        out += toUtf8(words);
        out += '\n';
    };
    std::string out;
    heading(out, "#", title);
    const auto size = static_cast<int64_t>(text.size());
    int64_t chapterShown = -2;
    for (const Highlight &h : highlights) {
        if (h.lost || h.start >= size)
            continue;
        const int64_t chapter = chapterHolding(chapters, h.start);
        if (chapter != chapterShown && chapter >= 0) {
            out += '\n';
            heading(out, "##", chapters[static_cast<size_t>(chapter)].title);
        }
        chapterShown = chapter;
        out += "\n";
        appendQuote(out, copiedText(text, h.start, std::min(h.end(), size)), format);
        appendNote(out, h.note, format);
    }
    const bool anyLost =
        std::any_of(highlights.begin(), highlights.end(),
                    [size](const Highlight &h) { return h.lost || h.start >= size; });
    if (anyLost) {
        out += '\n';
        heading(out, "##", U"未找到");
        for (const Highlight &h : highlights) {
            if (!h.lost && h.start < size)
                continue;
            out += "\n";
            std::u32string around = h.anchor.before + U"…" + h.anchor.after;
            if (!h.anchor.chapterTitle.empty())
                around = h.anchor.chapterTitle + U"：" + around;
            appendQuote(out, around, format);
            appendNote(out, h.note, format);
        }
    }
    return out;
}

} // namespace tibbo::core
