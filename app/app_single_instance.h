#pragma once

#include "core/hand_over.h"

#include <QObject>
#include <QString>

#include <deque>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace rz {

// One copy of the program at a time. The first copy listens on a local
// socket; a copy started later hands its file to it and ends. Messages that
// arrive are queued until the main frame's one-second timer takes them.
// GUI thread.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        Primary,    // this copy runs; it listens unless the socket could not be made
        HandedOver, // another copy runs and has the message
    };

    // "devurizoraz" in $XDG_RUNTIME_DIR, else in a private folder
    // "devurizoraz-<uid>" of the temporary folder, made with mode 0700. A
    // folder there that is not the user's own private folder (another
    // owner, a symbolic link, open to others) is refused: empty, with the
    // reason in `problem`.
    static QString defaultServerPath(std::string* problem = nullptr);
    // The check behind it, for a folder of the caller's choice.
    static bool isPrivateFolder(const QString& folder, std::string& problem);

    explicit SingleInstance(QString serverPath = defaultServerPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Hands `message` to a running copy, or, when none answers, removes a
    // socket a killed copy left and listens. A lock file around both keeps
    // two copies started together from both listening. A socket answered by
    // another user's process gets nothing: this copy runs without listening,
    // and warning() says why. An empty path claims Primary without a socket.
    Claim claim(const std::string& message);
    bool listening() const;
    const std::string& warning() const { return m_warning; }
    const QString& serverPath() const { return m_path; }

    // The messages received so far, oldest first; the queue is emptied.
    std::vector<HandOverMessage> takeMessages();
    size_t pendingCount() const { return m_queue.size(); }

signals:
    void messageQueued();

private:
    bool handOver(const std::string& message);
    void listen();
    void acceptConnections();
    void readFrom(QLocalSocket* socket);
    void finish(QLocalSocket* socket);

    QString m_path;
    QLocalServer* m_server = nullptr;
    std::string m_warning;
    std::deque<HandOverMessage> m_queue;
};

} // namespace rz
