#pragma once
// The borderless window's chrome: moving it by the mascot, the resize grip, full screen,
// the window states settings.ini stores, and hiding to the tray. The window's place and
// size are kept in the state in twips (15 to a pixel), as settings.ini stores them;
// everything else, the mouse included, is in pixels.

#include <QObject>
#include <QPointF>

class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace tibbo::core {
struct ReaderState;
}

namespace tibbo::window {

class Picture;

class WindowChrome : public QObject
{
    Q_OBJECT
  public:
    WindowChrome(QWidget &window, core::ReaderState &state, QObject *parent);

    void setTrayIcon(QSystemTrayIcon *tray) { m_tray = tray; }
    // Places the grip in the bottom-right corner.
    void place();

    // Grab and drag by the mascot: the grabbed point stays under the pointer.
    // `at`: the pointer in pixels relative to the mascot.
    void grab(Qt::MouseButton button, QPointF at);
    void drag(Qt::MouseButtons buttons, QPointF at);

    bool fullScreen() const { return m_fullScreen; }
    // Switches between full screen and the normal geometry.
    void toggleFullScreen();
    // 0 normal, 1 minimised, 2 full screen, as settings.ini stores the state.
    void applyWindowState(int code);
    int windowStateCode() const;
    // Puts the window at its normal geometry, shrunk and moved so that it lies wholly
    // inside the available area of the screen it is on (the primary one when it is on
    // none).
    void moveToNormalGeometry();
    // Centres the default window on the primary screen.
    void centreDefaultGeometry();
    // Hides the window to the tray, or minimises it where no tray can bring it back.
    void hideToTray();
    // Brings the window back as it was: full screen stays full screen.
    void showFromTray();
  signals:
    void fullScreenChanged(bool on);
    // The grip was let go: the window has its new size.
    void resizeFinished();
    // A size the window got by any other way (a tiling window manager, a screen change,
    // a resize the window system ran) has held for a moment and no drag is going on.
    void sizeSettled();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    bool isNormalWindow() const;
    void coverScreen();
    void onSettleTimeout();
    void matchWindowState();

    QWidget &m_window;
    core::ReaderState &m_state;
    Picture *m_grip = nullptr;
    QTimer *m_settleTimer = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    // Where the pointer pressed the mascot or the grip, pixels relative to it.
    QPointF m_grabbedAt;
    bool m_fullScreen = false;
    bool m_systemMove = false; // the window system moves the window for this drag
    // and resizes it for this press on the grip: it owns the pointer then, and the
    // press's release may never reach the window.
    bool m_systemResize = false;
};

} // namespace tibbo::window
