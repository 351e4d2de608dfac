// Play/Cue and Play through: start, leave a hold, or act on the cue at the
// play position. GUI thread.
#include "engine/sequencer.h"

#include "core/locks.h"
#include "core/ms_clock.h"
#include "engine/gui_posts.h"
#include "song/cue.h"
#include "song/song_doc.h"

#include <algorithm>

namespace rz {

// The first call is always accepted, however soon after the clock's zero.
void CSequencer::Advance(bool playThrough)
{
    m_services.toGui.CancelAdvance(true);
    CSongDoc* song = currentSong();
    if (song == nullptr || !m_transport.acceptAdvance(timeGetTime()))
        return;
    const bool changed = m_transport.playThrough.exchange(playThrough, std::memory_order_acq_rel) != playThrough;
    advanceByState(*song, transportState());
    // The cues ahead stop the song or not by the flag; a start works the
    // next stop out anyway.
    if (changed && transportState() == TransportState::Playing)
        m_transport.nextStopStale.store(true, std::memory_order_release);
}

void CSequencer::advanceByState(CSongDoc& song, TransportState state)
{
    switch (state) {
    case TransportState::Playing:
    case TransportState::Starting:
        if (m_transport.hold.exchange(false, std::memory_order_acq_rel))
            Play(position(), true);
        applyCueRule(song);
        return;
    case TransportState::Paused: {
        m_transport.hold.store(false, std::memory_order_release);
        const NextStop stop = nextStop();
        if (!recording() && song.position() == stop.jumpFrom) {
            // Paused at a hold: the performance goes on from where it jumps.
            Stop(false);
            runLocked(SongMutex(), "Advance", [&] { song.setPosition(stop.jumpTo); });
            m_services.toGui.UpdateAllViews();
        } else {
            Play(song.position(), true);
        }
        notifyTransportChanged();
        return;
    }
    case TransportState::Holding:
        if (m_transport.hold.exchange(false, std::memory_order_acq_rel)) {
            Play(nextStop().jumpTo, true);
            notifyTransportChanged();
            return;
        }
        applyCueRule(song);
        return;
    default:
        if (liveSettings()->options & kOptionResetOnStart)
            ResetOutPorts();
        Play(song.position(), true);
        notifyTransportChanged();
        return;
    }
}

// The jump cue decides, once the position has reached the earlier of its
// two times.
void CSequencer::applyCueRule(CSongDoc& song)
{
    const NextStop stop = nextStop();
    const CCue* cue = stop.jumpCue;
    if (cue != nullptr && position() >= std::min(cue->time, cue->secondTime)) {
        switch (cue->kind) {
        case kCueVamp: applyVampCueRule(song, stop); break;
        case kCueAdLib: Play(stop.jumpTo, true); break;
        case kCueAdvanceCut:
            Stop(false);
            // The idle tick reads the position under the SongMutex.
            runLocked(SongMutex(), "Advance", [&] { song.Locate(stop.jumpFrom); });
            m_services.toGui.UpdateAllViews();
            break;
        case kCueAdvance:
            // Leaving the section: as an active vamp, it would take the
            // start back into itself.
            if (activeVamp() == cue)
                clearVamp();
            // A jump the section held is how it is left.
            if (stop.heldJump != nullptr)
                takeHeldJumpNow(stop);
            else
                Play(stop.jumpFrom, true);
            break;
        default: break;
        }
    }
    notifyTransportChanged();
}

// More than a sixteenth into a repetition, the vamp ends after it. Within
// the first sixteenth after a pass, the repetition just begun counts as
// done: the start moves it back by one repetition, to the same offset.
void CSequencer::applyVampCueRule(CSongDoc& song, const NextStop& stop)
{
    if (!(liveSettings()->options & kOptionPlayLeavesVamp))
        return;
    const int32_t at = position();
    const int32_t sixteenth = song.timeBase / 4;
    if (at - stop.jumpTo >= sixteenth) {
        ToggleVampExit(false);
        return;
    }
    if (m_transport.vampPasses.load(std::memory_order_acquire) < 1)
        return;
    int32_t target = stop.jumpFrom + (at - stop.jumpTo);
    const size_t found = size_t(song.FindCueAt(target));
    if (found < song.cues.size())
        target = std::min(target, song.cues[found]->time);
    Play(target, true);
}

} // namespace rz
