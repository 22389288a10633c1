#include "sessionfiles.h"

#include "dialogs.h"
#include "qtext.h"
#include "windowchrome.h"

#include "bookmarks/bookmarkstore.h"
#include "settings/storedsession.h"
#include "text/codepage.h"
#include "text/fileio.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tibbo::window {

namespace {

// Bytes of Slide.cache matched between two looks at the events: about 6 ms.
constexpr size_t kSlideMatchSlice = 1 << 19;

std::string folderPath()
{
    return SessionFiles::folder().toStdString();
}

// settings.ini, mapped and read once from start to end; the pages read leave memory as
// the book text comes in, so the file and the book are never held whole together.
std::optional<core::SettingsRead> readSettingsAt(const std::string &path)
{
    auto file = core::MappedFile::open(path);
    if (!file)
        return std::nullopt;
    return core::readSettingsFile(file->bytes(),
                                  [&file](size_t consumed) { file->release(consumed); });
}

// The whole of settings.ini, after the excerpt the saved spread is shown from when its
// index matches: both from one mapping of the file, so they are of the same bytes.
std::optional<core::SettingsRead>
readSettingsAfterExcerpt(const std::string &path, const std::string &indexPath,
                         std::promise<std::optional<core::SettingsExcerpt>> excerpt)
{
    auto file = core::MappedFile::open(path);
    std::optional<core::SettingsExcerpt> part;
    try {
        // The index is a few kilobytes; one larger than a megabyte is no index of ours.
        constexpr int64_t kMostIndexBytes = 1 << 20;
        const auto indexBytes =
            file ? core::readFile(indexPath, nullptr, kMostIndexBytes, core::LinkPolicy::Refuse)
                 : std::nullopt;
        if (const auto index = indexBytes ? core::parseSettingsIndex(*indexBytes) : std::nullopt)
            part = core::readSettingsExcerpt(file->bytes(), *index);
    } catch (const std::exception &) {
        // Without the excerpt the start waits for the whole file, as it always could.
        part.reset();
    }
    excerpt.set_value(std::move(part));
    if (!file)
        return std::nullopt;
    return core::readSettingsFile(file->bytes(),
                                  [&file](size_t consumed) { file->release(consumed); });
}

} // namespace

