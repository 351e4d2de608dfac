#pragma once

// MIDI bytes that the device tests send.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rz::test_bytes {

using Bytes = std::vector<uint8_t>;

// F0, `length` - 2 data bytes counting up, F7.
inline Bytes sysEx(size_t length)
{
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i % 0x80);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

// The i-th of a run of short messages: note-ons, controllers, program
// changes and bends on every channel, so that lengths and statuses vary.
inline Bytes shortMessage(int i)
{
    const uint8_t channel = static_cast<uint8_t>(i % 16);
    const uint8_t value = static_cast<uint8_t>(i % 128);
    switch (i % 4) {
    case 0: return {uint8_t(0x90 | channel), value, uint8_t(127 - value)};
    case 1: return {uint8_t(0xB0 | channel), 7, value};
    case 2: return {uint8_t(0xC0 | channel), value};
    default: return {uint8_t(0xE0 | channel), value, 0x40};
    }
}

// Status in bits 0-7 and the data bytes above it, as input handlers get them.
inline uint32_t packed(const Bytes& bytes)
{
    uint32_t message = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        message |= uint32_t(bytes[i]) << (8 * i);
    return message;
}

} // namespace rz::test_bytes
