#pragma once
// settings.ini and Slide.cache: the reader's whole working state, the current book
// included, so that the next start shows the saved spread without reading the book.
//
// settings.ini is positional GB18030 text, one value per line, every line ended by
// CR LF, in this order: window state, normal left, top, width, height (twips);
// "[Recent]", the recent entries, "[/Recent]"; "[Text]", the paragraph text on one line,
// "[/Text]"; "[Passage]", the line-list entries, "[/Passage]"; "Page is " + topLine;
// "Maxline is " + linesPerPage; the book path; "[Marks]", the bookmark lines,
// "[/Marks]"; "[Page]", font name, size, bold, italic, underline, paragraph trimming,
// line spacing, top, bottom, left, right margin, "[/Page]"; seconds per automatic turn;
// scroll speed.
//
// Numbers are written with a sign position and one trailing blank (" 2 ", " 10.5 ",
// "-3 "), the labelled numbers with the sign position only ("Page is  121"), booleans
// as "True" / "False", list entries, paths and the font name as they are.
//
// Every number is kept to a sane range, on reading and on writing alike, so that no
// value of the file can make the window huge, the page hold millions of lines or a
// conversion overflow, and whatever is written reads back as the same value:
//
//   window left, top           -200000 .. 200000 twips
//   window width, height        15 .. 200000 twips; 0 or less takes the default
//   font size                   1 .. 200 points; 0 or less takes the default
//   line spacing, margins       -10000 .. 10000 pixels
//   seconds per automatic turn  1 .. 86400 (0 or less turned at every tick: so does 1)
//   "Page is", "Maxline is"     whole numbers within +-kLineNumberLimit
//
// A value beyond its range is brought to the nearest end of it; a value that is no
// finite number (1E+400 reads as infinity) takes the default, and is written as the
// default. Numbers are written with 15 significant digits, or with more when 15 would
// read back as another value.

#include "state/readerstate.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

// The range a number of settings.ini is kept to (see above).
struct NumberRange
{
    double low = -std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::max();
    bool zeroOrLessIsDefault = false; // a size: 0 or less means nothing, not the low end
};

inline constexpr NumberRange kWindowPositionRange{-200000, 200000};
inline constexpr NumberRange kWindowSizeRange{15, 200000, true};
inline constexpr NumberRange kFontSizeRange{1, 200, true};
inline constexpr NumberRange kPageSpacingRange{-10000, 10000};
inline constexpr NumberRange kAutoTurnSecondsRange{1, 86400};

// value brought into range; nothing when it is no finite number or, for a size, 0 or less.
std::optional<double> keptInRange(double value, NumberRange range);

// Everything settings.ini holds. The defaults are the start-up defaults.
struct SettingsData
{
    int windowState = 0; // 0 normal, 1 minimised, 2 full screen
    double normalLeft = 0;
    double normalTop = 0;
    double normalWidth = defaults::kWindowWidth;
    double normalHeight = defaults::kWindowHeight;
    std::vector<std::string> recent;
    // The book and its line list; settingsFromState leaves them empty, and the session
    // writer reads them from the state in place.
    BookText paragraphText;
    LineList lineEnds{0};
    int64_t topLine = 1;
    int64_t linesPerPage = 0;
    std::string bookPath;
    std::vector<int64_t> bookmarks;
    FontSettings font;
    int trim = defaults::kTrimParagraphs; // 0 off, 1 on, 2 undecided
    double lineSpacing = defaults::kPageSpacing.lineSpacing;
    double topMargin = defaults::kPageSpacing.topMargin;
    double bottomMargin = defaults::kPageSpacing.bottomMargin;
    double leftMargin = defaults::kPageSpacing.leftMargin;
    double rightMargin = defaults::kPageSpacing.rightMargin;
    double autoTurnSeconds = defaults::kAutoTurnSeconds;
    int scrollSpeed = defaults::kScrollSpeed; // milliseconds per scroll step
};

// Where the parts of a written settings.ini begin, in bytes from the file's start, so a
// start can read the values after the line list and the text around the place without
// the rest (see settingsindex.h).
struct SettingsLayout
{
    // Every kCharsPerCheckpoint characters of the book text, and its end: the byte where
    // the character with that count begins.
    struct TextCheckpoint
    {
        uint64_t byte = 0;
        uint64_t chars = 0;
        friend bool operator==(const TextCheckpoint &, const TextCheckpoint &) = default;
    };
    static constexpr uint64_t kCharsPerCheckpoint = 1 << 16;
    static constexpr uint64_t kEntriesPerCheckpoint = 1 << 12;

    uint64_t textTag = 0;             // the "[Text]" line
    std::vector<TextCheckpoint> text; // chars 0, 64 Ki, 128 Ki, ..., the end
    uint64_t passageTag = 0;          // the "[Passage]" line
    std::vector<uint64_t> entries;    // line-list entries 0, 4096, 8192, ...
    uint64_t entryCount = 0;
    uint64_t passageEndTag = 0; // the "[/Passage]" line; the small tail follows
    uint64_t fileSize = 0;

    friend bool operator==(const SettingsLayout &, const SettingsLayout &) = default;
};

