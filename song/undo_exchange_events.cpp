#include <algorithm>
#include <numeric>

#include "core/clip_loader.h"
#include "core/midi_bytes.h"
#include "core/track_rows.h"
#include "song/event_order.h"
#include "song/play_images.h"
#include "song/selection.h"
#include "song/song_doc.h"

namespace rz {

namespace {

constexpr uint32_t kPositionMask = 0xFFFFFF;

size_t trackOf(uint32_t key) { return key >> 24; }
uint32_t positionOf(uint32_t key) { return key & kPositionMask; }
uint32_t eventKey(size_t track, size_t position) { return uint32_t(track << 24 | position); }

// Remove keys as insert keys of the way back: each index less the removals
// before it on its track, where the event goes once the others are out too.
std::vector<uint32_t> wayBackKeys(const std::vector<uint32_t>& removeKeys)
{
    std::vector<uint32_t> keys;
    keys.reserve(removeKeys.size());
    size_t earlier = 0;
    for (size_t k = 0; k < removeKeys.size(); ++k) {
        if (k > 0 && trackOf(removeKeys[k]) != trackOf(removeKeys[k - 1]))
            earlier = 0;
        keys.push_back(removeKeys[k] - uint32_t(earlier++));
    }
    return keys;
}

// Insert keys must ascend for the runs to land where the keys say: a computed
// position may sort before an explicit one. Equal keys keep their order.
void sortByInsertKey(CEventList& list)
{
    if (std::is_sorted(list.sortKeys.begin(), list.sortKeys.end()))
        return;
    std::vector<size_t> order(list.sortKeys.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return list.sortKeys[a] < list.sortKeys[b]; });
    std::vector<uint32_t> keys;
    std::vector<CMidiEvent> events;
    for (size_t i : order) {
        keys.push_back(list.sortKeys[i]);
        events.push_back(std::move(list.events[i]));
    }
    list.sortKeys = std::move(keys);
    list.events = std::move(events);
}

// Takes the events at the remove keys out of their tracks, from the last so
// the earlier indices hold; a clip's samples are freed.
std::vector<CMidiEvent> takeOutEvents(std::vector<std::unique_ptr<CTrack>>& tracks,
                                      const std::vector<uint32_t>& removeKeys, IClipLoader* loader)
{
    std::vector<CMidiEvent> removed(removeKeys.size());
    for (size_t k = removeKeys.size(); k-- > 0;) {
        CTrack& track = *tracks[trackOf(removeKeys[k])];
        const auto at = track.events.begin() + std::ptrdiff_t(positionOf(removeKeys[k]));
        removed[k] = std::move(*at);
        if (CAudioClip* clip = removed[k].clip(); clip != nullptr && loader != nullptr)
            loader->releaseSamples(*clip);
        track.events.erase(at);
        track.chased = 0;
    }
    return removed;
}

// Selects, without clearing others, the rows of the user tracks holding a
// selected event.
void selectRowsWithStamp(const std::vector<std::unique_ptr<CTrack>>& tracks, uint32_t stamp,
                         ITrackRows& rows)
{
    for (size_t i = tracks.size() >= 2 ? tracks.size() - 2 : 0; i >= 1; --i) {
        const auto& events = tracks[i]->events;
        if (std::any_of(events.begin(), events.end(),
                        [&](const CMidiEvent& e) { return e.selectionStamp == stamp; }))
            rows.SelectRow(int(i), false);
    }
}

} // namespace

void CSongDoc::ComputeEventInsertPos(CEventList& list)
{
    std::vector<size_t> cursor(tracks.size(), 0);
    for (size_t k = 0; k < list.sortKeys.size(); ++k) {
        uint32_t& key = list.sortKeys[k];
        const size_t t = trackOf(key);
        if (positionOf(key) != kPositionMask || t >= tracks.size())
            continue;
        const std::vector<CMidiEvent>& events = tracks[t]->events;
        const CMidiEvent& event = list.events[k];
        const uint32_t order = orderKey(event.message);
        size_t c = cursor[t];
        while (c < events.size() && events[c].tick < event.tick)
            ++c;
        while (c < events.size() && events[c].tick == event.tick && orderKey(events[c].message) <= order)
            ++c;
        cursor[t] = c;
        key = eventKey(t, c);
    }
}

void CSongDoc::SwapEvents(CEventList& list)
{
    IClipLoader* loader = m_context.clipLoader;
    for (auto& track : tracks)
        track->chased = 1;

    std::vector<uint32_t> backKeys = wayBackKeys(list.sourceKeys);
    std::vector<CMidiEvent> removed = takeOutEvents(tracks, list.sourceKeys, loader);

    ComputeEventInsertPos(list);
    sortByInsertKey(list);
    std::vector<uint32_t> newRemoveKeys;
    bool clipsIn = false;
    bool midiIn = false;
    std::vector<uint32_t>& keys = list.sortKeys;
    for (size_t k = 0; k < keys.size();) {
        size_t runEnd = k;
        while (runEnd < keys.size() && keys[runEnd] == keys[k])
            ++runEnd;
        const size_t t = trackOf(keys[k]);
        const uint32_t p = positionOf(keys[k]);
        CTrack& track = *tracks[t];
        const size_t at = std::min<size_t>(p, track.events.size());
        const size_t r = runEnd - k;
        track.events.insert(track.events.begin() + std::ptrdiff_t(at), r, CMidiEvent());
        track.chased = 0;
        for (size_t j = 0; j < r; ++j) {
            CMidiEvent& event = track.events[at + j];
            event = std::move(list.events[k + j]);
            newRemoveKeys.push_back(eventKey(t, at + j));
            event.selectionStamp = selectionStamp;
            // The meta track plays every message on its own channel.
            if (!midi::isSystemStatus(event.message) && track.type != kMetaTrack)
                event.message = (event.message & ~0xFu) | uint32_t(track.channel & 0xF);
            if (CAudioClip* clip = event.clip()) {
                if (loader != nullptr)
                    loader->loadSamples(*clip);
                clipsIn = true;
            } else {
                midiIn = true;
            }
            const int32_t from = selectionFrom < 0 ? INT32_MAX : selectionFrom;
            selectionFrom = std::min(from, event.tick);
            selectionTo = std::max<int32_t>(selectionTo, int32_t(std::min<int64_t>(
                                                             int64_t(event.tick) + event.value2, INT32_MAX)));
        }
        for (size_t later = runEnd; later < keys.size(); ++later)
            if (trackOf(keys[later]) == t && positionOf(keys[later]) >= p)
                keys[later] += uint32_t(r);
        k = runEnd;
    }

    list.sortKeys = std::move(backKeys);
    list.events = std::move(removed);
    list.sourceKeys = std::move(newRemoveKeys);

    if (m_context.trackRows != nullptr)
        selectRowsWithStamp(tracks, selectionStamp, *m_context.trackRows);
    RebuildPlayImages(*this, true);
    if (clipsIn)
        selectionKind |= kSelectAudioClip;
    if (midiIn)
        selectionKind |= kSelectEvents;
}

} // namespace rz
