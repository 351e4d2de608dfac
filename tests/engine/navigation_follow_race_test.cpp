// The navigation commands on the "GUI" thread while a sync follower on its
// input thread locates, starts and stops the same song (run under
// ThreadSanitizer too): both locate through the engine, one at a time.

#include "tests/engine/transport_fixture.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

namespace rz {
namespace {

using test::note;

using NavigationFollowRace = TransportTest;

TEST_F(NavigationFollowRace, NavigationAndFollowerLocatesLeaveTheSongWhereOneOfThemPutIt)
{
    profile.writeInt("SyncOptions", "MasterSlave", 2);
    init();
    makeBusyBar();
    COutPort& port = *sequencer->ports()->outputs[0];

    std::atomic<bool> done{false};
    std::thread input([&] {
        std::mt19937 random(3);
        std::uniform_int_distribution<int> pick(0, 12);
        while (!done.load(std::memory_order_acquire)) {
            const int choice = pick(random);
            uint32_t message = 0xF8;
            if (choice == 0)
                message = 0xFA;
            else if (choice == 1)
                message = 0xFC;
            else if (choice < 6)
                message = 0xF2 | uint32_t(pick(random) * 4) << 8;
            sequencer->OnSyncInput(0, message, TickTime{});
            std::this_thread::yield();
        }
    });
    for (int round = 0; round < 200; ++round) {
        gui.runAndWait([&] {
            switch (round % 4) {
            case 0: song->NextMeasure(); break;
            case 1: song->PreviousMeasure(); break;
            case 2: song->GoToBeginning(); break;
            default: song->JumpTo(960); break;
            }
        });
    }
    done.store(true, std::memory_order_release);
    input.join();

    sequencer->OnSyncInput(0, 0xFC, TickTime{});
    gui.runAndWait([&] { sequencer->Stop(false); });
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
    EXPECT_TRUE(port.heldNotes().empty());
    gui.runAndWait([&] { song->NextMeasure(); });
    EXPECT_EQ(song->position() % 480, 0) << "a stopped song moves by whole measures";
}

// The follower's stop leaves no timer running; the idle timer comes back
// through the GUI without another Play.
TEST_F(NavigationFollowRace, TheIdleTimerRunsAgainAfterTheFollowerStops)
{
    profile.writeInt("SyncOptions", "MasterSlave", 2);
    init();
    makeSongWith({note(0, 60, 90, 30)});
    sequencer->Play(0, true, false);
    ASSERT_EQ(timer.mode(), TimerMode::Off);
    sequencer->OnSyncInput(0, 0xF8, TickTime{});
    ASSERT_EQ(sequencer->transportState(), TransportState::Playing);

    sequencer->OnSyncInput(0, 0xFC, TickTime{});
    EXPECT_TRUE(eventually([&] {
        gui.drain();
        return timer.mode() == TimerMode::Idle;
    }));
}

} // namespace
} // namespace rz
