#include "bookplaces.h"

#include "bookloader.h"
#include "bookview.h"
#include "qtext.h"
#include "reflowjob.h"
#include "sessionfiles.h"

#include "navigation/navigation.h"
#include "text/reflow.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSettings>

#include <algorithm>

namespace tibbo::window {

namespace {

const QString kPlacesArray = QStringLiteral("places");
const QString kPathKey = QStringLiteral("path");
const QString kOffsetKey = QStringLiteral("offset");

} // namespace

BookPlaces::BookPlaces(Parts parts, QObject *parent)
    : QObject(parent), m_state(parts.state), m_bookView(parts.bookView)
{
    connect(&parts.loader, &BookLoader::textReplaced, this, &BookPlaces::onTextReplaced);
    connect(&parts.reflowJob, &ReflowJob::finished, this, &BookPlaces::onReflowFinished);
    // Every way out ends the event loop (the exit command, the tray, a signal); the end
    // of the desktop session may not get that far.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { leaveBook(); });
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager &) { leaveBook(); });
}

void BookPlaces::load() const
{
    if (m_loaded)
        return;
    m_loaded = true;
    QSettings options(SessionFiles::optionsPath(), QSettings::IniFormat);
    // The count is only what the file claims ("size=2147483647" took half an hour, one
    // look-up per claimed entry): no more entries are looked at than the file can hold.
    const int count = std::min(options.beginReadArray(kPlacesArray), kMaxBooks);
    for (int i = 0; i < count; ++i) {
        options.setArrayIndex(i);
        const QString path = options.value(kPathKey).toString();
        bool ok = false;
        const qlonglong offset = options.value(kOffsetKey).toLongLong(&ok);
        // A hand-edited entry without a path or a sane offset is left out.
        if (!path.isEmpty() && ok && offset >= 0)
            m_places.emplace_back(path, offset);
    }
    options.endArray();
}

// QSettings writes the file through a temporary file and a rename, so a reader killed
// half-way leaves the old options.ini whole.
bool BookPlaces::write() const
{
    QSettings options(SessionFiles::optionsPath(), QSettings::IniFormat);
    options.remove(kPlacesArray);
    options.beginWriteArray(kPlacesArray, static_cast<int>(m_places.size()));
    for (size_t i = 0; i < m_places.size(); ++i) {
        options.setArrayIndex(static_cast<int>(i));
        options.setValue(kPathKey, m_places[i].first);
        options.setValue(kOffsetKey, static_cast<qlonglong>(m_places[i].second));
    }
    options.endArray();
    options.sync();
    return options.status() == QSettings::NoError;
}

std::optional<int64_t> BookPlaces::placeOf(const QString &path) const
{
    load();
    for (const auto &[placePath, offset] : m_places)
        if (placePath == path)
            return offset;
    return std::nullopt;
}

bool BookPlaces::leaveBook()
{
    const QString path = qs(m_state.bookPath);
    if (path.isEmpty() || (m_pending && m_pending->path == path))
        return true;
    if (!m_state.lineEndsFitText() || m_state.topLine < 1 || m_state.topLine > m_state.lineCount())
        return true;
    const int64_t offset = m_state.lineEnds[static_cast<size_t>(m_state.topLine - 1)];
    load();
    std::erase_if(m_places, [&path](const auto &place) { return place.first == path; });
    m_places.emplace(m_places.begin(), path, offset);
    if (static_cast<int>(m_places.size()) > kMaxBooks)
        m_places.resize(kMaxBooks);
    const bool written = write();
    if (!written)
        qWarning("TibboRead: options.ini could not be written in %s",
                 qPrintable(SessionFiles::folder()));
    return written;
}

// The loader put a book's text in (a new book, the first part of an HTML book or its
// whole text): its saved place waits for the line list.
void BookPlaces::onTextReplaced()
{
    m_pending.reset();
    const QString path = qs(m_state.bookPath);
    if (const auto offset = placeOf(path))
        m_pending = Pending{path, *offset, m_state.textVersion};
    onReflowFinished();
}

void BookPlaces::onReflowFinished()
{
    if (!m_pending || m_pending->textVersion != m_state.textVersion || !m_state.lineEndsFitText() ||
        m_pending->path != qs(m_state.bookPath))
        return;
    // The first part of an HTML book shows the place only when it already holds it; the
    // whole text follows.
    const int64_t offset = m_pending->offset;
    if (m_state.loadingBusy && offset >= static_cast<int64_t>(m_state.paragraphText.size()))
        return;
    m_pending.reset();
    const int64_t spread = 2 * core::pageDivisor(m_state.linesPerPage);
    const int64_t line = core::lineHolding(m_state.lineEnds, offset);
    m_state.topLine = std::min(spread * ((line - 1) / spread) + 1, core::lastSpreadTop(m_state));
    // The next re-flow (a font or window change) keeps this character.
    m_state.readingPlace =
        core::ReadingPlace{offset, m_state.topLine, m_state.selectedLine, m_state.textVersion};
    m_bookView.showSpread(m_state);
}

} // namespace tibbo::window
