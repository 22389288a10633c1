#pragma once
// Cutting the paragraph text into display lines. By character count: a line ends after
// a '^', after charsPerLine characters, or at the end of the text; with the fine rules
// (text/typesetting.h) a full line may end a little earlier or later, at most
// kMaxHangingMarks characters past charsPerLine. Installing a new line list and keeping
// the reader's place on it is navigation/readingplace.h.

#include "state/booktext.h"
#include "state/linelist.h"
#include "text/typesetting.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tibbo::core {

struct ReaderState;

// Cuts in slices so the window can let events run between them; the result is the
// same as one cut of the whole text.
class LineCutter
{
  public:
    // charsPerLine 0 (a text area of no width) puts every character on its own line.
    // The text is read in place: it must outlive the cutter and stay unchanged. The rules
    // (their headings belong to this text) are kept by the cutter.
    LineCutter(const BookText &text, int64_t charsPerLine, CutRules rules = {});
    LineCutter(BookText &&, int64_t, CutRules = {}) = delete;

    // Cuts lines until about `budget` more characters are covered; true when done.
    bool cut(int64_t budget);
    bool done() const { return m_pos >= textEnd(); }
    // Share of the text cut so far, 0 .. 1.
    double progress() const;
    // The line list: 0, then the end offset of each line cut so far.
    const LineList &ends() const { return m_ends; }
    LineList takeEnds() { return std::move(m_ends); }

    // A text still being read: the cut goes only up to `end`, the end of a paragraph
    // (after its '^'), as far as the text is there; -1 lets it go to the text's end once
    // the text is whole. The lines cut up to there are those of a cut of the whole text.
    void limitTo(int64_t end) { m_limit = end; }
    // Headings (Chapter::offset) of paragraphs that came since the cut began, in text
    // order, after those it has: lines begin there as at the rules' other line starts.
    void addHeadingStarts(const std::vector<int64_t> &starts);
    // Appends the entries cut since the last hand-over (the first time with the leading
    // 0) to `list`, so a list that grows as the text is read holds each entry once.
    void handEndsTo(LineList &list);
    // Offset the lines cut so far reach.
    int64_t position() const { return m_pos; }

  private:
    int64_t textEnd() const { return m_limit < 0 ? static_cast<int64_t>(m_text.size()) : m_limit; }
    // The next offset past m_pos where the rules begin a line (a joined heading, the
    // author line after the title); the text's size when none.
    int64_t nextLineStart();

    const BookText &m_text;
    int64_t m_width;
    CutRules m_rules;
    size_t m_nextLineStart = 0;
    int64_t m_pos = 0;
    int64_t m_limit = -1;
    LineList m_ends{0};
};

LineList cutLines(const BookText &text, int64_t charsPerLine, const CutRules &rules = {});

// True when the state's line list is the one a cut of its paragraph text for its
// charsPerLine under `rules` would give. Without the fine rules: it belongs to the text,
// and every line ends after a '^' or holds exactly charsPerLine characters (the last line
// may be shorter). With them the list is compared with a fresh cut (about ten
// milliseconds for a 20 MB book). A restored book whose list passes is shown as stored,
// without a second cut.
bool lineListMatchesCapacity(const ReaderState &state, const CutRules &rules = {});

} // namespace tibbo::core
