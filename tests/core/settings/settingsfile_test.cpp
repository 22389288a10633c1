#include "corefixtures.h"
#include "pages/pages.h"
#include "referencesession.h"
#include "settings/settingsfile.h"
#include "text/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace tibbo::core::test;

namespace tibbo::core {
namespace {

using Lines = std::vector<std::string>;

// A settings.ini as the writer makes it, line by line (UTF-8 here, GB18030 on disk).
// The paragraph text is 14 characters cut into lines ending at 5, 10 and 14.
Lines handMadeLines()
{
    return {
        " 2 ",
        " 1200 ",
        " 900.5 ",
        " 11910 ",
        " 7320 ",
        "[Recent]",
        "D:\\novels\\红楼梦.txt",
        "/home/u/b.txt",
        "\\none",
        "\\none",
        "\\none",
        "[/Recent]",
        "[Text]",
        "　第一回^甄士隐梦幻识通灵^",
        "[/Text]",
        "[Passage]",
        "0",
        "5",
        "10",
        "14",
        "[/Passage]",
        "Page is  121",
        "Maxline is  10",
        "D:\\novels\\红楼梦.txt",
        "[Marks]",
        "3",
        "15",
        "[/Marks]",
        "[Page]",
        "宋体",
        " 10.5 ",
        "True",
        "False",
        "True",
        " 1 ",
        " .5 ",
        " 10 ",
        " 20 ",
        " 40 ",
        "-3 ",
        "[/Page]",
        " 240 ",
        " 130 ",
    };
}

// What handMadeLines() holds, as the writer's input.
SettingsData handMadeData()
{
    SettingsData d;
    d.windowState = 2;
    d.normalLeft = 1200;
    d.normalTop = 900.5;
    d.normalWidth = 11910;
    d.normalHeight = 7320;
    d.recent = {"D:\\novels\\红楼梦.txt", "/home/u/b.txt", "\\none", "\\none", "\\none"};
    d.paragraphText = U"　第一回^甄士隐梦幻识通灵^";
    d.lineEnds = {0, 5, 10, 14};
    d.topLine = 121;
    d.linesPerPage = 10;
    d.bookPath = "D:\\novels\\红楼梦.txt";
    d.bookmarks = {3, 15};
    d.font = {"宋体", 10.5, true, false, true};
    d.trim = 1;
    d.lineSpacing = 0.5;
    d.topMargin = 10;
    d.bottomMargin = 20;
    d.leftMargin = 40;
    d.rightMargin = -3;
    d.autoTurnSeconds = 240;
    d.scrollSpeed = 130;
    return d;
}

std::string fileBytes(const Lines &lines)
{
    std::string utf8;
    for (const auto &line : lines)
        utf8 += line + "\r\n";
    return encodeGb18030(fromUtf8(utf8));
}

size_t indexOf(const Lines &lines, const std::string &line)
{
    return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

Lines withLine(Lines lines, size_t index, const std::string &value)
{
    lines.at(index) = value;
    return lines;
}

int fieldsSet(const SettingsRead &r)
{
    const bool set[] = {
        r.windowState.has_value(),
        r.normalLeft.has_value(),
        r.normalTop.has_value(),
        r.normalWidth.has_value(),
        r.normalHeight.has_value(),
        r.recent.has_value(),
        r.paragraphText.has_value(),
        r.lineEnds.has_value(),
        r.topLine.has_value(),
        r.linesPerPage.has_value(),
        r.bookPath.has_value(),
        r.bookmarks.has_value(),
        r.fontName.has_value(),
        r.fontSize.has_value(),
        r.fontBold.has_value(),
        r.fontItalic.has_value(),
        r.fontUnderline.has_value(),
        r.trim.has_value(),
        r.lineSpacing.has_value(),
        r.topMargin.has_value(),
        r.bottomMargin.has_value(),
        r.leftMargin.has_value(),
        r.rightMargin.has_value(),
        r.autoTurnSeconds.has_value(),
        r.scrollSpeed.has_value(),
        r.marksEnded,
        r.pageEnded,
        r.complete,
    };
    return static_cast<int>(std::count(std::begin(set), std::end(set), true));
}

constexpr int kAllFields = 28;

template <typename T>
void expectKept(const std::optional<T> &earlier, const std::optional<T> &later, const char *name)
{
    if (!earlier)
        return;
    ASSERT_TRUE(later.has_value()) << name;
    EXPECT_EQ(*earlier, *later) << name;
}

template <typename T>
void expectListKept(const std::optional<std::vector<T>> &earlier,
                    const std::optional<std::vector<T>> &later, const char *name)
{
    if (!earlier)
        return;
    ASSERT_TRUE(later.has_value()) << name;
    ASSERT_LE(earlier->size(), later->size()) << name;
    EXPECT_TRUE(std::equal(earlier->begin(), earlier->end(), later->begin())) << name;
}

// Everything `earlier` (a read of the file's first whole lines) holds, `later` (a read
// of the same lines followed by anything) holds too: lists may only have grown.
void expectKeepsEarlierValues(const SettingsRead &earlier, const SettingsRead &later)
{
    expectKept(earlier.windowState, later.windowState, "windowState");
    expectKept(earlier.normalLeft, later.normalLeft, "normalLeft");
    expectKept(earlier.normalHeight, later.normalHeight, "normalHeight");
    expectListKept(earlier.recent, later.recent, "recent");
    expectKept(earlier.paragraphText, later.paragraphText, "paragraphText");
    expectListKept(earlier.lineEnds, later.lineEnds, "lineEnds");
    expectKept(earlier.topLine, later.topLine, "topLine");
    expectKept(earlier.linesPerPage, later.linesPerPage, "linesPerPage");
    expectKept(earlier.bookPath, later.bookPath, "bookPath");
    if (earlier.bookmarks) {
        ASSERT_TRUE(later.bookmarks.has_value());
        const auto a = linesOf(*earlier.bookmarks), b = linesOf(*later.bookmarks);
        ASSERT_LE(a.size(), b.size());
        EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin()));
    }
    expectKept(earlier.fontName, later.fontName, "fontName");
    expectKept(earlier.fontSize, later.fontSize, "fontSize");
    expectKept(earlier.fontUnderline, later.fontUnderline, "fontUnderline");
    expectKept(earlier.trim, later.trim, "trim");
    expectKept(earlier.rightMargin, later.rightMargin, "rightMargin");
    expectKept(earlier.autoTurnSeconds, later.autoTurnSeconds, "autoTurnSeconds");
    expectKept(earlier.scrollSpeed, later.scrollSpeed, "scrollSpeed");
    EXPECT_LE(earlier.marksEnded, later.marksEnded);
    EXPECT_LE(earlier.pageEnded, later.pageEnded);
}

// Whatever else went wrong, a read never hands out a line list it calls fitting
// that does not fit, nor a closing flag without its values.
void expectConsistent(const SettingsRead &r)
{
    if (r.lineEndsFitText) {
        ASSERT_TRUE(r.lineEnds && r.paragraphText);
        EXPECT_TRUE(lineListFits(*r.lineEnds, r.paragraphText->size()));
    }
    EXPECT_TRUE(!r.marksEnded || r.bookmarks.has_value());
    EXPECT_TRUE(!r.pageEnded || r.rightMargin.has_value());
    EXPECT_TRUE(!r.clean || fieldsSet(r) == kAllFields);
    EXPECT_TRUE(!r.clean || r.complete);
}

TEST(SettingsWrite, handMadeValues_giveTheExactFileBytes)
{
    EXPECT_EQ(writeSettingsFile(handMadeData()), fileBytes(handMadeLines()));
}

TEST(SettingsWrite, chineseText_isWrittenAsGbkBytes)
{
    // "宋体" is CB CE CC E5 in GBK.
    EXPECT_NE(writeSettingsFile(handMadeData()).find("\r\n\xCB\xCE\xCC\xE5\r\n"),
              std::string::npos);
}

TEST(SettingsWrite, freshRecentList_isFiveNoneLines)
{
    SettingsData d;
    d.recent = ReaderState().recent;
    EXPECT_NE(writeSettingsFile(d).find(
                  "[Recent]\r\n\\none\r\n\\none\r\n\\none\r\n\\none\r\n\\none\r\n[/Recent]\r\n"),
              std::string::npos);
}

TEST(SettingsWrite, labelledNumbers_haveTheSignBlankAndNoTrailingBlank)
{
    SettingsData d;
    d.topLine = 121;
    d.linesPerPage = 10;
    EXPECT_NE(writeSettingsFile(d).find("\r\nPage is  121\r\nMaxline is  10\r\n"),
              std::string::npos);
}

TEST(SettingsWrite, emptyParagraphText_isAnEmptyLineAndReadsBackEmpty)
{
    SettingsData d;
    d.paragraphText.clear();
    d.lineEnds = {0};
    const std::string bytes = writeSettingsFile(d);
    EXPECT_NE(bytes.find("[Text]\r\n\r\n[/Text]\r\n"), std::string::npos);
    const SettingsRead r = readSettingsFile(bytes);
    ASSERT_TRUE(r.paragraphText.has_value());
    EXPECT_EQ(*r.paragraphText, U"");
    EXPECT_TRUE(r.lineEndsFitText);
    EXPECT_TRUE(r.complete);
}

TEST(SettingsWrite, slideCache_isTheScrollTextAndOneMoreCrLf)
{
    EXPECT_EQ(slideCacheBytes(U"A\r\nB\r\n"), "A\r\nB\r\n\r\n");
    EXPECT_EQ(slideCacheBytes(U"书\r\n"), "\xCA\xE9\r\n\r\n");
    EXPECT_EQ(slideCacheBytes(U""), "\r\n");
}

TEST(SettingsRead, handMadeFile_isReadAsTheTableSays)
{
    const SettingsRead r = readSettingsFile(fileBytes(handMadeLines()));
    EXPECT_EQ(r.windowState, 2);
    EXPECT_EQ(r.normalLeft, 1200);
    EXPECT_EQ(r.normalTop, 900.5);
    EXPECT_EQ(r.normalWidth, 11910);
    EXPECT_EQ(r.normalHeight, 7320);
    EXPECT_EQ(r.recent, handMadeData().recent);
    EXPECT_EQ(r.paragraphText, std::u32string(U"　第一回^甄士隐梦幻识通灵^"));
    EXPECT_EQ(r.lineEnds, (LineList{0, 5, 10, 14}));
    EXPECT_TRUE(r.lineEndsFitText);
    EXPECT_EQ(r.topLine, 121);
    EXPECT_EQ(r.linesPerPage, 10);
    EXPECT_EQ(r.bookPath, "D:\\novels\\红楼梦.txt");
    EXPECT_EQ(r.fontName, "宋体");
    EXPECT_EQ(r.fontSize, 10.5);
    EXPECT_EQ(r.fontBold, true);
    EXPECT_EQ(r.fontItalic, false);
    EXPECT_EQ(r.fontUnderline, true);
    EXPECT_EQ(r.trim, 1);
    EXPECT_EQ(r.lineSpacing, 0.5);
    EXPECT_EQ(r.topMargin, 10);
    EXPECT_EQ(r.bottomMargin, 20);
    EXPECT_EQ(r.leftMargin, 40);
    EXPECT_EQ(r.rightMargin, -3);
    EXPECT_EQ(r.autoTurnSeconds, 240);
    EXPECT_EQ(r.scrollSpeed, 130);
    EXPECT_TRUE(r.marksEnded && r.pageEnded && r.complete);
}

TEST(SettingsRead, bookmarks_areAnchoredInTheReadLineListWhenItFits)
{
    const SettingsRead fitting = readSettingsFile(fileBytes(handMadeLines()));
    ASSERT_TRUE(fitting.bookmarks.has_value());
    ASSERT_EQ(fitting.bookmarks->size(), 2u);
    // Line 3 starts at offset 10; line 15 lies beyond the three lines of the list.
    EXPECT_EQ(fitting.bookmarks->at(0).anchor, std::optional<int64_t>(10));
    EXPECT_EQ(fitting.bookmarks->at(1).anchor, std::nullopt);

    const Lines lines = handMadeLines();
    const SettingsRead unfit =
        readSettingsFile(fileBytes(withLine(lines, indexOf(lines, "14"), "13")));
    EXPECT_FALSE(unfit.lineEndsFitText);
    ASSERT_TRUE(unfit.bookmarks.has_value());
    EXPECT_EQ(unfit.bookmarks->at(0).anchor, std::nullopt);

    // Entries are held in 32 bits: 2^32 + 14 and 2^32 + 10 must not pass as 14 and 10.
    const SettingsRead wide = readSettingsFile(fileBytes(withLine(
        withLine(lines, indexOf(lines, "14"), "4294967310"), indexOf(lines, "10"), "4294967306")));
    EXPECT_FALSE(wide.lineEndsFitText);
    EXPECT_EQ(wide.bookmarks->at(0).anchor, std::nullopt);
}

TEST(SettingsRead, entriesThatAreNotWholeNumbers_areLeftOut)
{
    Lines lines = handMadeLines();
    const size_t marks = indexOf(lines, "[Marks]");
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(marks) + 1, {"abc", "2.5", "0", ""});
    const SettingsRead marksRead = readSettingsFile(fileBytes(lines));
    EXPECT_EQ(linesOf(marksRead.bookmarks.value()), (std::vector<int64_t>{3, 15}));
    EXPECT_TRUE(marksRead.complete);

