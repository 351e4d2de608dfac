#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace rz {

// An event that wakes one waiter and clears itself as that waiter returns
// (the Windows name; here a mutex and a condition variable). Signals given
// while it is already set coalesce into one.
class AutoResetEvent {
public:
    AutoResetEvent() = default;
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;

    // Any thread; never allocates. When the event is already set it returns
    // without touching the mutex, so a timer thread signalling every tick
    // rarely meets the waiter.
    void set();
    // Waits until the event is set, then clears it.
    void wait();
    // Waits at most `timeout`; true when the event was set (and is now clear).
    bool waitFor(std::chrono::milliseconds timeout);
    // Clears the event and tells whether it was set; never waits.
    bool tryWait();

private:
    std::atomic<bool> m_set{false};
    std::mutex m_mutex;
    std::condition_variable m_signalled;
};

} // namespace rz
