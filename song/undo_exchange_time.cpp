#include <algorithm>

#include "core/set_link.h"
#include "song/play_images.h"
#include "song/selection.h"
#include "song/song_doc.h"

namespace rz {

namespace {

// The map never loses its entry at tick 0: a set that takes it out without
// putting one back in brings a default one.
void keepTickZero(CTempoSet& set)
{
    const bool removesFirst = !set.removeKeys.empty() && set.removeKeys.front() == 0;
    const bool insertsAtZero = !set.entries.empty() && set.entries.front().tick <= 0;
    if (removesFirst && !insertsAtZero) {
        set.entries.insert(set.entries.begin(), TempoEntry{});
        set.insertKeys.insert(set.insertKeys.begin(), 0);
    }
}

// Shifts each of a cue's two times that lies at or after `at` by `delta`.
// A time exactly at the point moves too, as the events there do: a time at
// the end of a deleted span lands on its start, and undo (time inserted at
// that start) must take it back out to the end.
void shiftCue(CCue& cue, int32_t at, int32_t delta)
{
    if (cue.time >= at)
        cue.time += delta;
    if (cue.secondTime >= at)
        cue.secondTime += delta;
}

} // namespace

void CSongDoc::SwapTimeData(CTempoSet& set)
{
    keepTickZero(set);
    std::vector<TempoEntry> removed(set.removeKeys.size());
    for (size_t k = set.removeKeys.size(); k-- > 0;) {
        removed[k] = tempoMap[set.removeKeys[k]];
        tempoMap.erase(tempoMap.begin() + std::ptrdiff_t(set.removeKeys[k]));
    }
    std::vector<uint32_t> inserted;
    size_t cursor = 0;
    for (const TempoEntry& entry : set.entries) {
        while (cursor < tempoMap.size() && tempoMap[cursor].tick <= entry.tick)
            ++cursor;
        tempoMap.insert(tempoMap.begin() + std::ptrdiff_t(cursor), entry);
        inserted.push_back(uint32_t(cursor++));
        const int32_t from = selectionFrom < 0 ? INT32_MAX : selectionFrom;
        selectionFrom = std::min(from, entry.tick);
        selectionTo = std::max(selectionTo, entry.tick);
    }
    if (!set.entries.empty()) {
        const int32_t last = set.entries.back().tick;
        if (!measureMap.empty() && last >= measureMap.back().start)
            measureMapEnd = rz::ExtendMeasureMap(measureMap, last == INT32_MAX ? last : last + 1);
        selectionKind |= kSelectTempo;
    }
    set.insertKeys = set.removeKeys;
    set.entries = std::move(removed);
    set.removeKeys = std::move(inserted);
    RecalcTempoTimes();
    length = TickToTime(endTick);
    if (m_context.setLink != nullptr)
        m_context.setLink->UpdateTotals();
}

void CSongDoc::ShiftForInsertedTime(int32_t start, int32_t length)
{
    for (TempoEntry& entry : tempoMap)
        if (entry.tick > 0 && entry.tick >= start)
            entry.tick += length;
    for (auto it = cues.rbegin(); it != cues.rend(); ++it)
        shiftCue(**it, start, length);
    for (auto& track : tracks) {
        for (CMidiEvent& event : track->events)
            if (event.tick >= start)
                event.tick += length;
        if (track->endOfTrack > 0 && track->endOfTrack >= start)
            track->endOfTrack += length;
    }
    RecalcTempoTimes();
    RebuildPlayImages(*this, false);
}

void CSongDoc::ShiftForDeletedTime(int32_t start, int32_t length)
{
    const int32_t end = start + length;
    for (TempoEntry& entry : tempoMap)
        if (entry.tick >= end)
            entry.tick -= length;
    for (auto it = cues.rbegin(); it != cues.rend(); ++it)
        shiftCue(**it, end, -length);
    for (size_t i = 0; i + 1 < tracks.size(); ++i) {
        for (CMidiEvent& event : tracks[i]->events)
            if (event.tick >= end)
                event.tick -= length;
        // Trailing silence inside the deleted span goes with it.
        int32_t& endOfTrack = tracks[i]->endOfTrack;
        if (endOfTrack >= end)
            endOfTrack -= length;
        else if (endOfTrack > start)
            endOfTrack = start;
    }
    RecalcTempoTimes();
    RebuildPlayImages(*this, false);
}

} // namespace rz
