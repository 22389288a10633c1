#include "reading/timeleft.h"

#include "pages/pages.h"

#include <algorithm>
#include <cmath>

namespace tibbo::core {

CharactersLeft charactersLeft(const ReaderState &state, const std::vector<Chapter> &chapters)
{
    CharactersLeft left;
    const int64_t total = state.lineEnds.empty() ? 0 : state.lineEnds.back();
    if (total <= 0)
        return left;
    const int64_t top = std::clamp<int64_t>(state.topLine, 1, lastSpreadTop(state));
    const int64_t from = state.lineEnds[static_cast<size_t>(top - 1)];
    left.inBook = total - from;
    if (chapters.empty())
        return left;
    const auto next = std::upper_bound(
        chapters.begin(), chapters.end(), from,
        [](int64_t offset, const Chapter &chapter) { return offset < chapter.offset; });
    left.inChapter = (next != chapters.end() ? std::min(next->offset, total) : total) - from;
    return left;
}

std::string durationCaption(int64_t characters, double charsPerMinute)
{
    if (characters <= 0)
        return "读完了";
    if (!(charsPerMinute > 0))
        return std::string();
    const double minutes = static_cast<double>(characters) / charsPerMinute;
    if (minutes < 0.5)
        return "不到 1 分钟";
    const auto whole = static_cast<int64_t>(std::llround(minutes));
    std::string caption = "约 ";
    if (whole < 60) {
        caption.append(std::to_string(whole)).append(" 分钟");
    } else if (whole >= 600) {
        caption.append(std::to_string((whole + 30) / 60)).append(" 小时");
    } else {
        caption.append(std::to_string(whole / 60)).append(" 小时");
        if (whole % 60 != 0)
            caption.append(" ").append(std::to_string(whole % 60)).append(" 分钟");
    }
    return caption;
}

std::string timeLeftLines(const CharactersLeft &left, std::optional<double> charsPerMinute)
{
    if (!charsPerMinute || !(*charsPerMinute > 0))
        return std::string();
    std::string lines;
    if (left.inChapter)
        lines = "本章还需: " + durationCaption(*left.inChapter, *charsPerMinute) + "\n";
    return lines + "全书还需: " + durationCaption(left.inBook, *charsPerMinute);
}

} // namespace tibbo::core
