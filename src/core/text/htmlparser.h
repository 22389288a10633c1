#pragma once
// Reading an HTML book: the text between tags is kept, "</P>" and "<BR>" right after
// a kept character close a paragraph, and so does the end of a block element (a
// heading, "</div>", "</li>", "</tr>", "</blockquote>", "<hr>", the title) after any
// text; character references ("&ldquo;", "&#20013;") are decoded, and all other markup
// is dropped by position alone. What a saved web page
// holds besides the book is skipped: the text of <script> and <style> (which may hold
// '<' and '>'), comments, and the text of <head> except its <title>. The parse runs in
// slices so the window stays usable, and it reports once when the text gathered
// reaches the size at which the first part of a large book is shown.

#include "state/booktext.h"
#include "state/scrolltextmap.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tibbo::core {

inline constexpr int64_t kHtmlFirstPartChars = 10000;

// The parse source: the file's lines joined with no separator (CR and CR LF vanish,
// a lone LF stays).
std::u32string htmlSource(std::u32string_view decoded);

class HtmlParser
{
  public:
    enum class Status {
        Running,   // the slice ended, more to do
        FirstPart, // the paragraph text just reached kHtmlFirstPartChars (reported once)
        Done,
    };

    explicit HtmlParser(BookText source);

    // Examines about `budget` characters of the source.
    Status run(int64_t budget);
    bool done() const { return m_done; }
    // Share of the source examined, 0 .. 1.
    double progress() const;

    // The paragraph text so far: no closing '^' is added at the end.
    const BookText &paragraphText() const { return m_paragraph; }
    // Makes the scroll text so far: every kept character, CR LF at each break tag.
    const ScrollTextMap &scrollMap() const { return m_scrollMap; }
    BookText takeParagraphText() { return std::move(m_paragraph); }
    ScrollTextMap takeScrollMap() { return std::move(m_scrollMap); }

  private:
    Status examine(int64_t budget);

    // Markup whose content is passed over up to its end, not parsed.
    enum class Skipped { Nothing, Comment, Script, Style };

    char32_t at(int64_t p) const { return m_source[static_cast<size_t>(p - 1)]; }
    // The character reference that may start at p, as far as one could reach.
    std::u32string referenceAt(int64_t p) const;
    bool breakTagAfter(int64_t p) const;
    void noteTag(int64_t p);
    void endParagraph();
    bool skippedEndsAt(int64_t p) const;
    bool blankRunAt(int64_t p) const;
    void copyCharacter();

    BookText m_source;
    int64_t m_length;
    int64_t m_p = 1;      // 1-based position in the source
    bool m_inRun = false; // inside a text run after a '>'
    // The tag being read opens a script or style: its '>' starts skipped content.
    Skipped m_pendingRawText = Skipped::Nothing;
    Skipped m_skipping = Skipped::Nothing;
    bool m_inHead = false;
    bool m_inTitle = false;
    bool m_dropRun = false; // the text run being read is blank text of <head>
    bool m_firstPartReported = false;
    bool m_done = false;
    BookText m_paragraph;
    ScrollTextMap m_scrollMap;
    // How far the source and the paragraph text have let their pages go.
    size_t m_releasedSource = 0;
    size_t m_releasedParagraph = 0;
};

} // namespace tibbo::core