    const Lines base = handMadeLines();
    const SettingsRead passage =
        readSettingsFile(fileBytes(withLine(base, indexOf(base, "5"), "5x")));
    EXPECT_EQ(passage.lineEnds, (LineList{0, 10, 14}));
    EXPECT_FALSE(passage.lineEndsFitText);
    EXPECT_TRUE(passage.complete);
}

TEST(SettingsRead, openingTagsAndLabels_areNotLookedAt)
{
    Lines lines = handMadeLines();
    for (const char *tag :
         {"[Recent]", "[Text]", "[/Text]", "[Passage]", "[Marks]", "[Page]", "[/Page]"})
        lines = withLine(lines, indexOf(lines, tag), "anything");
    // Eight and eleven characters are dropped, not bytes.
    lines = withLine(lines, indexOf(lines, "Page is  121"), "当前页码是：数 121");
    lines = withLine(lines, indexOf(lines, "Maxline is  10"), "每页的行数一共是多少呢 10");
    const SettingsRead r = readSettingsFile(fileBytes(lines));
    EXPECT_EQ(r.recent, handMadeData().recent);
    EXPECT_EQ(r.lineEnds, (LineList{0, 5, 10, 14}));
    EXPECT_EQ(r.topLine, 121);
    EXPECT_EQ(r.linesPerPage, 10);
    EXPECT_EQ(r.rightMargin, -3);
    EXPECT_TRUE(r.complete);
}

