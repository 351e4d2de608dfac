// The Synchronization dialog's OK: the four values reach the engine as one
// whole value, the other settings kept.

#include "tests/engine/sequencer_fixture.h"

#include "core/smpte_time.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace rz {
namespace {

class SyncOptionsTest : public SequencerTest {
protected:
    void TearDown() override
    {
        setDefaultSmpteRate(3); // the rate is program-wide
        SequencerTest::TearDown();
    }
};

TEST_F(SyncOptionsTest, NewOptionsReplaceTheOldAndKeepTheOtherSettings)
{
    SequencerSettings settings;
    settings.countInMeasures = 3;
    CSequencer& engine = make();
    engine.applySettings(settings);
    engine.setSyncOptions({.port = 2, .protocol = 1, .masterSlave = 1, .smpteRate = 0});
    const SyncOptions sync = engine.syncOptions();
    EXPECT_EQ(sync.port, 2);
    EXPECT_EQ(sync.protocol, 1);
    EXPECT_EQ(sync.masterSlave, 1);
    EXPECT_EQ(sync.smpteRate, 0);
    EXPECT_EQ(engine.liveSettings()->countInMeasures, 3);
    EXPECT_EQ(defaultSmpteRate(), 0);
}

// Run under ThreadSanitizer: a reader never sees two options mixed.
TEST_F(SyncOptionsTest, ReadersSeeOneWholeValueWhileTheyChange)
{
    const SyncOptions first{.port = 1, .protocol = 0, .masterSlave = 1, .smpteRate = 0};
    const SyncOptions second{.port = 5, .protocol = 1, .masterSlave = 2, .smpteRate = 4};
    CSequencer& engine = make();
    engine.setSyncOptions(first);
    std::atomic<bool> stop{false};
    std::atomic<int> mixed{0};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        while (!stop.load()) {
            const SyncOptions sync = engine.syncOptions();
            const SyncOptions& model = sync.port == first.port ? first : second;
            if (sync.protocol != model.protocol || sync.masterSlave != model.masterSlave
                || sync.smpteRate != model.smpteRate)
                ++mixed;
            ++reads;
        }
    });
    for (int i = 0; i < 2000 || reads.load() < 100; ++i)
        engine.setSyncOptions(i % 2 ? first : second);
    stop = true;
    reader.join();
    EXPECT_EQ(mixed.load(), 0);
}

} // namespace
} // namespace rz
