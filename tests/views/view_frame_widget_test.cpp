#include "stub_lane_view.h"

#include "views/menu_tracking.h"

#include "song/cue.h"
#include "song/measure_map.h"
#include "song/midi_event.h"
#include "song/track.h"
#include "tests/song/song_fixture.h"
#include "tests/support/eventually.h"
#include "tests/support/qt/mouse_events.h"
#include "ui/bitmap_push_button.h"
#include "ui/zoom_scroll_bar.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace rz {
namespace {

// A song of 400 measures at 120 ticks a quarter, a view 400 x 200 on it.
// At time zoom 8 a column is one tick.
struct ViewRig {
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song;
    StubLaneView view;

    explicit ViewRig(int tracks = 6, LinkRole role = LinkRole::Clip, int margin = 24) : view(role, margin)
    {
        fixture.host.zoom = 8;
        song = fixture.newSong();
        song->endTick = 400 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        while (int(song->tracks.size()) < tracks)
            song->tracks.push_back(std::make_unique<CTrack>());
        view.resize(400, 200);
        view.attach(*song);
        view.initialUpdate();
    }
    ~ViewRig() { view.detach(); }

    QImage image() { return view.grab().toImage(); }
    int probeY() const { return view.plotRect().top() + 5; }
};

QRgb cyan()
{
    return qRgb(0, 255, 255);
}

TEST(ViewFrameWidget, ThePlayLineFollowsThePositionAndTheOldColumnIsRestored)
{
    ViewRig rig;
    rig.song->setPosition(50);
    rig.view.songUpdate(0);
    const int left = rig.view.plotRect().left();
    ASSERT_EQ(left, 24);
    QImage image = rig.image();
    EXPECT_EQ(image.pixel(left + 50, rig.probeY()), cyan());
    EXPECT_EQ(image.pixel(left + 49, rig.probeY()), qRgb(0, 0, 0));
    // The line stays below the ruler bands.
    EXPECT_EQ(image.pixel(left + 50, rig.view.plotRect().top() - 1), qRgb(0, 0, 0));

    rig.song->setPosition(80);
    const int paintsBefore = rig.view.paints;
    rig.view.follow();
    EXPECT_EQ(rig.view.paints, paintsBefore); // follow only asks for a repaint
    EXPECT_EQ(rig.view.cursorColumn(), 80);
    image = rig.image();
    EXPECT_EQ(image.pixel(left + 80, rig.probeY()), cyan());
    EXPECT_EQ(image.pixel(left + 50, rig.probeY()), qRgb(0, 0, 0));
    EXPECT_EQ(rig.view.origin(), 0);
}

// A move of the play line repaints its old and new columns only, in pieces;
// the line is drawn once over every row of the plot, so its XOR holds.
TEST(ViewFrameWidget, APartialRepaintOfTheTwoColumnsDrawsTheLineOnceDownThePlot)
{
    ViewRig rig;
    rig.view.resize(400, 320);
    rig.song->setPosition(50);
    rig.view.follow();
    QImage image(rig.view.size(), QImage::Format_RGB32);
    rig.view.render(&image);
    const int left = rig.view.plotRect().left();
    rig.song->setPosition(80);
    rig.view.follow();
    const QRect plot = rig.view.plotRect();
    ASSERT_GT(plot.height(), 200);
    const QRegion columns = QRegion(left + 50, 0, 1, rig.view.height()) + QRegion(left + 80, 0, 1, rig.view.height());
    rig.view.render(&image, columns.boundingRect().topLeft(), columns);
    for (int y = plot.top(); y <= plot.bottom(); y += 7) {
        EXPECT_EQ(image.pixel(left + 80, y), cyan()) << "row " << y;
        EXPECT_EQ(image.pixel(left + 50, y), qRgb(0, 0, 0)) << "row " << y;
    }
}

TEST(ViewFrameWidget, FollowAndPaintRunOnlyOnTheGuiThread)
{
    ViewRig rig;
    rig.song->setPosition(300);
    std::thread worker([&] { rig.view.follow(); });
    worker.join();
    EXPECT_EQ(rig.view.offGuiThreadCalls(), 1);
    EXPECT_EQ(rig.view.cursorColumn(), 0); // refused before touching anything
    rig.view.follow();
    rig.view.grab();
    EXPECT_EQ(rig.view.offGuiThreadCalls(), 1);
    EXPECT_EQ(rig.view.cursorColumn(), 300);
}

TEST(ViewFrameWidget, ADragLeftOfThePlotScrollsByTheDistanceAndTheLinkedViewFollows)
{
    ViewRig rig;
    StubLaneView tempo(LinkRole::Tempo, 24);
    tempo.resize(400, 200);
    tempo.attach(*rig.song);
    tempo.initialUpdate();
    ViewLinks links;
    rig.view.setViewLinks(&links);
    tempo.setViewLinks(&links);

    rig.view.setScrollOrigin(40, true);
    ASSERT_EQ(rig.view.origin(), 40);
    EXPECT_EQ(tempo.origin(), 40);
    rig.view.beginDrag(QPoint(100, 100), true);
    EXPECT_TRUE(rig.view.autoscrollActive());
    mouse::hover(&rig.view, QPoint(10, 100)); // 14 columns left of the plot
    rig.view.autoscrollTick();
    EXPECT_EQ(rig.view.origin(), 26);
    EXPECT_EQ(tempo.origin(), 26);
    EXPECT_EQ(rig.view.dragMoves, 1);
    // The 50 ms timer carries on down to 0, and stops there.
    ASSERT_TRUE(eventually([&] {
        QApplication::processEvents();
        return rig.view.origin() == 0;
    }));
    EXPECT_EQ(tempo.origin(), 0);
    const int moves = rig.view.dragMoves;
    rig.view.autoscrollTick();
    EXPECT_EQ(rig.view.dragMoves, moves);
    rig.view.endDrag();
    EXPECT_FALSE(rig.view.autoscrollActive());
    tempo.detach();
}

TEST(ViewFrameWidget, LeftAndRightMoveSixteenColumns)
{
    ViewRig rig;
    rig.view.setFocus();
    QTest::keyClick(&rig.view, Qt::Key_Right);
    EXPECT_EQ(rig.view.origin(), 16);
    QTest::keyClick(&rig.view, Qt::Key_Right);
    QTest::keyClick(&rig.view, Qt::Key_Left);
    EXPECT_EQ(rig.view.origin(), 16);
    QTest::keyClick(&rig.view, Qt::Key_Left);
    QTest::keyClick(&rig.view, Qt::Key_Left);
    EXPECT_EQ(rig.view.origin(), 0);
    QTest::keyClick(&rig.view, Qt::Key_Down);
    EXPECT_TRUE(rig.fixture.trackRows.log.contains("stepCurrentRow(1)"));
}

// A scroll of the plot by keys or by follow paints the ruler bands again
// in the same pass, and follow brings the linked lane along.
TEST(ViewFrameWidget, ARulerBandScrollRepaintsTheBandsAndMovesTheLinkedLane)
{
    ViewRig rig;
    StubLaneView tempo(LinkRole::Tempo, 24);
    tempo.resize(400, 200);
    tempo.attach(*rig.song);
    tempo.initialUpdate();
    ViewLinks links;
    rig.view.setViewLinks(&links);
    tempo.setViewLinks(&links);
    rig.view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.view));
    const int top = rig.view.plotRect().top();
    ASSERT_GT(top, 0);
    const QRect bands(0, 0, rig.view.plotRect().right() + 1, top);
    const auto repaintedAfter = [&](const auto& step) {
        QApplication::processEvents();
        rig.view.dirtyRegion = QRegion();
        step();
        EXPECT_TRUE(eventually([&] {
            QApplication::processEvents();
            return rig.view.dirtyRegion.contains(bands.topLeft());
        }));
        return rig.view.dirtyRegion.intersected(bands) == QRegion(bands);
    };
    rig.view.setFocus();
    EXPECT_TRUE(repaintedAfter([&] { QTest::keyClick(&rig.view, Qt::Key_Right); }));
    EXPECT_EQ(rig.view.origin(), 16);
    rig.song->setPosition(16 + 390);
    EXPECT_TRUE(repaintedAfter([&] { rig.view.follow(); }));
    EXPECT_GT(rig.view.origin(), 16);
    EXPECT_EQ(tempo.origin(), rig.view.origin());
    rig.view.hide();
    tempo.detach();
}