TEST(SettingsRead, listEntryEqualToItsClosingTag_endsTheListEarly)
{
    SettingsData d = handMadeData();
    d.recent = {"/a.txt", "[/Recent]", "/b.txt"};
    const SettingsRead r = readSettingsFile(writeSettingsFile(d));
    EXPECT_EQ(r.recent, (std::vector<std::string>{"/a.txt"}));
    // The rest of the file is now read one line off: "/b.txt" is taken for "[Text]".
    EXPECT_EQ(r.paragraphText, std::u32string(U"[/Recent]"));
    EXPECT_FALSE(r.lineEndsFitText);
}

// A bad line costs its own value only: the book, the place and the appearance after it
// are still read, and the read says the file was not clean.
TEST(SettingsRead, refusedValue_losesOnlyItsOwnField)
{
    const Lines lines = handMadeLines();
    const size_t page = indexOf(lines, "[Page]");
    const size_t last = lines.size() - 1;
    struct Row
    {
        const char *name;
        size_t index;
        std::string value;
    };
    const Row rows[] = {
        {"window state out of range", 0, " 7 "},
        {"window state not a number", 0, "normal"},
        {"bold neither word nor number", page + 3, "Yes"},
        {"trimming out of range", page + 6, " 3 "},
        {"trimming with text after it", page + 6, " 1 x"},
        {"speed above the slider", last, " 301 "},
        {"speed below the slider", last, " 0 "},
        {"font size of no points", page + 2, " 0 "},
        {"window width below zero", 3, "-11910 "},
        {"interval beyond any number", last - 1, " 1E+400 "},
    };
    const SettingsRead whole = readSettingsFile(fileBytes(lines));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const SettingsRead r = readSettingsFile(fileBytes(withLine(lines, row.index, row.value)));
        EXPECT_EQ(fieldsSet(r), kAllFields - 1);
        EXPECT_TRUE(r.complete);
        EXPECT_FALSE(r.clean);
        EXPECT_EQ(r.paragraphText, whole.paragraphText);
        EXPECT_EQ(r.lineEnds, whole.lineEnds);
        EXPECT_TRUE(r.lineEndsFitText);
        EXPECT_EQ(r.topLine, whole.topLine);
        EXPECT_EQ(r.bookPath, whole.bookPath);
        EXPECT_EQ(r.rightMargin, whole.rightMargin);
        expectConsistent(r);
    }
}

