#pragma once

#include "core/smpte_time.h"

#include <atomic>
#include <cstdint>

namespace rz {

// What the synchronisation master keeps: whether a Start or Continue is
// out, and the send clock of the timer thread.
struct SyncSendClock {
    int32_t clockBase = 0;        // tick of the first clock of the run
    int64_t clocksSent = 0;
    double nextQuarterFrame = 0.0; // µs of the song's time
    int quarterFrameIndex = 0;     // 0..7
    double quarterFrameUs = 0.0;   // a quarter of a frame at the rate sent
    CSmpteTime quarterFrameTime;   // the time the eight pieces are cut from
};

class SyncMaster {
public:
    // Start goes only while no Start or Continue is out, Stop only after
    // one: true when this call may send it. Any thread.
    bool takeStart() { return !started.exchange(true, std::memory_order_acq_rel); }
    bool takeStop() { return started.exchange(false, std::memory_order_acq_rel); }

    std::atomic<bool> started{false};
    SyncSendClock send; // timer thread
};

} // namespace rz
