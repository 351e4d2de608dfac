// Vamps, the Play/Cue rule inside them, and the hold at an Ad lib cue, on
// the manual timer. The vamp repeats ticks 240..480 (one tick is 4.17 ms).

#include "tests/engine/transport_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

using test::note;

constexpr int32_t kVampStart = 240;
constexpr int32_t kVampEnd = 480;

class TransportVamp : public TransportTest {
protected:
    CCue& makeVampSong(int32_t repeatCount, int32_t secondCount = 0, int32_t vampStart = kVampStart,
                       int32_t vampEnd = kVampEnd)
    {
        makeSongWith({note(2400, 60, 90, 60)});
        return addCue(*song, kCueVamp, vampEnd, vampStart, repeatCount, secondCount);
    }

    // Runs tick by tick until `done`, counting the jumps back; -1 when
    // `done` never came or the position passed `ceiling`.
    int wrapsUntil(const std::function<bool()>& done, int32_t ceiling = kVampEnd)
    {
        int wraps = 0;
        int32_t last = sequencer->position();
        const bool reached = runUntil([&] {
            const int32_t now = sequencer->position();
            if (now < last)
                ++wraps;
            last = now;
            return now > ceiling || done();
        });
        return reached && sequencer->position() <= ceiling ? wraps : -1;
    }

    bool playing() const { return sequencer->transportState() == TransportState::Playing; }

    int wrapsUntilPast(int32_t tick)
    {
        return wrapsUntil([&] { return sequencer->position() > tick; }, tick + 1);
    }
};

TEST_F(TransportVamp, RepeatCountZeroRepeatsUntilToggleVampExit)
{
    init();
    const CCue& vamp = makeVampSong(0);
    startAt(0);
    ASSERT_EQ(wrapsUntil([&] { return sequencer->vampPasses() == 3 && playing(); }), 3);
    EXPECT_EQ(sequencer->activeVamp(), &vamp);
    EXPECT_EQ(sequencer->vampRepetitionsLeft(), 0);

    sequencer->ToggleVampExit(true);
    EXPECT_EQ(sequencer->vampRepetitionsLeft(), 1);
    sequencer->ToggleVampExit(true);
    EXPECT_EQ(sequencer->vampRepetitionsLeft(), 0) << "a toggle takes the exit back";
    sequencer->ToggleVampExit(true);
    EXPECT_EQ(wrapsUntilPast(kVampEnd + 50), 0) << "this pass is the last";
    EXPECT_EQ(sequencer->activeVamp(), nullptr);
    EXPECT_EQ(sequencer->vampRepetitionsLeft(), -1);
}

TEST_F(TransportVamp, PlayThroughPlaysARepeatCountZeroVampTwiceAndGoesOn)
{
    init();
    makeVampSong(0);
    sequencer->Advance(true);
    runTicks(1);
    ASSERT_EQ(sequencer->transportState(), TransportState::Playing);
    EXPECT_EQ(wrapsUntilPast(kVampEnd + 50), 1);
}

TEST_F(TransportVamp, PlayCueInsideARepetition)
{
    const struct {
        const char* name;
        int options;         // "Sequencer"/"Options"
        int32_t offset;      // ticks past the vamp's start, after one pass
        int32_t locatedAt;   // the position one tick after Play/Cue, to a tick
        int wrapsAfter;      // jumps back still to come
    } cases[] = {
        {"more than a sixteenth in: ends after this pass", 2, 40, kVampStart + 40, 0},
        {"within the first sixteenth: this pass counts", 2, 10, kVampStart + 10, 0},
        {"without options bit 1: nothing", 0, 40, kVampStart + 40, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        profile.writeInt("Sequencer", "Options", c.options);
        init();
        makeVampSong(3);
        startAt(0);
        ASSERT_EQ(wrapsUntil([&] {
                      return sequencer->vampPasses() == 1 && playing()
                             && sequencer->position() == kVampStart + c.offset;
                  }),
                  1);
        sequencer->Advance(false);
        runTicks(1);
        EXPECT_NEAR(sequencer->position(), c.locatedAt, 1);
        EXPECT_EQ(wrapsUntilPast(kVampEnd + 50), c.wrapsAfter);
    }
}

TEST_F(TransportVamp, TheLastPassOfAVampWithASecondCountLeavesThatManyMeasuresEarly)
{
    init();
    makeVampSong(0, 1, 0, 1920); // four measures; the last pass leaves after three
    startAt(0);
    ASSERT_EQ(wrapsUntil(
                  [&] { return sequencer->vampPasses() == 1 && playing() && sequencer->position() > 100; },
                  1920),
              1);
    sequencer->ToggleVampExit(false);
    EXPECT_EQ(sequencer->transportState(), TransportState::Starting) << "restarted at once";
    EXPECT_EQ(positionBeforeReaching(1920), 1440) << "no fourth measure";
}

// Skip next measure inside a vamp schedules its own jump: it lands where it
// says, not one more jump's length further.
TEST_F(TransportVamp, AJumpTheNavigationScheduledInsideAVampLandsWhereItSays)
{
    init();
    makeVampSong(0, 0, kVampStart, 960);
    startAt(300);
    ASSERT_NE(sequencer->activeVamp(), nullptr);
    song->SkipNextMeasure(); // leaves at 480 - 12 for the end of the next measure, 960 - 12
    EXPECT_EQ(positionBeforeReaching(900), 468);
    EXPECT_EQ(sequencer->position(), 948);
    EXPECT_NE(sequencer->activeVamp(), nullptr) << "still in the vamp";
}

// An Advance cue repeats its section like a vamp until Play/Cue, which goes
// on from its end.
TEST_F(TransportVamp, PlayCueInAnAdvanceSectionGoesOnFromItsEnd)
{
    init();
    makeSongWith({note(2400, 60, 90, 60)});
    addCue(*song, kCueAdvance, kVampEnd, kVampStart);
    startAt(0);
    ASSERT_EQ(wrapsUntil([&] { return sequencer->vampPasses() == 1 && playing()
                                      && sequencer->position() >= kVampStart + 20; }),
              1);
    sequencer->Advance(false);
    runTicks(1);
    EXPECT_EQ(sequencer->position(), kVampEnd);
    EXPECT_EQ(sequencer->activeVamp(), nullptr);
    EXPECT_EQ(wrapsUntilPast(kVampEnd + 50), 0);
}

TEST_F(TransportVamp, AnAdLibEndHoldsAndPlayCueGoesOnFromItsJumpTo)
{
    init();
    makeSongWith({note(1800, 60, 90, 60)});
    addCue(*song, kCueAdLib, 240, 480); // holds just before the click after 240
    startAt(0);
    ASSERT_TRUE(runUntil([&] { return sequencer->transportState() == TransportState::Holding; }));
    EXPECT_EQ(song->position(), 240 + 115);
    runTicks(20);
    EXPECT_EQ(sequencer->position(), 240 + 114) << "the hold does not move";
    sequencer->Advance(false);
    runTicks(1);
    EXPECT_EQ(sequencer->transportState(), TransportState::Playing);
    EXPECT_EQ(sequencer->position(), 360);
}

} // namespace
} // namespace rz
