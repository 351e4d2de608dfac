#include "app/command_router.h"
#include "app/flat_combo_box_ex.h"
#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "core/profile.h"
#include "mouse_events.h"
#include "recording_frame_host.h"
#include "recording_status_prompt.h"
#include "scripted_target.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace rz {
namespace {

using Kind = ToolBarItemData::Kind;

struct ToolBarFixture {
    std::vector<std::string> log;
    ScriptedTarget app{"app", log};
    CommandRouter router;
    QWidget parent;
    FlatToolBar* bar = nullptr;

    ToolBarFixture()
    {
        router.setApplication(&app);
        parent.resize(1200, 40);
        bar = new FlatToolBar(router, &parent);
        bar->setGeometry(10, 5, 1180, 27);
        parent.show();
    }
    QPoint centreOf(CommandId id) const
    {
        for (int i = 0; i < bar->itemCount(); ++i)
            if (bar->item(i).id == id)
                return bar->itemRect(i).center();
        return {};
    }
};

TEST(FlatToolBar, HoldsTheFortyFiveItemsInOrderWithTheLastFourHidden)
{
    ToolBarFixture f;
    const std::vector<std::pair<CommandId, int>> expected = {
        {61498, 33}, {61497, 31}, {32811, 32}, {0, -1},    {57600, 17}, {57601, 18},
        {57603, 30}, {32817, 19}, {57607, 20}, {0, -1},    {57635, 21}, {57634, 22},
        {57637, 23}, {57643, 24}, {57644, 25}, {0, -1},    {503, 0},    {504, 1},
        {0, -1},     {32974, 2},  {32975, 3},  {0, -1},    {106, 4},    {107, 5},
        {108, 6},    {109, 7},    {110, 8},    {111, 9},   {112, 10},   {113, 11},
        {114, 12},   {0, -1},     {115, 13},   {116, 14},  {117, 15},   {0, -1},
        {507, -1},   {0, -1},     {502, 16},   {508, -1},  {0, -1},     {61456, 26},
        {61457, 27}, {61458, 28}, {61459, 29},
    };
    ASSERT_EQ(f.bar->itemCount(), 45);
    for (int i = 0; i < 45; ++i) {
        EXPECT_EQ(f.bar->item(i).id, expected[size_t(i)].first) << i;
        EXPECT_EQ(f.bar->item(i).image, expected[size_t(i)].second) << i;
        EXPECT_EQ(f.bar->isItemHidden(i), i >= 41) << i;
    }
    EXPECT_EQ(f.bar->item(36).kind, Kind::Placeholder);
    EXPECT_EQ(f.bar->item(39).kind, Kind::Placeholder);
    EXPECT_EQ(f.bar->itemRect(36).width(), FlatToolBar::kPlaceholderWidth);
    EXPECT_TRUE(f.bar->itemRect(41).isEmpty());
}

TEST(FlatToolBar, TheFieldAndTheGridBoxSitOverTheirPlaceHolders)
{
    ToolBarFixture f;
    const QRect durationPlace = f.bar->itemRect(36);
    EXPECT_EQ(f.bar->durationField()->geometry(), durationPlace.adjusted(0, 0, 0, -2));
    const QRect gridPlace = f.bar->itemRect(39);
    EXPECT_EQ(f.bar->gridBox()->geometry().topLeft(), gridPlace.topLeft());
    EXPECT_EQ(f.bar->gridBox()->width(), 140);
    EXPECT_EQ(f.bar->durationField()->alignment() & Qt::AlignRight, Qt::AlignRight);
}

TEST(FlatToolBar, TheDurationFieldRefusesLetters)
{
    ToolBarFixture f;
    QLineEdit* field = f.bar->durationField();
    field->setFocus();
    QTest::keyClicks(field, "12ab3-x4");
    EXPECT_EQ(field->text(), "1234");
}

TEST(FlatToolBar, AClickRunsTheCommandThroughTheRouterOnlyWhenEnabled)
{
    ToolBarFixture f;
    f.app.accepts(57601).accepts(503);
    mouse::click(f.bar, f.centreOf(57601));
    f.bar->action(503)->setEnabled(false);
    mouse::click(f.bar, f.centreOf(503));
    f.app.updates(57600, disabledUi()).accepts(57600);
    mouse::click(f.bar, f.centreOf(57600)); // the router refuses it
    EXPECT_EQ(f.log, (std::vector<std::string>{"app:57601"}));
}

TEST(FlatToolBar, ShowingAHiddenButtonMakesRoomForIt)
{
    ToolBarFixture f;
    const QRect grid = f.bar->itemRect(39);
    f.bar->action(61456)->setVisible(true);
    EXPECT_FALSE(f.bar->isItemHidden(41));
    EXPECT_EQ(f.bar->itemRect(41).left(), grid.right() + 1 + FlatToolBar::kSeparatorWidth);
    f.bar->action(57600)->setVisible(false);
    EXPECT_EQ(f.bar->itemRect(5).left(), f.bar->itemRect(3).right() + 1);
}

TEST(FlatToolBar, PressedLookSwapsTheImageAndDisablesEditMode)
{
    ToolBarFixture f;
    EXPECT_EQ(f.bar->shownImage(1), 31);
    f.bar->setPressed(true);
    EXPECT_EQ(f.bar->shownImage(1), 34);
    EXPECT_FALSE(f.bar->action(61498)->isEnabled());
    f.bar->action(61498)->setEnabled(true); // set by someone else meanwhile
    f.bar->setPressed(true);                // unchanged: nothing happens
    EXPECT_TRUE(f.bar->action(61498)->isEnabled());
    f.bar->setPressed(false);
    EXPECT_EQ(f.bar->shownImage(1), 31);
    EXPECT_TRUE(f.bar->action(61498)->isEnabled());
}

TEST(FlatToolBar, HoverShowsThePromptOfVisibleButtonsAndLeavingTheIdlePrompt)
{
    RecordingStatusPrompt prompt;
    ToolBarFixture f;
    mouse::hover(f.bar, f.centreOf(57603));
    EXPECT_EQ(prompt.shown(), 57603u);
    mouse::hover(f.bar, f.bar->itemRect(3).center()); // a separator
    EXPECT_EQ(prompt.shown(), 57603u);
    mouse::leave(f.bar);
    EXPECT_EQ(prompt.shown(), kIdlePromptId);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(f.bar->gridBox(), &enter);
    EXPECT_EQ(prompt.shown(), 508u);
}

TEST(FlatToolBar, DoubleClickOnPerformanceModeTogglesTheLookAndMarksAFileSetModified)
{
    for (bool fromFile : {true, false}) {
        MemoryProfile profile;
        CommandRouter router;
        RecordingFrameHost host;
        host.setFromFile = fromFile;
        MainFrame frame(profile, router, host);
        frame.resize(1200, 800);
        frame.show();
        FlatToolBar* bar = frame.toolBar();
        mouse::doubleClick(bar, bar->itemRect(1).center());
        EXPECT_TRUE(bar->isPressed());
        EXPECT_EQ(host.count("markSetModified"), fromFile ? 1 : 0);
        mouse::doubleClick(bar, bar->itemRect(1).center());
        EXPECT_FALSE(bar->isPressed());
    }
}

} // namespace
} // namespace rz
