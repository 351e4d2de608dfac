// The transport navigation commands on the current song. GUI thread.
#include <algorithm>

#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "song/song_doc.h"

namespace rz {

namespace {

constexpr double kRecentCueTime = 500000.0; // µs: a cue passed this recently is skipped

bool isStoppedOrPaused(TransportState state)
{
    return state == TransportState::Stopped || state == TransportState::Paused;
}

int32_t endOfMeasure(const MeasureRec& measure)
{
    return measure.start + measure.length;
}

// A tenth of a quarter note: a jump lands this much before its measure.
int32_t tenth(const CSongDoc& song)
{
    return song.timeBase / 10;
}

// NextCue's target from one cue, or kNoJump; Caesura, Hold & Cut and
// Fermata stop or pause the transport on the way.
int32_t nextCueTarget(const CCue& cue, int32_t position, ITransportLink& engine)
{
    switch (cue.kind) {
    case kCueSkip: return CSongDoc::kNoJump;
    case kCueCaesura:
    case kCueHoldCut:
        if (cue.secondTime <= position)
            return CSongDoc::kNoJump;
        engine.Stop(false);
        return cue.secondTime;
    case kCueFermata:
        if (cue.secondTime <= position)
            return CSongDoc::kNoJump;
        if (engine.transportState() != TransportState::Stopped)
            engine.Pause();
        return cue.secondTime;
    default:
        if (cue.time <= position)
            return CSongDoc::kNoJump;
        return cue.secondTime > position ? cue.secondTime : cue.time;
    }
}

int32_t previousCueTarget(const CCue& cue, int32_t position, ITransportLink& engine)
{
    switch (cue.kind) {
    case kCueSkip: return CSongDoc::kNoJump;
    case kCueCaesura:
    case kCueHoldCut:
        if (cue.secondTime >= position)
            return CSongDoc::kNoJump;
        engine.Stop(false);
        return cue.secondTime;
    case kCueFermata:
        if (cue.secondTime >= position)
            return CSongDoc::kNoJump;
        if (engine.transportState() != TransportState::Stopped)
            engine.Pause();
        return cue.secondTime;
    default:
        if (cue.time >= position || cue.secondTime >= position)
            return CSongDoc::kNoJump;
        return cue.secondTime;
    }
}

// A jump the navigation schedules replaces the cue's own, but an Ad lib
// hold stays a hold: its release goes where the navigation asked.
void takeOverJump(NextStop& stop)
{
    if (stop.jumpCue == nullptr || stop.jumpCue->kind != kCueAdLib)
        stop.jumpCue = nullptr;
    stop.heldJump = nullptr;
}

bool isNoteOrClip(const CMidiEvent& event)
{
    return midi::isNoteOn(event.message) || event.message == kAudioClipMessage;
}

} // namespace

void CSongDoc::locateAndShow(int32_t tick)
{
    m_context.engine.LocateSong(*this, tick);
    m_context.host.UpdateAllViews();
}

void CSongDoc::GoToBeginning()
{
    if (measureMap.empty())
        return;
    IEngineLink& engine = m_context.engine;
    switch (engine.transportState()) {
    case TransportState::Stopped: locateAndShow(0); break;
    case TransportState::Playing:
    case TransportState::Starting:
    case TransportState::Holding: engine.Play(0, true); break;
    case TransportState::Paused:
        locateAndShow(0);
        engine.Advance(false);
        break;
    default: break;
    }
}

void CSongDoc::GoToEnd()
{
    m_context.engine.Stop(false);
    locateAndShow(endTick);
}

void CSongDoc::NextMeasure()
{
    const int m = FindMeasure(position());
    if (m < 0)
        return;
    const MeasureRec& measure = measureMap[size_t(m)];
    const int32_t tick = std::min(endOfMeasure(measure), measureMap.back().start);
    IEngineLink& engine = m_context.engine;
    switch (engine.transportState()) {
    case TransportState::Stopped: locateAndShow(tick); break;
    case TransportState::Playing:
    case TransportState::Starting: engine.Play(position() + measure.length, true); break;
    case TransportState::Paused:
        locateAndShow(tick);
        engine.Advance(false);
        break;
    case TransportState::Holding: engine.Play(tick, true); break;
    default: break;
    }
}

void CSongDoc::PreviousMeasure()
{
    int m = FindMeasure(position());
    if (m < 0)
        return;
    if (m > 0 && position() == measureMap[size_t(m)].start)
        --m;
    const MeasureRec& measure = measureMap[size_t(m)];
    IEngineLink& engine = m_context.engine;
    switch (engine.transportState()) {
    case TransportState::Stopped: locateAndShow(measure.start); break;
    case TransportState::Playing:
    case TransportState::Starting:
        engine.Play(std::max(position() - measure.length, int32_t(0)), true);
        break;
    case TransportState::Paused:
        locateAndShow(measure.start);
        engine.Advance(false);
        break;
    case TransportState::Holding: engine.Play(measure.start, true); break;
    default: break;
    }
}

void CSongDoc::GoToMeasure(int32_t tick)
{
    const int from = FindMeasure(position());
    const int to = FindMeasure(tick);
    if (from < 0 || to < 0)
        return;
    IEngineLink& engine = m_context.engine;
    NextStop stop = engine.nextStop();
    takeOverJump(stop);
    stop.jumpFrom = endOfMeasure(measureMap[size_t(from)]) - tenth(*this);
    stop.jumpTo = std::max(measureMap[size_t(to)].start - tenth(*this), int32_t(0));
    engine.setNextStop(stop);
}

void CSongDoc::RepeatMeasure()
{
    const int m = FindMeasure(position());
    if (m < 0)
        return;
    IEngineLink& engine = m_context.engine;
    NextStop stop = engine.nextStop();
    int target = m;
    if (stop.targetLabel != 0) {
        target = std::max(m - stop.targetLabel + 1, 0);
        stop.targetLabel = 0;
    }
    target = std::min(target, int(measureMap.size()) - 1);
    takeOverJump(stop);
    stop.jumpFrom = endOfMeasure(measureMap[size_t(m)]) - tenth(*this);
    stop.jumpTo = std::max(measureMap[size_t(target)].start - tenth(*this), int32_t(0));
    engine.setNextStop(stop);
}

void CSongDoc::SkipNextMeasure()
{
    const int m = FindMeasure(position());
    const int last = int(measureMap.size()) - 1;
    if (m < 0 || m >= last)
        return;
    IEngineLink& engine = m_context.engine;
    NextStop stop = engine.nextStop();
    int skipped = m;
    if (stop.targetLabel != 0) {
        skipped = m + stop.targetLabel - 1;
        stop.targetLabel = 0;
    }
    const int landing = std::clamp(skipped + 1, 0, last);
    takeOverJump(stop);
    stop.jumpFrom = measureMap[size_t(m) + 1].start - tenth(*this);
    stop.jumpTo = endOfMeasure(measureMap[size_t(landing)]) - tenth(*this);
    engine.setNextStop(stop);
}

void CSongDoc::JumpTo(int32_t tick)
{
    if (tick == kNoJump)
        return;
    IEngineLink& engine = m_context.engine;
    const TransportState state = engine.transportState();
    if (isStoppedOrPaused(state)) {
        locateAndShow(tick);
        return;
    }
    const int m = FindMeasure(position());
    if (m < 0 || m + 1 >= int(measureMap.size()))
        return;
    if (state == TransportState::Holding) {
        engine.Play(tick, true);
        return;
    }
    NextStop stop = engine.nextStop();
    takeOverJump(stop);
    stop.jumpTo = tick;
    stop.jumpFrom = measureMap[size_t(m) + 1].start;
    engine.setNextStop(stop);
}

void CSongDoc::NextCue()
{
    IEngineLink& engine = m_context.engine;
    NextStop stop = engine.nextStop();
    int32_t target = kNoJump;
    for (size_t k = size_t(FindCueAt(position())); k < cues.size(); ++k) {
        const int32_t found = nextCueTarget(*cues[k], position(), engine);
        if (found == kNoJump)
            continue;
        if (stop.targetLabel != 0 && k + 1 < cues.size()) {
            --stop.targetLabel;
            continue;
        }
        target = found;
        break;
    }
    stop = engine.nextStop();
    stop.targetLabel = 0;
    engine.setNextStop(stop);
    JumpTo(target);
}

void CSongDoc::PreviousCue()
{
    IEngineLink& engine = m_context.engine;
    if (cues.empty())
        return;
    NextStop stop = engine.nextStop();
    int label = stop.targetLabel;
    const bool playing = engine.transportState() == TransportState::Playing;
    const double now = TickToTime(position());
    const size_t first = std::min(size_t(FindCueAt(position())), cues.size() - 1);
    int32_t target = kNoJump;
    for (size_t k = first + 1; k-- > 0;) {
        if (target != kNoJump && target < position()) {
            if (!playing || now - TickToTime(target) >= kRecentCueTime)
                break;
        }
        const int32_t found = previousCueTarget(*cues[k], position(), engine);
        if (found == kNoJump)
            continue;
        if (label != 0 && k != first) {
            --label;
            continue;
        }
        target = found;
    }
    stop = engine.nextStop();
    stop.targetLabel = 0;
    engine.setNextStop(stop);
    JumpTo(target);
}

namespace {

// The tracks Next and Previous note search: the selected rows, or every
// track but the empty last one when there is no track view.
template <class Consider>
void forSearchedTracks(const CSongDoc& song, Consider&& consider)
{
    const auto& tracks = song.tracks;
    ITrackRows* rows = song.context().trackRows;
    if (rows == nullptr) {
        for (size_t i = tracks.size() >= 2 ? tracks.size() - 1 : 0; i-- > 0;)
            consider(*tracks[i]);
        return;
    }
    for (int row = rows->GetFirstSelected(); row >= 0; row = rows->GetNextSelected(row)) {
        if (size_t(row) < tracks.size())
            consider(*tracks[size_t(row)]);
    }
}

} // namespace

void CSongDoc::NextNote()
{
    int32_t best = endTick;
    auto consider = [&](const CTrack& track) {
        auto it = std::upper_bound(track.events.begin(), track.events.end(), position(),
                                   [](int32_t t, const CMidiEvent& event) { return t < event.tick; });
        it = std::find_if(it, track.events.end(), isNoteOrClip);
        if (it != track.events.end())
            best = std::min(best, it->tick);
    };
    forSearchedTracks(*this, consider);
    locateAndShow(best);
}

void CSongDoc::PreviousNote()
{
    int32_t best = 0;
    auto consider = [&](const CTrack& track) {
        auto end = std::lower_bound(track.events.begin(), track.events.end(), position(),
                                    [](const CMidiEvent& event, int32_t t) { return event.tick < t; });
        auto it = std::find_if(std::make_reverse_iterator(end), track.events.rend(), isNoteOrClip);
        if (it != track.events.rend())
            best = std::max(best, it->tick);
    };
    forSearchedTracks(*this, consider);
    locateAndShow(best);
}

void CSongDoc::StepBeatBack()
{
    const int m = FindMeasure(position());
    if (m < 0 || m_context.engine.transportState() == TransportState::Playing)
        return;
    const MeasureRec& measure = measureMap[size_t(m)];
    const int32_t beat = beatLength(timeBase, measure);
    const int32_t into = position() - measure.start;
    int32_t tick = position();
    if (into % beat != 0)
        tick = measure.start + into / beat * beat;
    else if (into > 0)
        tick = position() - beat;
    else if (m > 0)
        tick = position() - beatLength(timeBase, measureMap[size_t(m) - 1]);
    locateAndShow(std::max(tick, int32_t(0)));
}

void CSongDoc::StepBeatForward()
{
    const int m = FindMeasure(position());
    if (m < 0 || m_context.engine.transportState() == TransportState::Playing)
        return;
    const MeasureRec& measure = measureMap[size_t(m)];
    const int32_t beat = beatLength(timeBase, measure);
    const int64_t into = std::max<int64_t>(int64_t(position()) - measure.start, 0);
    const int64_t next = measure.start + (into / beat + 1) * beat;
    locateAndShow(int32_t(std::min<int64_t>(next, measureMap.back().start)));
}

} // namespace rz
