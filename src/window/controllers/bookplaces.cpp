#include "bookplaces.h"

#include "bookchapters.h"
#include "bookloader.h"
#include "bookview.h"
#include "qtext.h"
#include "readingclock.h"
#include "reflowjob.h"
#include "sessionfiles.h"

#include "bookmarks/anchors.h"
#include "pages/pages.h"
#include "reading/reanchor.h"
#include "text/fileio.h"

#include <QFileInfo>
#include <QTimer>

#include <algorithm>

namespace tibbo::window {

BookPlaces::BookPlaces(Parts parts, QObject *parent)
    : QObject(parent), m_state(parts.state), m_bookView(parts.bookView), m_options(parts.options),
      m_chapters(parts.chapters)
{
    connect(&parts.loader, &BookLoader::textReplaced, this, &BookPlaces::onTextReplaced);
    connect(&parts.loader, &BookLoader::textCompleted, this, &BookPlaces::onTextCompleted);
    connect(&parts.reflowJob, &ReflowJob::finished, this, &BookPlaces::onReflowFinished);
    m_identityTimer = new QTimer(this);
    m_identityTimer->setInterval(0);
    connect(m_identityTimer, &QTimer::timeout, this, &BookPlaces::hashIdentitySlice);
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

int64_t BookPlaces::leftAt(const QString &path) const
{
    load();
    for (const auto &place : m_places)
        if (place.path == path)
            return place.leftAt;
    return 0;
}

std::optional<std::pair<OptionsStore::BookPlace, bool>>
BookPlaces::entryFor(const QString &path) const
{
    load();
    for (const auto &place : m_places)
        if (place.path == path)
            return std::pair(place, false);
    // A book downloaded again into another folder: its mark file is the same one, and so
    // is its place, if its text says it is the same book.
    const QString name = QFileInfo(path).fileName();
    for (const auto &place : m_places)
        if (place.anchor && QFileInfo(place.path).fileName() == name)
            return std::pair(place, true);
    return std::nullopt;
}

core::TextIdentity BookPlaces::identityOfText()
{
    if (!m_identity || m_identity->first != m_state.textVersion) {
        // What the idle slices took of this text is not taken again.
        if (!m_identityHash || m_identityHash->first != m_state.textVersion)
            m_identityHash = std::pair(m_state.textVersion, core::TextIdentityHash());
        m_identity =
            std::pair(m_state.textVersion, m_identityHash->second.identity(m_state.paragraphText));
        m_identityHash.reset();
        m_identityTimer->stop();
    }
    return m_identity->second;
}

// Leaving the book needs its identity: a whole book has it worked out in idle time, a few
// milliseconds a slice, instead of on the way out (about 16 ms at 20 MB, 80 at 100 MB).
void BookPlaces::hashIdentitySlice()
{
    constexpr size_t kSliceCharacters = size_t{1} << 21;
    if (m_state.loadingBusy || (m_identity && m_identity->first == m_state.textVersion)) {
        m_identityTimer->stop();
        return;
    }
    if (!m_identityHash || m_identityHash->first != m_state.textVersion)
        m_identityHash = std::pair(m_state.textVersion, core::TextIdentityHash());
    if (m_identityHash->second.take(m_state.paragraphText, kSliceCharacters))
        identityOfText();
}

bool BookPlaces::leaveBook()
{
    const QString path = qs(m_state.bookPath);
    if (path.isEmpty() || (m_pending && m_pending->path == path))
        return true;
    if (!m_state.lineEndsFitText() || m_state.topLine < 1 || m_state.topLine > m_state.lineCount())
        return true;
    const int64_t offset = m_state.lineEnds[static_cast<size_t>(m_state.topLine - 1)];
    const auto &chapters = m_chapters.list();
    const core::BookText &text = m_state.paragraphText;

    OptionsStore::BookPlace place{path, offset};
    place.leftAt = ReadingClock::now();
    place.text = identityOfText();
    place.chapterCount = static_cast<int64_t>(chapters.size());
    if (!chapters.empty())
        place.lastChapter = qs(chapters.back().title);
    place.anchor = core::anchorAt(text, chapters, offset);
    for (const core::Bookmark &mark : m_state.bookmarks) {
        // A bookmark whose text was not found keeps the anchor it had, to be found again
        // in a later download.
        const auto lost = std::find_if(m_lostMarks.begin(), m_lostMarks.end(),
                                       [&mark](const auto &m) { return m.line == mark.line; });
        if (lost != m_lostMarks.end()) {
            place.marks.push_back(*lost);
            continue;
        }
        std::optional<int64_t> at = mark.anchor;
        if (!at && mark.line >= 1 && mark.line <= m_state.lineCount())
            at = m_state.lineEnds[static_cast<size_t>(mark.line - 1)];
        if (at)
            place.marks.push_back({mark.line, core::anchorAt(text, chapters, *at), false});
    }

    load();
    std::erase_if(m_places, [&path](const auto &p) { return p.path == path; });
    m_places.insert(m_places.begin(), std::move(place));
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
    m_lostMarks.clear();
    const QString path = qs(m_state.bookPath);
    if (auto entry = entryFor(path))
        m_pending = Pending{path, std::move(entry->first), entry->second, m_state.textVersion};
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
    if (!m_state.loadingBusy && !(m_identity && m_identity->first == m_state.textVersion))
        m_identityTimer->start();
    if (!m_pending || m_pending->textVersion != m_state.textVersion || !m_state.lineEndsFitText() ||
        m_pending->path != qs(m_state.bookPath))
        return;
    // The first part of a book (an HTML book, a large plain-text one) shows the place
    // only when it already holds it; the whole text follows, and with it what changed.
    if (m_state.loadingBusy) {
        if (!m_pending->sameFileNameOnly &&
            m_pending->entry.offset < static_cast<int64_t>(m_state.paragraphText.size()))
            m_state.topLine = core::spreadOfOffset(m_state, m_pending->entry.offset);
        return;
    }
    const Pending pending = std::move(*m_pending);
    m_pending.reset();
    const OptionsStore::BookPlace &entry = pending.entry;
    // An entry of an older reader knows nothing of its text: it is taken as it is.
    const bool unchanged = !entry.anchor || (entry.text && *entry.text == identityOfText());
    if (unchanged && !pending.sameFileNameOnly) {
        restoreUnchanged(entry);
        emit placeRestored(entry.leftAt);
    } else if (restoreChanged(entry, pending.sameFileNameOnly) && unchanged) {
        emit placeRestored(entry.leftAt);
    }
}

void BookPlaces::showPlace(int64_t offset)
{
    m_state.topLine = core::spreadOfOffset(m_state, offset);
    // The next re-flow (a font or window change) keeps this character.
    m_state.readingPlace =
        core::ReadingPlace{offset, m_state.topLine, m_state.selectedLine, m_state.textVersion};
    m_bookView.showSpread(m_state);
}

void BookPlaces::restoreUnchanged(const OptionsStore::BookPlace &entry)
{
    // The bookmarks go back to the characters they marked, also where the mark file's
    // lines were cut for another font or window size.
    bool moved = false;
    const auto size = static_cast<int64_t>(m_state.paragraphText.size());
    for (core::Bookmark &mark : m_state.bookmarks) {
        const auto kept = std::find_if(entry.marks.begin(), entry.marks.end(),
                                       [&mark](const auto &m) { return m.line == mark.line; });
        if (kept == entry.marks.end())
            continue;
        if (kept->lost) {
            m_lostMarks.push_back(*kept);
            continue;
        }
        const int64_t offset = std::min(kept->anchor.offset, std::max<int64_t>(size - 1, 0));
        mark.anchor = offset;
        const int64_t line = core::lineHolding(m_state.lineEnds, offset);
        moved = moved || line != mark.line;
        mark.line = line;
    }
    showPlace(entry.offset);
    if (moved) {
        SessionFiles::writeMarks(m_state.bookPath, m_state.bookmarks);
        emit bookmarksMoved();
    }
}

bool BookPlaces::restoreChanged(const OptionsStore::BookPlace &entry, bool sameFileNameOnly)
{
    const auto &chapters = m_chapters.list();
    const core::BookText &text = m_state.paragraphText;
    // The place first, then every bookmark the entry knows by its line.
    std::vector<core::TextAnchor> anchors{*entry.anchor};
    std::vector<std::pair<core::Bookmark *, const OptionsStore::MarkAnchor *>> marks;
    for (core::Bookmark &mark : m_state.bookmarks) {
        const auto kept = std::find_if(entry.marks.begin(), entry.marks.end(),
                                       [&mark](const auto &m) { return m.line == mark.line; });
        if (kept != entry.marks.end()) {
            marks.emplace_back(&mark, &*kept);
            anchors.push_back(kept->anchor);
        }
    }
    const auto found = core::findAnchors(text, chapters, anchors);
    if (sameFileNameOnly &&
        std::none_of(found.begin(), found.end(), [](const auto &f) { return f.has_value(); }))
        return false;

    ChangeReport report;
    const auto count = static_cast<int64_t>(chapters.size());
    int64_t place = 0;
    if (found[0]) {
        place = *found[0];
    } else {
        // The chapter that took the lost one's place in the list, or else the old offset.
        report.placeLost = true;
        report.lostPlaceChapter = qs(entry.anchor->chapterTitle);
        const int64_t index = entry.anchor->chapterIndex;
        if (index >= 0 && index < count)
            place = chapters[static_cast<size_t>(index)].offset;
        else
            place =
                std::min(entry.offset, std::max<int64_t>(static_cast<int64_t>(text.size()) - 1, 0));
    }
    const core::ChapterGrowth growth =
        core::chapterGrowth(entry.chapterCount, entry.lastChapter.toStdU32String(), chapters);
    report.growth = qs(core::chapterGrowthCaption(growth));
    if (growth.first) {
        const core::Chapter &first = chapters[static_cast<size_t>(*growth.first)];
        if (place < first.offset) {
            report.firstNewChapter = first.offset;
            report.firstNewChapterTitle = qs(first.title);
        }
    }

    bool moved = false;
    for (size_t m = 0; m < marks.size(); ++m) {
        core::Bookmark &mark = *marks[m].first;
        if (const auto offset = found[m + 1]) {
            mark.anchor = *offset;
            const int64_t line = core::lineHolding(m_state.lineEnds, *offset);
            moved = moved || line != mark.line;
            mark.line = line;
        } else {
            // Kept where its number says, with the anchor it had.
            OptionsStore::MarkAnchor lost = *marks[m].second;
            lost.lost = true;
            m_lostMarks.push_back(lost);
            report.lostBookmarkPages.push_back(core::pageOfLine(mark.line, m_state.linesPerPage));
        }
    }
    showPlace(place);
    if (moved) {
        SessionFiles::writeMarks(m_state.bookPath, m_state.bookmarks);
        emit bookmarksMoved();
    }
    const bool unchangedText = entry.text && *entry.text == identityOfText();
    if (!unchangedText)
        emit bookChanged(report, entry.leftAt);
    return true;
}

} // namespace tibbo::window
