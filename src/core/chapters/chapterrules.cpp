#include "chapters/chapterrules.h"

#include "chapters/headingnumber.h"

#include <algorithm>
#include <array>

namespace tibbo::core {

namespace {

// clang-format off
const std::vector<BuiltInRuleRow> kRules{
    {BuiltInRule::Standard,            "standard",    U"第X章/回/节/卷、序、楔子、番外", true},
    {BuiltInRule::PrefixedTraditional, "traditional", U"第X章的繁体与大写数字：第十節、第壹章", true},
    {BuiltInRule::Volume,              "volume",      U"卷X、Volume X",                   true},
    {BuiltInRule::Bracketed,           "bracketed",   U"【X】、[X] 标题",                  true},
    {BuiltInRule::English,             "english",     U"Chapter X",                       true},
    {BuiltInRule::Unprefixed,          "unprefixed",  U"X章 标题（没有“第”）",              false},
    {BuiltInRule::ListNumbered,        "numbered",    U"1、标题 与 一、标题",               false},
    {BuiltInRule::MoreSections,        "sections",    U"序言、引言、终章、完本感言、附录等", false},
};
// clang-format on

bool isBlank(char32_t c)
{
    return c == U' ' || c == U'\u3000' || c == U'\t';
}

bool isSeparator(char32_t c)
{
    return isBlank(c) ||
           std::u32string_view(U"：:、.．，,-—·").find(c) != std::u32string_view::npos;
}

bool contains(std::u32string_view set, char32_t c)
{
    return set.find(c) != std::u32string_view::npos;
}

// Sentence marks: a line holding one is prose, not a heading.
bool holdsSentence(std::u32string_view line, std::u32string_view marks = U"。！？!?")
{
    return std::any_of(line.begin(), line.end(),
                       [marks](char32_t c) { return contains(marks, c); });
}

// The end of the run of numerals at `at` (at most `most` of them) when they read as one
// number; `at` itself when they do not.
size_t numberEnd(std::u32string_view line, size_t at, size_t most = 10)
{
    size_t end = at;
    while (end < line.size() && end - at < most && isHeadingNumeral(line[end]))
        ++end;
    if (end == at || (end < line.size() && isHeadingNumeral(line[end])) ||
        !readHeadingNumber(line.substr(at, end - at)))
        return at;
    return end;
}

constexpr std::u32string_view kChapterUnits = U"章节節回话話篇";
constexpr std::u32string_view kMeasureUnits = U"卷集本册冊部";

bool prefixedTraditional(std::u32string_view line)
{
    if (line.empty() || line[0] != U'第' || holdsSentence(line, U"。"))
        return false;
    const size_t end = numberEnd(line, 1);
    if (end == 1 || end == line.size())
        return false;
    if (contains(kChapterUnits, line[end]))
        return true;
    return contains(kMeasureUnits, line[end]) &&
           (end + 1 == line.size() || isSeparator(line[end + 1]));
}

bool startsWithWord(std::u32string_view line, std::u32string_view word)
{
    if (line.size() < word.size())
        return false;
    for (size_t k = 0; k < word.size(); ++k) {
        char32_t c = line[k];
        if (c >= U'A' && c <= U'Z')
            c = c - U'A' + U'a';
        if (c != word[k])
            return false;
    }
    return true;
}

bool isRoman(char32_t c)
{
    return contains(U"IVXLCDMivxlcdm", c);
}

// "Chapter 12", "Volume III": the word, blanks, then digits or Roman numerals, then the
// end of the line or a separator.
bool wordAndNumber(std::u32string_view line, std::u32string_view word)
{
    if (!startsWithWord(line, word))
        return false;
    size_t at = word.size();
    const size_t blanks = at;
    while (at < line.size() && isBlank(line[at]))
        ++at;
    if (at == blanks && word.back() != U'.')
        return false; // "Chapters", "volumes"
    size_t end = numberEnd(line, at);
    if (end == at) {
        while (end < line.size() && isRoman(line[end]))
            ++end;
    }
    return end > at && (end == line.size() || isSeparator(line[end]));
}

bool volume(std::u32string_view line)
{
    if (wordAndNumber(line, U"volume") || wordAndNumber(line, U"vol."))
        return true;
    if (line.empty() || line[0] != U'卷' || holdsSentence(line))
        return false;
    const size_t end = numberEnd(line, 1);
    return end > 1 &&
           (end == line.size() || isSeparator(line[end]) || !holdsSentence(line, U"，,"));
}

bool bracketed(std::u32string_view line)
{
    if (line.empty() || !contains(U"【[〖［", line[0]) || holdsSentence(line))
        return false;
    size_t at = 1;
    if (at < line.size() && line[at] == U'第')
        ++at;
    const size_t end = numberEnd(line, at);
    if (end == at || end == line.size())
        return false;
    if (contains(U"】]〗］", line[end]))
        return true;
    // 【第一章 风起】: a unit, then the title, closed by the end of the line.
    return contains(kChapterUnits, line[end]) && contains(U"】]〗］", line.back());
}

bool english(std::u32string_view line)
{
    return wordAndNumber(line, U"chapter");
}

bool unprefixed(std::u32string_view line)
{
    if (line.empty() || holdsSentence(line, U"。！？!?，,；;"))
        return false;
    const size_t end = numberEnd(line, 0);
    if (end == 0 || end == line.size() || !contains(U"章节節回话話", line[end]))
        return false;
    // "十回合之内": without 第, only a separator or the line's end makes it a heading.
    return end + 1 == line.size() || isSeparator(line[end + 1]);
}

bool listNumbered(std::u32string_view line)
{
    if (line.size() > 30 || holdsSentence(line, U"。！？!?，,；;"))
        return false;
    const size_t end = numberEnd(line, 0, 6);
    if (end == 0 || end + 1 >= line.size())
        return false;
    const char32_t mark = line[end];
    if (mark == U'、')
        return true;
    // "12. 标题", not "1.5 倍".
    return (mark == U'.' || mark == U'．') && !isHeadingNumeral(line[end + 1]);
}

struct SectionName
{
    std::u32string_view name;
    bool titleMayFollow;
};

// Longer names first, so "序言" is not taken for "序".
constexpr std::array<SectionName, 27> kSections{{
    {U"完本感言", false}, {U"上架感言", false}, {U"大结局", true}, {U"大結局", true},
    {U"番外篇", true},    {U"序言", false},     {U"序幕", false},  {U"序曲", false},
    {U"序章", false},     {U"引言", false},     {U"引子", false},  {U"前言", false},
    {U"楔子", false},     {U"终章", false},     {U"終章", false},  {U"尾声", false},
    {U"尾聲", false},     {U"后记", false},     {U"後記", false},  {U"结局", false},
    {U"結局", false},     {U"附录", true},      {U"附錄", true},   {U"番外", true},
    {U"外传", true},      {U"外傳", true},      {U"序", false},
}};

bool moreSections(std::u32string_view line)
{
    if (holdsSentence(line))
        return false;
    for (const SectionName &section : kSections) {
        if (!line.starts_with(section.name))
            continue;
        const size_t after = section.name.size();
        return after == line.size() || isSeparator(line[after]) || section.titleMayFollow;
    }
    return false;
}

bool matchesBuiltIn(BuiltInRule rule, std::u32string_view line)
{
    switch (rule) {
    case BuiltInRule::Standard:
        return false; // the standard finder runs over the whole text
    case BuiltInRule::PrefixedTraditional:
        return prefixedTraditional(line);
    case BuiltInRule::Volume:
        return volume(line);
    case BuiltInRule::Bracketed:
        return bracketed(line);
    case BuiltInRule::English:
        return english(line);
    case BuiltInRule::Unprefixed:
        return unprefixed(line);
    case BuiltInRule::ListNumbered:
        return listNumbered(line);
    case BuiltInRule::MoreSections:
        return moreSections(line);
    }
    return false;
}

std::u32string titleOf(std::u32string_view line)
{
    while (!line.empty() && isBlank(line.back()))
        line.remove_suffix(1);
    return std::u32string(line.substr(0, kChapterTitleLimit));
}

// Lines are checked for the time limit and the cancel flag this often.
constexpr int64_t kLinesBetweenChecks = 256;

} // namespace

const std::vector<BuiltInRuleRow> &builtInRules()
{
    return kRules;
}

std::optional<BuiltInRule> builtInRuleFromKey(std::string_view key)
{
    for (const BuiltInRuleRow &row : kRules) {
        if (row.key == key)
            return row.rule;
    }
    return std::nullopt;
}

ChapterRules ChapterRules::defaults()
{
    ChapterRules rules;
    for (const BuiltInRuleRow &row : kRules) {
        if (row.onByDefault)
            rules.builtIn.push_back(row.rule);
    }
    return rules;
}

RuleOutcome findChaptersByRules(const BookText &paragraphText,
                                const std::vector<int64_t> &lineStarts, const ChapterRules &rules,
                                const RuleLimits &limits)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limits.timeLimit;
    RuleOutcome outcome;
    const auto uses = [&rules](BuiltInRule rule) {
        return std::find(rules.builtIn.begin(), rules.builtIn.end(), rule) != rules.builtIn.end();
    };
    std::vector<Chapter> standard;
    if (uses(BuiltInRule::Standard))
        standard = findChapters(paragraphText);
    std::vector<BuiltInRule> lineRules;
    for (const BuiltInRuleRow &row : kRules) {
        if (row.rule != BuiltInRule::Standard && uses(row.rule))
            lineRules.push_back(row.rule);
    }
    if (lineRules.empty() && rules.own.empty()) {
        outcome.chapters = std::move(standard);
        return outcome;
    }

