#include <gtest/gtest.h>

#include "song/tempo_map.h"

namespace rz {
namespace {

// Time base 120; 500000 µs per quarter from 0, 250000 from tick 480, then two
// entries at tick 960 (the later, 1000000, is the one in force).
TempoMap threeChanges()
{
    TempoMap map = {{0, 500000, 0}, {480, 250000, 0}, {960, 750000, 0}, {960, 1000000, 0}};
    RecalcTempoTimes(map, 120);
    return map;
}

TEST(TempoTimes, AccumulateAcrossChanges)
{
    const TempoMap map = threeChanges();
    EXPECT_DOUBLE_EQ(map[0].time, 0.0);
    EXPECT_DOUBLE_EQ(map[1].time, 2000000.0);
    EXPECT_DOUBLE_EQ(map[2].time, 3000000.0);
    EXPECT_DOUBLE_EQ(map[3].time, 3000000.0);
}

TEST(TempoIndex, LastEntryAtOrBeforeTheTick)
{
    const TempoMap map = threeChanges();
    const struct {
        int32_t tick;
        int index;
    } cases[] = {{-10, 0}, {0, 0}, {479, 0}, {480, 1}, {959, 1}, {960, 3}, {100000, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(FindTempoIndex(map, c.tick), c.index) << c.tick;
    EXPECT_EQ(FindTempoIndex(TempoMap{}, 500), 0);
    EXPECT_EQ(FindTempoIndexByTime(map, 2999999.0), 1);
    EXPECT_EQ(FindTempoIndexByTime(map, 3000000.0), 3);
}

TEST(TickTimeConversion, RoundTripsAcrossTempoChanges)
{
    const TempoMap map = threeChanges();
    for (int32_t tick : {0, 1, 119, 480, 481, 700, 959, 960, 961, 5000}) {
        const double time = TickToTime(map, 120, tick);
        EXPECT_EQ(TimeToTick(map, 120, time), tick) << tick;
    }
    EXPECT_DOUBLE_EQ(TickToTime(map, 120, 600), 2000000.0 + 120 * 250000.0 / 120);
    EXPECT_DOUBLE_EQ(TickToTime(map, 120, 1080), 3000000.0 + 1000000.0);
}

TEST(TickTimeConversion, TimeInsideATickGivesTheNextTick)
{
    const TempoMap map = threeChanges();
    EXPECT_EQ(TimeToTick(map, 120, 2000000.0), 480);  // exactly an entry's time
    EXPECT_EQ(TimeToTick(map, 120, 2000001.0), 481);  // 1 µs later
    EXPECT_EQ(TimeToTick(map, 120, 3000000.0), 960);
    EXPECT_EQ(TimeToTick(map, 120, 3000001.0), 961);
}

TEST(TempoGuards, ZeroTempoIsClampedAndNeverDividesByZero)
{
    TempoEntry entry;
    entry.setTempo(0);
    EXPECT_EQ(entry.tempo, kMinTempo);
    entry.setTempo(0x7FFFFFFF);
    EXPECT_EQ(entry.tempo, kMaxTempo);

    TempoMap map = {{0, 500000, 0}};
    map[0].setTempo(0);
    EXPECT_EQ(TimeToTick(map, 120, 1000.0), 120000);
    EXPECT_DOUBLE_EQ(TickToTime(map, 120, 120), 1.0);
}

TEST(TempoGuards, HugeTimesSaturateInsteadOfWrapping)
{
    const TempoMap map = {{0, 1, 0}};
    EXPECT_EQ(TimeToTick(map, 960, 1e12), INT32_MAX);
}

} // namespace
} // namespace rz
