#pragma once
// The borderless window's chrome: moving it by the mascot, the resize grip, full screen,
// the window states settings.ini stores, and hiding to the tray. The window's place and
// size are kept in the state in twips (15 to a pixel), as settings.ini stores them;
// pixels are used only at the calls into Qt.

#include <QObject>
#include <QPointF>

class QSystemTrayIcon;
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
    void grab(Qt::MouseButton button, QPointF twips);
    void drag(Qt::MouseButtons buttons, QPointF twips);

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
    // The last press on the grip handed the resize to the window system. It owns the
    // pointer then, and the press's release may never reach the window.
    bool resizedBySystem() const { return m_systemResize; }

  signals:
    void fullScreenChanged(bool on);
    // The grip was let go: the window has its new size.
    void resizeFinished();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    bool isNormalWindow() const;
    void coverScreen();
    void matchWindowState();

    QWidget &m_window;
    core::ReaderState &m_state;
    Picture *m_grip = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    bool m_fullScreen = false;
    bool m_systemMove = false;   // the window system moves the window for this drag
    bool m_systemResize = false; // and resizes it for this press on the grip
};

} // namespace tibbo::window
