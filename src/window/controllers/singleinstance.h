#pragma once
// One reader at a time for one application folder: the first process listens on a
// local socket; a later launch hands it the book it was given (or nothing, to bring the
// window to the front) and ends, so two processes never write the same settings.ini.
// The socket is named after the user and the folder; one left behind by a reader that
// was killed is found silent, removed and taken over.
//
// The socket tells other processes which books the reader opens, and whoever holds the
// name receives every launch: it lies only in a folder that is the user's own, a
// folder and not a link, mode 0700; a folder that is not is refused (the reader then
// runs without the hand-over) rather than used. Both ends check that the process at the
// other end runs as the same user (SO_PEERCRED). A connection that has not sent a whole
// message within kMessageDeadlineMs is closed, at most kMaxConnections are open at
// once (the oldest goes first), and a socket file that vanished is made again, so
// silent clients can neither use up the reader's descriptors nor take its name.
//
// A hand-over is "TibboRead-open <n>\n" and then the n bytes of the path (its local
// encoding; n = 0 for none), so any path comes over exactly, line ends included. The
// answer is "ok\n"; a message that does not parse is dropped without one.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QFileSystemWatcher;
class QLocalServer;
class QLocalSocket;

namespace tibbo::window {

class SingleInstance : public QObject
{
    Q_OBJECT
  public:
    static constexpr int kMessageDeadlineMs = 3000;
    static constexpr int kMaxConnections = 8;

    // serverName: serverNameFor(the application folder), or any full socket path.
    explicit SingleInstance(const QString &serverName, QObject *parent = nullptr);

    // A socket path in $XDG_RUNTIME_DIR (without one, in the folder TibboRead-<uid> of
    // the temporary folder) that is the same for every launch by this user on this
    // application folder.
    static QString serverNameFor(const QString &appFolder);

    // The folder the socket lies in, and whether it was refused (see above). handOver
    // and listen refuse it; until one of them has looked, it counts as not refused.
    QString folder() const;
    bool folderRefused() const { return m_folderRefused; }
    // What the reader tells the user about a refused folder.
    QString refusedFolderMessage() const;

    // A later launch: hands `bookPath` (absolute, or empty) to the running reader and
    // waits for its answer. True when a running reader took it; false at once when the
    // folder is refused.
    bool handOver(const QString &bookPath, int timeoutMs = 3000);
    enum class Listen { Listening, AnotherAnswers, Failed, FolderRefused };
    // The first launch: makes the folder when it is missing and listens for later ones.
    // AnotherAnswers when a reader that started meanwhile holds the name.
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
    bool folderIsPrivate(bool makeWhenMissing);
    Listen listenOnce();
    void onNewConnection();
    void onFolderChanged();
    void readMessage(QLocalSocket *socket);
    void deliver(const QString &bookPath);

    QString m_serverName;
    QLocalServer *m_server = nullptr;
    QFileSystemWatcher *m_folderWatcher = nullptr;
    bool m_folderRefused = false;
    bool m_receiving = false;
    QStringList m_held;
    // Open connections, oldest first.
    QList<QPointer<QLocalSocket>> m_connections;
};

} // namespace tibbo::window
