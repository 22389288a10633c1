// tibboread-rulesbench BOOK: the script conversion, the chapter rules and the health
// check on a large novel. Prints one "name: value unit" a line; never fails on timing.
#include "chapters/chapterrules.h"
#include "chapters/healthcheck.h"
#include "navigation/readingplace.h"
#include "navigation/scriptsearch.h"
#include "navigation/search.h"
#include "script/displayspread.h"
#include "script/displaytext.h"
#include "script/openccconverter.h"
#include "state/readerstate.h"
#include "text/plaintext.h"
#include "text/reflow.h"
#include "text/spread.h"
#include "timing.h"

#include <chrono>
#include <cstdio>

using namespace tibbo::core;
using tibbo::bench::bestOf;
using tibbo::bench::Clock;
using tibbo::bench::msSince;

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tibboread-rulesbench BOOK\n");
        return 2;
    }
    auto texts = loadPlainBook(argv[1], false);
    if (!texts) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    ReaderState state;
    state.scrollMap = std::move(texts->scrollMap);
    setParagraphText(state, std::move(texts->paragraphText));
    state.charsPerLine = 28;
    state.linesPerPage = 30;
    applyReflow(state, cutLines(state.paragraphText, state.charsPerLine));
    const auto n = static_cast<int64_t>(state.paragraphText.size());
    std::printf("book: %lld characters, %lld display lines\n", static_cast<long long>(n),
                static_cast<long long>(state.lineCount()));
    int64_t sink = 0;

    // ---- conversion ----
    std::shared_ptr<const PhraseConverter> traditional;
    const double loadConverter =
        bestOf(1, [&] { traditional = OpenccConverter::forMode(ScriptMode::Traditional); });
    std::printf("load the 转繁体 dictionaries: %.1f ms\n", loadConverter);
    for (const ScriptMode mode : allScriptModes())
        OpenccConverter::forMode(mode);
    const std::u32string whole = state.paragraphText.substr(0);
    for (const ScriptMode mode : {ScriptMode::Traditional, ScriptMode::TraditionalTaiwan,
                                  ScriptMode::TraditionalHongKong, ScriptMode::Simplified}) {
        const auto converter = OpenccConverter::forMode(mode);
        ConvertedRun run;
        const double ms = bestOf(1, [&] { run = converter->convert(whole); });
        std::printf("convert whole book %s: %.0f ms (%.1f M characters/s, %zu length changes)\n",
                    std::string(scriptModeKey(mode)).c_str(), ms,
                    static_cast<double>(n) / ms / 1000.0, run.map.changes().size());
        sink += static_cast<int64_t>(run.text.size());
    }
    state.topLine = 2 * 30 * ((state.lineCount() / 2) / 60) + 1; // middle of the book
    const double plainSpread = bestOf(50, [&] { sink += buildSpread(state).charCount; });
    // The first spread of a converted book: a fresh display layer converts its pieces.
    const double firstConvertedSpread = bestOf(5, [&] {
        DisplayText display;
        display.show(&state.paragraphText, traditional);
        Spread spread = buildSpread(state);
        showRowsInScript(spread, state, display);
        sink += static_cast<int64_t>(spread.rows[0].size());
    });
    DisplayText kept;
    kept.show(&state.paragraphText, traditional);
    const double keptSpread = bestOf(50, [&] {
        Spread spread = buildSpread(state);
        showRowsInScript(spread, state, kept);
        sink += static_cast<int64_t>(spread.rows[0].size());
    });
    std::printf("spread as written: %.3f ms\n", plainSpread);
    std::printf("first spread converted (its pieces converted afresh): %.2f ms\n",
                firstConvertedSpread);
    std::printf("spread converted, pieces kept: %.3f ms\n", keptSpread);
    // Turning through the whole book spread by spread, converting as it goes.
    DisplayText turning;
    turning.show(&state.paragraphText, traditional);
    const double allSpreads = bestOf(1, [&] {
        for (int64_t top = 1; top <= state.lineCount(); top += 60) {
            state.topLine = top;
            Spread spread = buildSpread(state);
            showRowsInScript(spread, state, turning);
            sink += static_cast<int64_t>(spread.rows[0].size());
        }
    });
    std::printf("every spread converted in turn: %.0f ms (%lld pieces)\n", allSpreads,
                static_cast<long long>(turning.piecesConverted()));

    // ---- search in either script ----
    std::vector<std::u32string> forms;
    const double formsMs = bestOf(3, [&] { forms = searchForms(U"不在书中的一句话頭髮"); });
    std::optional<ScriptHit> hit;
    const double eitherMs =
        bestOf(3, [&] { hit = findInEitherScript(state.paragraphText, forms, 0, true); });
    const double plainMs = bestOf(3, [&] {
        sink += findText(state.paragraphText, U"不在书中的一句话頭髮", 0, true).value_or(0);
    });
    std::printf("search forms of a word: %.2f ms (%zu forms)\n", formsMs, forms.size());
    std::printf("search whole book in either script: %.1f ms (as typed only: %.1f ms)\n", eitherMs,
                plainMs);

    // ---- chapter rules ----
    const auto lineStarts = state.scrollMap.lineStarts();
    RuleOutcome outcome;
    for (const BuiltInRuleRow &row : builtInRules()) {
        ChapterRules only;
        only.builtIn = {row.rule};
        const double ms = bestOf(
            3, [&] { outcome = findChaptersByRules(state.paragraphText, lineStarts, only); });
        std::printf("rule %s: %.1f ms (%zu headings)\n", std::string(row.key).c_str(), ms,
                    outcome.chapters.size());
    }
    const double defaultsMs = bestOf(3, [&] {
        outcome = findChaptersByRules(state.paragraphText, lineStarts, ChapterRules::defaults());
    });
    std::printf("default rules: %.1f ms (%zu headings)\n", defaultsMs, outcome.chapters.size());
    const std::vector<Chapter> found = outcome.chapters;
    ChapterRules own;
    own.own = {*UserRule::compile(U"第[一二三四五六七八九十百零〇]+回", nullptr)};
    const double ownMs =
        bestOf(3, [&] { outcome = findChaptersByRules(state.paragraphText, lineStarts, own); });
    std::printf("the reader's own rule 第[…]+回: %.1f ms (%zu headings)\n", ownMs,
                outcome.chapters.size());
    ChapterRules runaway;
    runaway.own = {*UserRule::compile(U"(.+)+[XY]", nullptr)};
    const double runawayMs =
        bestOf(1, [&] { outcome = findChaptersByRules(state.paragraphText, lineStarts, runaway); });
    std::printf("a runaway rule (.+)+[XY] refused after: %.0f ms (status %d)\n", runawayMs,
                static_cast<int>(outcome.status));
    std::vector<Chapter> parts;
    const double splitMs =
        bestOf(3, [&] { parts = splitLongChapters(state.paragraphText, found, 3000); });
    std::printf("split chapters longer than 3000: %.1f ms (%zu parts)\n", splitMs, parts.size());

    // ---- health check ----
    std::vector<ChapterProblem> problems;
    const double healthMs = bestOf(3, [&] { problems = checkChapters(found); });
    std::printf("health check: %.2f ms (%zu chapters, %zu problems)\n", healthMs, found.size(),
                problems.size());
    return sink == -1 ? 1 : 0;
}
