#include "views/graph/control_edits.h"

#include "control_rig.h"

#include "core/edit_dialogs.h"
#include "song/selection.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

using Values = std::vector<std::pair<int32_t, int32_t>>;

ControlScale columnsOf(int32_t gridTicks)
{
    return ControlScale{.axis = TimeAxis{.gridTicks = gridTicks, .plotLeft = 0, .origin = 0},
                        .plot = QRect(0, 0, 400, 128)};
}

TEST(ControlEdits, AStraightLineOverAFlatStretchWritesOnlyTheChanges)
{
    ControlSong t;
    const int track = t.addTrack(2);
    t.addController(track, 0, 7, 64);
    t.addController(track, 200, 7, 64);
    t.addController(track, 600, 7, 64);
    const auto path = straightControlLine(100, 64, 400, 70, 10, false);
    ASSERT_EQ(path.front().tick, 100);
    EXPECT_EQ(path.back().value, 70);
    for (size_t k = 1; k < path.size(); ++k)
        EXPECT_NE(path[k].value, path[k - 1].value) << "only where the value changes";
    t.applyAndUndo(drawControllersRecord(*t.song, {track}, kVolume, path), [&] {
        EXPECT_EQ(t.song->undoList.back()->label, "Draw Controllers");
        EXPECT_EQ(t.song->undoList.back()->flags, kUndoEvents);
        // The path's first point repeats the event before it; the event
        // at 200 lay under the line.
        EXPECT_EQ(t.values(track, kVolume),
                  (Values{{0, 64}, {130, 65}, {180, 66}, {230, 67}, {280, 68}, {330, 69}, {380, 70}, {600, 64}}));
        EXPECT_EQ(midi::channelOf(t.track(track).events[1].message), 2);
    });
}

TEST(ControlEdits, PitchBendIsWrittenLowBitsFirst)
{
    ControlSong t;
    const int track = t.addTrack();
    const ControlKind pitch{midi::kPitchBend, 0};
    t.applyAndUndo(drawControllersRecord(*t.song, {track}, pitch, {{0, 480, 8192 + 5}}), [&] {
        ASSERT_EQ(t.track(track).events.size(), 1u);
        const CMidiEvent& bend = t.track(track).events[0];
        EXPECT_EQ(bend.data1(), 5);
        EXPECT_EQ(bend.data2(), 64);
    });
}

TEST(ControlEdits, ADraggedPointStopsAtItsNeighboursTick)
{
    ControlSong t;
    const int track = t.addTrack();
    t.addController(track, 0, 7, 10);
    t.addController(track, 100, 7, 20);
    t.addController(track, 200, 7, 30);
    ControlCurve curve;
    const ControlScale s = columnsOf(1);
    curve.rebuild(*t.song, {track}, kVolume, s);
    auto& points = curve.points();
    const auto pressed = std::find_if(points.begin(), points.end(),
                                      [](const CControlPoint& p) { return p.tick == 100 && p.value == 20; });
    ASSERT_NE(pressed, points.end());
    ControlDrag drag = beginControlDrag(points, int(pressed - points.begin()), 9);
    EXPECT_EQ(drag.lowTick, 0);
    EXPECT_EQ(drag.highTick, 200);
    dragControlTo(points, drag, 5000, 25, std::nullopt, false, false);
    EXPECT_EQ(points[size_t(drag.index)].tick, 200);
    dragControlTo(points, drag, 150, 25, std::nullopt, false, false);
    EXPECT_EQ(points[size_t(drag.index)].tick, 150);
    EXPECT_TRUE(drag.changed);
    t.applyAndUndo(dragControllerRecord(*t.song, {track}, kVolume, points, drag, 1), [&] {
        EXPECT_EQ(t.song->undoList.back()->label, "Drag Controller");
        EXPECT_EQ(t.values(track, kVolume), (Values{{0, 10}, {150, 25}, {200, 30}}));
    });
}

TEST(ControlEdits, ABandSelectsTheEventsOfTheKindInsideIt)
{
    ControlSong t;
    const int track = t.addTrack();
    t.addController(track, 0, 7, 10);
    t.addController(track, 100, 7, 60);
    t.addController(track, 150, 11, 60);
    t.addController(track, 300, 7, 90);
    const auto range = selectControllersInBand(*t.song, {track}, kVolume, {},
                                               ControlBand{.fromTick = 50, .toTick = 400, .lowValue = 50,
                                                           .highValue = 70},
                                               false, 4);
    ASSERT_TRUE(range);
    EXPECT_EQ(*range, std::make_pair(100, 100));
    const auto& events = t.track(track).events;
    EXPECT_EQ(events[1].selectionStamp, 4u);
    for (size_t k : {0u, 2u, 3u})
        EXPECT_NE(events[k].selectionStamp, 4u) << k;
}

// Events at measure 1 (tick 480) and 600, both selected.
struct MoveCase {
    ControlSong t;
    int track = t.addTrack();
    ControlCurve curve;

    MoveCase()
    {
        t.addController(track, 0, 7, 1);
        t.addController(track, 480, 7, 10, 5);
        t.addController(track, 600, 7, 20, 5);
        t.song->selectionKind = kSelectEvents | kSelectControllerPoints;
        t.song->selectionStamp = 5;
        curve.rebuild(*t.song, {track}, kVolume, columnsOf(1));
    }
};

TEST(ControlEdits, AMoveBackTwoMeasuresFromMeasureOneAsksAndCancelChangesNothing)
{
    MoveCase m;
    m.t.dialogs.moveAnswer = MoveParams{.method = MoveMethod::Offset, .offsetValue = -2, .units = 1};
    const std::string before = DescribeSong(*m.t.song);
    m.t.fixture.prompt.expectOkCancel("clipped up against the beginning of the song.  Proceed anyway?",
                                      PromptAnswer::Cancel);
    moveControllers(*m.t.song, {m.track}, kVolume, m.curve);
    EXPECT_EQ(m.t.dialogs.offeredFirstTick, 480);
    EXPECT_EQ(firstDifference(DescribeSong(*m.t.song), before), "");
    EXPECT_TRUE(m.t.song->undoList.empty());
}

TEST(ControlEdits, NoteValueUnitNineMovesByOneQuarter)
{
    MoveCase m;
    m.t.dialogs.moveAnswer = MoveParams{.method = MoveMethod::Offset, .offsetValue = 1, .units = 9};
    m.t.settle();
    const std::string before = DescribeSong(*m.t.song);
    moveControllers(*m.t.song, {m.track}, kVolume, m.curve);
    ASSERT_EQ(m.t.song->undoList.size(), 1u);
    EXPECT_EQ(m.t.song->undoList.back()->label, "Move controllers");
    EXPECT_EQ(m.t.song->undoList.back()->flags, kUndoControllerEdit | kUndoEvents);
    EXPECT_EQ(m.t.values(m.track, kVolume), (Values{{0, 1}, {600, 10}, {720, 20}}));
    ASSERT_TRUE(m.t.song->Undo());
    EXPECT_EQ(firstDifference(DescribeSong(*m.t.song), before), "");
}

TEST(ControlEdits, AMoveWithNothingSelectedSaysSo)
{
    MoveCase m;
    m.t.song->selectionStamp = 6;
    m.t.fixture.prompt.expectMessage("Nothing has been selected to move.");
    moveControllers(*m.t.song, {m.track}, kVolume, m.curve);
    EXPECT_EQ(m.t.dialogs.log.count("move"), 0u);
    EXPECT_TRUE(m.t.song->undoList.empty());
}

} // namespace
} // namespace rz
