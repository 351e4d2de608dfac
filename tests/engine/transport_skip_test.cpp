// A Skip cue switching the engine to the next song of the set, on the
// manual timer.

#include "tests/engine/transport_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

namespace rz {
namespace {

using namespace std::chrono_literals;
using test::controller;
using test::note;

std::string pointerText(const void* pointer)
{
    std::ostringstream text;
    text << pointer;
    return text.str();
}

ptrdiff_t indexOf(const std::vector<std::string>& sent, const std::string& message)
{
    const auto found = std::find(sent.begin(), sent.end(), message);
    return found == sent.end() ? -1 : found - sent.begin();
}

using TransportSkip = TransportTest;

// The old song holds a note and the pedal on channel 2, which the new song
// does not use: its own start would leave both sounding.
TEST_F(TransportSkip, ASkipCueSwitchesSongsEndingTheOldSongsNotesAndPosts665)
{
    init();
    CSongDoc& first = makeSongWith(
        {controller(0, 64, 127, 1), note(0, 60, 90, 1000, 1), note(1800, 60, 90, 60, 1)}, 1);
    addCue(first, kCueSkip, 240, 240);
    CSongDoc& next = makeOtherSong({note(0, 62, 90, 60), note(1800, 62, 90, 60)});
    int setItem = 0;
    const SetItemHandle item = reinterpret_cast<SetItemHandle>(&setItem);
    gui.recorder.itemSongs[item] = &next;
    sequencer->setNextSetSong(item);

    startAt(0);
    ASSERT_EQ(countOf(synthSent(), "91 3C 5A"), 1u);
    ASSERT_TRUE(runUntil([&] { return sequencer->songPlayed() == &next; }));
    EXPECT_EQ(sequencer->transportState(), TransportState::Starting);
    runTicks(1);
    EXPECT_EQ(sequencer->transportState(), TransportState::Playing);
    EXPECT_EQ(sequencer->position(), 0);

    const auto sent = synthSent();
    const ptrdiff_t newNote = indexOf(sent, "90 3E 5A");
    ASSERT_GE(newNote, 0);
    const ptrdiff_t noteOff = indexOf(sent, "91 3C 00");
    const ptrdiff_t pedalUp = indexOf(sent, "B1 40 00");
    EXPECT_TRUE(noteOff >= 0 && noteOff < newNote) << "the old note ends first";
    EXPECT_TRUE(pedalUp >= 0 && pedalUp < newNote) << "the old pedal lifts first";

    EXPECT_TRUE(waitForGuiCall("setFrameTimer(665)", 5s));
    EXPECT_EQ(gui.recorder.count("clearAttachedFlags"), 1u);
    EXPECT_EQ(gui.recorder.count("setCurrentItem"), 1u);
    EXPECT_EQ(gui.recorder.currentItem(), item);
    const auto calls = gui.recorder.calls();
    EXPECT_LT(indexOf(calls, "clearAttachedFlags()"),
              indexOf(calls, "setCurrentItem(" + pointerText(item) + ")"));
}

// The skip at tick 1 comes on the third tick. Another thread holds the
// TransportMutex across it and stops the transport meanwhile: the tick must
// not switch, or it would start the next song after the user stopped.
TEST_F(TransportSkip, ASkipNeverRestartsATransportStoppedMeanwhile)
{
    init();
    CSongDoc& first = makeSongWith({note(1800, 60, 90, 60)});
    addCue(first, kCueSkip, 1, 1);
    CSongDoc& next = makeOtherSong({note(1800, 62, 90, 60)});
    int setItem = 0;
    const SetItemHandle item = reinterpret_cast<SetItemHandle>(&setItem);
    gui.recorder.itemSongs[item] = &next;
    sequencer->setNextSetSong(item);
    startAt(0);
    runTicks(1);
    ASSERT_EQ(sequencer->position(), 0);

    std::atomic<bool> held{false};
    std::atomic<bool> tickWaited{false};
    std::thread user([&] {
        LockGuard guard(TransportMutex(), "test");
        held = true;
        // The stop comes only once the tick waits for the lock.
        tickWaited = eventually([&] { return TransportMutex().waiting() > 0; });
        sequencer->setTransportState(TransportState::Stopped);
    });
    while (!held)
        std::this_thread::yield();
    runTicks(1);
    user.join();
    ASSERT_TRUE(tickWaited.load()) << "the tick never waited for the TransportMutex";
    EXPECT_EQ(sequencer->songPlayed(), &first);
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
}

TEST_F(TransportSkip, WithoutANextSongASkipJumpsToItsSecondTime)
{
    init();
    makeSongWith({note(1800, 60, 90, 60)});
    addCue(*song, kCueSkip, 240, 960);
    startAt(0);
    EXPECT_EQ(positionBeforeReaching(960), 240);
    EXPECT_EQ(sequencer->songPlayed(), song.get());
}

} // namespace
} // namespace rz
