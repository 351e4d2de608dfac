#include "views/drag_autoscroll.h"
#include "views/follow_policy.h"
#include "views/lane_layout.h"
#include "views/measure_labeler.h"
#include "views/time_axis.h"
#include "views/view_links.h"

#include "song/grid.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>

namespace rz {
namespace {

TEST(ViewFrameAxis, GridTicksPerColumnFollowTheTimeBaseFamily)
{
    struct Case {
        int timeBase;
        int zoom;
        int family;
        int32_t ticks;
    };
    const Case cases[] = {
        {480, 8, 0, 4}, {96, 8, 1, 1}, {96, 0, 1, 96}, {5, 8, 0, 1}, {5, 0, 0, 5},
        {1, 8, 4, 1},   {1, 0, 4, 1},  {480, 0, 0, 480},
        // Out-of-range zooms come back clamped.
        {480, 99, 0, 4}, {480, -3, 0, 480},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GridFamilyFor(c.timeBase), c.family) << c.timeBase;
        EXPECT_EQ(TimeAxis::gridTicksFor(c.timeBase, c.zoom), c.ticks) << c.timeBase << " @ " << c.zoom;
    }
}

TEST(ViewFrameAxis, SnapRoundsHalvesUpwardFromTheMeasureStart)
{
    // A 5/8 measure, then a 3/4 one starting off the quarter grid.
    MeasureMap map(3);
    map[0].setMeter(5, 3);
    map[1].setMeter(3, 2);
    map[2].setMeter(3, 2);
    RecomputeMeasureStarts(map, 480);
    ASSERT_EQ(map[1].start, 1200);
    const int32_t quarter = snapUnit(240, 480);
    ASSERT_EQ(quarter, 480);
    struct Case {
        int32_t tick;
        int32_t snapped;
    };
    const Case cases[] = {{1200, 1200}, {1439, 1200}, {1440, 1680}, {1919, 1680}, {1920, 2160},
                          {2639, 2640}, {0, 0},       {239, 0},     {240, 480}};
    for (const Case& c : cases)
        EXPECT_EQ(snapInMap(map, c.tick, quarter), c.snapped) << c.tick;
    EXPECT_EQ(snapInMap(MeasureMap{}, 250, 100), 300);
}

TEST(ViewFrameAxis, ASnapUnitIsNeverBelowOneTick)
{
    const int32_t unit = snapUnit(10, 12);
    EXPECT_EQ(unit, 1);
    for (int32_t tick : {0, 1, 7, 13})
        EXPECT_EQ(snapFrom(tick, 0, unit), tick);
    EXPECT_EQ(snapUnit(0, 480), 1);
    EXPECT_EQ(snapUnit(INT_MAX, 0x7FFF), INT_MAX);
}

TEST(ViewFrameAxis, TickToXToTickRoundTripsOnGridTicks)
{
    for (const int32_t grid : {1, 4, 5, 96, 480}) {
        const TimeAxis axis{.gridTicks = grid, .plotLeft = 24, .origin = 37};
        for (int32_t column : {37, 38, 100, 5000}) {
            const int32_t tick = column * grid;
            const int x = axis.xOfTick(tick);
            EXPECT_EQ(x, column - 37 + 24);
            EXPECT_EQ(axis.tickOfX(x), tick) << grid << " " << column;
        }
        // Off-grid ticks fall into their column.
        EXPECT_EQ(axis.xOfTick(37 * grid + grid - 1), 24);
    }
}

TEST(ViewFrameAxis, HugeSongsAndTinyPlotsNeitherOverflowNorDivideByZero)
{
    const TimeAxis axis{.gridTicks = 1, .plotLeft = 10, .origin = 0};
    EXPECT_EQ(axis.scrollMax(0x7FFFFFFF), 0x7FFFFFFF);
    EXPECT_EQ(axis.maxOrigin(0x7FFFFFFF, 0), 0x7FFFFFFF);
    EXPECT_EQ(axis.xOfTick(0x7FFFFFFF), INT_MAX);
    const TimeAxis far{.gridTicks = 1, .plotLeft = 0, .origin = 0x7FFFFFFF};
    EXPECT_EQ(far.tickOfX(100), INT_MAX);
    const TimeAxis zeroGrid{.gridTicks = 0, .plotLeft = 0, .origin = 0};
    EXPECT_EQ(zeroGrid.columnOf(50), 50);
    // A song shorter than the plot: the maximum origin is 0, never negative.
    EXPECT_EQ(axis.maxOrigin(100, 500), 0);
    EXPECT_EQ(axis.maxOrigin(0, -5), 0);
}

TEST(ViewFrameAxis, LanesSitBelowTheBandsFromTheRowAfterTheFirst)
{
    const LaneLayout layout = LaneLayout::make(2, 2, 15, 0);
    EXPECT_EQ(layout.rulerHeight, 18);
    EXPECT_EQ(layout.laneHeight, 14);
    EXPECT_EQ(layout.lanesTop(), 33);
    EXPECT_EQ(layout.rowY(1), 33);
    EXPECT_EQ(layout.rowY(3), 61);
    EXPECT_EQ(layout.rowAt(33), 1);
    EXPECT_EQ(layout.rowAt(60), 2);
    EXPECT_EQ(layout.rowAt(32), 0);
    const LaneLayout scrolled = LaneLayout::make(10, 0, 0, 4);
    EXPECT_EQ(scrolled.rulerHeight, 320 * 18 / 100);
    EXPECT_EQ(scrolled.laneHeight, 63 * 14 / 100);
    EXPECT_EQ(scrolled.rowY(5), scrolled.lanesTop());
    // Zoom indices outside the table are clamped.
    EXPECT_EQ(LaneLayout::make(-1, 40, 0, 0).laneHeight, 320 * 14 / 100);
    // Ten tracks: rows 1..8 have lanes; 3 fit.
    EXPECT_EQ(layout.maxFirstRow(10, 33 + 3 * 14), 5);
    EXPECT_EQ(layout.maxFirstRow(2, 1000), 0);
}

TEST(ViewFrameAxis, RulerAndBarGoToTheRightPane)
{
    struct Case {
        PaneViews views;
        bool clipBar;
        bool tempoRuler;
    };
    const Case cases[] = {
        {{.clip = true}, true, false},
        {{.clip = true, .tempo = true}, false, false},
        {{.clip = true, .control = true}, false, false},
        {{.tempo = true}, false, true},
        {{.piano = true, .tempo = true}, false, false},
        {{.velocity = true, .tempo = true}, false, false},
    };
    for (const Case& c : cases) {
        const PaneOwnership own = paneOwnership(c.views);
        EXPECT_EQ(own.clipShowsOwnBar, c.clipBar);
        EXPECT_EQ(own.tempoDrawsRuler, c.tempoRuler);
    }
}

FollowInput followAt(int32_t column, int32_t origin)
{
    return FollowInput{.playColumn = column,
                       .origin = origin,
                       .cursorColumn = -1,
                       .plotWidth = 400,
                       .maxOrigin = 5000,
                       .smoothScroll = false,
                       .playing = true,
                       .measureEndColumn = column};
}

TEST(ViewFrameFollow, ASongShorterThanThePlotKeepsOriginZero)
{
    for (bool playing : {false, true}) {
        FollowInput in = followAt(350, 0);
        in.maxOrigin = 0;
        in.playing = playing;
        in.smoothScroll = !playing;
        in.measureEndColumn = 390;
        const FollowResult out = followStep(in);
        EXPECT_EQ(out.origin, 0);
        EXPECT_EQ(out.redraw, FollowRedraw::MoveLine);
        EXPECT_EQ(out.cursorColumn, 350);
    }
}

TEST(ViewFrameFollow, StoppedThePlayColumnIsCentred)
{
    FollowInput in = followAt(1000, 700);
    in.playing = false;
    FollowResult out = followStep(in);
    EXPECT_EQ(out.origin, 800);
    EXPECT_EQ(out.redraw, FollowRedraw::Scroll);
    EXPECT_EQ(out.scrollBy, -100);
    EXPECT_EQ(out.cursorColumn, 1000);
    // Left of the middle it comes back, never below 0.
    in = followAt(50, 150);
    in.playing = false;
    out = followStep(in);
    EXPECT_EQ(out.origin, 0);
    EXPECT_EQ(out.redraw, FollowRedraw::Scroll);
    EXPECT_EQ(out.scrollBy, 150);
    // Smooth scrolling centres while playing too.
    in = followAt(1000, 700);
    in.smoothScroll = true;
    EXPECT_EQ(followStep(in).origin, 800);
}

TEST(ViewFrameFollow, PageModeWaitsForTheMiddleThenBringsTheMeasureEndThere)
{
    FollowInput in = followAt(850, 700);
    in.measureEndColumn = 960;
    FollowResult out = followStep(in);
    EXPECT_EQ(out.origin, 700);
    EXPECT_EQ(out.redraw, FollowRedraw::MoveLine);
    in.playColumn = 899;
    in.cursorColumn = 899;
    EXPECT_EQ(followStep(in).redraw, FollowRedraw::None);
    in.playColumn = 900;
    out = followStep(in);
    EXPECT_EQ(out.origin, 760);
    EXPECT_EQ(out.redraw, FollowRedraw::Scroll);
    EXPECT_EQ(out.scrollBy, -60);
    // The clip view centres a position left of its origin.
    in = followAt(100, 700);
    in.centreLeftOfOrigin = true;
    EXPECT_EQ(followStep(in).origin, 0);
    in.centreLeftOfOrigin = false;
    EXPECT_EQ(followStep(in).origin, 700);
}

TEST(ViewFrameFollow, AJumpOverHalfThePlotRepaintsInFull)
{
    FollowInput in = followAt(3000, 0);
    in.playing = false;
    const FollowResult out = followStep(in);
    EXPECT_EQ(out.origin, 2800);
    EXPECT_EQ(out.redraw, FollowRedraw::Full);
    EXPECT_EQ(out.cursorColumn, 3000);
    in = followAt(600, 200);
    in.playing = false;
    EXPECT_EQ(followStep(in).redraw, FollowRedraw::Scroll); // exactly half
    in.playColumn = 601;
    EXPECT_EQ(followStep(in).redraw, FollowRedraw::Full);
}

TEST(ViewFrameFollow, OriginsNeverGoNegativeNorPastTheMaximum)
{
    FollowInput in = followAt(-50, 10);
    in.playing = false;
    EXPECT_EQ(followStep(in).origin, 0);
    in = followAt(9000, 4000);
    in.playing = false;
    EXPECT_EQ(followStep(in).origin, 5000);
    in = followAt(10, 0);
    in.maxOrigin = -300; // a song shorter than the plot
    in.playing = false;
    EXPECT_EQ(followStep(in).origin, 0);
    in = followAt(100, 9000); // the song got shorter under the view
    in.playing = false;
    EXPECT_EQ(followStep(in).origin, 0);
    in.plotWidth = 0; // a plot under one pixel
    EXPECT_GE(followStep(in).origin, 0);
}

TEST(ViewFrameFollow, AutoscrollMovesByTheDistanceOutsideThePlot)
{
    AutoscrollInput in{.mouseX = 10, .plotLeft = 24, .plotRight = 424, .origin = 100, .maxOrigin = 500};
    AutoscrollStep step = autoscrollStep(in);
    EXPECT_EQ(step.origin, 86);
    EXPECT_TRUE(step.moved);
    in.origin = 5;
    EXPECT_EQ(autoscrollStep(in).origin, 0);
    in.origin = 0;
    EXPECT_FALSE(autoscrollStep(in).moved);
    in.mouseX = 430;
    in.origin = 497;
    EXPECT_EQ(autoscrollStep(in).origin, 500);
    in.origin = 500;
    EXPECT_FALSE(autoscrollStep(in).moved);
    in.mouseX = 200;
    in.origin = 100;
    EXPECT_FALSE(autoscrollStep(in).moved);
}

TEST(ViewFrameFollow, AutoscrollStepsRowsOnlyWhileTheRowsMayMove)
{
    AutoscrollInput in{.mouseX = 100, .mouseY = 5, .plotLeft = 0, .plotRight = 400, .rows = true,
                       .rowsTop = 33, .plotBottom = 300, .firstRow = 2, .maxFirstRow = 4};
    EXPECT_EQ(autoscrollStep(in).firstRow, 1);
    in.firstRow = 0;
    EXPECT_FALSE(autoscrollStep(in).moved);
    in.mouseY = 300;
    EXPECT_EQ(autoscrollStep(in).firstRow, 1);
    in.firstRow = 4;
    EXPECT_FALSE(autoscrollStep(in).moved);
    in.rows = false;
    in.firstRow = 2;
    EXPECT_FALSE(autoscrollStep(in).moved);
}

class LinkedStub : public ILinkedView {
public:
    LinkedStub(LinkRole role, int margin) : margin(margin), m_role(role) {}
    LinkRole linkRole() const override { return m_role; }
    int linkMargin() const override { return margin; }
    int32_t linkOrigin() const override { return origin; }
    void setLinkedOrigin(int32_t origin) override { this->origin = origin; }
    void editorMarginChanged() override { ++marginNews; }
    int margin;
    int32_t origin = -1;
    int marginNews = 0;

private:
    LinkRole m_role;
};

// Both panes scroll to one origin, whatever margins their views had: the
// margins are made one as well.
TEST(ViewFrameFollow, LinkedViewsTakeTheSameOrigin)
{
    ViewLinks links;
    LinkedStub tempo(LinkRole::Tempo, 24), piano(LinkRole::Piano, 120), velocity(LinkRole::Velocity, 24),
        control(LinkRole::Control, 36);
    links.add(&tempo);
    links.add(&piano);
    links.add(&velocity);
    links.add(&control);
    auto done = links.syncEditorScroll(tempo, 100);
    EXPECT_EQ(piano.origin, 100);
    EXPECT_EQ(velocity.origin, 100);
    EXPECT_EQ(control.origin, -1); // the same pane is not brought along
    EXPECT_EQ(done.size(), 2u);
    links.syncEditorScroll(piano, 20);
    EXPECT_EQ(tempo.origin, 20);
    EXPECT_EQ(control.origin, 20);
    // A view that is gone is skipped.
    links.remove(&piano);
    done = links.syncEditorScroll(tempo, 50);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].role, LinkRole::Velocity);
}