TEST(ViewFrameWidget, TheStatusLineShowsTrackAndPositionOverThePlotOnly)
{
    ViewRig rig;
    mouse::hover(&rig.view, QPoint(rig.view.plotRect().left() + 120, rig.view.lanes().lanesTop() + 1));
    EXPECT_EQ(rig.fixture.host.log.calls().back(), "SetStatusText(Track 1 @ 1:2:000)");
    mouse::hover(&rig.view, QPoint(2, 2));
    EXPECT_EQ(rig.fixture.host.log.calls().back(), "SetStatusText()");
}

TEST(ViewFrameWidget, OnlyTrackHintsSkipTheFullUpdate)
{
    ViewRig rig;
    const int rebuilds = rig.view.rebuilds;
    rig.view.songUpdate(0x2000);
    rig.view.songUpdate(0x1000 | 0x4);
    EXPECT_EQ(rig.view.rebuilds, rebuilds);
    EXPECT_EQ(rig.view.lightUpdates, 2);
    rig.view.songUpdate(0x2000 | 0x4);
    rig.view.songUpdate(0x8);
    EXPECT_EQ(rig.view.rebuilds, rebuilds + 2);
}

TEST(ViewFrameWidget, WithoutASongBarsAndZoomButtonsAreOff)
{
    StubLaneView view;
    view.resize(400, 200);
    for (ZoomScrollBar* bar : {view.horizontalBar(), view.verticalBar()}) {
        EXPECT_FALSE(bar->arrowButton(1)->isEnabled());
        EXPECT_FALSE(bar->zoomInButton()->isEnabled());
        EXPECT_FALSE(bar->zoomOutButton()->isEnabled());
    }
    EXPECT_EQ(view.horizontalBar()->objectName(), "100");
    EXPECT_EQ(view.verticalBar()->objectName(), "101");
    EXPECT_EQ(view.horizontalBar()->height(), 17);
    view.follow();
    EXPECT_EQ(view.cursorColumn(), -1);
}

