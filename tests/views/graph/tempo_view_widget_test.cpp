#include "tests/views/stub_lane_view.h"

#include "views/graph/tempo_view.h"

#include "res/command_ids.h"
#include "song/cue.h"
#include "song/measure_map.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "tests/song/song_fixture.h"
#include "tests/support/qt/mouse_events.h"
#include "tests/views/graph/tempo_values.h"

#include <QImage>

#include <gtest/gtest.h>

#include <memory>

namespace rz {
namespace {

// A song of 400 measures at 120 ticks a quarter, 120 BPM stepping to 60 at
// tick 200; the view 400 x 200 at time zoom 8, where a column is one tick.
struct TempoRig {
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song;
    TempoView view;

    TempoRig()
    {
        fixture.host.zoom = 8;
        song = fixture.newSong();
        song->endTick = 400 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        song->tempoMap.resize(1);
        song->tempoMap[0].tempo = kBpm120;
        TempoEntry step;
        step.tick = 200;
        step.tempo = kBpm60;
        song->tempoMap.push_back(step);
        song->RecalcTempoTimes();
        view.resize(400, 200);
        view.attach(*song);
        view.initialUpdate();
    }
    ~TempoRig() { view.detach(); }

    QPoint at(int32_t tick, uint32_t tempo) const { return view.scale().pointOf(tick, tempo); }
    CmdUi state(CommandId id)
    {
        CmdUi ui;
        ui.enabled = view.update(id, ui) && ui.enabled;
        return ui;
    }
};

TEST(TempoViewWidget, PixelProbesFindARedFlatSegmentAndAWhiteSelectedMarker)
{
    TempoRig rig;
    ASSERT_EQ(rig.view.plotRect().left(), 24);
    rig.song->selectionKind = kSelectTempo;
    rig.song->selectionStamp = 41;
    rig.song->selectionFrom = rig.song->selectionTo = 200;
    rig.view.songUpdate(0);
    const QImage image = rig.view.grab().toImage();
    const QPoint flat = rig.at(100, kBpm120);
    EXPECT_EQ(image.pixel(flat), qRgb(255, 0, 0));
    const QPoint corner = rig.at(200, kBpm120);
    EXPECT_EQ(image.pixel(corner + QPoint(1, 1)), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(corner + QPoint(3, 3)), qRgb(0, 0, 0)) << "the marker's edge";
    // Unselected: red with a white top edge.
    const QPoint first = rig.at(0, kBpm120);
    EXPECT_EQ(image.pixel(first + QPoint(1, 1)), qRgb(255, 0, 0));
    // The plot's background well away from the curve.
    EXPECT_EQ(image.pixel(flat + QPoint(0, 20)), qRgb(206, 204, 209));
}

TEST(TempoViewWidget, APressWhileTheTransportPlaysOnlyRelocates)
{
    TempoRig rig;
    rig.fixture.engine.state = TransportState::Playing;
    const uint32_t kind = rig.song->selectionKind;
    mouse::press(&rig.view, rig.at(200, kBpm120));
    mouse::release(&rig.view, rig.at(200, kBpm120));
    EXPECT_EQ(rig.fixture.engine.log.count("Play"), 1u);
    EXPECT_EQ(rig.song->selectionKind, kind);
    EXPECT_TRUE(rig.song->undoList.empty());
    EXPECT_EQ(rig.view.cursorAt(rig.at(200, kBpm120)), Qt::ForbiddenCursor);
}

TEST(TempoViewWidget, ATempoSelectionEnablesTheEditsUntilPerformanceMode)
{
    TempoRig rig;
    CmdUi declined;
    EXPECT_FALSE(rig.view.update(kIdDelete, declined)) << "no tempo selection: routing goes on";
    mouse::click(&rig.view, rig.at(200, kBpm60));
    ASSERT_EQ(rig.song->selectionKind, kSelectTempo);
    for (CommandId id : {kIdEditCopy, kIdEditCut, kIdDelete})
        EXPECT_TRUE(rig.state(id).enabled) << id;
    EXPECT_FALSE(rig.state(kIdMoveEvents).enabled) << "grey until a Move dialog is there";
    EXPECT_FALSE(rig.state(kIdProperties).enabled);
    EXPECT_TRUE(rig.view.handle(kIdProperties)) << "swallowed";
    rig.fixture.host.performance = true;
    for (CommandId id : {kIdEditCopy, kIdEditCut, kIdDelete, kIdMoveEvents})
        EXPECT_FALSE(rig.state(id).enabled) << id;
    // A press in performance mode changes nothing.
    const uint32_t stamp = rig.song->selectionStamp;
    mouse::click(&rig.view, rig.at(0, kBpm120));
    EXPECT_EQ(rig.song->selectionStamp, stamp);
}

// Shift in the ruler keeps the far end of the range, as the lane views do.
TEST(TempoViewWidget, AShiftPressInTheRulerExtendsTheRangeFromItsFarEnd)
{
    struct Case {
        int32_t tick;
        int32_t from; // expected
        int32_t to;
    };
    for (const Case c : {Case{100, 100, 300}, Case{250, 200, 250}}) {
        SCOPED_TRACE(c.tick);
        TempoRig rig;
        rig.fixture.host.tools.snap = false;
        ASSERT_GT(rig.view.plotRect().top(), 2) << "the view draws its own ruler";
        rig.song->selectionKind = kSelectTimeRange;
        rig.song->selectionFrom = 200;
        rig.song->selectionTo = 300;
        const uint32_t stamp = rig.song->selectionStamp;
        const QPoint point(rig.view.axis().xOfTick(c.tick), 2);
        QTest::mouseClick(&rig.view, Qt::LeftButton, Qt::ShiftModifier, point);
        EXPECT_EQ(rig.song->selectionKind, kSelectTimeRange);
        EXPECT_EQ(rig.song->selectionFrom, c.from);
        EXPECT_EQ(rig.song->selectionTo, c.to);
        EXPECT_NE(rig.song->selectionStamp, stamp) << "a range is a new selection";
    }
}

TEST(TempoViewWidget, DraggingAPointIsOneUndoableEdit)
{
    TempoRig rig;
    rig.fixture.host.tools.snap = false;
    const QPoint from = rig.at(200, kBpm60);
    mouse::press(&rig.view, from);
    mouse::dragTo(&rig.view, from + QPoint(50, 0));
    mouse::release(&rig.view, from + QPoint(50, 0));
    ASSERT_EQ(rig.song->undoList.size(), 1u);
    EXPECT_EQ(rig.song->undoList.back()->label, "Drag Tempo");
    ASSERT_EQ(rig.song->tempoMap.size(), 2u);
    EXPECT_EQ(rig.song->tempoMap[1].tick, 250);
}

// A quarter grid (120 ticks) with snap on; the step moved onto the grid.
TEST(TempoViewWidget, ASnappedDragLandsOnTheGrid)
{
    TempoRig rig;
    rig.song->tempoMap[1].tick = 240;
    rig.song->RecalcTempoTimes();
    rig.view.songUpdate(0);
    const QPoint from = rig.at(240, kBpm60);
    const QPoint to = rig.at(340, kBpm60);
    mouse::press(&rig.view, from);
    mouse::dragTo(&rig.view, (from + to) / 2);
    mouse::dragTo(&rig.view, to);
    mouse::release(&rig.view, to);
    ASSERT_EQ(rig.song->tempoMap.size(), 2u);
    EXPECT_EQ(rig.song->tempoMap[1].tick, 360);
}

TEST(TempoViewWidget, AStubClipViewFollowsTheOriginAndLendsItsOwn)
{
    TempoRig rig;
    ViewLinks links;
    StubLaneView clip(LinkRole::Clip, 0);
    clip.resize(400, 200);
    clip.attach(*rig.song);
    clip.initialUpdate();
    clip.setViewLinks(&links);
    rig.view.setViewLinks(&links);
    clip.setScrollOrigin(300, false);
    rig.view.initialUpdate();
    EXPECT_EQ(rig.view.plotRect().left(), 0) << "the clip view leaves no margin";
    EXPECT_EQ(rig.view.plotRect().top(), 0) << "nor a ruler";
    EXPECT_EQ(rig.view.origin(), 300);
    rig.view.setScrollOrigin(500, true);
    EXPECT_EQ(clip.origin(), 500);
    clip.detach();
}

// The editor view's left edge is the tempo view's, at once when it changes
// and back to the view's own when the editor view goes.
TEST(TempoViewWidget, ThePlotTakesTheEditorViewsLeftEdge)
{
    TempoRig rig;
    ViewLinks links;
    rig.view.setViewLinks(&links);
    auto piano = std::make_unique<StubLaneView>(LinkRole::Piano, 24);
    piano->resize(400, 200);
    piano->attach(*rig.song);
    piano->setViewLinks(&links);
    piano->initialUpdate();
    rig.view.songUpdate(0);
    piano->setScrollOrigin(300, true);
    const int32_t bar = 480 * 2;
    EXPECT_EQ(rig.view.axis().xOfTick(bar), piano->axis().xOfTick(bar));
    piano->setMargin(120);
    EXPECT_EQ(rig.view.plotRect().left(), 120);
    EXPECT_EQ(rig.view.axis().xOfTick(bar), piano->axis().xOfTick(bar));
    piano->detach();
    piano.reset();
    EXPECT_EQ(rig.view.plotRect().left(), TempoView::kOwnMargin);
}

// At fit a pixel is about 2.5 BPM of the graph; a drag moves the tempo a
// whole BPM a pixel from the point's own, and a sideways drag keeps it.
TEST(TempoViewWidget, ADragMovesTheTempoAWholeBpmAPixel)
{
    struct Case {
        QPoint move;
        int tenths; // expected tempo of the change
    };
    const Case cases[] = {
        {{0, -36}, 960},
        {{12, -1}, 610},
        {{0, 10}, 500},
        {{30, 0}, 600},
        {{0, -400}, 3600}, // held at the top of the scale
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.move.y());
        TempoRig rig;
        rig.fixture.host.tools.snap = false;
        ASSERT_TRUE(rig.view.scale().graphFits());
        EXPECT_EQ(rig.view.scale().dragStep(), TempoScale::kCoarsestDragStep);
        const QPoint from = rig.at(200, kBpm60);
        mouse::press(&rig.view, from);
        mouse::dragTo(&rig.view, from + c.move / 2);
        mouse::dragTo(&rig.view, from + c.move);
        mouse::release(&rig.view, from + c.move);
        ASSERT_EQ(rig.song->tempoMap.size(), 2u);
        EXPECT_EQ(TempoScale::tenthsOf(rig.song->tempoMap[1].tempo), c.tenths);
        if (c.move.y() == 0) {
            EXPECT_EQ(rig.song->tempoMap[1].tempo, kBpm60) << "exactly the tempo it had";
        }
    }
}

// A graph zoomed to 3600 pixels moves a tenth of a BPM a pixel: the point
// stays under the pointer.
TEST(TempoViewWidget, AZoomedGraphDragsOnItsOwnScale)
{
    TempoRig rig;
    rig.fixture.host.tools.snap = false;
    rig.view.setLayoutValues({TempoScale::kFullScale, 0});
    rig.view.SetScrollY(rig.view.scale().yOfTempo(kBpm60) - rig.view.plotRect().center().y());
    rig.view.songUpdate(0);
    EXPECT_EQ(rig.view.scale().dragStep(), 1);
    const QPoint from = rig.at(200, kBpm60);
    ASSERT_TRUE(rig.view.plotRect().contains(from));
    mouse::press(&rig.view, from);
    mouse::dragTo(&rig.view, from + QPoint(0, -5));
    mouse::dragTo(&rig.view, from + QPoint(0, -25));
    mouse::release(&rig.view, from + QPoint(0, -25));
    ASSERT_EQ(rig.song->tempoMap.size(), 2u);
    EXPECT_EQ(TempoScale::tenthsOf(rig.song->tempoMap[1].tempo), 625);
}

// A band selected every point first; the drag leaves only its own marked.
TEST(TempoViewWidget, AfterADragOnlyTheDraggedPointsStaySelected)
{
    TempoRig rig;
    rig.fixture.host.tools.snap = false;
    const QRect plot = rig.view.plotRect();
    mouse::press(&rig.view, plot.topLeft() + QPoint(1, 1));
    mouse::dragTo(&rig.view, plot.bottomRight() - QPoint(1, 1));
    mouse::release(&rig.view, plot.bottomRight() - QPoint(1, 1));
    const auto selected = [&rig] {
        std::vector<int32_t> ticks;
        for (const CTempoPoint& p : rig.view.graph().points())
            if ((rig.song->selectionKind & kSelectTempo) && p.flags == rig.song->selectionStamp)
                ticks.push_back(p.tick);
        return ticks;
    };
    ASSERT_GE(selected().size(), 3u);
    const QPoint from = rig.at(200, kBpm60);
    mouse::press(&rig.view, from);
    mouse::dragTo(&rig.view, from + QPoint(20, -5));
    mouse::dragTo(&rig.view, from + QPoint(40, -10));
    mouse::release(&rig.view, from + QPoint(40, -10));
    ASSERT_EQ(rig.song->undoList.size(), 1u);
    EXPECT_EQ(selected(), (std::vector<int32_t>{240, 240}));
}

// With the ruler its own, the view draws the cue flags above the plot, the
// first one whole beside the margin.
TEST(TempoViewWidget, TheOwnRulerDrawsTheCueFlags)
{
    TempoRig rig;
    for (int32_t tick : {0, 300}) {
        auto cue = std::make_unique<CCue>();
        cue->name = "Verse";
        cue->time = cue->secondTime = tick;
        rig.song->cues.push_back(std::move(cue));
    }
    rig.view.songUpdate(0);
    const std::vector<QRect> flags = rig.view.cueFlagRects();
    ASSERT_EQ(flags.size(), 2u);
    EXPECT_EQ(flags[0].left(), rig.view.plotRect().left()) << "not cut by the margin";
    EXPECT_EQ(flags[1].left(), rig.view.axis().xOfTick(300) - 8);
    EXPECT_LT(flags[1].top(), rig.view.plotRect().top());
    const QImage image = rig.view.grab().toImage();
    EXPECT_NE(image.pixelColor(flags[1].center()), QColor(236, 233, 216)) << "a flag, not the bare ruler";
    // Under an editor view the ruler is the editor's.
    ViewLinks links;
    StubLaneView piano(LinkRole::Piano, 24);
    piano.setViewLinks(&links);
    rig.view.setViewLinks(&links);
    rig.view.songUpdate(0);
    EXPECT_TRUE(rig.view.cueFlagRects().empty());
}

// A double click in the ruler takes the measure at the play position; with
// Shift it widens the range.
TEST(TempoViewWidget, ADoubleClickInTheRulerSelectsTheMeasureAtThePlayPosition)
{
    TempoRig rig;
    const MeasureRec& third = rig.song->measureMap[2];
    const MeasureRec& fifth = rig.song->measureMap[4];
    rig.song->setPosition(third.start + 10);
    const QPoint ruler(rig.view.axis().xOfTick(third.start + 10), 2);
    mouse::doubleClick(&rig.view, ruler);
    EXPECT_EQ(rig.song->selectionKind, kSelectTimeRange);
    EXPECT_EQ(rig.song->selectionFrom, third.start);
    EXPECT_EQ(rig.song->selectionTo, third.start + third.length);
    rig.song->setPosition(fifth.start + 10);
    QTest::mouseDClick(&rig.view, Qt::LeftButton, Qt::ShiftModifier, ruler);
    EXPECT_EQ(rig.song->selectionFrom, third.start);
    EXPECT_EQ(rig.song->selectionTo, fifth.start + fifth.length);
}

TEST(TempoViewWidget, AltAndMetaBothTakeTheAltRole)
{
    const struct {
        Qt::KeyboardModifiers modifiers;
        bool alt;
    } cases[] = {
        {Qt::NoModifier, false},
        {Qt::AltModifier, true},
        {Qt::MetaModifier, true},
        {Qt::ControlModifier | Qt::ShiftModifier, false},
        {Qt::ControlModifier | Qt::MetaModifier, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EditViewBase::isAltRole(c.modifiers), c.alt) << int(c.modifiers);
}

} // namespace
} // namespace rz
