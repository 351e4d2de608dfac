// Edit > Move of the song document: events, tempo changes and cues moved in
// time or to other tracks. GUI thread.

#include <algorithm>
#include <optional>
#include <vector>

#include "core/edit_dialogs.h"
#include "core/prompt.h"
#include "song/edit_transforms.h"
#include "song/selection.h"
#include "song/song_doc.h"

namespace rz {

namespace {

constexpr char kNoTracksToMoveTo[] = "Please create tracks before attempting to move events to them.";

int32_t earlierTime(const CCue& cue) { return std::min(cue.time, cue.secondTime); }

// The first tick of what moves.
struct MoveSources {
    int64_t first = INT64_MAX;

    bool found() const { return first != INT64_MAX; }
    void addEvent(size_t, int32_t tick) { first = std::min<int64_t>(first, tick); }
};

bool inRange(const CSongDoc& song, int64_t tick, int64_t shift)
{
    return tick >= int64_t(song.selectionFrom) - shift && tick < int64_t(song.selectionTo) - shift;
}

MoveSources findSources(const CSongDoc& song)
{
    MoveSources s;
    if (song.selectionKind & kSelectTimeRange) {
        forEachInScope(song, TransformScope{}, [&](size_t t, size_t e) { s.addEvent(t, song.tracks[t]->events[e].tick); });
        for (const TempoEntry& entry : song.tempoMap)
            if (inRange(song, entry.tick, 0))
                s.first = std::min<int64_t>(s.first, entry.tick);
        for (const auto& cue : song.cues)
            if (inRange(song, earlierTime(*cue), 0))
                s.first = std::min<int64_t>(s.first, earlierTime(*cue));
        return s;
    }
    if (song.selectionKind & kSelectTracks) {
        for (size_t t : scopeTracks(song))
            if (!song.tracks[t]->events.empty())
                s.addEvent(t, song.tracks[t]->events.front().tick);
        return s;
    }
    for (size_t t = 0; t < UserTrackEnd(song); ++t)
        for (const CMidiEvent& e : song.tracks[t]->events)
            if (e.selectionStamp == song.selectionStamp)
                s.addEvent(t, e.tick);
    for (const auto& cue : song.cues)
        if (cue->selectionStamp == song.selectionStamp)
            s.first = std::min<int64_t>(s.first, earlierTime(*cue));
    return s;
}

using EventPlace = std::pair<size_t, size_t>; // track, index

// The events that move.
std::vector<EventPlace> movingEvents(const CSongDoc& song, const MoveParams& p)
{
    std::vector<EventPlace> places;
    const auto add = [&](size_t t, size_t e) { places.emplace_back(t, e); };
    if (song.selectionKind & kSelectTimeRange) {
        if (p.events)
            forEachInScope(song, TransformScope{p.offset, p.selectedTracksOnly}, add);
    } else if (song.selectionKind & kSelectTracks) {
        for (size_t t : scopeTracks(song))
            for (size_t e = 0; e < song.tracks[t]->events.size(); ++e)
                add(t, e);
    } else if (p.events) {
        for (size_t t = 0; t < UserTrackEnd(song); ++t)
            for (size_t e = 0; e < song.tracks[t]->events.size(); ++e)
                if (song.tracks[t]->events[e].selectionStamp == song.selectionStamp)
                    add(t, e);
    }
    return places;
}

std::unique_ptr<CTempoSet> moveTempos(const CSongDoc& song, const MoveParams& p, MovePlan& plan)
{
    if (!(song.selectionKind & kSelectTimeRange) || !p.tempos)
        return nullptr;
    auto set = std::make_unique<CTempoSet>();
    bool moves = false;
    for (size_t k = 0; k < song.tempoMap.size(); ++k) {
        if (!inRange(song, song.tempoMap[k].tick, p.offset))
            continue;
        TempoEntry entry = song.tempoMap[k];
        entry.tick = plan.moved(entry.tick);
        moves = moves || entry.tick != song.tempoMap[k].tick;
        set->removeKeys.push_back(uint32_t(k));
        set->entries.push_back(entry);
    }
    std::stable_sort(set->entries.begin(), set->entries.end(),
                     [](const TempoEntry& a, const TempoEntry& b) { return a.tick < b.tick; });
    return moves ? std::move(set) : nullptr;
}

std::unique_ptr<CCueSet> moveCues(const CSongDoc& song, const MoveParams& p, MovePlan& plan)
{
    if (!p.cues || (song.selectionKind & kSelectTracks && !(song.selectionKind & kSelectTimeRange)))
        return nullptr;
    const bool range = (song.selectionKind & kSelectTimeRange) != 0;
    auto set = std::make_unique<CCueSet>();
    bool moves = false;
    for (size_t i = 0; i < song.cues.size(); ++i) {
        const CCue& cue = *song.cues[i];
        if (range ? !inRange(song, earlierTime(cue), p.offset) : cue.selectionStamp != song.selectionStamp)
            continue;
        CCue copy = cue;
        copy.time = plan.moved(cue.time);
        copy.secondTime = plan.moved(cue.secondTime);
        moves = moves || copy.time != cue.time || copy.secondTime != cue.secondTime;
        set->removeKeys.push_back(uint32_t(i));
        set->cues.push_back(std::move(copy));
    }
    sortCuesByTime(set->cues);
    return moves ? std::move(set) : nullptr;
}

// The first target track of each source track of a move to other tracks;
// nothing when a target does not exist (the trailing empty track is none).
std::optional<std::vector<size_t>> targetTracks(const CSongDoc& song, const MoveParams& p,
                                                const std::vector<EventPlace>& places)
{
    std::vector<size_t> targets(song.tracks.size());
    for (size_t t = 0; t < targets.size(); ++t)
        targets[t] = t;
    if (p.method != MoveMethod::ChangeTracks || places.empty())
        return targets;
    size_t lowest = SIZE_MAX;
    size_t highest = 0;
    for (const EventPlace& place : places) {
        lowest = std::min(lowest, place.first);
        highest = std::max(highest, place.first);
    }
    const int64_t last = int64_t(p.targetTrack) + (p.mixdown ? 0 : int64_t(highest - lowest));
    if (p.targetTrack < 1 || last >= int64_t(UserTrackEnd(song)))
        return std::nullopt;
    for (size_t t = lowest; t <= highest; ++t)
        targets[t] = size_t(p.targetTrack) + (p.mixdown ? 0 : t - lowest);
    return targets;
}

} // namespace

int64_t measuresSpan(const MeasureMap& map, int32_t from, int64_t count)
{
    if (map.empty() || count == 0)
        return 0;
    const int64_t m = FindMeasure(map, from);
    const int64_t size = int64_t(map.size());
    int64_t span = 0;
    if (count > 0) {
        const int64_t inMap = std::min(count, size - m);
        for (int64_t i = m; i < m + inMap; ++i)
            span += map[size_t(i)].length;
        return span + (count - inMap) * map.back().length;
    }
    const int64_t inMap = std::min(-count, m);
    for (int64_t i = m - inMap; i < m; ++i)
        span += map[size_t(i)].length;
    return -(span + (-count - inMap) * map.front().length);
}

MovePlan::MovePlan(const CSongDoc& song, const MoveParams& p, int64_t first) : m_p(p), m_first(first)
{
    m_percent = std::clamp(p.percent, 1, 1000);
    const int64_t value = p.offsetValue;
    if (p.method == MoveMethod::Offset) {
        const int units = std::clamp(p.units, 0, 12);
        if (units == 1)
            m_offset = measuresSpan(song.measureMap, int32_t(first), value);
        else
            m_offset = value * (units == 0 ? 1 : durationUnitTicks(units - 1, song.timeBase));
    } else if (p.method == MoveMethod::AbsoluteTime) {
        m_offset = int64_t(std::max(p.targetTime, 0)) - first;
    }
}

void CSongDoc::OnEditMove()
{
    if (!OnUpdateEditTransform(EditDialog::Move))
        return;
    const MoveSources sources = findSources(*this);
    if (!sources.found()) {
        m_context.prompt.message(kNothingToMove);
        return;
    }
    const std::optional<MoveParams> params = m_context.editDialogs->move(*this, int32_t(sources.first));
    if (!params)
        return;
    const std::vector<EventPlace> places = movingEvents(*this, *params);
    const std::optional<std::vector<size_t>> targets = targetTracks(*this, *params, places);
    if (!targets) {
        m_context.prompt.message(kNoTracksToMoveTo);
        return;
    }
    MovePlan plan(*this, *params, sources.first);
    TransformRecord events;
    for (const auto& [t, e] : places) {
        CMidiEvent copy = tracks[t]->events[e];
        plan.moveEvent(copy);
        events.replace(t, e, (*targets)[t], std::move(copy));
    }
    std::unique_ptr<CUndoRecord> record = transformRecord(*this, "Move events", events.build());
    if (!record) {
        record = std::make_unique<CUndoRecord>();
        record->label = "Move events";
    }
    if ((record->tempo = moveTempos(*this, *params, plan)))
        record->flags |= kUndoTempo;
    if ((record->cues = moveCues(*this, *params, plan)))
        record->flags |= kUndoCues;
    if (record->flags != 0 && proceedDespiteClipping(*this, plan.clipped(), kMoveClipped))
        ApplyEdit(std::move(record));
}

} // namespace rz