// Only a whole file as the writer makes it reads clean; anything else is worth keeping
// before it is written over.
TEST(SettingsRead, cleanRead_onlyForAWholeUntouchedFile)
{
    const Lines lines = handMadeLines();
    const std::string bytes = fileBytes(lines);
    struct Row
    {
        const char *name;
        std::string bytes;
        bool clean;
    };
    Lines sevenRecent = lines;
    sevenRecent.insert(sevenRecent.begin() + 7, {"/x/6.txt", "/x/7.txt"});
    const Row rows[] = {
        {"as written", bytes, true},
        {"written from its own read", writeSettingsFile(handMadeData()), true},
        {"last CR LF missing", bytes.substr(0, bytes.size() - 2), false},
        {"a line more at the end", bytes + "x\r\n", false},
        {"cut inside the book", bytes.substr(0, bytes.size() / 2), false},
        {"margin beyond the page", fileBytes(withLine(lines, indexOf(lines, " 40 "), "-1E+12 ")),
         false},
        {"seven recent entries", fileBytes(sevenRecent), false},
        {"a bookmark line that is no number", fileBytes(withLine(lines, indexOf(lines, "15"), "x")),
         false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(readSettingsFile(row.bytes).clean, row.clean);
    }
}

// A bad first line used to stop the read before the book: the saved book was lost.
TEST(SettingsApply, badFirstLine_keepsTheSavedBook)
{
    const Lines lines = handMadeLines();
    ReaderState state;
    applySettingsToState(readSettingsFile(fileBytes(withLine(lines, 0, " 7 "))), state);
    EXPECT_EQ(state.paragraphText, U"　第一回^甄士隐梦幻识通灵^");
    EXPECT_EQ(state.bookPath, "D:\\novels\\红楼梦.txt");
    EXPECT_EQ(state.topLine, 121);
    EXPECT_TRUE(state.lineEndsFitText());
}

TEST(SettingsRead, acceptedSpellings_readOn)
{
    const Lines lines = handMadeLines();
    const size_t page = indexOf(lines, "[Page]");
    struct Row
    {
        const char *name;
        size_t index;
        std::string value;
    };
    const Row rows[] = {
        {"window state 1", 0, " 1 "},
        {"window state without blanks", 0, "0"},
        {"bold as a number", page + 3, "-1"},
        {"bold in lower case", page + 3, "false"},
        {"trimming undecided", page + 6, " 2 "},
        {"speed at the top", lines.size() - 1, " 300 "},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(readSettingsFile(fileBytes(withLine(lines, row.index, row.value))).clean);
    }
}

TEST(SettingsRead, writtenFile_readsBackTheSameValues)
{
    SettingsData d = handMadeData();
    d.windowState = 0;
    d.recent = {"/b/5.txt", "/b/4.txt", "D:\\b\\3.txt", "\\none", "\\none"};
    // A lone LF is data on reading, so it survives inside the one-line paragraph text.
    d.paragraphText = U"甲\n乙^丙丁^";
    d.lineEnds = {0, 2, 4, 7};
    d.topLine = 21;
    d.linesPerPage = 7;
    d.bookmarks = {3, 1, 2};
    d.font = {"Noto Serif CJK SC", 12, false, true, false};
    d.trim = 0;
    d.lineSpacing = 7;
    d.topMargin = 11.25;
    d.bottomMargin = 0;
    d.leftMargin = 33;
    d.rightMargin = 21;
    d.autoTurnSeconds = 37;
    d.scrollSpeed = 1;

    const SettingsRead r = readSettingsFile(writeSettingsFile(d));
    EXPECT_EQ(r.windowState, d.windowState);
    EXPECT_EQ(r.recent, d.recent);
    EXPECT_EQ(r.paragraphText, d.paragraphText);
    EXPECT_EQ(r.lineEnds, d.lineEnds);
    EXPECT_TRUE(r.lineEndsFitText);
    EXPECT_EQ(r.topLine, d.topLine);
    EXPECT_EQ(r.linesPerPage, d.linesPerPage);
    EXPECT_EQ(r.bookPath, d.bookPath);
    EXPECT_EQ(linesOf(r.bookmarks.value()), d.bookmarks);
    EXPECT_EQ(r.fontName, d.font.name);
    EXPECT_EQ(r.fontSize, d.font.size);
    EXPECT_EQ(r.fontBold, d.font.bold);
    EXPECT_EQ(r.fontItalic, d.font.italic);
    EXPECT_EQ(r.fontUnderline, d.font.underline);
    EXPECT_EQ(r.trim, d.trim);
    EXPECT_EQ(r.lineSpacing, d.lineSpacing);
    EXPECT_EQ(r.topMargin, d.topMargin);
    EXPECT_EQ(r.bottomMargin, d.bottomMargin);
    EXPECT_EQ(r.leftMargin, d.leftMargin);
    EXPECT_EQ(r.rightMargin, d.rightMargin);
    EXPECT_EQ(r.autoTurnSeconds, d.autoTurnSeconds);
    EXPECT_EQ(r.scrollSpeed, d.scrollSpeed);
    EXPECT_TRUE(r.complete);
}

TEST(SettingsRead, everyTruncation_readsWithoutCrashAndKeepsWhatCameBefore)
{
    const std::string bytes = fileBytes(handMadeLines());
    const SettingsRead full = readSettingsFile(bytes);
    ASSERT_EQ(fieldsSet(full), kAllFields);
    // The last line is the speed " 130 ": its first digit already makes a valid speed.
    const size_t lastLine = bytes.rfind("\r\n", bytes.size() - 3) + 2;
    int previous = 0;
    for (size_t k = 0; k <= bytes.size(); ++k) {
        SCOPED_TRACE(k);
        const SettingsRead r = readSettingsFile(bytes.substr(0, k));
        expectConsistent(r);
        EXPECT_GE(fieldsSet(r), previous);
        previous = fieldsSet(r);
        // A line for the speed, even a cut one, completes the file; only the whole file
        // is clean.
        EXPECT_EQ(r.complete, k >= lastLine + 1);
        EXPECT_EQ(r.clean, k + 1 >= bytes.size()); // a lone CR ends the last line too
        if (k == 0 || (bytes[k - 1] == '\n'))
            expectKeepsEarlierValues(r, full);
    }
}

TEST(SettingsRead, randomCorruptions_readWithoutCrashAndKeepValuesBeforeThem)
{
    const std::string bytes = fileBytes(handMadeLines());
    std::mt19937 random(20240611);
    const std::string interesting = "\r\n []/0123456789.-TrueFals\x81\xfe\x30";
    for (int round = 0; round < 400; ++round) {
        std::string corrupt = bytes;
        size_t first = corrupt.size();
        const int changes = 1 + static_cast<int>(random() % 3);
        for (int c = 0; c < changes && !corrupt.empty(); ++c) {
            const size_t at = random() % corrupt.size();
            const char byte = random() % 2 ? interesting[random() % interesting.size()]
                                           : static_cast<char>(random() % 256);
            switch (random() % 3) {
            case 0:
                corrupt[at] = byte;
                break;
            case 1:
                corrupt.insert(corrupt.begin() + static_cast<std::ptrdiff_t>(at), byte);
                break;
            default:
                corrupt.erase(at, 1);
                break;
            }
            first = std::min(first, at);
        }
        SCOPED_TRACE("round " + std::to_string(round));
        const SettingsRead r = readSettingsFile(corrupt);
        expectConsistent(r);
        // The whole lines before the first changed byte read as in the intact file.
        size_t keep = 0;
        if (first > 0) {
            const size_t newline = bytes.rfind('\n', first - 1);
            keep = newline == std::string::npos ? 0 : newline + 1;
        }
        expectKeepsEarlierValues(readSettingsFile(bytes.substr(0, keep)), r);
    }
}

TEST(SettingsRead, absurdPosition_isKeptWithinTheLineNumberLimit)
{
    const Lines lines = handMadeLines();
    Lines edited = withLine(lines, indexOf(lines, "Page is  121"), "Page is 1e400");
    edited = withLine(edited, indexOf(lines, "Maxline is  10"), "Maxline is -1e19");
    const SettingsRead r = readSettingsFile(fileBytes(edited));
    EXPECT_EQ(r.topLine, kLineNumberLimit);
    EXPECT_EQ(r.linesPerPage, -kLineNumberLimit);
    EXPECT_TRUE(r.complete);
}

// Numbers that crashed, hung or blew up the window: each is kept to its range, and one
// that is no finite number takes the default (its field stays empty).
TEST(SettingsRead, absurdNumbers_areKeptToSaneRanges)
{
    const Lines lines = handMadeLines();
    const size_t page = indexOf(lines, "[Page]");
    struct Row
    {
        const char *name;
        size_t index;
        std::string value;
        std::optional<double> SettingsRead::*field;
        std::optional<double> expected;
    };
    const Row rows[] = {
        // -1E+12 overflowed the float-to-int conversion of the line capacity.
        {"top margin -1E+12", page + 8, "-1E+12 ", &SettingsRead::topMargin, -10000},
        // -1E+9 gave tens of millions of lines a page.
        {"bottom margin -1E+9", page + 9, "-1E+9 ", &SettingsRead::bottomMargin, -10000},
        {"left margin 1E+9", page + 10, " 1E+9 ", &SettingsRead::leftMargin, 10000},
        {"line spacing -1E+300", page + 7, "-1E+300 ", &SettingsRead::lineSpacing, -10000},
        {"right margin 1E+400", page + 11, " 1E+400 ", &SettingsRead::rightMargin, std::nullopt},
        // 1E+7 twips made a 32767 x 32767 window.
        {"width 1E+7 twips", 3, " 1E+7 ", &SettingsRead::normalWidth, 200000},
        {"height of zero", 4, " 0 ", &SettingsRead::normalHeight, std::nullopt},
        {"left -1E+7 twips", 1, "-1E+7 ", &SettingsRead::normalLeft, -200000},
        {"top 1E+400", 2, " 1E+400 ", &SettingsRead::normalTop, std::nullopt},
        {"font size 1E+6", page + 2, " 1E+6 ", &SettingsRead::fontSize, 200},
        {"font size a tenth", page + 2, " .1 ", &SettingsRead::fontSize, 1},
        {"interval of zero", lines.size() - 2, " 0 ", &SettingsRead::autoTurnSeconds, 1},
        {"interval of years", lines.size() - 2, " 1E+9 ", &SettingsRead::autoTurnSeconds, 86400},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const SettingsRead r = readSettingsFile(fileBytes(withLine(lines, row.index, row.value)));
        EXPECT_EQ(r.*row.field, row.expected);
        EXPECT_FALSE(r.clean);
        EXPECT_TRUE(r.complete);
    }
}

// 1E+400 was written as "INF", which no reader takes for a number; a margin beyond the
// page was written as it was and read back as another value.
TEST(SettingsWrite, everyNumber_readsBackAsWritten)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row
    {
        const char *name;
        double value;
        double expected; // what is written and read back
    };
    const Row rows[] = {
        {"infinite", inf, 10},
        {"minus infinite", -inf, 10},
        {"not a number", nan, 10},
        {"beyond the page", -1e12, -10000},
        {"needs 17 digits", 0.1 + 0.2, 0.1 + 0.2},
        {"a third", 1.0 / 3, 1.0 / 3},
        {"plain", 12.5, 12.5},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        SettingsData d = handMadeData();
        d.topMargin = row.value;
        d.normalLeft = row.value * 10; // twips: same kinds of value, another range
        d.font.size = std::isfinite(row.value) ? std::fabs(row.value) : row.value;
        const std::string bytes = writeSettingsFile(d);
        EXPECT_EQ(bytes.find("INF"), std::string::npos);
        EXPECT_EQ(bytes.find("NAN"), std::string::npos);
        const SettingsRead r = readSettingsFile(bytes);
        EXPECT_TRUE(r.clean);
        EXPECT_EQ(r.topMargin, row.expected);
        ASSERT_TRUE(r.normalLeft && r.fontSize);
        // Whatever was written reads back as itself once more.
        SettingsData again = d;
        again.topMargin = *r.topMargin;
        again.normalLeft = *r.normalLeft;
        again.font.size = *r.fontSize;
        EXPECT_EQ(writeSettingsFile(again), bytes);
    }
}

