#pragma once
// The way back: every jump remembers where the reader was (the parts that jump report it
// with their `jumped` signal), Alt+Left and the menu's 回到刚才 go back there, Alt+Right
// forward again, as in a browser. The places are characters of the text, so a re-flow
// between the jump and the way back changes nothing: back shows the same text.

#include "reading/wayback.h"

#include <QObject>

namespace tibbo::core {
struct ReaderState;
}

namespace tibbo::window {

class BookView;

class BookWayBack : public QObject
{
    Q_OBJECT
  public:
    BookWayBack(core::ReaderState &state, BookView &bookView, QObject *parent);

    bool canGoBack() const;
    bool canGoForward() const;

  public slots:
    // A jump left the spread whose first character is `from`.
    void remember(qint64 from);
    void goBack();
    void goForward();

  signals:
    // Whether there is a way back now (after a jump, a step, or another text on show).
    void wayBackChanged(bool canGoBack);
    void menuCloseRequested();

  private:
    void show(int64_t offset);
    void onSpreadShown();

    core::ReaderState &m_state;
    BookView &m_bookView;
    core::WayBack m_way;
    bool m_couldGoBack = false;
};

} // namespace tibbo::window
