#include "song/key_fold.h"

#include <gtest/gtest.h>

#include <climits>

namespace rz {
namespace {

TEST(KeyFold, KeysLeavingTheRangeComeBackByWholeOctaves)
{
    const struct {
        int key;
        int semitones;
        int folded;
    } kCases[] = {
        {125, 5, 118}, {2, -5, 9},     {60, 0, 60}, {127, 0, 127}, {0, 0, 0},
        {120, 8, 116}, {127, 12, 127}, {0, -12, 0}, {5, -6, 11},   {60, 1000, 124},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(transposeFolded(c.key, c.semitones), c.folded) << c.key << " " << c.semitones;
}

TEST(KeyFold, ExtremeOffsetsStayInRangeWithoutOverflow)
{
    for (const int semitones : {INT_MAX, INT_MIN, INT_MAX - 5, INT_MIN + 7}) {
        for (const int key : {0, 64, 127}) {
            const int folded = transposeFolded(key, semitones);
            EXPECT_GE(folded, 0) << key << " " << semitones;
            EXPECT_LE(folded, 127) << key << " " << semitones;
            EXPECT_EQ((int64_t(folded) - (int64_t(key) + semitones)) % 12, 0) << key << " " << semitones;
        }
    }
}

} // namespace
} // namespace rz
