// The screen kept on over a private session bus (the test runs under dbus-run-session):
// a fake screen saver, and a fake desktop portal where the screen saver is missing, each
// served from a thread of their own so that the reader's calls are answered at once.
#include "screensaverinhibitor.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMutex>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>
#include <set>

using namespace tibbo::window;

namespace {

// The calls a fake service answered, read by the test thread.
struct Record
{
    QMutex mutex;
    std::set<uint> held;
    int inhibits = 0;
    int releases = 0;

    int heldCount()
    {
        QMutexLocker lock(&mutex);
        return static_cast<int>(held.size());
    }
    int inhibitCount()
    {
        QMutexLocker lock(&mutex);
        return inhibits;
    }
};

class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public:
    explicit FakeScreenSaver(Record &record) : m_record(record) {}
  public slots:
    uint Inhibit(const QString &, const QString &)
    {
        QMutexLocker lock(&m_record.mutex);
        ++m_record.inhibits;
        m_record.held.insert(m_next);
        return m_next++;
    }
    void UnInhibit(uint cookie)
    {
        QMutexLocker lock(&m_record.mutex);
        ++m_record.releases;
        m_record.held.erase(cookie);
    }

  private:
    Record &m_record;
    uint m_next = 7;
};

class FakePortalRequest : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
  public:
    explicit FakePortalRequest(Record &record) : m_record(record) {}
  public slots:
    void Close()
    {
        QMutexLocker lock(&m_record.mutex);
        ++m_record.releases;
        m_record.held.clear();
    }

  private:
    Record &m_record;
};

class FakePortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
  public:
    explicit FakePortal(Record &record) : m_record(record) {}
  public slots:
    QDBusObjectPath Inhibit(const QString &, uint flags, const QVariantMap &options)
    {
        QMutexLocker lock(&m_record.mutex);
        ++m_record.inhibits;
        // Idle (8) is what keeps the screen on; the reason is shown by the desktop.
        if (flags == 8 && !options.value(QStringLiteral("reason")).toString().isEmpty())
            m_record.held.insert(1);
        return QDBusObjectPath(QStringLiteral("/org/freedesktop/portal/desktop/request/1/t"));
    }

  private:
    Record &m_record;
};

// A service on a connection and a thread of its own.
class Service
{
  public:
    Service(const QString &name, std::vector<std::pair<QString, QObject *>> objects)
        : m_name(name), m_connectionName(QStringLiteral("fake-") + name)
    {
        m_thread.start();
        QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName);
        for (auto &[path, object] : objects) {
            object->moveToThread(&m_thread);
            bus.registerObject(path, object, QDBusConnection::ExportAllSlots);
            m_objects.emplace_back(object);
        }
        bus.registerService(name);
    }
    ~Service()
    {
        QDBusConnection::disconnectFromBus(m_connectionName);
        m_thread.quit();
        m_thread.wait();
    }

  private:
    QString m_name;
    QString m_connectionName;
    QThread m_thread;
    std::vector<std::unique_ptr<QObject>> m_objects;
};

} // namespace

class ScreenSaverTest : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase();
    void twoReasons_oneRequestHeldUntilBothGo();
    void releasedBeforeTheAnswer_isGivenBack();
    void exitWhileHolding_releases();
    void withoutScreenSaver_thePortal();
};

void ScreenSaverTest::initTestCase()
{
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "runs under dbus-run-session");
}

void ScreenSaverTest::twoReasons_oneRequestHeldUntilBothGo()
{
    Record record;
    Service saver(QStringLiteral("org.freedesktop.ScreenSaver"),
                  {{QStringLiteral("/org/freedesktop/ScreenSaver"), new FakeScreenSaver(record)}});
    ScreenSaverInhibitor inhibitor;
    QSignalSpy changed(&inhibitor, &ScreenSaverInhibitor::inhibitedChanged);
    inhibitor.hold(ScreenSaverInhibitor::Reason::ReadingAloud);
    inhibitor.hold(ScreenSaverInhibitor::Reason::AutoTurning);
    QTRY_COMPARE(record.heldCount(), 1);
    QTRY_COMPARE(changed.count(), 1);
    inhibitor.release(ScreenSaverInhibitor::Reason::ReadingAloud);
    QTest::qWait(50);
    QCOMPARE(record.heldCount(), 1);
    QVERIFY(inhibitor.holding());
    inhibitor.release(ScreenSaverInhibitor::Reason::AutoTurning);
    QTRY_COMPARE(record.heldCount(), 0);
    QCOMPARE(record.inhibitCount(), 1);
    // Held again later: a new request.
    inhibitor.hold(ScreenSaverInhibitor::Reason::AutoTurning);
    QTRY_COMPARE(record.heldCount(), 1);
    QCOMPARE(record.inhibitCount(), 2);
}

// Regression: a stop right after a start must not leave the screen held by a request
// whose answer came after the stop.
void ScreenSaverTest::releasedBeforeTheAnswer_isGivenBack()
{
    Record record;
    Service saver(QStringLiteral("org.freedesktop.ScreenSaver"),
                  {{QStringLiteral("/org/freedesktop/ScreenSaver"), new FakeScreenSaver(record)}});
    ScreenSaverInhibitor inhibitor;
    inhibitor.hold(ScreenSaverInhibitor::Reason::ReadingAloud);
    inhibitor.release(ScreenSaverInhibitor::Reason::ReadingAloud);
    QTRY_COMPARE(record.inhibitCount(), 1);
    QTRY_COMPARE(record.heldCount(), 0);
}

void ScreenSaverTest::exitWhileHolding_releases()
{
    Record record;
    Service saver(QStringLiteral("org.freedesktop.ScreenSaver"),
                  {{QStringLiteral("/org/freedesktop/ScreenSaver"), new FakeScreenSaver(record)}});
    {
        ScreenSaverInhibitor inhibitor;
        inhibitor.hold(ScreenSaverInhibitor::Reason::ReadingAloud);
        QTRY_COMPARE(record.heldCount(), 1);
    }
    // The release went out before the inhibitor was gone. It waits at most half a second
    // for the answer, which a loaded machine may not give in time: the fake service may
    // still be taking the release when the inhibitor is gone.
    QTRY_COMPARE(record.heldCount(), 0);
}

void ScreenSaverTest::withoutScreenSaver_thePortal()
{
    Record record;
    Service portal(QStringLiteral("org.freedesktop.portal.Desktop"),
                   {{QStringLiteral("/org/freedesktop/portal/desktop"), new FakePortal(record)},
                    {QStringLiteral("/org/freedesktop/portal/desktop/request/1/t"),
                     new FakePortalRequest(record)}});
    ScreenSaverInhibitor inhibitor;
    inhibitor.hold(ScreenSaverInhibitor::Reason::ReadingAloud);
    QTRY_COMPARE(record.heldCount(), 1);
    inhibitor.release(ScreenSaverInhibitor::Reason::ReadingAloud);
    QTRY_COMPARE(record.heldCount(), 0);
}

QTEST_MAIN(ScreenSaverTest)
#include "screensaver_test.moc"
