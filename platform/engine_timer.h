#pragma once

#include "core/engine_timer.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace rz {

// Below the process threads of JACK, which run at 10 and above by default:
// the timer feeds them and must never preempt them.
inline constexpr int kEngineTimerFifoPriority = 5;

struct EngineTimerOptions {
    // Ask for SCHED_FIFO; without permission the timer runs with normal
    // scheduling and says so once on standard error.
    bool realtime = true;
    int fifoPriority = kEngineTimerFifoPriority;
};

// The engine's timer: one thread of ours, created by the first start and
// kept until destruction, sleeping until absolute deadlines on
// CLOCK_MONOTONIC. The k-th tick of a run is due at start + k x period;
// late ticks run back to back, and more than 100 ms behind the run leaves
// out the ticks it missed (the next one runs with the latest deadline
// passed) and counts an overrun. Callbacks run on the timer
// thread with currentTickTime() at their deadline; an exception from one
// is caught, counted and logged once, and the timer runs on.
class EngineTimer : public IEngineTimer {
public:
    explicit EngineTimer(EngineTimerOptions options = {});
    // Ends the thread; never from inside a callback.
    ~EngineTimer() override;
    EngineTimer(const EngineTimer&) = delete;
    EngineTimer& operator=(const EngineTimer&) = delete;

    TimerStartResult start(TimerMode mode, uint32_t periodMs, TimerCallback callback,
                           uint32_t user) override;
    void stopAndWait() override;
    TimerMode mode() const override;
    uint64_t overrunCount() const override;
    uint64_t failedCallbackCount() const override;

    // Whether the thread got SCHED_FIFO; false until the first start.
    bool realtime() const;

protected:
    // Creates the timer thread running `body`; false when the system
    // refuses. Tests override it to make a start fail.
    virtual bool spawnThread(std::function<void()> body);

private:
    void threadMain();
    void runTick(std::unique_lock<std::mutex>& lock, TickTime deadline);
    void applyScheduling();
    void noteCallbackFailure(const char* what);

    const EngineTimerOptions m_options;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;     // the thread: a run started or the timer ends
    std::condition_variable m_idle;     // stopAndWait: a callback returned
    std::thread m_thread;
    std::thread::id m_threadId;
    bool m_quit = false;
    bool m_realtime = false;

    // The current run; replaced as a whole by start().
    TimerMode m_mode = TimerMode::Off;
    uint64_t m_generation = 0;
    std::chrono::nanoseconds m_period{0};
    std::shared_ptr<const TimerCallback> m_callback;
    uint32_t m_user = 0;
    TickTime m_anchor{};
    uint64_t m_nextTick = 1;

    bool m_inCallback = false;
    uint64_t m_callbacksStarted = 0;
    uint64_t m_overruns = 0;
    uint64_t m_failedCallbacks = 0;
};

} // namespace rz
