// Chapter rules, heading numbers, the health check and the display layer's offset map on
// any text: headings lie in the text in order, one a line; parts cut from long chapters
// stay in order; numbers written in digits read back; the ranges of any cut show every
// converted character once, and a place comes back to itself or to the start of the
// phrase it stands in.
#include "fuzzcheck.h"

#include "chapters/chapterrules.h"
#include "chapters/headingnumber.h"
#include "chapters/healthcheck.h"
#include "script/displaytext.h"
#include "text/codepage.h"

#include <string>

using namespace tibbo::core;

namespace {

// A converter of fixed phrases, two of them changing length, so the map is exercised
// without OpenCC's data.
class TableConverter final : public PhraseConverter
{
  public:
    ConvertedRun convert(std::u32string_view text) const override
    {
        ConvertedRun run;
        for (size_t k = 0; k < text.size();) {
            if (text.substr(k, 2) == U"ab") {
                run.map.add({static_cast<int64_t>(k), 2, static_cast<int64_t>(run.text.size()), 3});
                run.text += U"XYZ";
                k += 2;
            } else if (text.substr(k, 3) == U"cde") {
                run.map.add({static_cast<int64_t>(k), 3, static_cast<int64_t>(run.text.size()), 1});
                run.text += U"Q";
                k += 3;
            } else {
                run.text += text[k] == U'x' ? U'y' : text[k];
                ++k;
            }
        }
        return run;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const std::u32string all = fromUtf8(tibbo::fuzz::bytesOf(data + 1, size - 1));
    const size_t patternLength = std::min<size_t>(data[0] % 16, all.size());
    const std::u32string pattern = all.substr(0, patternLength);
    const std::u32string text = all.substr(patternLength);
    const BookText book(text);
    const auto n = static_cast<int64_t>(text.size());

    if (const auto value = readHeadingNumber(text)) {
        FUZZ_CHECK(*value >= 0 && *value <= kLargestHeadingNumber);
        const std::string digits = std::to_string(*value);
        FUZZ_CHECK(readHeadingNumber(std::u32string(digits.begin(), digits.end())) == value);
    }
    readHeadingNumbers(text);

    ChapterRules rules;
    for (const BuiltInRuleRow &row : builtInRules())
        rules.builtIn.push_back(row.rule);
    if (auto own = UserRule::compile(pattern, nullptr))
        rules.own.push_back(std::move(*own));
    std::vector<int64_t> lineStarts;
    for (int64_t k = 0; k < n; ++k) {
        if (text[static_cast<size_t>(k)] == U'\n')
            lineStarts.push_back(k + 1);
    }
    const RuleOutcome outcome = findChaptersByRules(book, lineStarts, rules);
    for (size_t i = 0; i < outcome.chapters.size(); ++i) {
        FUZZ_CHECK(outcome.chapters[i].offset >= 0 && outcome.chapters[i].offset < n);
        FUZZ_CHECK(i == 0 || outcome.chapters[i - 1].offset < outcome.chapters[i].offset);
        FUZZ_CHECK(outcome.chapters[i].title.size() <= kChapterTitleLimit);
    }
    const auto parts = splitLongChapters(book, outcome.chapters, 1 + data[0] % 40);
    FUZZ_CHECK(parts.size() >= outcome.chapters.size());
    for (size_t i = 1; i < parts.size(); ++i)
        FUZZ_CHECK(parts[i - 1].offset < parts[i].offset && parts[i].offset < n);
    const auto problems = checkChapters(outcome.chapters);
    for (const ChapterProblem &p : problems) {
        FUZZ_CHECK(p.chapter >= 0 && p.chapter < static_cast<int64_t>(outcome.chapters.size()));
        FUZZ_CHECK(!problemMessage(p, outcome.chapters).empty());
    }

    DisplayText display;
    const auto converter = std::make_shared<TableConverter>();
    display.show(&book, converter);
    const std::u32string whole = converter->convert(text).text;
    std::u32string shown;
    const int64_t step = 1 + data[0] % 7;
    for (int64_t at = 0; at < n; at += step) {
        const int64_t end = std::min(n, at + step);
        shown += display.displayOf(at, end);
        for (int64_t place = at; place < end; ++place) {
            const int64_t back = display.originalAt(at, display.columnOf(at, place));
            FUZZ_CHECK(back <= place && back >= at - 2);
        }
    }
    FUZZ_CHECK(shown == whole);
    return 0;
}
