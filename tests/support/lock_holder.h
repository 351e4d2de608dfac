#pragma once

#include "core/locks.h"

#include <atomic>
#include <thread>

namespace rz {

// Holds a program-wide lock on a thread of its own, the way a busy engine or
// GUI thread would, from construction until release() or destruction.
class LockHolder {
public:
    explicit LockHolder(ProgramMutex& mutex) : m_thread([this, &mutex] { hold(mutex); })
    {
        while (!m_held)
            std::this_thread::yield();
    }
    ~LockHolder() { release(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    void release()
    {
        m_release = true;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    void hold(ProgramMutex& mutex)
    {
        LockGuard guard(mutex, "test");
        m_held = true;
        // Paces the stand-in holder while it waits to be released.
        while (!m_release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    std::atomic<bool> m_held{false};
    std::atomic<bool> m_release{false};
    std::thread m_thread;
};

} // namespace rz