// The editor pane's view lends its margin to the controller pane's views,
// which hear of every change of it; without one they keep their own.
TEST(ViewFrameFollow, TheControllerPaneTakesTheEditorViewsMargin)
{
    ViewLinks links;
    LinkedStub tempo(LinkRole::Tempo, 24), piano(LinkRole::Piano, 120);
    links.add(&tempo);
    EXPECT_EQ(links.marginFor(LinkRole::Tempo, 24), 24);
    EXPECT_EQ(links.marginFor(LinkRole::Control, 36), 36);
    links.add(&piano);
    EXPECT_EQ(tempo.marginNews, 1);
    EXPECT_EQ(links.marginFor(LinkRole::Tempo, 24), 120);
    EXPECT_EQ(links.marginFor(LinkRole::Control, 36), 120);
    EXPECT_EQ(links.marginFor(LinkRole::Piano, 24), 24) << "the editor view keeps its own";
    links.marginChanged(tempo);
    EXPECT_EQ(tempo.marginNews, 1) << "only the editor pane's margin is news";
    piano.margin = 24;
    links.marginChanged(piano);
    EXPECT_EQ(tempo.marginNews, 2);
    EXPECT_EQ(piano.marginNews, 0);
    links.remove(&piano);
    EXPECT_EQ(tempo.marginNews, 3);
    EXPECT_EQ(links.marginFor(LinkRole::Tempo, 24), 24);
}

