#include "trayicon.h"

namespace tibbo::window {

namespace {

constexpr int kFlashMs = 1000;

} // namespace

TrayIcon::TrayIcon(QObject *parent)
    : QSystemTrayIcon(QIcon(QStringLiteral(":/art/tray.svg")), parent)
{
    setObjectName(QStringLiteral("trayIcon"));
    setToolTip(QStringLiteral("TibboRead (由 Tibbo 小组制作)"));
    connect(this, &QSystemTrayIcon::activated, this, [this](ActivationReason reason) {
        switch (reason) {
        case Trigger:
        case DoubleClick:
            emit showRequested();
            break;
        case Context:
            emit menuRequested();
            break;
        default:
            break;
        }
    });
    m_flashTimer.setInterval(kFlashMs);
    const QIcon plain(QStringLiteral(":/art/tray.svg"));
    const QIcon flash(QStringLiteral(":/art/tray-flash.svg"));
    connect(&m_flashTimer, &QTimer::timeout, this, [this, plain, flash] {
        m_flashOn = !m_flashOn;
        setIcon(m_flashOn ? flash : plain);
    });
    show();
    m_flashTimer.start();
}

} // namespace tibbo::window
