#include "core/auto_reset_event.h"

namespace rz {

void AutoResetEvent::set()
{
    if (m_set.exchange(true, std::memory_order_acq_rel))
        return;
    // Taking the mutex orders this signal after a waiter's check of the flag,
    // so the waiter is either asleep (and woken) or has not checked yet.
    { std::lock_guard lock(m_mutex); }
    m_signalled.notify_one();
}

void AutoResetEvent::wait()
{
    std::unique_lock lock(m_mutex);
    m_signalled.wait(lock, [this] { return tryWait(); });
}

bool AutoResetEvent::waitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_signalled.wait_for(lock, timeout, [this] { return tryWait(); });
}

bool AutoResetEvent::tryWait()
{
    return m_set.exchange(false, std::memory_order_acq_rel);
}

} // namespace rz
