#include "tests/app/staff_app_fixture.h"

#include "app/flat_status_bar.h"
#include "app/main_frame.h"
#include "res/command_ids.h"
#include "song/describe_song.h"
#include "tests/support/qt/mouse_events.h"
#include "ui/command_router.h"
#include "views/frame_timer_ids.h"

#include <QTest>

namespace rz {
namespace {

// 40 measures of staves (StaffAppFixture), with the torn-off staff windows.
class StaffViewApp : public StaffAppFixture {
protected:
    void startWithStaves() { StaffAppFixture::startWithStaves(40); }

    StaffView* tornOff(bool leadSheet) const
    {
        for (const auto& window : app->views().extraWindows())
            if (auto* view = dynamic_cast<StaffView*>(window.view.data()); view && view->leadSheet() == leadSheet)
                return view;
        return nullptr;
    }
};

TEST_F(StaffViewApp, ViewStaffAndViewLeadSheetShowTheRegisteredView)
{
    startWithStaves();
    ASSERT_TRUE(app->router().update(kIdViewStaff).enabled);
    ASSERT_TRUE(app->router().execute(kIdViewStaff));
    ASSERT_TRUE(processUntil([this] { return staffSlot() != nullptr; }));
    EXPECT_FALSE(staffSlot()->leadSheet());
    EXPECT_EQ(staffSlot()->song(), song);
    EXPECT_EQ(staffSlot()->model().staves.size(), 1u);
    EXPECT_TRUE(app->router().update(kIdViewStaff).checked);
    ASSERT_TRUE(app->router().execute(kIdViewLeadSheet));
    ASSERT_TRUE(processUntil([&] { return staffSlot() != nullptr && staffSlot()->leadSheet(); }));
    EXPECT_GT(staffSlot()->lines().lineCount(), 1);
}

TEST_F(StaffViewApp, TimersTwentyAndTwentyOneMakeTornOffWindows)
{
    startWithStaves();
    app->frame()->timers().start(frame_timer::kStaffWindow, 0);
    ASSERT_TRUE(processUntil([this] { return tornOff(false) != nullptr; }));
    app->frame()->timers().start(frame_timer::kLeadSheetWindow, 0);
    ASSERT_TRUE(processUntil([this] { return tornOff(true) != nullptr; }));
    EXPECT_TRUE(tornOff(false)->isWindow());
    EXPECT_EQ(tornOff(false)->windowTitle(), "Staff view");
    EXPECT_EQ(tornOff(true)->windowTitle(), "Lead sheet");
    EXPECT_EQ(tornOff(true)->song(), song);
    // The view's own tear-off command starts its timer.
    ASSERT_TRUE(tornOff(false)->handle(kIdSpawnTopLevelWindow));
    EXPECT_TRUE(app->frame()->timers().isActive(frame_timer::kStaffWindow));
}

TEST_F(StaffViewApp, ARefreshPassMovesTheCursor)
{
    startWithStaves();
    ASSERT_TRUE(app->router().execute(kIdViewStaff));
    ASSERT_TRUE(processUntil([this] { return staffSlot() != nullptr; }));
    StaffView& view = *staffSlot();
    view.resize(700, 300);
    song->UpdateViews();
    song->setPosition(1920 + 480);
    app->UpdateAllViews();
    const int first = view.cursorX();
    EXPECT_GT(first, view.model().measures[1].x);
    song->setPosition(1920 + 960);
    app->UpdateAllViews();
    EXPECT_GT(view.cursorX(), first);
}

// A note drawn with the mouse in the program's staff view is one step
// that Edit > Undo takes back whole.
TEST_F(StaffViewApp, ANoteDrawnInTheStaffIsOneUndoStep)
{
    startWithStaves();
    ASSERT_TRUE(app->router().execute(kIdViewStaff));
    ASSERT_TRUE(processUntil([this] { return staffSlot() != nullptr && staffSlot()->initialized(); }));
    StaffView& view = *staffSlot();
    view.resize(800, 400);
    app->frame()->staffTools().tool = 1;
    app->frame()->staffTools().noteType = 2;
    const CTrack& track = *song->tracks[1];
    const size_t events = track.events.size();
    const auto applied = [&] { return std::distance(song->undoList.begin(), song->undoPosition); };
    const auto drawAndUndo = [&] {
        const auto records = applied();
        QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, view.timeToPoint(240, 0, 3));
        ASSERT_EQ(applied(), records + 1);
        EXPECT_EQ(song->undoList.back()->label, "Draw Note");
        EXPECT_EQ(track.events.size(), events + 1);
        ASSERT_TRUE(app->router().execute(kIdEditUndo));
        EXPECT_EQ(track.events.size(), events);
    };
    // The first edit also settles the song's derived ends.
    drawAndUndo();
    const std::string before = DescribeSong(*song);
    drawAndUndo();
    EXPECT_TRUE(DescribeSong(*song) == before);
}

TEST_F(StaffViewApp, HoveringTheStaffNamesThePitchInTheStatusLine)
{
    startWithStaves();
    ASSERT_TRUE(app->router().execute(kIdViewStaff));
    ASSERT_TRUE(processUntil([this] { return staffSlot() != nullptr && staffSlot()->initialized(); }));
    // Middle C on the treble staff, in the second measure.
    mouse::hover(staffSlot(), staffSlot()->timeToPoint(4 * song->timeBase, 0, -6));
    const QString text = app->frame()->statusBar()->partText(1);
    EXPECT_EQ(text.toStdString(), "C4 (60) @ 2:1:000");
}

} // namespace
} // namespace rz