// A list that never closes used to keep every line of the file; now each keeps what it
// can use, and a line list longer than its text cannot fit it.
TEST(SettingsRead, lists_keepNoMoreThanTheyCanUse)
{
    const Lines all = handMadeLines();
    Lines unclosed(all.begin(), all.begin() + 6);
    unclosed.insert(unclosed.end(), 200000, "/a/very/long/path/of/a/book/that/is/not/there.txt");
    const SettingsRead recent = readSettingsFile(fileBytes(unclosed));
    ASSERT_TRUE(recent.recent.has_value());
    EXPECT_EQ(recent.recent->size(), static_cast<size_t>(kRecentSlots));
    EXPECT_FALSE(recent.paragraphText.has_value());

    // The text has 14 characters: at most 15 entries and 14 bookmarks are kept.
    Lines lines = handMadeLines();
    Lines passage;
    for (int i = 0; i < 40; ++i)
        passage.push_back(std::to_string(i));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(indexOf(lines, "[/Passage]")),
                 passage.begin(), passage.end());
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(indexOf(lines, "[/Marks]")),
                 passage.begin() + 1, passage.end());
    const SettingsRead r = readSettingsFile(fileBytes(lines));
    EXPECT_LE(r.lineEnds.value().size(), 15u);
    EXPECT_FALSE(r.lineEndsFitText);
    EXPECT_LE(r.bookmarks.value().size(), 14u);
    EXPECT_TRUE(r.marksEnded && r.complete);
    EXPECT_FALSE(r.clean);
}

