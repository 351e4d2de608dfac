#include "velocity_rig.h"

#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/selection.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

using VelocityCtl = VelocityEdits;

VelocityPointer velocityAt(QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return VelocityPointer{.at = point, .modifiers = modifiers};
}

// A press, moves through the points and a release at the last.
void gesture(VelocityCtl& ctl, const VelocityGeometry& g, std::vector<QPoint> points,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    ctl.press(g, velocityAt(points.front(), modifiers));
    for (const QPoint& p : points)
        ctl.move(g, velocityAt(p, modifiers));
    ctl.release(g, velocityAt(points.back(), modifiers));
}

std::vector<int> velocities(const CTrack& track)
{
    std::vector<int> out;
    for (const CMidiEvent& e : track.events)
        out.push_back(e.data2());
    return out;
}

// Two shown tracks: notes at ticks 100 and 300 (velocities 64 and 100) and
// one at tick 200 (velocity 10); the first track's are selected.
struct VelocityEditRig : VelocityRig {
    VelocityCtl ctl{*song, band};
    int first = 0;
    int second = 0;
    std::string before;

    VelocityEditRig()
    {
        first = addTrack();
        second = addTrack();
        track(first).events = {test::note(100, 60, 64, 30), test::note(300, 62, 100, 30)};
        track(second).events = {test::note(200, 64, 10, 30)};
        RebuildPlayImages(*song, false);
        song->ExtendMeasureMap();
        ctl.setShownTracks({first, second});
        song->selectionStamp = 5;
        for (CMidiEvent& e : track(first).events)
            e.selectionStamp = 5;
        song->selectionKind = kSelectEvents;
        before = DescribeSong(*song);
    }
    // The edit made one undo step, and undoing it restores the song.
    void expectOneUndoStep(const std::string& label)
    {
        ASSERT_EQ(song->undoList.size(), 1u);
        EXPECT_EQ(song->undoList.back()->label, label);
        EXPECT_EQ(song->undoList.back()->flags, kUndoEvents);
        ASSERT_TRUE(song->Undo());
        EXPECT_EQ(DescribeSong(*song), before);
    }
};

TEST(VelocityEdits, AnAltRoleDragScalesTheSelectedVelocities)
{
    for (Qt::KeyboardModifier role : {Qt::AltModifier, Qt::MetaModifier}) {
        VelocityEditRig rig;
        const QPoint from = rig.head(100, 64);
        gesture(rig.ctl, rig.vg, {from, from - QPoint(0, 880 / 4)}, role);
        EXPECT_EQ(velocities(rig.track(rig.first)), (std::vector<int>{96, 127})) << "factor 1.5, clamped";
        EXPECT_EQ(velocities(rig.track(rig.second)), (std::vector<int>{10})) << "not selected";
        rig.expectOneUndoStep("Drag Velocity");
    }
}

TEST(VelocityEdits, ACtrlDragSetsEverySelectedNoteToThePointersValue)
{
    VelocityEditRig rig;
    const QPoint from = rig.head(300, 100);
    const QPoint to(from.x() + 40, rig.vg.layout.yOfVelocity(30));
    gesture(rig.ctl, rig.vg, {from, to}, Qt::ControlModifier);
    EXPECT_EQ(velocities(rig.track(rig.first)), (std::vector<int>{30, 30}));
    rig.expectOneUndoStep("Drag Velocity");
}

TEST(VelocityEdits, APlainDragClampsToOneAndTwentySevenNeverZero)
{
    struct Case {
        int rise; // pixels up
        std::vector<int> first;
    };
    const Case cases[] = {
        {880, {127, 127}},
        {-880, {1, 1}},
        {-70 * 880 / 127, {1, 30}},
    };
    for (const Case& c : cases) {
        VelocityEditRig rig;
        const QPoint from = rig.head(100, 64);
        gesture(rig.ctl, rig.vg, {from, from - QPoint(0, c.rise)});
        EXPECT_EQ(velocities(rig.track(rig.first)), c.first) << c.rise;
        rig.expectOneUndoStep("Drag Velocity");
    }
}

