// The idle beat display's runs on their own.

#include "engine/idle_beat.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

// The idle beat starts over with each run, so two runs in one millisecond
// must not share a user value.
TEST(IdleBeatDisplay, EveryRunGetsAUserValueOfItsOwn)
{
    IdleBeatDisplay display;
    EXPECT_EQ(display.nextRunUser(1000), 1000u);
    EXPECT_EQ(display.nextRunUser(1000), 1001u);
    EXPECT_EQ(display.nextRunUser(2000), 2000u);
}

} // namespace
} // namespace rz
