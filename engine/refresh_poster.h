#pragma once

#include "core/auto_reset_event.h"
#include "core/gui_post.h"
#include "core/locks.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace rz {

// What the GUI must bring up to date; requests gather as bits.
enum RefreshBit : uint32_t {
    kRefreshViews = 1u << 0,        // follow playback; needs the SongMutex
    kRefreshBeat = 1u << 1,         // the beat display
    kRefreshSongEnded = 1u << 2,
    kRefreshSkipSwitched = 1u << 3, // the engine switched to another song of the set
    kRefreshCueReached = 1u << 4,
    kRefreshIdleTimer = 1u << 5,    // a sync follower stopped or the resting idle timer has work again
    kRefreshAudioBlock = 1u << 6,   // the audio device's block length changed
};

struct RefreshPosterOptions {
    // Shortest time between two posts: at most 60 a second.
    std::chrono::microseconds minInterval{1000000 / 60};
    // How long the GUI handler waits for the SongMutex before it skips the
    // views and asks again.
    std::chrono::milliseconds songLockWait = kLockWait;
};

// The engine's refresh worker. Timer and MIDI threads call request(), which
// only sets bits and signals an event. A worker thread turns the bits into
// posted calls to the GUI: one outstanding at most, at most 60 a second, each
// carrying every bit gathered until it runs. The call hands the bits to the
// handler on the GUI thread, holding the SongMutex when kRefreshViews is
// among them; when that wait times out the views are skipped and requested
// again, and the other bits are handled at once.
class RefreshPoster {
public:
    // Runs on the GUI thread with the bits gathered (never 0).
    using Handler = std::function<void(uint32_t bits)>;

    RefreshPoster(IGuiThreadQueue& gui, Handler handler, RefreshPosterOptions options = {});
    // On the GUI thread. Ends the worker; a call already posted then does
    // nothing when it runs.
    ~RefreshPoster();
    RefreshPoster(const RefreshPoster&) = delete;
    RefreshPoster& operator=(const RefreshPoster&) = delete;

    // Any thread; never waits, never allocates.
    void request(uint32_t bits);

    uint64_t postCount() const;
    // Requests that signalled the worker; those adding no new bit do not.
    uint64_t wakeCount() const;
    // GUI passes whose SongMutex wait timed out.
    uint64_t songLockTimeouts() const;

private:
    struct Shared;

    void workerMain();
    void waitForInterval(std::chrono::steady_clock::time_point lastPost);

    IGuiThreadQueue& m_gui;
    const RefreshPosterOptions m_options;
    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
};

} // namespace rz
