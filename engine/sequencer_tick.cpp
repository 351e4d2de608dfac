// The playback tick: a start or jump located, the cues followed, the events
// that came due played and the clock moved on. Timer thread; allocates
// nothing and holds the TransportMutex only to start and to end, never while
// the song plays its events (which takes the AudioMutex).
#include "engine/sequencer.h"

#include "song/cue.h"
#include "song/song_doc.h"
#include "song/tempo_map.h"

#include <algorithm>
#include <cmath>

namespace rz {

namespace {

thread_local bool t_inPlaybackTick = false;

// Marks the calling thread as running a playback tick.
class PlaybackTickScope {
public:
    PlaybackTickScope() { t_inPlaybackTick = true; }
    ~PlaybackTickScope() { t_inPlaybackTick = false; }
    PlaybackTickScope(const PlaybackTickScope&) = delete;
    PlaybackTickScope& operator=(const PlaybackTickScope&) = delete;
};

TempoEntry tempoEntry(const CSongDoc& song, int index)
{
    if (song.tempoMap.empty())
        return TempoEntry{};
    return song.tempoMap[size_t(std::clamp(index, 0, int(song.tempoMap.size()) - 1))];
}

// The earliest time or second time of any cue after the tick; none: the
// largest tick.
int32_t nextCueTickAfter(const CSongDoc& song, int32_t tick)
{
    int32_t next = NextStop::kNoTick;
    for (const auto& cue : song.cues) {
        if (cue->time > tick)
            next = std::min(next, cue->time);
        if (cue->secondTime > tick)
            next = std::min(next, cue->secondTime);
    }
    return next;
}

bool vampHolds(const CCue& cue, int32_t tick)
{
    return isVampLike(cue.kind) && tick >= cue.secondTime && tick < cue.time;
}

// Of the vamps whose stretch holds the tick, the one that ends first, and of
// those the one that starts last: the inner one of nested vamps, and never a
// marker or other cue inside it.
const CCue* innermostVampAt(const CSongDoc& song, int32_t tick)
{
    const CCue* inner = nullptr;
    for (size_t k = size_t(song.FindCueAt(tick)); k < song.cues.size(); ++k) {
        const CCue& cue = *song.cues[k];
        if (inner != nullptr && cue.GetTime() != inner->time)
            break;
        if (vampHolds(cue, tick) && (inner == nullptr || cue.secondTime > inner->secondTime))
            inner = &cue;
    }
    return inner;
}

} // namespace

bool CSequencer::onPlaybackTick()
{
    return t_inPlaybackTick;
}

int32_t CSequencer::tickAtTime(const TempoEntry& entry, double time) const
{
    const double ticks = (time - entry.time) * m_transport.clock.timeBase / double(entry.tempo);
    return entry.tick + int32_t(std::trunc(ticks));
}

double CSequencer::timeAtTick(const TempoEntry& entry, int32_t tick) const
{
    return entry.time + double(tick - entry.tick) * double(entry.tempo) / m_transport.clock.timeBase;
}

DueClock CSequencer::dueClockNow() const
{
    const int32_t multiplier = std::max(m_transport.tempoMultiplier.load(std::memory_order_acquire), 1);
    return DueClock{currentTickTime(), m_transport.realTime.load(std::memory_order_acquire),
                     double(kNormalMultiplier) / double(multiplier)};
}

void CSequencer::TimerProc(uint32_t)
{
    PlaybackTickScope scope;
    CSongDoc* song = songPlayed();
    if (song == nullptr)
        return;
    const double stalledUs = stallBeforeThisTick();
    if (stalledUs > 0.0 && transportState() == TransportState::Playing)
        followClockAfterStall(*song, stalledUs);
    // A start whose lock wait timed out is tried again on the next tick.
    if (transportState() == TransportState::Starting)
        startPlaying(*song);
    const DueClock clock = dueClockNow();
    const DueClockScope dueTimes(clock);
    if (transportState() == TransportState::Playing && !playStep(*song))
        return;
    beatAndClick(*song);
    refreshViews();
}

// A tick while Playing: cues, sync, the events due, the clock, the jump
// and the end; false when the tick ends there.
bool CSequencer::playStep(CSongDoc& song)
{
    checkCues(song);
    if (!countingIn() && liveSettings()->sync.masterSlave == 1)
        sendSyncOutput();
    if (transportState() != TransportState::Playing)
        return false;
    if (m_transport.nextStopStale.exchange(false, std::memory_order_acq_rel))
        followPlayThrough(song);
    if (m_recorder.joinPending.exchange(false, std::memory_order_acq_rel))
        joinTake(song);
    if (!countingIn()) {
        if (m_io.volumeResendPending.load(std::memory_order_acquire) && resendTrackVolumes())
            m_io.volumeResendPending.store(false, std::memory_order_release);
        song.PlayEventsUpTo();
    }
    moveTempoIndex(song);
    advanceClock(song);
    if (countingIn()) {
        advanceCountIn(song);
        return true;
    }
    if (recording())
        growMeasureMap(song);
    moveMeasure(song);
    if (handleJump(song))
        return false;
    return !handleEnd(song);
}

// A start or jump. The start tick is read under the TransportMutex, the
// song located without it, and Playing set only when no other start or stop
// came meanwhile; false when that did not happen.
bool CSequencer::startPlaying(CSongDoc& song)
{
    int32_t start = 0;
    uint32_t serial = 0;
    {
        LockGuard guard(TransportMutex(), "TimerProc", m_options.lockWait);
        if (!guard || transportState() != TransportState::Starting)
            return false;
        if (m_transport.startRelative) {
            m_transport.startTick = position() + m_transport.startTick;
            m_transport.startRelative = false;
        }
        start = m_transport.startTick;
        serial = m_transport.startSerial;
    }
    endOtherSongsNotes(song);
    locateStart(song, wrapIntoActiveVamp(start));
    followActiveVampAtStart(song);
    startCountIn();
    LockGuard guard(TransportMutex(), "TimerProc", m_options.lockWait);
    if (!guard || transportState() != TransportState::Starting || m_transport.startSerial != serial)
        return false;
    m_transport.setState(TransportState::Playing);
    return true;
}

// A song's start settles only its own channels: what another song left
// sounding, on any port, ends first.
void CSequencer::endOtherSongsNotes(CSongDoc& song)
{
    CSongDoc* before = m_transport.songSounding.exchange(&song, std::memory_order_acq_rel);
    if (before != nullptr && before != &song)
        endTrackNotesOnEveryPort();
}

int32_t CSequencer::wrapIntoActiveVamp(int32_t start)
{
    return m_transport.wrapIntoVamp(start);
}

void CSequencer::locateStart(CSongDoc& song, int32_t start)
{
    m_transport.nextStopStale.store(false, std::memory_order_release);
    song.Locate(start);
    m_transport.runStart.store(song.position(), std::memory_order_release);
    song.ComputeNextStop();
    takeClockFromSong(song);
}

// The play clock from where the song was located.
void CSequencer::takeClockFromSong(CSongDoc& song)
{
    const int32_t at = song.position();
    m_transport.position.store(at, std::memory_order_release);
    m_transport.clock.timeBase = std::max(int(song.timeBase), 1);
    m_transport.clock.measure = -1;
    moveMeasure(song);
    m_transport.clock.gridTicks = std::max(song.GetGridTicks(), int32_t(1));
    m_transport.clock.gridColumn = at / m_transport.clock.gridTicks;
    m_transport.clock.tempoIndex = song.tempoMap.empty() ? 0 : song.FindTempoIndex(at);
    const TempoEntry entry = tempoEntry(song, m_transport.clock.tempoIndex);
    m_transport.clock.tempo = entry.tempo;
    const double time =
        entry.time + double(at - entry.tick) * double(entry.tempo) / m_transport.clock.timeBase;
    m_transport.realTime.store(time, std::memory_order_release);
    resetSyncOutput(at, time);
    m_transport.clock.clickNumber = -1;
    m_transport.clock.nextCueTick = 0;
}

// Outside its stretch the vamp is over: played into again, it counts
// afresh. On its last repetition a vamp with a second count n leaves n
// measures before its end.
void CSequencer::followActiveVampAtStart(CSongDoc& song)
{
    const CCue* vamp = activeVamp();
    if (vamp == nullptr)
        return;
    const int32_t at = position();
    if (at >= vamp->time || at < vamp->secondTime) {
        clearVamp();
        return;
    }
    if (m_transport.vampRepetitionsLeft.load(std::memory_order_acquire) != 1 || vamp->secondCount <= 0)
        return;
    const int last = song.FindMeasure(std::max(vamp->time - 1, int32_t(0)));
    const int leave = last - (vamp->secondCount - 1);
    if (last < 0 || leave < 0)
        return;
    const int32_t from = song.measureMap[size_t(leave)].start;
    // A jump that comes first, an inner vamp's say, keeps its turn.
    if (from <= vamp->secondTime || from <= at || nextStop().jumpFrom <= from)
        return;
    m_transport.changeNextStop([&](NextStop& stop) {
        stop.jumpFrom = from;
        stop.jumpTo = vamp->time;
        stop.heldJump = nullptr;
    });
}

// The play-through flag changed while playing: the next stop is worked out
// again, unless it holds a jump the navigation scheduled, a vamp's early
// leave or a hold the performer asked for.
void CSequencer::followPlayThrough(CSongDoc& song)
{
    const NextStop stop = nextStop();
    const CCue* cue = stop.jumpCue;
    const bool cuesOwn = stop.jumpFrom == NextStop::kNoTick
                         || (cue != nullptr && cue->kind != kCueAdLib && stop.jumpFrom == cue->time);
    if (cuesOwn && !m_transport.hold.load(std::memory_order_acquire))
        song.ComputeNextStop();
}

// While the position is in the active vamp, a vamp that overlaps its start
// is not entered: its jump would take the position out of the active one,
// and entered in its middle it would count its passes afresh.
bool CSequencer::keepsActiveVamp(const CCue& found, int32_t at) const
{
    const CCue* active = activeVamp();
    if (active == nullptr || active == &found || !vampHolds(*active, at))
        return false;
    return found.secondTime < active->secondTime || found.time > active->time;
}

int CSequencer::vampRepetitionsOnEntry(const CCue& vamp) const
{
    const bool through = m_transport.playThrough.load(std::memory_order_acquire);
    return vamp.repeatCount > 0 ? vamp.repeatCount : (through ? 2 : 0);
}

// The innermost vamp the position is in becomes the active vamp, and the
// set view hears that a cue was reached.
void CSequencer::checkCues(const CSongDoc& song)
{
    const int32_t at = position();
    if (at < m_transport.clock.nextCueTick)
        return;
    if (const CCue* found = innermostVampAt(song, at); found != nullptr && !keepsActiveVamp(*found, at)) {
        if (found != activeVamp()) {
            const int repeats = vampRepetitionsOnEntry(*found);
            m_transport.enterVamp(*found, repeats);
            // The stop was worked out before the vamp held the position.
            if (repeats != 1)
                m_transport.changeNextStop([&](NextStop& next) { holdJumpIn(next, *found); });
        }
        // Of vamps that end together, the inner one jumps.
        const NextStop stop = nextStop();
        if (stop.jumpCue != nullptr && stop.jumpCue != found && isVampLike(stop.jumpCue->kind)
            && stop.jumpFrom == found->time) {
            m_transport.changeNextStop([found](NextStop& next) {
                next.jumpCue = found;
                next.jumpTo = found->secondTime;
                next.heldJump = nullptr;
            });
        }
    }
    requestRefresh(kRefreshCueReached);
    m_transport.clock.nextCueTick = nextCueTickAfter(song, at);
}

// Unless a take holds the tempo where it started ("FollowTempo" off).
void CSequencer::moveTempoIndex(const CSongDoc& song)
{
    if (recording() && !liveSettings()->record.followTempo)
        return;
    const double now = m_transport.realTime.load(std::memory_order_acquire);
    const TempoMap& map = song.tempoMap;
    while (m_transport.clock.tempoIndex + 1 < int(map.size())
           && map[size_t(m_transport.clock.tempoIndex) + 1].time < now)
        ++m_transport.clock.tempoIndex;
}

// The clock: the real time moves by the period at the multiplier and
// the position is recomputed from it through the tempo entry in force then,
// so neither drifts.
void CSequencer::advanceClock(CSongDoc& song)
{
    const uint32_t period = liveSettings()->tickPeriodMs;
    m_transport.msClock.advance(period, timeGetTime());
    // µs: 2 ms at 100000 (100 %) adds 2000.
    const double step =
        double(m_transport.tempoMultiplier.load(std::memory_order_acquire)) * double(period) / 100.0;
    const double now = m_transport.realTime.load(std::memory_order_acquire) + step;
    m_transport.realTime.store(now, std::memory_order_release);
    moveTempoIndex(song);
    const TempoEntry entry = tempoEntry(song, m_transport.clock.tempoIndex);
    m_transport.clock.tempo = entry.tempo;
    const int32_t at = tickAtTime(entry, now);
    m_transport.position.store(at, std::memory_order_release);
    if (!countingIn())
        song.setPosition(at);
}

void CSequencer::moveMeasure(const CSongDoc& song)
{
    const MeasureMap& map = song.measureMap;
    if (map.empty())
        return;
    const int32_t at = position();
    if (m_transport.clock.measure < 0)
        m_transport.clock.measure = 0;
    while (m_transport.clock.measure + 1 < int(map.size()) && map[size_t(m_transport.clock.measure) + 1].start <= at)
        ++m_transport.clock.measure;
    const MeasureRec& measure = map[size_t(m_transport.clock.measure)];
    m_transport.clock.measureStart = measure.start;
    m_transport.clock.numerator = measure.numerator;
    m_transport.clock.denominator = measure.denominator;
}

// Plays every event before `tick` and stops the clock just short of it.
void CSequencer::playUpToJustBefore(CSongDoc& song, int32_t tick)
{
    const int32_t before = std::max(tick - 1, int32_t(0));
    m_transport.position.store(before, std::memory_order_release);
    m_transport.clock.tempoIndex = song.tempoMap.empty() ? 0 : song.FindTempoIndex(before);
    m_transport.realTime.store(song.TickToTime(before), std::memory_order_release);
    song.PlayEventsUpTo();
}

// The end: Holding at an Ad lib cue or with the hold flag, else
// SongEnded. True: the tick ends here. A timed-out lock wait is retried on
// the next tick, which comes back here.
bool CSequencer::handleEnd(CSongDoc& song)
{
    const NextStop stop = nextStop();
    if (position() < stop.endTick)
        return false;
    playUpToJustBefore(song, stop.endTick);
    song.setPosition(stop.endTick);
    LockGuard guard(TransportMutex(), "TimerProc", m_options.lockWait);
    if (!guard)
        return true;
    const TransportState state = transportState();
    const bool adLib = stop.jumpCue != nullptr && stop.jumpCue->kind == kCueAdLib;
    if (adLib || m_transport.hold.load(std::memory_order_acquire)) {
        m_transport.setState(TransportState::Holding);
        requestRefresh(kRefreshViews);
    } else if (state == TransportState::Playing || state == TransportState::Starting) {
        m_transport.setState(TransportState::SongEnded);
        requestRefresh(kRefreshSongEnded);
    }
    return true;
}

// The views move once per grid column, the beat display once per
// beat step.
void CSequencer::refreshViews()
{
    uint32_t bits = m_transport.clock.beatChanged ? uint32_t(kRefreshBeat) : 0u;
    m_transport.clock.beatChanged = false;
    const int32_t column = position() / m_transport.clock.gridTicks;
    if (column != m_transport.clock.gridColumn) {
        m_transport.clock.gridColumn = column;
        bits |= kRefreshViews;
    }
    if (bits != 0)
        requestRefresh(bits);
}

} // namespace rz
