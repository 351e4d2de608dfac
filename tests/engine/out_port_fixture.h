#pragma once

#include "engine/out_port.h"
#include "tests/support/recording_midi_device.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace rz {

using Hex = std::vector<std::string>;

inline uint32_t noteOn(int channel, int key, int velocity, uint32_t tag = 0)
{
    return 0x90u | uint32_t(channel) | uint32_t(key) << 8 | uint32_t(velocity) << 16 | tag << 24;
}

inline uint32_t noteOff(int channel, int key, uint32_t tag = 0)
{
    return 0x80u | uint32_t(channel) | uint32_t(key) << 8 | 0x40u << 16 | tag << 24;
}

inline uint32_t ctrl(int channel, int controller, int value)
{
    return 0xB0u | uint32_t(channel) | uint32_t(controller) << 8 | uint32_t(value) << 16;
}

inline uint32_t programChange(int channel, int program)
{
    return 0xC0u | uint32_t(channel) | uint32_t(program) << 8;
}

// The song's set-RPN event: number in bits 8-14, 14-bit value in bits 16-29.
inline uint32_t rpnEvent(int channel, int rpn, int value)
{
    return 0x10u | uint32_t(channel) | uint32_t(rpn) << 8 | uint32_t(value) << 16;
}

inline Hex rpnBytes(int channel, int rpn, int value)
{
    const auto ccText = [&](int controller, int v) {
        char text[16];
        std::snprintf(text, sizeof text, "B%X %02X %02X", channel, controller, v);
        return std::string(text);
    };
    return {ccText(101, rpn / 128), ccText(100, rpn % 128), ccText(6, value / 128),
            ccText(38, value % 128)};
}

// An open device port over a recording device.
class OutPortFixture : public ::testing::Test {
protected:
    OutPortFixture()
    {
        auto recording = std::make_unique<RecordingMidiDevice>();
        device = recording.get();
        port = std::make_unique<COutPort>(std::move(recording));
        port->Open();
    }

    Hex sent() const { return device->sentHex(); }
    // What the port sends for `work`, with what went before forgotten.
    template <class Work>
    Hex sentBy(Work&& work)
    {
        device->clear();
        work();
        return sent();
    }
    void send(const std::vector<uint32_t>& messages)
    {
        for (uint32_t message : messages)
            port->SendShort(message);
    }

    RecordingMidiDevice* device = nullptr;
    std::unique_ptr<COutPort> port;
};

} // namespace rz
