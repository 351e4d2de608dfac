#include <gtest/gtest.h>

#include "tests/support/chase_invariant.h"
#include "tests/support/fake_midi_out.h"

namespace rz {
namespace {

TEST(ChaseInvariant, LocateEqualsPlayingFromTheStart)
{
    const auto makePort = [] { return std::make_unique<FakeMidiOut>(); };
    for (const test::ChaseSong& song : test::chaseSongs(RZ_FIXTURE_DIR))
        test::expectChaseInvariant(song, makePort);
}

} // namespace
} // namespace rz
