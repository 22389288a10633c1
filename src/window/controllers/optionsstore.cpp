#include "optionsstore.h"

#include <QFile>
#include <QSettings>
#include <QUrl>

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>

namespace tibbo::window {

namespace {

const QString kPlacesArray = QStringLiteral("places");
const QString kPlacePath = QStringLiteral("path");
const QString kPlaceOffset = QStringLiteral("offset");
const QString kPlaceLeftAt = QStringLiteral("leftAt");
const QString kTextCharacters = QStringLiteral("textCharacters");
const QString kTextHash = QStringLiteral("textHash");
const QString kChapterCount = QStringLiteral("chapters");
const QString kLastChapter = QStringLiteral("lastChapter");
const QString kMarksArray = QStringLiteral("marks");
const QString kMarkLine = QStringLiteral("line");
const QString kMarkLost = QStringLiteral("lost");
// An anchor's keys, beside the offset of the entry it belongs to.
const QString kAnchorBefore = QStringLiteral("before");
const QString kAnchorAfter = QStringLiteral("after");
const QString kAnchorChapter = QStringLiteral("chapter");
const QString kAnchorChapterIndex = QStringLiteral("chapterIndex");
const QString kAnchorIntoChapter = QStringLiteral("intoChapter");

std::optional<qlonglong> readNumber(const QSettings &file, const QString &key)
{
    bool ok = false;
    const qlonglong value = file.value(key).toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// The anchor kept in the current group, its offset at kPlaceOffset; nothing when a part
// of it is missing or insane.
std::optional<core::TextAnchor> readAnchor(const QSettings &file)
{
    const auto offset = readNumber(file, kPlaceOffset);
    const auto index = readNumber(file, kAnchorChapterIndex);
    const auto into = readNumber(file, kAnchorIntoChapter);
    if (!offset || !index || !into || *offset < 0 || *index < -1 || !file.contains(kAnchorBefore) ||
        !file.contains(kAnchorAfter))
        return std::nullopt;
    core::TextAnchor anchor;
    anchor.offset = *offset;
    anchor.before = file.value(kAnchorBefore).toString().toStdU32String();
    anchor.after = file.value(kAnchorAfter).toString().toStdU32String();
    anchor.chapterTitle = file.value(kAnchorChapter).toString().toStdU32String();
    anchor.chapterIndex = *index;
    anchor.intoChapter = *into;
    // More context than the reader keeps comes from a hand-edited file.
    if (anchor.before.size() > core::kAnchorContext || anchor.after.size() > core::kAnchorContext)
        return std::nullopt;
    return anchor;
}

void writeAnchor(QSettings &file, const core::TextAnchor &anchor)
{
    file.setValue(kPlaceOffset, static_cast<qlonglong>(anchor.offset));
    file.setValue(kAnchorBefore, QString::fromStdU32String(anchor.before));
    file.setValue(kAnchorAfter, QString::fromStdU32String(anchor.after));
    file.setValue(kAnchorChapter, QString::fromStdU32String(anchor.chapterTitle));
    file.setValue(kAnchorChapterIndex, static_cast<qlonglong>(anchor.chapterIndex));
    file.setValue(kAnchorIntoChapter, static_cast<qlonglong>(anchor.intoChapter));
}

// The number of bookmarks an entry may claim; a larger count comes from a damaged file.
constexpr int kMostMarks = 10000;

QString bookKey(const BookTextOption &option, const QString &bookPath)
{
    return QLatin1String(option.key) + QLatin1Char('/') +
           QString::fromLatin1(QUrl::toPercentEncoding(bookPath));
}

} // namespace

OptionsStore::OptionsStore(QString path) : m_path(std::move(path)) {}

// QSettings opens the file without O_NONBLOCK: a FIFO in its place would hold start-up for
// good, and a write would put a file over whatever stands there. Only a missing file or a
// regular one (through a link too) is used; otherwise every value reads as its default and
// nothing is written.
bool OptionsStore::usable() const
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(m_path).constData(), &status) != 0)
        return errno == ENOENT;
    return S_ISREG(status.st_mode);
}

// The file is read afresh for every value, so what another reader or a person wrote
// meanwhile is what counts.
int OptionsStore::value(const IntOption &option) const
{
    if (!usable())
        return option.defaultValue;
    const QSettings file(m_path, QSettings::IniFormat);
    bool ok = false;
    const int stored = file.value(QLatin1String(option.key)).toInt(&ok);
    return ok ? std::clamp(stored, option.low, option.high) : option.defaultValue;
}

// QSettings writes "true" and "false"; anything else a person typed is no answer, not a
// "true" (as QVariant would take any other word).
bool OptionsStore::value(const BoolOption &option) const
{
    if (!usable())
        return option.defaultValue;
    const QSettings file(m_path, QSettings::IniFormat);
    const QString stored = file.value(QLatin1String(option.key)).toString().trimmed().toLower();
    if (stored == QLatin1String("true") || stored == QLatin1String("1"))
        return true;
    if (stored == QLatin1String("false") || stored == QLatin1String("0"))
        return false;
    return option.defaultValue;
}

