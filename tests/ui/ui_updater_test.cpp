#include "res/command_ids.h"
#include "scripted_target.h"
#include "ui/command_router.h"
#include "ui/ui_updater.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace rz {
namespace {

class UiUpdating : public testing::Test {
protected:
    UiUpdating() { router.setApplication(&app); }

    std::vector<std::string> log;
    ScriptedTarget app{"app", log};
    CommandRouter router;
    UiUpdater updater{router};
};

TEST_F(UiUpdating, UiUpdaterAppliesTheRoutersStateToActionsAndButtons)
{
    QAction save("Save");
    QWidget panel;
    auto* click = new QPushButton("Click", &panel);
    click->setCheckable(true);
    updater.addAction(&save, kIdFileSave);
    updater.addButton(click, kIdClickOnOff);
    EXPECT_FALSE(save.isEnabled()); // no handler yet
    EXPECT_FALSE(click->isEnabled());

    CmdUi on;
    on.checked = true;
    on.text = "Click on";
    app.accepts(kIdFileSave).accepts(kIdClickOnOff).updates(kIdClickOnOff, on);
    updater.updateNow();
    EXPECT_TRUE(save.isEnabled());
    EXPECT_TRUE(click->isEnabled());
    EXPECT_TRUE(click->isChecked());
    EXPECT_EQ(click->text(), "Click on");

    CmdUi hidden;
    hidden.visible = false;
    app.updates(kIdFileSave, hidden);
    updater.updateNow();
    EXPECT_FALSE(save.isVisible());
}

TEST_F(UiUpdating, UiUpdaterRefreshesAfterEachCommandAndBeforeAMenuShows)
{
    QAction undo("Undo");
    QMenu menu;
    menu.addAction(&undo);
    updater.addAction(&undo, kIdEditUndo);
    updater.watchMenu(&menu);
    app.accepts(kIdEditUndo).accepts(1);
    CmdUi labelled;
    labelled.text = "&Undo Draw Note";
    app.updates(kIdEditUndo, labelled);

    router.execute(1); // any command run refreshes every item
    EXPECT_EQ(undo.text(), "&Undo Draw Note");

    labelled.text = "&Undo Drag Clips and Cues";
    app.updates(kIdEditUndo, labelled);
    emit menu.aboutToShow();
    EXPECT_EQ(undo.text(), "&Undo Drag Clips and Cues");
}

TEST_F(UiUpdating, UiUpdaterIdleTimerRunsEvery100Ms)
{
    QAction stop("Stop");
    updater.addAction(&stop, kIdStop);
    ASSERT_FALSE(stop.isEnabled());
    app.accepts(kIdStop);
    updater.start();
    QElapsedTimer waited;
    waited.start();
    while (!stop.isEnabled() && waited.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_TRUE(stop.isEnabled());
    EXPECT_GE(waited.elapsed(), UiUpdater::kIdlePeriodMs / 2);
}

} // namespace
} // namespace rz
