#include "windowchrome.h"

#include "widgets.h"

#include "state/readerstate.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tibbo::window {

namespace {

// Smallest window the grip allows, pixels.
constexpr int kMinWidth = 447;
constexpr int kMinHeight = 306;

} // namespace

WindowChrome::WindowChrome(QWidget &window, core::ReaderState &state, QObject *parent)
    : QObject(parent), m_window(window), m_state(state)
{
    m_grip = new Picture(QStringLiteral(":/art/grip.svg"), &window);
    m_grip->setObjectName(QStringLiteral("grip"));
    m_grip->resize(32, 32);
    m_grip->setToolTip(QStringLiteral("按住不放可以改变窗口大小"));
    m_grip->setCursor(Qt::SizeFDiagCursor);
    connect(m_grip, &Picture::mouseDown, this, [this](Qt::MouseButton button, QPointF at) {
        m_grabbedAt = at;
        // Where the window system resizes windows itself (Wayland, an X11 window manager),
        // it does; the size it gives is re-flowed once it has settled.
        m_systemResize = false;
        if (button == Qt::LeftButton && isNormalWindow() && m_window.windowHandle()) {
            m_window.setMinimumSize(kMinWidth, kMinHeight);
            m_systemResize =
                m_window.windowHandle()->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
        }
    });
    // The window follows the grip; the re-flow waits for the release.
    connect(m_grip, &Picture::mouseMove, this, [this](Qt::MouseButtons buttons, QPointF at) {
        if (!(buttons & Qt::LeftButton) || !isNormalWindow() || m_systemResize)
            return;
        const QPointF grown = at - m_grabbedAt;
        m_window.resize(std::max(qRound(m_window.width() + grown.x()), kMinWidth),
                        std::max(qRound(m_window.height() + grown.y()), kMinHeight));
        m_state.normalWidth = m_window.width() * kTwipsPerPixel;
        m_state.normalHeight = m_window.height() * kTwipsPerPixel;
    });
    connect(m_grip, &Picture::mouseUp, this, [this](Qt::MouseButton, QPointF) {
        if (isNormalWindow() && !m_systemResize)
            emit resizeFinished();
    });
    m_settleTimer = new QTimer(this);
    m_settleTimer->setInterval(300);
    m_settleTimer->setSingleShot(true);
    connect(m_settleTimer, &QTimer::timeout, this, &WindowChrome::onSettleTimeout);
    // A place or size the window system gave a normal window by a drag is its normal
    // geometry, and every new size is watched until it settles.
    window.installEventFilter(this);
}

// A drag the window follows by itself ends with the release; one the window system runs
// may never show its release, and settles when the size does.
void WindowChrome::onSettleTimeout()
{
    if ((QGuiApplication::mouseButtons() & Qt::LeftButton) && !m_systemResize)
        return m_settleTimer->start();
    emit sizeSettled();
}

void WindowChrome::place()
{
    m_grip->move(m_window.width() - m_grip->width() + 8, m_window.height() - m_grip->height() - 24);
    m_grip->raise();
}

// Drag and resize act only on a normal window: neither minimised nor full screen.
bool WindowChrome::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_window && event->type() == QEvent::Resize)
        m_settleTimer->start();
    // Only a move or resize the window system made for a drag: the program's own changes
    // (full screen and back, start-up) keep the state themselves.
    if (watched == &m_window && (m_systemMove || m_systemResize) && isNormalWindow() &&
        m_window.isVisible() &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        m_state.normalLeft = m_window.x() * kTwipsPerPixel;
        m_state.normalTop = m_window.y() * kTwipsPerPixel;
        m_state.normalWidth = m_window.width() * kTwipsPerPixel;
        m_state.normalHeight = m_window.height() * kTwipsPerPixel;
    }
    return QObject::eventFilter(watched, event);
}

bool WindowChrome::isNormalWindow() const
{
    return !(m_window.windowState() &
             (Qt::WindowMinimized | Qt::WindowFullScreen | Qt::WindowMaximized)) &&
           !m_fullScreen;
}

void WindowChrome::grab(Qt::MouseButton button, QPointF at)
{
    m_grabbedAt = at;
    // Wayland moves a window only itself: hand the drag over where the platform can.
    m_systemMove = button == Qt::LeftButton && isNormalWindow() && m_window.windowHandle() &&
                   m_window.windowHandle()->startSystemMove();
}

void WindowChrome::drag(Qt::MouseButtons buttons, QPointF at)
{
    if (!(buttons & Qt::LeftButton) || !isNormalWindow() || m_systemMove)
        return;
    const QPointF moved = at - m_grabbedAt;
    m_window.move(qRound(m_window.x() + moved.x()), qRound(m_window.y() + moved.y()));
    m_state.normalLeft = m_window.x() * kTwipsPerPixel;
    m_state.normalTop = m_window.y() * kTwipsPerPixel;
}

