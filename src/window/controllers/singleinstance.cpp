#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

#include <utility>

namespace tibbo::window {

namespace {

// One message a line: the book path in UTF-8 (empty for none); the answer is kAck.
constexpr char kAck[] = "ok\n";
// A message longer than any path is not from a reader.
constexpr qint64 kMaxMessage = 64 * 1024;

} // namespace

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent), m_serverName(serverName)
{
}

QString SingleInstance::serverNameFor(const QString &appFolder)
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QStringLiteral("%1/TibboRead-%2").arg(QDir::tempPath()).arg(::getuid());
    // A short hash keeps the socket path within the length a local socket allows.
    const QByteArray folderHash =
        QCryptographicHash::hash(QDir::cleanPath(appFolder).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    return QStringLiteral("%1/TibboRead-%2-%3")
        .arg(dir)
        .arg(::getuid())
        .arg(QString::fromLatin1(folderHash));
}

bool SingleInstance::handOver(const QString &bookPath, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(bookPath.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The reader answers once it has the whole message.
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    return socket.readLine() == kAck;
}

SingleInstance::Listen SingleInstance::listen()
{
    if (listening())
        return Listen::Listening;
    // The socket lies in a folder only the user may enter. No socket options: with them
    // Qt puts the socket in place by a rename, which would take the name from a reader
    // that is running.
    const QString dir = QFileInfo(m_serverName).path();
    if (!QFileInfo(dir).isDir() && QDir().mkpath(dir))
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!m_server) {
        m_server = new QLocalServer(this);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    }
    if (m_server->listen(m_serverName))
        return Listen::Listening;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError)
        return Listen::Failed;
    // The name is taken: by a reader that answers, or by one that died without
    // removing its socket.
    QLocalSocket probe;
    probe.connectToServer(m_serverName);
    if (probe.waitForConnected(500)) {
        probe.abort();
        return Listen::AnotherAnswers;
    }
    QLocalServer::removeServer(m_serverName);
    return m_server->listen(m_serverName) ? Listen::Listening : Listen::Failed;
}

bool SingleInstance::listening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::startReceiving()
{
    m_receiving = true;
    const QStringList held = std::exchange(m_held, {});
    for (const QString &path : held)
        emit bookHandedOver(path);
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
        readMessage(socket);
    }
}

// A message may come in pieces: it is read when its line is whole.
void SingleInstance::readMessage(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxMessage)
            socket->abort();
        return;
    }
    const QString path = QString::fromUtf8(socket->readLine()).chopped(1);
    socket->write(kAck);
    socket->flush();
    socket->disconnectFromServer();
    deliver(path);
}

void SingleInstance::deliver(const QString &bookPath)
{
    if (m_receiving)
        emit bookHandedOver(bookPath);
    else
        m_held << bookPath;
}

} // namespace tibbo::window
