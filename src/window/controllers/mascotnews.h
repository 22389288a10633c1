#pragma once
// Tibbo tells the reader by itself what happened to a book while they were away: a book
// whose text changed (a longer download: "新增 23 章，第1045–1067章", with the offer to go
// on at the first new chapter; the place or bookmarks whose text was not found), and the
// recap of a book read again after two days or more (with one click back a spread to read
// into it again). The news is said in the bubble without the menu, once the bubble is
// free: the first key or click anywhere takes it away and still does what it does, so it
// never stands between the reader and the page.

#include "bookplaces.h"
#include "mascotspeech.h"

#include <QObject>

class QWidget;

namespace tibbo::core {
struct ReaderState;
}

namespace tibbo::window {

class BookChapters;
class BookView;
class ReadingCommands;
class ReadingPace;

class MascotNews : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        MascotSpeech &speech;
        BookView &bookView;
        BookChapters &chapters;
        const ReadingPace &pace;
        ReadingCommands &commands;
    };
    MascotNews(Parts parts, QWidget *window);

  public slots:
    // A book was opened again at its place, left at `leftAt`: a recap when that was two
    // days or more ago.
    void onPlaceRestored(qint64 leftAt);
    void onBookChanged(const tibbo::window::BookPlaces::ChangeReport &report, qint64 leftAt);

  signals:
    // The news moved the reader (to the first new chapter) from the spread whose first
    // character is `from`.
    void jumped(qint64 from);

  private:
    void say(const QString &text, std::vector<MascotSpeech::Answer> answers);
    // Shows the spread of `offset` (the first new chapter), remembering the way back.
    void goTo(int64_t offset);

    core::ReaderState &m_state;
    MascotSpeech &m_speech;
    BookView &m_bookView;
    BookChapters &m_chapters;
    const ReadingPace &m_pace;
    ReadingCommands &m_commands;
    QWidget *m_window;
};

} // namespace tibbo::window
