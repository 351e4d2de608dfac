// The engine's side of synchronisation following: which input's messages
// the follower takes. Runs on the input dispatcher threads.
#include "core/midi_bytes.h"
#include "engine/sequencer.h"

namespace rz {

namespace {

// Initialised, not recording, following ("MasterSlave" 2), and from the sync
// port: "Port" n takes only input n (1-based), 0 or less any input.
bool acceptsSyncInput(const CSequencer& engine, int inputIndex)
{
    const SyncOptions sync = engine.syncOptions();
    if (!engine.initialised() || engine.recording() || sync.masterSlave != 2)
        return false;
    return sync.port <= 0 || inputIndex == sync.port - 1;
}

} // namespace

void CSequencer::OnSyncInput(int inputIndex, uint32_t message, TickTime stamp)
{
    if (!midi::isSystemStatus(message) || !acceptsSyncInput(*this, inputIndex))
        return;
    const auto deadline = SyncFollower::SteadyClock::now() + m_options.lockWait;
    LockGuard guard(m_follower.mutex, "OnSyncInput", m_options.lockWait);
    if (!guard)
        return;
    // What the message makes the engine send goes out at its arrival time.
    TickTimeScope sendAt(stamp);
    SyncFollower(*this, deadline).onMessage(message);
}

void CSequencer::OnSyncSysEx(int inputIndex, std::span<const uint8_t> bytes, TickTime stamp)
{
    if (!acceptsSyncInput(*this, inputIndex))
        return;
    const auto deadline = SyncFollower::SteadyClock::now() + m_options.lockWait;
    LockGuard guard(m_follower.mutex, "OnSyncSysEx", m_options.lockWait);
    if (!guard)
        return;
    TickTimeScope sendAt(stamp);
    SyncFollower(*this, deadline).onSysEx(bytes);
}

} // namespace rz
