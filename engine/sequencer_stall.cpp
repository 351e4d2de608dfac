// After a stall of the timer thread the song goes on where its clock says,
// not where the stall left it: the timer skips the ticks it could not run
// in time and keeps its schedule, and the first tick after the gap locates
// the song at the clock's position. The chase that locate does strikes the
// notes still sounding there, ends those that ended meanwhile and sends the
// controllers, programs and pedal in force; what began and ended inside the
// gap is not played, nor are SysEx messages due in it. A jump or a stop due
// in the gap is reached first and taken as usual; the gap after it is lost.
// A take keeps every event instead: its clock moves on and all that came
// due plays at once. Timer thread.
#include "engine/sequencer.h"

#include "core/locks.h"
#include "song/song_doc.h"

#include <algorithm>
#include <utility>

namespace rz {

double CSequencer::stallBeforeThisTick()
{
    const TickTime now = currentTickTime();
    const TickTime last = std::exchange(m_transport.clock.lastTick, now);
    const auto period = std::chrono::milliseconds(liveSettings()->tickPeriodMs);
    if (last == TickTime{} || now - last < period + period / 2)
        return 0.0;
    return std::chrono::duration<double, std::micro>(now - last - period).count();
}

void CSequencer::followClockAfterStall(CSongDoc& song, double stalledUs)
{
    m_transport.msClock.advance(uint32_t(stalledUs / 1000.0), timeGetTime());
    const double songUs =
        stalledUs * double(m_transport.tempoMultiplier.load(std::memory_order_acquire)) / kNormalMultiplier;
    const double clockTime = m_transport.realTime.load(std::memory_order_acquire) + songUs;
    if (countingIn() || recording()) {
        m_transport.realTime.store(clockTime, std::memory_order_release);
        return;
    }
    const int32_t clockTick = song.TimeToTick(clockTime);
    const NextStop stop = nextStop();
    const int32_t landing = std::min({clockTick, stop.jumpFrom - 1, stop.endTick - 1});
    if (landing <= position())
        return;
    uint32_t serial = 0;
    {
        LockGuard guard(TransportMutex(), "TimerProc", m_options.lockWait);
        if (!guard || transportState() != TransportState::Playing)
            return;
        m_transport.requestStart(landing, false);
        serial = m_transport.startSerial;
    }
    // Located while Starting, so the chase sets the sounding notes right;
    // the next stop stands.
    song.Locate(landing);
    m_transport.runStart.store(song.position(), std::memory_order_release);
    takeClockFromSong(song);
    if (song.position() == clockTick) {
        m_transport.realTime.store(clockTime, std::memory_order_release);
        resetSyncOutput(clockTick, clockTime);
    }
    // A start or stop that came meanwhile wins; a timed-out wait leaves the
    // start for the next tick.
    LockGuard guard(TransportMutex(), "TimerProc", m_options.lockWait);
    if (guard && transportState() == TransportState::Starting && m_transport.startSerial == serial)
        m_transport.setState(TransportState::Playing);
}

} // namespace rz
