#include "core/smpte_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

namespace rz {
namespace {

struct Fields {
    int hours, minutes, seconds, frames;
    bool operator==(const Fields&) const = default;
};

Fields fieldsOf(const CSmpteTime& t)
{
    return {t.hours(), t.minutes(), t.seconds(), t.frames()};
}

std::string text(const Fields& f)
{
    std::ostringstream out;
    out << f.hours << ':' << f.minutes << ':' << f.seconds << ':' << f.frames;
    return out.str();
}

// Restores the program-wide default rate after a test changes it.
class SmpteDefaultRate : public ::testing::Test {
protected:
    void TearDown() override { setDefaultSmpteRate(kSmpteRate30); }
};

double dropFrameUs()
{
    return CSmpteTime(0.0, kSmpteRate30Drop).microsecondsPerFrame();
}

TEST(SmpteSplit, ZeroIsZeroAtEveryRate)
{
    for (int rate = 0; rate < kSmpteRateCount; ++rate) {
        const CSmpteTime t(0.0, rate);
        EXPECT_EQ(t.Format(), "0:00:00:00") << "rate " << rate;
        EXPECT_EQ(t.subframes(), 0) << "rate " << rate;
        EXPECT_EQ(t.rate(), rate);
    }
}

TEST(SmpteDropFrame, SplitsToStandardLabelsAndComposesBack)
{
    struct Case {
        int64_t frame;
        Fields label;
    };
    const Case cases[] = {
        {1798, {0, 0, 59, 28}},
        {1799, {0, 0, 59, 29}},
        {1800, {0, 1, 0, 2}}, // labels 0 and 1 of minute 1 are skipped
        {1827, {0, 1, 0, 29}},
        {1828, {0, 1, 1, 0}},
        {3598, {0, 2, 0, 2}},
        {17981, {0, 9, 59, 29}},
        {17982, {0, 10, 0, 0}}, // every tenth minute keeps its labels 0 and 1
        {17983, {0, 10, 0, 1}},
        {19782, {0, 11, 0, 2}},
        {107891, {0, 59, 59, 29}},
        {107892, {1, 0, 0, 0}},
    };
    const double u = dropFrameUs();
    for (const auto& c : cases) {
        CSmpteTime t(double(c.frame) * u, kSmpteRate30Drop);
        EXPECT_EQ(text(fieldsOf(t)), text(c.label)) << "frame " << c.frame;
        EXPECT_EQ(t.GetTime(), double(c.frame) * u) << "frame " << c.frame;
    }
}

TEST(SmpteDropFrame, ComposeCarriesOntoExistingLabels)
{
    struct Case {
        Fields in;
        Fields stored; // the fields after the carries
        int64_t frame;
    };
    const Case cases[] = {
        {{0, 1, 0, 30}, {0, 1, 1, 0}, 1828},
        {{0, 0, 59, 30}, {0, 1, 0, 2}, 1800}, // lands on the first label of minute 1
        {{0, 0, 60, 0}, {0, 1, 0, 2}, 1800},
        {{0, 9, 59, 30}, {0, 10, 0, 0}, 17982},
        {{0, 59, 59, 30}, {1, 0, 0, 0}, 107892},
        {{0, 1, 0, 0}, {0, 1, 0, 2}, 1800}, // a skipped label names the minute's start
        {{0, 1, 0, 1}, {0, 1, 0, 2}, 1800},
        {{0, 1, -1, 2}, {0, 1, -1, 2}, 1772},   // borrows: 0:00:59:02
        {{0, 1, 1, -1}, {0, 1, 1, -1}, 1827},   // 0:01:00:29
        {{1, -1, 0, 2}, {1, -1, 0, 2}, 106094}, // 0:59:00:02
        {{1, -2, 0, 2}, {1, -2, 0, 2}, 104296}, // 0:58:00:02
        {{1, -11, 0, 2}, {1, -11, 0, 2}, 88112}, // 0:49:00:02
    };
    const double u = dropFrameUs();
    for (const auto& c : cases) {
        CSmpteTime t = CSmpteTime::fromFields(kSmpteRate30Drop, c.in.hours, c.in.minutes,
                                              c.in.seconds, c.in.frames, 0);
        EXPECT_EQ(text(fieldsOf(t)), text(c.stored)) << "from " << text(c.in);
        EXPECT_EQ(t.time(), double(c.frame) * u) << "from " << text(c.in);
    }
}

TEST(SmpteCompose, FixedRatesAddUpTheFields)
{
    struct Case {
        int rate;
        Fields fields;
        int subframes;
        double us;
    };
    const Case cases[] = {
        {kSmpteRate30, {0, 0, 0, 30}, 0, 1'000'000.0}, // exactly one second
        {kSmpteRate24, {0, 0, 0, 24}, 0, 1'000'000.0},
        {kSmpteRate25, {1, 2, 3, 4}, 50, 3'723'180'000.0},
        {kSmpteRateMs, {0, 0, 1, 234}, 50, 1'234'500.0},
        {kSmpteRate30, {0, 0, 61, 0}, 0, 61'000'000.0}, // not carried
    };
    for (const auto& c : cases) {
        CSmpteTime t = CSmpteTime::fromFields(c.rate, c.fields.hours, c.fields.minutes,
                                              c.fields.seconds, c.fields.frames, c.subframes);
        EXPECT_DOUBLE_EQ(t.GetTime(), c.us) << "rate " << c.rate << " " << text(c.fields);
        EXPECT_EQ(text(fieldsOf(t)), text(c.fields));
    }
    EXPECT_EQ(CSmpteTime::fromFields(kSmpteRate30, 0, 0, 0, 30, 0).GetTime(), 1'000'000.0);
}

TEST(SmpteSplit, FramesAndSubframesAtFixedRates)
{
    struct Case {
        int rate;
        double us;
        Fields fields;
        int subframes;
    };
    const double u30 = 1'000'000.0 / 30;
    const double u24 = 1'000'000.0 / 24;
    const Case cases[] = {
        {kSmpteRate30, 7 * u30 - 0.5, {0, 0, 0, 7}, 0}, // just below a frame boundary
        {kSmpteRate30, 7 * u30 + 0.375 * u30, {0, 0, 0, 7}, 37},
        {kSmpteRate24, 3'600'000'000.0 + 30.995 * u24, {1, 0, 1, 6}, 99},
        {kSmpteRate25, 59'000'000.0 + 24.5 * 40'000, {0, 0, 59, 24}, 50},
        {kSmpteRateMs, 1'234'567.0, {0, 0, 1, 234}, 56},
        {kSmpteRateMs, 60'999'000.0, {0, 1, 0, 999}, 0},
        {kSmpteRate30Drop, 1800.5 * dropFrameUs(), {0, 1, 0, 2}, 0}, // never subframes
    };
    for (const auto& c : cases) {
        const CSmpteTime t(c.us, c.rate);
        EXPECT_EQ(text(fieldsOf(t)), text(c.fields)) << "rate " << c.rate << " at " << c.us;
        EXPECT_EQ(t.subframes(), c.subframes) << "rate " << c.rate << " at " << c.us;
    }
}

TEST(SmpteFormat, PadsAllButHours)
{
    EXPECT_EQ(CSmpteTime::fromFields(kSmpteRate25, 12, 3, 4, 5, 0).Format(), "12:03:04:05");
    EXPECT_EQ(CSmpteTime(1'234'567.0, kSmpteRateMs).Format(), "0:00:01:234");
}

TEST_F(SmpteDefaultRate, NegativeRateMeansTheDefaultAndOthersAreClamped)
{
    setDefaultSmpteRate(kSmpteRate25);
    EXPECT_EQ(CSmpteTime().rate(), kSmpteRate25);
    EXPECT_EQ(CSmpteTime().microsecondsPerFrame(), 40'000.0);
    EXPECT_EQ(CSmpteTime(1.0, -1).rate(), kSmpteRate25);

    struct Case {
        int given, used;
    };
    const Case cases[] = {{5, kSmpteRateMs}, {99, kSmpteRateMs}, {4, kSmpteRateMs}, {0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(CSmpteTime(1'000'000.0, c.given).rate(), c.used) << c.given;
        EXPECT_EQ(CSmpteTime::fromFields(c.given, 0, 0, 1, 0, 0).rate(), c.used) << c.given;
    }
    EXPECT_EQ(CSmpteTime(1'000'000.0, 7).Format(), "0:00:01:00");

    setDefaultSmpteRate(12);
    EXPECT_EQ(defaultSmpteRate(), kSmpteRateMs);
    setDefaultSmpteRate(-3);
    EXPECT_EQ(defaultSmpteRate(), 0);
}

TEST(SmpteSplit, UnusableTimesBecomeZeroOrAreClamped)
{
    const double zeroes[] = {-5.0, -1e300, std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
    for (int rate = 0; rate < kSmpteRateCount; ++rate) {
        for (double us : zeroes) {
            CSmpteTime t(us, rate);
            EXPECT_EQ(t.time(), 0.0) << us;
            EXPECT_EQ(t.Format(), "0:00:00:00") << us;
        }
        const CSmpteTime huge(1e300, rate);
        EXPECT_EQ(huge.time(), kMaxSmpteTimeUs);
        EXPECT_EQ(huge.hours(), 277'777) << "rate " << rate; // 1e15 us / 3.6e9 us
        EXPECT_LT(huge.minutes(), 60);
    }
}

// Split then compose gives back the frame; a second split gives the same fields.
void expectExactInverses(int rate, int64_t frameCount, int64_t step)
{
    CSmpteTime probe(0.0, rate);
    const double u = probe.microsecondsPerFrame();
    const int perSecond = rate == kSmpteRateMs ? 1000 : rate == kSmpteRate25 ? 25
                          : rate == kSmpteRate24                          ? 24
                                                                          : 30;
    for (int64_t n = 0; n < frameCount; n += step) {
        const double us = double(n) * u;
        CSmpteTime first(us, rate);
        const Fields label = fieldsOf(first);
        const bool inRange = label.minutes < 60 && label.seconds < 60 && label.frames >= 0
                             && label.frames < perSecond && first.subframes() == 0;
        const bool skipped = rate == kSmpteRate30Drop && label.minutes % 10 != 0
                             && label.seconds == 0 && label.frames < 2;
        const double back = first.GetTime();
        const CSmpteTime second(back, rate);
        if (!inRange || skipped || std::abs(back - us) > 1e-3
            || !(fieldsOf(second) == label) || second.subframes() != 0) {
            ADD_FAILURE() << "rate " << rate << " frame " << n << ": " << text(label)
                          << " composes to " << back << " us, expected " << us;
            return;
        }
    }
}

TEST(SmpteRoundTrip, SplitAndComposeAreExactInversesOverThreeHours)
{
    const int64_t threeHoursAt30 = 3 * 3600 * 30;
    expectExactInverses(kSmpteRate24, 3 * 3600 * 24, 1);
    expectExactInverses(kSmpteRate25, 3 * 3600 * 25, 1);
    expectExactInverses(kSmpteRate30Drop, 3 * 107'892, 1);
    expectExactInverses(kSmpteRate30, threeHoursAt30, 1);
    expectExactInverses(kSmpteRateMs, 3 * 3600 * 1000, 7);
}

} // namespace
} // namespace rz
