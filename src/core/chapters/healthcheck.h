#pragma once
// The chapter health check: the numbers of the headings, read in order, tell a broken
// download (chapters lost to a network error, a rule that misses half the titles)
// before the reader falls into the hole. A volume that starts its numbering again (卷二
// 第1章, or simply 第1章 after 第300章) is no gap and no disorder.

#include "text/headings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tibbo::core {

struct ChapterProblem
{
    enum class Kind {
        Gap,        // numbers missing before this chapter: 第311章 → 第313章
        Duplicate,  // this number came before in the same volume
        OutOfOrder, // a smaller number than the chapter before, not a new volume's start
        TooLong,    // far longer than the chapters around it
        TooShort,   // far shorter
    };
    Kind kind = Kind::Gap;
    // The chapter (index into the list checked) the problem is found at.
    int64_t chapter = 0;
    // Gap: the first and last missing number. Duplicate, OutOfOrder: the chapter's number
    // and (OutOfOrder) the number before it.
    int64_t first = 0;
    int64_t last = 0;
};

// A chapter is far longer (shorter) than those around it when it is more than this
// many times longer (shorter) than the middle length of up to kNeighbours chapters on
// each side, and it differs from that by at least kLengthSlack characters.
inline constexpr int64_t kLengthFactor = 4;
inline constexpr int64_t kNeighbours = 3;
inline constexpr int64_t kLengthSlack = 3000;

// The problems of `chapters` (the headings of one book, in text
// order), in the order of the chapters they are found at.
std::vector<ChapterProblem> checkChapters(const std::vector<Chapter> &chapters);

// What the reader is told: "第312章好像缺了", "第300章到第305章好像缺了", "第12章出现了两次",
// "第12章排在第15章后面", "这一章比前后的章节长得多", ... The unit (章, 回, 节) is the
// chapter's own.
std::u32string problemMessage(const ChapterProblem &problem, const std::vector<Chapter> &chapters);

} // namespace tibbo::core
