// The count-in of a take: the clock and the click run from the song's
// position while the song itself stays there; at its end the take starts
// from that position.
#include "engine/sequencer.h"

#include "song/song_doc.h"

#include <algorithm>

namespace rz {

// GUI thread, before the start.
void CSequencer::setRecording(bool recording, int32_t countInTicks)
{
    m_recorder.setRecording(recording);
    m_countIn.prepare(countInTicks);
}

// Timer thread, at every start: the count-in runs until it has played its
// length; once it is over the take's audio goes to disk.
void CSequencer::startCountIn()
{
    if (!recording()) {
        m_countIn.active.store(false, std::memory_order_release);
        return;
    }
    if (!m_countIn.start())
        attachDiskWriter();
}

// Timer thread, on the first tick of a take begun while playing: its
// audio goes to disk from here, and the next stop is worked out for
// recording, which plays on past the song's end.
void CSequencer::joinTake(CSongDoc& song)
{
    if (!recording() || countingIn())
        return;
    song.ComputeNextStop();
    attachDiskWriter();
}

// Timer thread, after the clock moved. At the end of the count-in the song
// starts again where it stands; a timed-out lock wait leaves the count-in
// running, to end on the next tick.
void CSequencer::advanceCountIn(const CSongDoc& song)
{
    if (!m_countIn.advance(position() - song.position()))
        return;
    LockGuard guard(TransportMutex(), "TimerProc", m_options.lockWait);
    if (!guard)
        return;
    m_countIn.active.store(false, std::memory_order_release);
    if (transportState() == TransportState::Playing)
        m_transport.setState(TransportState::Starting);
}

} // namespace rz