QString OptionsStore::value(const TextOption &option) const
{
    if (!usable())
        return QString();
    const QSettings file(m_path, QSettings::IniFormat);
    return file.value(QLatin1String(option.key)).toString();
}

QString OptionsStore::value(const BookTextOption &option, const QString &bookPath) const
{
    if (!usable())
        return QString();
    const QSettings file(m_path, QSettings::IniFormat);
    return file.value(bookKey(option, bookPath)).toString();
}

bool OptionsStore::setValue(const IntOption &option, int value)
{
    if (!usable())
        return false;
    QSettings file(m_path, QSettings::IniFormat);
    file.setValue(QLatin1String(option.key), std::clamp(value, option.low, option.high));
    return written(file);
}

bool OptionsStore::setValue(const BoolOption &option, bool value)
{
    if (!usable())
        return false;
    QSettings file(m_path, QSettings::IniFormat);
    file.setValue(QLatin1String(option.key), value);
    return written(file);
}

bool OptionsStore::setValue(const TextOption &option, const QString &value)
{
    if (!usable())
        return false;
    QSettings file(m_path, QSettings::IniFormat);
    file.setValue(QLatin1String(option.key), value);
    return written(file);
}

bool OptionsStore::setValue(const BookTextOption &option, const QString &bookPath,
                            const QString &value)
{
    if (!usable())
        return false;
    QSettings file(m_path, QSettings::IniFormat);
    if (value.isEmpty())
        file.remove(bookKey(option, bookPath));
    else
        file.setValue(bookKey(option, bookPath), value);
    return written(file);
}

std::vector<OptionsStore::BookPlace> OptionsStore::bookPlaces(int most) const
{
    std::vector<BookPlace> places;
    if (!usable())
        return places;
    QSettings file(m_path, QSettings::IniFormat);
    // The count is only what the file claims ("size=2147483647" took half an hour, one
    // look-up per claimed entry): no more entries are looked at than the list can hold.
    const int count = std::min(file.beginReadArray(kPlacesArray), most);
    for (int i = 0; i < count; ++i) {
        file.setArrayIndex(i);
        BookPlace place;
        place.path = file.value(kPlacePath).toString();
        const auto offset = readNumber(file, kPlaceOffset);
        if (place.path.isEmpty() || !offset || *offset < 0)
            continue;
        place.offset = *offset;
        place.leftAt = readNumber(file, kPlaceLeftAt).value_or(0);
        bool hashRead = false;
        const quint64 hash = file.value(kTextHash).toString().toULongLong(&hashRead, 16);
        if (const auto characters = readNumber(file, kTextCharacters); characters && hashRead)
            place.text = core::TextIdentity{*characters, hash};
        place.chapterCount = std::max<qlonglong>(0, readNumber(file, kChapterCount).value_or(0));
        place.lastChapter = file.value(kLastChapter).toString();
        place.anchor = readAnchor(file);
        const int marks = std::min(file.beginReadArray(kMarksArray), kMostMarks);
        for (int m = 0; m < marks; ++m) {
            file.setArrayIndex(m);
            const auto line = readNumber(file, kMarkLine);
            if (const auto anchor = readAnchor(file); anchor && line && *line >= 1)
                place.marks.push_back({*line, *anchor, file.value(kMarkLost).toBool()});
        }
        file.endArray();
        places.push_back(std::move(place));
    }
    file.endArray();
    return places;
}

bool OptionsStore::setBookPlaces(const std::vector<BookPlace> &places)
{
    if (!usable())
        return false;
    QSettings file(m_path, QSettings::IniFormat);
    file.remove(kPlacesArray);
    file.beginWriteArray(kPlacesArray, static_cast<int>(places.size()));
    for (size_t i = 0; i < places.size(); ++i) {
        const BookPlace &place = places[i];
        file.setArrayIndex(static_cast<int>(i));
        file.setValue(kPlacePath, place.path);
        if (place.anchor)
            writeAnchor(file, *place.anchor);
        file.setValue(kPlaceOffset, static_cast<qlonglong>(place.offset));
        if (place.leftAt > 0)
            file.setValue(kPlaceLeftAt, static_cast<qlonglong>(place.leftAt));
        if (place.text) {
            file.setValue(kTextCharacters, static_cast<qlonglong>(place.text->characters));
            file.setValue(kTextHash, QString::number(place.text->hash, 16));
            file.setValue(kChapterCount, static_cast<qlonglong>(place.chapterCount));
            file.setValue(kLastChapter, place.lastChapter);
        }
        if (!place.marks.empty()) {
            file.beginWriteArray(kMarksArray, static_cast<int>(place.marks.size()));
            for (size_t m = 0; m < place.marks.size(); ++m) {
                file.setArrayIndex(static_cast<int>(m));
                file.setValue(kMarkLine, static_cast<qlonglong>(place.marks[m].line));
                writeAnchor(file, place.marks[m].anchor);
                if (place.marks[m].lost)
                    file.setValue(kMarkLost, true);
            }
            file.endArray();
        }
    }
    file.endArray();
    return written(file);
}

bool OptionsStore::written(QSettings &file) const
{
    file.sync();
    return file.status() == QSettings::NoError;
}

} // namespace tibbo::window
