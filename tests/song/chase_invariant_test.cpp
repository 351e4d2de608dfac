#include <gtest/gtest.h>

#include "tests/support/chase_invariant.h"
#include "tests/support/fake_midi_out.h"

namespace rz {
namespace {

TEST(ChaseInvariant, LocateEqualsPlayingFromTheStart)
{
    const auto makePort = [] {
        auto port = std::make_unique<FakeMidiOut>();
        const FakeMidiOut* device = port.get();
        return test::PortUnderTest{std::move(port), [device] { return device->wire; }};
    };
    for (const test::ChaseSong& song : test::chaseSongs(RZ_FIXTURE_DIR))
        test::expectChaseInvariant(song, makePort);
}

} // namespace
} // namespace rz
