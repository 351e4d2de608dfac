#include "clip_rig.h"

#include "core/color.h"
#include "song/peak_buffer.h"
#include "tests/views/stub_lane_view.h"
#include "tests/support/eventually.h"
#include "tests/support/qt/mouse_events.h"
#include "ui/color_ref.h"
#include "ui/zoom_scroll_bar.h"
#include "views/clip/clip_view.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

namespace rz {
namespace {

// The clip view 800 x 300 at time zoom 8 (a column a tick) over the rig's
// song, its clips loaded with a loud synthetic signal.
struct ClipWidgetRig : ClipRig {
    std::unique_ptr<ClipView> view;

    ClipWidgetRig()
    {
        fixture.host.zoom = 8;
        fixture.clips.sample = [](int64_t frame) { return frame % 2 ? 0.9f : -0.9f; };
        for (CMidiEvent& e : song->tracks[1]->events)
            e.clip()->loaded = true;
        view = std::make_unique<ClipView>(ClipViewContext{});
        view->resize(800, 300);
        view->attach(*song);
        view->initialUpdate();
    }
    ~ClipWidgetRig()
    {
        if (view)
            view->detach();
    }
    QImage picture() const { return view->grab().toImage(); }
    PeakBuffer& peaks(size_t item) const { return *song->tracks[1]->items[item].peaks; }
    // A point of clip `item`'s block a quarter of the lane above its middle.
    QPoint aboveMiddle(size_t item) const
    {
        const ClipGeometry g = view->geometryNow();
        const CTrackItem& it = song->tracks[1]->items[item];
        const QRect block = g.TickRowToRect(it.start, it.start + it.length, 1);
        return QPoint(block.left() + block.width() / 2, block.top() + block.height() / 2 - block.height() / 4);
    }
};

TEST(ClipViewWidget, AnUncomputedClipDrawsItsBlockWithoutAWaveformThenFillsIn)
{
    ClipWidgetRig rig;
    ASSERT_TRUE(rig.view->workerRunning());
    ASSERT_FALSE(rig.peaks(0).computed(0));
    // The worker only starts once painting asks, so the first picture is bare.
    const QRgb bare = rig.picture().pixel(rig.aboveMiddle(0));
    ASSERT_TRUE(eventually([&] { return rig.peaks(0).computed(0); }));
    const QRgb filled = rig.picture().pixel(rig.aboveMiddle(0));
    EXPECT_NE(bare, filled);
    EXPECT_EQ(filled, fromColorRef(rig.song->tracks[1]->textColor).rgb());
}

TEST(ClipViewWidget, AOneColumnClipIsOnePixelWide)
{
    ClipWidgetRig rig;
    rig.fixture.host.zoom = 0; // 60 ticks a column at 120 a quarter
    CMidiEvent& e = rig.song->tracks[1]->events[0];
    e.clip()->length = 100'000; // 10 ms: one tick
    rig.view->songUpdate(0);
    const ClipGeometry g = rig.view->geometryNow();
    ASSERT_GE(g.axis.gridTicks, 2);
    const int x = g.axis.xOfTick(480);
    const int y = g.lanes.rowY(1) + g.lanes.laneHeight / 2;
    const QImage image = rig.picture();
    const QRgb lane = image.pixel(x + 3, y);
    EXPECT_NE(image.pixel(x, y), lane);
    EXPECT_EQ(image.pixel(x + 1, y), lane);
    EXPECT_EQ(image.pixel(x - 1, y), lane);
}

TEST(ClipViewWidget, ItsOwnBarHidesBesideATempoView)
{
    ClipWidgetRig rig;
    EXPECT_FALSE(rig.view->horizontalBar()->isHidden());
    ViewLinks links;
    StubLaneView tempo(LinkRole::Tempo, 24);
    tempo.setViewLinks(&links);
    rig.view->setViewLinks(&links);
    rig.view->songUpdate(0);
    EXPECT_TRUE(rig.view->horizontalBar()->isHidden());
    rig.view->setViewLinks(nullptr);
    tempo.setViewLinks(nullptr);
}

TEST(ClipViewWidget, StoppingTheWorkerForAnEditAndTheNextFullUpdateRestartsIt)
{
    ClipWidgetRig rig;
    rig.view->stopOverviewWorker();
    EXPECT_FALSE(rig.view->workerRunning());
    rig.view->songUpdate(0);
    EXPECT_TRUE(rig.view->workerRunning());
}

// The last status text the view wrote.
std::string statusAfterHover(EditViewBase& view, FakeSongHost& host, QPoint at)
{
    host.log.clear();
    mouse::hover(&view, at);
    return host.log.calls().empty() ? "none" : host.log.calls().back();
}

TEST(ClipViewWidget, HoveringALaneNamesTheTrackAndTimeOnlyOverATrackWithinTheSong)
{
    ClipWidgetRig rig;
    rig.song->endTick = 600;
    rig.view->songUpdate(0);
    const ClipGeometry g = rig.view->geometryNow();
    const auto point = [&](int32_t tick, int row) { return QPoint(g.xOfTick(tick), g.lanes.rowY(row) + 5); };
    struct Case {
        const char* name;
        QPoint at;
        std::string text;
    };
    const Case cases[] = {
        {"the first track", point(480, 1), "SetStatusText(Track 1 @ 2:1:000)"},
        {"the last track", point(120, 3), "SetStatusText(Track 3 @ 1:2:000)"},
        {"the row after the last track", point(120, 4), "SetStatusText()"},
        {"far below the tracks", point(120, 9), "SetStatusText()"},
        {"beyond the song's end", point(700, 1), "SetStatusText()"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(g.plot.contains(c.at));
        EXPECT_EQ(statusAfterHover(*rig.view, rig.fixture.host, c.at), c.text);
    }
}

} // namespace
} // namespace rz
