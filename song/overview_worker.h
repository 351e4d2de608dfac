#pragma once

#include <atomic>
#include <functional>
#include <semaphore>
#include <thread>

namespace rz {

class CSongDoc;
class IClipLoader;

// Computes the requested blocks of the waveform pictures of a song's lane
// items on one thread of its own.
//
// The thread reads tracks, items and clips without the song lock: every edit
// of the song and every rebuild of the items stops it first (stop() returns
// only once the thread has ended), and it writes nothing but the peak
// buffers' entries and block states. GUI thread for every call.
class OverviewWorker {
public:
    // `blockDone` runs on the worker's thread after each block it computes.
    OverviewWorker(IClipLoader& loader, std::function<void()> blockDone);
    ~OverviewWorker();
    OverviewWorker(const OverviewWorker&) = delete;
    OverviewWorker& operator=(const OverviewWorker&) = delete;

    // Stops a running thread, then starts one over `song`'s items.
    void start(const CSongDoc& song);
    // Asks the thread to walk the items again; wakes coalesce.
    void wake();
    // Asks the thread to end, wakes it and waits for it; the block in hand
    // is finished first.
    void stop();
    bool running() const { return m_thread.joinable(); }
    // True from stop() until the thread has ended.
    bool stopping() const { return m_stopping.load(std::memory_order_acquire); }

private:
    void run(std::stop_token stop);
    void walk(const std::stop_token& stop);

    IClipLoader& m_loader;
    std::function<void()> m_blockDone;
    const CSongDoc* m_song = nullptr;
    std::binary_semaphore m_wake{0};
    std::atomic<bool> m_wakePending{false};
    std::atomic<bool> m_stopping{false};
    std::jthread m_thread;
};

} // namespace rz
