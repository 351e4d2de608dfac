#pragma once

#include "core/locks.h"
#include "core/smpte_time.h"

#include <cstdint>

namespace rz {

// What the synchronisation follower keeps between messages. Its mutex
// serialises the input threads; the follower's work (engine/sync_follow.cpp)
// runs one message at a time under it.
struct SyncFollowState {
    CSmpteTime time;            // assembled from quarter frames
    int32_t clockBase = 0;      // ticks at the first clock of the run
    int64_t clocks = 0;         // clocks since then
    bool basePending = false;   // Start or Continue set clockBase for the next start
    uint32_t startTaken = 0;    // the start request (its serial) last followed
};

struct SyncFollowerState {
    ProgramMutex mutex{"SyncFollowMutex"};
    SyncFollowState state; // under the mutex
};

} // namespace rz
