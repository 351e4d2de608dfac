#include "song/track.h"

#include <algorithm>

namespace rz {
namespace {

// Tonic pitch class of each key signature, -7..7 flats/sharps.
constexpr int kTonic[15] = {11, 6, 1, 8, 3, 10, 5, 0, 7, 2, 9, 4, 11, 6, 1};
// Key signature whose tonic is each pitch class.
constexpr int kSignature[12] = {0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5};

bool anySet(std::span<const int32_t> values)
{
    return std::any_of(values.begin(), values.end(), [](int32_t v) { return v >= 0; });
}

} // namespace

size_t CTrack::InsertEventSorted(const CMidiEvent& event)
{
    auto it = std::partition_point(events.begin(), events.end(),
                                   [&](const CMidiEvent& e) { return e.tick <= event.tick; });
    return size_t(events.insert(it, event) - events.begin());
}

int32_t CTrack::FindClipAtTime(int32_t time)
{
    if (items.empty())
        return -1;
    if (time == 0)
        return 0;
    const int32_t last = int32_t(items.size()) - 1;
    int32_t i = std::clamp(itemCursor, 0, last);
    while (i < last && items[size_t(i)].start < time)
        ++i;
    while (i > 0 && items[size_t(i)].start >= time)
        --i;
    itemCursor = i;
    return i;
}

bool CTrack::HasInitialSettings() const
{
    return bank >= 0 || patch >= 0 || anySet(initialControllers) || anySet(rpnValues)
           || anySet(channelPressureDest);
}

int32_t CTrack::MapPitch(int32_t keySignature) const
{
    if (key % 12 == 0 || keySignature < -7 || keySignature > 7)
        return keySignature;
    int d = (kTonic[keySignature + 7] - key) % 12;
    if (d < 0)
        d += 12;
    return kSignature[d];
}

} // namespace rz
