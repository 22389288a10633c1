#include "bookplaces.h"

#include "bookloader.h"
#include "bookview.h"
#include "qtext.h"
#include "reflowjob.h"
#include "sessionfiles.h"

#include "pages/pages.h"

#include <algorithm>

namespace tibbo::window {

BookPlaces::BookPlaces(Parts parts, QObject *parent)
    : QObject(parent), m_state(parts.state), m_bookView(parts.bookView), m_options(parts.options)
{
    connect(&parts.loader, &BookLoader::textReplaced, this, &BookPlaces::onTextReplaced);
    connect(&parts.loader, &BookLoader::textCompleted, this, &BookPlaces::onTextCompleted);
    connect(&parts.reflowJob, &ReflowJob::finished, this, &BookPlaces::onReflowFinished);
}

void BookPlaces::load() const
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_places = m_options.bookPlaces(kMaxBooks);
}

std::optional<int64_t> BookPlaces::placeOf(const QString &path) const
{
    load();
    for (const auto &place : m_places)
        if (place.path == path)
            return place.offset;
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
    std::erase_if(m_places, [&path](const auto &place) { return place.path == path; });
    m_places.insert(m_places.begin(), {path, offset});
    if (static_cast<int>(m_places.size()) > kMaxBooks)
        m_places.resize(kMaxBooks);
    const bool written = m_options.setBookPlaces(m_places);
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

// The whole of a plain-text book followed its first part: a saved place past that part
// is in the whole text and waits for its line list.
void BookPlaces::onTextCompleted()
{
    if (m_pending && m_pending->path == qs(m_state.bookPath))
        m_pending->textVersion = m_state.textVersion;
}

void BookPlaces::onReflowFinished()
{
    if (!m_pending || m_pending->textVersion != m_state.textVersion || !m_state.lineEndsFitText() ||
        m_pending->path != qs(m_state.bookPath))
        return;
    // The first part of a book shows the place only when it already holds it; the whole
    // text follows.
    const int64_t offset = m_pending->offset;
    if (m_state.loadingBusy && offset >= static_cast<int64_t>(m_state.paragraphText.size()))
        return;
    m_pending.reset();
    m_state.topLine = core::spreadOfOffset(m_state, offset);
    // The next re-flow (a font or window change) keeps this character.
    m_state.readingPlace =
        core::ReadingPlace{offset, m_state.topLine, m_state.selectedLine, m_state.textVersion};
    m_bookView.showSpread(m_state);
}

} // namespace tibbo::window
