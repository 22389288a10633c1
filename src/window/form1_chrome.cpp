// Form1: dragging by the mascot, the resize grip, full screen and the tray icon.
//
// The window's place and size on the screen are kept in twips (15 to a pixel), as
// settings.ini stores them; the pictures report the pointer in twips relative to
// themselves. Pixels are used only at the calls into Qt.
#include "form1.h"

#include "dialogs.h"
#include "welcomepanel.h"
#include "widgets.h"

#include <QIcon>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

namespace tibbo::window {

namespace {

const QString kEnlargeCaption = QStringLiteral("放大到全屏幕");
const QString kRestoreCaption = QStringLiteral("恢复到一般大小");

// Smallest window the grip allows, twips (447 x 306 pixels).
constexpr double kMinWidthTwips = 6705;
constexpr double kMinHeightTwips = 4590;

constexpr int kTrayFlashMs = 1000;

int toPixels(double twips)
{
    return qRound(twips / kTwipsPerPixel);
}

// Drag and resize act only on a normal window: neither minimised nor full screen.
bool isNormalWindow(const Form1 &form)
{
    return !(form.windowState() &
             (Qt::WindowMinimized | Qt::WindowFullScreen | Qt::WindowMaximized)) &&
           !form.isFullScreenCaption();
}

} // namespace

void Form1::Image1_MouseDown(Qt::MouseButton, QPointF twips)
{
    m_state.grabX = twips.x();
    m_state.grabY = twips.y();
}

// The grabbed point of the mascot stays under the pointer.
void Form1::Image1_MouseMove(Qt::MouseButtons buttons, QPointF twips)
{
    if (!(buttons & Qt::LeftButton) || !isNormalWindow(*this))
        return;
    const double left = x() * kTwipsPerPixel + twips.x() - m_state.grabX;
    const double top = y() * kTwipsPerPixel + twips.y() - m_state.grabY;
    move(toPixels(left), toPixels(top));
    m_state.normalLeft = x() * kTwipsPerPixel;
    m_state.normalTop = y() * kTwipsPerPixel;
}

void Form1::Image1_MouseUp(Qt::MouseButton button, QPointF)
{
    if (button != Qt::RightButton)
        return;
    // Over the welcome panel the right click always hides: the panel belongs to the
    // open menu and a first start would otherwise never let the window go.
    if (m_state.menuShown && !Picture3->isVisible())
        CloseMenu();
    else
        hideToTray();
}

void Form1::Image18_MouseDown(Qt::MouseButton, QPointF twips)
{
    m_state.grabX = twips.x();
    m_state.grabY = twips.y();
}

// The grip follows the pointer; the layout pass runs on every size change, the re-flow
// only when the button is released.
void Form1::Image18_MouseMove(Qt::MouseButtons buttons, QPointF twips)
{
    if (!(buttons & Qt::LeftButton) || !isNormalWindow(*this))
        return;
    double w = width() * kTwipsPerPixel + twips.x() - m_state.grabX;
    double h = height() * kTwipsPerPixel + twips.y() - m_state.grabY;
    w = std::max(w, kMinWidthTwips);
    h = std::max(h, kMinHeightTwips);
    resize(toPixels(w), toPixels(h));
    m_state.normalWidth = width() * kTwipsPerPixel;
    m_state.normalHeight = height() * kTwipsPerPixel;
}

void Form1::Image18_MouseUp(Qt::MouseButton, QPointF)
{
    if (isNormalWindow(*this))
        Resizeline();
}

void Form1::Image14_Click()
{
    if (isFullScreenCaption()) {
        Label5[6]->setCaption(kEnlargeCaption);
        showNormal();
        setGeometry(toPixels(m_state.normalLeft), toPixels(m_state.normalTop),
                    toPixels(m_state.normalWidth), toPixels(m_state.normalHeight));
    } else {
        Label5[6]->setCaption(kRestoreCaption);
        showFullScreen();
        // Without a window manager the request alone changes nothing: cover the
        // screen ourselves, as full screen means for a borderless window.
        if (QScreen *s = screen())
            setGeometry(s->geometry());
    }
    Resizeline();
    CloseMenu();
}

bool Form1::isFullScreenCaption() const
{
    return Label5[6] && Label5[6]->caption() == kRestoreCaption;
}

// 0 normal, 1 minimised, 2 full screen, as settings.ini stores the state. The caption
// of the full-screen command follows the state.
void Form1::applyWindowState(int code)
{
    switch (code) {
    case 1:
        Label5[6]->setCaption(kEnlargeCaption);
        if (isFullScreen())
            showNormal();
        showMinimized();
        break;
    case 2:
        Label5[6]->setCaption(kRestoreCaption);
        showFullScreen();
        if (QScreen *s = screen())
            setGeometry(s->geometry());
        break;
    default:
        Label5[6]->setCaption(kEnlargeCaption);
        if (windowState() & (Qt::WindowMinimized | Qt::WindowFullScreen | Qt::WindowMaximized))
            showNormal();
        break;
    }
}

// Hiding needs a notification area with our icon in it; without one the window is
// minimised instead, so the desktop's task bar can still bring it back. A window that
// is minimised already stays so (the layout pass calls here for every minimised pass).
void Form1::hideToTray()
{
    if (QSystemTrayIcon::isSystemTrayAvailable() && TrayIcon1 && TrayIcon1->isVisible()) {
        hide();
        return;
    }
    if (!isMinimized())
        showMinimized();
}

void Form1::createTrayIcon()
{
    if (TrayIcon1)
        return;
    TrayIcon1 = new QSystemTrayIcon(QIcon(QStringLiteral(":/art/tray.svg")), this);
    TrayIcon1->setToolTip(QStringLiteral("TibboRead (由 Tibbo 小组制作)"));
    connect(TrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                case QSystemTrayIcon::Trigger:
                case QSystemTrayIcon::DoubleClick:
                    TrayIcon1_Show();
                    break;
                case QSystemTrayIcon::Context:
                    TrayIcon1_Menu();
                    break;
                default:
                    break;
                }
            });
    trayFlash.setInterval(kTrayFlashMs);
    const QIcon plain(QStringLiteral(":/art/tray.svg"));
    const QIcon flash(QStringLiteral(":/art/tray-flash.svg"));
    connect(&trayFlash, &QTimer::timeout, this, [this, plain, flash] {
        m_trayFlashOn = !m_trayFlashOn;
        TrayIcon1->setIcon(m_trayFlashOn ? flash : plain);
    });
    TrayIcon1->show();
    trayFlash.start();
}

// Brings the window back as it was: full screen stays full screen, a minimised
// window is restored to its normal place.
void Form1::TrayIcon1_Show()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void Form1::TrayIcon1_Menu()
{
    Dialogs::popup(Mnapp);
}

} // namespace tibbo::window
