#include "core/muldiv.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(ControlMulDiv, RoundsLikeCoreMulDivInsideThirtyTwoBits)
{
    const struct {
        int32_t a, b, c;
    } cases[] = {{10, 100, 1001}, {7, 3, 2}, {-7, 3, 2}, {7, -3, 2}, {5, 1, -2},
                 {100, 100, 3}, {2147483647, 2, 3}, {-2147483647, 1, 1}, {9, 101, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(mulDiv64(c.a, c.b, c.c), MulDiv(c.a, c.b, c.c)) << c.a << "*" << c.b << "/" << c.c;
}

TEST(ControlMulDiv, HandlesRangesBeyondThirtyTwoBitsAndAZeroDivisor)
{
    const int64_t fullRange = int64_t(1) << 32;
    EXPECT_EQ(mulDiv64(50, fullRange, 100), fullRange / 2);
    EXPECT_EQ(mulDiv64(fullRange - 1, 100, fullRange), 100);
    EXPECT_EQ(mulDiv64(123, 456, 0), 0);
}

} // namespace
} // namespace rz
