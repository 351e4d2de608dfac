#pragma once

#include "core/hand_over.h"

#include <QObject>
#include <QString>

#include <deque>
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

    // "devurizoraz" in $XDG_RUNTIME_DIR, else "devurizoraz-<uid>" in the
    // temporary folder.
    static QString defaultServerPath();

    explicit SingleInstance(QString serverPath = defaultServerPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Hands `message` to a running copy, or, when none answers, removes a
    // socket a killed copy left and listens. A lock file around both keeps
    // two copies started together from both listening.
    Claim claim(const std::string& message);
    bool listening() const;
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
    std::deque<HandOverMessage> m_queue;
};

} // namespace rz
