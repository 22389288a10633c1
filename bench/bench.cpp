// tibboread-bench BOOK: the figures that decide whether a large novel feels instant.
// Prints one "name: value unit" a line; never fails on timing.
#include "navigation/readingplace.h"
#include "navigation/search.h"
#include "reading/reanchor.h"
#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/fileio.h"
#include "text/headings.h"
#include "text/plaintext.h"
#include "text/reflow.h"
#include "text/spread.h"
#include "text/typesetting.h"
#include "timing.h"

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

using namespace tibbo::core;
using tibbo::bench::bestOf;
using tibbo::bench::Clock;
using tibbo::bench::msSince;

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tibboread-bench BOOK\n");
        return 2;
    }
    const std::string path = argv[1];
    const auto bytes = readFile(path);
    if (!bytes) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }

    ReaderState state;
    const double load = bestOf(3, [&] {
        {
            // Release the previous run's texts (assigning an empty state keeps them).
            ReaderState empty;
            std::swap(state, empty);
        }
        auto texts = loadPlainBook(path, false);
        state.scrollMap = std::move(texts->scrollMap);
        setParagraphText(state, std::move(texts->paragraphText));
    });
    state.linesPerPage = 30;
    state.charsPerLine = 28;
    tibbo::core::LineList ends;
    const double reflow =
        bestOf(3, [&] { ends = cutLines(state.paragraphText, state.charsPerLine); });
    // The fine typesetting cut; its headings come from the chapter finder (timed below).
    const CutRules fineRules = fineCutRules(state.paragraphText);
    tibbo::core::LineList fineEnds;
    const double fineReflow =
        bestOf(3, [&] { fineEnds = cutLines(state.paragraphText, state.charsPerLine, fineRules); });
    applyReflow(state, ends);
    state.topLine = 2 * 30 * ((state.lineCount() / 2) / 60) + 1; // middle of the book
    int64_t shown = 0;
    const double spreadMs = bestOf(50, [&] { shown += buildSpread(state).charCount; });
    const double decode = bestOf(3, [&] {
        const auto t = decodeGb18030(*bytes);
        shown += static_cast<int64_t>(t.size() & 1);
    });

    std::vector<Chapter> chapters;
    const double chapterMs = bestOf(3, [&] { chapters = findChapters(state.paragraphText); });
    // A needle the book does not hold, so the whole text is scanned.
    std::optional<int64_t> hit;
    const double searchMs =
        bestOf(3, [&] { hit = findText(state.paragraphText, U"不在书中的一句话Zq", 0, true); });
    shown += hit ? 1 : 0;
    // Counting every match of the commonest character, the count the search box shows.
    size_t matches = 0;
    const double countMs =
        bestOf(3, [&] { matches = allMatches(state.paragraphText, U"的").size(); });
    shown += static_cast<int64_t>(matches);
    // The worst case of a scan that compares the needle at every start: ten million
    // copies of one character and a 1000-character needle that matches all but its last.
    const BookText sameCharacter(std::u32string(10'000'000, U'啊'));
    std::u32string nearMiss(999, U'啊');
    nearMiss += U'哦';
    const double worstSearchMs =
        bestOf(1, [&] { hit = findText(sameCharacter, nearMiss, 0, true); });
    shown += hit ? 1 : 0;

    // A book downloaded again with a new chapter before everything: the place and 100
    // bookmarks spread over the book no longer stand at their offsets and are found by
    // their text, after the new text's identity tells it changed.
    std::vector<TextAnchor> anchors;
    for (int i = 0; i <= 100; ++i)
        anchors.push_back(anchorAt(state.paragraphText, chapters,
                                   static_cast<int64_t>(state.paragraphText.size()) * i / 101));
    std::u32string grown = U"第0章　新的开头\n";
    grown += state.paragraphText.substr(0, 3000);
    grown += state.paragraphText.substr(0);
    const BookText changed(grown);
    const std::vector<Chapter> changedChapters = findChapters(changed);
    size_t found = 0;
    const double reanchorMs = bestOf(3, [&] {
        found = 0;
        if (identityOf(changed) == identityOf(state.paragraphText))
            return;
        for (const auto &at : findAnchors(changed, changedChapters, anchors))
            found += at ? 1 : 0;
    });

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("book: %.1f MB, %lld characters, %lld display lines\n",
                static_cast<double>(bytes->size()) / 1048576.0,
                static_cast<long long>(state.paragraphText.size()),
                static_cast<long long>(state.lineCount()));
    std::printf("load: %.1f ms\n", load);
    std::printf("book store: %.1f MB (%s units), scroll map %.1f MB\n",
                static_cast<double>(state.paragraphText.byteSize()) / 1048576.0,
                state.paragraphText.wide() ? "32-bit" : "16-bit",
                static_cast<double>(state.scrollMap.byteSize()) / 1048576.0);
    std::printf("reflow: %.1f ms\n", reflow);
    std::printf("reflow with fine typesetting: %.1f ms (%.2f x plain, %lld display lines)\n",
                fineReflow, fineReflow / reflow, static_cast<long long>(fineEnds.size()) - 1);
    std::printf("spread: %.4f ms\n", spreadMs);
    std::printf("peak memory: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::printf("decode: %.1f ms\n", decode);
    std::printf("ratio load+reflow/decode: %.2f\n", (load + reflow) / decode);
    std::printf("ratio reflow/decode: %.2f\n", reflow / decode);
    std::printf("chapter detection: %.1f ms (%zu chapters)\n", chapterMs, chapters.size());
    std::printf("search whole book: %.1f ms\n", searchMs);
    std::printf("count all matches of 的 (%zu): %.1f ms\n", matches, countMs);
    std::printf("search worst case (10 M same characters, 1000-character needle): %.1f ms\n",
                worstSearchMs);
    std::printf("re-anchor the place and 100 bookmarks in a changed book: %.1f ms (%zu of %zu "
                "found)\n",
                reanchorMs, found, anchors.size());
    return shown == -1 ? 1 : 0;
}
