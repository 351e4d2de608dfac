#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "song/midi_event.h"

namespace rz {

// Rank of a kind among events at one tick, from bits 4-6 of the kind byte:
// sysex/meta 0, key pressure and NRPN 1, controller 2, program 3,
// channel pressure 4, pitch bend 5, note off 6, note and RPN 7.
constexpr uint32_t orderPriority(uint32_t message)
{
    constexpr uint8_t kPriority[8] = {6, 7, 1, 2, 3, 4, 5, 0};
    return kPriority[(message >> 4) & 7];
}

// Sort key among events at one tick: by kind, then by first data byte.
constexpr uint32_t orderKey(uint32_t message)
{
    return (orderPriority(message) << 16) | (message & 0xFF00);
}

// Where an edit puts an event back into a tick-ordered array: after every
// event with a smaller tick and, at its tick, after those whose order key is
// at or below its own.
inline size_t orderedInsertPos(const std::vector<CMidiEvent>& events, const CMidiEvent& event)
{
    auto it = std::partition_point(events.begin(), events.end(),
                                   [&](const CMidiEvent& e) { return e.tick < event.tick; });
    const uint32_t key = orderKey(event.message);
    while (it != events.end() && it->tick == event.tick && orderKey(it->message) <= key)
        ++it;
    return size_t(it - events.begin());
}

} // namespace rz
