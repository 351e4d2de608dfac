// Where playback must stop or jump next, and what a reached cue does.
// ComputeNextStop runs on the timer thread; OnTimerCues on the GUI thread.
#include <algorithm>

#include "core/engine_gui_values.h"
#include "core/engine_link.h"
#include "core/song_host.h"
#include "song/play_out_state.h"
#include "song/song_doc.h"

namespace rz {

namespace {

constexpr int32_t kNoTick = NextStop::kNoTick;

struct Click {
    int32_t start = 0;  // the measure's start
    int32_t length = 1; // ticks per click, at least 1
};

Click clickAt(const CSongDoc& song, int32_t tick)
{
    const int m = song.FindMeasure(tick);
    if (m < 0)
        return Click{0, clickTicks(song.timeBase, 24)};
    const MeasureRec& measure = song.measureMap[size_t(m)];
    return Click{measure.start, clickTicks(song.timeBase, measure.clocksPerClick)};
}

// The first click at or after the tick, counted from its measure's start.
int32_t clickAtOrAfter(const Click& click, int32_t tick)
{
    const int64_t into = std::max<int64_t>(int64_t(tick) - click.start, 0);
    return int32_t(click.start + (into + click.length - 1) / click.length * click.length);
}

int32_t stepLength(const RecordOptions& options, int32_t noteLength, int timeBase)
{
    if (options.stepSize < 1)
        return noteLength;
    int64_t step = int64_t(options.stepUnits) * timeBase / 120;
    if (options.stepDot)
        step = step * 3 / 2;
    return int32_t(step);
}

} // namespace

bool CSongDoc::holdJumpInVamp(NextStop& stop, const CCue& vamp)
{
    const CCue* jump = stop.jumpCue;
    // An Ad lib hold past the vamp's end would let the position out: the
    // vamp's end comes first. A hold with a jump is the navigation's.
    if (jump != nullptr && jump->kind == kCueAdLib && stop.jumpFrom == kNoTick && stop.endTick > vamp.time) {
        stop.jumpCue = &vamp;
        stop.jumpFrom = vamp.time;
        stop.jumpTo = vamp.secondTime;
        return true;
    }
    // A vamp's jump inside this one lands inside it, or belongs to a vamp
    // that starts earlier and is not entered while this one repeats: only a
    // Skip's can take the position out.
    if (jump == nullptr || jump->kind != kCueSkip || stop.heldJump != nullptr)
        return false;
    // A jump at the vamp's first tick comes before any of it is played.
    const bool inside = stop.jumpFrom > vamp.secondTime && stop.jumpFrom < vamp.time;
    const bool leaves = stop.nextSong != nullptr || stop.jumpTo < vamp.secondTime || stop.jumpTo >= vamp.time;
    if (!inside || !leaves)
        return false;
    stop.heldJump = jump;
    stop.jumpCue = &vamp;
    stop.jumpTo = vamp.secondTime;
    return true;
}

void CSongDoc::ComputeNextStop()
{
    IEngineLink& engine = m_context.engine;
    NextStop stop = engine.nextStop();
    if (engine.recording()) {
        stop.endTick = kNoTick;
        stop.jumpFrom = kNoTick;
        const RecordOptions options = engine.recordOptions();
        if (options.mode == 1) {
            const int32_t noteLength = engine.guiValues().currentNoteLength();
            stop.endTick = position() + stepLength(options, noteLength, timeBase);
        }
        engine.setNextStop(stop);
        return;
    }
    stop.endTick = endTick + 1;
    stop.jumpFrom = kNoTick;
    stop.jumpCue = nullptr;
    stop.heldJump = nullptr;
    stop.nextSong = nullptr;
    const bool through = engine.playThrough();
    const bool starting = engine.transportState() == TransportState::Starting;
    bool done = false;
    for (size_t k = size_t(FindCueAt(position())); k < cues.size() && !done; ++k) {
        const CCue& cue = *cues[k];
        if (cue.time >= stop.endTick)
            continue;
        const bool beforeOrAtStop = position() < cue.time || (position() == cue.time && !starting);
        const auto jump = [&] {
            stop.jumpCue = &cue;
            stop.jumpFrom = cue.time;
            stop.jumpTo = cue.secondTime;
            done = true;
        };
        switch (cue.kind) {
        case kCueCaesura:
        case kCueFermata:
            if (!through && beforeOrAtStop)
                stop.endTick = cue.time;
            break;
        case kCueVamp:
        case kCueUnused7:
            if (position() < cue.time)
                jump();
            break;
        case kCueAdvance:
            if (!through && position() < cue.time)
                jump();
            break;
        case kCueSkip:
            // A skip to the next song, with none to go to, plays on: a
            // jump to its own tick would land there again and again.
            if (position() <= cue.time
                && (cue.secondTime != cue.time || engine.nextSetSong() != nullptr)) {
                jump();
                if (cue.secondTime == cue.time)
                    stop.nextSong = engine.nextSetSong();
            }
            break;
        case kCueAdLib:
            if (!through && position() < cue.secondTime) {
                const int32_t from = std::max(position(), cue.time);
                const Click click = clickAt(*this, from);
                const int32_t next = clickAtOrAfter(click, from);
                stop.endTick = next + 23 * click.length / 24;
                stop.jumpTo = next + click.length;
                stop.jumpCue = &cue;
                done = true;
            }
            break;
        case kCueHoldCut:
        case kCueAdvanceCut:
            if (!through && beforeOrAtStop) {
                stop.endTick = cue.time;
                jump();
            }
            break;
        default: break;
        }
    }
    // A start outside the active vamp's stretch leaves it: it holds nothing.
    const CCue* vamp = engine.activeVamp();
    if (vamp != nullptr && engine.vampRepetitionsLeft() != 1 && position() >= vamp->secondTime
        && position() < vamp->time)
        holdJumpInVamp(stop, *vamp);
    if (engine.holdFlag()) {
        const Click click = clickAt(*this, position());
        const int32_t next = clickAtOrAfter(click, position());
        if (next + 23 * click.length / 24 < stop.endTick - click.length / 2) {
            stop.endTick = next + 23 * click.length / 24;
            stop.jumpTo = next + click.length;
            stop.jumpCue = nullptr;
            stop.heldJump = nullptr;
        } else {
            engine.setHoldFlag(false);
        }
    }
    engine.setNextStop(stop);
}

void CSongDoc::OnTimerCues()
{
    IEngineLink& engine = m_context.engine;
    if (engine.recording()) {
        engine.setTransportState(TransportState::Paused);
        m_context.host.UpdateAllViews();
        return;
    }
    // Only the cue the position reached acts: one further on is not due.
    bool changed = false;
    for (size_t k = size_t(FindCueAt(position())); k < cues.size() && !changed; ++k) {
        const CCue& cue = *cues[k];
        const bool reached = position() == cue.time;
        changed = true;
        if (cue.kind == kCueCaesura && reached && position() <= cue.secondTime) {
            engine.Stop(false);
            setPosition(cue.secondTime);
        } else if (cue.kind == kCueFermata && reached && position() <= cue.secondTime) {
            setPosition(cue.secondTime);
            engine.setTransportState(TransportState::Paused);
        } else if (cue.kind == kCueAdLib && position() >= cue.time && position() <= cue.secondTime) {
            const Click click = clickAt(*this, position());
            setPosition(clickAtOrAfter(click, position() + 1));
            engine.setTransportState(TransportState::Paused);
        } else if (cue.kind == kCueHoldCut && reached) {
            engine.setTransportState(TransportState::Paused);
        } else if (cue.kind == kCueAdvanceCut && reached) {
            engine.Stop(false);
            setPosition(cue.time);
        } else {
            changed = false;
        }
    }
    if (changed)
        m_context.host.UpdateAllViews();
}

} // namespace rz
