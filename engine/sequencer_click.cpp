// The playback tick's beat phase and metronome click.
// Timer thread; allocates nothing.
#include "engine/sequencer.h"

#include "song/play_out_state.h"
#include "song/song_doc.h"
#include "song/tempo_map.h"

#include <algorithm>

namespace rz {

namespace {

// A lead this long or longer makes the first computed click too early to
// sound, ms.
constexpr int kLateFirstClickLeadMs = 50;
// A run starting further than this past a click skips that click, ticks.
constexpr int32_t kLateFirstClickTicks = 10;

struct ClickMeasure {
    int index = -1;
    int32_t start = 0;
    int32_t length = 1;
    int32_t ticksPerClick = 1; // at least 1, whatever a file's meter said
};

ClickMeasure clickMeasureAt(const CSongDoc& song, int32_t tick, int timeBase)
{
    ClickMeasure at;
    at.index = song.FindMeasure(tick);
    if (at.index < 0) {
        at.ticksPerClick = clickTicks(timeBase, 24);
        at.length = 4 * at.ticksPerClick;
        return at;
    }
    const MeasureRec& measure = song.measureMap[size_t(at.index)];
    at.start = measure.start;
    at.length = std::max(measure.length, int32_t(1));
    at.ticksPerClick = clickTicks(timeBase, measure.clocksPerClick);
    return at;
}

} // namespace

void CSequencer::beatAndClick(const CSongDoc& song)
{
    const int32_t at = position();
    const ClickMeasure measure = clickMeasureAt(song, at, m_transport.clock.timeBase);
    const int32_t into = std::max(at - measure.start, int32_t(0)) % measure.ticksPerClick;
    const double phase = 0.5 - double(into) / double(measure.ticksPerClick);
    m_idleBeat.phase.store(phase, std::memory_order_release);
    const int step = int(phase * 60.0);
    if (step != m_transport.clock.beatStep) {
        m_transport.clock.beatStep = step;
        m_transport.clock.beatChanged = true;
    }
    COutPort* port = m_countIn.clickPort.load(std::memory_order_acquire);
    const auto settings = liveSettings(); // one whole value for this click
    const ClickOptions& click = settings->click;
    if (port != nullptr && (m_guiValues.clickOn() || (recording() && click.record)))
        soundClick(song, *port);
}

// The click is worked out `Lead` ms ahead (at the multiplier) and sent at
// once: note on, then the same note with velocity 0.
void CSequencer::soundClick(const CSongDoc& song, COutPort& port)
{
    const auto settings = liveSettings(); // one whole value for this click
    const ClickOptions& click = settings->click;
    const double lead =
        double(click.leadMs) * double(m_transport.tempoMultiplier.load(std::memory_order_acquire)) / 100.0;
    const double time = m_transport.realTime.load(std::memory_order_acquire) + lead;
    // A take that holds its tempo holds it for the click too.
    const bool holdTempo = recording() && !settings->record.followTempo;
    const int index = holdTempo || song.tempoMap.empty()
                          ? m_transport.clock.tempoIndex
                          : FindTempoIndexByTime(song.tempoMap, time);
    TempoEntry entry;
    if (!song.tempoMap.empty())
        entry = song.tempoMap[size_t(std::clamp(index, 0, int(song.tempoMap.size()) - 1))];
    const int32_t tick = tickAtTime(entry, time);
    const ClickMeasure measure = clickMeasureAt(song, tick, m_transport.clock.timeBase);
    const int32_t into = std::max(tick - measure.start, int32_t(0));
    const int32_t perMeasure = std::max(measure.length / measure.ticksPerClick, int32_t(1));
    const int number = int((into / measure.ticksPerClick) % perMeasure);
    if (number == m_transport.clock.clickNumber && measure.index == m_transport.clock.clickMeasure)
        return;
    const bool first = m_transport.clock.clickNumber == -1;
    m_transport.clock.clickNumber = number;
    m_transport.clock.clickMeasure = measure.index;
    if (first
        && (click.leadMs >= kLateFirstClickLeadMs
            || into % measure.ticksPerClick > kLateFirstClickTicks))
        return;
    const uint32_t message = number != 0 ? click.click2 : click.click1;
    // Stamped with the click's own time, the lead ahead of it.
    const int32_t clickTick = measure.start + into / measure.ticksPerClick * measure.ticksPerClick;
    const DueTimeScope due(timeAtTick(entry, clickTick) - lead);
    port.SendRaw(message);
    port.SendRaw(message & 0xFFFFu);
}

} // namespace rz
