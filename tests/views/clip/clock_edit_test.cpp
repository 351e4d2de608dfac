#include <gtest/gtest.h>

#include "clip_rig.h"
#include "song/selection.h"

namespace rz {
namespace {

// The clip rig's song on the clock-time view's axis at 10 ms a column
// (240 ticks a second: a clip's second is 100 pixels), with MIDI blocks as
// items: track 3 "M" holds notes at 0 and 120, one block.
struct ClockRig : ClipRig {
    ClockRig()
    {
        song->tracks[3]->events = {test::note(0, 60, 90, 60), test::note(120, 62, 90, 60)};
        BuildLaneItems(*song);
        RebuildPlayImages(*song, false);
        g.clock = ClockAxis::forSong(*song, ClockAxis::kDefaultZoom, 0, 0);
        g.midiItems = true;
        g.cuesPinTracks = true;
    }
};

TEST(TimeEdit, APlainClickOnASelectedClipLeavesOnlyIt)
{
    ClockRig rig;
    const std::string before = DescribeSong(*rig.song);
    ClipEditController edit(*rig.song, rig.band);
    rig.click(edit, rig.at(480, 1));
    rig.click(edit, rig.at(960, 1), Qt::ShiftModifier);
    ASSERT_TRUE(rig.selected(1, 0) && rig.selected(1, 1));
    rig.click(edit, rig.at(960, 1));
    EXPECT_FALSE(rig.selected(1, 0));
    EXPECT_TRUE(rig.selected(1, 1));
    EXPECT_EQ(rig.song->selectionKind, kSelectAudioClip);
    EXPECT_SAME_SONG(before, DescribeSong(*rig.song));
}

TEST(TimeEdit, CtrlClickDeselectsAndShiftClickAdds)
{
    ClockRig rig;
    ClipEditController edit(*rig.song, rig.band);
    rig.click(edit, rig.at(480, 1));
    rig.click(edit, rig.at(0, 3), Qt::ShiftModifier);
    // A MIDI block selects every event it stands for.
    EXPECT_TRUE(rig.selected(1, 0));
    EXPECT_TRUE(rig.selected(3, 0) && rig.selected(3, 1));
    EXPECT_EQ(rig.song->selectionKind, kSelectAudioClip | kSelectEvents);
    rig.click(edit, rig.at(480, 1), Qt::ControlModifier);
    EXPECT_FALSE(rig.selected(1, 0));
    EXPECT_TRUE(rig.selected(3, 0) && rig.selected(3, 1));
    EXPECT_EQ(rig.song->selectionKind, kSelectEvents);
}

TEST(TimeEdit, AMidiBlockDraggedOntoAWaveformLaneMovesOnlyInTime)
{
    ClockRig rig;
    const std::string before = DescribeSong(*rig.song);
    ClipEditController edit(*rig.song, rig.band);
    rig.drag(edit, rig.at(0, 3), rig.at(240, 1));
    EXPECT_EQ(rig.ticksOn(3), (std::vector<int32_t>{240, 360}));
    EXPECT_EQ(rig.ticksOn(1), (std::vector<int32_t>{480, 960}));
    ASSERT_TRUE(rig.song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*rig.song));
}

TEST(TimeEdit, ADragHoldingACueNeverChangesTracks)
{
    ClockRig rig;
    rig.song->cues.push_back(test::UndoFixture::cue(kCueMarker, 240, 240, "Verse"));
    rig.g.cueRects.assign(1, QRect());
    const std::string before = DescribeSong(*rig.song);
    ClipEditController edit(*rig.song, rig.band);
    rig.song->cues[0]->selectionStamp = rig.song->selectionStamp;
    // Row 2 is a waveform track too: without the cue the clip would go there.
    rig.drag(edit, rig.at(480, 1), rig.at(720, 2), Qt::ShiftModifier);
    EXPECT_EQ(rig.ticksOn(1), (std::vector<int32_t>{720, 960}));
    EXPECT_TRUE(rig.ticksOn(2).empty());
    EXPECT_EQ(rig.song->cues[0]->time, 480);
    ASSERT_TRUE(rig.song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*rig.song));
}

TEST(TimeEdit, DraggingLeftStopsAtTickZero)
{
    ClockRig rig;
    const std::string before = DescribeSong(*rig.song);
    ClipEditController edit(*rig.song, rig.band);
    rig.click(edit, rig.at(480, 1));
    rig.click(edit, rig.at(960, 1), Qt::ShiftModifier);
    rig.drag(edit, rig.at(960, 1), QPoint(-400, rig.at(0, 1).y()));
    EXPECT_EQ(rig.ticksOn(1), (std::vector<int32_t>{0, 480}));
    ASSERT_TRUE(rig.song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*rig.song));
}

TEST(TimeEdit, APressWhileThePlayRunsRelocatesAndSelectsNothing)
{
    ClockRig rig;
    const std::string before = DescribeSong(*rig.song);
    ClipEditController edit(*rig.song, rig.band);
    rig.fixture.engine.state = TransportState::Playing;
    EXPECT_FALSE(edit.press(rig.g, {rig.at(480, 1)}));
    EXPECT_EQ(rig.fixture.engine.log.count("Play"), 1u);
    EXPECT_EQ(rig.fixture.engine.log.calls().back(), "Play(" + std::to_string(rig.g.tickOfX(rig.at(480, 1).x())) + ")");
    EXPECT_FALSE(rig.selected(1, 0));
    EXPECT_EQ(rig.song->selectionKind, 0u);
    EXPECT_SAME_SONG(before, DescribeSong(*rig.song));
}

TEST(TimeEdit, WithTheSnapSwitchOnPressesSnapToATenthOfASecond)
{
    ClockRig rig;
    rig.fixture.host.tools.snap = true;
    ClipEditController edit(*rig.song, rig.band);
    // In the ruler at 370 ms: the range starts at 400 ms, tick 96.
    edit.press(rig.g, {QPoint(37, 5)});
    EXPECT_EQ(rig.song->selectionFrom, 96);
    edit.move(rig.g, {QPoint(132, 5)});
    EXPECT_EQ(rig.song->selectionTo, 312); // 1.3 s
    edit.release(rig.g, {QPoint(132, 5)});
    EXPECT_EQ(rig.song->selectionKind, kSelectTimeRange);
}

TEST(TimeEdit, ADoubleClickInTheRulerIsAClickUnlessCuesAreSelected)
{
    ClockRig rig;
    rig.song->cues.push_back(test::UndoFixture::cue(kCueMarker, 240, 240, "Verse"));
    rig.g.cueRects.assign(1, QRect());
    ClipEditController edit(*rig.song, rig.band);
    // No measure is selected: the press and release make an empty range.
    EXPECT_FALSE(edit.doubleClick(rig.g, {QPoint(300, 5)}));
    EXPECT_EQ(rig.song->selectionKind, 0u);
    rig.song->cues[0]->selectionStamp = rig.song->selectionStamp;
    rig.song->selectionKind = kSelectCues;
    EXPECT_TRUE(edit.doubleClick(rig.g, {QPoint(300, 5)}));
}

} // namespace
} // namespace rz
