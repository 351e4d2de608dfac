// The conductor tap: a player's taps pull the song towards their clicks
// while it plays, or start it and set the tempo from their rate. GUI thread.
#include "core/engine_host.h"
#include "core/locks.h"
#include "core/ms_clock.h"
#include "engine/conductor_tap.h"
#include "engine/gui_posts.h"
#include "engine/sequencer.h"
#include "song/song_doc.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace rz {

namespace {

// Below this change of tempo a tap leaves the multiplier alone.
constexpr double kTapDeadBand = 0.001;

// The clicks around a tick: the one at or before it and the next, in ticks
// and in µs of the song's time.
struct ClickSpan {
    int32_t click = 0;          // c0, ticks
    int32_t ticksPerClick = 1;
    double clickTime = 0.0;     // t0
    double nextClickTime = 0.0; // t1
    double length() const { return nextClickTime - clickTime; }
};

// A meter may give 0 clocks per click: that counts as one tick.
int32_t ticksPerClick(const MeasureRec& measure, int timeBase)
{
    return std::max(int32_t(measure.clocksPerClick) * timeBase / 24, int32_t(1));
}

// A take grows the measure map on the timer thread under the SongMutex:
// the map is read under it. Its holders keep it briefly, so a tap waits for
// it rather than being lost; only a timed-out wait skips the tap.
std::optional<ClickSpan> clickAround(const CSongDoc& song, int32_t tick)
{
    const int index = song.FindMeasure(tick);
    if (index < 0)
        return std::nullopt;
    const MeasureRec& measure = song.measureMap[size_t(index)];
    ClickSpan span;
    span.ticksPerClick = ticksPerClick(measure, std::max(int(song.timeBase), 1));
    const int32_t since = std::max(tick - measure.start, int32_t(0));
    span.click = measure.start + since / span.ticksPerClick * span.ticksPerClick;
    span.clickTime = song.TickToTime(span.click);
    span.nextClickTime = song.TickToTime(span.click + span.ticksPerClick);
    if (!(span.length() > 0.0))
        return std::nullopt;
    return span;
}

// The weighted mix of a factor with a correction, both strengths in percent.
double mixed(double factor, int strength, double correction)
{
    return ((100 - strength) * factor + strength * correction) * 0.01;
}

} // namespace

void CSequencer::ConductorTap()
{
    const CSongDoc* song = currentSong();
    if (song == nullptr)
        return;
    if (transportState() == TransportState::Playing && liveSettings()->followTap.window > 0)
        followTap(*song);
    else
        tapWithoutFollowing(*song);
}

// A tap just before a click (within the window) means the player is ahead:
// the song jumps towards the click and speeds up; just after one, behind:
// it moves back and slows down. Every division needs a span of time; a tap
// that gives none changes nothing.
void CSequencer::followTap(const CSongDoc& song)
{
    const auto settings = liveSettings(); // one whole value for this tap
    const FollowTapSettings& tap = settings->followTap;
    const double now = realTime(); // µs of the song's time
    const int32_t at = position();
    m_tapHistory.useClock(CTapHistory::Clock::SongTime);
    // A second tap within the same tick is the same tap.
    if (!m_tapHistory.empty() && m_tapHistory.last().tapTime == now)
        return;
    std::optional<ClickSpan> click;
    {
        const LockGuard guard(SongMutex(), "conductor tap");
        if (!guard)
            return;
        click = clickAround(song, at);
    }
    m_tapHistory.dropStale(now, true);
    if (click) {
        const double length = click->length();
        const double window = tap.window * length * 0.01;
        const bool early = click->nextClickTime - now < window;
        if (early || now - click->clickTime < window) {
            m_tapHistory.append({now, early ? click->nextClickTime : click->clickTime});
            const std::optional<double> average = tapAverageFactor(m_tapHistory, tap.averageStrength);
            // Early: the click length over the time since the last click;
            // late: over one click and the lateness.
            const double since = early ? now - click->clickTime : length + now - click->clickTime;
            if (!average || (tap.modStrength > 0 && !(since > 0.0)))
                return;
            double factor = *average;
            if (tap.modStrength > 0)
                factor = mixed(factor, tap.modStrength, length / since);
            if (early && tap.jumpForwardStrength > 0) {
                const int64_t lag = int64_t(click->click) + click->ticksPerClick - at;
                const int64_t jump = lag * tap.jumpForwardStrength / 100;
                if (jump > 0)
                    Play(int32_t(jump), true, true);
            } else if (!early && tap.jumpBackStrength > 0) {
                const int64_t lead = int64_t(at) - click->click;
                Play(int32_t(at - lead * tap.jumpBackStrength / 100), true, false);
            }
            applyTapFactor(factor);
        }
    }
    if (tap.returnRate > 0)
        m_services.toGui.setFrameTimer(FrameTimer::TempoReturn);
}

// "Pause": a tap starts the song, which then holds at its end. With
// averaging, the tapped rate sets the tempo.
void CSequencer::tapWithoutFollowing(const CSongDoc& song)
{
    const auto settings = liveSettings(); // one whole value for this tap
    const FollowTapSettings& tap = settings->followTap;
    if (tap.pause) {
        m_transport.hold.store(true, std::memory_order_release);
        // A moving song is not restarted at every tap.
        const TransportState state = transportState();
        if (state == TransportState::Stopped || state == TransportState::Paused)
            Play(song.position(), true, false);
    }
    if (tap.averageStrength == 0)
        return;
    const double now = double(timeGetTime()) * 1000.0; // µs of the program clock
    m_tapHistory.useClock(CTapHistory::Clock::ProgramTime);
    m_tapHistory.dropStale(now, false);
    // A second tap within the same millisecond is the same tap.
    if (!m_tapHistory.empty() && m_tapHistory.last().tapTime >= now)
        return;
    m_tapHistory.append({now, now});
    if (m_tapHistory.size() < 2)
        return;
    const double interval = m_tapHistory.tapSpan() / double(m_tapHistory.size() - 1);
    const int timeBase = std::max(int(song.timeBase), 1);
    double clickTicks = 0.0;
    double tempo = 0.0;
    {
        const LockGuard guard(SongMutex(), "tapped tempo");
        const int index = guard ? song.FindMeasure(position()) : -1;
        if (index < 0 || song.tempoMap.empty() || !(interval > 0.0))
            return;
        clickTicks = ticksPerClick(song.measureMap[size_t(index)], timeBase);
        tempo = song.tempoMap[size_t(song.FindTempoIndex(position()))].tempo;
    }
    const double ratio = tempo * clickTicks / timeBase / interval; // click over tap interval
    if (std::abs(ratio - 1.0) <= kTapDeadBand)
        return;
    const double current = tempoMultiplier();
    const double target = current + (ratio * kNormalMultiplier - current) * tap.averageStrength / 100.0;
    setTappedMultiplier(target);
}

// The multiplier moves by the factor, kept within 50 % to 200 %.
void CSequencer::applyTapFactor(double factor)
{
    if (!(std::abs(factor - 1.0) > kTapDeadBand))
        return;
    const double target = double(tempoMultiplier()) * factor;
    setTappedMultiplier(target);
}

// The engine's own multiplier takes the tap at once; the GUI is only told,
// so the fader and the display follow.
void CSequencer::setTappedMultiplier(double multiplier)
{
    setTempoMultiplier(clampMultiplier(multiplier));
    m_services.toGui.tempoMultiplierChanged();
}

} // namespace rz
