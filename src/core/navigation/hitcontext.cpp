#include "navigation/hitcontext.h"

#include <algorithm>

namespace tibbo::core {

namespace {

constexpr char32_t kEllipsis = U'…';

bool breaksLine(char32_t c)
{
    return c == kParagraphMark || c == U' ' || c == U'\t' || c == U'\u3000' || c == U'\n' ||
           c == U'\r';
}

// Characters from .. to of the text on one line: every run of blanks and paragraph marks
// is one blank.
std::u32string oneLine(const BookText &text, int64_t from, int64_t to)
{
    std::u32string line;
    line.reserve(static_cast<size_t>(std::max<int64_t>(0, to - from)));
    for (int64_t i = from; i < to; ++i) {
        const char32_t c = text[static_cast<size_t>(i)];
        if (!breaksLine(c))
            line.push_back(c);
        else if (line.empty() || line.back() != U' ')
            line.push_back(U' ');
    }
    return line;
}

} // namespace

HitContext hitContext(const BookText &text, int64_t offset, int64_t length, int64_t around)
{
    const auto size = static_cast<int64_t>(text.size());
    around = std::max<int64_t>(0, around);
    const int64_t start = std::clamp<int64_t>(offset, 0, size);
    const int64_t end = std::clamp<int64_t>(start + std::max<int64_t>(0, length), start, size);
    HitContext context;

    const int64_t shownEnd = std::min(end, start + std::max<int64_t>(1, 2 * around));
    context.hit = oneLine(text, start, shownEnd);
    if (shownEnd < end)
        context.hit.push_back(kEllipsis);

    const int64_t beforeFrom = std::max<int64_t>(0, start - around);
    context.before = oneLine(text, beforeFrom, start);
    // The blank at the outer edge of the context shows nothing.
    if (!context.before.empty() && context.before.front() == U' ')
        context.before.erase(0, 1);
    if (beforeFrom > 0)
        context.before.insert(context.before.begin(), kEllipsis);

    const int64_t afterTo = std::min(size, end + around);
    context.after = oneLine(text, end, afterTo);
    if (!context.after.empty() && context.after.back() == U' ')
        context.after.pop_back();
    if (afterTo < size)
        context.after.push_back(kEllipsis);
    return context;
}

} // namespace tibbo::core
