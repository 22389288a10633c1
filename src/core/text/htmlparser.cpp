#include "text/htmlparser.h"

#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/htmlentities.h"

namespace tibbo::core {

std::u32string htmlSource(std::u32string_view decoded)
{
    std::u32string s;
    s.reserve(decoded.size());
    for (std::u32string_view line : splitLines(decoded))
        s.append(line);
    return s;
}

HtmlParser::HtmlParser(BookText source)
    : m_source(std::move(source)), m_length(static_cast<int64_t>(m_source.size()))
{
    m_paragraph.reserve(m_source.size() / 2);
    // An empty file is an empty book.
    m_done = m_length == 0;
}

double HtmlParser::progress() const
{
    if (m_length == 0 || m_done)
        return 1.0;
    return static_cast<double>(m_p) / static_cast<double>(m_length);
}

// "</P>" or "<BR>", in any letter case, in the four characters after p.
bool HtmlParser::breakTagAfter(int64_t p) const
{
    if (p + 4 > m_length)
        return false;
    char32_t t[4];
    for (int k = 0; k < 4; ++k) {
        char32_t c = at(p + 1 + k);
        t[k] = (c >= U'a' && c <= U'z') ? c - 32 : c;
    }
    return (t[0] == U'<' && t[1] == U'/' && t[2] == U'P' && t[3] == U'>') ||
           (t[0] == U'<' && t[1] == U'B' && t[2] == U'R' && t[3] == U'>');
}

namespace {

char32_t lowerAscii(char32_t c)
{
    return (c >= U'A' && c <= U'Z') ? c + 32 : c;
}

bool isAsciiAlnum(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
}

bool isHtmlBlank(char32_t c)
{
    return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == U'\f';
}

// Elements that may stand in <head>; any other opening tag starts the body, as in a
// page that never closes its head.
bool belongsInHead(std::u32string_view name)
{
    for (std::u32string_view n : {U"html", U"head", U"title", U"meta", U"link", U"style", U"script",
                                  U"base", U"noscript", U"template", U"basefont", U"bgsound"})
        if (name == n)
            return true;
    return false;
}

// Elements whose end ends a paragraph, as "</P>" does: headings, blocks, list items,
// table rows, and the title a saved page starts with.
bool endsParagraph(std::u32string_view name)
{
    for (std::u32string_view n :
         {U"h1", U"h2", U"h3", U"h4", U"h5", U"h6", U"div", U"li", U"tr", U"blockquote", U"title"})
        if (name == n)
            return true;
    return false;
}

// Tag names are short; a longer run of letters is some other tag.
constexpr size_t kLongestTagName = 16;

} // namespace

// Called on every '<' outside a text run: a comment starts skipping at once; a script
// or style starts skipping after its tag's '>'; head and title tags are followed.
void HtmlParser::noteTag(int64_t p)
{
    if (p + 3 <= m_length && at(p + 1) == U'!' && at(p + 2) == U'-' && at(p + 3) == U'-') {
        m_skipping = Skipped::Comment;
        return;
    }
    int64_t q = p + 1;
    const bool closing = q <= m_length && at(q) == U'/';
    if (closing)
        ++q;
    std::u32string name;
    for (; q <= m_length && isAsciiAlnum(at(q)) && name.size() <= kLongestTagName; ++q)
        name.push_back(lowerAscii(at(q)));
    if (name.empty())
        return;
    if (closing) {
        if (name == U"head")
            m_inHead = m_inTitle = false;
        else if (name == U"title")
            m_inTitle = false;
        if (endsParagraph(name))
            endParagraph();
        return;
    }
    if (name == U"hr")
        endParagraph();
    m_pendingRawText = name == U"script"  ? Skipped::Script
                       : name == U"style" ? Skipped::Style
                                          : Skipped::Nothing;
    if (name == U"head")
        m_inHead = true;
    else if (name == U"title")
        m_inTitle = true;
    else if (!belongsInHead(name))
        m_inHead = m_inTitle = false;
}

// Closes the paragraph gathered since the last mark, if it holds any text: the end of a
// block closes it even when other tags stand between its text and the end tag.
void HtmlParser::endParagraph()
{
    if (m_paragraph.empty() || m_paragraph[m_paragraph.size() - 1] == kParagraphMark)
        return;
    m_scrollMap.insertLineEnd(static_cast<int64_t>(m_paragraph.size()));
    m_paragraph.push_back(kParagraphMark);
}

// The end of skipped content at p: "-->" for a comment, "</script" or "</style" (any
// letter case) followed by a blank, '/', '>' or the end of the source.
bool HtmlParser::skippedEndsAt(int64_t p) const
{
    if (m_skipping == Skipped::Comment)
        return p + 2 <= m_length && at(p) == U'-' && at(p + 1) == U'-' && at(p + 2) == U'>';
    const std::u32string_view name = m_skipping == Skipped::Script ? U"script" : U"style";
    const auto size = static_cast<int64_t>(name.size());
    if (p + 1 + size > m_length || at(p) != U'<' || at(p + 1) != U'/')
        return false;
    for (int64_t k = 0; k < size; ++k)
        if (lowerAscii(at(p + 2 + k)) != name[static_cast<size_t>(k)])
            return false;
    const int64_t after = p + 2 + size;
    return after > m_length || isHtmlBlank(at(after)) || at(after) == U'/' || at(after) == U'>';
}

// True when the text run from p to the next '<' holds nothing but blanks.
bool HtmlParser::blankRunAt(int64_t p) const
{
    for (int64_t q = p; q < m_length && at(q) != U'<'; ++q)
        if (!isHtmlBlank(at(q)))
            return false;
    return true;
}

HtmlParser::Status HtmlParser::run(int64_t budget)
{
    const Status status = examine(budget);
    // The source examined and the paragraphs made need not stay in memory.
    constexpr size_t kStretch = size_t{1} << 20;
    const auto examinedTo = static_cast<size_t>(m_p - 1);
    if (m_done || examinedTo >= m_releasedSource + kStretch) {
        m_source.release(m_releasedSource, examinedTo);
        m_releasedSource = examinedTo;
    }
    if (m_done || m_paragraph.size() >= m_releasedParagraph + kStretch) {
        m_paragraph.release(m_releasedParagraph, m_paragraph.size());
        m_releasedParagraph = m_paragraph.size();
    }
    return status;
}

HtmlParser::Status HtmlParser::examine(int64_t budget)
{
    int64_t examined = 0;
    while (!m_done && examined < budget) {
        if (m_skipping != Skipped::Nothing) {
            // The end is found by looking ahead in the whole source, so an end tag or a
            // "-->" that straddles two slices is still found.
            while (m_p < m_length && !skippedEndsAt(m_p)) {
                if (examined >= budget)
                    return Status::Running;
                ++m_p;
                ++examined;
            }
            // A comment ends on the '>' of its "-->", which starts the next text run; a
            // script or style ends on the '<' of its end tag, read as any other tag.
            if (m_skipping == Skipped::Comment && m_p < m_length)
                m_p += 2;
            m_skipping = Skipped::Nothing;
            m_done = !(m_p < m_length);
            continue;
        }
        // A '>' ends a tag: copy the text run up to the next '<'. Any other character
        // here belongs to a tag or stands before the first one and is skipped. The
        // last character of the source is never copied.
        if (!m_inRun && at(m_p) == U'>') {
            ++m_p;
            if (m_pendingRawText != Skipped::Nothing) {
                m_skipping = m_pendingRawText;
                m_pendingRawText = Skipped::Nothing;
                m_done = !(m_p < m_length);
                continue;
            }
            m_inRun = true;
            m_dropRun = false;
            if (m_inHead && !m_inTitle) {
                // Text in a head that is not only blanks starts the body.
                m_dropRun = blankRunAt(m_p);
                m_inHead = m_dropRun;
            }
        }
        if (m_inRun) {
            while (m_p < m_length && at(m_p) != U'<') {
                // A long run without tags is cut into slices too.
                if (examined >= budget)
                    return Status::Running;
                if (m_dropRun)
                    ++m_p;
                else
                    copyCharacter();
                ++examined;
            }
            m_inRun = false;
        }
        if (m_p <= m_length && at(m_p) == U'<')
            noteTag(m_p);
        ++examined;
        ++m_p;
        m_done = !(m_p < m_length);
        if (!m_firstPartReported &&
            static_cast<int64_t>(m_paragraph.size()) >= kHtmlFirstPartChars) {
            m_firstPartReported = true;
            return Status::FirstPart;
        }
    }
    return m_done ? Status::Done : Status::Running;
}

// '&', then the letters, digits and '#' of a name or number, then the character that
// ends them (a reference's ';'): all that decodeEntity looks at.
std::u32string HtmlParser::referenceAt(int64_t p) const
{
    const auto isPart = [](char32_t c) {
        return c == U'#' || (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') ||
               (c >= U'a' && c <= U'z');
    };
    auto end = static_cast<size_t>(p);
    while (end < m_source.size() && isPart(m_source[end]))
        ++end;
    return m_source.substr(static_cast<size_t>(p - 1), end + 1 - static_cast<size_t>(p - 1));
}

void HtmlParser::copyCharacter()
{
    char32_t c = at(m_p);
    if (c == U'&') {
        if (const auto entity = decodeEntity(referenceAt(m_p))) {
            c = entity->character;
            m_p += entity->length - 1; // stand on the reference's ';'
        }
    }
    const auto at = static_cast<int64_t>(m_paragraph.size());
    if (c == U'\r' || c == U'\n') {
        m_scrollMap.insertCharacter(at, c);
    } else {
        if (c == kParagraphMark)
            m_scrollMap.keepMark(at);
        m_paragraph.push_back(c);
    }
    if (breakTagAfter(m_p)) {
        m_scrollMap.insertLineEnd(static_cast<int64_t>(m_paragraph.size()));
        m_paragraph.push_back(kParagraphMark);
    }
    ++m_p;
}

} // namespace tibbo::core
