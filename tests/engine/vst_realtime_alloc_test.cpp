// The realtime side allocates nothing. A program of its own: the counting
// operator new replaces the global one for every test in the program.
#include "tests/engine/vst_fixture.h"

#include "core/midi_bytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

// Counts the allocations of the threads that ask for it.
thread_local bool t_countAllocations = false;
std::atomic<int> g_allocations{0};
std::atomic<void*> g_escaped{nullptr}; // keeps the check's allocation from being optimised away

void* allocate(std::size_t size)
{
    if (t_countAllocations)
        g_allocations.fetch_add(1);
    return std::malloc(size ? size : 1);
}

void* allocateOrThrow(std::size_t size)
{
    if (void* memory = allocate(size))
        return memory;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) { return allocateOrThrow(size); }
void* operator new[](std::size_t size) { return allocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace rz {
namespace {

using VstRealtime = VstFixture;

TEST_F(VstRealtime, ProcessAllocatesNothing)
{
    loadInstrument();
    StereoBlock block(kBlock);
    float* const* outputs = block.outputs();
    {
        t_countAllocations = true;
        std::vector<int> counted(16);
        t_countAllocations = false;
        g_escaped.store(counted.data());
    }
    ASSERT_GT(g_allocations.load(), 0) << "the counting operator new is in place";
    g_allocations = 0;
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 1500; ++i)
            plugin.queueShort(midi::kNoteOn | uint32_t(40 + i % 40) << 8 | uint32_t(i % 2 ? 0 : 90) << 16);
        t_countAllocations = true;
        plugin.process(outputs, kBlock);
        plugin.process(outputs, kBlock);
        t_countAllocations = false;
    }
    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_EQ(probe->events.load(), 4 * 1500);
}

} // namespace
} // namespace rz
