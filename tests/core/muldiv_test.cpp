#include "core/muldiv.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

struct MulDivCase {
    int32_t a, b, c, expected;
};

TEST(MulDiv, RoundsHalfAwayFromZeroAndReportsOverflow)
{
    const MulDivCase cases[] = {
        {10, 3, 4, 8},           // 7.5 -> 8
        {-10, 3, 4, -8},         // -7.5 -> -8
        {10, -3, -4, 8},         // signs cancel
        {7, 1, 2, 4},            // 3.5 -> 4
        {5, 1, 3, 2},            // 1.67 -> 2
        {4, 1, 3, 1},            // 1.33 -> 1
        {0, 12345, 7, 0},
        {1, 1, 0, -1},           // division by zero
        {0x40000000, 4, 1, -1},  // 2^32 does not fit
        {0x7FFFFFFF, 1, 1, 0x7FFFFFFF},
        {-0x7FFFFFFF - 1, 1, 1, -0x7FFFFFFF - 1},
        {-0x7FFFFFFF - 1, -1, 1, -1}, // +2^31 does not fit
        {480, 960, 100, 4608},
        {1000000, 1000000, 1000000, 1000000}, // 64-bit intermediate
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}

} // namespace
} // namespace rz
