// The realtime side allocates nothing. A program of its own: the counting
// operator new replaces the global one for every test in the program.
#include "tests/engine/vst_fixture.h"

#include "core/midi_bytes.h"
#include "tests/support/alloc_counter/alloc_counter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

std::atomic<void*> g_escaped{nullptr}; // keeps the check's allocation from being optimised away

} // namespace

namespace rz {
namespace {

using VstRealtime = VstFixture;

TEST_F(VstRealtime, ProcessAllocatesNothing)
{
    loadInstrument();
    StereoBlock block(kBlock);
    float* const* outputs = block.outputs();
    {
        AllocationCount check;
        std::vector<int> counted(16);
        g_escaped.store(counted.data());
        ASSERT_GT(check.value(), 0u) << "the counting operator new is in place";
    }
    uint64_t allocations = 0;
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 1500; ++i)
            plugin.queueShort(midi::kNoteOn | uint32_t(40 + i % 40) << 8 | uint32_t(i % 2 ? 0 : 90) << 16);
        AllocationCount counted;
        plugin.process(outputs, kBlock);
        plugin.process(outputs, kBlock);
        allocations += counted.value();
    }
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(probe->events.load(), 4 * 1500);
}

} // namespace
} // namespace rz
