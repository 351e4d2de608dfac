#include "core/locks.h"

#include "core/ms_clock.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace rz {
namespace {

#ifdef NDEBUG
std::atomic<bool> g_orderCheck{false};
#else
std::atomic<bool> g_orderCheck{true};
#endif

// The locks the calling thread holds, with their recursion depth, for the
// order check. Fixed size so that realtime threads never allocate; locks
// beyond the eighth held at once go untracked.
struct HeldLocks {
    static constexpr int kSlots = 8;
    const ProgramMutex* mutex[kSlots] = {};
    uint32_t depth[kSlots] = {};

    int find(const ProgramMutex* m) const
    {
        for (int i = 0; i < kSlots; ++i)
            if (mutex[i] == m)
                return i;
        return -1;
    }
};

thread_local HeldLocks t_held;

void noteLocked(const ProgramMutex& m)
{
    int slot = t_held.find(&m);
    if (slot < 0)
        slot = t_held.find(nullptr);
    if (slot < 0)
        return;
    t_held.mutex[slot] = &m;
    ++t_held.depth[slot];
}

void noteUnlocked(const ProgramMutex& m)
{
    const int slot = t_held.find(&m);
    if (slot < 0)
        return;
    if (--t_held.depth[slot] == 0)
        t_held.mutex[slot] = nullptr;
}

// Locks that must not be held while another is taken: {held, taken}.
struct ForbiddenOrder {
    ProgramMutex& (*held)();
    ProgramMutex& (*taken)();
};
constexpr ForbiddenOrder kForbiddenOrders[] = {
    {TransportMutex, AudioMutex},
};

void checkOrder(const ProgramMutex& taking)
{
    if (!g_orderCheck.load(std::memory_order_relaxed))
        return;
    for (const ForbiddenOrder& rule : kForbiddenOrders) {
        if (&rule.taken() != &taking)
            continue;
        const ProgramMutex& held = rule.held();
        if (t_held.find(&held) >= 0) {
            std::fprintf(stderr, "lock order: %s taken while holding %s\n",
                         taking.name(), held.name());
            std::fflush(stderr);
            std::abort();
        }
    }
}

constexpr uint64_t kLineWritten = uint64_t(1) << 32;

} // namespace

void TimeoutReporter::report(const char* lock, const char* operation)
{
    m_count.fetch_add(1, std::memory_order_relaxed);
    const uint32_t now = timeGetTime();
    uint64_t last = m_lastLine.load(std::memory_order_relaxed);
    if (last & kLineWritten) {
        const uint32_t since = now - uint32_t(last);
        if (since < 1000)
            return;
    }
    // Of two threads timing out together, only the one that moves the stamp
    // writes the line.
    if (!m_lastLine.compare_exchange_strong(last, kLineWritten | now, std::memory_order_relaxed))
        return;
    std::fprintf(stderr, "lock timeout: %s in %s\n", lock, operation);
}

InheritingMutex::InheritingMutex(bool recursive)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, recursive ? PTHREAD_MUTEX_RECURSIVE : PTHREAD_MUTEX_ERRORCHECK);
    pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_INHERIT);
    // A system without priority inheritance still gets a working lock.
    if (pthread_mutex_init(&m_mutex, &attributes) != 0) {
        pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_NONE);
        pthread_mutex_init(&m_mutex, &attributes);
    }
    pthread_mutexattr_destroy(&attributes);
}

InheritingMutex::~InheritingMutex()
{
    pthread_mutex_destroy(&m_mutex);
}

// The deadline is on the wall clock: pthread_mutex_clocklock would take the
// monotonic one, but ThreadSanitizer does not see it.
bool InheritingMutex::tryLockFor(std::chrono::milliseconds wait)
{
    const int busy = pthread_mutex_trylock(&m_mutex);
    if (busy != EBUSY)
        return busy == 0;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const auto until = std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec)
                       + std::max(wait, std::chrono::milliseconds(0));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(until);
    const timespec deadline{time_t(seconds.count()), long((until - seconds).count())};
    m_waiting.fetch_add(1, std::memory_order_acq_rel);
    const int result = pthread_mutex_timedlock(&m_mutex, &deadline);
    m_waiting.fetch_sub(1, std::memory_order_acq_rel);
    return result == 0;
}

bool InheritingMutex::tryLock()
{
    return pthread_mutex_trylock(&m_mutex) == 0;
}

void InheritingMutex::unlock()
{
    pthread_mutex_unlock(&m_mutex);
}

bool ProgramMutex::tryLockFor(std::chrono::milliseconds wait)
{
    checkOrder(*this);
    if (!m_mutex.tryLockFor(wait))
        return false;
    noteTaken();
    return true;
}

// Never waits.
bool ProgramMutex::tryLock()
{
    checkOrder(*this);
    if (!m_mutex.tryLock())
        return false;
    noteTaken();
    return true;
}

void ProgramMutex::noteTaken()
{
    if (m_depth++ == 0)
        m_owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
    noteLocked(*this);
}

void ProgramMutex::unlock()
{
    if (!heldByThisThread())
        return;
    noteUnlocked(*this);
    if (--m_depth == 0)
        m_owner.store(std::thread::id(), std::memory_order_relaxed);
    m_mutex.unlock();
}

bool ProgramMutex::heldByThisThread() const
{
    return m_owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

ProgramMutex& SongMutex()
{
    static ProgramMutex mutex("SongMutex");
    return mutex;
}

ProgramMutex& AudioMutex()
{
    static ProgramMutex mutex("AudioMutex");
    return mutex;
}

ProgramMutex& ThruMutex()
{
    static ProgramMutex mutex("ThruMutex");
    return mutex;
}

ProgramMutex& TransportMutex()
{
    static ProgramMutex mutex("TransportMutex");
    return mutex;
}

void setLockOrderCheck(bool on)
{
    g_orderCheck.store(on, std::memory_order_relaxed);
}

bool lockOrderCheck()
{
    return g_orderCheck.load(std::memory_order_relaxed);
}

LockGuard::LockGuard(ProgramMutex& mutex, const char* operation,
                     std::chrono::milliseconds wait)
    : m_mutex(mutex), m_owns(mutex.tryLockFor(wait))
{
    if (!m_owns)
        mutex.timeouts().report(mutex.name(), operation);
}

LockGuard::LockGuard(ProgramMutex& mutex, TryOnly)
    : m_mutex(mutex), m_owns(mutex.tryLock())
{
}

LockGuard::~LockGuard()
{
    if (m_owns)
        m_mutex.unlock();
}

LockGuard tryGuard(ProgramMutex& mutex)
{
    return LockGuard(mutex, LockGuard::TryOnly{});
}

PortGuard::PortGuard(PortSemaphore& semaphore, const char* operation,
                     std::chrono::milliseconds wait)
    : m_semaphore(semaphore), m_owns(semaphore.tryAcquireFor(wait))
{
    if (!m_owns)
        semaphore.timeouts().report(semaphore.name().c_str(), operation);
}

PortGuard::PortGuard(PortSemaphore& semaphore, TryOnly)
    : m_semaphore(semaphore), m_owns(semaphore.tryAcquire())
{
}

PortGuard::~PortGuard()
{
    if (m_owns)
        m_semaphore.release();
}

PortGuard tryGuard(PortSemaphore& semaphore)
{
    return PortGuard(semaphore, PortGuard::TryOnly{});
}

} // namespace rz
