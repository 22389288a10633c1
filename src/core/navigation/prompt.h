#pragma once
// The small prompt shared by go-to-page and the automatic-turn interval, as plain
// functions of the reader state: what it starts with, its arrows and its OK.

#include "state/readerstate.h"

#include <string>
#include <string_view>

namespace tibbo::core {

inline constexpr std::string_view kPageOutOfRangeMessage = "超出本书范围了";

// Tooltip of the answer box in go-to-page mode: "一共 57页".
std::string goToPageTooltip(const ReaderState &state);

// The answer the prompt starts with: the page of line topLine + selectedLine, plainly
// written. With no line ever chosen this is the left page on show.
std::string goToPageDefaultText(const ReaderState &state);

enum class PromptOutcome {
    Ignored,        // the prompt asks for nothing (PromptMode::None)
    PageShown,      // topLine moved; the window redraws and closes the menu
    PageOutOfRange, // nothing changed; the window shows kPageOutOfRangeMessage
    IntervalStored, // autoTurnSeconds set; the window hides the prompt
};

// OK on the prompt (also Enter), by state.promptMode. A page outside 1 .. promptPageCount
// (including text without a number, value 0) is refused; an accepted page past the text shows the
// last spread that holds text. In go-to-page mode an answer ending in "%" (or "％") is a share of
// the book instead: a plain decimal from 0 to 100 ("37%", "37.5%", blanks around allowed) shows the
// spread holding the character at that share of the text; any other such answer is refused. An
// interval is taken without any range check (0 or less turns at every tick). A fractional page
// counts by its whole part: 3.5 shows pages 3 and 4.
PromptOutcome confirmPrompt(ReaderState &state, std::string_view text);

// The prompt's arrows: the new answer text, written plainly, or the text unchanged when
// the step is refused. Go-to-page stays within 1 .. promptPageCount; the interval has
// no upper limit and the decrease stops at 5 (typing a smaller value is still allowed).
std::string promptIncrease(const ReaderState &state, std::string_view text);
std::string promptDecrease(const ReaderState &state, std::string_view text);

} // namespace tibbo::core
