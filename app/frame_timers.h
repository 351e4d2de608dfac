#pragma once

#include <QObject>

#include <functional>
#include <map>

namespace rz {

// The main frame's numbered timers. A timer repeats every `ms` until killed;
// the handler kills the one-shot ones. Starting a running id restarts it, so
// two requests before it fires give one call. GUI thread, except
// requestFromAnyThread().
class FrameTimers : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(int id)>;

    explicit FrameTimers(Handler onTimer, QObject* parent = nullptr);
    ~FrameTimers() override;

    void start(int id, int ms);
    void kill(int id);
    bool isActive(int id) const { return m_running.contains(id); }
    // Runs the handler for `id` now, as its timer would.
    void fire(int id);

    // Any thread; queues start(id, ms) on the GUI thread and never waits.
    void requestFromAnyThread(int id, int ms);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    Handler m_onTimer;
    std::map<int, int> m_running; // our id -> Qt timer id
    std::map<int, int> m_byQtId;  // Qt timer id -> our id
};

} // namespace rz
