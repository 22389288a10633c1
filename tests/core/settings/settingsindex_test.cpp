// settings.index: written beside settings.ini without changing a byte of it, read with
// every field checked, and the saved spread read from it equal to the one a whole read
// shows; an index that does not belong to the settings.ini read is never used.
#include "corefixtures.h"
#include "settings/settingsindex.h"
#include "settings/storedsession.h"

#include "pages/pages.h"
#include "text/codepage.h"
#include "text/fileio.h"
#include "text/reflow.h"
#include "text/spread.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace tibbo::core::test;

namespace tibbo::core {
namespace {

namespace fs = std::filesystem;

// A book of about 300 Ki characters: several text checkpoints and line-list checkpoints.
BookText sampleText(bool wide)
{
    const BookText *novel = tibbo::core::test::novel("hongloumeng.txt");
    std::u32string text = novel ? novel->substr(0, 300000) : std::u32string(300000, U'字');
    // A character outside the 16-bit range is stored in the wide form.
    if (wide)
        text[text.size() / 2] = U'\U00020000';
    for (size_t k = 61; k < text.size(); k += 347)
        text[k] = kParagraphMark;
    return BookText(text);
}

// A state with the book cut 20 characters a line, the place and two bookmarks.
ReaderState sampleState(const BookText &text, int64_t topLine)
{
    ReaderState state;
    setParagraphText(state, text);
    state.lineEnds = cutLines(state.paragraphText, 20);
    state.lineEndsVersion = state.textVersion;
    state.linesPerPage = 12;
    state.charsPerLine = 20;
    state.topLine = topLine;
    state.bookPath = "/books/红楼梦.txt";
    state.recent = {"/books/红楼梦.txt", "\\none", "\\none", "\\none", "\\none", "\\none"};
    state.bookmarks = {{topLine + 3, {}}, {5, {}}};
    return state;
}

struct Written
{
    std::string bytes;
    SettingsIndex index;
};

Written writeWithIndex(const ReaderState &state)
{
    Written out;
    SettingsHashing hashing;
    writeSettingsPieces(
        settingsFromState(state), state.paragraphText, state.lineEnds,
        [&](std::string_view piece) {
            hashing.add(piece);
            out.bytes += piece;
        },
        &out.index.layout);
    out.index.hash = hashing.hash();
    return out;
}

TEST(SettingsIndex, writtenWithTheLayout_bytesAreTheSameAndItsOffsetsHold)
{
    for (const bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "wide text" : "narrow text");
        const ReaderState state = sampleState(sampleText(wide), 1);
        std::string plain;
        writeSettingsPieces(settingsFromState(state), state.paragraphText, state.lineEnds,
                            [&](std::string_view piece) { plain += piece; });
        const Written written = writeWithIndex(state);
        EXPECT_EQ(written.bytes, plain);
        EXPECT_EQ(written.index.hash, settingsHash(plain));
        const SettingsLayout &l = written.index.layout;
        EXPECT_EQ(l.fileSize, plain.size());
        EXPECT_EQ(l.entryCount, state.lineEnds.size());
        EXPECT_TRUE(indexMatches(written.index, plain));
        // Every checkpoint starts the encoding of the characters from its count on.
        ASSERT_GE(l.text.size(), 3u);
        for (size_t k = 0; k + 1 < l.text.size(); ++k) {
            const auto &[byte, chars] = l.text[k];
            const auto &next = l.text[k + 1];
            EXPECT_EQ(decodeGb18030(std::string_view(plain).substr(byte, next.byte - byte)),
                      state.paragraphText.substr(chars, next.chars - chars));
        }
        EXPECT_EQ(l.text.back().chars, state.paragraphText.size());
        // Every 4096th entry starts its line.
        for (size_t k = 0; k < l.entries.size(); ++k)
            EXPECT_EQ(
                plain.substr(l.entries[k]).substr(0, plain.find('\r', l.entries[k]) - l.entries[k]),
                std::to_string(state.lineEnds[k * SettingsLayout::kEntriesPerCheckpoint]));
        // Round trip through the file's text.
        EXPECT_EQ(parseSettingsIndex(settingsIndexBytes(written.index)), written.index);
    }
}

// The hash kept a piece at a time equals the hash of the whole file, for files shorter
// than the hashed head, between one and two of it, and longer, in pieces smaller and
// larger than the hashed bytes.
TEST(SettingsIndex, hashKeptPieceByPiece_isTheHashOfTheWholeFile)
{
    for (const size_t size : {size_t{0}, size_t{10}, size_t{100000}, size_t{300001}})
        for (const size_t piece : {size_t{1}, size_t{1000}, size_t{65536}, size_t{70001}}) {
            SCOPED_TRACE(std::to_string(size) + " bytes in pieces of " + std::to_string(piece));
            std::string bytes(size, '\0');
            for (size_t k = 0; k < size; ++k)
                bytes[k] = static_cast<char>((k * 7919) % 251);
            SettingsHashing hashing;
            for (size_t at = 0; at < size; at += piece)
                hashing.add(std::string_view(bytes).substr(at, piece));
            EXPECT_EQ(hashing.hash(), settingsHash(bytes));
        }
}

// The spread read from the index is the spread a whole read shows: at the start, across
// a line-list checkpoint (entry 4096) and a text checkpoint, on the last spread, which is
// not full, and on the last line.
TEST(SettingsIndex, excerpt_showsTheSpreadOfAWholeRead)
{
    const BookText text = sampleText(true);
    const ReaderState probe = sampleState(text, 1);
    const int64_t lines = probe.lineCount();
    const int64_t acrossText = [&] {
        int64_t line = 1;
        while (probe.lineEnds[static_cast<size_t>(line)] < 65536 - 30)
            ++line;
        return line;
    }();
    const struct
    {
        const char *name;
        int64_t topLine;
    } rows[] = {{"first spread", 1},
                {"across entry 4096", 4096 - 5},
                {"across a text checkpoint", acrossText},
                {"last spread", spreadStartOfLine(lines, 12)},
                {"last line", lines}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const ReaderState state = sampleState(text, row.topLine);
        const Written written = writeWithIndex(state);
        const auto excerpt = readSettingsExcerpt(written.bytes, written.index);
        ASSERT_TRUE(excerpt);
        const SettingsRead whole = readSettingsFile(written.bytes);
        EXPECT_EQ(excerpt->values.topLine, whole.topLine);
        EXPECT_EQ(excerpt->values.linesPerPage, whole.linesPerPage);
        EXPECT_EQ(excerpt->values.bookPath, whole.bookPath);
        EXPECT_EQ(excerpt->values.recent, whole.recent);
        EXPECT_EQ(excerpt->values.normalWidth, whole.normalWidth);
        EXPECT_EQ(excerpt->values.fontName, whole.fontName);
        EXPECT_EQ(excerpt->values.scrollSpeed, whole.scrollSpeed);
        ASSERT_TRUE(excerpt->values.bookmarks);
        EXPECT_EQ(linesOf(*excerpt->values.bookmarks), linesOf(*whole.bookmarks));
        EXPECT_EQ(excerpt->textLength, text.size());

        const ReaderState shown = excerptState(*excerpt, state);
        EXPECT_TRUE(lineListMatchesCapacity(shown));
        const Spread fromExcerpt = excerptSpread(*excerpt, shown);
        const Spread fromWhole = buildSpread(state);
        EXPECT_EQ(fromExcerpt.rows, fromWhole.rows);
        EXPECT_EQ(fromExcerpt.charCount, fromWhole.charCount);
        EXPECT_EQ(fromExcerpt.leftPage, fromWhole.leftPage);
        EXPECT_EQ(fromExcerpt.bookmarkLabels, fromWhole.bookmarkLabels);
        ASSERT_EQ(fromExcerpt.roles.size(), fromWhole.roles.size());
        for (size_t k = 0; k < fromWhole.roles.size(); ++k)
            EXPECT_EQ(fromExcerpt.roles[k].endsParagraph, fromWhole.roles[k].endsParagraph);
    }
}

// A place outside the line list has no spread to read: the start waits for the whole.
TEST(SettingsIndex, placeOutsideTheLines_givesNoExcerpt)
{
    const BookText text = sampleText(false);
    for (const int64_t topLine : {int64_t{0}, int64_t{-3}, int64_t{1} << 30}) {
        ReaderState state = sampleState(text, 1);
        state.topLine = topLine;
        const Written written = writeWithIndex(state);
        EXPECT_FALSE(readSettingsExcerpt(written.bytes, written.index)) << topLine;
    }
}

// Whatever the index or settings.ini became, an index that is not exactly the one made
// for these bytes is not used.
TEST(SettingsIndex, staleTruncatedForeignOrDamagedIndex_isIgnored)
{
    const ReaderState state = sampleState(sampleText(false), 4000);
    const Written written = writeWithIndex(state);
    const std::string index = settingsIndexBytes(written.index);
    ASSERT_TRUE(readSettingsExcerpt(written.bytes, *parseSettingsIndex(index)));

    const auto replaced = [&index](std::string_view what, std::string_view with) {
        std::string changed = index;
        changed.replace(changed.find(what), what.size(), with);
        return changed;
    };
    const auto &l = written.index.layout;
    const std::string secondCheckpoint =
        std::to_string(l.text[1].byte) + " " + std::to_string(l.text[1].chars) + "\n";
    const struct
    {
        const char *name;
        std::string bytes;
    } badIndexes[] = {
        {"empty", ""},
        {"cut before its end line", index.substr(0, index.size() - 4)},
        {"cut in the middle", index.substr(0, index.size() / 2)},
        {"settings.ini itself", written.bytes.substr(0, 4096)},
        {"another version", replaced("settings.index 1", "settings.index 2")},
        {"CR LF line ends", replaced("\nsize", "\r\nsize")},
        {"a byte after its end", index + "x"},
        {"size one more",
         replaced("size " + std::to_string(l.fileSize), "size " + std::to_string(l.fileSize + 1))},
        {"other hash", replaced("hash ", "hash 1")},
        {"a checkpoint moved",
         replaced(secondCheckpoint, std::to_string(l.text[1].byte + 1) + " " +
                                        std::to_string(l.text[1].chars) + "\n")},
        {"a checkpoint's count not on the step",
         replaced(secondCheckpoint, std::to_string(l.text[1].byte) + " " +
                                        std::to_string(l.text[1].chars + 1) + "\n")},
        {"checkpoint count too large",
         replaced("checkpoints " + std::to_string(l.text.size()), "checkpoints 99999999999")},
        {"tail moved", replaced("tail " + std::to_string(l.passageEndTag),
                                "tail " + std::to_string(l.passageEndTag - 2))},
        {"a sign before a number", replaced("text ", "text +")},
        {"a leading zero", replaced("passage ", "passage 0")},
    };
    for (const auto &bad : badIndexes) {
        SCOPED_TRACE(bad.name);
        const auto parsed = parseSettingsIndex(bad.bytes);
        EXPECT_FALSE(parsed && readSettingsExcerpt(written.bytes, *parsed));
    }

    // settings.ini changed under a good index: written again by a reader that keeps no
    // index (another place, so other bytes in its tail), edited by hand in its head, cut
    // off, or grown by a line.
    ReaderState elsewhere = state;
    elsewhere.topLine = 25;
    std::string editedHead = written.bytes;
    editedHead[3] = '7';
    const struct
    {
        const char *name;
        std::string bytes;
    } staleFiles[] = {
        {"written again elsewhere", writeWithIndex(elsewhere).bytes},
        {"head edited", editedHead},
        {"cut off", written.bytes.substr(0, written.bytes.size() - 10)},
        {"a line more", written.bytes + "1 \r\n"},
    };
    for (const auto &stale : staleFiles) {
        SCOPED_TRACE(stale.name);
        EXPECT_FALSE(readSettingsExcerpt(stale.bytes, written.index));
    }
}

class SettingsIndexFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tibbo-index-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // The excerpt a start reads from the folder's files, if any.
    std::optional<SettingsExcerpt> excerptOnDisk() const
    {
        const auto settings = readFile(settingsFilePath(m_dir));
        const auto index = readFile(settingsIndexPath(m_dir));
        const auto parsed = index ? parseSettingsIndex(*index) : std::nullopt;
        if (!settings || !parsed)
            return std::nullopt;
        return readSettingsExcerpt(*settings, *parsed);
    }

