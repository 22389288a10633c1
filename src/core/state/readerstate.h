#pragma once
// The reader's whole working state: the book in its two text forms, the line model,
// the position on show, the page appearance, the loading flags and the values of the
// reading modes and the window chrome. The window owns one instance and every
// procedure reads and writes it in place.

#include "state/booktext.h"
#include "state/defaults.h"
#include "state/linelist.h"
#include "state/scrolltextmap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

// An empty slot of the recent list as it is stored in settings.ini.
inline constexpr std::string_view kNoneMarker = "\\none";
inline constexpr int kRecentSlots = 5;

// The question of the prompt panel: a page to go to, or the seconds between automatic
// turns.
enum class PromptMode { None, GoToPage, Interval };

struct Bookmark
{
    // 1-based display line in the current line list; this number is what files store.
    int64_t line = 0;
    // Offset in paragraphText of the first character of the marked line. It lets a
    // re-flow put the bookmark back on the same text under another line capacity.
    // Empty for a value that did not fit the line list it was taken from.
    std::optional<int64_t> anchor;
};

// Where the reader is, as the re-flow keeps it: the offset in paragraphText of the first
// character of line topLine + selectedLine (the chosen line, or the spread's first line),
// together with the topLine and selectedLine the re-flow left and the text it belongs to.
struct ReadingPlace
{
    int64_t offset = 0;
    int64_t topLine = 0;
    int64_t selectedLine = 0;
    uint64_t textVersion = 0;
};

struct ReaderState
{
    // The book as paragraphs, each closed by '^'; the source of every display line. The
    // only copy of the book's text.
    BookText paragraphText;
    // Makes the book as lines, each ended by CR LF (the text of scroll mode and
    // Slide.cache), from paragraphText.
    ScrollTextMap scrollMap;
    // Full path of the current book, UTF-8.
    std::string bookPath;

    int64_t charsPerLine = 0;
    int64_t previousCharsPerLine = 0;
    int64_t linesPerPage = 0;

    // 1-based first line of the spread on show; 0 until the first re-flow.
    int64_t topLine = 0;
    // Label index (0 .. 2L - 1) of the line last chosen on a spread; kept across moves.
    int64_t selectedLine = 0;
    bool lineChosen = false;
    int64_t spreadCharCount = 0;

    // Page appearance, pixels; fractional and negative values are kept as typed.
    double topMargin = defaults::kPageSpacing.topMargin;
    double bottomMargin = defaults::kPageSpacing.bottomMargin;
    double leftMargin = defaults::kPageSpacing.leftMargin;
    double rightMargin = defaults::kPageSpacing.rightMargin;
    double lineSpacing = defaults::kPageSpacing.lineSpacing;
    // The font the page is drawn in (the window sets it before the first spread).
    FontSettings pageFont;
    // Fine typesetting (精排) of the cut into lines.
    bool fineTypesetting = false;
    // Paragraph trimming for the books opened from now on: 0 off, 1 on, 2 undecided. The
    // settings panel's box sets it at once; its cancel puts it back.
    int trimParagraphs = defaults::kTrimParagraphs;

    bool loadingBusy = false;
    bool partialShown = false;
    bool menuShown = false;
    bool welcomeMode = false;

    // What the prompt panel asks for.
    PromptMode promptMode = PromptMode::None;
    double autoTurnSeconds = defaults::kAutoTurnSeconds;
    double elapsedSeconds = 0;
    int64_t scrollPos = 0;
    // Milliseconds a scroll-mode step.
    int scrollSpeed = defaults::kScrollSpeed;

    // Normal (not full-screen) window geometry, twips (15 to a pixel).
    double normalLeft = 0;
    double normalTop = 0;
    double normalWidth = defaults::kWindowWidth;
    double normalHeight = defaults::kWindowHeight;

    // The line list (state/linelist.h). No limit on the number of lines.
    LineList lineEnds{0};
    // Recent books, newest first; always kRecentSlots entries, empty ones kNoneMarker.
    std::vector<std::string> recent =
        std::vector<std::string>(kRecentSlots, std::string(kNoneMarker));
    // Bookmarks of the current book in the order they were added.
    std::vector<Bookmark> bookmarks;

    // Bumped whenever paragraphText is replaced; lineEndsVersion records which text
    // the line list was cut from, so a re-flow only maps positions within one text.
    uint64_t textVersion = 0;
    uint64_t lineEndsVersion = 0;

    // The place the last re-flow kept. While topLine, selectedLine and the text are still
    // those it left (the reader has not moved), the next re-flow keeps the same character
    // instead of taking a new one from a line start, so a series of size changes that
    // ends at the old size shows the old spread exactly.
    std::optional<ReadingPlace> readingPlace;

    // Number of display lines.
    int64_t lineCount() const { return static_cast<int64_t>(lineEnds.size()) - 1; }
    // Entries of the line list (E): one more than the number of display lines.
    int64_t entryCount() const { return static_cast<int64_t>(lineEnds.size()); }
    bool lineEndsFitText() const { return lineEndsVersion == textVersion; }
};

// Replaces the paragraph text. The line list no longer belongs to it, and bookmark
// anchors (offsets into the old text) are dropped: the next re-flow anchors the
// bookmarks afresh by their line numbers.
inline void setParagraphText(ReaderState &state, BookText text)
{
    state.paragraphText = std::move(text);
    ++state.textVersion;
    for (Bookmark &b : state.bookmarks)
        b.anchor.reset();
}

} // namespace tibbo::core
