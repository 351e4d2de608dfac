// The recorder's measure map rules: room made at the start of a take, and
// the map grown from within it while the take runs past its end.

#include "engine/recorder.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

MeasureMap oneMeasure()
{
    MeasureMap map(1);
    map[0].Set(0, 480);
    map[0].setMeter(4, 2);
    map[0].letter = 'A';
    return map;
}

TEST(Recorder, PastTheLastMeasureCopiesOfItAreAddedNumberedOnWithoutLetters)
{
    MeasureMap map = oneMeasure();
    Recorder::reserveMeasureRoom(map);
    const MeasureRec* held = map.data();

    EXPECT_EQ(Recorder::growMeasureMap(map, 0), -1) << "inside the first measure";
    // Until the last measure starts past the position: 0, 480, 960, 1440.
    EXPECT_EQ(Recorder::growMeasureMap(map, 1000), 1920);
    ASSERT_EQ(map.size(), 4u);
    EXPECT_EQ(map[3].start, 1440);
    EXPECT_EQ(map[3].number, 4);
    EXPECT_EQ(map[3].letter, 0);
    EXPECT_EQ(map[3].numerator, 4);
    EXPECT_EQ(map.data(), held) << "growing moved the map";
}

// Without room nothing is added: the tick must not move what it reads.
TEST(Recorder, TheMapGrowsOnlyWithinTheRoomMade)
{
    MeasureMap map = oneMeasure();
    map.shrink_to_fit();
    EXPECT_FALSE(Recorder::needsMeasure(map, 100000));
    EXPECT_EQ(Recorder::growMeasureMap(map, 100000), -1);
    EXPECT_EQ(map.size(), 1u);

    map.reserve(3);
    Recorder::growMeasureMap(map, 100000);
    EXPECT_EQ(map.size(), 3u);
    EXPECT_EQ(map.capacity(), 3u);
    EXPECT_FALSE(Recorder::needsMeasure(MeasureMap{}, 100));
}

} // namespace
} // namespace rz