    std::string m_dir;
};

TEST_F(SettingsIndexFiles, sessionWrite_putsTheIndexOfTheNewSettingsBesideIt)
{
    const ReaderState state = sampleState(sampleText(false), 1200);
    const SessionWrite written = writeSessionFiles(m_dir, settingsFromState(state), state, true);
    ASSERT_TRUE(written.settingsWritten);
    EXPECT_TRUE(written.indexWritten);
    const auto excerpt = excerptOnDisk();
    ASSERT_TRUE(excerpt);
    EXPECT_EQ(excerpt->values.topLine, 1200);
    // settings.ini holds exactly what is written without an index.
    std::string plain;
    writeSettingsPieces(settingsFromState(state), state.paragraphText, state.lineEnds,
                        [&](std::string_view piece) { plain += piece; });
    EXPECT_EQ(readFile(settingsFilePath(m_dir)), plain);
}

// The index of the last write never stays beside a settings.ini it was not made for:
// when settings.ini cannot be written (a file size limit, as on a full disk) the old
// index is gone with the old settings.ini kept; when the index cannot be written (a
// folder in its place) there is none to read.
TEST_F(SettingsIndexFiles, failedWrite_leavesNoStaleIndex)
{
    const ReaderState first = sampleState(sampleText(false), 1200);
    ASSERT_TRUE(writeSessionFiles(m_dir, settingsFromState(first), first, true).indexWritten);
    ASSERT_TRUE(excerptOnDisk());
    const std::string firstSettings = *readFile(settingsFilePath(m_dir));

    ReaderState second = first;
    second.topLine = 2400;
    rlimit unlimited{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit small{16384, RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &small);
    const SessionWrite failed = writeSessionFiles(m_dir, settingsFromState(second), second, true);
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_FALSE(failed.settingsWritten);
    EXPECT_EQ(readFile(settingsFilePath(m_dir)), firstSettings);
    EXPECT_FALSE(fs::exists(settingsIndexPath(m_dir)));

    fs::create_directories(settingsIndexPath(m_dir) + "/x");
    const SessionWrite noIndex = writeSessionFiles(m_dir, settingsFromState(second), second, true);
    EXPECT_TRUE(noIndex.settingsWritten);
    EXPECT_FALSE(noIndex.indexWritten);
    EXPECT_FALSE(excerptOnDisk());
    EXPECT_EQ(cleanStaleTemporaries(m_dir), 0);
}

} // namespace
} // namespace tibbo::core
