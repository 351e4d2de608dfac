#include "app/flat_status_bar.h"
#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "core/profile.h"
#include "mouse_events.h"
#include "recording_frame_host.h"
#include "res/command_ids.h"
#include "ui/bitmap_push_button.h"
#include "ui/command_router.h"
#include "ui/fader_ctrl.h"
#include "views/pane_view.h"

#include <QApplication>
#include <QWheelEvent>

#include <algorithm>

#include <gtest/gtest.h>

namespace rz {
namespace {

using Button = MainFrame::Button;

struct WindowFixture : testing::Test {
    MemoryProfile profile;
    CommandRouter router;
    RecordingFrameHost host;
    MainFrame frame{profile, router, host};

    void SetUp() override
    {
        frame.setGeometry(20, 20, 1000, 700);
        frame.show();
        QApplication::processEvents();
    }
    void wheel(int delta)
    {
        const QPointF at(600, 300);
        QWheelEvent event(at, frame.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&frame, &event);
    }
};

using FrameWheel = WindowFixture;
using MainFrameWindow = WindowFixture;

TEST_F(FrameWheel, WholeNotchesStepBeatsAwayBackTowardsForward)
{
    const struct {
        int delta;
        int back;
        int forward;
    } cases[] = {
        {240, 2, 0}, {-120, 0, 1}, {119, 0, 0}, {-359, 0, 2}, {0, 0, 0}, {600, 5, 0},
    };
    for (const auto& c : cases) {
        host.calls.clear();
        wheel(c.delta);
        EXPECT_EQ(host.count("stepBeatBack"), c.back) << c.delta;
        EXPECT_EQ(host.count("stepBeatForward"), c.forward) << c.delta;
    }
}

TEST_F(FrameWheel, WithoutACurrentSongNothingMoves)
{
    host.hasSong = false;
    wheel(480);
    EXPECT_EQ(host.count("stepBeatBack"), 1); // the first step finds no song and stops
}

TEST_F(MainFrameWindow, DoubleClickOnTheCaptionMaximisesAndTheButtonsSwap)
{
    mouse::doubleClick(&frame, QPoint(200, 10));
    QApplication::processEvents();
    EXPECT_TRUE(frame.isMaximized());
    BitmapPushButton* maxRestore = frame.button(Button::MaximizeRestore);
    EXPECT_EQ(maxRestore->bitmapId(), bitmap_id::kRestore);
    EXPECT_EQ(maxRestore->dlgCtrlId() >> 16, MainFrame::kScRestore);

    mouse::doubleClick(&frame, QPoint(200, 10)); // maximised: nothing
    EXPECT_TRUE(frame.isMaximized());
    mouse::click(maxRestore, QPoint(5, 5));
    QApplication::processEvents();
    EXPECT_FALSE(frame.isMaximized());
    EXPECT_EQ(maxRestore->bitmapId(), bitmap_id::kMaximize);
    EXPECT_EQ(profile.readInt("WindowMetrics", "Maximized", -1), 0);
}

TEST_F(MainFrameWindow, DoubleClickBelowTheCaptionDoesNothing)
{
    mouse::doubleClick(&frame, QPoint(200, 40));
    EXPECT_FALSE(frame.isMaximized());
}

TEST_F(MainFrameWindow, IsNeverSmallerThanTheMinimum)
{
    frame.resize(300, 200);
    EXPECT_EQ(frame.size(), QSize(640, 480));
}

TEST_F(MainFrameWindow, PanelButtonsRunTheirCommandsThroughTheRouter)
{
    struct Recorder : CommandTarget {
        std::vector<CommandId> ran;
        bool hasHandler(CommandId) const override { return true; }
        bool handle(CommandId id) override
        {
            ran.push_back(id);
            return true;
        }
        bool update(CommandId, CmdUi&) override { return false; }
    } app;
    router.setApplication(&app);
    mouse::click(frame.button(Button::Stop), QPoint(15, 15));
    mouse::click(frame.button(Button::PlayStop), QPoint(25, 25));
    EXPECT_EQ(app.ran, (std::vector<CommandId>{kIdStop, kIdPlayStop}));
    router.setApplication(nullptr);
}

TEST_F(MainFrameWindow, PrintPreviewHidesTheControlsAndBringsBackOnlyThose)
{
    profile.writeInt("DisplayOptions", "ViewSetTime", 1);
    MainFrame other(profile, router, host);
    other.resize(1000, 700);
    other.show();
    other.setPrintPreviewMode(true);
    EXPECT_TRUE(other.toolBar()->isHidden());
    EXPECT_TRUE(other.statusBar()->isHidden());
    EXPECT_TRUE(other.tempoFader()->isHidden());
    EXPECT_TRUE(other.button(Button::PlayStop)->isHidden());
    EXPECT_TRUE(other.pane(pane_id::kSetTree)->paneWidget()->isHidden());
    EXPECT_TRUE(other.pane(pane_id::kTrackList)->paneWidget()->isHidden());
    EXPECT_FALSE(other.pane(pane_id::kEditor)->paneWidget()->isHidden());
    EXPECT_FALSE(other.button(Button::Close)->isHidden());

    other.setPrintPreviewMode(false);
    EXPECT_FALSE(other.toolBar()->isHidden());
    EXPECT_FALSE(other.volumeFader()->isHidden());
    EXPECT_FALSE(other.pane(pane_id::kSetTree)->paneWidget()->isHidden());
    EXPECT_TRUE(other.button(Button::TransposeUp)->isHidden()); // hidden before, stays hidden
}

TEST_F(MainFrameWindow, StatusLineShowsPromptsAndTheStartTimerRuns)
{
    EXPECT_EQ(mainStatusPrompt(), &frame);
    EXPECT_EQ(frame.statusBar()->partText(0), "For Help, press F1");
    frame.setPromptId(kIdFileOpen);
    EXPECT_EQ(frame.statusBar()->partText(0), "Open a song or set");
    frame.statusBar()->setPartText(1, "measure 3");
    frame.clearStatusText();
    EXPECT_EQ(frame.statusBar()->partText(1), "");
    // The start timer is real: on a busy machine its 100 ms may pass while
    // the window first shows, and it has then run already.
    const auto ran = [&] { return std::count(host.timers.begin(), host.timers.end(), MainFrame::kStartTimerId); };
    EXPECT_TRUE(frame.timers().isActive(MainFrame::kStartTimerId) || ran() == 1);
    const auto before = ran();
    frame.timers().fire(MainFrame::kStartTimerId);
    EXPECT_EQ(ran(), before + 1);
    EXPECT_EQ(host.timers.back(), MainFrame::kStartTimerId);
}

TEST_F(MainFrameWindow, CaptionRepaintStripAndPanelBackground)
{
    EXPECT_EQ(frame.captionRect(), QRect(0, 0, 605, 28));
    EXPECT_EQ(frame.panelRect(), QRect(0, 488, 468, 212));
}

} // namespace
} // namespace rz
