#include "res/command_ids.h"
#include "scripted_target.h"
#include "ui/command_router.h"
#include "ui/ui_updater.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QMenu>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

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

// Runs events until a zero-length timer started now has fired: everything
// queued before it has run, and a timer due later has not.
void runQueuedEvents()
{
    bool sentinel = false;
    QTimer::singleShot(0, [&sentinel] { sentinel = true; });
    QElapsedTimer waited;
    waited.start();
    while (!sentinel && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    ASSERT_TRUE(sentinel);
}

TEST_F(UiUpdating, UiUpdaterFollowsInputClipboardAndRequestsWithoutPolling)
{
    QAction stop("Stop");
    QWidget view;
    updater.addAction(&stop, kIdStop);
    app.accepts(kIdStop);
    int passes = 0;
    QObject::connect(&updater, &UiUpdater::updated, [&passes] { ++passes; });
    updater.start();
    runQueuedEvents();
    EXPECT_TRUE(stop.isEnabled()) << "a start brings every state up to date";

    CmdUi on;
    CmdUi off;
    off.enabled = false;
    const struct {
        const char* cause;
        std::function<void()> happen;
    } causes[] = {
        {"key released", [&view] {
             QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
             QApplication::sendEvent(&view, &release);
         }},
        {"mouse released", [&view] {
             QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                                 Qt::NoButton, Qt::NoModifier);
             QApplication::sendEvent(&view, &release);
         }},
        {"clipboard", [] { QGuiApplication::clipboard()->setText(QString::number(std::rand())); }},
        {"request", [this] { updater.requestUpdate(); }},
    };
    bool enabled = true;
    for (const auto& c : causes) {
        enabled = !enabled;
        app.updates(kIdStop, enabled ? on : off);
        c.happen();
        runQueuedEvents();
        EXPECT_EQ(stop.isEnabled(), enabled) << c.cause;
    }

    // Nothing happens: a timer due after the old poll period finds no pass ran.
    const int before = passes;
    bool sentinel = false;
    QTimer::singleShot(3 * UiUpdater::kIdlePeriodMs, [&sentinel] { sentinel = true; });
    QElapsedTimer waited;
    waited.start();
    while (!sentinel && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_TRUE(sentinel);
    EXPECT_EQ(passes, before);
}

} // namespace
} // namespace rz