    std::vector<Chapter> found;
    size_t nextStandard = 0;
    size_t nextLineStart = 0;
    int64_t linesSeen = 0;
    const auto n = static_cast<int64_t>(paragraphText.size());
    paragraphText.visit([&](auto text) {
        PagesBehind behind(paragraphText);
        int64_t start = 0;
        while (start < n) {
            behind.passed(static_cast<size_t>(start));
            // The line [start, end): up to the next line start or the paragraph's mark.
            int64_t end = start;
            while (nextLineStart < lineStarts.size() && lineStarts[nextLineStart] <= start)
                ++nextLineStart;
            const int64_t nextStart =
                nextLineStart < lineStarts.size() ? lineStarts[nextLineStart] : n;
            while (end < nextStart && text[static_cast<size_t>(end)] != kParagraphMark)
                ++end;
            const int64_t following =
                end < n && text[static_cast<size_t>(end)] == kParagraphMark ? end + 1 : end;
            if (++linesSeen % kLinesBetweenChecks == 0) {
                if (limits.cancel && limits.cancel->load(std::memory_order_relaxed)) {
                    outcome.status = RuleOutcome::Status::Cancelled;
                    return;
                }
                if (Clock::now() > deadline) {
                    outcome.status = RuleOutcome::Status::TooSlow;
                    return;
                }
            }
            int64_t first = start;
            while (first < end && isBlank(text[static_cast<size_t>(first)]))
                ++first;
            // A line the standard finder already holds a heading in is taken.
            while (nextStandard < standard.size() && standard[nextStandard].offset < start)
                ++nextStandard;
            const bool taken =
                nextStandard < standard.size() && standard[nextStandard].offset < following;
            if (!taken && first < end && end - first <= kHeadingLengthLimit) {
                std::u32string line(text.begin() + first, text.begin() + end);
                bool heading =
                    std::any_of(lineRules.begin(), lineRules.end(),
                                [&line](BuiltInRule rule) { return matchesBuiltIn(rule, line); });
                for (size_t k = 0; !heading && k < rules.own.size(); ++k) {
                    const UserRule::Match match = rules.own[k].matchAtStart(line);
                    if (match == UserRule::Match::TooManySteps) {
                        outcome.status = RuleOutcome::Status::TooComplex;
                        outcome.ownRule = static_cast<int64_t>(k);
                        outcome.line = line;
                        return;
                    }
                    heading = match == UserRule::Match::Yes;
                }
                if (heading)
                    found.push_back({first, titleOf(line)});
            }
            start = std::max(following, end == start ? start + 1 : end);
        }
    });
    if (outcome.status != RuleOutcome::Status::Found)
        return outcome;
    outcome.chapters.reserve(standard.size() + found.size());
    std::merge(standard.begin(), standard.end(), found.begin(), found.end(),
               std::back_inserter(outcome.chapters),
               [](const Chapter &a, const Chapter &b) { return a.offset < b.offset; });
    return outcome;
}