void WindowChrome::toggleFullScreen()
{
    m_systemMove = m_systemResize = false;
    if (m_fullScreen) {
        m_fullScreen = false;
        m_window.showNormal();
        matchWindowState();
        moveToNormalGeometry();
    } else {
        m_fullScreen = true;
        m_window.showFullScreen();
        coverScreen();
    }
    emit fullScreenChanged(m_fullScreen);
}

void WindowChrome::applyWindowState(int code)
{
    m_systemMove = m_systemResize = false;
    m_fullScreen = code == 2;
    switch (code) {
    case 1:
        if (m_window.isFullScreen())
            m_window.showNormal();
        m_window.showMinimized();
        break;
    case 2:
        m_window.showFullScreen();
        coverScreen();
        break;
    default:
        if (m_window.windowState() &
            (Qt::WindowMinimized | Qt::WindowFullScreen | Qt::WindowMaximized))
            m_window.showNormal();
        break;
    }
    emit fullScreenChanged(m_fullScreen);
}

// Without a window manager the request for full screen alone changes nothing: the window
// covers the screen itself, as full screen means for a borderless window. A Wayland
// compositor always answers the request itself, and a size set before its answer would
// be taken for the window's normal size when full screen ends.
void WindowChrome::coverScreen()
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    if (QScreen *s = m_window.screen())
        m_window.setGeometry(s->geometry());
}

// The chrome's own record, not the window's: a window manager may report a state of its
// own making (a full screen it brought back, one it dropped).
int WindowChrome::windowStateCode() const
{
    if (m_fullScreen)
        return 2;
    if (m_window.isMinimized())
        return 1;
    return 0;
}

void WindowChrome::centreDefaultGeometry()
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    m_state.normalWidth = core::defaults::kWindowWidth;
    m_state.normalHeight = core::defaults::kWindowHeight;
    m_state.normalLeft =
        screen.x() * kTwipsPerPixel + (screen.width() * kTwipsPerPixel - m_state.normalWidth) / 2;
    m_state.normalTop =
        screen.y() * kTwipsPerPixel + (screen.height() * kTwipsPerPixel - m_state.normalHeight) / 2;
}

void WindowChrome::moveToNormalGeometry()
{
    const auto pixels = [](double twips) {
        return static_cast<int>(std::clamp(twips / kTwipsPerPixel, -1e6, 1e6));
    };
    QRect r(pixels(m_state.normalLeft), pixels(m_state.normalTop), pixels(m_state.normalWidth),
            pixels(m_state.normalHeight));
    QScreen *screen = QGuiApplication::screenAt(r.center());
    if (!screen)
        for (QScreen *s : QGuiApplication::screens())
            if (s->geometry().intersects(r))
                screen = s;
    // A place on no screen at all (a screen that is gone, a hand-edited file) is centred
    // on the primary screen.
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
        r.moveCenter(screen->availableGeometry().center());
    }
    const QRect area = screen->availableGeometry();
    // Shrunk to the area (never below the grip's smallest size where the area allows
    // it), then moved inside it, so the page numbers, the mascot and the grip are all on
    // the screen.
    const int minWidth = std::min(kMinWidth, area.width());
    const int minHeight = std::min(kMinHeight, area.height());
    r.setWidth(std::clamp(r.width(), minWidth, area.width()));
    r.setHeight(std::clamp(r.height(), minHeight, area.height()));
    r.moveLeft(std::clamp(r.left(), area.left(), area.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), area.top(), area.bottom() + 1 - r.height()));
    m_state.normalLeft = r.left() * kTwipsPerPixel;
    m_state.normalTop = r.top() * kTwipsPerPixel;
    m_state.normalWidth = r.width() * kTwipsPerPixel;
    m_state.normalHeight = r.height() * kTwipsPerPixel;
    m_window.setGeometry(r);
}

// Hiding needs a notification area with our icon in it; without one the window is
// minimised instead, so the desktop's task bar can still bring it back.
void WindowChrome::hideToTray()
{
    if (QSystemTrayIcon::isSystemTrayAvailable() && m_tray && m_tray->isVisible()) {
        m_window.hide();
        return;
    }
    if (!m_window.isMinimized())
        m_window.showMinimized();
}

// The window's state and the native window's can part: under a window manager that drops
// a full screen the program asked for, the widget learns of it but its native window
// keeps the full-screen state, and leaving full screen then changes nothing there. A
// hidden window is mapped again in its native window's state, so the native window is
// given the state the chrome keeps before every show.
void WindowChrome::matchWindowState()
{
    QWindow *handle = m_window.windowHandle();
    if (!handle)
        return;
    const Qt::WindowStates kept = m_fullScreen ? Qt::WindowFullScreen : Qt::WindowNoState;
    const Qt::WindowStates sizeStates = Qt::WindowFullScreen | Qt::WindowMaximized;
    if ((handle->windowStates() & sizeStates) != kept)
        handle->setWindowStates((handle->windowStates() & ~sizeStates) | kept);
}

void WindowChrome::showFromTray()
{
    if (m_window.isMinimized())
        m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
    matchWindowState();
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

} // namespace tibbo::window
