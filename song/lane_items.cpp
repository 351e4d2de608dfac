#include "song/lane_items.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "song/audio_clip.h"
#include "song/peak_buffer.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/track.h"

namespace rz {
namespace {

constexpr int32_t kNoEdge = std::numeric_limits<int32_t>::min();

int32_t eventEnd(const CMidiEvent& event)
{
    return event.tick + (event.isNote() ? std::max(event.value2, 2) : 2);
}

struct Edges {
    int32_t a = kNoEdge; // time selection start - q
    int32_t b = kNoEdge; // time selection end - q
};

// Cuts the block of events [first, last) spanning [start, end) into items at
// the changes between selected and unselected events.
void cutBlock(const CTrack& track, size_t first, size_t last, int32_t start, int32_t end, uint32_t stamp,
              std::vector<CTrackItem>& items)
{
    const auto& events = track.events;
    auto close = [&](size_t from, int32_t prevTick, int32_t at, int32_t to, bool selected) {
        CTrackItem item;
        item.firstEvent = int32_t(from);
        item.lastEventTick = prevTick;
        item.start = at;
        item.length = to - at;
        item.stamp = selected ? stamp : 0;
        items.push_back(std::move(item));
    };
    int32_t cur = start;
    size_t runFirst = first;
    bool selected = false;
    int32_t lastSelected = kNoEdge;
    int32_t prevTick = events[first].tick;
    for (size_t k = first; k < last; ++k) {
        const CMidiEvent& event = events[k];
        const bool isSelected = event.selectionStamp == stamp;
        if (isSelected && !selected) {
            if (event.tick > cur) {
                close(runFirst, prevTick, cur, event.tick, false);
                cur = event.tick;
                runFirst = k;
            }
            selected = true;
        } else if (!isSelected && selected && event.tick > lastSelected) {
            close(runFirst, prevTick, cur, event.tick, true);
            cur = event.tick;
            runFirst = k;
            selected = false;
        }
        if (isSelected)
            lastSelected = event.tick;
        prevTick = event.tick;
    }
    if (cur < end)
        close(runFirst, prevTick, cur, end, selected);
}

void buildMidiItems(const CSongDoc& song, CTrack& track, const Edges& edges)
{
    for (CTrackItem& item : track.items)
        item.Release();
    track.items.clear();
    const auto& events = track.events;
    const int32_t gap = 4 * int32_t(song.timeBase);
    size_t i = 0;
    while (i < events.size()) {
        const int32_t start = events[i].tick;
        int32_t end = eventEnd(events[i]);
        const bool fromA = edges.a == kNoEdge || start >= edges.a;
        const bool fromB = edges.b == kNoEdge || start >= edges.b;
        size_t j = i + 1;
        for (; j < events.size(); ++j) {
            const int32_t tick = events[j].tick;
            if ((!fromB && tick >= edges.b) || (!fromA && tick >= edges.a) || tick - end >= gap)
                break;
            end = std::max(end, eventEnd(events[j]));
        }
        cutBlock(track, i, j, start, end, song.selectionStamp, track.items);
        i = j;
    }
}

void buildWaveItems(CSongDoc& song, CTrack& track)
{
    auto& items = track.items;
    auto& events = track.events;
    if (items.size() > events.size())
        items.erase(items.begin(), items.begin() + std::ptrdiff_t(items.size() - events.size()));
    items.resize(events.size());
    for (size_t k = 0; k < events.size(); ++k) {
        CMidiEvent& event = events[k];
        CTrackItem& item = items[k];
        CAudioClip* clip = event.message == kAudioClipMessage ? event.clip() : nullptr;
        if (!clip) {
            item = CTrackItem{};
            continue;
        }
        // length is in 100-ns units; the tempo map counts µs.
        const double endTime = song.TickToTime(event.tick) + double(clip->number) * double(clip->length) / 10.0;
        event.value2 = song.TimeToTick(endTime) - event.tick;
        item.firstEvent = int32_t(k);
        item.lastEventTick = event.tick;
        item.start = event.tick;
        item.length = event.value2;
        item.stamp = event.selectionStamp;
        item.mark = 0;
        if (item.clip != clip || !item.peaks) {
            item.peaks = std::make_shared<PeakBuffer>(clip->length);
            item.clip = clip;
        }
    }
}

} // namespace

void BuildLaneItems(CSongDoc& song)
{
    Edges edges;
    if ((song.selectionKind & kSelectTimeRange) != 0 && song.selectionFrom >= 0) {
        const int32_t q = int32_t(song.timeBase) / 6;
        edges.a = song.selectionFrom - q;
        edges.b = song.selectionTo - q;
    }
    auto& tracks = song.tracks;
    for (size_t t = tracks.size() < 2 ? 0 : tracks.size() - 1; t-- > 0;) {
        CTrack& track = *tracks[t];
        if (track.type == kWaveTrack)
            buildWaveItems(song, track);
        else
            buildMidiItems(song, track, edges);
    }
}

} // namespace rz
