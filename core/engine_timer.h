#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <utility>

namespace rz {

// What the engine's one timer thread is doing. The idle and the playback
// timer never run at once.
enum class TimerMode : uint8_t { Off, Idle, Playback };

enum class TimerStartResult : uint8_t {
    Started,
    BadMode,     // Off is not a mode to start
    BadPeriod,   // 0 or above kMaxTimerPeriodMs
    NoCallback,
    NoThread,    // the timer thread could not be created
};

inline constexpr uint32_t kIdleTimerPeriodMs = 4;
inline constexpr uint32_t kMaxTimerPeriodMs = 1000;

// A deadline or a moment on the monotonic clock.
using TickTime = std::chrono::steady_clock::time_point;

// Receives the user value its run was started with.
using TimerCallback = std::function<void(uint32_t user)>;

// The engine's periodic timer: one run at a time, each with its own mode,
// period, callback and user value.
class IEngineTimer {
public:
    virtual ~IEngineTimer() = default;

    // Replaces the current run, if any, without waiting for its callback;
    // call stopAndWait() first when the old run must be over. Any thread.
    virtual TimerStartResult start(TimerMode mode, uint32_t periodMs,
                                   TimerCallback callback, uint32_t user) = 0;
    // On return no callback of the stopped run is running or will run.
    // Called from inside a callback it only switches the timer off.
    virtual void stopAndWait() = 0;
    virtual TimerMode mode() const = 0;
    // Times the timer fell more than 100 ms behind and left ticks out.
    virtual uint64_t overrunCount() const = 0;
    // Callbacks that threw; the timer caught them and ran on.
    virtual uint64_t failedCallbackCount() const = 0;

    TimerStartResult startIdle(TimerCallback callback, uint32_t user)
    {
        return start(TimerMode::Idle, kIdleTimerPeriodMs, std::move(callback), user);
    }
    TimerStartResult startPlayback(uint32_t periodMs, TimerCallback callback, uint32_t user)
    {
        return start(TimerMode::Playback, periodMs, std::move(callback), user);
    }
};

inline bool validTimerStart(TimerMode mode, uint32_t periodMs)
{
    return mode != TimerMode::Off && periodMs >= 1 && periodMs <= kMaxTimerPeriodMs;
}

namespace detail {
inline thread_local bool t_inTick = false;
inline thread_local TickTime t_tickDeadline{};
} // namespace detail

// The scheduled deadline of the tick running on this thread, or now on any
// other thread. Devices stamp outgoing messages with it so that their spacing
// follows the schedule rather than the wake-up jitter.
inline TickTime currentTickTime()
{
    return detail::t_inTick ? detail::t_tickDeadline : std::chrono::steady_clock::now();
}

// Marks the calling thread as running the tick scheduled for `deadline` for
// the lifetime of the scope. Timers use it around their callbacks.
class TickTimeScope {
public:
    explicit TickTimeScope(TickTime deadline)
        : m_wasInTick(detail::t_inTick), m_previous(detail::t_tickDeadline)
    {
        detail::t_inTick = true;
        detail::t_tickDeadline = deadline;
    }
    ~TickTimeScope()
    {
        detail::t_inTick = m_wasInTick;
        detail::t_tickDeadline = m_previous;
    }
    TickTimeScope(const TickTimeScope&) = delete;
    TickTimeScope& operator=(const TickTimeScope&) = delete;

private:
    bool m_wasInTick;
    TickTime m_previous;
};

} // namespace rz
