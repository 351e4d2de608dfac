#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "core/profile.h"
#include "mouse_events.h"
#include "recording_frame_host.h"
#include "recording_status_prompt.h"
#include "res/command_ids.h"
#include "scripted_target.h"
#include "ui/command_router.h"
#include "ui/command_text.h"
#include "ui/flat_combo_box_ex.h"
#include "ui/tool_images.h"

#include <QAbstractItemView>
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

TEST(FlatToolBar, EveryButtonRunsItsCommandThroughTheRouterAndHasATipAndAnImage)
{
    ToolBarFixture f;
    std::vector<std::string> expected;
    int buttons = 0;
    for (int i = 0; i < f.bar->itemCount(); ++i) {
        const ToolBarItemData item = f.bar->item(i);
        if (item.kind == Kind::Separator)
            continue;
        SCOPED_TRACE(item.id);
        EXPECT_FALSE(commandTipText(item.id).isEmpty());
        if (item.kind == Kind::Placeholder)
            continue;
        ++buttons;
        EXPECT_FALSE(toolImage(item.image).isNull());
        ASSERT_NE(f.bar->action(item.id), nullptr);
        f.bar->action(item.id)->setVisible(true);
        f.app.accepts(item.id);
        mouse::click(f.bar, f.bar->itemRect(i).center());
        expected.push_back("app:" + std::to_string(item.id));
    }
    EXPECT_EQ(buttons, 34);
    EXPECT_EQ(f.log, expected);
}

TEST(FlatToolBar, TheLyricHighlightStylesStartHidden)
{
    ToolBarFixture f;
    std::vector<CommandId> hidden;
    for (int i = 0; i < f.bar->itemCount(); ++i)
        if (f.bar->isItemHidden(i))
            hidden.push_back(f.bar->item(i).id);
    EXPECT_EQ(hidden, (std::vector<CommandId>{kIdBouncingBall, kIdHighlightSyllables,
                                              kIdHighlightLines, kIdShowObjectGrid}));
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
    f.app.accepts(kIdFileOpen).accepts(kIdSelect);
    mouse::click(f.bar, f.centreOf(kIdFileOpen));
    f.bar->action(kIdSelect)->setEnabled(false);
    mouse::click(f.bar, f.centreOf(kIdSelect));
    f.app.updates(kIdFileNew, disabledUi()).accepts(kIdFileNew);
    mouse::click(f.bar, f.centreOf(kIdFileNew)); // the router refuses it
    EXPECT_EQ(f.log, (std::vector<std::string>{"app:57601"}));
}

TEST(FlatToolBar, ShowingAHiddenButtonMakesRoomForIt)
{
    ToolBarFixture f;
    const QRect grid = f.bar->itemRect(39);
    f.bar->action(kIdBouncingBall)->setVisible(true);
    EXPECT_FALSE(f.bar->isItemHidden(41));
    EXPECT_EQ(f.bar->itemRect(41).left(), grid.right() + 1 + FlatToolBar::kSeparatorWidth);
    f.bar->action(kIdFileNew)->setVisible(false);
    EXPECT_EQ(f.bar->itemRect(5).left(), f.bar->itemRect(3).right() + 1);
}

TEST(FlatToolBar, PressedLookSwapsTheImageAndDisablesEditMode)
{
    ToolBarFixture f;
    EXPECT_EQ(f.bar->shownImage(1), 31);
    f.bar->setPressed(true);
    EXPECT_EQ(f.bar->shownImage(1), 34);
    EXPECT_FALSE(f.bar->action(kIdEditMode)->isEnabled());
    f.bar->action(kIdEditMode)->setEnabled(true); // set by someone else meanwhile
    f.bar->setPressed(true);                // unchanged: nothing happens
    EXPECT_TRUE(f.bar->action(kIdEditMode)->isEnabled());
    f.bar->setPressed(false);
    EXPECT_EQ(f.bar->shownImage(1), 31);
    EXPECT_TRUE(f.bar->action(kIdEditMode)->isEnabled());
}

TEST(FlatToolBar, HoverShowsThePromptOfVisibleButtonsAndLeavingTheIdlePrompt)
{
    RecordingStatusPrompt prompt;
    ToolBarFixture f;
    mouse::hover(f.bar, f.centreOf(kIdFileSave));
    EXPECT_EQ(prompt.shown(), kIdFileSave);
    mouse::hover(f.bar, f.bar->itemRect(3).center()); // a separator
    EXPECT_EQ(prompt.shown(), kIdFileSave);
    mouse::leave(f.bar);
    EXPECT_EQ(prompt.shown(), kIdlePromptId);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(f.bar->gridBox(), &enter);
    EXPECT_EQ(prompt.shown(), kIdGridResolution);
}

// A grid chosen from the box's list leaves the pointer elsewhere: the
// prompt goes back to idle instead of staying on the box's text.
TEST(FlatToolBar, ChoosingAGridFromTheListGivesTheIdlePromptBack)
{
    RecordingStatusPrompt prompt;
    ToolBarFixture f;
    FlatComboBoxEx* grid = f.bar->gridBox();
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(grid, &enter);
    ASSERT_EQ(prompt.shown(), kIdGridResolution);
    grid->showPopup();
    ASSERT_TRUE(grid->view()->isVisible());
    grid->hidePopup();
    ASSERT_FALSE(grid->view()->isVisible());
    EXPECT_EQ(prompt.shown(), kIdlePromptId);
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
