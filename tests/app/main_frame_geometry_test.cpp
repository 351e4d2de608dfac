#include "app/flat_status_bar.h"
#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "app/menu_bar.h"
#include "core/profile.h"
#include "recording_frame_host.h"
#include "ui/bitmap_push_button.h"
#include "ui/command_router.h"
#include "ui/fader_ctrl.h"
#include "views/pane_view.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace rz {
namespace {

using Button = MainFrame::Button;

struct FrameFixture {
    MemoryProfile profile;
    CommandRouter router;
    RecordingFrameHost host;
    std::unique_ptr<MainFrame> frame;

    MainFrame& make()
    {
        frame = std::make_unique<MainFrame>(profile, router, host);
        return *frame;
    }
    void showAt(QSize size)
    {
        frame->setGeometry(QRect(QPoint(20, 20), size));
        frame->show();
        QApplication::processEvents();
    }
};

TEST(MainFrameGeometry, PlacementKeepsTheWindowOnTheWorkArea)
{
    const QRect work(0, 0, 1600, 1000);
    const struct {
        const char* what;
        const char* left;
        const char* top;
        const char* width;
        const char* height;
        QRect expected;
    } cases[] = {
        {"nothing stored", nullptr, nullptr, nullptr, nullptr, {0, 0, 1600, 1000}},
        {"inside", "100", "50", "800", "600", {100, 50, 800, 600}},
        {"far right and below", "9000", "7000", "800", "600", {1530, 930, 800, 600}},
        {"far left and above", "-5000", "-20", "800", "600", {0, 0, 800, 600}},
        {"too large", "0", "0", "5000", "3000", {0, 0, 1600, 1000}},
        {"negative size", "10", "10", "-300", "-1", {10, 10, 640, 480}},
        {"not numbers", "abc", "1e3", "wide", "", {0, 0, 1600, 1000}},
        {"huge", "2147483647", "-2147483648", "2147483647", "2147483647", {1530, 0, 1600, 1000}},
    };
    for (const auto& c : cases) {
        MemoryProfile profile;
        const auto store = [&](const char* name, const char* value) {
            if (value)
                profile.writeString("WindowMetrics", name, value);
        };
        store("Left", c.left);
        store("Top", c.top);
        store("Width", c.width);
        store("Height", c.height);
        EXPECT_EQ(MainFrame::PreCreateWindow(profile, work), c.expected) << c.what;
    }
}

TEST(MainFrameGeometry, PositionOnAVanishedScreenComesBackToTheWorkArea)
{
    MemoryProfile profile;
    profile.writeInt("WindowMetrics", "Left", 1700); // the second screen, now gone
    profile.writeInt("WindowMetrics", "Top", 100);
    profile.writeInt("WindowMetrics", "Width", 1280);
    profile.writeInt("WindowMetrics", "Height", 1024);
    EXPECT_EQ(MainFrame::PreCreateWindow(profile, QRect(0, 0, 1600, 1000)),
              QRect(1530, 100, 1280, 1000));
    // A work area that does not start at 0 keeps the window on itself.
    EXPECT_EQ(MainFrame::PreCreateWindow(profile, QRect(1600, 0, 1280, 1024)),
              QRect(1700, 100, 1280, 1024));
    profile.writeInt("WindowMetrics", "Left", 0);
    EXPECT_EQ(MainFrame::PreCreateWindow(profile, QRect(1600, 0, 1280, 1024)).x(), 1600);
}

TEST(MainFrameGeometry, ControlsAndPanesSitWhereTheFramePlacesThem)
{
    FrameFixture f;
    MainFrame& frame = f.make();
    f.showAt({1200, 800});
    ASSERT_EQ(frame.size(), QSize(1200, 800));

    const struct {
        Button which;
        QPoint at;
    } buttons[] = {
        {Button::Close, {1172, 4}},       {Button::MaximizeRestore, {1154, 4}},
        {Button::Minimize, {1136, 4}},    {Button::TransposeUp, {70, 667}},
        {Button::TransposeDown, {50, 667}}, {Button::Record, {9, 701}},
        {Button::Stop, {58, 701}},        {Button::PlayStop, {91, 689}},
        {Button::Pause, {146, 701}},      {Button::NextSong, {197, 701}},
        {Button::PreviousSong, {197, 734}}, {Button::Tempo100, {262, 671}},
    };
    for (const auto& b : buttons)
        EXPECT_EQ(frame.button(b.which)->pos(), b.at) << int(b.which);

    EXPECT_EQ(frame.tempoFader()->geometry(), QRect(246, 607, 15, 145));
    EXPECT_EQ(frame.volumeFader()->geometry(), QRect(45, 749, 145, 15));
    EXPECT_EQ(frame.toolBar()->geometry(), QRect(10, 29, 1180, 27));
    EXPECT_EQ(frame.statusBar()->geometry(), QRect(56, 772, 1120, 24));
    const QRect bar = frame.menuBar()->geometry();
    EXPECT_EQ(bar.y(), 1);
    EXPECT_EQ(bar.right() + 1, 1200 - 68);
    EXPECT_EQ(bar.size(), frame.menuBar()->sizeHint());

    const struct {
        uint32_t id;
        QRect place;
    } panes[] = {
        {pane_id::kSetTree, {10, 60, 30, 539}},
        {pane_id::kTrackList, {41, 60, 414, 539}},
        {pane_id::kEditor, {456, 60, 734, 539}},
        {pane_id::kController, {456, 599, 734, 160}},
    };
    for (const auto& p : panes) {
        ASSERT_NE(frame.pane(p.id), nullptr) << p.id;
        EXPECT_EQ(frame.pane(p.id)->paneWidget()->geometry(), p.place) << p.id;
    }
}

// A pane that only counts the frame's requests.
class CountingPane : public QWidget, public PaneView {
public:
    QWidget* paneWidget() override { return this; }
    void placeInFrame(QSize frameSize) override { sizes.push_back(frameSize); }
    std::vector<QSize> sizes;
};

TEST(MainFrameGeometry, EveryResizeAsksThePanesToPlaceThemselves)
{
    FrameFixture f;
    MainFrame& frame = f.make();
    auto* pane = new CountingPane;
    frame.setPane(pane_id::kEditor, pane);
    EXPECT_EQ(pane->parentWidget(), &frame);
    EXPECT_EQ(frame.pane(pane_id::kEditor), pane);
    f.showAt({1000, 700});
    frame.resize(900, 650);
    QApplication::processEvents();
    ASSERT_FALSE(pane->sizes.empty());
    EXPECT_EQ(pane->sizes.back(), QSize(900, 650));
}

TEST(MainFrameGeometry, MaximisedHasNoMaskAndRestoringBringsItBackAndWritesTheSize)
{
    FrameFixture f;
    MainFrame& frame = f.make();
    f.showAt({1000, 700});
    EXPECT_FALSE(frame.mask().isEmpty());
    EXPECT_FALSE(frame.mask().contains(QPoint(0, 0))); // a rounded corner
    EXPECT_TRUE(frame.mask().contains(QPoint(500, 350)));
    EXPECT_TRUE(frame.mask().contains(QPoint(999, 350)));

    f.profile.writeInt("WindowMetrics", "Left", 20);
    f.profile.writeInt("WindowMetrics", "Top", 20);
    frame.systemCommand(MainFrame::kScMaximize);
    QApplication::processEvents();
    EXPECT_TRUE(frame.isMaximized());
    EXPECT_EQ(frame.pos(), QPoint(0, 0));
    EXPECT_EQ(f.profile.readInt("WindowMetrics", "Left", -1), 20); // the place to restore to
    EXPECT_EQ(f.profile.readInt("WindowMetrics", "Top", -1), 20);
    EXPECT_TRUE(frame.mask().isEmpty());
    EXPECT_EQ(f.profile.readInt("WindowMetrics", "Maximized", -1), 1);

    f.profile.removeValue("WindowMetrics", "Width");
    f.profile.removeValue("WindowMetrics", "Height");
    frame.systemCommand(MainFrame::kScRestore);
    QApplication::processEvents();
    EXPECT_FALSE(frame.isMaximized());
    EXPECT_FALSE(frame.mask().isEmpty());
    EXPECT_EQ(f.profile.readInt("WindowMetrics", "Maximized", -1), 0);
    EXPECT_EQ(f.profile.readInt("WindowMetrics", "Width", -1), frame.width());
    EXPECT_EQ(f.profile.readInt("WindowMetrics", "Height", -1), frame.height());
}

TEST(MainFrameGeometry, BeforeStartUpControlsArePlacedButNoMetricsWritten)
{
    FrameFixture f;
    f.host.startup = false;
    MainFrame& frame = f.make();
    f.showAt({1000, 700});
    frame.move(40, 30);
    QApplication::processEvents();
    EXPECT_EQ(frame.statusBar()->geometry(), QRect(56, 672, 920, 24));
    EXPECT_TRUE(f.profile.valueNames("WindowMetrics").empty());

    f.host.startup = true;
    frame.move(60, 50);
    frame.resize(1100, 720);
    QApplication::processEvents();
    EXPECT_EQ(f.profile.readInt("WindowMetrics", "Left", -1), 60);
    EXPECT_EQ(f.profile.readInt("WindowMetrics", "Top", -1), 50);
    EXPECT_EQ(f.profile.readInt("WindowMetrics", "Width", -1), 1100);
}

TEST(MainFrameGeometry, ViewSetTimeHidesTheTransposeButtonsFromTheStart)
{
    for (int viewSetTime : {0, 1}) {
        FrameFixture f;
        f.profile.writeInt("DisplayOptions", "ViewSetTime", viewSetTime);
        MainFrame& frame = f.make();
        EXPECT_EQ(frame.button(Button::TransposeUp)->isHidden(), viewSetTime != 0);
        EXPECT_EQ(frame.button(Button::TransposeDown)->isHidden(), viewSetTime != 0);
        EXPECT_FALSE(frame.button(Button::Tempo100)->isHidden());
    }
}

TEST(MainFrameGeometry, FramelessAndOnTopOnlyWhenAsked)
{
    for (int onTop : {0, 1}) {
        FrameFixture f;
        f.profile.writeInt("OSoptions", "alwaysontop", onTop);
        const Qt::WindowFlags flags = f.make().windowFlags();
        EXPECT_TRUE(flags & Qt::FramelessWindowHint);
        EXPECT_EQ(bool(flags & Qt::WindowStaysOnTopHint), onTop != 0);
        EXPECT_EQ(f.frame->minimumSize(), QSize(640, 480));
    }
}

TEST(MainFrameGeometry, StartsWithTheStoredMaximisedStateAndItsButton)
{
    FrameFixture f;
    f.profile.writeInt("WindowMetrics", "Maximized", 1);
    MainFrame& frame = f.make();
    EXPECT_EQ(frame.button(Button::MaximizeRestore)->bitmapId(), bitmap_id::kRestore);
    frame.ActivateFrame(true);
    QApplication::processEvents();
    EXPECT_TRUE(frame.isMaximized());
    EXPECT_EQ(frame.size(), QSize(1600, 1000));
    EXPECT_TRUE(f.host.called("UpdateTitle"));
}

} // namespace
} // namespace rz
