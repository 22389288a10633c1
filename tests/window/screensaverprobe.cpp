// Plays the desktop's screen saver on the session bus for the script tests: owns
// org.freedesktop.ScreenSaver and prints every Inhibit and UnInhibit it is asked for, one
// line each ("inhibit 1 TibboRead", "uninhibit 1"), then "ready" once it serves. Runs
// until it is ended.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QObject>

#include <cstdio>

class ScreenSaverProbe : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public slots:
    uint Inhibit(const QString &application, const QString &)
    {
        std::printf("inhibit %u %s\n", m_next, qPrintable(application));
        std::fflush(stdout);
        return m_next++;
    }
    void UnInhibit(uint cookie)
    {
        std::printf("uninhibit %u\n", cookie);
        std::fflush(stdout);
    }

  private:
    uint m_next = 1;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ScreenSaverProbe probe;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &probe,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"))) {
        std::fprintf(stderr, "the session bus refused the screen saver's name\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "screensaverprobe.moc"
