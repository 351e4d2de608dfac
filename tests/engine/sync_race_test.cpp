// The follower on an input thread of its own while the transport commands
// come from another: clocks, starts, stops and song positions race Play and
// Stop (run under ThreadSanitizer too).

#include "tests/engine/transport_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

namespace rz {
namespace {


using SyncRace = TransportTest;

// No state word outside the transport's states; after the input has gone
// quiet a Stop leaves nothing sounding, and the follower obeys it.
TEST_F(SyncRace, FollowerAgainstPlayAndStopLeavesNothingSoundingAfterTheLastStop)
{
    profile.writeInt("SyncOptions", "MasterSlave", 2);
    init();
    makeBusyBar();
    COutPort& port = *sequencer->ports()->outputs[0];

    std::atomic<bool> done{false};
    std::thread input([&] {
        std::mt19937 random(11);
        std::uniform_int_distribution<int> pick(0, 40);
        while (!done.load(std::memory_order_acquire)) {
            const int choice = pick(random);
            uint32_t message = 0xF8;
            if (choice == 0)
                message = 0xFA;
            else if (choice == 1)
                message = 0xFB;
            else if (choice == 2)
                message = 0xFC;
            else if (choice == 3)
                message = 0xF2 | uint32_t(pick(random)) << 8;
            sequencer->OnSyncInput(0, message, TickTime{});
            std::this_thread::yield();
        }
    });
    std::mt19937 random(5);
    std::uniform_int_distribution<int32_t> tick(0, 1800);
    for (int round = 0; round < 300; ++round) {
        sequencer->Play(tick(random), round % 2 == 0, false);
        std::this_thread::yield();
        sequencer->Stop(false);
        const TransportState state = sequencer->transportState();
        EXPECT_TRUE(state == TransportState::Stopped || state == TransportState::Starting
                    || state == TransportState::Playing)
            << "round " << round;
    }
    done.store(true, std::memory_order_release);
    input.join();
    sequencer->Stop(false);
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
    EXPECT_TRUE(port.heldNotes().empty());
    sequencer->OnSyncInput(0, 0xF8, TickTime{});
    EXPECT_TRUE(port.heldNotes().empty()) << "a clock does not restart a stopped follower";
}

} // namespace
} // namespace rz
