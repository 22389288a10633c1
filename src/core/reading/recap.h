#pragma once
// The mascot's recap for a reader who comes back to a book after a while: how long it has
// been, the last chapters read, the last sentences before the place, and the time left.

#include "pages/pages.h"
#include "reading/timeleft.h"
#include "state/booktext.h"
#include "text/headings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tibbo::core {

// A book opened again after this long away gets a recap.
inline constexpr int64_t kRecapAfterMilliseconds = int64_t{2} * 24 * 60 * 60 * 1000;

// "2 天", "3 个多月", "1 年多": how long `milliseconds` is, in the words a friend would use.
std::string timeAwayCaption(int64_t milliseconds);

// The last two or three sentences (at most about 80 characters, cut at the front with
// "……" when one sentence is longer) before character `place`, paragraph marks and
// indents left out; a chapter heading is not a sentence. Empty at the start of the book.
std::u32string sentencesBefore(const BookText &text, const std::vector<Chapter> &chapters,
                               int64_t place);

// The recap of a place, the spread `onShow` of `text`, after `millisecondsAway`, lines
// joined by "\n":
//   "隔了 5 天没见啦!"
//   where the reader is, by the last two chapters: at a chapter's start (its heading on
//   the spread) "上次读完了「…」，该读「…」了。", within one "上次读到「…」，前一章是「…」。",
//   on the last spread "上次已经读到最后一页了，最后一章是「…」。";
//   "最后读到的是：“…”" with sentencesBefore;
//   "按你的速度，这一章还要约 8 分钟，全书还要约 12 小时。" when the speed is known and
//   something is left.
std::string recapText(const BookText &text, const std::vector<Chapter> &chapters,
                      CharacterRange onShow, int64_t millisecondsAway, const CharactersLeft &left,
                      std::optional<double> charsPerMinute);

} // namespace tibbo::core
