#pragma once
// The conventions of a desktop program: the mouse wheel over the pages turns one spread
// a notch; Esc closes what is open or else leaves full screen; a book file dropped on
// the window opens; the window title names the book. It watches the window's and the
// book view's events, so drops anywhere on the window reach it.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QWidget;

namespace tibbo::core {
struct ReaderState;
}

namespace tibbo::window {

class BookView;
class KeyRoute;
class ReadingCommands;
class WindowChrome;

class DesktopControls : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        QWidget &window;
        const core::ReaderState &state;
        BookView &bookView;
        KeyRoute &keys;
        WindowChrome &chrome;
        ReadingCommands &commands;
        // Start-up is over and no load or sliced re-flow is running.
        std::function<bool()> isIdle;
        // Clears the selection on the pages; false when there was none.
        std::function<bool()> clearSelection;
    };
    DesktopControls(Parts parts, QObject *parent);

    // "book name — TibboRead": the file name without its extension, then `details`
    // (each after " · "); "TibboRead" alone without a book.
    static QString windowTitle(const std::string &bookPath, const QStringList &details = {});

    // Esc: hides the panel or prompt on top, else clears the selection on the pages, else
    // closes the menu (the loading panel and the re-flow notice stay while their work
    // runs), else leaves full screen. Scroll mode stays as it is. False when there was
    // nothing to do.
    bool escape();
    // Brings the window back from the tray or the task bar, in front (a second launch
    // handed its book over).
    void bringToFront();

  signals:
    void menuCloseRequested();
    // A book file was dropped on the window.
    void bookDropped(const QString &path);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    bool filterWindowEvent(QEvent *event);
    void turnByWheel(int angleDelta);

    QWidget &m_window;
    const core::ReaderState &m_state;
    BookView &m_bookView;
    KeyRoute &m_keys;
    WindowChrome &m_chrome;
    ReadingCommands &m_commands;
    std::function<bool()> m_isIdle;
    std::function<bool()> m_clearSelection;
    // Wheel movement not yet a whole notch (120), from wheels and touch pads that
    // report in smaller steps.
    int m_wheelRemainder = 0;
};

} // namespace tibbo::window
