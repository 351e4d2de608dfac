#pragma once

#include "core/gui_post.h"
#include "tests/support/recording_engine_host.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace rz {

// A GUI side with a "GUI" thread of its own: posted calls run there one by
// one, in the order posted, and the GUI-side calls land in `recorder` with
// that thread's id. Build the engine's EngineToGui over it with guiThreadId().
class QueuedEngineHost : public IGuiThreadQueue {
public:
    RecordingEngineHost recorder;

    QueuedEngineHost();
    // Runs what is still queued, then ends the thread.
    ~QueuedEngineHost() override;
    QueuedEngineHost(const QueuedEngineHost&) = delete;
    QueuedEngineHost& operator=(const QueuedEngineHost&) = delete;

    // Any thread; never waits for the GUI thread.
    void postToGui(std::function<void()> call) override;

    // Runs `call` on the GUI thread after everything posted before it and
    // waits for it. Not from the GUI thread.
    void runAndWait(std::function<void()> call);
    // Waits until everything posted so far has run. Not from the GUI thread.
    void drain() { runAndWait([] {}); }

    std::thread::id guiThreadId() const { return m_thread.get_id(); }
    // Calls posted so far, runAndWait's included.
    uint64_t postedCount() const;

private:
    void loop();

    mutable std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_calls;
    uint64_t m_postedCount = 0;
    bool m_quit = false;
    std::thread m_thread;
};

} // namespace rz
