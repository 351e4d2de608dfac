// Messages a view sends live (a fader) join the take as played input does.

#include "tests/engine/midi_input_fixture.h"
#include "tests/support/lock_holder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rz {
namespace {

class RecordLiveMessage : public MidiInputTest {
protected:
    int numberOf(const CTrack& track) const
    {
        const auto at = std::find_if(song->tracks.begin(), song->tracks.end(),
                                     [&](const auto& t) { return t.get() == &track; });
        return int(at - song->tracks.begin());
    }
    // Records from the start with no count-in and plays on to `tick`.
    void recordTo(int32_t tick)
    {
        song->setPosition(0);
        sequencer->Record();
        runTicks(1);
        ASSERT_TRUE(runUntilPosition(tick));
    }
    void keepTake()
    {
        prompt.expectYesNo("Keep this take?", PromptAnswer::Yes);
        sequencer->Stop(false);
    }
    static std::vector<std::pair<int32_t, uint32_t>> eventsOf(const CTrack& track)
    {
        std::vector<std::pair<int32_t, uint32_t>> out;
        for (const CMidiEvent& event : track.events)
            out.emplace_back(event.tick, event.message);
        return out;
    }
};

TEST_F(RecordLiveMessage, WhileRecordingAFaderMessageReachesTheTakeAtTheEchosTime)
{
    profile.writeInt("RecordOptions", "CountIn", 0);
    start();
    makeArmedSong();
    CTrack& track = addThruTrack();
    sequencer->recordLiveMessage(numberOf(track), control(11, 5)); // not recording: dropped
    recordTo(600);
    const int32_t at = sequencer->position();
    sequencer->recordLiveMessage(numberOf(track), control(11, 90));
    keepTake();
    EXPECT_EQ(eventsOf(track), (std::vector<std::pair<int32_t, uint32_t>>{{at, control(11, 90)}}));
    EXPECT_EQ(sequencer->lostInputCount(), 0u);
}

TEST_F(RecordLiveMessage, WithTheThruMutexHeldPastTheWaitItIsSkippedAndCounted)
{
    profile.writeInt("RecordOptions", "CountIn", 0);
    start({"Keyboard"}, std::chrono::milliseconds(20));
    makeArmedSong();
    CTrack& track = addThruTrack();
    recordTo(600);
    {
        LockHolder busy(ThruMutex());
        sequencer->recordLiveMessage(numberOf(track), control(11, 90));
    }
    EXPECT_EQ(sequencer->lostInputCount(), 1u);
    const int32_t at = sequencer->position();
    sequencer->recordLiveMessage(numberOf(track), control(11, 40)); // the sentinel
    keepTake();
    EXPECT_EQ(eventsOf(track), (std::vector<std::pair<int32_t, uint32_t>>{{at, control(11, 40)}}));
}

} // namespace
} // namespace rz