TEST(ViewFrameWidget, ZoomButtonsFollowTheZoomBoundsAndWriteTheProfileOnDestroy)
{
    auto rig = std::make_unique<ViewRig>();
    ZoomScrollBar* h = rig->view.horizontalBar();
    EXPECT_FALSE(h->zoomInButton()->isEnabled()); // time zoom 8 is the top
    EXPECT_TRUE(h->zoomOutButton()->isEnabled());
    rig->fixture.host.laneZoomIndex = 10;
    rig->view.songUpdate(0);
    ZoomScrollBar* v = rig->view.verticalBar();
    EXPECT_FALSE(v->zoomInButton()->isEnabled());
    emit v->zoomCommand(ZoomScrollBar::kZoomInScale);
    EXPECT_EQ(rig->fixture.host.laneZoomIndex, 10);
    emit v->zoomCommand(ZoomScrollBar::kZoomOutScale);
    EXPECT_EQ(rig->fixture.host.laneZoomIndex, 9);
    EXPECT_EQ(rig->fixture.host.log.count("updateSongViews"), 2u);
    MemoryProfile& profile = rig->fixture.profile;
    rig->view.detach();
    // Destroying the view writes its zooms.
    auto* view = new StubLaneView;
    view->attach(*rig->song);
    delete view;
    EXPECT_EQ(profile.readInt("DisplayOptions", "XZoom", -1), 8);
    EXPECT_EQ(profile.readInt("DisplayOptions", "YZoom", -1), 9);
    rig->view.attach(*rig->song);
}

TEST(ViewFrameFollow, AHeldThumbBlocksFollow)
{
    ViewRig rig;
    ZoomScrollBar* bar = rig.view.horizontalBar();
    emit bar->scrolled(ZoomScrollBar::kThumbTrack);
    EXPECT_TRUE(rig.view.scrolling());
    rig.song->setPosition(100);
    rig.view.follow();
    EXPECT_EQ(rig.view.cursorColumn(), 0);
    emit bar->scrolled(ZoomScrollBar::kThumbPosition);
    EXPECT_FALSE(rig.view.scrolling());
    rig.view.follow();
    EXPECT_EQ(rig.view.cursorColumn(), 100);
    // An arrow step has no end message, so it leaves follow on.
    emit bar->scrolled(ZoomScrollBar::kLineDown);
    EXPECT_FALSE(rig.view.scrolling());
}

