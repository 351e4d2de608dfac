#include "core/color.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

struct ShadeCase {
    Color color;
    int16_t level;
    Color expected;
};

TEST(ShadeColor, DarkensBelow120AndLightensAbove)
{
    const ShadeCase cases[] = {
        {0x808080, 120, 0x808080}, {0x808080, 60, 0x404040},  {0x808080, 180, 0xBFBFBF},
        {0x808080, 240, 0xFFFFFF}, {0x808080, 0, 0x000000},   {0x808080, -5, 0x000000},
        {0x808080, 300, 0xFFFFFF}, {0x38140C, 1, 0x000000},   // 56/120, 20/120, 12/120 truncate
        {0x38140C, 119, 0x37130B}, {0x38140C, 121, 0x39150E}, // c + (255-c)/120 truncated
        {0xFF000000 | 0x102030, 120, 0x102030},               // the top byte never survives
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShadeColor(c.color, c.level), c.expected)
            << std::hex << c.color << " at level " << std::dec << c.level;
}

TEST(BlendColors, AveragesEachChannelRoundingDown)
{
    EXPECT_EQ(BlendColors(0x000001, 0x000002), 0x000001u);
    EXPECT_EQ(BlendColors(0xFFFFFF, 0x000000), 0x7F7F7Fu);
    EXPECT_EQ(BlendColors(0x38140C, 0xF0CB85), 0x946F48u);
    EXPECT_EQ(BlendColors(0xFF000000, 0xFF000000), 0u);
    EXPECT_EQ(BlendColors(0xAB102030, 0xCD102030), 0x102030u);
}

TEST(ColorLuminance, BlackTextOnLightColoursWhiteOnDark)
{
    EXPECT_EQ(ColorLuminance(0xFFFFFF), 0x000000u);
    EXPECT_EQ(ColorLuminance(0x000000), 0xFFFFFFu);
    EXPECT_EQ(ColorLuminance(0x808080), 0x000000u); // 128 exactly
    EXPECT_EQ(ColorLuminance(0x7F7F7F), 0xFFFFFFu);
    EXPECT_EQ(ColorLuminance(0x38140C), 0xFFFFFFu); // the dark base colour
    EXPECT_EQ(ColorLuminance(0x0EF0FF), 0x000000u); // the highlight text colour
}

TEST(ColorLuminance, AWeightedSumOfExactly128CountsAsLight)
{
    // 0.299 * 8 + 0.587 * 200 + 0.114 * 72 is 128 exactly, but summing it in
    // doubles gives 127.99999999999999.
    EXPECT_EQ(ColorLuminance(makeColor(8, 200, 72)), 0x000000u);
    EXPECT_EQ(ColorLuminance(makeColor(42, 172, 127)), 0x000000u);
    EXPECT_EQ(ColorLuminance(makeColor(7, 200, 72)), 0xFFFFFFu);
}

} // namespace
} // namespace rz
