#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace rz {

// Every wait on a program-wide lock gives up after this long.
inline constexpr std::chrono::milliseconds kLockWait{2000};

// Rate limit of the "lock timeout" line: at most one per lock per second.
class TimeoutReporter {
public:
    // Writes "lock timeout: <lock> in <operation>" to standard error unless
    // this lock wrote one less than a second ago (program clock); counts every
    // timeout either way.
    void report(const char* lock, const char* operation);
    uint64_t count() const { return m_count.load(std::memory_order_relaxed); }

private:
    // 0 until the first line; then bit 32 set and the time of the last line
    // in the low 32 bits (ms).
    std::atomic<uint64_t> m_lastLine{0};
    std::atomic<uint64_t> m_count{0};
};

// One of the four program-wide locks: a recursive timed mutex with a name
// that diagnostics print. Built on a mutex and a condition variable rather
// than std::recursive_timed_mutex, whose timed wait goes through a call that
// ThreadSanitizer does not see.
class ProgramMutex {
public:
    explicit ProgramMutex(const char* name) : m_name(name) {}
    ProgramMutex(const ProgramMutex&) = delete;
    ProgramMutex& operator=(const ProgramMutex&) = delete;

    const char* name() const { return m_name; }
    bool tryLockFor(std::chrono::milliseconds wait);
    bool tryLock();
    void unlock();

    // True when the calling thread holds this lock.
    bool heldByThisThread() const;
    // Threads waiting for this lock at the moment: tests learn from it that
    // a wait has begun.
    uint32_t waiting() const;
    // Waits on this lock that timed out since the start of the program.
    uint64_t timeoutCount() const { return m_timeouts.count(); }
    TimeoutReporter& timeouts() { return m_timeouts; }

private:
    const char* m_name;
    mutable std::mutex m_state; // guards the owner and depth; held only briefly
    std::condition_variable m_released;
    std::thread::id m_owner;
    uint32_t m_depth = 0;
    uint32_t m_waiting = 0;
    TimeoutReporter m_timeouts;
};

// Song data and the attachment of views to a song.
ProgramMutex& SongMutex();
// Audio clip play lists and the port list.
ProgramMutex& AudioMutex();
// The MIDI thru tracks.
ProgramMutex& ThruMutex();
// Transport state, start tick and timer.
ProgramMutex& TransportMutex();

// The lock-order check: taking the AudioMutex while holding the
// TransportMutex aborts the program, naming both. On by default in debug
// builds; test programs turn it on for every build type.
void setLockOrderCheck(bool on);
bool lockOrderCheck();

// Scoped wait on a program-wide lock. When the wait times out the guard does
// not own the lock and the caller must skip the guarded work (and keep what it
// still has to do for a retry); it never goes on without the lock. A timeout
// is written to standard error as "lock timeout: <lock> in <operation>".
class LockGuard {
public:
    LockGuard(ProgramMutex& mutex, const char* operation,
              std::chrono::milliseconds wait = kLockWait);
    ~LockGuard();
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

    bool owns() const { return m_owns; }
    explicit operator bool() const { return m_owns; }

private:
    friend LockGuard tryGuard(ProgramMutex& mutex);
    struct TryOnly {};
    LockGuard(ProgramMutex& mutex, TryOnly);

    ProgramMutex& m_mutex;
    bool m_owns;
};

// For realtime callers: takes the lock only if it is free at once; never
// waits and never logs.
LockGuard tryGuard(ProgramMutex& mutex);

// Runs work under the lock. Returns false, having skipped the work, when the
// wait timed out; the caller keeps its pending state and retries later.
template <class Work>
bool runLocked(ProgramMutex& mutex, const char* operation, Work&& work,
               std::chrono::milliseconds wait = kLockWait)
{
    LockGuard guard(mutex, operation, wait);
    if (!guard)
        return false;
    work();
    return true;
}

// A port's semaphore: one holder at a time, not recursive (a second take by
// the holder waits and times out), and it may be released from another thread.
class PortSemaphore {
public:
    explicit PortSemaphore(std::string name) : m_name(std::move(name)) {}
    PortSemaphore(const PortSemaphore&) = delete;
    PortSemaphore& operator=(const PortSemaphore&) = delete;

    const std::string& name() const { return m_name; }
    bool tryAcquireFor(std::chrono::milliseconds wait);
    bool tryAcquire();
    void release();
    uint64_t timeoutCount() const { return m_timeouts.count(); }
    TimeoutReporter& timeouts() { return m_timeouts; }

private:
    std::string m_name;
    std::mutex m_mutex;
    std::condition_variable m_freed;
    bool m_taken = false;
    TimeoutReporter m_timeouts;
};

// Scoped wait on a port's semaphore, with the policy of LockGuard.
class PortGuard {
public:
    PortGuard(PortSemaphore& semaphore, const char* operation,
              std::chrono::milliseconds wait = kLockWait);
    ~PortGuard();
    PortGuard(const PortGuard&) = delete;
    PortGuard& operator=(const PortGuard&) = delete;

    bool owns() const { return m_owns; }
    explicit operator bool() const { return m_owns; }

private:
    friend PortGuard tryGuard(PortSemaphore& semaphore);
    struct TryOnly {};
    PortGuard(PortSemaphore& semaphore, TryOnly);

    PortSemaphore& m_semaphore;
    bool m_owns;
};

// For realtime callers: never waits and never logs.
PortGuard tryGuard(PortSemaphore& semaphore);

} // namespace rz
