#pragma once
// Finding the chapters by rules the reader picks for a book. The first rule is the
// standard finder (text/headings.h: 第X章/回 and the usual named sections, also
// where a heading line was joined to the paragraph before it); the built-in rules add
// the forms web novels use, each matched against the book's own lines; the reader's own
// rules are regular expressions (chapters/userrule.h). A line is a heading when it holds
// at most kHeadingLengthLimit characters (blanks at its start skipped) and a rule
// matches it; the first rule that finds a heading on a line gives it, one a line.

#include "chapters/userrule.h"
#include "state/booktext.h"
#include "text/headings.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

enum class BuiltInRule {
    Standard,            // 第X章/回/节 and 序, 楔子, 番外 …: the standard finder
    PrefixedTraditional, // 第X章 with Traditional or financial forms: 第十節, 第兩百話, 第壹章
    Volume,              // 卷X, 卷X 标题, Volume X
    Bracketed,           // 【X】 标题, [X], 〖第X章〗
    English,             // Chapter X, CHAPTER 12
    Unprefixed,          // X章 without 第: 三十章 标题, 12章
    ListNumbered,        // 1、标题, 一、标题, 12. 标题
    MoreSections, // 序言, 引言, 终章, 大结局, 完本感言, 附录 … and Traditional forms
};

struct BuiltInRuleRow
{
    BuiltInRule rule;
    // The key stored for a book, and what the rule panel shows.
    std::string_view key;
    std::u32string_view caption;
    bool onByDefault;
};

// Every built-in rule, the standard finder first, in the order the rule panel lists them.
const std::vector<BuiltInRuleRow> &builtInRules();
std::optional<BuiltInRule> builtInRuleFromKey(std::string_view key);

// What applies to one book.
struct ChapterRules
{
    std::vector<BuiltInRule> builtIn;
    std::vector<UserRule> own;
    // Chapters longer than kLongChapter characters are cut into numbered parts.
    bool splitLongChapters = false;

    // The rules a book has until the reader picks others: the built-in ones on by default.
    static ChapterRules defaults();
};

// How long the rules may run and how a caller stops them.
struct RuleLimits
{
    // A run that takes longer is stopped and the rules are refused.
    std::chrono::milliseconds timeLimit{2000};
    // Set from another thread to stop the run (a new book, a closed panel).
    const std::atomic<bool> *cancel = nullptr;
};

struct RuleOutcome
{
    enum class Status {
        Found,
        TooSlow,    // ran past the time limit
        TooComplex, // one of the reader's rules took too many steps on one line
        Cancelled,
    };
    Status status = Status::Found;
    std::vector<Chapter> chapters;
    // With TooComplex: the index in ChapterRules::own of the rule, and the heading-sized
    // line it failed on.
    int64_t ownRule = -1;
    std::u32string line;
};

// The headings the rules find in the paragraph text. `lineStarts`: offsets where the
// book's own lines begin inside a paragraph (a heading line joined to the paragraph
// before it), in increasing order; every paragraph start is a line start anyway.
RuleOutcome findChaptersByRules(const BookText &paragraphText,
                                const std::vector<int64_t> &lineStarts, const ChapterRules &rules,
                                const RuleLimits &limits = {});

// A chapter longer than this many characters can be cut into numbered parts.
inline constexpr int64_t kLongChapter = 30000;

// The chapters with every one longer than `limit` characters cut into parts of nearly
// equal length, each starting at a paragraph where one is near: "第一章 风起（2/3）".
// A part's heading offset is the first character of its first paragraph.
std::vector<Chapter> splitLongChapters(const BookText &paragraphText,
                                       const std::vector<Chapter> &chapters,
                                       int64_t limit = kLongChapter);

} // namespace tibbo::core
