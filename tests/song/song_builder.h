#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "song/song_doc.h"
#include "song/track.h"

namespace rz::test {

// Events in their in-memory form, for building tracks in tests.
inline CMidiEvent channelEvent(int32_t tick, uint32_t status, uint32_t data1, uint32_t data2 = 0,
                               int32_t value2 = 0)
{
    CMidiEvent event;
    event.tick = tick;
    event.message = status | data1 << 8 | data2 << 16;
    event.value2 = value2;
    return event;
}

inline CMidiEvent note(int32_t tick, uint8_t key, uint8_t velocity, int32_t length,
                       uint8_t channel = 0)
{
    return channelEvent(tick, 0x90u | channel, key, velocity, length);
}

inline CMidiEvent controller(int32_t tick, uint8_t number, uint8_t value, uint8_t channel = 0)
{
    return channelEvent(tick, 0xB0u | channel, number, value);
}

// bank -1: none.
inline CMidiEvent program(int32_t tick, uint8_t programNumber, int32_t bank = -1,
                          uint8_t channel = 0)
{
    return channelEvent(tick, 0xC0u | channel, programNumber, 0, bank);
}

// An RPN: 7-bit number in bits 8-14, 14-bit value in bits 16-29.
inline CMidiEvent rpn(int32_t tick, uint8_t number, uint32_t value, uint8_t channel = 0)
{
    CMidiEvent event;
    event.tick = tick;
    event.message = (0x10u | channel) | uint32_t(number) << 8 | value << 16;
    return event;
}

// An NRPN: 14-bit number in the data bytes, the value in value2
// (0x8001 increment, 0x8000 decrement).
inline CMidiEvent nrpn(int32_t tick, uint32_t number, int32_t value, uint8_t channel = 0)
{
    CMidiEvent event;
    event.tick = tick;
    event.message = (0x20u | channel) | number << 8;
    event.value2 = value;
    return event;
}

inline CMidiEvent textEvent(int32_t tick, std::string_view text, uint8_t type = 0x01)
{
    CMidiEvent event;
    event.tick = tick;
    event.SetMetaText(type, text);
    return event;
}

// A system-exclusive event from the bytes after F0 (the block gets the F0).
inline CMidiEvent sysex(int32_t tick, std::vector<uint8_t> bytes)
{
    CMidiEvent event;
    event.tick = tick;
    event.message = 0xF0;
    event.SetData(bytes, true);
    return event;
}

// Appends a user track before the song's empty last track.
inline CTrack& addUserTrack(CSongDoc& song)
{
    auto it = song.tracks.insert(song.tracks.end() - 1, std::make_unique<CTrack>());
    return **it;
}

} // namespace rz::test
