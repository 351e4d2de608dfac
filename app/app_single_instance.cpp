#include "app/app_single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rz {
namespace {

constexpr int kConnectWaitMs = 1000;
constexpr int kWriteWaitMs = 2000;
// Two copies started together wait this long for each other's claim.
constexpr int kLockWaitMs = 5000;
// A connection that sends nothing further is dropped after this long.
constexpr int kConnectionLifeMs = 5000;
constexpr const char* kBufferProperty = "rzHandOver";

constexpr const char* kServerName = "devurizoraz";

// The user id of the process at the other end of a connected local socket;
// -1 when the system does not say.
long peerUid(qintptr descriptor)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (descriptor < 0 || ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return -1;
    return long(credentials.uid);
}

std::string localText(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

} // namespace

bool SingleInstance::isPrivateFolder(const QString& folder, std::string& problem)
{
    const std::string path = localText(folder);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        problem = path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode))
        problem = path + " is not a folder";
    else if (info.st_uid != ::getuid())
        problem = path + " belongs to another user (uid " + std::to_string(info.st_uid) + ")";
    else if ((info.st_mode & 077) != 0)
        problem = path + " is open to other users";
    return problem.empty();
}

QString SingleInstance::defaultServerPath(std::string* problem)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists())
        return QDir(QString::fromLocal8Bit(runtime)).filePath(kServerName);
    // The temporary folder is shared: another user could make the socket first.
    const QString folder = QDir(QDir::tempPath()).filePath(QString("devurizoraz-%1").arg(getuid()));
    std::string why;
    if (!isPrivateFolder(folder, why)) {
        if (problem)
            *problem = why;
        return {};
    }
    return QDir(folder).filePath(kServerName);
}

SingleInstance::SingleInstance(QString serverPath, QObject* parent)
    : QObject(parent), m_path(std::move(serverPath))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

SingleInstance::Claim SingleInstance::claim(const std::string& message)
{
    if (m_path.isEmpty())
        return Claim::Primary;
    QLockFile lock(m_path + ".lock");
    lock.tryLock(kLockWaitMs); // without the lock the claim goes on all the same
    if (handOver(message))
        return Claim::HandedOver;
    if (m_warning.empty())
        listen();
    return Claim::Primary;
}

bool SingleInstance::handOver(const std::string& message)
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kConnectWaitMs))
        return false;
    // Another user's process there would get the file's path.
    if (const long uid = peerUid(socket.socketDescriptor()); uid != long(::getuid())) {
        m_warning = localText(m_path) + " is answered by a process of another user (uid " + std::to_string(uid)
                    + "); this copy runs on its own";
        socket.abort();
        return false;
    }
    socket.write(message.data(), qint64(message.size()));
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(kWriteWaitMs))
            break;
    socket.disconnectFromServer();
    return true;
}

// A socket file nobody answers on was left by a copy that was killed.
void SingleInstance::listen()
{
    QLocalServer::removeServer(m_path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_path)) {
        delete m_server;
        m_server = nullptr;
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

bool SingleInstance::listening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (peerUid(socket->socketDescriptor()) != long(::getuid())) {
            socket->abort(); // only the user's own copies hand over files
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { finish(socket); });
        QTimer::singleShot(kConnectionLifeMs, socket, [socket] { socket->abort(); });
        readFrom(socket);
    }
}

// Bytes past the limit are read and dropped.
void SingleInstance::readFrom(QLocalSocket* socket)
{
    QByteArray buffer = socket->property(kBufferProperty).toByteArray();
    const QByteArray bytes = socket->readAll();
    const qsizetype room = qsizetype(kMaxHandOverBytes) - buffer.size();
    if (room > 0)
        buffer.append(bytes.left(room));
    socket->setProperty(kBufferProperty, buffer);
}

void SingleInstance::finish(QLocalSocket* socket)
{
    readFrom(socket);
    const QByteArray buffer = socket->property(kBufferProperty).toByteArray();
    socket->setProperty(kBufferProperty, QByteArray());
    socket->deleteLater();
    const auto messages = splitHandOverMessages(std::string_view(buffer.constData(), size_t(buffer.size())));
    for (const HandOverMessage& message : messages)
        m_queue.push_back(message);
    if (!messages.empty())
        emit messageQueued();
}

std::vector<HandOverMessage> SingleInstance::takeMessages()
{
    std::vector<HandOverMessage> messages(m_queue.begin(), m_queue.end());
    m_queue.clear();
    return messages;
}

} // namespace rz
