// The transport commands: Play, Pause, Stop, the vamp exit and the two
// toggles of the transport bar. GUI thread unless a member says otherwise.
#include "engine/sequencer.h"

#include "core/engine_timer.h"
#include "engine/gui_posts.h"
#include "song/cue.h"
#include "song/song_doc.h"

#include <algorithm>
#include <cassert>

namespace rz {

void CSequencer::Play(int32_t tick, bool force, bool relative)
{
    // The song's cue handling may set Paused directly and leave the playback
    // timer on; it is stopped before the lock, which its tick takes.
    const TransportState seen = transportState();
    if ((seen == TransportState::Stopped || seen == TransportState::Paused)
        && m_services.timer.mode() == TimerMode::Playback)
        switchToIdleTimer();
    bool startTimer = false;
    uint32_t serial = 0;
    {
        LockGuard guard(TransportMutex(), "Play", m_options.lockWait);
        if (!guard)
            return;
        switch (transportState()) {
        case TransportState::Stopped:
        case TransportState::Paused:
            if (CSongDoc* song = currentSong())
                startTimer = prepareStart(*song, tick, relative);
            break;
        case TransportState::Playing:
        case TransportState::Holding: setStart(tick, relative); break;
        case TransportState::Starting:
            if (force)
                setStart(tick, relative);
            break;
        default: break;
        }
        serial = m_transport.startSerial;
    }
    if (startTimer)
        startPlaybackTimer(serial);
}

// Under the TransportMutex; the tick does the rest.
void CSequencer::setStart(int32_t tick, bool relative)
{
    m_transport.requestStart(tick, relative);
}

// Under the TransportMutex: the idle timer stops and the start is pending.
// True when the playback timer is to start; following external sync (and
// not recording), the sync input starts the song instead.
bool CSequencer::prepareStart(CSongDoc& song, int32_t tick, bool relative)
{
    assert(!SongMutex().heldByThisThread() && "the idle tick takes the SongMutex");
    assert(m_services.timer.mode() != TimerMode::Playback);
    m_services.timer.stopAndWait();
    setStart(tick, relative);
    m_transport.songPlayed.store(&song, std::memory_order_release);
    m_transport.songSwitchedTo.store(nullptr, std::memory_order_release);
    m_countIn.clickPort.store(ports()->mappedOutput(liveSettings()->click.device), std::memory_order_release);
    return recording() || liveSettings()->sync.masterSlave != 2;
}

// With the TransportMutex free: the timer thread, realtime and woken by the
// start, runs the first tick at once, and that tick takes the lock. A stop
// that came since the lock was released found no playback timer to end, so
// it is ended here. False when the timer could not start: the start, unless
// a newer one replaced it, goes back to Stopped and the idle timer runs again.
bool CSequencer::startPlaybackTimer(uint32_t serial)
{
    assert(!TransportMutex().heldByThisThread() && "the first tick would wait for it");
    const TimerStartResult started = m_services.timer.startPlayback(
        liveSettings()->tickPeriodMs, [this](uint32_t user) { TimerProc(user); }, 0);
    if (started == TimerStartResult::Started) {
        if (transportState() == TransportState::Stopped)
            switchToIdleTimer();
        return true;
    }
    {
        LockGuard guard(TransportMutex(), "Play", m_options.lockWait);
        if (guard && transportState() == TransportState::Starting && m_transport.startSerial == serial)
            m_transport.setState(TransportState::Stopped);
    }
    if (m_services.timer.mode() == TimerMode::Off)
        startIdleTimer();
    return false;
}

void CSequencer::Pause()
{
    pauseTransport();
    if (!shuttingDown()) {
        m_services.toGui.OnSongChanged();
        notifyTransportChanged();
    }
}

// The playback timer is off once the pause returns, so the Starting set here
// is no start: only the idle timer runs, and Play ignores Starting without
// force.
void CSequencer::PauseAsStarting()
{
    Pause();
    LockGuard guard(TransportMutex(), "PauseAsStarting", m_options.lockWait);
    if (guard && transportState() == TransportState::Paused && m_services.timer.mode() != TimerMode::Playback)
        m_transport.setState(TransportState::Starting);
}

// The play lists are emptied once the TransportMutex is released (that
// takes the AudioMutex; the audio engines read the lists only while
// Playing) and the last tick is over (it works on the same song state). A
// pause from Stopped chases the song's state at its position, with no tick
// running.
void CSequencer::pauseTransport(bool stopping)
{
    assert(!TransportMutex().heldByThisThread() && "Pause waits for the tick, which takes it");
    TransportState previous = TransportState::Paused;
    {
        LockGuard guard(TransportMutex(), "Pause", m_options.lockWait);
        if (!guard)
            return;
        previous = transportState();
        if (stopping && previous == TransportState::Stopped)
            return;
        if (previous != TransportState::Paused) {
            m_transport.previousState.store(previous, std::memory_order_release);
            m_transport.setState(TransportState::Paused);
        }
    }
    if (previous == TransportState::Paused && m_services.timer.mode() != TimerMode::Playback)
        return;
    assert(!SongMutex().heldByThisThread() && !AudioMutex().heldByThisThread());
    m_services.timer.stopAndWait();
    CSongDoc* song = songToChase();
    if (song != nullptr) {
        // The sync follower plays and locates the song from the input thread
        // under the SongMutex; the play cursors are shared.
        LockGuard songGuard(SongMutex(), "Pause", m_options.lockWait);
        if (songGuard) {
            song->BuildAudioPlayLists(-1);
            if (previous == TransportState::Stopped)
                chaseAtPosition(*song);
        }
    }
    startIdleTimer();
}

// Between a Skip's switch and the GUI following it, the current song is
// still the old one.
CSongDoc* CSequencer::songToChase() const
{
    CSongDoc* switched = m_transport.songSwitchedTo.load(std::memory_order_acquire);
    return switched != nullptr ? switched : currentSong();
}

// The Starting state keeps other starts and locates off while the chase
// sets the notes sounding at the position and the pedal right.
void CSequencer::chaseAtPosition(CSongDoc& song)
{
    bool chase = false;
    {
        LockGuard guard(TransportMutex(), "Pause", m_options.lockWait);
        if (guard && transportState() == TransportState::Paused) {
            m_transport.setState(TransportState::Starting);
            chase = true;
        }
    }
    if (!chase)
        return;
    endOtherSongsNotes(song);
    song.LocatePaused(std::max(song.position(), int32_t(0)));
    // Only this call set Starting; the exchange leaves any newer state alone,
    // so it is safe even when the wait timed out.
    LockGuard guard(TransportMutex(), "Pause", m_options.lockWait);
    m_transport.changeState(TransportState::Starting, TransportState::Paused);
}

void CSequencer::LocateSong(CSongDoc& song, int32_t tick)
{
    LockGuard songGuard(SongMutex(), "Locate", m_options.lockWait);
    if (!songGuard)
        return;
    TransportState state = TransportState::Stopped;
    {
        LockGuard guard(TransportMutex(), "Locate", m_options.lockWait);
        if (!guard)
            return;
        state = transportState();
    }
    if (state == TransportState::Playing || state == TransportState::Starting)
        return;
    // Paused, what the pause sounds gives way to what sounds at the tick.
    if (state == TransportState::Paused) {
        endOtherSongsNotes(song);
        song.LocatePaused(tick);
    } else {
        song.Locate(tick);
    }
    // A resting idle timer brings the display to the new position.
    wakeIdleTimer();
}

// Stops the running timer, whichever it is, and starts the idle timer. The
// idle tick takes the SongMutex, the playback tick the TransportMutex and
// the AudioMutex: none may be held here.
void CSequencer::switchToIdleTimer()
{
    assert(!SongMutex().heldByThisThread() && !TransportMutex().heldByThisThread()
           && !AudioMutex().heldByThisThread());
    m_services.timer.stopAndWait();
    startIdleTimer();
}

// A song ended by the song's cue handling may still have its playback timer
// on: every stop ends it, so no tick reads a song that may now be edited.
void CSequencer::Stop(bool discardTake)
{
    m_services.toGui.CancelAdvance(false);
    if (transportState() == TransportState::Stopped)
        return;
    pauseTransport(true);
    {
        LockGuard guard(TransportMutex(), "Stop", m_options.lockWait);
        if (!guard)
            return;
        finishSyncOutput();
        AllNotesOff();
        m_transport.setState(TransportState::Stopped);
        clearVamp();
        m_transport.changeNextStop([](NextStop& stop) { stop.targetLabel = 0; });
        m_transport.hold.store(false, std::memory_order_release);
    }
    m_services.toGui.RefreshMarkerStates();
    if (recording())
        handleTake(discardTake);
    if (!shuttingDown()) {
        m_services.toGui.OnSongChanged();
        notifyTransportChanged();
    }
}

void CSequencer::OnPlayPause()
{
    switch (transportState()) {
    case TransportState::Stopped:
    case TransportState::Paused: Advance(false); return;
    case TransportState::Playing: Pause(); return;
    default: return;
    }
}

void CSequencer::OnPlayStop()
{
    const TransportState state = transportState();
    if (state == TransportState::Stopped || state == TransportState::Paused)
        Advance(false);
    else
        Stop(false);
}

void CSequencer::ToggleVampExit(bool toggle)
{
    const TransportState state = transportState();
    const CCue* cue = nextStop().jumpCue;
    if (state == TransportState::Stopped || cue == nullptr || cue->kind != kCueVamp
        || position() < cue->secondTime || cue != activeVamp())
        return;
    const int left = m_transport.vampRepetitionsLeft.load(std::memory_order_acquire);
    const int now = toggle ? (left == 0 ? 1 : 0) : 1;
    m_transport.vampRepetitionsLeft.store(now, std::memory_order_release);
    // The final pass may leave the vamp early: the start works that out.
    if (state == TransportState::Playing && now == 1 && cue->secondCount != 0)
        Play(position(), true);
}

void CSequencer::clearVamp()
{
    m_transport.clearVamp();
}

void CSequencer::notifyTransportChanged()
{
    m_services.toGui.transportChanged();
}

} // namespace rz
