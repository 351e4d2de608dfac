// Where the transport hands over to synchronisation output, recording and
// the audio engines. Each does nothing while its part is absent: no sync
// sender, no take and no disk writer exist in this engine.
#include "engine/sequencer.h"

namespace rz {

// Timer thread, at every start: the MIDI clock and time code restart from
// the position (ticks) and its real time (µs).
void CSequencer::resetSyncOutput(int32_t, double)
{
}

// Timer thread, every tick while Playing as sync master.
void CSequencer::sendSyncOutput()
{
}

// Under the TransportMutex, as Stop silences the ports.
void CSequencer::sendSyncStop()
{
}

// GUI thread, after Stop: the take is kept or thrown away.
void CSequencer::handleTake(bool)
{
}

// Timer thread, when a take's count-in is over.
void CSequencer::attachDiskWriter()
{
}

} // namespace rz
