#include "app/app_single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

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

} // namespace

QString SingleInstance::defaultServerPath()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists())
        return QDir(QString::fromLocal8Bit(runtime)).filePath("devurizoraz");
    return QDir(QDir::tempPath()).filePath(QString("devurizoraz-%1").arg(getuid()));
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
    QLockFile lock(m_path + ".lock");
    lock.tryLock(kLockWaitMs); // without the lock the claim goes on all the same
    if (handOver(message))
        return Claim::HandedOver;
    listen();
    return Claim::Primary;
}

bool SingleInstance::handOver(const std::string& message)
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kConnectWaitMs))
        return false;
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
