#include <gtest/gtest.h>

#include <memory>

#include "engine/out_port.h"
#include "tests/support/chase_invariant.h"
#include "tests/support/recording_midi_device.h"

namespace rz {
namespace {

std::vector<uint32_t> shortMessages(const RecordingMidiDevice& device)
{
    std::vector<uint32_t> packed;
    for (const RecordingMidiDevice::Message& message : device.messages()) {
        if (message.isLong || message.bytes.empty())
            continue;
        uint32_t word = 0;
        for (size_t i = 0; i < message.bytes.size() && i < 3; ++i)
            word |= uint32_t(message.bytes[i]) << (8 * i);
        packed.push_back(word);
    }
    return packed;
}

TEST(OutPortChase, LocateEqualsPlayingFromTheStart)
{
    const auto makePort = [] {
        auto recording = std::make_unique<RecordingMidiDevice>();
        const RecordingMidiDevice* device = recording.get();
        auto port = std::make_unique<COutPort>(std::move(recording));
        EXPECT_TRUE(port->Open());
        return test::PortUnderTest{std::move(port), [device] { return shortMessages(*device); }};
    };
    for (const test::ChaseSong& song : test::chaseSongs(RZ_FIXTURE_DIR))
        test::expectChaseInvariant(song, makePort);
}

} // namespace
} // namespace rz
