#include "core/locks.h"

#include "core/ms_clock.h"

#include <cstdio>
#include <cstdlib>

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

bool ProgramMutex::tryLockFor(std::chrono::milliseconds wait)
{
    checkOrder(*this);
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock lock(m_state);
    if (m_owner != self && m_depth != 0) {
        ++m_waiting;
        const bool released = m_released.wait_for(lock, wait, [this] { return m_depth == 0; });
        --m_waiting;
        if (!released)
            return false;
    }
    m_owner = self;
    ++m_depth;
    noteLocked(*this);
    return true;
}

uint32_t ProgramMutex::waiting() const
{
    const std::lock_guard lock(m_state);
    return m_waiting;
}

// Never waits: a lock busy for a moment on another thread counts as taken.
bool ProgramMutex::tryLock()
{
    checkOrder(*this);
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock lock(m_state, std::try_to_lock);
    if (!lock.owns_lock() || (m_depth != 0 && m_owner != self))
        return false;
    m_owner = self;
    ++m_depth;
    noteLocked(*this);
    return true;
}

void ProgramMutex::unlock()
{
    noteUnlocked(*this);
    bool released = false;
    {
        std::lock_guard lock(m_state);
        if (m_depth != 0 && --m_depth == 0) {
            m_owner = std::thread::id();
            released = true;
        }
    }
    if (released)
        m_released.notify_one();
}

bool ProgramMutex::heldByThisThread() const
{
    std::lock_guard lock(m_state);
    return m_depth != 0 && m_owner == std::this_thread::get_id();
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

bool PortSemaphore::tryAcquireFor(std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    if (!m_freed.wait_for(lock, wait, [this] { return !m_taken; }))
        return false;
    m_taken = true;
    return true;
}

bool PortSemaphore::tryAcquire()
{
    std::unique_lock lock(m_mutex, std::try_to_lock);
    if (!lock.owns_lock() || m_taken)
        return false;
    m_taken = true;
    return true;
}

void PortSemaphore::release()
{
    {
        std::lock_guard lock(m_mutex);
        m_taken = false;
    }
    m_freed.notify_one();
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
