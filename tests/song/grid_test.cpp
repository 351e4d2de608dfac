#include <gtest/gtest.h>

#include "song/grid.h"

namespace rz {
namespace {

TEST(GridFamily, FollowsTheTimeBaseDivisors)
{
    const struct {
        int timeBase, family;
    } cases[] = {{120, 0}, {96, 1}, {192, 1}, {128, 4}, {252, 3}, {960, 0}, {36, 2}, {7, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(GridFamilyFor(c.timeBase), c.family) << c.timeBase;
}

TEST(GridTicks, NeverBelowOneTick)
{
    const struct {
        int timeBase, family, zoom;
        int32_t ticks;
    } cases[] = {
        {96, 1, 8, 1},    // 96 divisions of 96
        {100, 0, 8, 1},   // 120 divisions of 100 would be 0
        {120, 0, 0, 120}, {120, 0, 3, 15}, {480, 1, 6, 10}, {96, 1, 99, 1}, {96, 9, 0, 96},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GridTicks(c.timeBase, c.family, c.zoom), c.ticks)
            << c.timeBase << " " << c.family << " " << c.zoom;
}

} // namespace
} // namespace rz
