#pragma once
// Page moves and the reading modes as plain functions of the reader state: clicks on
// the page backgrounds, the edge strips, the keyboard, the go-to-page prompt, the
// automatic page turn, the reading-speed test and scroll mode. The window calls these
// from its event handlers and redraws the spread when told to.
//
// Shared terms: L is linesPerPage (taken as 1 when it is 0 or negative, so nothing
// ever divides by zero), E is state.entryCount() (display lines + 1). Spread s shows
// lines 2L*s + 1 .. 2L*s + 2L, and every move keeps topLine at 1 or at 2L*k + 1.

#include "state/readerstate.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tibbo::core {

// ---- Page arithmetic -------------------------------------------------------------

// Line numbers and offsets beyond this come only from damaged files; values read from
// files are kept within it so that no page formula can overflow.
inline constexpr int64_t kLineNumberLimit = int64_t{1} << 40;

// linesPerPage as the divisor of every page formula: at least 1.
int64_t pageDivisor(int64_t linesPerPage);

// Int(a / b) for b > 0, rounding towards minus infinity.
int64_t floorDiv(int64_t a, int64_t b);

// First line of the last spread that holds text: the spread of the last display line
// (E - 1), or 1 for a book without lines. No move goes past it: End, the right edge
// strip, forward clicks and keys, go-to-page, bookmark jumps and the automatic turn all
// stop here, so an empty spread after the last page is never shown.
int64_t lastSpreadStart(int64_t entryCount, int64_t linesPerPage);
// lastSpreadStart of the state's line list and lines per page.
int64_t lastSpreadTop(const ReaderState &state);

// Pages the go-to-page prompt offers and the menu tooltip reports: 1 + Int(E/L).
int64_t promptPageCount(int64_t entryCount, int64_t linesPerPage);

// topLine of the spread whose left page is the odd page at or below page:
// 2L*Int((page - 1)/2) + 1. A fractional page counts by its value (3.5 -> pages 3, 4).
int64_t spreadStartOfPage(double page, int64_t linesPerPage);

// topLine of the spread whose lines hold character `offset` of the paragraph text, by the
// line list. An offset before the text counts as the first character, one at or past its
// end as the last; never past the last spread that holds text, and 1 without lines.
int64_t spreadOfOffset(const ReaderState &state, int64_t offset);

// Offset of the last character on the spread on show (the end of its last line, minus
// one); a topLine past the text counts as the last spread. -1 for a book without text.
int64_t lastOffsetOnShow(const ReaderState &state);

// ---- Page-background clicks ----------------------------------------------------

// Left click on the left page: back one spread unless topLine < 2. True when topLine
// changed (the window then redraws).
bool pageBack(ReaderState &state);

// Left click on the right page: forward one spread unless the last spread that holds
// text is on show (or passed). True when topLine changed.
bool pageForwardByClick(ReaderState &state);

// ---- Reading commands ------------------------------------------------------------

// The page moves a key, the wheel or a menu asks for; the window's key table says which
// key asks for which.
enum class PageCommand { NextSpread, PreviousSpread, FirstSpread, LastSpread };

// FirstSpread and LastSpread always set topLine and want a redraw; NextSpread and
// PreviousSpread only when they moved. NextSpread stops at the last spread that holds
// text, as a click does. True when the window should redraw.
bool runPageCommand(ReaderState &state, PageCommand command);

// ---- Edge strips ---------------------------------------------------------------------

enum class EdgeStrip { Left, Right };
enum class EdgeAction { FirstSpread, BackTen, BackFour, ForwardFour, ForwardTen, LastSpread };

// r is the pointer's offset from the strip's left edge divided by the strip's width
// (0 .. 1). Left strip: r < 0.25 first spread, 0.25 <= r <= 0.5 back ten pages,
// beyond back four. Right strip: r < 0.5 forward four, 0.5 <= r <= 0.75 forward ten,
// beyond the last spread.
EdgeAction edgeActionAt(EdgeStrip strip, double r);

// The strip's tooltip for a pointer at r, e.g. "前翻十页".
std::string_view edgeTooltipAt(EdgeStrip strip, double r);

// A press on a strip at r (any button). The left strip clamps only at topLine 1 and the
// right strip only at the last spread that holds text; the window always redraws
// afterwards.
void pressEdgeStrip(ReaderState &state, EdgeStrip strip, double r);

// ---- Go-to-page / interval prompt ----------------------------------------------------

inline constexpr std::string_view kPromptSetPage = "Setpage";
inline constexpr std::string_view kPromptSetTime = "Settime";
inline constexpr std::string_view kPageOutOfRangeMessage = "超出本书范围了";

