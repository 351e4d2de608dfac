// Input echoed and recorded on its own thread while the GUI thread records,
// stops and keeps takes: run under ThreadSanitizer.

#include "tests/engine/midi_input_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace rz {
namespace {

class MidiInputRace : public MidiInputTest {};

TEST_F(MidiInputRace, AnEchoRacingStopLeavesWellFormedTakesAndNoLoss)
{
    profile.writeInt("RecordOptions", "CountIn", 0);
    start();
    makeArmedSong();
    CTrack& track = addThruTrack();
    std::atomic<bool> playing{true};
    std::atomic<int> injected{0};
    std::thread player([&] {
        for (int key = 0; playing.load(); key = (key + 1) % 12) {
            if (keyboard().inject(noteOn(60 + key, 100)))
                ++injected;
            keyboard().inject(control(7, key));
            keyboard().inject(noteOff(60 + key));
        }
    });

    constexpr int kTakes = 8;
    for (int take = 0; take < kTakes; ++take) {
        song->setPosition(0);
        sequencer->Record();
        ASSERT_TRUE(sequencer->recording());
        // The clock runs while notes arrive, then Stop meets them.
        for (const int until = injected.load() + 50; injected.load() < until;) {
            runTicks(1);
            std::this_thread::yield();
        }
        prompt.expectYesNo("Keep this take?", take % 2 == 0 ? PromptAnswer::Yes : PromptAnswer::No);
        sequencer->Stop(false);
        EXPECT_FALSE(sequencer->recording());
        // Every kept note starts inside the take and ends before the next.
        for (const CMidiEvent& event : track.events)
            EXPECT_GE(event.value2, 0);
        waitOutDebounce();
    }
    playing = false;
    player.join();
    EXPECT_EQ(song->undoList.size(), size_t(kTakes / 2));
    EXPECT_EQ(sequencer->lostInputCount(), 0u);
}

} // namespace
} // namespace rz
