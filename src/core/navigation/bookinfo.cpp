#include "navigation/bookinfo.h"

#include "pages/pages.h"
#include "text/fileio.h"
#include "text/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tibbo::core {

std::string bookDisplayName(std::string_view bookPath)
{
    return fileNameOf(bookPath.substr(0, bookPath.find('.')));
}

std::string bookInfoTooltip(const ReaderState &state)
{
    const auto total = state.lineEnds.empty() ? 0 : state.lineEnds.back();
    const auto pages = promptPageCount(state.entryCount(), state.linesPerPage);
    const std::string head = "您正在看《" + bookDisplayName(state.bookPath) + "》,这一页有" +
                             str(static_cast<double>(state.spreadCharCount)) + "个字,";
    // The rest of the book is still being read: its counts would be those of a part.
    if (state.partialShown)
        return head + std::string(kStillCounting) + ".";
    return head + "本书共有" + str(static_cast<double>(total)) + "个字," +
           str(static_cast<double>(pages)) + "页.";
}

double progressPercent(const ReaderState &state)
{
    const int64_t total = state.lineEnds.empty() ? 0 : state.lineEnds.back();
    if (total <= 0)
        return 0;
    const int64_t top = std::clamp<int64_t>(state.topLine, 1, lastSpreadTop(state));
    const int64_t before = state.lineEnds[static_cast<size_t>(top - 1)];
    return 100.0 * static_cast<double>(before) / static_cast<double>(total);
}

std::string progressCaption(double percent)
{
    // Tenths, cut; the small allowance keeps 37.5 from reading 37.4 through rounding of
    // the product.
    const auto tenths =
        static_cast<int64_t>(std::clamp(std::floor(percent * 10 + 1e-6), 0.0, 1000.0));
    char caption[32];
    if (tenths % 10 == 0)
        std::snprintf(caption, sizeof caption, "%lld%%", static_cast<long long>(tenths / 10));
    else
        std::snprintf(caption, sizeof caption, "%lld.%lld%%", static_cast<long long>(tenths / 10),
                      static_cast<long long>(tenths % 10));
    return caption;
}

std::string bookInfoTooltipWithPlace(const ReaderState &state, std::string_view chapterTitle)
{
    std::string tooltip = bookInfoTooltip(state);
    if (!chapterTitle.empty())
        tooltip += "\n当前章节: " + std::string(chapterTitle);
    return tooltip + "\n已读: " +
           (state.partialShown ? std::string(kStillCounting)
                               : progressCaption(progressPercent(state)));
}

} // namespace tibbo::core
