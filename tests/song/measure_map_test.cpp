#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "song/measure_map.h"

namespace rz {
namespace {

MeasureRec meter(int numerator, int denominatorPower)
{
    MeasureRec m;
    m.setMeter(numerator, denominatorPower);
    return m;
}

// Time base 120: four measures of 4/4, then 3/8 measures numbered on from 5.
MeasureMap mixedMeters()
{
    MeasureMap map = {meter(4, 2), meter(4, 2), meter(4, 2), meter(4, 2)};
    for (int i = 0; i < 3; ++i)
        map.push_back(meter(3, 3));
    for (size_t i = 0; i < map.size(); ++i)
        map[i].number = uint16_t(i + 1);
    RecomputeMeasureStarts(map, 120);
    return map;
}

TEST(MeasureLayout, StartsAreTheRunningSumOfMeterLengths)
{
    MeasureMap map = mixedMeters();
    EXPECT_EQ(map[4].length, 180); // 3/8 at time base 120
    EXPECT_EQ(map[4].start, 1920);
    EXPECT_EQ(map[6].start, 2280);
    EXPECT_EQ(RecomputeMeasureStarts(map, 120), 2460);
}

TEST(FormatTime, WritesMeasureBeatAndTick)
{
    MeasureMap map = mixedMeters();
    map[5].letter = 'B';
    map[6].number = 0;
    map[6].letter = 'A';
    const struct {
        int32_t tick;
        const char* text;
        int index;
    } cases[] = {
        {0, " 1:1:000", 0},
        {1920 + 60 + 59, " 5:2:059", 4},
        {2100 + 30, " 6B:1:030", 5},
        {2280, " A:1:000", 6},
        {479, " 1:4:119", 0},
    };
    for (const auto& c : cases) {
        std::string text = "untouched";
        EXPECT_EQ(FormatTime(map, 120, c.tick, text), c.index) << c.tick;
        EXPECT_EQ(text, c.text) << c.tick;
    }
    std::string text = "untouched";
    EXPECT_EQ(FormatTime(MeasureMap{}, 120, 5, text), -1);
    EXPECT_EQ(text, "untouched");
}

TEST(FormatTime, NumberZeroWithoutLetterShowsTheNumber)
{
    MeasureMap map = {meter(4, 2)};
    RecomputeMeasureStarts(map, 120);
    map[0].number = 0;
    std::string text;
    FormatTime(map, 120, 0, text);
    EXPECT_EQ(text, " 0:1:000");
}

TEST(FindMeasure, AnyCachedStartGivesTheRightIndex)
{
    const MeasureMap map = mixedMeters();
    const struct {
        int32_t tick;
        int index;
    } cases[] = {{0, 0}, {1, 0}, {479, 0}, {480, 1}, {1919, 3}, {1920, 4},
                 {2279, 5}, {2280, 6}, {2459, 6}, {99999, 6}};
    for (int hint : {-5, 0, 3, 6, 1000}) {
        for (const auto& c : cases) {
            measureSearchHint().store(hint);
            EXPECT_EQ(FindMeasure(map, c.tick), c.index) << "hint " << hint << " tick " << c.tick;
        }
    }
    EXPECT_EQ(FindMeasure(MeasureMap{}, 10), -1);
}

TEST(FindMeasure, SharedHintUnderConcurrentLookups)
{
    const MeasureMap map = mixedMeters();
    std::atomic<int> wrong{0};
    auto lookups = [&](int32_t tick, int expected) {
        for (int i = 0; i < 20000; ++i)
            if (FindMeasure(map, tick) != expected)
                ++wrong;
    };
    std::thread gui(lookups, 100, 0);
    std::thread timer(lookups, 2300, 6);
    gui.join();
    timer.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(ExtendMeasureMap, AppendsNumberedCopiesWithoutLetters)
{
    MeasureMap map = {meter(3, 2)};
    RecomputeMeasureStarts(map, 120);
    map[0].number = 7;
    map[0].letter = 'C';
    // Until the last measure starts at or after the tick.
    EXPECT_EQ(ExtendMeasureMap(map, 1000), 1440);
    ASSERT_EQ(map.size(), 4u);
    EXPECT_EQ(map[3].start, 1080);
    EXPECT_EQ(map[3].number, 10);
    EXPECT_EQ(map[3].letter, 0);
    EXPECT_EQ(map[1].letter, 0);
    EXPECT_EQ(ExtendMeasureMap(map, 500), 1440);
    MeasureMap empty;
    EXPECT_EQ(ExtendMeasureMap(empty, 500), 0);
}

TEST(MeterLimits, SetterClampsNumeratorAndDenominator)
{
    const struct {
        int numerator, power;
        int expectedNumerator, expectedDenominator;
        bool accepted;
    } cases[] = {
        {4, 2, 4, 4, true},     {0, 2, 1, 4, false},     {255, 0, 255, 1, true},
        {256, 6, 255, 64, false}, {3, 8, 3, 64, false}, {3, -1, 3, 1, false},
    };
    for (const auto& c : cases) {
        MeasureRec m;
        EXPECT_EQ(m.setMeter(c.numerator, c.power), c.accepted) << c.numerator << "/" << c.power;
        EXPECT_EQ(m.numerator, c.expectedNumerator);
        EXPECT_EQ(m.denominator, c.expectedDenominator);
    }
}

TEST(MeterLimits, BeatShorterThanATickStillMovesOn)
{
    // Time base 8 with a 1/64 beat: 4 x 8 / 64 is 0 ticks.
    EXPECT_EQ(measureLength(8, 1, 64), 1);
    MeasureMap map = {meter(1, 6)};
    EXPECT_EQ(RecomputeMeasureStarts(map, 8), 1);
    EXPECT_EQ(ExtendMeasureMap(map, 3), 4);
    EXPECT_EQ(map.size(), 4u);
    std::string text;
    EXPECT_EQ(FormatTime(map, 8, 2, text), 2);
    EXPECT_EQ(text, " 3:1:000");
}

TEST(MeterLimits, StoredZeroLengthIsCaught)
{
    MeasureMap map = {meter(4, 2)};
    map[0].length = 0; // around the setters
#ifdef NDEBUG
    EXPECT_EQ(ExtendMeasureMap(map, 3), 4); // one tick per measure
#else
    EXPECT_DEATH(ExtendMeasureMap(map, 3), "length");
#endif
}

} // namespace
} // namespace rz
