#pragma once

#include "core/engine_timer.h"
#include "core/ms_clock.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace rz {

// The engine timer for tests: nothing runs until advance(), which moves the
// program's millisecond clock and runs the due callbacks on the caller's
// thread. The k-th tick of a run is due at the clock's time at start plus
// k x period, like the real timer's. Installs its own ManualMsClock as the
// program clock for its lifetime.
class ManualEngineTimer : public IEngineTimer {
public:
    explicit ManualEngineTimer(uint32_t startMs = 0);
    ~ManualEngineTimer() override;
    ManualEngineTimer(const ManualEngineTimer&) = delete;
    ManualEngineTimer& operator=(const ManualEngineTimer&) = delete;

    TimerStartResult start(TimerMode mode, uint32_t periodMs, TimerCallback callback,
                           uint32_t user) override;
    void stopAndWait() override;
    TimerMode mode() const override;
    uint64_t overrunCount() const override { return 0; }
    uint64_t failedCallbackCount() const override;

    // Moves the clock by `ms`, running every tick that falls due on the way
    // with the clock set to its deadline.
    void advance(uint32_t ms);
    // Moves the clock by `ms` with the timer thread held up: no tick runs,
    // and those that fell due meanwhile are left out, as the real timer
    // does past its lateness limit; the next advance runs the latest one
    // passed, at its deadline.
    void stall(uint32_t ms);
    // The next start reports NoThread and changes nothing.
    void failNextStart() { m_failNextStart = true; }
    // Run on the starting thread as a start begins, and once it has taken
    // effect (where a realtime timer thread would preempt the starter);
    // set them before the engine starts the timer.
    using StartHook = std::function<void(TimerMode)>;
    void setBeforeStart(StartHook hook) { m_beforeStart = std::move(hook); }
    void setAfterStart(StartHook hook) { m_afterStart = std::move(hook); }

    ManualMsClock& clock() { return m_clock; }
    uint32_t periodMs() const;
    uint32_t user() const;
    uint64_t startCount() const;

private:
    bool takeDueTick(uint64_t targetMs, TickTime& deadline,
                     std::shared_ptr<const TimerCallback>& callback, uint32_t& user);

    ManualMsClock m_clock;
    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    bool m_failNextStart = false;
    StartHook m_beforeStart;
    StartHook m_afterStart;
    TimerMode m_mode = TimerMode::Off;
    uint32_t m_periodMs = 0;
    uint32_t m_user = 0;
    std::shared_ptr<const TimerCallback> m_callback;
    uint64_t m_nowMs;        // the clock without its 32-bit wrap
    uint64_t m_nextDueMs = 0;
    uint64_t m_starts = 0;
    uint64_t m_failedCallbacks = 0;
    bool m_inCallback = false;
    std::thread::id m_callbackThread;
};

} // namespace rz
