#include "velocity_rig.h"

#include "song/song_doc.h"
#include "ui/flat_combo_box_ex.h"
#include "views/follow_policy.h"
#include "views/measure_labeler.h"
#include "views/piano/velocity_layout.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(VelocityLayout, VelocitiesSpanTheWholeKeyAreaWhateverTheFirstRow)
{
    for (int firstRow : {0, 40}) {
        VelocityLayout layout;
        layout.rows = PianoLayout{.rowHeight = 10, .firstRow = firstRow, .noteTop = 40};
        const int bottomOfLastRow = layout.rows.yOfKey(PianoLayout::kBottomKey) + layout.rows.rowHeight;
        EXPECT_EQ(layout.yOfVelocity(0), bottomOfLastRow) << firstRow;
        EXPECT_EQ(layout.yOfVelocity(127), layout.rows.yOfKey(PianoLayout::kTopKey)) << firstRow;
        EXPECT_EQ(layout.velocityAtY(bottomOfLastRow), 0) << firstRow;
        EXPECT_EQ(layout.velocityAtY(layout.yOfVelocity(64)), 64) << firstRow;
        EXPECT_EQ(layout.velocityAtY(bottomOfLastRow + 50), 0) << "below the key area";
        EXPECT_EQ(layout.velocityAtY(layout.yOfVelocity(127) - 50), 127) << "above it";
    }
}

TEST(VelocityLayout, TheRowZoomStopsAtItsEndsAndKeepsTheFirstRowInProportion)
{
    struct Case {
        int height;
        int firstRow;
        bool in;
        int plotHeight;
        int newHeight;
        int newFirstRow;
    };
    const Case cases[] = {
        {12, 10, true, 400, 12, 10}, // the largest
        {2, 0, false, 100, 2, 0},    // the smallest
        {3, 30, false, 100, 2, 0},   // 3 -> 2 starts from the top
        {10, 20, true, 400, 12, 27}, // in proportion
        {10, 5, true, 880, 12, 5},   // the keys fill the plot exactly: kept
    };
    for (const Case& c : cases) {
        const PianoLayout::Zoom from{c.height, c.firstRow};
        const PianoLayout::Zoom to = c.in ? PianoLayout::zoomIn(from, c.plotHeight) : PianoLayout::zoomOut(from, c.plotHeight);
        EXPECT_EQ(to.rowHeight, c.newHeight) << c.height << (c.in ? " in" : " out");
        EXPECT_EQ(to.firstRow, c.newFirstRow) << c.height << (c.in ? " in" : " out");
    }
}

TEST(VelocityLayout, TheDrumColumnAppearsFromRowHeightSix)
{
    VelocityRig rig;
    const int drums = rig.addTrack();
    rig.track(drums).synth = 1;
    rig.track(drums).bank = 0;
    rig.track(drums).patch = 0;
    rig.track(drums).channel = 9;
    for (int height : PianoLayout::kRowHeights)
        EXPECT_EQ(PianoLayout::stripWidth(*rig.song, {drums}, height), height >= 6 ? 120 : 24) << height;
}

TEST(VelocityLayout, OnlyNotesWithARowGetABarAndTheTranspositionMovesThem)
{
    VelocityRig rig;
    struct Case {
        int key;
        int transposition;
        bool bar;
        int row;
    };
    const Case cases[] = {
        {20, 0, false, 0}, {109, 0, false, 0}, {21, 0, true, 87}, {108, 0, true, 0},
        {60, 5, true, 43}, {20, 1, true, 87},  {108, 1, false, 0},
    };
    for (const Case& c : cases) {
        const QRect bar = VelocityEdits::barRect(rig.vg, 100, 30, c.key + c.transposition);
        EXPECT_EQ(!bar.isEmpty(), c.bar) << c.key << " k+" << c.transposition;
        if (c.bar) {
            EXPECT_EQ(bar.top(), rig.vg.layout.rows.noteTop + c.row * 10) << c.key;
        }
    }
}

TEST(VelocityLayout, NarrowMeasuresShareALabelAndClickMarksStandOnlyBetweenLabels)
{
    VelocityRig rig;
    MeasureMap& map = rig.song->measureMap;
    // 4/4 at 120 ticks a quarter: 480 ticks; at 16 ticks a column a measure is 30 pixels.
    const int32_t grid = 16;
    MeasureLabeler::apply(map, grid, [](const std::string&) { return 40; });
    ASSERT_FALSE(map[0].label && map[1].label) << "30-pixel measures cannot each carry a 40-pixel label";
    EXPECT_TRUE(map[0].label);
    EXPECT_FALSE(map[1].label);
    EXPECT_EQ(VelocityLayout::clickMarks(map[0], rig.song->timeBase, 30, map[1].label), 0)
        << "the next measure has no label";
    // Wide measures: every one labelled, four clicks of 50 pixels.
    MeasureLabeler::apply(map, 2, [](const std::string&) { return 10; });
    ASSERT_TRUE(map[0].label && map[1].label);
    EXPECT_EQ(VelocityLayout::clickMarks(map[0], rig.song->timeBase, 200, true), 4);
    EXPECT_EQ(VelocityLayout::clickMarks(map[0], rig.song->timeBase, 20, true), 2) << "halved once";
    EXPECT_EQ(VelocityLayout::clickMarks(map[0], rig.song->timeBase, 12, true), 0) << "still too narrow";
}

TEST(VelocityLayout, TimeBaseThreeWithEveryGridValueDividesByNothing)
{
    VelocityRig rig;
    rig.song->timeBase = 3;
    rig.song->measureMap.clear();
    ExtendMeasureMap(rig.song->measureMap, 300);
    rig.fixture.host.tools.snap = true;
    VelocityEdits edits(*rig.song, rig.band);
    for (int grid : FlatComboBoxEx::kGridValues) {
        rig.fixture.host.tools.gridValue = grid;
        EXPECT_GE(PianoLayout::subdivisions(12, grid, 3, 400), 1) << grid;
        const VelocityPoint p = edits.pointToTickValue(rig.vg, QPoint(rig.vg.axis.xOfTick(13), 100));
        EXPECT_GE(p.tick, 12) << grid;
        EXPECT_LE(p.tick, 15) << grid;
    }
}

TEST(VelocityLayout, FollowingCentresTheLineRightOfTheSisterViewsMargin)
{
    const int plotRight = 824;
    EXPECT_EQ(24 + VelocityLayout::followCentre(plotRight, 24), 24 + (plotRight - 24) / 2);
    EXPECT_EQ(120 + VelocityLayout::followCentre(plotRight, 120), 24 + VelocityLayout::followCentre(plotRight, 24))
        << "with the drum column the play line stands where the 24-pixel views show it";
    FollowInput in{.playColumn = 1000, .origin = 0, .plotWidth = 704, .maxOrigin = 5000,
                   .centre = VelocityLayout::followCentre(plotRight, 120)};
    EXPECT_EQ(followStep(in).origin, 1000 - 304);
}

} // namespace
} // namespace rz