// The exact bytes of settings.ini for data, handed to `sink` in pieces of 64 KiB, the
// book text and line list read from the given ones in place of data's: no copy of the
// whole file is made. Numbers outside their range are written kept to it, and non-finite
// ones and refused integers (a window state, trimming value or scroll speed outside its
// range) as their defaults. `layout`, when given, is told where the parts begin; the
// bytes are the same either way.
void writeSettingsPieces(const SettingsData &data, const BookText &paragraphText,
                         const LineList &lineEnds,
                         const std::function<void(std::string_view)> &sink,
                         SettingsLayout *layout = nullptr);

// The exact bytes of Slide.cache (the scroll text followed by one more CR LF), made from
// the book and handed to `sink` in pieces.
void slideCachePieces(const BookText &paragraphText, const ScrollTextMap &scrollMap,
                      const std::function<void(std::string_view)> &sink);

// What a read of settings.ini produced. Each value is read from its own line, in the
// order of the file: a value that is refused (an integer out of range, a word that is no
// boolean, a number that is not finite) leaves its field empty and reading goes on with
// the next line, so one bad line loses one value. The caller applies exactly the fields
// that are set. A list is set (empty) from the tag that empties it on and collects
// entries up to its exact closing tag, so a file that ends inside a list gives the
// entries read so far, and nothing after it. Only a file that ends before the
// paragraph text loses the book.
//
// Lists hold at most what they can use, however long the file: kRecentSlots recent
// entries, one line-list entry per character of the text and one more, and one
// bookmark per character of the text (the most lines any layout of it can have).
struct SettingsRead
{
    std::optional<int> windowState;
    std::optional<double> normalLeft, normalTop, normalWidth, normalHeight;
    std::optional<std::vector<std::string>> recent;
    std::optional<BookText> paragraphText;
    // Entries that are not whole numbers from 0 to kLineNumberLimit, or more entries
    // than the text has characters and one, are left out and make the list unfit.
    std::optional<LineList> lineEnds;
    // Both cut down to whole numbers and kept within +-kLineNumberLimit.
    std::optional<int64_t> topLine;
    std::optional<int64_t> linesPerPage;
    std::optional<std::string> bookPath;
    // Lines that are not bookmark lines are left out. Anchored in the read line
    // list when it fits the read text and the bookmark lies within it.
    std::optional<std::vector<Bookmark>> bookmarks;
    std::optional<std::string> fontName;
    std::optional<double> fontSize;
    std::optional<bool> fontBold, fontItalic, fontUnderline;
    std::optional<int> trim;
    std::optional<double> lineSpacing, topMargin, bottomMargin, leftMargin, rightMargin;
    std::optional<double> autoTurnSeconds;
    std::optional<int> scrollSpeed;

    bool marksEnded = false;      // "[/Marks]" was read: rebuild the bookmark menu
    bool pageEnded = false;       // "[/Page]" was read: apply the page appearance
    bool complete = false;        // the file holds a line for every value, the last included
    bool lineEndsFitText = false; // the read line list belongs to the read text
    // The file read whole and clean: complete, every value accepted as it stood (none
    // refused, brought into range or left out of a list), the last line ended by CR LF
    // and nothing after it. A file the writer made always is. When it is not, keep the
    // old file (keepSettingsBackup) before writing over it: it may hold what the
    // reader wants back.
    bool clean = false;
};

// Reads the bytes of settings.ini. Never throws, whatever the bytes. Tags where one is
// expected are consumed unseen; integers (window state 0 .. 2, trimming 0 .. 2, scroll
// speed 1 .. 300) must be whole-line numbers in range, booleans "True"/"False" or a
// number; other numbers take the leading numeric value of the line (0 without one) and
// are kept to their ranges. Costs the bytes plus the values kept: lines beyond what a
// list holds are looked at, not kept.
// `consumed`, when given, is told now and then how far the reading has come: the bytes
// before that offset are not looked at again.
SettingsRead readSettingsFile(std::string_view bytes,
                              const std::function<void(size_t)> &consumed = {});

// The values after the line list ("Page is" to the scroll speed) from the bytes that
// follow the "[/Passage]" line, for a book of textLength characters. Bookmarks come
// without anchors (the line list is not read). Read as readSettingsFile reads them.
SettingsRead readSettingsTail(std::string_view tailBytes, size_t textLength);

// A line list fits a text of textLength characters when it starts with 0, strictly
// increases and ends at textLength. A list that does not fit is never used to cut lines:
// the text is re-flowed instead.
bool lineListFits(const LineList &lineEnds, size_t textLength);

// The values of state that settings.ini holds. The window state is the window's; the
// caller fills it in.
SettingsData settingsFromState(const ReaderState &state);

// Applies the read values that belong to the reader state: geometry, recent list (cut or
// padded to kRecentSlots entries), paragraph text, line list (marked as belonging to the
// text only when it fits), topLine, linesPerPage, bookPath, bookmarks, spacing, margins
// the turning interval, paragraph trimming and the scroll speed. The window state and the
// font are the caller's: the font goes to the page only with the rest of "[Page]".
// The book text is moved out of `read`.
void applySettingsToState(SettingsRead &&read, ReaderState &state);

std::string settingsFilePath(std::string_view appDir);
std::string slideCachePath(std::string_view appDir);

} // namespace tibbo::core
