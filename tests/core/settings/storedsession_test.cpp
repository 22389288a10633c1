#include "corefixtures.h"
#include "referencebook.h"
#include "referencesession.h"
#include "settings/storedsession.h"

#include "bookmarks/bookmarkstore.h"
#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/fileio.h"
#include "text/htmlparser.h"
#include "text/plaintext.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using namespace tibbo::core::test;

namespace tibbo::core {
namespace {

namespace fs = std::filesystem;

class AppFolder : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tibbo-session-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void put(const std::string &name, std::string_view bytes) const
    {
        ASSERT_TRUE(writeFileAtomically(m_dir + "/" + name, bytes));
    }
    bool has(const std::string &name) const { return fs::exists(m_dir + "/" + name); }

    std::string m_dir;
};

std::u32string corpusText()
{
    const auto text = readBook(std::string(TIBBO_CORPUS_DIR) + "/hongloumeng.txt");
    return text ? text->substr(0, 200000) : U"　第一回\r\n　甄士隐梦幻识通灵\r\n";
}

// The feed used to read the cache's closing CR LF as one more empty line, so the file
// grew by a CR LF at every start and exit. Odd books: no final line end (an HTML book
// ending in text), a lone LF (data), an empty book, a book that ends in an empty line.
TEST_F(AppFolder, slideCache_readsBackAsTheSameScrollText)
{
    const std::u32string files[] = {
        U"第一回\r\n甄士隐\r\n",
        U"ab\r\ncd",
        U"甲\n乙\r\n",
        U"",
        U"\r\n",
        U"a\r\n\r\n",
        corpusText(),
    };
    for (const auto &file : files) {
        const BookTexts book = buildPlainBook(file, false);
        put("Slide.cache", slideCacheBytes(scrollOf(book)));
        EXPECT_EQ(matchSlideCache(slideCachePath(m_dir), book.paragraphText), book.scrollMap);
    }
}

// The book is held once, as paragraph text; the scroll text is made from it with the
// map a walk over both texts gives. Odd books: a '^' that is the book's own, a lone LF
// (data), trimmed paragraphs ("^^" at the end), HTML entities and break tags.
TEST(SlideCache, belongsOnlyToTheBookItWasMadeFrom_andIsMadeBackExactly)
{
    const BookTexts plain = buildPlainBook(corpusText(), false);
    const BookTexts trimmed = buildPlainBook(corpusText(), true);
    const BookTexts odd = buildPlainBook(U"　a^b\r\n　c\nd\r\n\r\ne^\r\n", false);
    const BookTexts html =
        htmlBook(U"<html><p>第一回&quot;甄&quot;</p>\n<br>士隐^梦幻<BR>识通灵&#10;\n</P>x");
    const BookTexts other = buildPlainBook(U"　第二回\r\n　贾夫人仙逝扬州城\r\n", false);
    std::u32string oneChanged = scrollOf(plain);
    oneChanged[oneChanged.size() / 2] = U'X';
    const std::u32string plainScroll = scrollOf(plain);
    struct Row
    {
        const char *name;
        std::u32string scroll;
        BookText paragraphs;
        bool belongs;
    };
    const Row rows[] = {
        {"plain book", plainScroll, plain.paragraphText, true},
        {"plain book, trimmed", scrollOf(trimmed), trimmed.paragraphText, true},
        {"marks and line feeds of the book's own", scrollOf(odd), odd.paragraphText, true},
        {"html book", scrollOf(html), html.paragraphText, true},
        {"empty book", U"", BookText(), true},
        {"rebuilt text",
         ScrollTextMap::onePerParagraph(plain.paragraphText).scrollText(plain.paragraphText),
         plain.paragraphText, true},
        {"another book", scrollOf(other), plain.paragraphText, false},
        {"one character changed", oneChanged, plain.paragraphText, false},
        {"cache cut short", plainScroll.substr(0, plainScroll.size() - 9), plain.paragraphText,
         false},
        {"no cache text", U"", plain.paragraphText, false},
        {"first part of a book", scrollOf(other),
         BookText(other.paragraphText.substr(0) + U"更多^"), false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const auto map = ScrollTextMap::match(row.scroll, row.paragraphs);
        EXPECT_EQ(map.has_value(), row.belongs);
        if (map) {
            EXPECT_EQ(map->scrollText(row.paragraphs), row.scroll);
        }
    }
    // The loaders' own maps make the scroll text they always made.
    EXPECT_EQ(scrollOf(odd), U"　a^b\r\n　c\nd\r\n\r\ne^\r\n");
    EXPECT_EQ(scrollOf(html), U"第一回\"甄\"\r\n\n\r\n士隐^梦幻\r\n识通灵\n\n\r\n");
}

TEST_F(AppFolder, slideCache_isTakenOnlyWhenItBelongs)
{
    const BookTexts book = buildPlainBook(U"　甲乙\r\n丙\r\n　丁\r\n", false);
    const BookTexts other = buildPlainBook(U"　戊\r\n", false);
    const std::string cache = slideCachePath(m_dir);
    EXPECT_EQ(ScrollTextMap::onePerParagraph(book.paragraphText).scrollText(book.paragraphText),
              U"　甲乙丙\r\n　丁\r\n");
    EXPECT_FALSE(matchSlideCache(cache, book.paragraphText)); // no file
    put("Slide.cache", slideCacheBytes(scrollOf(book)));
    EXPECT_EQ(matchSlideCache(cache, book.paragraphText), book.scrollMap);
    put("Slide.cache", slideCacheBytes(scrollOf(other)));
    EXPECT_FALSE(matchSlideCache(cache, book.paragraphText));
    put("Slide.cache", "\xA1");
    EXPECT_FALSE(matchSlideCache(cache, book.paragraphText));
    // Cut off before its closing CR LF.
    put("Slide.cache", slideCacheBytes(scrollOf(book)).substr(0, 12));
    EXPECT_FALSE(matchSlideCache(cache, book.paragraphText));
}

// The corpus book through the pieces of the file: a character cut between two pieces
// of the decode must not break the match.
TEST_F(AppFolder, slideCacheOfANovel_matchesAcrossDecodePieces)
{
    const auto text = readBook(std::string(TIBBO_CORPUS_DIR) + "/shuihuzhuan.txt");
    if (!text)
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    const BookTexts book = buildPlainBook(*text, false);
    ReaderState state;
    state.paragraphText = book.paragraphText;
    state.scrollMap = book.scrollMap;
    ASSERT_TRUE(writeSessionFiles(m_dir, SettingsData(), state, true).cacheWritten);
    EXPECT_EQ(readFile(slideCachePath(m_dir)), slideCacheBytes(scrollOf(book)));
    EXPECT_EQ(matchSlideCache(slideCachePath(m_dir), book.paragraphText), book.scrollMap);

    // In the window's slices, a step of the smallest budget at a time.
    SlideCacheMatch sliced(slideCachePath(m_dir), book.paragraphText);
    int steps = 1;
    while (!sliced.step(1))
        ++steps;
    EXPECT_GT(steps, 10);
    EXPECT_EQ(sliced.take(), book.scrollMap);

    // Another book's text is refused part way, and the file is let go at once.
    const BookTexts other = buildPlainBook(*text + U"　又一段\r\n", false);
    SlideCacheMatch longer(slideCachePath(m_dir), other.paragraphText);
    while (!longer.step(1)) {
    }
    EXPECT_FALSE(longer.take());
}

// A Slide.cache of another book beside settings.ini showed the wrong text in scroll mode.
TEST_F(AppFolder, sessionWrite_leavesAPairThatBelongsTogether)
{
    const BookTexts old = buildPlainBook(U"　戊\r\n", false);
    put("Slide.cache", slideCacheBytes(scrollOf(old)));
    const BookTexts book = buildPlainBook(U"　甲乙\r\n丙\r\n", false);
    ReaderState state;
    state.paragraphText = book.paragraphText;
    state.scrollMap = book.scrollMap;
    const SettingsData data = settingsFromState(state);
    const SessionWrite written = writeSessionFiles(m_dir, data, state, true);
    EXPECT_TRUE(written.settingsWritten && written.cacheWritten);
    const SettingsRead read = readSettingsFile(readFile(settingsFilePath(m_dir)).value());
    EXPECT_TRUE(read.clean);
    EXPECT_EQ(matchSlideCache(slideCachePath(m_dir), read.paragraphText.value()), book.scrollMap);
    EXPECT_FALSE(has("settings.ini.bak"));

    // An unchanged scroll text leaves Slide.cache as it is.
    const auto cacheBefore = fs::last_write_time(slideCachePath(m_dir));
    EXPECT_TRUE(writeSessionFiles(m_dir, data, state, false).cacheWritten);
    EXPECT_EQ(fs::last_write_time(slideCachePath(m_dir)), cacheBefore);

    // Slide.cache cannot be written (a folder stands in its way): settings.ini still is.
    fs::remove(slideCachePath(m_dir));
    fs::create_directory(slideCachePath(m_dir));
    fs::create_directory(slideCachePath(m_dir) + "/x");
    const SessionWrite blocked = writeSessionFiles(m_dir, data, state, true);
    EXPECT_TRUE(blocked.settingsWritten);
    EXPECT_FALSE(blocked.cacheWritten);
    EXPECT_EQ(cleanStaleTemporaries(m_dir), 0);
}

// A settings.ini that could not be written cost the session anyway: the old Slide.cache
// was removed before the write, and nothing said which file failed or why. Each row
// makes the write of settings.ini fail in another way; the old pair stays as it was.
TEST_F(AppFolder, failedSettingsWrite_keepsTheOldPairAndSaysWhy)
{
    const BookTexts old = buildPlainBook(U"　戊\r\n", false);
    const BookTexts book = buildPlainBook(std::u32string(40000, U'字') + U"\r\n", false);
    ReaderState state;
    state.paragraphText = book.paragraphText;
    state.scrollMap = book.scrollMap;
    const SettingsData data = settingsFromState(state);
    const std::string oldSettings = "0 \r\nold settings\r\n";
    const std::string oldCache = slideCacheBytes(scrollOf(old));
    struct Row
    {
        const char *name;
        int error;
        std::function<void()> before;
        std::function<void()> after;
    };
    rlimit unlimited{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    const auto restoreLimit = [&unlimited] { ::setrlimit(RLIMIT_FSIZE, &unlimited); };
    const std::string settings = settingsFilePath(m_dir);
    const Row rows[] = {
        // A file may not grow past 16 KiB: the write stops part way, as on a full disk.
        {"file size limit", EFBIG,
         [] {
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit small{16384, RLIM_INFINITY};
             ::setrlimit(RLIMIT_FSIZE, &small);
         },
         restoreLimit},
        // The rename cannot replace a folder that is in the way.
        {"folder in place of settings.ini", EISDIR,
         [&] {
             fs::remove(settings);
             fs::create_directories(settings + "/x");
         },
         [&] { fs::remove_all(settings); }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        put("settings.ini", oldSettings);
        put("Slide.cache", oldCache);
        row.before();
        const SessionWrite written = writeSessionFiles(m_dir, data, state, true);
        row.after();
        EXPECT_FALSE(written.settingsWritten);
        EXPECT_FALSE(written.cacheWritten);
        EXPECT_EQ(written.failedPath, settings);
        EXPECT_EQ(written.error, row.error);
        if (fs::is_regular_file(settings)) {
            EXPECT_EQ(readFile(settings), oldSettings);
        }
        EXPECT_EQ(readFile(slideCachePath(m_dir)), oldCache);
        EXPECT_EQ(cleanStaleTemporaries(m_dir), 0);
    }
}

// The backup of a settings.ini not read clean is a precondition of writing over it: when
// it cannot be made, keepSettingsBackup says so and why.
TEST_F(AppFolder, backupThatCannotBeMade_isReportedWithItsReason)
{
    const std::string bad = " 999999 \r\nnot a settings file\r\n";
    put("settings.ini", bad);
    fs::create_directories(settingsBackupPath(m_dir) + "/x");
    int error = 0;
    EXPECT_EQ(keepSettingsBackup(m_dir, &error), SettingsBackup::Failed);
    EXPECT_EQ(error, EISDIR);
    EXPECT_EQ(readFile(settingsFilePath(m_dir)), bad);
}

TEST_F(AppFolder, backup_keepsTheOldFileAsItWas)
{
    EXPECT_EQ(keepSettingsBackup(m_dir), SettingsBackup::NothingToKeep);
    EXPECT_FALSE(has("settings.ini.bak"));
    const std::string bad = " 7 \r\nnot a settings file\r\n";
    put("settings.ini", bad);
    EXPECT_EQ(keepSettingsBackup(m_dir), SettingsBackup::Kept);
    EXPECT_EQ(readFile(settingsBackupPath(m_dir)), bad);
}

// Regression: settings.ini (the whole current book, the recent paths), Slide.cache, the
// manual and the mark files were forced to 0644, readable by every user of the machine,
// even under umask 077 and after the user had made settings.ini 0600. A new file is
// private (0600, less what the umask takes); a file written over keeps its mode; a
// link written over keeps the mode of the file it led to, and that file is left as it was.
TEST_F(AppFolder, writtenFiles_keepTheUsersPrivacy)
{
    using Writer = std::function<bool(const std::string &)>;
    const std::pair<const char *, Writer> writers[] = {
        {"settings.ini", [](const std::string &path) { return writeFileDurably(path, "new"); }},
        {"a mark file", [](const std::string &path) { return writeFileAtomically(path, "new"); }},
    };
    struct Row
    {
        const char *name;
        mode_t umask;
        int existing; // the mode of the file written over; -1: none, -2: a link to a 0600 file
        mode_t expected;
    };
    const Row rows[] = {
        {"new file, umask 022", 022, -1, 0600},
        {"new file, umask 077", 077, -1, 0600},
        {"new file, umask 277", 0277, -1, 0400},
        {"made private by the user", 022, 0600, 0600},
        {"shared with the group", 077, 0640, 0640},
        {"readable by all, as older readers left it", 077, 0644, 0644},
        {"a link to a private file", 022, -2, 0600},
    };
    for (const auto &[writerName, write] : writers) {
        for (const Row &row : rows) {
            SCOPED_TRACE(testing::Message() << writerName << ": " << row.name);
            const std::string path = m_dir + "/written";
            const std::string target = m_dir + "/target";
            fs::remove(path);
            fs::remove(target);
            if (row.existing == -2) {
                put("target", "old");
                ::chmod(target.c_str(), 0600);
                fs::create_symlink(target, path);
            } else if (row.existing >= 0) {
                put("written", "old");
                ::chmod(path.c_str(), static_cast<mode_t>(row.existing));
            }
            const mode_t before = ::umask(row.umask);
            const bool written = write(path);
            ::umask(before);
            ASSERT_TRUE(written);
            struct stat st
            {
            };
            ASSERT_EQ(::lstat(path.c_str(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_EQ(st.st_mode & 07777, row.expected);
            EXPECT_EQ(readFile(path), "new");
            if (row.existing == -2) {
                EXPECT_EQ(readFile(target), "old");
            }
        }
    }
}

// Regression: the backup of a settings.ini that was a link to a private file was a
// copy of that file readable by every user. The old settings.ini is read without
// following a link: a link is refused, and the file it leads to is never copied (the
// write that follows replaces the link, not that file).
TEST_F(AppFolder, backupOfALinkedSettingsFile_isRefused)
{
    put("secret", "not for others\r\n");
    ::chmod((m_dir + "/secret").c_str(), 0600);
    fs::create_symlink(m_dir + "/secret", settingsFilePath(m_dir));
    EXPECT_EQ(keepSettingsBackup(m_dir), SettingsBackup::RefusedLink);
    EXPECT_FALSE(has("settings.ini.bak"));

    // A private settings.ini gives a private backup, whatever the backup had before.
    fs::remove(settingsFilePath(m_dir));
    put("settings.ini", "private\r\n");
    ::chmod(settingsFilePath(m_dir).c_str(), 0600);
    put("settings.ini.bak", "old backup\r\n");
    ::chmod(settingsBackupPath(m_dir).c_str(), 0644);
    EXPECT_EQ(keepSettingsBackup(m_dir), SettingsBackup::Kept);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(settingsBackupPath(m_dir).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(readFile(settingsBackupPath(m_dir)), "private\r\n");
}

// Regression: a FIFO named like a temporary ("settings.ini.tmp-AAAAAA") blocked start-up
// for ever: the cleaner opened it without O_NONBLOCK and waited for a writer. Whatever
// stands under a temporary's name, the cleaner never waits and removes only files.
TEST_F(AppFolder, staleTemporaries_whatIsNoFileIsLeftAndNeverWaitedOn)
{
    ASSERT_EQ(::mkfifo((m_dir + "/settings.ini.tmp-AAAAAA").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((m_dir + "/b.txt.mark.tmp-BBBBBB").c_str(), 0600), 0);
    fs::create_directory(m_dir + "/Slide.cache.tmp-CCCCCC");
    put("settings.ini.tmp-DDDDDD", "x");
    auto cleaning = std::async(std::launch::async, [this] { return cleanStaleTemporaries(m_dir); });
    if (cleaning.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "the cleaner waited on a FIFO";
        // Lets each blocked open go, so the test ends with its failure.
        while (cleaning.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
            for (const char *name : {"/settings.ini.tmp-AAAAAA", "/b.txt.mark.tmp-BBBBBB"})
                ::close(::open((m_dir + name).c_str(), O_WRONLY | O_NONBLOCK));
    }
    EXPECT_EQ(cleaning.get(), 1);
    EXPECT_TRUE(has("settings.ini.tmp-AAAAAA"));
    EXPECT_TRUE(has("b.txt.mark.tmp-BBBBBB"));
    EXPECT_TRUE(has("Slide.cache.tmp-CCCCCC"));
    EXPECT_FALSE(has("settings.ini.tmp-DDDDDD"));
}

// Killed writes left their temporaries behind for good (17 after 60 kills).
TEST_F(AppFolder, staleTemporaries_areRemovedAndLiveOnesKept)
{
    const std::string stale[] = {"settings.ini.tmp-a1B2c3", "Slide.cache.tmp-XXXXXX",
                                 "settings.ini.bak.tmp-000000", "红楼梦.txt.mark.tmp-q9Q9q9"};
    const std::string kept[] = {"settings.ini",
                                "Slide.cache",
                                "notes.tmp-abcdef",
                                "settings.ini.tmp-abc",
                                "settings.ini.tmp-abc!e",
                                "new.txt.mark.tmp-zzzzzz",
                                "settings.ini.tmp-a1B2c3d"};
    for (const auto &name : stale)
        put(name, "x");
    for (const auto &name : kept)
        put(name, "x");
    // A mark file's temporary is only stale once it is old.
    const std::string oldMark = m_dir + "/" + stale[3];
    const utimbuf anHourAgo{std::time(nullptr) - 3600, std::time(nullptr) - 3600};
    ASSERT_EQ(::utime(oldMark.c_str(), &anHourAgo), 0);
    // A write still running holds its temporary locked.
    put("Slide.cache.tmp-Live01", "x");
    const int live = ::open((m_dir + "/Slide.cache.tmp-Live01").c_str(), O_RDONLY);
    ASSERT_GE(live, 0);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);

    EXPECT_EQ(cleanStaleTemporaries(m_dir), 4);
    for (const auto &name : stale)
        EXPECT_FALSE(has(name)) << name;
    for (const auto &name : kept)
        EXPECT_TRUE(has(name)) << name;
    EXPECT_TRUE(has("Slide.cache.tmp-Live01"));
    ::close(live);
}

} // namespace
} // namespace tibbo::core
