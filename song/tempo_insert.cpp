#include "song/tempo_insert.h"

#include "song/clipboard_edit.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "song/undo_record.h"

#include <algorithm>
#include <cmath>

namespace rz {
namespace {

constexpr double kMicrosecondsPerMinute = 60000000.0;

bool validTempo(uint32_t tempo)
{
    return tempo >= kMinTempo && tempo <= kMaxTempo;
}

// The keys of the entries whose ticks lie in from..to, both included.
std::vector<uint32_t> keysInRange(const TempoMap& map, int32_t from, int32_t to)
{
    std::vector<uint32_t> keys;
    for (size_t k = 0; k < map.size(); ++k)
        if (map[k].tick >= from && map[k].tick <= to)
            keys.push_back(uint32_t(k));
    return keys;
}

uint32_t tempoAt(const TempoMap& map, int32_t tick)
{
    return map.empty() ? kDefaultTempo : map[size_t(FindTempoIndex(map, tick))].tempo;
}

// The ramp's tempo at `tick`, truncated toward zero; both tempos are at
// least 1 and the span is not empty, so nothing divides by zero.
uint32_t rampTempo(const TempoInsert& in, int32_t tick)
{
    const double part = double(int64_t(tick) - in.startTick) / double(int64_t(in.endTick) - in.startTick);
    const double start = in.startTempo;
    const double end = in.endTempo;
    double tempo = 0.0;
    if (in.curve == 0) {
        const double bpmStart = kMicrosecondsPerMinute / start;
        const double bpmEnd = kMicrosecondsPerMinute / end;
        tempo = kMicrosecondsPerMinute / ((bpmEnd - bpmStart) * part + bpmStart);
    } else {
        tempo = start + (end - start) * part;
    }
    return clampTempo(uint32_t(std::clamp(std::trunc(tempo), double(kMinTempo), double(kMaxTempo))));
}

void addRamp(const TempoInsert& in, int32_t step, std::vector<TempoEntry>& entries)
{
    for (int64_t t = in.startTick;; t += step) {
        const int32_t tick = int32_t(std::min<int64_t>(t, in.endTick));
        const uint32_t tempo = rampTempo(in, tick);
        if (entries.empty() || entries.back().tempo != tempo)
            entries.push_back(TempoEntry{tick, tempo, 0.0});
        if (tick == in.endTick)
            return;
    }
}

std::unique_ptr<CUndoRecord> tempoRecord(std::string label, std::unique_ptr<CTempoSet> set)
{
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTempo;
    record->label = std::move(label);
    record->tempo = std::move(set);
    return record;
}

// The tick where the beat holding `tick` ends, or `tick` on a beat.
int32_t nextBeatBoundary(const CSongDoc& song, int32_t tick)
{
    const int index = FindMeasure(song.measureMap, tick);
    if (index < 0)
        return tick;
    const MeasureRec& measure = song.measureMap[size_t(index)];
    const int64_t beat = beatLength(song.timeBase, measure);
    const int64_t into = std::max<int64_t>(int64_t(tick) - measure.start, 0);
    const int64_t boundary = measure.start + (into + beat - 1) / beat * beat;
    return int32_t(std::min<int64_t>(std::max<int64_t>(boundary, tick), INT32_MAX));
}

} // namespace

std::unique_ptr<CUndoRecord> BuildTempoInsert(const CSongDoc& song, const TempoInsert& in)
{
    if (in.startTick < 0 || !validTempo(in.startTempo) || !validTempo(in.endTempo))
        return nullptr;
    const bool ramp = in.endTick > in.startTick && in.startTempo != in.endTempo;
    const int32_t end = std::max(in.endTick, in.startTick);
    auto set = std::make_unique<CTempoSet>();
    set->removeKeys = keysInRange(song.tempoMap, in.startTick, end);
    if (ramp) {
        const int32_t step = in.stepTicks > 0 ? in.stepTicks : std::max(song.GetGridTicks(), int32_t(1));
        addRamp(in, step, set->entries);
    } else {
        set->entries.push_back(TempoEntry{in.startTick, in.startTempo, 0.0});
    }
    const uint32_t formerAtEnd = tempoAt(song.tempoMap, end);
    if (in.restore && in.endTick > in.startTick && set->entries.back().tempo != formerAtEnd)
        set->entries.push_back(TempoEntry{in.endTick, formerAtEnd, 0.0});
    return tempoRecord("Insert Tempo", std::move(set));
}

namespace {

// The song's map once the set's exchange has run: its entries out, the new
// ones in after any at their tick, the times recomputed.
TempoMap mapAfter(const CSongDoc& song, const CTempoSet& set)
{
    TempoMap map;
    for (size_t k = 0; k < song.tempoMap.size(); ++k)
        if (!std::binary_search(set.removeKeys.begin(), set.removeKeys.end(), uint32_t(k)))
            map.push_back(song.tempoMap[k]);
    for (const TempoEntry& entry : set.entries) {
        const auto at = std::upper_bound(map.begin(), map.end(), entry.tick,
                                         [](int32_t tick, const TempoEntry& e) { return tick < e.tick; });
        map.insert(at, entry);
    }
    RecalcTempoTimes(map, song.timeBase);
    return map;
}

// Every audio clip whose tick changes, moved to the tick of its clock time
// under `after`.
void keepClipsInTime(const CSongDoc& song, const TempoMap& after, CUndoRecord& record)
{
    EventListBuilder builder;
    for (size_t t = 0; t + 1 < song.tracks.size(); ++t) {
        const auto& events = song.tracks[t]->events;
        for (size_t e = 0; e < events.size(); ++e) {
            const CMidiEvent& event = events[e];
            if (event.message != kAudioClipMessage)
                continue;
            const double time = TickToTime(song.tempoMap, song.timeBase, event.tick);
            const int32_t tick = TimeToTick(after, song.timeBase, time);
            if (tick == event.tick)
                continue;
            CMidiEvent moved = event;
            moved.tick = tick;
            builder.remove(uint32_t(t << 24 | e));
            builder.insert(std::move(moved), placedOn(t));
        }
    }
    if (builder.empty())
        return;
    record.flags |= kUndoEvents;
    record.events = builder.build();
}

} // namespace

std::unique_ptr<CUndoRecord> BuildTempoSeries(const CSongDoc& song, std::span<const TempoPoint> points,
                                              bool alignAudio)
{
    if (points.size() < 2)
        return nullptr;
    for (size_t i = 0; i < points.size(); ++i) {
        if (points[i].tick < 0 || points[i].tempo > kMaxTempo)
            return nullptr;
        if (i > 0 && points[i].tick < points[i - 1].tick)
            return nullptr;
    }
    auto set = std::make_unique<CTempoSet>();
    set->removeKeys = keysInRange(song.tempoMap, points.front().tick,
                                  nextBeatBoundary(song, points.back().tick));
    for (const TempoPoint& point : points) {
        const uint32_t tempo = std::max(point.tempo, kFastestSeriesTempo);
        if (!set->entries.empty() && set->entries.back().tempo == tempo)
            continue;
        set->entries.push_back(TempoEntry{point.tick, tempo, 0.0});
    }
    const TempoMap after = alignAudio ? mapAfter(song, *set) : TempoMap{};
    auto record = tempoRecord("Insert Series of Tempos", std::move(set));
    if (alignAudio)
        keepClipsInTime(song, after, *record);
    return record;
}

namespace {

// A tempo scaled by the multiplier; none outside what a ratio may write.
std::optional<uint32_t> scaledTempo(uint32_t tempo, int32_t multiplier)
{
    const double scaled = std::trunc(double(tempo) * 100000.0 / double(multiplier));
    if (scaled < kFastestRatioTempo || scaled > kMaxTempo)
        return std::nullopt;
    return uint32_t(scaled);
}

} // namespace

std::optional<CTempoSet> BuildTempoRatioSet(const TempoMap& map, int32_t multiplier,
                                            const TempoRatioRange& range, int32_t mapEnd)
{
    if (multiplier <= 0 || map.empty())
        return std::nullopt;
    CTempoSet set;
    // Replaces entry i by its scaled tempo; false when that is out of bounds.
    const auto scaleEntry = [&](size_t i) {
        const std::optional<uint32_t> tempo = scaledTempo(map[i].tempo, multiplier);
        set.removeKeys.push_back(uint32_t(i));
        set.entries.push_back(TempoEntry{map[i].tick, tempo.value_or(0), 0.0});
        return tempo.has_value();
    };
    if (range.wholeSong) {
        for (size_t i = 0; i < map.size(); ++i)
            if (!scaleEntry(i))
                return std::nullopt;
        return set;
    }
    const int32_t lo = std::min(range.from, range.to);
    const int32_t hi = std::max(range.from, range.to);
    size_t i = size_t(std::max(FindTempoIndex(map, lo), 0));
    // The tempo in force at the start, begun earlier, is scaled from there on.
    if (map[i].tick < lo) {
        const std::optional<uint32_t> tempo = scaledTempo(map[i].tempo, multiplier);
        if (!tempo)
            return std::nullopt;
        set.entries.push_back(TempoEntry{lo, *tempo, 0.0});
        ++i;
    }
    for (; i < map.size() && map[i].tick < hi; ++i)
        if (!scaleEntry(i))
            return std::nullopt;
    if (hi > lo && hi < mapEnd) {
        const TempoEntry& atEnd = map[size_t(std::max(FindTempoIndex(map, hi), 0))];
        if (atEnd.tick < hi && (set.entries.empty() || set.entries.back().tempo != atEnd.tempo))
            set.entries.push_back(TempoEntry{hi, atEnd.tempo, 0.0});
    }
    return set;
}

} // namespace rz
