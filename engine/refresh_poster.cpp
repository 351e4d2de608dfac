#include "engine/refresh_poster.h"

namespace rz {

// What the worker and the posted calls share. Posted calls keep it alive, so
// a call that runs after the poster was destroyed finds `alive` false.
struct RefreshPoster::Shared {
    Handler handler;
    std::chrono::milliseconds songLockWait;
    AutoResetEvent wake;
    std::atomic<uint32_t> bits{0};
    std::atomic<bool> outstanding{false};
    std::atomic<bool> alive{true};
    std::atomic<uint64_t> posts{0};
    std::atomic<uint64_t> wakes{0};
    std::atomic<uint64_t> songLockTimeouts{0};

    // Bits already pending wake nobody: the worker was signalled when they
    // were set, and a finished call signals it again.
    void request(uint32_t more)
    {
        const uint32_t was = bits.fetch_or(more, std::memory_order_seq_cst);
        if ((was & more) != more) {
            wakes.fetch_add(1, std::memory_order_relaxed);
            wake.set();
        }
    }

    // Runs on the GUI thread.
    void runOnGui()
    {
        if (!alive.load(std::memory_order_acquire))
            return;
        uint32_t taken = bits.exchange(0, std::memory_order_acq_rel);
        if (taken & kRefreshViews) {
            LockGuard guard(SongMutex(), "refresh views", songLockWait);
            if (guard)
                handler(taken);
            else
                skipViews(taken);
        } else if (taken != 0) {
            handler(taken);
        }
        // Bits that came meanwhile found the call outstanding and the worker
        // let them wait: only then is the worker woken again. Sequentially
        // consistent with the worker's read of `outstanding`, so one of the
        // two always sees the other's write.
        outstanding.store(false, std::memory_order_seq_cst);
        if (bits.load(std::memory_order_seq_cst) != 0)
            wake.set();
    }

    // Runs on the GUI thread after the SongMutex wait timed out.
    void skipViews(uint32_t taken)
    {
        songLockTimeouts.fetch_add(1, std::memory_order_relaxed);
        bits.fetch_or(kRefreshViews, std::memory_order_release);
        if (const uint32_t rest = taken & ~uint32_t(kRefreshViews))
            handler(rest);
    }
};

RefreshPoster::RefreshPoster(IGuiThreadQueue& gui, Handler handler, RefreshPosterOptions options)
    : m_gui(gui), m_options(options), m_shared(std::make_shared<Shared>())
{
    m_shared->handler = std::move(handler);
    m_shared->songLockWait = options.songLockWait;
    m_worker = std::thread([this] { workerMain(); });
}

RefreshPoster::~RefreshPoster()
{
    m_shared->alive.store(false, std::memory_order_release);
    m_shared->wake.set();
    m_worker.join();
}

void RefreshPoster::request(uint32_t bits)
{
    m_shared->request(bits);
}

uint64_t RefreshPoster::postCount() const
{
    return m_shared->posts.load(std::memory_order_relaxed);
}

uint64_t RefreshPoster::wakeCount() const
{
    return m_shared->wakes.load(std::memory_order_relaxed);
}

uint64_t RefreshPoster::songLockTimeouts() const
{
    return m_shared->songLockTimeouts.load(std::memory_order_relaxed);
}

// Runs on the worker thread.
void RefreshPoster::workerMain()
{
    Shared& shared = *m_shared;
    auto lastPost = std::chrono::steady_clock::time_point::min();
    for (;;) {
        shared.wake.wait();
        if (!shared.alive.load(std::memory_order_acquire))
            return;
        // A finished call signals the event again when bits are pending.
        if (shared.outstanding.load(std::memory_order_seq_cst)
            || shared.bits.load(std::memory_order_acquire) == 0)
            continue;
        waitForInterval(lastPost);
        if (!shared.alive.load(std::memory_order_acquire))
            return;
        lastPost = std::chrono::steady_clock::now();
        shared.outstanding.store(true, std::memory_order_release);
        shared.posts.fetch_add(1, std::memory_order_relaxed);
        m_gui.postToGui([keep = m_shared] { keep->runOnGui(); });
    }
}

// Runs on the worker thread: sleeps out the rest of the minimum interval
// (17 ms by default, so the destructor waits no longer than that).
void RefreshPoster::waitForInterval(std::chrono::steady_clock::time_point lastPost)
{
    if (lastPost == std::chrono::steady_clock::time_point::min())
        return;
    const auto due = lastPost + m_options.minInterval;
    std::this_thread::sleep_until(due);
}

} // namespace rz
