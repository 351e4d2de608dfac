#include "tests/views/stub_lane_view.h"

#include "views/graph/control_view.h"

#include "control_rig.h"

#include "core/settings.h"
#include "res/command_ids.h"
#include "song/selection.h"
#include "tests/support/qt/mouse_events.h"

#include <QImage>

#include <gtest/gtest.h>

namespace rz {
namespace {

// Volume events on one selected track; the view 400 x 200 at time zoom 8,
// where a column is one tick.
struct ControlRig {
    ControlSong s;
    int track = s.addTrack();
    ControlView view;

    ControlRig()
    {
        s.fixture.host.zoom = 8;
        s.addController(track, 0, 7, 10);
        s.addController(track, 100, 7, 100, 41);
        s.addController(track, 200, 7, 60);
        view.setControllerChoice(midi::kControlChange, 7);
        view.resize(400, 200);
        view.attach(*s.song);
        view.initialUpdate();
    }
    ~ControlRig() { view.detach(); }

    QPoint at(int32_t tick, int32_t value) const { return view.scale().pointOf(tick, value); }
    bool nothingChanged(uint32_t stamp, uint32_t kind) const
    {
        return s.song->selectionStamp == stamp && s.song->selectionKind == kind && s.song->undoList.empty();
    }
};

TEST(ControlViewWidget, ASelectedMarkerIsWhiteAndTheOthersRed)
{
    ControlRig rig;
    rig.s.song->selectionKind = kSelectEvents | kSelectControllerPoints;
    rig.s.song->selectionStamp = 41;
    rig.view.songUpdate(0);
    const QImage image = rig.view.grab().toImage();
    EXPECT_EQ(image.pixel(rig.at(100, 100)), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(rig.at(100, 100) + QPoint(-3, -3)), qRgb(0, 0, 0)) << "the selected marker's border";
    EXPECT_EQ(image.pixel(rig.at(200, 60)), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(rig.at(200, 60) + QPoint(-3, -3)), qRgb(255, 255, 255)) << "the lit top-left edge";
    EXPECT_EQ(image.pixel(rig.at(200, 60) + QPoint(2, 2)), qRgb(0, 0, 0)) << "the dark bottom-right edge";
}

TEST(ControlViewWidget, APressWhileTheTransportPlaysOnlyRelocates)
{
    ControlRig rig;
    rig.s.fixture.engine.state = TransportState::Playing;
    const uint32_t stamp = rig.s.song->selectionStamp;
    const uint32_t kind = rig.s.song->selectionKind;
    mouse::press(&rig.view, rig.at(100, 100));
    mouse::release(&rig.view, rig.at(100, 100));
    EXPECT_EQ(rig.s.fixture.engine.log.count("Play"), 1u);
    EXPECT_TRUE(rig.nothingChanged(stamp, kind));
    EXPECT_EQ(rig.view.cursorAt(rig.at(100, 100)), Qt::ForbiddenCursor);
}

TEST(ControlViewWidget, PerformanceModeIgnoresPressesAndPropertiesGoOnToTheSong)
{
    ControlRig rig;
    EXPECT_EQ(rig.view.cursorAt(rig.at(100, 100)), Qt::SizeAllCursor);
    rig.s.fixture.host.performance = true;
    const uint32_t stamp = rig.s.song->selectionStamp;
    const uint32_t kind = rig.s.song->selectionKind;
    for (const QPoint p : {rig.at(100, 100), rig.at(300, 30)})
        mouse::click(&rig.view, p);
    EXPECT_TRUE(rig.nothingChanged(stamp, kind));
    EXPECT_EQ(rig.s.fixture.engine.log.count("Play"), 0u);
    EXPECT_EQ(rig.view.cursorAt(rig.at(100, 100)), Qt::ForbiddenCursor);
    CmdUi ui;
    EXPECT_FALSE(rig.view.update(kIdProperties, ui));
    EXPECT_FALSE(rig.view.handle(kIdProperties));
}

TEST(ControlViewWidget, DraggingAPointIsOneUndoableEditAndItsEventIsSelected)
{
    ControlRig rig;
    const QPoint from = rig.at(100, 100);
    mouse::press(&rig.view, from);
    EXPECT_EQ(rig.s.song->selectionKind, kSelectEvents | kSelectControllerPoints);
    EXPECT_EQ(rig.s.track(rig.track).events[1].selectionStamp, rig.s.song->selectionStamp);
    mouse::dragTo(&rig.view, from + QPoint(30, 0));
    mouse::release(&rig.view, from + QPoint(30, 0));
    ASSERT_EQ(rig.s.song->undoList.size(), 1u);
    EXPECT_EQ(rig.s.song->undoList.back()->label, "Drag Controller");
    EXPECT_EQ(rig.s.values(rig.track, kVolume), (std::vector<std::pair<int32_t, int32_t>>{{0, 10}, {130, 100}, {200, 60}}));
}

// A quarter grid (120 ticks) with snap on and the dragged point on it: a
// point moves by whole grid steps, and one grabbed off its centre and
// dragged straight down keeps its time.
TEST(ControlViewWidget, ASnappedDragLandsOnTheGrid)
{
    struct Case {
        const char* name;
        QPoint grab; // from the point's centre
        QPoint drop; // from the grab
        int32_t tick;
        int32_t value;
    };
    const Case cases[] = {
        {"right", QPoint(0, 0), QPoint(70, 0), 240, 100},
        {"down", QPoint(3, 0), QPoint(0, 20), 120, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ControlRig rig;
        rig.s.fixture.host.tools.snap = true;
        rig.s.track(rig.track).events[1].tick = 120;
        rig.s.track(rig.track).events[2].tick = 480;
        rig.view.songUpdate(0);
        const QPoint from = rig.at(120, 100) + c.grab;
        mouse::press(&rig.view, from);
        mouse::dragTo(&rig.view, from + c.drop / 2);
        mouse::dragTo(&rig.view, from + c.drop);
        mouse::release(&rig.view, from + c.drop);
        ASSERT_EQ(rig.s.song->undoList.size(), 1u);
        const auto values = rig.s.values(rig.track, kVolume);
        ASSERT_EQ(values.size(), 3u);
        EXPECT_EQ(values[1].first, c.tick);
        if (c.value >= 0) {
            EXPECT_EQ(values[1].second, c.value);
        }
    }
}

// The piano roll's keyboard is the left edge of this view's plot too, and
// both scroll to one origin: each tick lies at one x in both.
TEST(ControlViewWidget, AStubPianoRollLendsItsLeftEdgeAndOrigin)
{
    ControlRig rig;
    ASSERT_EQ(rig.view.plotRect().left(), ControlView::kScaleWidth);
    ViewLinks links;
    StubLaneView piano(LinkRole::Piano, 60);
    piano.resize(400, 200);
    piano.attach(*rig.s.song);
    piano.initialUpdate();
    piano.setViewLinks(&links);
    rig.view.setViewLinks(&links);
    rig.view.songUpdate(0);
    EXPECT_EQ(rig.view.plotRect().left(), 60);
    const int32_t tick = 480 * 8;
    EXPECT_EQ(rig.view.axis().xOfTick(tick), piano.axis().xOfTick(tick)) << "at origin 0";
    piano.setScrollOrigin(300, true);
    EXPECT_EQ(rig.view.origin(), 300);
    rig.view.setScrollOrigin(500, true);
    EXPECT_EQ(piano.origin(), 500);
    EXPECT_EQ(rig.view.axis().xOfTick(tick), piano.axis().xOfTick(tick));
    piano.detach();
}

TEST(ControlViewWidget, ControllerLanesReturnTheShownTracksPoints)
{
    ControlRig rig;
    const int second = rig.s.addTrack(3);
    rig.s.addController(second, 50, 7, 5);
    rig.s.addController(second, 60, 11, 9);
    const int leftOut = rig.s.addTrack();
    rig.s.addController(leftOut, 70, 7, 7);
    rig.s.track(leftOut).recordArm = -1;
    rig.view.songUpdate(0);
    EXPECT_EQ(rig.view.laneTracks(), (std::vector<int>{rig.track, second}));
    const ControllerLanes lanes = rig.view.controllerLanes();
    EXPECT_EQ(lanes.kind, midi::kControlChange);
    EXPECT_EQ(lanes.controller, 7);
    ASSERT_EQ(lanes.lanes.size(), 2u);
    EXPECT_EQ(lanes.lanes[0].track, rig.track);
    ASSERT_EQ(lanes.lanes[0].points.size(), 3u);
    EXPECT_EQ(lanes.lanes[0].points[1].tick, 100);
    EXPECT_EQ(lanes.lanes[0].points[1].value, 100);
    ASSERT_EQ(lanes.lanes[1].points.size(), 1u);
    EXPECT_EQ(lanes.lanes[1].points[0].value, 5);
}

// A lane with none of its kind lies where the channel rests: the pitch
// wheel at its centre, a controller or pressure at 0.
TEST(ControlViewWidget, ALaneWithNoEventsOfItsKindDrawsItsLineAtTheRestValue)
{
    ControlRig rig;
    struct Case {
        ControlKind kind;
        int32_t rest;
    };
    for (const Case c : {Case{{midi::kPitchBend, 0}, 8192}, Case{{midi::kControlChange, 1}, 0},
                         Case{{midi::kChannelPressure, 0}, 0}}) {
        SCOPED_TRACE(c.kind.name());
        rig.view.setControllerChoice(c.kind.status, c.kind.number);
        rig.view.songUpdate(0);
        const std::vector<CControlPoint>& points = rig.view.curve().points();
        ASSERT_GE(points.size(), 2u);
        EXPECT_EQ(points[0].tick, 0);
        EXPECT_EQ(points[0].value, c.rest);
        EXPECT_EQ(points[1].value, c.rest) << "one flat line to the end";
        const ControlScale scale = rig.view.scale();
        const int y = scale.pointOf(points[0].tick, points[0].value).y();
        const int expected = c.rest ? scale.plot.top() + scale.plot.height() / 2 : scale.plot.bottom();
        EXPECT_NEAR(y, expected, 1) << "the centre of the lane, or its foot";
    }
}

TEST(ControlViewWidget, AOnePixelPlotDrawsAndEditsNothing)
{
    ControlRig rig;
    for (int h = 20; h < 120 && rig.view.plotRect().height() != 1; ++h) {
        rig.view.resize(400, h);
        rig.view.songUpdate(0);
    }
    ASSERT_EQ(rig.view.plotRect().height(), 1);
    const QRect plot = rig.view.plotRect();
    const uint32_t stamp = rig.s.song->selectionStamp;
    const uint32_t kind = rig.s.song->selectionKind;
    rig.s.fixture.host.tools.tool = 1;
    for (const int x : {plot.left() + 1, plot.left() + 100}) {
        mouse::press(&rig.view, QPoint(x, plot.top()));
        mouse::dragTo(&rig.view, QPoint(x + 40, plot.top()));
        mouse::release(&rig.view, QPoint(x + 40, plot.top()));
    }
    EXPECT_TRUE(rig.nothingChanged(stamp, kind));
    EXPECT_EQ(rig.view.cursorAt(QPoint(plot.left() + 1, plot.top())), Qt::ForbiddenCursor);
    const QImage image = rig.view.grab().toImage();
    EXPECT_NE(image.pixel(plot.left() + 1, plot.top()), qRgb(255, 0, 0)) << "no curve";
}

TEST(ControlViewWidget, AStoredZoomOffTheTableReadsAsFitAndTheOffsetIsHeldToTheBar)
{
    struct Case {
        int zoom, offset, expectedZoom;
    };
    for (const Case c : {Case{123, 99999, ControlScale::kFitToWindow}, Case{700, 99999, 700}, Case{700, -5, 700}}) {
        SCOPED_TRACE(c.zoom);
        ControlSong s;
        writeSetting(s.fixture.profile, settings::kControlViewZoom, c.zoom);
        writeSetting(s.fixture.profile, settings::kControlViewYOffset, c.offset);
        {
            ControlView view;
            view.resize(400, 200);
            view.attach(*s.song);
            view.initialUpdate();
            EXPECT_EQ(view.zoom(), c.expectedZoom);
            EXPECT_GE(view.yOffset(), 0);
            EXPECT_LE(view.yOffset(), view.maxYOffset());
            EXPECT_EQ(view.maxYOffset(), std::max(c.expectedZoom - view.plotRect().height(), 0));
            view.detach();
        }
        EXPECT_EQ(readSetting(s.fixture.profile, settings::kControlViewZoom), c.expectedZoom) << "written back";
    }
}

} // namespace
} // namespace rz
