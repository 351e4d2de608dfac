#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "song/midi_event.h"

namespace rz {

inline constexpr uint32_t kNoSourceKey = 0xFFFFFFFF;

// A sorted buffer of event copies, used by the clipboard, undo records and
// edits. Keys are (track index << 24) | index within the track.
class CEventList {
public:
    std::vector<uint32_t> sourceKeys; // ascending
    std::vector<uint32_t> sortKeys;   // parallel to events, ascending
    std::vector<CMidiEvent> events;

    // Adds sourceKey to sourceKeys (unless it is kNoSourceKey) after the keys at
    // or below it, and a copy of event (when given) after the entries with a
    // smaller sort key or the same sort key and a tick at or before its own.
    void Insert(const CMidiEvent* event, uint32_t sortKey, uint32_t sourceKey);

    bool empty() const { return events.empty() && sourceKeys.empty(); }
    void clear();
};

// The first of a track's events (kept in tick order) at or after `tick`.
inline size_t FirstAtOrAfter(const std::vector<CMidiEvent>& events, int64_t tick)
{
    auto at = std::lower_bound(events.begin(), events.end(), tick,
                               [](const CMidiEvent& e, int64_t t) { return e.tick < t; });
    return size_t(at - events.begin());
}

} // namespace rz
