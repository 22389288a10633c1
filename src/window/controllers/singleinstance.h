#pragma once
// One reader at a time for one application folder: the first process listens on a
// local socket; a later launch hands it the book it was given (or nothing, to bring the
// window to the front) and ends, so two processes never write the same settings.ini.
// The socket is named after the user and the folder; one left behind by a reader that
// was killed is found silent, removed and taken over.

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace tibbo::window {

class SingleInstance : public QObject
{
    Q_OBJECT
  public:
    // serverName: serverNameFor(the application folder), or any full socket path.
    explicit SingleInstance(const QString &serverName, QObject *parent = nullptr);

    // A socket path in $XDG_RUNTIME_DIR (without one, in a folder of the user's own in
    // the temporary folder) that is the same for every launch by this user on this
    // application folder.
    static QString serverNameFor(const QString &appFolder);

    // A later launch: hands `bookPath` (absolute, or empty) to the running reader and
    // waits for its answer. True when a running reader took it.
    bool handOver(const QString &bookPath, int timeoutMs = 3000);
    enum class Listen { Listening, AnotherAnswers, Failed };
    // The first launch: listens for later ones. AnotherAnswers when a reader that started
    // meanwhile holds the name.
    Listen listen();
    bool listening() const;
    QString serverName() const { return m_serverName; }

  public slots:
    // From now on each hand-over is reported at once; those that came before (while
    // the window was still starting) are reported now, in order.
    void startReceiving();

  signals:
    // A later launch asked for this book; empty: only for the window.
    void bookHandedOver(const QString &bookPath);

  private:
    void onNewConnection();
    void readMessage(QLocalSocket *socket);
    void deliver(const QString &bookPath);

    QString m_serverName;
    QLocalServer *m_server = nullptr;
    bool m_receiving = false;
    QStringList m_held;
};

} // namespace tibbo::window
