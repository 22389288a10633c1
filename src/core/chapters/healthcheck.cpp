#include "chapters/healthcheck.h"

#include "chapters/headingnumber.h"

#include <algorithm>
#include <optional>
#include <set>

namespace tibbo::core {

namespace {

struct Numbered
{
    size_t chapter;
    int64_t number;
};

// The chapters of one volume that carry a number, in text order.
using Volume = std::vector<Numbered>;

std::vector<Volume> volumesOf(const std::vector<Chapter> &chapters)
{
    std::vector<Volume> volumes(1);
    std::optional<int64_t> volumeNumber;
    int64_t previous = -1; // the number of the chapter before in this volume; -1: none
    for (size_t k = 0; k < chapters.size(); ++k) {
        const HeadingNumbers numbers = readHeadingNumbers(chapters[k].title);
        const bool newVolumeNamed = numbers.volume && numbers.volume != volumeNumber;
        // Numbering that starts again at 1 (or 0, a prologue) begins a volume too.
        const bool restarted = numbers.chapter && *numbers.chapter <= 1 && previous > 1;
        if ((newVolumeNamed || restarted) && !volumes.back().empty())
            volumes.emplace_back();
        if (numbers.volume)
            volumeNumber = numbers.volume;
        if (newVolumeNamed)
            previous = -1;
        if (numbers.chapter) {
            volumes.back().push_back({k, *numbers.chapter});
            previous = *numbers.chapter;
        }
    }
    return volumes;
}

void checkNumbers(const Volume &volume, std::vector<ChapterProblem> &problems)
{
    std::set<int64_t> present;
    for (const Numbered &n : volume)
        present.insert(n.number);
    std::set<int64_t> seen;
    std::optional<int64_t> highest;
    for (const Numbered &n : volume) {
        const auto chapter = static_cast<int64_t>(n.chapter);
        if (seen.count(n.number)) {
            problems.push_back({ChapterProblem::Kind::Duplicate, chapter, n.number, n.number});
        } else if (highest && n.number < *highest) {
            problems.push_back({ChapterProblem::Kind::OutOfOrder, chapter, n.number, *highest});
        } else if (highest && n.number > *highest + 1) {
            // Numbers that come later in the volume (out of order) are not missing.
            int64_t first = *highest + 1;
            while (first < n.number) {
                while (first < n.number && present.count(first))
                    ++first;
                int64_t last = first;
                while (last + 1 < n.number && !present.count(last + 1))
                    ++last;
                if (first < n.number)
                    problems.push_back({ChapterProblem::Kind::Gap, chapter, first, last});
                first = last + 1;
            }
        }
        seen.insert(n.number);
        highest = std::max(highest.value_or(n.number), n.number);
    }
}

void checkLengths(const std::vector<Chapter> &chapters, std::vector<ChapterProblem> &problems)
{
    // Only numbered chapters are compared: a volume heading, a preface or an afterword
    // may be any length. The last chapter runs to the end of the book (and may carry
    // what follows the story), so it is not judged either.
    std::vector<std::pair<size_t, int64_t>> lengths;
    for (size_t k = 0; k + 1 < chapters.size(); ++k) {
        if (readHeadingNumbers(chapters[k].title).chapter)
            lengths.push_back({k, chapters[k + 1].offset - chapters[k].offset});
    }
    const auto count = static_cast<int64_t>(lengths.size());
    for (int64_t i = 0; i < count; ++i) {
        std::vector<int64_t> around;
        for (int64_t j = std::max<int64_t>(0, i - kNeighbours);
             j <= std::min(count - 1, i + kNeighbours); ++j) {
            if (j != i)
                around.push_back(lengths[static_cast<size_t>(j)].second);
        }
        if (around.size() < 2)
            continue;
        std::nth_element(around.begin(), around.begin() + static_cast<ptrdiff_t>(around.size() / 2),
                         around.end());
        const int64_t middle = around[around.size() / 2];
        const auto [chapter, length] = lengths[static_cast<size_t>(i)];
        const auto index = static_cast<int64_t>(chapter);
        if (length > kLengthFactor * middle && length - middle >= kLengthSlack)
            problems.push_back({ChapterProblem::Kind::TooLong, index, length, middle});
        else if (length * kLengthFactor < middle && middle - length >= kLengthSlack)
            problems.push_back({ChapterProblem::Kind::TooShort, index, length, middle});
    }
}

std::u32string decimal(int64_t value)
{
    const std::string text = std::to_string(value);
    return std::u32string(text.begin(), text.end());
}

// The unit a heading counts in (章, 回, 节 …), "章" when it names none.
char32_t unitOf(const std::u32string &title)
{
    for (size_t k = 0; k + 1 < title.size(); ++k) {
        if (isHeadingNumeral(title[k]) &&
            std::u32string_view(U"章回节節话話集篇").find(title[k + 1]) !=
                std::u32string_view::npos)
            return title[k + 1];
    }
    return U'章';
}

} // namespace

std::vector<ChapterProblem> checkChapters(const std::vector<Chapter> &chapters)
{
    std::vector<ChapterProblem> problems;
    for (const Volume &volume : volumesOf(chapters))
        checkNumbers(volume, problems);
    checkLengths(chapters, problems);
    std::stable_sort(
        problems.begin(), problems.end(),
        [](const ChapterProblem &a, const ChapterProblem &b) { return a.chapter < b.chapter; });
    return problems;
}

std::u32string problemMessage(const ChapterProblem &problem, const std::vector<Chapter> &chapters)
{
    const std::u32string &title =
        problem.chapter >= 0 && static_cast<size_t>(problem.chapter) < chapters.size()
            ? chapters[static_cast<size_t>(problem.chapter)].title
            : std::u32string();
    const std::u32string unit(1, unitOf(title));
    const auto named = [&unit](int64_t number) {
        std::u32string text(1, U'第');
        text.append(decimal(number)).append(unit);
        return text;
    };
    switch (problem.kind) {
    case ChapterProblem::Kind::Gap:
        if (problem.first == problem.last)
            return named(problem.first) + U"好像缺了";
        return named(problem.first) + U"到" + named(problem.last) + U"好像缺了";
    case ChapterProblem::Kind::Duplicate:
        return named(problem.first) + U"出现了两次";
    case ChapterProblem::Kind::OutOfOrder:
        return named(problem.first) + U"排在" + named(problem.last) + U"后面";
    case ChapterProblem::Kind::TooLong:
        return U"“" + title + U"”比前后的章节长得多";
    case ChapterProblem::Kind::TooShort:
        return U"“" + title + U"”比前后的章节短得多";
    }
    return {};
}

} // namespace tibbo::core
