// Where the transport hands over to recording and the audio engines; a
// hook does nothing while its part is absent. The synchronisation hooks
// (resetSyncOutput, sendSyncOutput, sendSyncStop) live with the sender in
// sync_send.cpp.
#include "engine/sequencer.h"

namespace rz {

// GUI thread, after Stop: the take is kept or thrown away.
void CSequencer::handleTake(bool discard)
{
    finishTake(discard);
}

// Timer thread, when a take's count-in is over.
void CSequencer::attachDiskWriter()
{
}

} // namespace rz
