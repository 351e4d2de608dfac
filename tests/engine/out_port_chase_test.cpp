#include <gtest/gtest.h>

#include <memory>

#include "engine/out_port.h"
#include "tests/support/chase_invariant.h"
#include "tests/support/recording_midi_device.h"

namespace rz {
namespace {

TEST(OutPortChase, LocateEqualsPlayingFromTheStart)
{
    const auto makePort = []() -> std::unique_ptr<IMidiOut> {
        auto port = std::make_unique<COutPort>(std::make_unique<RecordingMidiDevice>());
        EXPECT_TRUE(port->Open());
        return port;
    };
    for (const test::ChaseSong& song : test::chaseSongs(RZ_FIXTURE_DIR))
        test::expectChaseInvariant(song, makePort);
}

} // namespace
} // namespace rz
