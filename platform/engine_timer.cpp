#include "platform/engine_timer.h"

#include "core/log.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <string>
#include <pthread.h>
#include <sched.h>
#include <system_error>
#include <time.h>

namespace rz {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A run this far behind its schedule gives up catching up.
constexpr auto kMaxLateness = 100ms;
// The longest single sleep, so that a new run or the end of the timer is
// noticed soon even while a long period runs.
constexpr auto kMaxNap = 20ms;

static_assert(Clock::is_steady);

std::atomic<bool> g_toldNoRealtime{false};

} // namespace

EngineTimer::EngineTimer(EngineTimerOptions options) : m_options(options) {}

EngineTimer::~EngineTimer()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_mode = TimerMode::Off;
        ++m_generation;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool EngineTimer::spawnThread(std::function<void()> body)
{
    try {
        m_thread = std::thread(std::move(body));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

TimerStartResult EngineTimer::start(TimerMode mode, uint32_t periodMs, TimerCallback callback,
                                    uint32_t user)
{
    if (mode == TimerMode::Off)
        return TimerStartResult::BadMode;
    if (!validTimerStart(mode, periodMs))
        return TimerStartResult::BadPeriod;
    if (!callback)
        return TimerStartResult::NoCallback;
    auto shared = std::make_shared<const TimerCallback>(std::move(callback));
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable()) {
            if (!spawnThread([this] { threadMain(); }))
                return TimerStartResult::NoThread;
            m_threadId = m_thread.get_id();
            applyScheduling();
        }
        ++m_generation;
        m_mode = mode;
        m_period = std::chrono::milliseconds(periodMs);
        m_callback = std::move(shared);
        m_user = user;
        m_anchor = Clock::now();
        // A start of play waits for nothing: its first tick is due now.
        m_nextTick = mode == TimerMode::Playback ? 0 : 1;
    }
    m_wake.notify_all();
    return TimerStartResult::Started;
}

void EngineTimer::stopAndWait()
{
    std::unique_lock lock(m_mutex);
    m_mode = TimerMode::Off;
    ++m_generation;
    if (std::this_thread::get_id() == m_threadId)
        return;
    // Callbacks started after this point belong to later runs.
    const uint64_t started = m_callbacksStarted;
    m_idle.wait(lock, [&] { return !m_inCallback || m_callbacksStarted != started; });
}

TimerMode EngineTimer::mode() const
{
    std::lock_guard lock(m_mutex);
    return m_mode;
}

uint64_t EngineTimer::overrunCount() const
{
    std::lock_guard lock(m_mutex);
    return m_overruns;
}

uint64_t EngineTimer::failedCallbackCount() const
{
    std::lock_guard lock(m_mutex);
    return m_failedCallbacks;
}

bool EngineTimer::realtime() const
{
    std::lock_guard lock(m_mutex);
    return m_realtime;
}

// Runs on the creating thread, with m_mutex held, right after the timer
// thread was made.
void EngineTimer::applyScheduling()
{
    if (!m_options.realtime)
        return;
    sched_param param{};
    param.sched_priority = m_options.fifoPriority;
    const int error = pthread_setschedparam(m_thread.native_handle(), SCHED_FIFO, &param);
    m_realtime = error == 0;
    if (error == EPERM && !g_toldNoRealtime.exchange(true))
        writeLog("engine timer: SCHED_FIFO not permitted; using normal scheduling");
}

// Runs on the timer thread.
void EngineTimer::threadMain()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (m_mode == TimerMode::Off) {
            m_wake.wait(lock);
            continue;
        }
        const uint64_t generation = m_generation;
        const TickTime deadline = m_anchor + m_period * m_nextTick;
        const TickTime now = Clock::now();
        // A new run or the end wakes the wait at once (the idle nap would
        // otherwise hold back the first tick of a start).
        if (now < deadline)
            m_wake.wait_until(lock, std::min(deadline, now + kMaxNap),
                              [&] { return generation != m_generation || m_quit; });
        if (generation != m_generation || m_quit || Clock::now() < deadline)
            continue;
        runTick(lock, deadline);
    }
}

// Runs on the timer thread with `lock` held; releases it around the callback.
void EngineTimer::runTick(std::unique_lock<std::mutex>& lock, TickTime deadline)
{
    const TickTime now = Clock::now();
    if (now - deadline > kMaxLateness) {
        // Too far behind to catch up tick by tick: the ticks of the gap are
        // left out, the schedule kept. The callback sees the gap in its
        // deadline and moves its clock across it.
        ++m_overruns;
        m_nextTick = uint64_t((now - m_anchor) / m_period);
        deadline = m_anchor + m_period * m_nextTick;
    }
    ++m_nextTick;
    std::shared_ptr<const TimerCallback> callback = m_callback;
    const uint32_t user = m_user;
    m_inCallback = true;
    ++m_callbacksStarted;
    lock.unlock();
    try {
        TickTimeScope tick(deadline);
        (*callback)(user);
    } catch (const std::exception& error) {
        noteCallbackFailure(error.what());
    } catch (...) {
        noteCallbackFailure("unknown exception");
    }
    lock.lock();
    m_inCallback = false;
    lock.unlock();
    m_idle.notify_all();
    lock.lock();
}

// Runs on the timer thread without m_mutex.
void EngineTimer::noteCallbackFailure(const char* what)
{
    uint64_t failures;
    {
        std::lock_guard lock(m_mutex);
        failures = ++m_failedCallbacks;
    }
    if (failures == 1)
        writeLog(std::string("engine timer: a callback threw (") + what + "); the timer runs on");
}

} // namespace rz
