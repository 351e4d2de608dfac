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
    m_recording.store(recording, std::memory_order_release);
    m_countInPosition.store(0, std::memory_order_release);
    m_countInLength.store(std::max(countInTicks, int32_t(0)), std::memory_order_release);
}

// Timer thread, at every start: the count-in runs until it has played its
// length; once it is over the take's audio goes to disk.
void CSequencer::startCountIn()
{
    if (!recording()) {
        m_countingIn.store(false, std::memory_order_release);
        return;
    }
    const bool running = m_countInPosition.load(std::memory_order_acquire)
                         < m_countInLength.load(std::memory_order_acquire);
    m_countingIn.store(running, std::memory_order_release);
    if (!running)
        attachDiskWriter();
}

// Timer thread, after the clock moved. At the end of the count-in the song
// starts again where it stands; a timed-out lock wait leaves the count-in
// running, to end on the next tick.
void CSequencer::advanceCountIn(const CSongDoc& song)
{
    const int32_t played = position() - song.position();
    m_countInPosition.store(played, std::memory_order_release);
    if (played < m_countInLength.load(std::memory_order_acquire))
        return;
    LockGuard guard(TransportMutex(), "TimerProc", m_options.lockWait);
    if (!guard)
        return;
    m_countingIn.store(false, std::memory_order_release);
    if (transportState() == TransportState::Playing)
        m_state.store(TransportState::Starting, std::memory_order_release);
}

} // namespace rz
