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
        const QString path = file.value(kPlacePath).toString();
        bool ok = false;
        const qlonglong offset = file.value(kPlaceOffset).toLongLong(&ok);
        if (!path.isEmpty() && ok && offset >= 0)
            places.push_back({path, offset});
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
        file.setArrayIndex(static_cast<int>(i));
        file.setValue(kPlacePath, places[i].path);
        file.setValue(kPlaceOffset, static_cast<qlonglong>(places[i].offset));
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
