#include "velocity_rig.h"

#include "res/command_ids.h"
#include "song/selection.h"
#include "tests/support/qt/mouse_events.h"
#include "ui/color_ref.h"
#include "views/piano/velocity_view.h"

#include <QImage>

#include <gtest/gtest.h>

namespace rz {
namespace {

constexpr Color kNavy = 0x38140C;

// The view 800 x 400 at time zoom 8 (a column a tick) over one shown track
// holding notes at ticks 100 (velocity 64) and 200 (velocity 100), with
// the key area scrolled so that both heads are in sight.
struct VelocityWidgetRig : VelocityRig {
    std::unique_ptr<VelocityView> view = std::make_unique<VelocityView>();
    int number = 0;

    VelocityWidgetRig()
    {
        fixture.host.zoom = 8;
        number = addTrack();
        track(number).events = {test::note(100, 60, 64, 40), test::note(200, 62, 100, 40)};
        view->resize(800, 400);
        view->attach(*song);
        view->initialUpdate();
        view->scrollRowsTo(15);
    }
    ~VelocityWidgetRig()
    {
        if (view)
            view->detach();
    }
    QPoint head(int32_t tick, int velocity) const
    {
        return VelocityEdits::tickValueToPoint(view->geometryNow(), tick, velocity);
    }
    QImage picture() const { return view->grab().toImage(); }
    bool selected(size_t index) { return track(number).events[index].selectionStamp == song->selectionStamp; }
};

TEST(VelocityViewWidget, ANoteSelectedElsewhereShowsANavyHeadAtItsVelocity)
{
    VelocityWidgetRig rig;
    ASSERT_EQ(rig.view->shownTracks(), (std::vector<int>{rig.number}));
    const QPoint head = rig.head(100, 64);
    ASSERT_TRUE(rig.view->plotRect().contains(head));
    ASSERT_TRUE(rig.view->plotRect().contains(rig.head(200, 100)));
    EXPECT_EQ(rig.picture().pixel(head), qRgb(255, 255, 255)) << "white while not selected";
    rig.song->selectionStamp = 9;
    rig.track(rig.number).events[0].selectionStamp = 9;
    rig.view->songUpdate(0);
    const QImage image = rig.picture();
    EXPECT_EQ(image.pixel(head), fromColorRef(kNavy).rgb());
    EXPECT_EQ(image.pixel(rig.head(200, 100)), qRgb(255, 255, 255)) << "the other note's head";
}

TEST(VelocityViewWidget, TheHintShowsWithoutTracks)
{
    VelocityWidgetRig rig;
    const auto darkPixels = [&] {
        const QImage image = rig.picture();
        const QRect hint = rig.view->plotRect().adjusted(0, 90, 0, 0).intersected(QRect(0, 0, 800, 150));
        int dark = 0;
        for (int y = hint.top(); y <= hint.bottom(); ++y)
            for (int x = hint.left(); x <= hint.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 40;
        return dark;
    };
    rig.view->scrollRowsTo(0);
    const int withTrack = darkPixels();
    rig.fixture.trackRows.selected.clear();
    rig.view->songUpdate(0);
    EXPECT_TRUE(rig.view->shownTracks().empty());
    EXPECT_GT(darkPixels(), withTrack + 50) << "the hint's letters";
}

TEST(VelocityViewWidget, APressWhileTheTransportPlaysOnlyRelocates)
{
    VelocityWidgetRig rig;
    rig.fixture.engine.state = TransportState::Playing;
    const uint32_t stamp = rig.song->selectionStamp;
    mouse::press(rig.view.get(), rig.head(100, 64));
    mouse::dragTo(rig.view.get(), rig.head(100, 64) - QPoint(0, 100));
    mouse::release(rig.view.get(), rig.head(100, 64) - QPoint(0, 100));
    EXPECT_EQ(rig.fixture.engine.log.count("Play"), 1u);
    EXPECT_EQ(rig.song->selectionStamp, stamp);
    EXPECT_EQ(rig.track(rig.number).events[0].data2(), 64);
    EXPECT_TRUE(rig.song->undoList.empty());
}

TEST(VelocityViewWidget, AClickOnAHeadSelectsOnlyThatNoteAndShiftAdds)
{
    VelocityWidgetRig rig;
    rig.song->selectionStamp = 3;
    rig.track(rig.number).events[1].selectionStamp = 3;
    mouse::click(rig.view.get(), rig.head(100, 64));
    EXPECT_TRUE(rig.selected(0));
    EXPECT_FALSE(rig.selected(1)) << "a plain click starts a new selection";
    QTest::mouseClick(rig.view.get(), Qt::LeftButton, Qt::ShiftModifier, rig.head(200, 100));
    EXPECT_TRUE(rig.selected(0));
    EXPECT_TRUE(rig.selected(1));
    EXPECT_EQ(rig.song->selectionKind, kSelectEvents);
    EXPECT_EQ(rig.track(rig.number).events[0].data2(), 64);
    EXPECT_TRUE(rig.song->undoList.empty());
}

TEST(VelocityViewWidget, TheStatusLineGivesTheVelocityAndTimeUnderThePointer)
{
    VelocityWidgetRig rig;
    mouse::hover(rig.view.get(), rig.head(100, 64));
    EXPECT_TRUE(rig.fixture.host.log.contains("SetStatusText(Velocity=64 @ 1:1:100)"))
        << rig.fixture.host.log.calls().back();
}

} // namespace
} // namespace rz