TEST(ViewFrameLabels, LabelsGoWhereTheRoomExceedsTheTextWidthPlusFour)
{
    // 10 px a character; one column per tick.
    const auto width = [](const std::string& text) { return int(text.size()) * 10; };
    struct Measure {
        int32_t length;
        uint16_t number;
        char letter;
        bool labelled;
    };
    const Measure measures[] = {
        {10, 1, 0, true},     // "1" needs above 14 columns: with the next, 20
        {10, 2, 0, false},
        {15, 0, 'A', true},   // "A" alone: 15 > 14
        {24, 10, 0, true},    // "10" needs above 24: 24 is not, 24 + 1 is
        {1, 11, 0, false},
        {24, 12, 0, false},   // the song ends before the room does
    };
    MeasureMap map(std::size(measures));
    int32_t start = 0;
    for (size_t i = 0; i < map.size(); ++i) {
        map[i].Set(start, measures[i].length);
        map[i].number = measures[i].number;
        map[i].letter = measures[i].letter;
        map[i].label = !measures[i].labelled; // stale flags are cleared
        start += measures[i].length;
    }
    EXPECT_EQ(MeasureLabeler::apply(map, 1, width), 3);
    for (size_t i = 0; i < map.size(); ++i)
        EXPECT_EQ(map[i].label, measures[i].labelled) << i;
    // Two ticks a column halve the room: only the first run closes.
    EXPECT_EQ(MeasureLabeler::apply(map, 2, width), 1);
    EXPECT_TRUE(map[0].label);
    EXPECT_FALSE(map[2].label);
}

TEST(ViewFrameLabels, NumberZeroShowsTheLetterAlone)
{
    MeasureRec measure;
    measure.number = 0;
    measure.letter = 'B';
    EXPECT_EQ(MeasureLabeler::labelText(measure), "B");
    measure.number = 12;
    measure.letter = 'c';
    EXPECT_EQ(MeasureLabeler::labelText(measure), "12C");
    measure.letter = 0;
    EXPECT_EQ(MeasureLabeler::labelText(measure), "12");
    MeasureMap empty;
    EXPECT_EQ(MeasureLabeler::apply(empty, 0, [](const std::string&) { return 0; }), 0);
}

} // namespace
} // namespace rz
