#include <gtest/gtest.h>

#include <vector>

#include "song/peak_buffer.h"

namespace rz {
namespace {

// One entry from a constant pair of channels.
uint16_t peakOf(float left, float right)
{
    std::vector<float> l(48, left);
    std::vector<float> r(48, right);
    uint16_t out = 0xFFFF;
    ComputePeaks(l.data(), r.data(), 48, 1, &out);
    return out;
}

struct PeakCase {
    const char* name;
    float left;
    float right;
    int max; // bits 7-13
    int min; // bits 0-6, the magnitude
};

TEST(OverviewPeaks, EntriesHoldTheScaledExtremesOfBothChannels)
{
    const PeakCase cases[] = {
        {"half up", 0.5f, 0.0f, 63, 0},
        {"half down", 0.0f, -0.5f, 0, 64},
        {"silence", 0.0f, 0.0f, 0, 0},
        {"full scale both ways", 1.0f, -1.0f, 127, 127},
        {"below full scale", -1.2f, 0.0f, 0, 127},
        {"above full scale", 1.3f, 0.0f, 127, 0},
    };
    for (const PeakCase& c : cases) {
        const uint16_t entry = peakOf(c.left, c.right);
        EXPECT_EQ(entry >> 7, c.max) << c.name;
        EXPECT_EQ(entry & 0x7F, c.min) << c.name;
    }
}

TEST(OverviewPeaks, AFullScaleSquareFillsBothFields)
{
    std::vector<float> square(96);
    for (size_t i = 0; i < square.size(); ++i)
        square[i] = (i / 8) % 2 ? 1.0f : -1.0f;
    uint16_t out[2] = {};
    ComputePeaks(square.data(), square.data(), 48, 2, out);
    EXPECT_EQ(out[0], 127 * 128 + 127);
    EXPECT_EQ(out[1], 127 * 128 + 127);
}

TEST(OverviewPeaks, EntriesAndBlocksFollowTheClipLength)
{
    struct {
        int64_t length; // 100-ns units
        size_t entries;
        size_t blocks;
    } const cases[] = {
        {250'000'000, 2501, 3}, // 25 s
        {99'900'000, 1000, 1},  // 9.99 s: exactly one full block
        {100'000'000, 1001, 2},
        {0, 1, 1},
    };
    for (const auto& c : cases) {
        PeakBuffer peaks(c.length);
        EXPECT_EQ(peaks.entries(), c.entries) << c.length;
        ASSERT_EQ(peaks.blocks(), c.blocks) << c.length;
        EXPECT_EQ(peaks.blockEntries(c.blocks - 1), c.entries - (c.blocks - 1) * 1000) << c.length;
    }
}

TEST(OverviewPeaks, ABlockIsRequestedOnceAndReadOnlyWhenComputed)
{
    PeakBuffer peaks(250'000'000);
    EXPECT_TRUE(peaks.request(1));
    EXPECT_FALSE(peaks.request(1));
    EXPECT_EQ(peaks.state(0), PeakBuffer::kNone);
    peaks.blockData(1)[0] = 0x1234;
    EXPECT_EQ(peaks.entry(1000), 0);
    peaks.publish(1);
    EXPECT_EQ(peaks.entry(1000), 0x1234);
    EXPECT_FALSE(peaks.request(1));
}

} // namespace
} // namespace rz
