#include "clip_rig.h"

#include "core/color.h"
#include "core/settings.h"
#include "song/peak_buffer.h"
#include "song/selection.h"
#include "tests/support/eventually.h"
#include "tests/support/qt/mouse_events.h"
#include "ui/bitmap_push_button.h"
#include "ui/color_ref.h"
#include "ui/zoom_scroll_bar.h"
#include "views/clip/clock_view.h"

#include <QImage>

#include <gtest/gtest.h>

namespace rz {
namespace {

// The clock-time view 800 x 300 over the clip rig's song at 10 ms a column,
// its clips loaded with a loud synthetic signal and track 3 "M" holding a
// block of notes from 0 to 180 (0.75 s).
struct TimeWidgetRig : ClipRig {
    std::unique_ptr<TimeView> view;

    TimeWidgetRig()
    {
        fixture.clips.sample = [](int64_t frame) { return frame % 2 ? 0.9f : -0.9f; };
        for (CMidiEvent& e : song->tracks[1]->events)
            e.clip()->loaded = true;
        song->tracks[3]->events = {test::note(0, 60, 90, 60), test::note(120, 62, 90, 60)};
        RebuildPlayImages(*song, false);
        TimeViewContext context;
        context.profile = &fixture.profile;
        view = std::make_unique<TimeView>(context);
        view->resize(800, 300);
        view->attach(*song);
        view->initialUpdate();
    }
    ~TimeWidgetRig()
    {
        if (view)
            view->detach();
    }
    QImage picture() const { return view->grab().toImage(); }
    QRect block(int row, size_t item) const
    {
        const CTrackItem& it = song->tracks[size_t(row)]->items[item];
        return view->geometryNow().TickRowToRect(it.start, it.start + it.length, row);
    }
};

TEST(TimeViewWidget, PixelProbesFindAMidiBlockAndAClipsWaveformOnceComputed)
{
    TimeWidgetRig rig;
    ASSERT_TRUE(rig.view->workerRunning());
    const ClipGeometry g = rig.view->geometryNow();
    ASSERT_TRUE(g.clock.has_value());
    const QRect midi = rig.block(3, 0);
    EXPECT_EQ(midi.left(), g.plot.left());
    EXPECT_EQ(midi.width(), 75); // 0.75 s
    const QImage first = rig.picture();
    const QPoint inBlock = midi.center();
    const QPoint pastBlock(midi.right() + 200, inBlock.y());
    EXPECT_NE(first.pixel(inBlock), first.pixel(pastBlock));

    const QRect clip = rig.block(1, 0);
    EXPECT_EQ(clip.left(), g.plot.left() + 200); // tick 480: 2 s
    const QPoint above(clip.center().x(), clip.center().y() - clip.height() / 4);
    PeakBuffer& peaks = *rig.song->tracks[1]->items[0].peaks;
    ASSERT_TRUE(eventually([&] { return peaks.computed(0); }));
    EXPECT_EQ(rig.picture().pixel(above), fromColorRef(rig.song->tracks[1]->textColor).rgb());
    rig.view->follow();
    EXPECT_EQ(rig.view->offGuiThreadCalls(), 0);
}

TEST(TimeViewWidget, TheRulerIsInvertedOverATimeSelection)
{
    TimeWidgetRig rig;
    const ClipGeometry g = rig.view->geometryNow();
    const QPoint probe(g.plot.left() + 155, 2); // between the small ticks of the second second
    const QRgb plain = rig.picture().pixel(probe);
    rig.song->selectionKind = kSelectTimeRange;
    rig.song->selectionFrom = 240; // 1 s
    rig.song->selectionTo = 480;   // 2 s
    rig.view->update();
    const QImage image = rig.picture();
    EXPECT_EQ(image.pixel(probe) & 0xFFFFFF, (plain ^ 0xFFFFFF) & 0xFFFFFF);
}

TEST(TimeViewWidget, ItsZoomIsItsOwnWithinTheTable)
{
    TimeWidgetRig rig;
    const int songZoom = rig.fixture.host.timeZoom();
    const int64_t wide = rig.view->contentWidth();
    emit rig.view->horizontalBar()->zoomCommand(ZoomScrollBar::kZoomInTime);
    EXPECT_EQ(rig.view->zoomIndex(), ClockAxis::kDefaultZoom + 1);
    EXPECT_EQ(rig.view->contentWidth(), wide * 2);
    EXPECT_EQ(rig.fixture.host.timeZoom(), songZoom);
    for (int i = 0; i < 12; ++i)
        rig.view->zoomTime(true);
    EXPECT_EQ(rig.view->zoomIndex(), 9);
    for (int i = 0; i < 12; ++i)
        rig.view->zoomTime(false);
    EXPECT_EQ(rig.view->zoomIndex(), 0);
    EXPECT_EQ(rig.fixture.host.timeZoom(), songZoom);
}

TEST(ClockAxis, AStoredZoomOutsideTheTableReadsClamped)
{
    SongFixture fixture;
    for (auto [stored, read] : {std::pair{42, 9}, std::pair{-3, 0}, std::pair{6, 6}}) {
        fixture.profile.writeInt("DisplayOptions", "XZoomTime", stored);
        TimeViewContext context;
        context.profile = &fixture.profile;
        TimeView view(context);
        EXPECT_EQ(view.zoomIndex(), read) << stored;
    }
    EXPECT_EQ(readSetting(fixture.profile, settings::kDisplayXZoomTime), 6); // written back at destroy
}

TEST(TimeViewWidget, WithoutASongOnlyTheBackgroundIsDrawnAndTheBarsAreOff)
{
    TimeView view(TimeViewContext{});
    view.resize(400, 200);
    view.initialUpdate();
    const QImage image = view.grab().toImage();
    EXPECT_EQ(image.pixel(10, 10), image.pixel(300, 150));
    EXPECT_FALSE(view.horizontalBar()->zoomInButton()->isEnabled());
    EXPECT_FALSE(view.horizontalBar()->arrowButton(1)->isEnabled());
}

// Over a user track's lane before the measure map ends; the song's end
// tick may lie earlier, inside the last measure.
TEST(TimeViewWidget, HoveringALaneNamesTheTrackAndTimeOnlyOverATrackBeforeTheMeasuresEnd)
{
    TimeWidgetRig rig;
    rig.song->endTick = 100;
    rig.song->measureMapEnd = 480;
    rig.view->songUpdate(0);
    const ClipGeometry g = rig.view->geometryNow();
    const auto status = [&](int32_t tick, int row) {
        rig.fixture.host.log.clear();
        mouse::hover(rig.view.get(), QPoint(g.xOfTick(tick), g.lanes.rowY(row) + 5));
        return rig.fixture.host.log.calls().empty() ? std::string("none") : rig.fixture.host.log.calls().back();
    };
    EXPECT_EQ(status(240, 2), "SetStatusText(Track 2 @ 1:3:000)") << "past the end tick, in the last measure";
    EXPECT_EQ(status(240, 4), "SetStatusText()") << "the row after the last track";
    EXPECT_EQ(status(600, 2), "SetStatusText()") << "beyond the measures";
}

} // namespace
} // namespace rz
