#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace tibbo::window {

namespace {

const QByteArray kHeader = QByteArrayLiteral("TibboRead-open ");
constexpr char kAck[] = "ok\n";
// The header line is the word, a blank, at most six digits and the LF.
constexpr qint64 kLongestHeader = 32;
// A path longer than this is not from a reader (the system's own limit is 4 KiB).
constexpr qint64 kLongestPath = 64 * 1024;

// The process at the other end of a connected local socket runs as this user.
bool peerIsThisUser(qintptr descriptor)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

void drop(QLocalSocket *socket)
{
    socket->abort();
    socket->deleteLater();
}

// The path of a whole message at the start of `bytes`; nothing while it is not whole
// yet; `refused` when it cannot be a message (then the connection is dropped).
std::optional<QByteArray> pathOfMessage(const QByteArray &bytes, bool &refused)
{
    refused = true;
    const qsizetype lineEnd = bytes.indexOf('\n');
    if (lineEnd < 0) {
        refused = bytes.size() > kLongestHeader;
        return std::nullopt;
    }
    if (lineEnd > kLongestHeader || !bytes.startsWith(kHeader))
        return std::nullopt;
    const QByteArray digits = bytes.mid(kHeader.size(), lineEnd - kHeader.size());
    if (digits.isEmpty() || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const qint64 length = digits.toLongLong();
    if (length > kLongestPath)
        return std::nullopt;
    const qint64 whole = lineEnd + 1 + length;
    // One message a connection: more bytes than it holds is no reader's.
    if (bytes.size() > whole)
        return std::nullopt;
    refused = false;
    if (bytes.size() < whole)
        return std::nullopt;
    QByteArray path = bytes.mid(lineEnd + 1);
    // A book path is absolute; none (only to the front) is empty.
    refused = path.contains('\0') || (!path.isEmpty() && !path.startsWith('/'));
    if (refused)
        return std::nullopt;
    return path;
}

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

QString SingleInstance::folder() const
{
    return QFileInfo(m_serverName).path();
}

QString SingleInstance::refusedFolderMessage() const
{
    return QStringLiteral(
               "文件夹 %1 不是只属于你的 (它的主人不是你, 别人也能进去, 或者它是一个链接). "
               "为了不让别人收到你打开的书, TibboRead 没有在那里建本地连接: "
               "再启动 TibboRead 会另开一个窗口, 不会交给这一个.")
        .arg(folder());
}

// The folder is ours alone: a folder (not a link), owned by this user, mode 0700. A
// missing one is made so (mkdir's mode is cut by the umask, so it is set again); one
// that is there and is not ours is refused.
bool SingleInstance::folderIsPrivate(bool makeWhenMissing)
{
    const QByteArray path = QFile::encodeName(folder());
    if (makeWhenMissing && ::mkdir(path.constData(), 0700) == 0)
        ::chmod(path.constData(), 0700);
    struct stat st
    {
    };
    if (::lstat(path.constData(), &st) != 0)
        return false;
    const bool ours =
        S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0777) == 0700;
    m_folderRefused = !ours;
    return ours;
}

bool SingleInstance::handOver(const QString &bookPath, int timeoutMs)
{
    if (!folderIsPrivate(false))
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs) || !peerIsThisUser(socket.socketDescriptor()))
        return false;
    const QByteArray path = QFile::encodeName(bookPath);
    socket.write(kHeader + QByteArray::number(path.size()) + '\n' + path);
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
    if (!folderIsPrivate(true))
        return m_folderRefused ? Listen::FolderRefused : Listen::Failed;
    const Listen result = listenOnce();
    if (result == Listen::Listening && !m_folderWatcher) {
        m_folderWatcher = new QFileSystemWatcher(QStringList{folder()}, this);
        connect(m_folderWatcher, &QFileSystemWatcher::directoryChanged, this,
                &SingleInstance::onFolderChanged);
    }
    return result;
}

SingleInstance::Listen SingleInstance::listenOnce()
{
    // No socket options: with them Qt puts the socket in place by a rename, which would
    // take the name from a reader that is running.
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

// A socket file removed under the reader (a cleaner of the temporary folder, a user) or
// a server that closed itself would let the next launch become a second reader, whose
// exit writes over this one's settings.ini: the name is taken up again.
void SingleInstance::onFolderChanged()
{
    struct stat st
    {
    };
    const bool socketThere =
        ::lstat(QFile::encodeName(m_serverName).constData(), &st) == 0 && S_ISSOCK(st.st_mode);
    if (socketThere && listening())
        return;
    if (!folderIsPrivate(true))
        return;
    // Closing removes the socket file by its name; it is gone already.
    if (listening() && !socketThere)
        m_server->close();
    if (listenOnce() == Listen::Listening && !m_folderWatcher->directories().contains(folder()))
        m_folderWatcher->addPath(folder());
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
        if (!peerIsThisUser(socket->socketDescriptor())) {
            drop(socket);
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
        QTimer::singleShot(kMessageDeadlineMs, socket, [socket] { drop(socket); });
        m_connections.removeAll(nullptr);
        m_connections.append(socket);
        while (m_connections.size() > kMaxConnections)
            if (QLocalSocket *oldest = m_connections.takeFirst())
                drop(oldest);
        readMessage(socket);
    }
}

// A message may come in pieces: it is taken when it is whole.
void SingleInstance::readMessage(QLocalSocket *socket)
{
    const QByteArray bytes = socket->peek(std::min(socket->bytesAvailable(), kLongestPath * 2));
    bool refused = false;
    const std::optional<QByteArray> path = pathOfMessage(bytes, refused);
    if (refused) {
        drop(socket);
        return;
    }
    if (!path)
        return;
    socket->read(bytes.size());
    socket->write(kAck);
    socket->flush();
    socket->disconnectFromServer();
    deliver(QFile::decodeName(*path));
}

void SingleInstance::deliver(const QString &bookPath)
{
    if (m_receiving)
        emit bookHandedOver(bookPath);
    else
        m_held << bookPath;
}

} // namespace tibbo::window
