#include "app/flat_status_bar.h"
#include "app/main_frame.h"
#include "app_test_fixture.h"
#include "tests/support/qt/mouse_events.h"
#include "ui/status_prompt.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

using StatusLine = AppFixture;

TEST_F(StatusLine, TheIdlePromptReadsDifferentlyInPerformanceMode)
{
    start();
    FlatStatusBar* bar = app->frame()->statusBar();
    EXPECT_EQ(bar->partText(0), "For Help, press F1");
    app->setPerformanceMode(true);
    EXPECT_EQ(bar->partText(0), "Performance mode--click mouse icon to edit");
    // A control shows its prompt, then hands back the idle one.
    mainStatusPrompt()->setPromptId(kIdFileOpen);
    EXPECT_NE(bar->partText(0), "Performance mode--click mouse icon to edit");
    mainStatusPrompt()->setPromptId(kIdlePromptId);
    EXPECT_EQ(bar->partText(0), "Performance mode--click mouse icon to edit");
    EXPECT_EQ(app->statusLine().promptId(), kPerformanceIdlePromptId);
    app->setPerformanceMode(false);
    EXPECT_EQ(bar->partText(0), "For Help, press F1");
}

TEST_F(StatusLine, AMouseMoveOverTheFrameClearsThePositionText)
{
    start();
    app->statusLine().setText("12:3:000 C4");
    EXPECT_EQ(app->frame()->statusBar()->partText(1), "12:3:000 C4");
    mouse::hover(app->frame(), QPoint(300, 300));
    EXPECT_EQ(app->frame()->statusBar()->partText(1), "");
}

TEST_F(StatusLine, PanesTwoAndThreeFollowTheSelection)
{
    start();
    CSongDoc& song = addSong("Sel");
    app->SetCurrentSong(&song);
    FlatStatusBar* bar = app->frame()->statusBar();
    bar->setPartText(3, "10:42"); // the clock
    app->frame()->UpdateToolbarButtons();
    EXPECT_EQ(bar->partText(2), "");
    EXPECT_EQ(bar->partText(3), "10:42");

    song.selectionFrom = song.timeBase * 2 + 10;
    song.selectionTo = song.timeBase * 3;
    app->frame()->UpdateToolbarButtons();
    std::string from, to;
    song.FormatTime(song.selectionFrom, from);
    song.FormatTime(song.selectionTo, to);
    EXPECT_EQ(bar->partText(2).toStdString(), from);
    EXPECT_EQ(bar->partText(3).toStdString(), to);
    EXPECT_EQ(from, " 1:3:010");

    song.selectionFrom = song.selectionTo = -1;
    app->frame()->UpdateToolbarButtons();
    EXPECT_EQ(bar->partText(2), "");
    EXPECT_EQ(bar->partText(3), "");
}

} // namespace
} // namespace rz
