// Synchronisation master: MIDI clock with song position, start, continue
// and stop, or MIDI time code quarter frames, to the sync port or every
// output.
#include "engine/sequencer.h"

#include "core/midi_bytes.h"
#include "engine/mtc.h"
#include "song/song_doc.h"

#include <algorithm>

namespace rz {

namespace {

using midi::kClock;
using midi::kContinue;
using midi::kSongPosition;
using midi::kStart;
using midi::kStop;
constexpr int kQuarterFramesPerCycle = 8;

// The tick of clock `index` of a run from `base`: a clock every 24th of a
// quarter, without the drift of a time base that 24 does not divide.
int64_t clockTick(int32_t base, int64_t index, int timeBase)
{
    return int64_t(base) + index * timeBase / 24;
}

} // namespace

// "Port" n in 1..count is the n-th output; 0 or less every output. A port
// beyond the outputs gets nothing, or with `beyondMeansAll` every output
// gets it, as the clock does.
template <class Each>
void CSequencer::forEachSyncOutput(bool beyondMeansAll, Each each)
{
    const std::shared_ptr<const SequencerPorts> table = ports();
    const int count = int(table->outputs.size());
    const int port = liveSettings()->sync.port;
    if (port > 0 && port <= count) {
        each(*table->outputs[size_t(port - 1)]);
        return;
    }
    if (port > count && !beyondMeansAll)
        return;
    for (const auto& output : table->outputs)
        each(*output);
}

void CSequencer::SendSyncClock()
{
    forEachSyncOutput(true, [](COutPort& port) { port.SendShort(kClock); });
}

void CSequencer::SendSyncStart(bool continuing)
{
    if (!m_syncMaster.takeStart())
        return;
    const uint32_t message = continuing ? kContinue : kStart;
    forEachSyncOutput(false, [&](COutPort& port) { port.SendShort(message); });
}

void CSequencer::SendSyncStop()
{
    const SyncOptions sync = liveSettings()->sync;
    if (sync.masterSlave != 1 || sync.protocol != 0)
        return;
    if (!m_syncMaster.takeStop())
        return;
    forEachSyncOutput(false, [](COutPort& port) { port.SendShort(kStop); });
}

// F2 with the position's low and high 7 bits. A running receiver is stopped
// first and then continues from there; a start (Starting) goes on at once:
// Start from 0, Continue elsewhere. Timer thread while starting, the GUI
// thread while stopped.
void CSequencer::SendSongPosition(int32_t sixteenths)
{
    const uint32_t value = uint32_t(std::clamp(sixteenths, int32_t(0), int32_t(0x3FFF)));
    const bool wasStarted = syncStarted();
    if (wasStarted)
        SendSyncStop();
    const uint32_t message = kSongPosition | (value & 0x7F) << 8 | (value >> 7) << 16;
    forEachSyncOutput(false, [&](COutPort& port) { port.SendShort(message); });
    if (wasStarted || transportState() == TransportState::Starting)
        SendSyncStart(value != 0);
}

// Timer thread, at every start: the clock and the time code start again from
// the position (ticks) and its real time (µs).
void CSequencer::resetSyncOutput(int32_t position, double realTime)
{
    m_syncMaster.send.clockBase = position;
    m_syncMaster.send.clocksSent = 0;
    m_syncMaster.send.nextQuarterFrame = realTime;
    m_syncMaster.send.quarterFrameIndex = 0;
    // Time code carries its own rates only; the frame length is the one of
    // the rate that goes out.
    const int carried = mtcFields(CSmpteTime(0.0, clampSmpteRate(liveSettings()->sync.smpteRate))).rateCode;
    m_syncMaster.send.quarterFrameUs = CSmpteTime(0.0, carried).microsecondsPerFrame() / 4.0;
}

// Under the TransportMutex, as Stop silences the ports (GUI thread). A
// follower's play-out in progress ends first, so no note it sends comes
// after the silence; it holds the SongMutex while it plays.
void CSequencer::finishSyncOutput()
{
    if (liveSettings()->sync.masterSlave == 2) {
        LockGuard fence(SongMutex(), "Stop", m_options.lockWait);
    }
    SendSyncStop();
}

// Timer thread, every tick while Playing as master, before the clock moves.
void CSequencer::sendSyncOutput()
{
    const CSongDoc* song = songPlayed();
    if (song == nullptr)
        return;
    const int protocol = liveSettings()->sync.protocol;
    if (protocol == 0)
        sendSyncClocks();
    else if (protocol == 1)
        sendQuarterFrames(*song);
}

// The real time (µs) of a clock's tick: through the tempo map, or the tempo
// the clock holds while a take keeps its tempo.
double CSequencer::clockTime(const CSongDoc* song, int32_t tick) const
{
    const bool holdTempo = recording() && !liveSettings()->record.followTempo;
    if (song != nullptr && !song->tempoMap.empty() && !holdTempo)
        return song->TickToTime(tick);
    TempoEntry entry;
    if (song != nullptr && !song->tempoMap.empty())
        entry = song->tempoMap[size_t(std::clamp(m_transport.clock.tempoIndex, 0, int(song->tempoMap.size()) - 1))];
    return timeAtTick(entry, tick);
}

// Every clock due at or before the position, each stamped with its own time.
void CSequencer::sendSyncClocks()
{
    const int32_t at = position();
    const int timeBase = m_transport.clock.timeBase;
    const CSongDoc* song = songPlayed();
    for (;;) {
        const int64_t tick = clockTick(m_syncMaster.send.clockBase, m_syncMaster.send.clocksSent, timeBase);
        if (tick > at)
            break;
        const DueTimeScope due(clockTime(song, int32_t(tick)));
        SendSyncClock();
        ++m_syncMaster.send.clocksSent;
    }
}

// Every quarter frame due at or before the real time. The eight pieces of a
// cycle are cut from the time code at piece 0 (song time + SMPTE offset).
void CSequencer::sendQuarterFrames(const CSongDoc& song)
{
    if (!(m_syncMaster.send.quarterFrameUs > 0.0))
        return;
    const double now = realTime();
    CSmpteTime offset = song.smpteOffset;
    const double offsetUs = offset.GetTime();
    while (m_syncMaster.send.nextQuarterFrame <= now) {
        const int piece = m_syncMaster.send.quarterFrameIndex;
        if (piece == 0)
            m_syncMaster.send.quarterFrameTime.SetTime(m_syncMaster.send.nextQuarterFrame + offsetUs + 1.0,
                                                clampSmpteRate(liveSettings()->sync.smpteRate));
        const CSmpteTime& time = m_syncMaster.send.quarterFrameTime;
        const DueTimeScope due(m_syncMaster.send.nextQuarterFrame);
        forEachSyncOutput(false, [&](COutPort& port) { port.SendMtcQuarterFrame(time, piece); });
        m_syncMaster.send.nextQuarterFrame += m_syncMaster.send.quarterFrameUs;
        m_syncMaster.send.quarterFrameIndex = (piece + 1) % kQuarterFramesPerCycle;
    }
}

} // namespace rz