SessionFiles::SessionFiles(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_chrome(parts.chrome), m_window(window),
      m_slideMatchTimer(new QTimer(this))
{
    m_slideMatchTimer->setInterval(0);
    connect(m_slideMatchTimer, &QTimer::timeout, this, &SessionFiles::matchSlice);
}

SessionFiles::~SessionFiles() = default;

bool SessionFiles::save(bool quiet)
{
    m_failureText.clear();
    // A save before the restored scroll text came back (an exit during start-up) takes
    // it first, so Slide.cache keeps it.
    ensureScrollText();
    core::SettingsData data = core::settingsFromState(m_state);
    data.windowState = m_chrome.windowStateCode();
    const std::string dir = folderPath();
    // A settings.ini that was not read whole may hold what this reader could not read;
    // it is written over only once its backup is safe.
    int backupError = 0;
    const core::SettingsBackup backup = m_readClean ? core::SettingsBackup::NothingToKeep
                                                    : core::keepSettingsBackup(dir, &backupError);
    if (backup == core::SettingsBackup::RefusedLink)
        tellRefusedBackup(quiet);
    if (backup == core::SettingsBackup::Failed) {
        m_failureText = writeFailureText(qs(core::settingsBackupPath(dir)), backupError) +
                        QStringLiteral("\n原来的 settings.ini 没有读完整, 没有备份就不能覆盖它, "
                                       "所以这次的设置没有保存.");
    } else {
        m_readClean = true;
        const bool scrollTextChanged = m_cachedTextVersion != m_state.textVersion;
        const core::SessionWrite written =
            core::writeSessionFiles(dir, data, m_state, scrollTextChanged);
        if (written.cacheWritten)
            m_cachedTextVersion = m_state.textVersion;
        if (!written.settingsWritten)
            m_failureText = writeFailureText(qs(written.failedPath), written.error) +
                            QStringLiteral("\n这次的阅读位置和设置没有保存, 上次保存的还在.");
    }
    if (!m_failureText.isEmpty() && !quiet)
        Dialogs::message(m_window, m_failureText);
    return m_failureText.isEmpty();
}

namespace {

// Why a file or folder could not be written, in the reader's words.
QString failureReason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘满了");
    case EFBIG:
        return QStringLiteral("文件超过了允许的大小");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写的权限");
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case ENOTDIR:
    case ENOENT:
        return QStringLiteral("它的文件夹不在了, 或者不是一个文件夹");
    case EISDIR:
    case ENOTEMPTY:
        return QStringLiteral("那里有一个同名的文件夹");
    case EEXIST:
        return QStringLiteral("那里已经有一个同名的文件");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace

QString SessionFiles::writeFailureText(const QString &path, int error)
{
    return QStringLiteral("这个文件写不了: %1\n原因: %2.")
        .arg(QDir::toNativeSeparators(path), failureReason(error));
}

void SessionFiles::tellRefusedBackup(bool leaving)
{
    const QString text =
        QStringLiteral("settings.ini 是一个链接, 没有给它做备份 settings.ini.bak: 备份会让别人看到"
                       "链接指向的文件. 那个文件不会被改动, 新的设置写在 settings.ini 本身.");
    if (leaving)
        qWarning("TibboRead: %s", qPrintable(text));
    else
        Dialogs::message(m_window, text);
}

SessionFiles::SettingsAhead SessionFiles::readAhead()
{
    std::promise<std::optional<core::SettingsExcerpt>> excerpt;
    SettingsAhead ahead;
    ahead.excerpt = excerpt.get_future();
    const std::string dir = folderPath();
    ahead.whole =
        std::async(std::launch::async, readSettingsAfterExcerpt, core::settingsFilePath(dir),
                   core::settingsIndexPath(dir), std::move(excerpt));
    return ahead;
}

void SessionFiles::restore()
{
    restore(readSettingsAt(core::settingsFilePath(folderPath())));
}

void SessionFiles::restore(std::optional<core::SettingsRead> stored)
{
    if (!stored)
        return;
    core::SettingsRead read = std::move(*stored);
    m_readClean = read.clean;
    const bool bookRead = read.paragraphText.has_value();
    restoreValues(read);
    if (read.marksEnded)
        emit bookmarksRestored();
    if (bookRead)
        matchScrollText();
}

void SessionFiles::restoreAllButBook(core::SettingsRead values)
{
    values.paragraphText.reset();
    values.lineEnds.reset();
    values.bookmarks.reset();
    values.marksEnded = false;
    restoreValues(values);
}

void SessionFiles::restoreBook(std::optional<core::SettingsRead> stored)
{
    if (!stored)
        return;
    m_readClean = stored->clean;
    core::SettingsRead book;
    book.paragraphText = std::move(stored->paragraphText);
    book.lineEnds = std::move(stored->lineEnds);
    book.lineEndsFitText = stored->lineEndsFitText;
    book.bookmarks = std::move(stored->bookmarks);
    book.topLine = stored->topLine;
    book.linesPerPage = stored->linesPerPage;
    book.bookPath = std::move(stored->bookPath);
    const bool bookRead = book.paragraphText.has_value();
    core::applySettingsToState(std::move(book), m_state);
    if (stored->marksEnded)
        emit bookmarksRestored();
    if (bookRead)
        matchScrollText();
}

void SessionFiles::restoreValues(core::SettingsRead &read)
{
    if (read.windowState)
        m_chrome.applyWindowState(*read.windowState);
    core::applySettingsToState(std::move(read), m_state);
    emit pageSettingsRead(read);
    if (read.scrollSpeed)
        emit scrollSpeedRestored(m_state.scrollSpeed);
    emit recentRestored();
}

// The scroll text of the book just restored follows once the spread is painted, a slice
// at a time, also when the reader comes back from the manual.
void SessionFiles::matchScrollText()
{
    m_state.scrollMap.clear();
    m_restoredTextVersion = m_state.textVersion;
    m_slideMatch = std::make_unique<core::SlideCacheMatch>(core::slideCachePath(folderPath()),
                                                           m_state.paragraphText);
    m_slideMatchTimer->start();
}

void SessionFiles::matchSlice()
{
    if (m_slideMatch && m_state.textVersion == m_restoredTextVersion &&
        !m_slideMatch->step(kSlideMatchSlice))
        return;
    ensureScrollText();
}

void SessionFiles::ensureScrollText()
{
    m_slideMatchTimer->stop();
    const std::unique_ptr<core::SlideCacheMatch> match = std::move(m_slideMatch);
    // A book opened since (the command line's, the manual) brought its own scroll text.
    if (!match || m_state.textVersion != m_restoredTextVersion)
        return;
    match->step(SIZE_MAX);
    // Slide.cache is taken only when it belongs to the restored book; it then stays on
    // disk as it is. Otherwise the scroll text is rebuilt from the paragraphs.
    if (auto map = match->take()) {
        m_state.scrollMap = std::move(*map);
        m_cachedTextVersion = m_state.textVersion;
    } else {
        m_state.scrollMap = core::ScrollTextMap::onePerParagraph(m_state.paragraphText);
    }
}

QString SessionFiles::folder()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return dir;
}

void SessionFiles::keepTextsInCacheFolder()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (!dir.isEmpty() && QDir().mkpath(dir))
        core::setTextFolder(QFile::encodeName(dir).toStdString());
}

QString SessionFiles::folderProblem()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const std::filesystem::path path = dir.toStdString();
    std::error_code error;
    std::filesystem::create_directories(path, error);
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return QString();
    const int reason = std::filesystem::exists(path, ignored) ? EEXIST
                       : error                                ? error.value()
                                                              : EIO;
    return QStringLiteral("程序的文件夹建不起来: %1\n原因: %2.\n这次什么都不会保存, "
                          "书还是照常可以读.")
        .arg(QDir::toNativeSeparators(dir), failureReason(reason));
}

QString SessionFiles::manualPath()
{
    return folder() + QStringLiteral("/readme.txt");
}

QString SessionFiles::optionsPath()
{
    return folder() + QStringLiteral("/options.ini");
}

QString SessionFiles::statisticsPath()
{
    return folder() + QStringLiteral("/statistics.db");
}

bool SessionFiles::prepareFolder()
{
    if (!folderProblem().isEmpty())
        return false;
    core::cleanStaleTemporaries(folderPath());
    const std::string path = manualPath().toStdString();
    if (core::fileExists(path))
        return true;
    QFile manual(QStringLiteral(":/manual/readme.txt"));
    if (!manual.open(QIODevice::ReadOnly))
        return true;
    QString text = QString::fromUtf8(manual.readAll());
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    core::writeFileAtomically(path, core::encodeGb18030(text.toStdU32String()));
    return true;
}

bool SessionFiles::hasSettings()
{
    return core::fileExists(core::settingsFilePath(folderPath()));
}

std::vector<core::Bookmark> SessionFiles::readMarks(const std::string &bookPath)
{
    return core::readMarks(folderPath(), bookPath);
}

bool SessionFiles::writeMarks(const std::string &bookPath, const std::vector<core::Bookmark> &marks)
{
    return core::writeMarks(folderPath(), bookPath, marks);
}

} // namespace tibbo::window
