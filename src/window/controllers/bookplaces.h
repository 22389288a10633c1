#pragma once
// The place in every book: the first character of the spread on show when the reader
// left a book, kept per absolute path for the most recent books in options.ini. A book
// opened again is shown at the spread that holds that character once its text is cut
// into lines, whatever the font and window size are now. settings.ini keeps the place
// of the current book as it always has; this is for the books opened after it.

#include "optionsstore.h"

#include "state/readerstate.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace tibbo::window {

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
    };
    BookPlaces(Parts parts, QObject *parent);

    // Remembers where the reader is in the book on show and writes options.ini: before
    // another book replaces it, and when the reader leaves. A book whose line list does not
    // belong to its text yet (a cut in progress) or whose saved place is still to be shown
    // keeps the place it had. False when options.ini could not be written.
    bool leaveBook();
    // The saved place of the book at this absolute path: a character offset.
    std::optional<int64_t> placeOf(const QString &path) const;

  private:
    void load() const;
    void onTextReplaced();
    void onTextCompleted();
    void onReflowFinished();

    core::ReaderState &m_state;
    BookView &m_bookView;
    OptionsStore &m_options;
    // Newest first.
    mutable std::vector<OptionsStore::BookPlace> m_places;
    mutable bool m_loaded = false;
    // A place to show after the re-flow of the text the loader just put in.
    struct Pending
    {
        QString path;
        int64_t offset = 0;
        uint64_t textVersion = 0;
    };
    std::optional<Pending> m_pending;
};

} // namespace tibbo::window
