#include "song/channel_settings_log.h"

#include <algorithm>

#include "core/midi_bytes.h"
#include "song/track.h"

namespace rz {
namespace {

constexpr size_t kSlots = kInitialControllerNumbers.size();

int slotOf(uint8_t controller)
{
    const auto& numbers = kInitialControllerNumbers;
    const auto it = std::find(numbers.begin(), numbers.end(), controller);
    return it == numbers.end() ? -1 : int(it - numbers.begin());
}

} // namespace

// Read with a cursor of its own: the track's cursor and its count of skipped
// messages belong to its own read.
void ChannelSettingsLog::scan(CTrack& track)
{
    CTrack probe;
    probe.playImage.swap(track.playImage);
    probe.RewindReader();
    RawEvent raw;
    while (probe.ReadNextEvent(raw)) {
        if (!midi::isController(raw.kind))
            continue;
        const int slot = slotOf(raw.data1);
        if (slot >= 0)
            m_changes[(raw.kind & 0x0F) * kSlots + size_t(slot)].push_back({raw.tick, raw.data2, &track});
    }
    probe.playImage.swap(track.playImage);
}

void ChannelSettingsLog::build()
{
    for (auto& changes : m_changes)
        changes.clear();
    for (auto& track : m_tracks)
        scan(*track);
    for (auto& changes : m_changes)
        std::stable_sort(changes.begin(), changes.end(),
                         [](const Change& a, const Change& b) { return a.tick < b.tick; });
    m_built = true;
}

bool ChannelSettingsLog::changedByOthers(const CTrack& asking, uint8_t channel, int slot, uint8_t value,
                                         int32_t from, int32_t to)
{
    if (!m_built)
        build();
    const auto& changes = m_changes[(channel & 0x0F) * kSlots + size_t(slot)];
    auto it = std::lower_bound(changes.begin(), changes.end(), from,
                               [](const Change& change, int32_t tick) { return change.tick < tick; });
    for (; it != changes.end() && it->tick <= to; ++it)
        if (it->track != &asking && it->value != value)
            return true;
    return false;
}

} // namespace rz