TEST(ViewFrameFollow, ASongShorterThanThePlotDisablesTheBar)
{
    ViewRig rig;
    rig.song->endTick = 200;
    rig.view.songUpdate(0);
    EXPECT_EQ(rig.view.maxOrigin(), 0);
    EXPECT_FALSE(rig.view.horizontalBar()->arrowButton(1)->isEnabled());
    rig.fixture.engine.state = TransportState::Playing;
    rig.song->setPosition(190);
    rig.view.follow();
    EXPECT_EQ(rig.view.origin(), 0);
    EXPECT_EQ(rig.view.cursorColumn(), 190);
}

TEST(ViewFrameWidget, TheBandCommitsWhatItCrossedIntoTheSongsStampAtRelease)
{
    ViewRig rig;
    rig.song->selectionStamp = 7;
    auto& cues = rig.song->cues;
    cues.push_back(std::make_unique<CCue>());
    cues.push_back(std::make_unique<CCue>());
    cues[1]->selectionStamp = 7;
    CMidiEvent kept, added, dropped;
    kept.selectionStamp = 7;
    dropped.selectionStamp = 7;
    RubberBand& band = rig.view.rubberBand();
    band.begin(QPoint(100, 50));
    band.moveTo(QPoint(60, 80));
    EXPECT_EQ(band.rect(), QRect(QPoint(60, 50), QPoint(100, 80)));
    band.markEvent(added, +1);
    band.markEvent(dropped, -1);
    band.markEvent(kept, -1);
    band.markEvent(kept, 0); // crossed back out
    band.markCue(*cues[0], +1);
    band.markCue(*cues[1], -1);
    EXPECT_EQ(added.pendingChange, 1);
    EXPECT_EQ(kept.pendingChange, 0);
    // Autoscroll moves the anchor with the contents.
    band.shiftAnchor(QPoint(-14, 0));
    EXPECT_EQ(band.rect().right(), 86);
    EXPECT_EQ(rig.view.commitBand(), 4);
    EXPECT_FALSE(band.active());
    EXPECT_EQ(added.selectionStamp, 7u);
    EXPECT_EQ(dropped.selectionStamp, 0u);
    EXPECT_EQ(kept.selectionStamp, 7u);
    EXPECT_EQ(added.pendingChange, 0);
    EXPECT_EQ(cues[0]->selectionStamp, 7u);
    EXPECT_EQ(cues[1]->selectionStamp, 0u);
    EXPECT_EQ(rig.view.selection().stamp, 7u);
    rig.fixture.trackRows.selected = {3};
    EXPECT_TRUE(rig.view.rowSelected(3));
    EXPECT_FALSE(rig.view.rowSelected(2));
}

// A scroll of a few columns paints the strip it exposed and the bands
// above the plot, not the rest of the plot that only moved.
TEST(ViewFrameWidget, ASmallScrollPaintsOnlyTheExposedStripAndTheBands)
{
    ViewRig rig;
    rig.view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.view));
    const QRect plot = rig.view.plotRect();
    QApplication::processEvents();
    rig.view.dirtyRegion = QRegion();
    rig.view.setFocus();
    QTest::keyClick(&rig.view, Qt::Key_Right);
    ASSERT_EQ(rig.view.origin(), 16);
    const QPoint exposed(plot.right() - 5, plot.center().y());
    EXPECT_TRUE(eventually([&] {
        QApplication::processEvents();
        return rig.view.dirtyRegion.contains(exposed) && rig.view.dirtyRegion.contains(QPoint(plot.left(), 0));
    }));
    EXPECT_FALSE(rig.view.dirtyRegion.contains(plot.center())) << "the plot's middle only moved";
    rig.view.hide();
}

TEST(ViewFrameWidget, AnyOpenPopUpMenuCountsAsMenuTracking)
{
    EXPECT_FALSE(frameMenuTracking());
    QMenu menu;
    menu.addAction("Any");
    menu.popup(QPoint(10, 10));
    EXPECT_TRUE(frameMenuTracking());
    menu.close();
    EXPECT_FALSE(frameMenuTracking());
}

} // namespace
} // namespace rz
