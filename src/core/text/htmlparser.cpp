#include "text/htmlparser.h"

#include "state/readerstate.h"
#include "text/codepage.h"

namespace tibbo::core {

std::u32string htmlSource(std::u32string_view decoded)
{
    std::u32string s;
    s.reserve(decoded.size());
    for (std::u32string_view line : splitLines(decoded))
        s.append(line);
    return s;
}

HtmlParser::HtmlParser(std::u32string source)
    : m_source(std::move(source)), m_length(static_cast<int64_t>(m_source.size()))
{
    m_paragraph.reserve(m_source.size() / 2);
    m_book.reserve(m_source.size() / 2);
    // An empty file is an empty book.
    m_done = m_length == 0;
}

double HtmlParser::progress() const
{
    if (m_length == 0 || m_done)
        return 1.0;
    return static_cast<double>(m_p) / static_cast<double>(m_length);
}

bool HtmlParser::quoteEntityAt(int64_t p) const
{
    return p + 5 <= m_length &&
           std::u32string_view(m_source).substr(static_cast<size_t>(p - 1), 6) == U"&quot;";
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

HtmlParser::Status HtmlParser::run(int64_t budget)
{
    int64_t examined = 0;
    while (!m_done && examined < budget) {
        // A '>' ends a tag: copy the text run up to the next '<'. Any other character
        // here belongs to a tag or stands before the first one and is skipped. The
        // last character of the source is never copied.
        if (!m_inRun && at(m_p) == U'>') {
            ++m_p;
            m_inRun = true;
        }
        if (m_inRun) {
            while (m_p < m_length && at(m_p) != U'<') {
                // A long run without tags is cut into slices too.
                if (examined >= budget)
                    return Status::Running;
                copyCharacter();
                ++examined;
            }
            m_inRun = false;
        }
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

void HtmlParser::copyCharacter()
{
    char32_t c = at(m_p);
    if (quoteEntityAt(m_p)) {
        c = U'"';
        m_p += 5; // stand on the entity's ';'
    }
    if (c != U'\r' && c != U'\n')
        m_paragraph.push_back(c);
    m_book.push_back(c);
    if (breakTagAfter(m_p)) {
        m_paragraph.push_back(kParagraphMark);
        m_book.append(U"\r\n");
    }
    ++m_p;
}

} // namespace tibbo::core
