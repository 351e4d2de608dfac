#pragma once

#include <chrono>
#include <mutex>

namespace rz {

// Every wait on a program-wide lock gives up after this long.
inline constexpr std::chrono::milliseconds kLockWait{2000};

// One of the four program-wide locks: a recursive timed mutex with a name
// that diagnostics print.
class ProgramMutex {
public:
    explicit ProgramMutex(const char* name) : m_name(name) {}
    ProgramMutex(const ProgramMutex&) = delete;
    ProgramMutex& operator=(const ProgramMutex&) = delete;

    const char* name() const { return m_name; }
    bool tryLockFor(std::chrono::milliseconds wait) { return m_mutex.try_lock_for(wait); }
    bool tryLock() { return m_mutex.try_lock(); }
    void unlock() { m_mutex.unlock(); }

private:
    const char* m_name;
    std::recursive_timed_mutex m_mutex;
};

// Song data and the attachment of views to a song.
ProgramMutex& SongMutex();
// Audio clip play lists and the port list.
ProgramMutex& AudioMutex();
// The MIDI thru tracks.
ProgramMutex& ThruMutex();
// Transport state, start tick and timer.
ProgramMutex& TransportMutex();

// Scoped wait on a program-wide lock. When the wait times out the guard does
// not own the lock and the caller must skip the guarded work (and retry later);
// it never goes on without the lock.
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
    ProgramMutex& m_mutex;
    bool m_owns;
};

} // namespace rz
