#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace rz {

class CTrack;

// Where the tracks of a song being read set the managed controllers (the
// 14 initial-controller numbers), per channel, from their play images. The
// reader asks it before it drops a track's repeat of its own last value: on
// a channel that other tracks also set, the repeat is what brings the value
// back. Built on the first question, so a file without repeats costs
// nothing; invalidate() after the track list changed. GUI thread.
class ChannelSettingsLog {
public:
    explicit ChannelSettingsLog(std::vector<std::unique_ptr<CTrack>>& tracks) : m_tracks(tracks) {}

    // Whether a track other than `asking` sets controller slot `slot` on
    // `channel` to another value than `value` at a tick in [from, to]; ties
    // at either end count, since tracks at one tick play in no fixed order.
    bool changedByOthers(const CTrack& asking, uint8_t channel, int slot, uint8_t value, int32_t from,
                         int32_t to);
    void invalidate() { m_built = false; }

private:
    struct Change {
        int32_t tick;
        uint8_t value;
        const CTrack* track;
    };

    void build();
    void scan(CTrack& track);

    std::vector<std::unique_ptr<CTrack>>& m_tracks;
    std::array<std::vector<Change>, 16 * 14> m_changes; // [channel * 14 + slot], in tick order
    bool m_built = false;
};

} // namespace rz
