// Synchronisation follower: MIDI clock with song position, or MIDI time
// code, from an input moves the play position and plays the song instead of
// the engine's timer. Runs on the input dispatcher threads, one message at
// a time.
#include "engine/sync_follower.h"

#include "core/midi_bytes.h"
#include "engine/gui_posts.h"
#include "engine/sequencer.h"
#include "song/song_doc.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

namespace rz {

namespace {

using midi::kClock;
using midi::kContinue;
using midi::kQuarterFrame;
using midi::kSongPosition;
using midi::kSongSelect;
using midi::kStart;
using midi::kStop;
using midi::kTick;

// F9 comes every 10 ms, µs.
constexpr double kTickStepUs = 10000.0;
// Time code marks the time of its first quarter frame; the eight pieces take
// two frames to arrive.
constexpr double kQuarterFrameLagFrames = 2.0;
// While playing, a time code this far off the running time is a jump of the
// sender: the song is located there rather than played up to it. Frames.
constexpr double kRelocateFrames = 2.0;

constexpr size_t kFullFrameBytes = 10;
constexpr int kFramesPerSecond[4] = {24, 25, 30, 30};

// F0 7F <device> 01 01 hr mn sc fr F7: the universal real-time full frame.
bool isFullFrame(std::span<const uint8_t> bytes)
{
    if (bytes.size() < kFullFrameBytes || bytes[0] != midi::kSysEx || bytes[1] != 0x7F
        || bytes[3] != 0x01 || bytes[4] != 0x01 || bytes[9] != midi::kEndOfSysEx)
        return false;
    return std::all_of(bytes.begin() + 2, bytes.begin() + 9, [](uint8_t b) { return midi::isDataByte(b); });
}

// Received fields are clamped into a day and the rate before they become a
// time: hours 0..23, minutes and seconds 0..59, frames below the rate.
CSmpteTime receivedTime(int rate, int hours, int minutes, int seconds, int frames)
{
    rate &= 3;
    return CSmpteTime::fromFields(rate, std::clamp(hours, 0, 23), std::clamp(minutes, 0, 59),
                                  std::clamp(seconds, 0, 59),
                                  std::clamp(frames, 0, kFramesPerSecond[rate] - 1), 0);
}

double smpteOffsetUs(const CSongDoc& song)
{
    CSmpteTime offset = song.smpteOffset;
    return offset.GetTime();
}

// A MIDI clock is a 24th of a quarter; at least one tick.
int32_t ticksPerClock(const CSongDoc& song)
{
    return std::max(int32_t(song.timeBase / 24), int32_t(1));
}

} // namespace

SyncFollower::SyncFollower(CSequencer& engine, SteadyClock::time_point deadline)
    : m_engine(engine), m_follow(engine.m_follower.state), m_deadline(deadline)
{
}

int SyncFollower::protocol() const
{
    return m_engine.liveSettings()->sync.protocol;
}

TransportState SyncFollower::state() const
{
    return m_engine.transportState();
}

void SyncFollower::setState(TransportState state)
{
    m_engine.m_transport.setState(state);
}

void SyncFollower::transportChanged()
{
    m_engine.m_services.toGui.transportChanged();
}

void SyncFollower::onMessage(uint32_t message)
{
    switch (uint8_t(message)) {
    case kQuarterFrame: quarterFrame(uint8_t(message >> 8)); return;
    case kSongPosition: songPosition(message); return;
    case kSongSelect: songSelect(uint8_t(message >> 8)); return;
    case kClock: clock(false); return;
    case kTick: clock(true); return;
    case kStart: start(false); return;
    case kContinue: start(true); return;
    case kStop: stop(); return;
    default: return;
    }
}

void SyncFollower::onSysEx(std::span<const uint8_t> bytes)
{
    size_t at = 0;
    while (at + kFullFrameBytes <= bytes.size()) {
        const std::span<const uint8_t> candidate = bytes.subspan(at, kFullFrameBytes);
        if (isFullFrame(candidate)) {
            fullFrame(candidate);
            at += kFullFrameBytes;
        } else {
            ++at;
        }
    }
}

// Pieces may come in any order or go missing: each sets its nibble, and
// piece 7 completes a time from whatever the others left. A follower that
// is not playing starts only on a whole time; while playing, every piece
// plays up to the real time and moves it on by a quarter frame.
void SyncFollower::quarterFrame(uint8_t data)
{
    if (protocol() != 1)
        return;
    const int piece = (data >> 4) & 7;
    assemblePiece(piece, data & 15);
    const bool playing = state() == TransportState::Playing;
    if (!playing && piece != 7)
        return;
    const CSmpteTime& fields = m_follow.time;
    const CSmpteTime received = receivedTime(fields.rate(), fields.hours(), fields.minutes(),
                                             fields.seconds(), fields.frames());
    const double frameUs = received.microsecondsPerFrame();
    double now = m_engine.realTime();
    if (piece == 7) {
        const std::optional<double> time = songTimeOf(received);
        if (!time)
            return;
        // A time far off the running one is a jump of the sender: the song
        // is located there rather than played up to it.
        if (!playing || std::abs(*time - now) > kRelocateFrames * frameUs) {
            if (!restartAt([&](const CSongDoc& song) { return song.TimeToTick(*time); }))
                return;
        }
        now = *time;
    }
    LockGuard guard(SongMutex(), "OnSyncInput", waitLeft());
    CSongDoc* song = m_engine.currentSong();
    if (!guard || song == nullptr || state() != TransportState::Playing)
        return;
    playUpTo(*song, song->TimeToTick(now), now);
    m_engine.m_transport.realTime.store(now + frameUs / 4.0, std::memory_order_release);
}

void SyncFollower::assemblePiece(int piece, int nibble)
{
    CSmpteTime& time = m_follow.time;
    switch (piece) {
    case 0: time.setFrames((time.frames() & 0xF0) | nibble); break;
    case 1: time.setFrames((time.frames() & 0x0F) | nibble << 4); break;
    case 2: time.setSeconds((time.seconds() & 0xF0) | nibble); break;
    case 3: time.setSeconds((time.seconds() & 0x0F) | nibble << 4); break;
    case 4: time.setMinutes((time.minutes() & 0xF0) | nibble); break;
    case 5: time.setMinutes((time.minutes() & 0x0F) | nibble << 4); break;
    case 6: time.setHours(nibble); break;
    default:
        time.setRate((nibble >> 1) & 3);
        time.setHours(time.hours() + (nibble & 1) * 16);
        break;
    }
}

// The song time (µs) of a whole received time code: it marks piece 0, two
// frames ago; less the song's SMPTE offset, and 0 before it.
std::optional<double> SyncFollower::songTimeOf(CSmpteTime received)
{
    LockGuard guard(SongMutex(), "OnSyncInput", waitLeft());
    const CSongDoc* song = m_engine.currentSong();
    if (!guard || song == nullptr)
        return std::nullopt;
    const double time = received.GetTime() + kQuarterFrameLagFrames * received.microsecondsPerFrame();
    return std::max(time - smpteOffsetUs(*song), 0.0);
}

// From any state: Starting, then located and Playing.
template <class TickOf>
bool SyncFollower::restartAt(TickOf tickOf)
{
    {
        LockGuard guard(TransportMutex(), "OnSyncInput", waitLeft());
        if (!guard)
            return false;
        m_engine.m_transport.songPlayed.store(m_engine.currentSong(), std::memory_order_release);
        ++m_engine.m_transport.startSerial;
        setState(TransportState::Starting);
    }
    return locateStart(tickOf);
}

// A start is located in the Starting state, so that the chase strikes the
// notes that sound there, and then becomes Playing; false when a stop or
// another start came meanwhile or a wait timed out. Only a start request
// (Play, or the follower's own) is followed: a pause from Stopped passes
// through Starting to chase the song on the GUI thread, and is left alone.
template <class TickOf>
bool SyncFollower::locateStart(TickOf tickOf)
{
    uint32_t serial = 0;
    {
        LockGuard guard(TransportMutex(), "OnSyncInput", waitLeft());
        if (!guard || state() != TransportState::Starting
            || m_engine.m_transport.startSerial == m_follow.startTaken)
            return false;
        serial = m_engine.m_transport.startSerial;
    }
    {
        LockGuard guard(SongMutex(), "OnSyncInput", waitLeft());
        CSongDoc* song = m_engine.currentSong();
        if (!guard || song == nullptr || state() != TransportState::Starting)
            return false;
        locate(*song, tickOf(*song));
    }
    {
        LockGuard guard(TransportMutex(), "OnSyncInput", waitLeft());
        if (!guard || state() != TransportState::Starting || m_engine.m_transport.startSerial != serial)
            return false;
        m_follow.startTaken = serial;
        setState(TransportState::Playing);
    }
    transportChanged();
    return true;
}

// A moving follower stops; the song is located at the position in
// sixteenths.
void SyncFollower::songPosition(uint32_t message)
{
    if (protocol() != 0 || m_engine.currentSong() == nullptr)
        return;
    bool changed = false;
    if (!stopMoving(changed))
        return;
    if (changed)
        transportChanged();
    LockGuard guard(SongMutex(), "OnSyncInput", waitLeft());
    CSongDoc* song = m_engine.currentSong();
    if (!guard || song == nullptr)
        return;
    const int64_t sixteenths = int64_t((message >> 8) & 0x7F) + int64_t((message >> 16) & 0x7F) * 128;
    const int64_t tick = sixteenths * song->timeBase / 4;
    locate(*song, int32_t(std::min<int64_t>(tick, NextStop::kNoTick - 1)));
    m_engine.requestRefresh(kRefreshViews);
}

void SyncFollower::songSelect(uint8_t data)
{
    if (state() == TransportState::Stopped)
        m_engine.m_services.toGui.selectSetSong(data & 0x7F);
}

// F8: in Starting the song is located at the position and plays; every
// clock plays up to its tick, a 24th of a quarter after the last. F9: every
// 10 ms of real time.
void SyncFollower::clock(bool tick)
{
    if (protocol() != 0 || m_engine.currentSong() == nullptr)
        return;
    const TransportState now = state();
    if (now == TransportState::Starting) {
        if (tick) {
            const double time = m_engine.realTime();
            if (!locateStart([&](const CSongDoc& song) { return song.TimeToTick(time); }))
                return;
        } else {
            // A start the user asked for begins at the engine's position.
            // The song's own position: a resting idle timer no longer copies it.
            const auto base = [&](const CSongDoc& song) {
                return m_follow.basePending ? m_follow.clockBase : song.position();
            };
            if (!locateStart(base))
                return;
            m_follow.clockBase = m_engine.position();
            m_follow.clocks = 0;
            m_follow.basePending = false;
        }
    } else if (now != TransportState::Playing) {
        return;
    }
    LockGuard guard(SongMutex(), "OnSyncInput", waitLeft());
    CSongDoc* song = m_engine.currentSong();
    // A stop that came meanwhile has silenced the ports: nothing more plays.
    if (!guard || song == nullptr || state() != TransportState::Playing)
        return;
    if (tick) {
        const double time = m_engine.realTime();
        playUpTo(*song, song->TimeToTick(time), time);
        m_engine.m_transport.realTime.store(time + kTickStepUs, std::memory_order_release);
        return;
    }
    const int64_t at = int64_t(m_follow.clockBase) + m_follow.clocks * song->timeBase / 24;
    const int32_t clamped = int32_t(std::min<int64_t>(at, NextStop::kNoTick - 1));
    playUpTo(*song, clamped, song->TickToTime(clamped));
    ++m_follow.clocks;
}

// FA from 0; FB from the song's position on the clock at or before it. The
// next clock locates and plays.
void SyncFollower::start(bool continuing)
{
    if (protocol() != 0 || m_engine.currentSong() == nullptr)
        return;
    int32_t at = 0;
    double time = 0.0;
    if (continuing) {
        LockGuard guard(SongMutex(), "OnSyncInput", waitLeft());
        const CSongDoc* song = m_engine.currentSong();
        if (!guard || song == nullptr)
            return;
        const int32_t perClock = ticksPerClock(*song);
        at = std::max(song->position(), int32_t(0)) / perClock * perClock;
        time = song->TickToTime(at);
    }
    {
        LockGuard guard(TransportMutex(), "OnSyncInput", waitLeft());
        if (!guard || state() == TransportState::Playing)
            return;
        m_engine.m_transport.position.store(at, std::memory_order_release);
        m_engine.m_transport.realTime.store(time, std::memory_order_release);
        m_engine.m_transport.songPlayed.store(m_engine.currentSong(), std::memory_order_release);
        ++m_engine.m_transport.startSerial;
        setState(TransportState::Starting);
    }
    m_follow.clockBase = at;
    m_follow.basePending = true;
    transportChanged();
    m_engine.m_idleBeat.phase.store(0.5, std::memory_order_release);
    m_engine.requestRefresh(kRefreshViews | kRefreshBeat);
}

void SyncFollower::stop()
{
    if (protocol() != 0 || m_engine.currentSong() == nullptr)
        return;
    bool changed = false;
    if (!stopMoving(changed) || !changed)
        return;
    transportChanged();
    m_engine.requestRefresh(kRefreshViews);
}

// Stops and locates at the full frame's time, whatever the protocol.
void SyncFollower::fullFrame(std::span<const uint8_t> bytes)
{
    bool changed = false;
    if (!stopMoving(changed))
        return;
    if (changed)
        transportChanged();
    LockGuard guard(SongMutex(), "OnSyncSysEx", waitLeft());
    CSongDoc* song = m_engine.currentSong();
    if (!guard || song == nullptr)
        return;
    CSmpteTime received = receivedTime(bytes[5] >> 5, bytes[5] & 0x1F, bytes[6], bytes[7], bytes[8]);
    m_follow.time = received;
    const double time = std::max(received.GetTime() - smpteOffsetUs(*song), 0.0);
    locate(*song, song->TimeToTick(time));
    m_engine.requestRefresh(kRefreshViews);
}

bool SyncFollower::stopMoving(bool& changed)
{
    LockGuard guard(TransportMutex(), "OnSyncInput", waitLeft());
    if (!guard)
        return false;
    changed = state() != TransportState::Stopped;
    if (changed) {
        m_engine.AllNotesOff();
        setState(TransportState::Stopped);
        m_follow.basePending = false;
        m_engine.requestRefresh(kRefreshIdleTimer);
    }
    return true;
}

// Under the SongMutex. Locate clamps a tick beyond the song.
void SyncFollower::locate(CSongDoc& song, int32_t tick)
{
    song.Locate(std::max(tick, int32_t(0)));
    m_engine.m_transport.position.store(song.position(), std::memory_order_release);
    m_engine.m_transport.realTime.store(song.TickToTime(song.position()), std::memory_order_release);
}

// Under the SongMutex: every event due by `time` (µs) is sent.
void SyncFollower::playUpTo(CSongDoc& song, int32_t tick, double time)
{
    m_engine.m_transport.realTime.store(time, std::memory_order_release);
    m_engine.m_transport.position.store(tick, std::memory_order_release);
    song.setPosition(tick);
    song.PlayEventsUpTo();
    setBeatPhase(song, tick);
    m_engine.requestRefresh(kRefreshViews | kRefreshBeat);
}

// 0.5 at a click, falling towards -0.5 before the next.
void SyncFollower::setBeatPhase(const CSongDoc& song, int32_t tick)
{
    const int index = song.FindMeasure(tick);
    if (index < 0)
        return;
    const MeasureRec& measure = song.measureMap[size_t(index)];
    const int32_t perClick =
        std::max(int32_t(measure.clocksPerClick) * std::max(int32_t(song.timeBase), int32_t(1)) / 24,
                 int32_t(1));
    const int32_t into = std::max(tick - measure.start, int32_t(0)) % perClick;
    m_engine.m_idleBeat.phase.store(0.5 - double(into) / perClick, std::memory_order_release);
}

} // namespace rz