// Tooltip of the answer box in go-to-page mode: "一共 57页".
std::string goToPageTooltip(const ReaderState &state);

// The answer the prompt starts with: the page of line topLine + selectedLine, plainly
// written. With no line ever chosen this is the left page on show.
std::string goToPageDefaultText(const ReaderState &state);

enum class PromptOutcome {
    Ignored,        // promptMode is neither mode: nothing happens
    PageShown,      // topLine moved; the window redraws and closes the menu
    PageOutOfRange, // nothing changed; the window shows kPageOutOfRangeMessage
    IntervalStored, // autoTurnSeconds set; the window hides the prompt
};

// OK on the prompt (also Enter). Mode comparison is exact and case-sensitive. A page
// outside 1 .. promptPageCount (including text without a number, value 0) is refused;
// an accepted page past the text shows the last spread that holds text. In go-to-page
// mode an answer ending in "%" (or "％") is a share of the book instead: a plain decimal
// from 0 to 100 ("37%", "37.5%", blanks around allowed) shows the spread holding the
// character at that share of the text; any other such answer is refused. An interval is
// taken without any range check (0 or less turns at every tick).
PromptOutcome confirmPrompt(ReaderState &state, std::string_view text);

// The prompt's arrows: the new answer text, written plainly, or the text unchanged when
// the step is refused. Go-to-page stays within 1 .. promptPageCount; the interval has
// no upper limit and the decrease stops at 5 (typing a smaller value is still allowed).
std::string promptIncrease(const ReaderState &state, std::string_view text);
std::string promptDecrease(const ReaderState &state, std::string_view text);

// ---- Automatic page turning -------------------------------------------------------------

struct AutoTurnTick
{
    bool turned = false;    // topLine moved; redraw
    bool closeMenu = false; // two seconds after a turn the menu panel closes
};

// One second of automatic turning. The counter is shared with the speed test. At the
// interval the counter restarts and the book turns one spread, or back to the first
// spread from the last spread that holds text (or from anywhere past it).
AutoTurnTick autoTurnTick(ReaderState &state);

// Caption of the automatic-turning label, lines separated by CR:
// "自动翻页 (240秒)\r(左键开关自动翻页\r右键设置翻页时间)" when on, "自动翻页 (关)..." when off.
std::string autoTurnCaption(bool on, double seconds);

// ---- Reading-speed test -------------------------------------------------------------------

inline constexpr std::string_view kSpeedTestStartCaption = "开始测试读速";
inline constexpr std::string_view kSpeedTestStopCaption = "停止测试读速";

void startSpeedTest(ReaderState &state);
void speedTestTick(ReaderState &state);
// Ends the test: the counted seconds become the turning interval unchanged (0 when
// stopped before the first tick). Returns the message, e.g. "你看一页需要 37秒".
std::string stopSpeedTest(ReaderState &state);

// ---- Scroll mode ------------------------------------------------------------------------

// Caret position to start scrolling from: charsPerLine * topLine, an estimate of the
// spread on show in the scroll text.
int64_t scrollStartPosition(const ReaderState &state);

// One scroll step: the next caret position, back to 1 after the end of a text of
// textLength characters.
int64_t nextScrollPosition(int64_t position, int64_t textLength);

// "速度: 130"
std::string scrollSpeedCaption(int speed);

// ---- Menu panel -----------------------------------------------------------------------------

// The book's name as the menu tooltip shows it: bookPath cut before the first "." of the
// whole path, then the part after the last "/" or "\" ("D:\my.books\abc.txt" -> "my").
std::string bookDisplayName(std::string_view bookPath);

// "您正在看《name》,这一页有 N个字,本书共有 M个字, P页." with N the characters on the
// spread, M the last line-list entry (0 without lines) and P promptPageCount.
std::string bookInfoTooltip(const ReaderState &state);

// ---- The place in the book -------------------------------------------------------------

// Percentage of the book's characters (the last line-list entry) that lie before the
// spread on show: 0 at the first spread, below 100 at the last one that holds text (a
// topLine past it counts as it), 0 for a book without text.
double progressPercent(const ReaderState &state);

// The percentage cut (never rounded up) to one decimal, without a ".0": "37.5%", "0%",
// so that only the very end would read "100%".
std::string progressCaption(double percent);

// bookInfoTooltip followed by the place in the book, one line each: "当前章节: " and the
// chapter's title (UTF-8; the line is left out when the title is empty) and "已读: " and
// progressCaption.
std::string bookInfoTooltipWithPlace(const ReaderState &state, std::string_view chapterTitle);

} // namespace tibbo::core
