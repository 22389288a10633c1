#include "screensaverinhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace tibbo::window {

namespace {

const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kReason = QStringLiteral("正在朗读或自动翻页");
// The portal's flag for "the session must not go idle".
constexpr uint kPortalInhibitIdle = 8;
// How long the way out waits for the desktop to take the request back.
constexpr int kExitCallTimeout = 500;
// How long the screen saver may take to answer a request: the way out waits for an
// answer on its way, to give the request back.
constexpr int kInhibitTimeout = 2000;

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QObject *parent) : QObject(parent) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    m_reasons.clear();
    // A request granted while the program ends (its answer not yet taken) is given back
    // too: the answer is waited for.
    if (m_inhibitAnswer) {
        m_inhibitAnswer->waitForFinished();
        const QDBusPendingReply<uint> reply = *m_inhibitAnswer;
        if (!reply.isError())
            m_cookie = reply.value();
    }
    // The program ends: the release is sent and waited for briefly, so that it goes out
    // before the connection closes.
    if (m_cookie != 0) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kScreenSaverService, kScreenSaverPath,
                                           kScreenSaverService, QStringLiteral("UnInhibit"));
        call << m_cookie;
        QDBusConnection::sessionBus().call(call, QDBus::Block, kExitCallTimeout);
    } else if (!m_portalRequest.path().isEmpty()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            kPortalService, m_portalRequest.path(),
            QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close"));
        QDBusConnection::sessionBus().call(call, QDBus::Block, kExitCallTimeout);
    }
}

void ScreenSaverInhibitor::hold(Reason reason)
{
    m_reasons.insert(reason);
    inhibit();
}

void ScreenSaverInhibitor::release(Reason reason)
{
    m_reasons.erase(reason);
    if (m_reasons.empty())
        uninhibit();
}

void ScreenSaverInhibitor::releaseAll()
{
    m_reasons.clear();
    uninhibit();
}

void ScreenSaverInhibitor::inhibit()
{
    if (m_pending || m_cookie != 0 || !m_portalRequest.path().isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        kScreenSaverService, kScreenSaverPath, kScreenSaverService, QStringLiteral("Inhibit"));
    call << QStringLiteral("TibboRead") << kReason;
    m_pending = true;
    m_inhibitAnswer = bus.asyncCall(call, kInhibitTimeout);
    auto *watcher = new QDBusPendingCallWatcher(*m_inhibitAnswer, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        m_pending = false;
        m_inhibitAnswer.reset();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError() || reply.value() == 0)
            return inhibitByPortal();
        m_cookie = reply.value();
        emit inhibitedChanged(true);
        // Released while the request was on its way.
        if (m_reasons.empty())
            uninhibit();
    });
}

void ScreenSaverInhibitor::inhibitByPortal()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, QStringLiteral("org.freedesktop.portal.Inhibit"),
        QStringLiteral("Inhibit"));
    call << QString() << kPortalInhibitIdle << QVariantMap{{QStringLiteral("reason"), kReason}};
    m_pending = true;
    auto *watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        m_pending = false;
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError())
            return;
        m_portalRequest = reply.value();
        emit inhibitedChanged(true);
        if (m_reasons.empty())
            uninhibit();
    });
}

void ScreenSaverInhibitor::uninhibit()
{
    // A request still on its way is given back when its answer comes.
    if (m_cookie != 0) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kScreenSaverService, kScreenSaverPath,
                                           kScreenSaverService, QStringLiteral("UnInhibit"));
        call << std::exchange(m_cookie, 0u);
        QDBusConnection::sessionBus().asyncCall(call);
        emit inhibitedChanged(false);
    } else if (!m_portalRequest.path().isEmpty()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            kPortalService, std::exchange(m_portalRequest, QDBusObjectPath()).path(),
            QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close"));
        QDBusConnection::sessionBus().asyncCall(call);
        emit inhibitedChanged(false);
    }
}

} // namespace tibbo::window
