// The idle beat display and the refresh pass.
#include "engine/sequencer.h"

#include "core/engine_timer.h"
#include "engine/gui_posts.h"
#include "engine/refresh_poster.h"
#include "song/song_doc.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace rz {

namespace {

// A measure's ticks per metronome click; a meter from a file may give 0
// clocks per click, which counts as 1 tick.
int32_t ticksPerClick(const CSongDoc& song, int measure, int timeBase)
{
    const int clocks = measure >= 0 ? song.measureMap[size_t(measure)].clocksPerClick : 24;
    return std::max(clocks * timeBase / 24, 1);
}

} // namespace

// Timer thread. Skips the tick when the SongMutex wait times out. Wakes the
// refresh pass only when the display would show something new: another
// song, position or selection, or another step of a beat that is shown.
// When nothing is left to move (no song, or a beat that is not shown, and
// no volumes to resend) the timer rests until something gives it work.
void CSequencer::PausedTimerProc(uint32_t user)
{
    bool changed = false;
    {
        LockGuard guard(SongMutex(), "PausedTimerProc", m_options.lockWait);
        if (!guard)
            return;
        if (const CSongDoc* song = currentSong()) {
            m_transport.msClock.advance(kIdleTimerPeriodMs, timeGetTime());
            changed = advanceIdleBeat(*song, user);
        } else {
            m_transport.msClock.stand(timeGetTime());
            changed = m_idleBeat.beat.song != nullptr;
            m_idleBeat.beat = IdleBeat{};
        }
        if (m_io.volumeResendPending.load(std::memory_order_acquire) && resendTrackVolumes())
            m_io.volumeResendPending.store(false, std::memory_order_release);
        if (idleAtRest())
            restIdleTimer();
    }
    if (changed)
        requestRefresh(kRefreshBeat);
}

// Any thread: nothing the idle tick does would show or send anything.
bool CSequencer::idleAtRest() const
{
    if (m_io.volumeResendPending.load(std::memory_order_seq_cst))
        return false;
    return currentSong() == nullptr || !m_idleBeat.shown.load(std::memory_order_seq_cst);
}

// Timer thread, inside the idle callback and under the SongMutex: every
// start of another run waits for this callback or finds the timer off, so
// the stop ends only this run. What gave work meanwhile found the timer on
// and asked for nothing: it is looked at again once the timer is off. A
// locate waits for the SongMutex, so it finds the timer off and wakes it.
void CSequencer::restIdleTimer()
{
    if (currentSong() != nullptr)
        m_transport.msClock.rest(timeGetTime());
    m_services.timer.stopAndWait();
    if (!idleAtRest() || currentSong() != m_idleBeat.beat.song)
        requestRefresh(kRefreshIdleTimer);
}

// Any thread; never waits. The refresh pass starts a new idle run when the
// transport stands and no timer runs.
void CSequencer::wakeIdleTimer()
{
    if (initialised() && m_services.timer.mode() == TimerMode::Off)
        requestRefresh(kRefreshIdleTimer);
}

void CSequencer::setBeatDisplayShown(bool shown)
{
    const bool was = m_idleBeat.shown.exchange(shown, std::memory_order_seq_cst);
    if (shown && !was)
        wakeIdleTimer();
}

void CSequencer::setCurrentSong(CSongDoc* song)
{
    m_currentSong.store(song, std::memory_order_release);
    m_transport.songSwitchedTo.store(nullptr, std::memory_order_release);
    if (song != nullptr)
        wakeIdleTimer();
    else
        m_transport.msClock.stand(timeGetTime());
}

// Before Init and after Shutdown there is no refresh pass to ask.
void CSequencer::requestRefresh(uint32_t bits)
{
    if (m_refresh)
        m_refresh->request(bits);
}

uint64_t CSequencer::refreshWakeCount() const
{
    return m_refresh ? m_refresh->wakeCount() : 0;
}