std::vector<Chapter> splitLongChapters(const BookText &paragraphText,
                                       const std::vector<Chapter> &chapters, int64_t limit)
{
    std::vector<Chapter> out;
    const auto n = static_cast<int64_t>(paragraphText.size());
    limit = std::max<int64_t>(limit, 1);
    for (size_t k = 0; k < chapters.size(); ++k) {
        const int64_t start = chapters[k].offset;
        const int64_t end = k + 1 < chapters.size() ? chapters[k + 1].offset : n;
        const int64_t length = end - start;
        if (length <= limit) {
            out.push_back(chapters[k]);
            continue;
        }
        const int64_t parts = (length + limit - 1) / limit;
        std::vector<int64_t> cuts{start};
        for (int64_t part = 1; part < parts; ++part) {
            const int64_t target = start + part * length / parts;
            // The first paragraph that starts at or after the target, if it is near.
            int64_t cut = target;
            const int64_t near = std::min(end - 1, target + limit / 4);
            for (int64_t at = target; at < near; ++at) {
                if (paragraphText[static_cast<size_t>(at - 1)] == kParagraphMark) {
                    cut = at;
                    break;
                }
            }
            if (cut > cuts.back())
                cuts.push_back(cut);
        }
        const auto count = static_cast<int64_t>(cuts.size());
        if (count == 1) {
            out.push_back(chapters[k]);
            continue;
        }
        const auto digits = [](int64_t value) {
            const std::string text = std::to_string(value);
            return std::u32string(text.begin(), text.end());
        };
        for (int64_t part = 0; part < count; ++part) {
            out.push_back(
                {cuts[static_cast<size_t>(part)],
                 chapters[k].title + U"（" + digits(part + 1) + U"/" + digits(count) + U"）"});
        }
    }
    return out;
}

} // namespace tibbo::core