TEST(SettingsRead, oddInputs_readWithoutCrash)
{
    const std::string inputs[] = {
        "",
        "\r\n",
        "\n\n\n",
        std::string(5000, '\r'),
        std::string("\0\0\0", 3),
        " 1e400 \r\n",
        " 2 \r\n1e400\r\n-1e400\r\n\r\n\r\n[Recent]\r\n",
        fileBytes({" 0 ", "0", "0", "0", "0", "[Recent]", "[/Recent]", "[Text]", "^", "[/Text]",
                   "[Passage]", "[/Passage]", "Page is -1e400", "Maxline is 1e400", "", "[Marks]",
                   "99999999999999999999", "[/Marks]"}),
    };
    for (const auto &input : inputs) {
        const SettingsRead r = readSettingsFile(input);
        expectConsistent(r);
        EXPECT_FALSE(r.complete);
    }
}

TEST(LineListFit, anyBrokenRule_makesTheListUnfit)
{
    struct Row
    {
        const char *name;
        LineList ends;
        size_t length;
        bool fits;
    };
    const Row rows[] = {
        {"good", {0, 4, 8}, 8, true},
        {"empty text", {0}, 0, true},
        {"no entries", {}, 0, false},
        {"not from zero", {1, 4, 8}, 8, false},
        {"repeated entry", {0, 4, 4, 8}, 8, false},
        {"decreasing", {0, 5, 4, 8}, 8, false},
        {"short of the text", {0, 4, 8}, 9, false},
        {"past the text", {0, 4, 9}, 8, false},
        {"only zero for a text", {0}, 3, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(lineListFits(row.ends, row.length), row.fits);
    }
}

namespace {

void savedAndRestored(std::u32string_view text)
{
    ReaderState saved;
    saved.recent = {"/b/2.txt", "/b/1.txt", "\\none", "\\none", "\\none"};
    setParagraphText(saved, std::u32string(text));
    saved.lineEnds = {0, 4, 6};
    saved.lineEndsVersion = saved.textVersion;
    saved.topLine = 1;
    saved.linesPerPage = 12;
    saved.bookPath = "/b/2.txt";
    saved.bookmarks = {{2, 4}};
    saved.normalLeft = 450;
    saved.leftMargin = 55;
    saved.autoTurnSeconds = 12;

    ReaderState restored;
    std::string bytes;
    writeSettingsPieces(settingsFromState(saved), saved.paragraphText, saved.lineEnds,
                        [&](std::string_view piece) { bytes += piece; });
    applySettingsToState(readSettingsFile(bytes), restored);
    EXPECT_EQ(restored.recent, saved.recent);
    EXPECT_EQ(restored.paragraphText, saved.paragraphText);
    EXPECT_EQ(restored.lineEnds, saved.lineEnds);
    EXPECT_TRUE(restored.lineEndsFitText());
    EXPECT_EQ(restored.topLine, saved.topLine);
    EXPECT_EQ(restored.linesPerPage, saved.linesPerPage);
    EXPECT_EQ(restored.bookPath, saved.bookPath);
    ASSERT_EQ(restored.bookmarks.size(), 1u);
    EXPECT_EQ(restored.bookmarks[0].line, 2);
    EXPECT_EQ(restored.bookmarks[0].anchor, std::optional<int64_t>(4));
    EXPECT_EQ(restored.normalLeft, 450);
    EXPECT_EQ(restored.leftMargin, 55);
    EXPECT_EQ(restored.autoTurnSeconds, 12);
}

} // namespace

TEST(SettingsApply, stateSavedAndRestored_comesBackTheSame)
{
    // A book of 16-bit units, and one widened by a character beyond the BMP.
    for (const char32_t *text : {U"甲乙丙^丁^", U"甲\U00020000丙^丁^"}) {
        SCOPED_TRACE(text == std::u32string_view(U"甲乙丙^丁^") ? "narrow" : "wide");
        savedAndRestored(text);
    }
}

TEST(SettingsApply, lineListThatDoesNotFit_isMarkedForReflow)
{
    const Lines lines = handMadeLines();
    ReaderState state;
    applySettingsToState(readSettingsFile(fileBytes(withLine(lines, indexOf(lines, "14"), "13"))),
                         state);
    EXPECT_EQ(state.paragraphText, U"　第一回^甄士隐梦幻识通灵^");
    EXPECT_FALSE(state.lineEndsFitText());
}

TEST(SettingsApply, fileEndingAfterTheText_keepsTheTextAndNeedsAReflow)
{
    const Lines all = handMadeLines();
    const Lines head(all.begin(),
                     all.begin() + static_cast<std::ptrdiff_t>(indexOf(all, "[/Text]")) + 1);
    ReaderState state;
    state.topLine = 41;
    applySettingsToState(readSettingsFile(fileBytes(head)), state);
    EXPECT_EQ(state.paragraphText, U"　第一回^甄士隐梦幻识通灵^");
    EXPECT_EQ(state.lineEnds, (LineList{0}));
    EXPECT_FALSE(state.lineEndsFitText());
    EXPECT_EQ(state.topLine, 41);
}

TEST(SettingsApply, recentListOfAnotherLength_becomesFiveSlots)
{
    Lines lines = handMadeLines();
    const size_t recent = indexOf(lines, "[Recent]");
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(recent) + 2,
                lines.begin() + static_cast<std::ptrdiff_t>(recent) + 6);
    ReaderState state;
    applySettingsToState(readSettingsFile(fileBytes(lines)), state);
    EXPECT_EQ(state.recent, (std::vector<std::string>{"D:\\novels\\红楼梦.txt", "\\none", "\\none",
                                                      "\\none", "\\none"}));
}

TEST(SettingsApply, nothingRead_leavesTheStateAsItWas)
{
    ReaderState state;
    state.topLine = 41;
    state.leftMargin = 33;
    applySettingsToState(readSettingsFile(" 9 \r\n"), state);
    EXPECT_EQ(state.topLine, 41);
    EXPECT_EQ(state.leftMargin, 33);
    EXPECT_EQ(state.recent, ReaderState().recent);
    EXPECT_TRUE(state.lineEndsFitText());
}

} // namespace
} // namespace tibbo::core
