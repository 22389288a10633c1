#pragma once
// The place in every book: the first character of the spread on show when the reader
// left a book, kept per absolute path for the most recent books in options.ini. A book
// opened again is shown at the spread that holds that character once its text is cut
// into lines, whatever the font and window size are now. settings.ini keeps the place
// of the current book as it always has; this is for the books opened after it.
//
// With the place are kept what the book's text was (its length and hash, its chapters)
// and the anchors of the place and of every bookmark (the text around them and the
// heading of their chapter). A book whose text changed meanwhile (a longer or corrected
// download at the same path, or a book of the same file name in another folder) has them
// found again by that text; what is not found is kept (a bookmark keeps its line) and
// reported, never dropped.

#include "optionsstore.h"

#include "state/readerstate.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class QTimer;

namespace tibbo::window {

class BookChapters;
class BookLoader;
class BookView;
class OptionsStore;
class ReflowJob;

class BookPlaces : public QObject
{
    Q_OBJECT
  public:
    // Places older than the newest kMaxBooks books are forgotten.
    static constexpr int kMaxBooks = 200;

    struct Parts
    {
        core::ReaderState &state;
        BookView &bookView;
        BookLoader &loader;
        ReflowJob &reflowJob;
        OptionsStore &options;
        BookChapters &chapters;
    };
    BookPlaces(Parts parts, QObject *parent);

    // Remembers where the reader is in the book on show and writes options.ini: before
    // another book replaces it, and when the reader leaves. A book whose line list does not
    // belong to its text yet (a cut in progress) or whose saved place is still to be shown
    // keeps the place it had. False when options.ini could not be written.
    bool leaveBook();
    // The saved place of the book at this absolute path: a character offset.
    std::optional<int64_t> placeOf(const QString &path) const;
    // When the reader last left the book at this path (milliseconds since 1970-01-01 UTC);
    // 0 when not known.
    int64_t leftAt(const QString &path) const;

    // What became of a book whose text changed since the reader left it.
    struct ChangeReport
    {
        // "新增 23 章，第1045–1067章"; empty when it gained no chapters.
        QString growth;
        // The first new chapter, offered when the place lies before it.
        std::optional<int64_t> firstNewChapter;
        QString firstNewChapterTitle;
        // The place's text was not found: its chapter as it was, and where the reader is now.
        bool placeLost = false;
        QString lostPlaceChapter;
        // The pages of the bookmarks whose text was not found (they keep their lines).
        std::vector<int64_t> lostBookmarkPages;
    };

  signals:
    // The saved place of a book opened again is on show; the reader left it at `leftAt`.
    void placeRestored(qint64 leftAt);
    // The book's text had changed: its place and bookmarks were looked for by their text.
    void bookChanged(const tibbo::window::BookPlaces::ChangeReport &report, qint64 leftAt);
    // The bookmarks moved to other lines (the mark file is written).
    void bookmarksMoved();

  private:
    void load() const;
    // The saved entry of the book at `path`: its own, or else the newest of a book of the
    // same file name in another folder (which only counts when its anchors are found).
    std::optional<std::pair<OptionsStore::BookPlace, bool>> entryFor(const QString &path) const;
    void onTextReplaced();
    void onTextCompleted();
    void onReflowFinished();
    // The text on show is the one the entry was left with, or (when the entry does not
    // know) taken as it: the place and the bookmarks go back to their offsets.
    void restoreUnchanged(const OptionsStore::BookPlace &entry);
    // The text changed: the place and bookmarks are found by their anchors. False when
    // nothing was found of an entry that only shares the file name: it was another book.
    bool restoreChanged(const OptionsStore::BookPlace &entry, bool sameFileNameOnly);
    void showPlace(int64_t offset);
    core::TextIdentity identityOfText();
    void hashIdentitySlice();

    core::ReaderState &m_state;
    BookView &m_bookView;
    OptionsStore &m_options;
    BookChapters &m_chapters;
    // Newest first.
    mutable std::vector<OptionsStore::BookPlace> m_places;
    mutable bool m_loaded = false;
    // A place to show after the re-flow of the text the loader just put in.
    struct Pending
    {
        QString path;
        OptionsStore::BookPlace entry;
        bool sameFileNameOnly = false;
        uint64_t textVersion = 0;
    };
    std::optional<Pending> m_pending;
    // The bookmarks of the book on show whose text was not found: their anchors are kept
    // as they were, to be looked for again the next time.
    std::vector<OptionsStore::MarkAnchor> m_lostMarks;
    // The identity of the text on show, worked out once: in idle slices once the book is
    // whole (hashIdentitySlice), or at once when it is needed before.
    std::optional<std::pair<uint64_t, core::TextIdentity>> m_identity;
    std::optional<std::pair<uint64_t, core::TextIdentityHash>> m_identityHash;
    QTimer *m_identityTimer = nullptr;
};

} // namespace tibbo::window