TEST(VelocityEdits, ADragWithinTheThresholdSelectsOnlyAndAddsNoUndoStep)
{
    VelocityEditRig rig;
    const QPoint from = rig.head(200, 10);
    gesture(rig.ctl, rig.vg, {from, from - QPoint(0, 2)});
    EXPECT_EQ(velocities(rig.track(rig.second)), (std::vector<int>{10}));
    EXPECT_TRUE(rig.song->undoList.empty());
    EXPECT_EQ(rig.track(rig.second).events[0].selectionStamp, rig.song->selectionStamp);
    EXPECT_NE(rig.track(rig.first).events[0].selectionStamp, rig.song->selectionStamp) << "a new selection";
    EXPECT_EQ(rig.song->selectionFrom, 200);
    EXPECT_EQ(rig.song->selectionTo, 230);
}

TEST(VelocityEdits, ALineAlongTheBottomEdgeGivesOne)
{
    VelocityEditRig rig;
    rig.fixture.host.tools.tool = 1;
    const int bottom = rig.vg.layout.yOfVelocity(0);
    gesture(rig.ctl, rig.vg, {QPoint(rig.vg.axis.xOfTick(50), bottom), QPoint(rig.vg.axis.xOfTick(350), bottom)});
    EXPECT_EQ(velocities(rig.track(rig.first)), (std::vector<int>{1, 1}));
    EXPECT_EQ(velocities(rig.track(rig.second)), (std::vector<int>{1})) << "lines ignore the selection";
    rig.expectOneUndoStep("Draw Velocity");
}

TEST(VelocityEdits, AStraightLineLeavesNotesOutsideItsReachAndBeforeItsFirstPointAlone)
{
    for (int line : {0, 1}) {
        VelocityEditRig rig;
        rig.fixture.host.tools.tool = 1;
        rig.fixture.host.tools.line = line;
        rig.track(rig.first).events.push_back(test::note(350, 60, 64, 10));
        rig.track(rig.first).events.push_back(test::note(352, 60, 64, 10));
        RebuildPlayImages(*rig.song, false);
        rig.before = DescribeSong(*rig.song);
        // From tick 101 to 350 at velocity 80: the note at 100 lies within a
        // column before the first point; the one at 352 beyond the reach.
        const int y = rig.vg.layout.yOfVelocity(80);
        gesture(rig.ctl, rig.vg, {QPoint(rig.vg.axis.xOfTick(101), y), QPoint(rig.vg.axis.xOfTick(350), y)});
        EXPECT_EQ(velocities(rig.track(rig.first)), (std::vector<int>{64, 80, 80, 64})) << line;
        EXPECT_EQ(velocities(rig.track(rig.second)), (std::vector<int>{80})) << line;
        rig.expectOneUndoStep("Draw Velocity");
    }
}

TEST(VelocityEdits, FreehandDrawingBackOverPointsReplacesThem)
{
    std::vector<VelocityPoint> points{{100, 10}};
    VelocityCtl::freehandTo(points, 100, {110, 20});
    VelocityCtl::freehandTo(points, 110, {120, 30});
    VelocityCtl::freehandTo(points, 120, {130, 40});
    VelocityCtl::freehandTo(points, 130, {105, 50}); // back over 110, 120 and 130's left
    EXPECT_EQ(points, (std::vector<VelocityPoint>{{100, 10}, {105, 50}, {130, 40}}));
    VelocityCtl::freehandTo(points, 105, {100, 60});
    EXPECT_EQ(points, (std::vector<VelocityPoint>{{100, 60}, {105, 50}, {130, 40}})) << "same tick: replaced";

    VelocityEditRig rig;
    rig.fixture.host.tools.tool = 1;
    rig.fixture.host.tools.line = 1;
    const auto p = [&](int32_t tick, int v) { return QPoint(rig.vg.axis.xOfTick(tick), rig.vg.layout.yOfVelocity(v)); };
    gesture(rig.ctl, rig.vg, {p(90, 20), p(150, 20), p(250, 20), p(95, 90)});
    EXPECT_EQ(velocities(rig.track(rig.first)), (std::vector<int>{90, 100})) << "the line ended at 250";
    EXPECT_EQ(velocities(rig.track(rig.second)), (std::vector<int>{90}))
        << "the stroke back took away the point at 150";
}

