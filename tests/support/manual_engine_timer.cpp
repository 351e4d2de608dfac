#include "tests/support/manual_engine_timer.h"

#include <exception>

namespace rz {

ManualEngineTimer::ManualEngineTimer(uint32_t startMs) : m_clock(startMs), m_nowMs(startMs)
{
    setProgramClock(&m_clock);
}

ManualEngineTimer::~ManualEngineTimer()
{
    setProgramClock(nullptr);
}

TimerStartResult ManualEngineTimer::start(TimerMode mode, uint32_t periodMs,
                                          TimerCallback callback, uint32_t user)
{
    if (mode == TimerMode::Off)
        return TimerStartResult::BadMode;
    if (!validTimerStart(mode, periodMs))
        return TimerStartResult::BadPeriod;
    if (!callback)
        return TimerStartResult::NoCallback;
    if (m_beforeStart)
        m_beforeStart(mode);
    {
        std::lock_guard lock(m_mutex);
        if (m_failNextStart) {
            m_failNextStart = false;
            return TimerStartResult::NoThread;
        }
        m_mode = mode;
        m_periodMs = periodMs;
        m_user = user;
        m_callback = std::make_shared<const TimerCallback>(std::move(callback));
        m_nextDueMs = m_nowMs + periodMs;
        ++m_starts;
    }
    if (m_afterStart)
        m_afterStart(mode);
    return TimerStartResult::Started;
}

void ManualEngineTimer::stopAndWait()
{
    std::unique_lock lock(m_mutex);
    m_mode = TimerMode::Off;
    m_callback.reset();
    if (m_inCallback && m_callbackThread == std::this_thread::get_id())
        return;
    m_idle.wait(lock, [this] { return !m_inCallback; });
}

TimerMode ManualEngineTimer::mode() const
{
    std::lock_guard lock(m_mutex);
    return m_mode;
}

uint64_t ManualEngineTimer::failedCallbackCount() const
{
    std::lock_guard lock(m_mutex);
    return m_failedCallbacks;
}

uint32_t ManualEngineTimer::periodMs() const
{
    std::lock_guard lock(m_mutex);
    return m_periodMs;
}

uint32_t ManualEngineTimer::user() const
{
    std::lock_guard lock(m_mutex);
    return m_user;
}

uint64_t ManualEngineTimer::startCount() const
{
    std::lock_guard lock(m_mutex);
    return m_starts;
}

// With m_mutex held: when a tick of the current run is due by `targetMs`,
// moves the clock to it, marks the callback running and hands it out.
bool ManualEngineTimer::takeDueTick(uint64_t targetMs, TickTime& deadline,
                                    std::shared_ptr<const TimerCallback>& callback,
                                    uint32_t& user)
{
    if (m_mode == TimerMode::Off || m_nextDueMs > targetMs)
        return false;
    m_nowMs = m_nextDueMs;
    m_clock.set(uint32_t(m_nowMs));
    m_nextDueMs += m_periodMs;
    deadline = TickTime(std::chrono::milliseconds(m_nowMs));
    callback = m_callback;
    user = m_user;
    m_inCallback = true;
    m_callbackThread = std::this_thread::get_id();
    return true;
}

void ManualEngineTimer::stall(uint32_t ms)
{
    std::lock_guard lock(m_mutex);
    m_nowMs += ms;
    m_clock.set(uint32_t(m_nowMs));
    if (m_mode != TimerMode::Off && m_periodMs != 0 && m_nextDueMs <= m_nowMs)
        m_nextDueMs += (m_nowMs - m_nextDueMs) / m_periodMs * m_periodMs;
}

void ManualEngineTimer::advance(uint32_t ms)
{
    std::unique_lock lock(m_mutex);
    const uint64_t targetMs = m_nowMs + ms;
    TickTime deadline;
    std::shared_ptr<const TimerCallback> callback;
    uint32_t user = 0;
    while (takeDueTick(targetMs, deadline, callback, user)) {
        lock.unlock();
        bool failed = false;
        try {
            TickTimeScope tick(deadline);
            (*callback)(user);
        } catch (...) {
            failed = true;
        }
        lock.lock();
        m_inCallback = false;
        if (failed)
            ++m_failedCallbacks;
        m_idle.notify_all();
    }
    m_nowMs = targetMs;
    m_clock.set(uint32_t(m_nowMs));
}

} // namespace rz
