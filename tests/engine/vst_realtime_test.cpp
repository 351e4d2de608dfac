#include "tests/engine/vst_fixture.h"

#include "core/midi_bytes.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace rz {
namespace {

using VstRealtime = VstFixture;

// A controller message that carries a producer and a sequence number.
uint32_t numbered(int producer, int sequence)
{
    return uint32_t(midi::kControlChange | producer) | uint32_t(sequence & 0x7F) << 8
           | uint32_t((sequence >> 7) & 0x7F) << 16;
}

int sequenceOf(uint32_t message)
{
    return int((message >> 8) & 0x7F) | int((message >> 16) & 0x7F) << 7;
}

TEST_F(VstRealtime, EventsBeyondABlocksCapacityArriveInLaterBlocksInOrder)
{
    loadInstrument();
    constexpr int kEvents = 2000;
    for (int i = 0; i < kEvents; ++i)
        plugin.queueShort(numbered(0, i));
    StereoBlock block(kBlock);
    plugin.process(block.outputs(), kBlock);
    EXPECT_EQ(probe->events.load(), int(CVstPlugin::kBlockEventCapacity));
    plugin.process(block.outputs(), kBlock);
    ASSERT_EQ(probe->events.load(), kEvents);
    EXPECT_EQ(probe->largestBlock.load(), int(CVstPlugin::kBlockEventCapacity));
    EXPECT_EQ(plugin.droppedCount(), 0u);
    for (int i = 0; i < kEvents; ++i)
        ASSERT_EQ(sequenceOf(probe->messages[i]), i) << "event " << i;
}

TEST_F(VstRealtime, LongBlocksProcess)
{
    const InstrumentLoadResult result = plugin.load(vstTestLibrary("vst_test_instrument"));
    ASSERT_TRUE(result.name) << result.error;
    for (int promised : {8192, 1000}) {
        plugin.resetAudio(kRate, promised);
        plugin.queueShort(midi::kNoteOn | 69 << 8 | 100 << 16);
        StereoBlock block(8192);
        plugin.process(block.outputs(), 8192);
        int sounding = 0;
        for (float sample : block.left)
            sounding += sample != 0.0f;
        EXPECT_GT(sounding, 8000) << "promised blocks of " << promised;
        plugin.queueShort(midi::kNoteOn | 69 << 8);
    }
}

TEST_F(VstRealtime, ProducersRaceProcessWhichNeverWaitsForThem)
{
    loadInstrument();
    constexpr int kProducers = 3;
    constexpr int kEach = 1000;
    std::atomic<bool> go{false};
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&, p] {
            while (!go.load())
                std::this_thread::yield();
            for (int i = 0; i < kEach; ++i)
                plugin.queueShort(numbered(p, i));
        });
    }
    // The audio thread's side, on this thread: never held up.
    go = true;
    StereoBlock block(kBlock);
    ASSERT_TRUE(eventually([&] {
        plugin.process(block.outputs(), kBlock);
        return probe->events.load() == kProducers * kEach;
    }));
    for (std::thread& producer : producers)
        producer.join();
    int next[kProducers] = {};
    for (int i = 0; i < kProducers * kEach; ++i) {
        const uint32_t message = probe->messages[i];
        const int p = int(message & 0x0F);
        ASSERT_EQ(sequenceOf(message), next[p]++) << "producer " << p;
    }
    EXPECT_EQ(plugin.droppedCount(), 0u);

    // A producer stuck inside queueShort holds the producers' lock; the
    // audio thread still renders.
    std::thread stuck([&] {
        host.holdInClock(std::this_thread::get_id());
        plugin.queueShort(numbered(0, 0));
    });
    host.waitUntilHeld();
    for (int i = 0; i < 10; ++i)
        plugin.process(block.outputs(), kBlock);
    host.release();
    stuck.join();
    plugin.process(block.outputs(), kBlock);
    EXPECT_EQ(probe->events.load(), kProducers * kEach + 1);
}

} // namespace
} // namespace rz
