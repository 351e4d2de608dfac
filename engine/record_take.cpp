// A kept take made into the events of one "Record" edit. Pure functions of
// the take, the song's tracks and the options; GUI thread.
#include "engine/record_take.h"

#include "core/midi_bytes.h"
#include "song/track.h"
#include "song/undo_record.h"

#include <algorithm>

namespace rz {

namespace {

int takeTrack(const TakeEvent& event)
{
    return int(event.message >> 24);
}

uint32_t kindOf(uint32_t message)
{
    return midi::statusOf(message);
}

// Controllers per number, pressure and bend per kind: what one later move
// replaces. Unique per track.
bool continuousKey(uint32_t message, uint32_t& key)
{
    const uint32_t kind = kindOf(message);
    if (kind != midi::kControlChange && kind != midi::kChannelPressure && kind != midi::kPitchBend)
        return false;
    const uint32_t number = kind == midi::kControlChange ? (message >> 8) & 0x7F : 0;
    key = (message >> 24) << 16 | kind << 8 | number;
    return true;
}

bool sameContinuousKind(const CMidiEvent& event, uint32_t key)
{
    const uint32_t kind = midi::statusOf(key >> 8);
    if (kindOf(event.message) != kind)
        return false;
    return kind != midi::kControlChange || event.data1() == (key & 0x7F);
}

bool takesEvents(const std::vector<std::unique_ptr<CTrack>>& tracks, int number)
{
    return number >= 1 && size_t(number) + 1 < tracks.size()
           && tracks[size_t(number)]->type != kWaveTrack;
}

int32_t roundUpToGrid(int32_t duration, int32_t grid)
{
    const int64_t steps = std::max<int64_t>((int64_t(duration) + grid - 1) / grid, 1);
    return int32_t(std::min<int64_t>(steps * grid, INT32_MAX));
}

// A note-off's duration in step mode.
int32_t stepModeDuration(int32_t played, const TakeEvent& off, const TakeOptions& options)
{
    if (options.mode != 1 || options.stepDuration == 0)
        return played;
    if (options.stepDuration == 1 && options.stepGridTicks > 0)
        return roundUpToGrid(played, options.stepGridTicks);
    return std::max(off.stepDuration, int32_t(0));
}

struct AddedEvent {
    uint32_t track = 0;
    CMidiEvent event;
};

struct OpenNote {
    int track = 0;
    uint32_t key = 0;
    size_t added = 0; // index into the added events
};

void appendSorted(std::vector<AddedEvent>& added, CEventList& list)
{
    std::stable_sort(added.begin(), added.end(), [](const AddedEvent& a, const AddedEvent& b) {
        return a.track != b.track ? a.track < b.track : a.event.tick < b.event.tick;
    });
    for (AddedEvent& entry : added) {
        list.sortKeys.push_back(entry.track << 24 | kComputedPosition);
        list.events.push_back(std::move(entry.event));
    }
}

} // namespace

int32_t stepGridTicks(int units, bool dotted, int timeBase)
{
    int64_t ticks = int64_t(std::max(units, 0)) * std::max(timeBase, 1) / 120;
    if (dotted)
        ticks = ticks * 3 / 2;
    return int32_t(std::min<int64_t>(ticks, INT32_MAX));
}

int32_t collapsePreStart(std::vector<TakeEvent>& take, int32_t start)
{
    std::stable_sort(take.begin(), take.end(),
                     [](const TakeEvent& a, const TakeEvent& b) { return a.time < b.time; });
    std::vector<std::pair<uint32_t, TakeEvent>> latest;
    std::vector<TakeEvent> kept;
    kept.reserve(take.size());
    size_t next = 0;
    for (; next < take.size() && take[next].time <= start; ++next) {
        const TakeEvent& event = take[next];
        uint32_t key = 0;
        if (isNoteOn(event.message)) {
            start = event.time;
            kept.push_back(event);
        } else if (continuousKey(event.message, key)) {
            auto found = std::find_if(latest.begin(), latest.end(),
                                      [&](const auto& entry) { return entry.first == key; });
            if (found != latest.end())
                found->second = event;
            else
                latest.emplace_back(key, event);
        } else {
            kept.push_back(event);
        }
    }
    std::vector<TakeEvent> result;
    result.reserve(take.size());
    for (const auto& [key, event] : latest)
        result.push_back({start, event.message, 0});
    result.insert(result.end(), kept.begin(), kept.end());
    result.insert(result.end(), take.begin() + std::ptrdiff_t(next), take.end());
    take = std::move(result);
    return start;
}

void markOverwrittenEvents(const std::vector<TakeEvent>& take,
                           const std::vector<std::unique_ptr<CTrack>>& tracks, CEventList& list)
{
    struct Span {
        uint32_t key;
        int32_t first;
        int32_t last;
    };
    std::vector<Span> spans;
    for (const TakeEvent& event : take) {
        uint32_t key = 0;
        if (!takesEvents(tracks, takeTrack(event)) || !continuousKey(event.message, key))
            continue;
        auto found = std::find_if(spans.begin(), spans.end(),
                                  [&](const Span& span) { return span.key == key; });
        if (found == spans.end()) {
            spans.push_back({key, event.time, event.time});
            continue;
        }
        found->first = std::min(found->first, event.time);
        found->last = std::max(found->last, event.time);
    }
    std::vector<uint32_t> removed;
    for (const Span& span : spans) {
        const uint32_t number = span.key >> 16;
        const std::vector<CMidiEvent>& events = tracks[number]->events;
        for (size_t i = 0; i < events.size() && i < kComputedPosition; ++i) {
            const CMidiEvent& event = events[i];
            if (event.tick >= span.first && event.tick <= span.last
                && sameContinuousKind(event, span.key))
                removed.push_back(number << 24 | uint32_t(i));
        }
    }
    std::sort(removed.begin(), removed.end());
    list.sourceKeys.insert(list.sourceKeys.end(), removed.begin(), removed.end());
    std::sort(list.sourceKeys.begin(), list.sourceKeys.end());
}

void insertTakeEvents(const std::vector<TakeEvent>& take,
                      const std::vector<std::unique_ptr<CTrack>>& tracks,
                      const TakeOptions& options, CEventList& list)
{
    std::vector<AddedEvent> added;
    std::vector<OpenNote> open;
    for (const TakeEvent& played : take) {
        const int track = takeTrack(played);
        uint32_t message = played.message & 0xFFFFFF;
        if (!takesEvents(tracks, track))
            continue;
        if (options.mode == 2 && !isNoteOff(message)
            && (played.time < options.selectionFrom || played.time >= options.selectionTo))
            continue;
        const uint32_t key = (message >> 8) & 0x7F;
        if (isNoteOff(message)) {
            auto note = std::find_if(open.begin(), open.end(), [&](const OpenNote& candidate) {
                return candidate.track == track && candidate.key == key;
            });
            if (note == open.end())
                continue;
            CMidiEvent& event = added[note->added].event;
            event.value2 = stepModeDuration(played.time - event.tick, played, options);
            open.erase(note);
            continue;
        }
        const uint32_t kind = kindOf(message);
        if (kind < midi::kNoteOn || kind > midi::kPitchBend)
            continue;
        if (isNoteOn(message)) {
            if (options.mode == 1 && options.stepVelocity > 0)
                message = (message & 0xFFFFu) | uint32_t(options.stepVelocity & 0x7F) << 16;
            open.push_back({track, key, added.size()});
        }
        AddedEvent entry{uint32_t(track), {}};
        entry.event.message = message;
        entry.event.tick = played.time;
        added.push_back(std::move(entry));
    }
    appendSorted(added, list);
}

} // namespace rz
