// The transport's state machine on its own: start requests, the vamp a
// start wraps into, and the Play/Cue debounce.

#include "engine/transport_machine.h"
#include "song/cue.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(TransportMachine, EveryStartRequestIsPendingWithASerialOfItsOwn)
{
    TransportMachine machine;
    machine.requestStart(480, false);
    const uint32_t first = machine.startSerial;
    machine.requestStart(-120, true);
    EXPECT_EQ(machine.state(), TransportState::Starting);
    EXPECT_EQ(machine.startTick, -120);
    EXPECT_TRUE(machine.startRelative);
    EXPECT_EQ(machine.startSerial, first + 1);
    EXPECT_FALSE(machine.changeState(TransportState::Playing, TransportState::Paused));
    EXPECT_TRUE(machine.changeState(TransportState::Starting, TransportState::Paused));
    EXPECT_EQ(machine.state(), TransportState::Paused);
}

// A vamp from 960 back to 480: a start at or past its end lands in the next
// repetition and uses it up; the last repetition and a start before the
// end are left alone, and so is a jump the vamp did not schedule.
TEST(TransportMachine, AStartPastTheVampsEndLandsInItsNextRepetition)
{
    CCue vamp;
    const struct {
        int repetitions;
        int32_t start;
        bool vampsJump;
        int32_t landed;
        int left;
    } cases[] = {
        {3, 1000, true, 520, 2}, {0, 1000, true, 520, 0}, {1, 1000, true, 1000, 1},
        {3, 900, true, 900, 3},  {3, 1000, false, 1000, 3},
    };
    for (const auto& c : cases) {
        TransportMachine machine;
        machine.enterVamp(vamp, c.repetitions);
        NextStop stop;
        stop.jumpFrom = 960;
        stop.jumpTo = 480;
        stop.jumpCue = c.vampsJump ? &vamp : nullptr;
        machine.setNextStop(stop);
        EXPECT_EQ(machine.wrapIntoVamp(c.start), c.landed) << c.repetitions << " " << c.start;
        EXPECT_EQ(machine.vampRepetitionsLeft.load(), c.left) << c.repetitions << " " << c.start;
    }
    TransportMachine machine;
    machine.enterVamp(vamp, 2);
    machine.clearVamp();
    EXPECT_EQ(machine.activeVamp(), nullptr);
    EXPECT_EQ(machine.vampRepetitionsLeft.load(), -1);
}

TEST(TransportMachine, PlayCuePressesCloserThanTheDebounceAreOne)
{
    TransportMachine machine;
    EXPECT_TRUE(machine.acceptAdvance(5)) << "the first press, however early";
    EXPECT_FALSE(machine.acceptAdvance(5 + TransportMachine::kAdvanceDebounceMs - 1));
    EXPECT_TRUE(machine.acceptAdvance(5 + TransportMachine::kAdvanceDebounceMs));
}

} // namespace
} // namespace rz
