#pragma once

#include "core/engine_link.h"
#include "core/locks.h"
#include "core/smpte_time.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

namespace rz {

class CSequencer;
class CSongDoc;

// What the synchronisation follower keeps between messages. Its mutex
// serialises the input threads; the follower's work (`SyncFollower`)
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

// One message, under the follower's mutex. Every lock wait shares one
// deadline, so the input thread never waits longer than one lock wait. The
// state word changes under the TransportMutex, which is released before
// the song is located or played (they take the AudioMutex); the song is
// located and played under the SongMutex, so no edit and no stop runs
// meanwhile.
class SyncFollower {
public:
    using SteadyClock = std::chrono::steady_clock;

    SyncFollower(CSequencer& engine, SteadyClock::time_point deadline);

    void onMessage(uint32_t message);
    void onSysEx(std::span<const uint8_t> bytes);

private:
    std::chrono::milliseconds waitLeft() const
    {
        const auto left = m_deadline - SteadyClock::now();
        return std::max(std::chrono::duration_cast<std::chrono::milliseconds>(left),
                        std::chrono::milliseconds(0));
    }
    int protocol() const;
    TransportState state() const;
    void setState(TransportState state);

    void quarterFrame(uint8_t data);
    void assemblePiece(int piece, int nibble);
    std::optional<double> songTimeOf(CSmpteTime received);
    template <class TickOf>
    bool restartAt(TickOf tickOf);
    template <class TickOf>
    bool locateStart(TickOf tickOf);
    void songPosition(uint32_t message);
    void songSelect(uint8_t data);
    void clock(bool tick);
    void start(bool continuing);
    void stop();
    void fullFrame(std::span<const uint8_t> bytes);

    // Under the TransportMutex: a moving state ends, the ports are silenced.
    // False when the wait timed out.
    bool stopMoving(bool& changed);
    // The song at the located tick: position and real time follow it.
    void locate(CSongDoc& song, int32_t tick);
    void playUpTo(CSongDoc& song, int32_t tick, double time);
    void setBeatPhase(const CSongDoc& song, int32_t tick);
    void transportChanged();

    CSequencer& m_engine;
    SyncFollowState& m_follow;
    SteadyClock::time_point m_deadline;
};

} // namespace rz
