// Where the transport hands over to recording and the audio engines; a
// hook does nothing while its part is absent. The synchronisation hooks
// (resetSyncOutput, sendSyncOutput, finishSyncOutput) live with the sender in
// sequencer_sync_send.cpp.
#include "engine/sequencer.h"

namespace rz {

// GUI thread, after Stop: the take is kept or thrown away.
void CSequencer::handleTake(bool discard)
{
    finishTake(discard);
}

// Timer thread, when a take's count-in is over: the take's wave file gets
// the low-latency input's blocks or the capture engine's chunks from now on.
void CSequencer::attachDiskWriter()
{
    CWaveDiskWriter* writer = m_takeWave.attachable.load(std::memory_order_acquire);
    if (writer == nullptr)
        return;
    if (m_services.audio.lowLatencyInput())
        setAudioInputSink(writer);
    else
        m_services.audio.attachCaptureSink(writer);
}

} // namespace rz
