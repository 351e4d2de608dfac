#include <gtest/gtest.h>

#include "clip_rig.h"
#include "tests/views/files_in.h"
#include "song/selection.h"

#include <filesystem>

namespace rz {
namespace {

TEST(ClipEdit, TwoClipsDraggedLeftStopAtTickZeroKeepingTheirGap)
{
    ClipRig rig;
    const std::string before = DescribeSong(*rig.song);
    ClipEditController edit(*rig.song, rig.band);
    rig.click(edit, rig.at(480, 1));
    rig.click(edit, rig.at(960, 1), Qt::ShiftModifier);
    ASSERT_TRUE(rig.selected(1, 0) && rig.selected(1, 1));
    rig.drag(edit, rig.at(960, 1), rig.at(0, 1) - QPoint(400, 0));
    EXPECT_EQ(rig.ticksOn(1), (std::vector<int32_t>{0, 480}));
    ASSERT_FALSE(rig.song->undoList.empty());
    EXPECT_EQ(rig.song->undoList.back()->label, "Drag Clips and Cues");
    ASSERT_TRUE(rig.song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*rig.song));
}

TEST(ClipEdit, ARowMoveGoesOnlyToWaveformTracks)
{
    ClipRig rig;
    const std::string before = DescribeSong(*rig.song);
    ClipEditController edit(*rig.song, rig.band);
    // Row 3 is a MIDI track: the move is refused and nothing is recorded.
    edit.press(rig.g, {rig.at(480, 1)});
    edit.move(rig.g, {rig.at(480, 3)});
    EXPECT_EQ(edit.rowDelta(), 0);
    edit.release(rig.g, {rig.at(480, 3)});
    EXPECT_EQ(rig.ticksOn(1), (std::vector<int32_t>{480, 960}));
    EXPECT_TRUE(rig.song->undoList.empty());
    // Row 2 is a waveform track.
    rig.drag(edit, rig.at(480, 1), rig.at(480, 2));
    EXPECT_EQ(rig.ticksOn(1), (std::vector<int32_t>{960}));
    EXPECT_EQ(rig.ticksOn(2), (std::vector<int32_t>{480}));
    ASSERT_TRUE(rig.song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*rig.song));
}

TEST(ClipEdit, CtrlDragCopiesTheWaveFileUnderANewNameAndARefusedRecordLeavesNoCopy)
{
    ClipRig rig;
    const std::string before = DescribeSong(*rig.song);
    const std::filesystem::path work = rig.fixture.host.workFolderPath;
    {
        ClipEditController edit(*rig.song, rig.band);
        rig.drag(edit, rig.at(480, 1), rig.at(1680, 1), Qt::ControlModifier);
    }
    ASSERT_EQ(rig.ticksOn(1), (std::vector<int32_t>{480, 960, 1680}));
    const CAudioClip* copy = rig.song->tracks[1]->events[2].clip();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->fileName, "a.wav");
    EXPECT_TRUE(std::filesystem::exists(copy->fileName));
    EXPECT_EQ(rig.song->tracks[1]->events[0].clip()->fileName, "a.wav");
    ASSERT_TRUE(rig.song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*rig.song));

    // The transport starts before the release: the song refuses the record.
    const size_t files = filesIn(work);
    ClipEditController edit(*rig.song, rig.band);
    const QPoint from = rig.at(480, 1);
    edit.press(rig.g, {from, Qt::ControlModifier});
    edit.move(rig.g, {from + QPoint(300, 0), Qt::ControlModifier});
    rig.fixture.engine.state = TransportState::Playing;
    edit.release(rig.g, {from + QPoint(300, 0), Qt::ControlModifier});
    rig.fixture.engine.state = TransportState::Stopped;
    EXPECT_EQ(filesIn(work), files);
    EXPECT_EQ(rig.ticksOn(1), (std::vector<int32_t>{480, 960}));
}

TEST(ClipEdit, AClickOnOneOfSeveralSelectedClipsLeavesItAloneSelectedAndADragMovesThemAll)
{
    ClipRig rig;
    ClipEditController edit(*rig.song, rig.band);
    rig.click(edit, rig.at(480, 1));
    rig.click(edit, rig.at(960, 1), Qt::ShiftModifier);
    ASSERT_TRUE(rig.selected(1, 0) && rig.selected(1, 1));
    EXPECT_EQ(rig.song->selectionKind, kSelectAudioClip);

    rig.drag(edit, rig.at(960, 1), rig.at(1000, 1));
    EXPECT_EQ(rig.ticksOn(1), (std::vector<int32_t>{520, 1000}));

    rig.song->tracks[1]->events[0].selectionStamp = rig.song->selectionStamp;
    rig.song->tracks[1]->events[1].selectionStamp = rig.song->selectionStamp;
    rig.click(edit, rig.at(1000, 1));
    EXPECT_FALSE(rig.selected(1, 0));
    EXPECT_TRUE(rig.selected(1, 1));
}

TEST(ClipEdit, AShiftDoubleClickInTheRulerWidensTheRangeByAMeasure)
{
    ClipRig rig;
    ClipEditController edit(*rig.song, rig.band);
    const QPoint ruler(rig.g.axis.xOfTick(500), 5);
    rig.song->setPosition(500);
    edit.doubleClick(rig.g, {ruler});
    EXPECT_EQ(rig.song->selectionKind, kSelectTimeRange);
    EXPECT_EQ(rig.song->selectionFrom, 480);
    EXPECT_EQ(rig.song->selectionTo, 960);
    rig.song->setPosition(1000);
    edit.doubleClick(rig.g, {ruler, Qt::ShiftModifier});
    EXPECT_EQ(rig.song->selectionFrom, 480);
    EXPECT_EQ(rig.song->selectionTo, 1440);
    rig.song->setPosition(1000);
    edit.doubleClick(rig.g, {ruler});
    EXPECT_EQ(rig.song->selectionFrom, 960);
}

TEST(ClipEdit, TheDrawToolInsertsACueInTheCueBand)
{
    ClipRig rig;
    rig.fixture.host.tools.tool = 1;
    rig.dialogs.cuePropertiesAnswer = CuePropsParams{.kind = kCueMarker, .time = 480, .secondTime = 480, .name = "Bridge"};
    ClipEditController edit(*rig.song, rig.band);
    rig.click(edit, QPoint(rig.g.axis.xOfTick(480), 30));
    ASSERT_EQ(rig.song->cues.size(), 1u);
    EXPECT_EQ(rig.song->cues[0]->name, "Bridge");
    EXPECT_EQ(rig.song->undoList.back()->label, "Insert Cue");
}

} // namespace
} // namespace rz