// Timer thread, under the SongMutex: one idle tick of beats at the tempo of
// the position, scaled by the multiplier. True when the display changed.
bool CSequencer::advanceIdleBeat(const CSongDoc& song, uint32_t user)
{
    const bool recomputed = &song != m_idleBeat.beat.song || user != m_idleBeat.beat.user
                            || song.position() != m_idleBeat.beat.position
                            || song.selectionStamp != m_idleBeat.beat.stamp;
    if (recomputed)
        recomputeIdleBeat(song, user);
    // The period in µs at the multiplier: 4 ms at 100000 (100 %) is 4000 µs.
    const double microseconds =
        double(m_transport.tempoMultiplier.load(std::memory_order_acquire)) * kIdleTimerPeriodMs / 100.0;
    m_idleBeat.beat.beatCount += microseconds * m_idleBeat.beat.ticksPerMicrosecond / m_idleBeat.beat.ticksPerClick;
    m_idleBeat.phase.store(0.5 - (m_idleBeat.beat.beatCount - std::floor(m_idleBeat.beat.beatCount)),
                      std::memory_order_release);
    if (!m_idleBeat.shown.load(std::memory_order_acquire))
        return recomputed;
    const auto step = int64_t(std::floor(m_idleBeat.beat.beatCount * IdleBeatDisplay::kBeatSteps));
    const bool stepped = step != m_idleBeat.beat.postedStep;
    m_idleBeat.beat.postedStep = step;
    return recomputed || stepped;
}

// Timer thread, under the SongMutex. A new timer run restarts the beat count
// at the position; a new position alone keeps it running.
void CSequencer::recomputeIdleBeat(const CSongDoc& song, uint32_t user)
{
    const bool newRun = user != m_idleBeat.beat.user;
    m_idleBeat.beat.song = &song;
    m_idleBeat.beat.user = user;
    m_idleBeat.beat.position = song.position();
    m_idleBeat.beat.stamp = song.selectionStamp;
    m_transport.position.store(song.position(), std::memory_order_release);

    const int timeBase = std::max(int(song.timeBase), 1);
    const int measure = song.FindMeasure(song.position());
    const int32_t measureStart = measure >= 0 ? song.measureMap[size_t(measure)].start : 0;
    m_idleBeat.beat.ticksPerClick = double(ticksPerClick(song, measure, timeBase));
    const uint32_t tempo = song.tempoMap.empty()
                               ? kDefaultTempo
                               : song.tempoMap[size_t(song.FindTempoIndex(song.position()))].tempo;
    m_idleBeat.beat.ticksPerMicrosecond = double(timeBase) / double(std::max(tempo, kMinTempo));
    if (newRun)
        m_idleBeat.beat.beatCount = double(song.position() - measureStart) / m_idleBeat.beat.ticksPerClick;
    m_idleBeat.recomputes.fetch_add(1, std::memory_order_relaxed);
}

// GUI thread: the beat display, then the views that follow playback.
void CSequencer::RefreshThreadProc(uint32_t bits)
{
    EngineToGui& posts = m_services.toGui;
    assert(posts.onGuiThread());
    // The engine switched songs itself: the views attach to the new song
    // before they follow it.
    if (bits & kRefreshSkipSwitched) {
        posts.clearAttachedFlags();
        posts.setCurrentItem(m_transport.skipItem.load(std::memory_order_acquire));
        posts.setFrameTimer(FrameTimer::SkipSwitched);
    }
    if (transportState() == TransportState::Playing || (bits & kRefreshBeat))
        posts.DrawSpectrum(beatPhase());
    if (bits & kRefreshViews) {
        posts.OnSongChanged();
        if (currentSong() != nullptr)
            posts.followPlayback();
    }
    if (bits & kRefreshSongEnded)
        posts.setFrameTimer(FrameTimer::SongEnded);
    if (bits & kRefreshCueReached)
        posts.startCueTimer();
    if (bits & kRefreshIdleTimer)
        resumeIdleTimer();
    if (bits & kRefreshAudioBlock)
        applyBlockFrames();
}

// A follower that stopped, or an idle timer that rested, leaves no timer
// running; the idle timer takes over unless a start came meanwhile.
void CSequencer::resumeIdleTimer()
{
    LockGuard guard(TransportMutex(), "RefreshThreadProc", m_options.lockWait);
    const TransportState state = transportState();
    if (guard && !shuttingDown() && (state == TransportState::Stopped || state == TransportState::Paused)
        && m_services.timer.mode() == TimerMode::Off)
        startIdleTimer();
}

} // namespace rz
