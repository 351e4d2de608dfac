#include "core/ms_clock.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

// Installs a clock for one test and restores the steady clock after it.
class ProgramClockTest : public ::testing::Test {
protected:
    ~ProgramClockTest() override { setProgramClock(nullptr); }
};

TEST(ManualMsClock, MovesOnlyWhenToldAndWrapsAt32Bits)
{
    ManualMsClock clock(0xFFFFFFF0u);
    EXPECT_EQ(clock.nowMs(), 0xFFFFFFF0u);
    clock.advance(0x20);
    EXPECT_EQ(clock.nowMs(), 0x10u);
    // Elapsed time across the wrap is the unsigned difference.
    EXPECT_EQ(clock.nowMs() - 0xFFFFFFF0u, 0x20u);
    clock.set(5);
    EXPECT_EQ(clock.nowMs(), 5u);
}

TEST_F(ProgramClockTest, TimeGetTimeReadsTheInstalledClock)
{
    ManualMsClock clock(1000);
    setProgramClock(&clock);
    EXPECT_EQ(&programClock(), &clock);
    EXPECT_EQ(timeGetTime(), 1000u);
    clock.advance(0xFFFFFFFFu); // one less than a full turn
    EXPECT_EQ(timeGetTime(), 999u);
}

TEST_F(ProgramClockTest, NullRestoresTheSteadyClock)
{
    ManualMsClock clock(7);
    setProgramClock(&clock);
    setProgramClock(nullptr);
    EXPECT_NE(&programClock(), &clock);
    const uint32_t first = timeGetTime();
    const uint32_t second = timeGetTime();
    EXPECT_LT(second - first, 1000u); // steady: never runs backwards
}

} // namespace
} // namespace rz