TEST(VelocityEdits, StraightLinesStepByTheGridAndReachTheirEnd)
{
    const std::vector<VelocityPoint> line = VelocityCtl::straightLine({130, 10}, {100, 40}, 10);
    EXPECT_EQ(line, (std::vector<VelocityPoint>{{100, 40}, {110, 30}, {120, 20}, {130, 10}}));
    EXPECT_EQ(VelocityCtl::straightLine({0, 0}, {25, 100}, 10).back(), (VelocityPoint{25, 100}));
    EXPECT_EQ(VelocityCtl::straightLine({7, 5}, {7, 90}, 10).size(), 1u);
}

TEST(VelocityEdits, SnappingCountsFromEachMeasuresStart)
{
    VelocityEditRig rig;
    rig.song->measureMap.clear();
    // A 3/8 measure of 180 ticks, then 4/4 ones.
    MeasureRec short3{.start = 0, .length = 180};
    rig.song->measureMap.push_back(short3);
    ExtendMeasureMap(rig.song->measureMap, 2000);
    ASSERT_EQ(rig.song->measureMap[1].start, 180);
    rig.fixture.host.tools.snap = true;
    rig.fixture.host.tools.gridValue = 240; // a quarter, 120 ticks
    struct Case {
        int32_t tick;
        int32_t snapped;
    };
    for (const Case c : {Case{50, 0}, Case{70, 120}, Case{170, 120}, Case{230, 180}, Case{250, 300}}) {
        const QPoint point(rig.vg.axis.xOfTick(c.tick), 300);
        EXPECT_EQ(rig.ctl.pointToTickValue(rig.vg, point).tick, c.snapped) << c.tick;
    }
}

TEST(VelocityEdits, AnEmptyRulerRangeClearsTheSelectionOnRelease)
{
    VelocityEditRig rig;
    const QPoint ruler(rig.vg.axis.xOfTick(500), 5);
    gesture(rig.ctl, rig.vg, {ruler, ruler + QPoint(60, 0), ruler});
    EXPECT_EQ(rig.song->selectionKind, 0u);
    gesture(rig.ctl, rig.vg, {ruler, ruler + QPoint(60, 0)});
    EXPECT_EQ(rig.song->selectionKind, kSelectTimeRange);
    EXPECT_EQ(rig.song->selectionFrom, 500);
    EXPECT_EQ(rig.song->selectionTo, 560);
}

TEST(VelocityEdits, AnAltRoleBandSelectsByBarsAPlainOneByHeads)
{
    struct Case {
        Qt::KeyboardModifiers modifiers;
        bool selected;
    };
    for (const Case c : {Case{Qt::NoModifier, false}, Case{Qt::AltModifier, true}, Case{Qt::MetaModifier, true}}) {
        VelocityEditRig rig;
        // Around the bar of the note at tick 200 (key 64), far from its head.
        const int top = rig.vg.layout.rows.yOfKey(64);
        const QPoint from(rig.vg.axis.xOfTick(190), top - 5);
        const QPoint to(rig.vg.axis.xOfTick(240), top + 15);
        ASSERT_FALSE(QRect(from, to).contains(rig.head(200, 10)));
        gesture(rig.ctl, rig.vg, {from, to}, c.modifiers);
        const CMidiEvent& note = rig.track(rig.second).events[0];
        EXPECT_EQ(note.selectionStamp == rig.song->selectionStamp, c.selected) << c.modifiers;
        EXPECT_EQ(rig.song->selectionKind, c.selected ? kSelectEvents : 0u);
        EXPECT_TRUE(rig.song->undoList.empty());
    }
}

} // namespace
} // namespace rz
