// File > Exit ends the program's event loop, and only a loop that runs: the
// close leaves no quit pending for the modal loops that come after it.

#include "res/command_ids.h"
#include "tests/app/app_test_fixture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace rz {
namespace {

using AppExit = AppFixture;

TEST_F(AppExit, ExitInsideTheProgramsLoopEndsItWithZero)
{
    start();
    app->frame()->show();
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    deadline.start(10000);
    QTimer::singleShot(0, app.get(), [this] { app->router().execute(kIdAppExit); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    deadline.stop();
    EXPECT_FALSE(app->frame()->isVisible());
}

TEST_F(AppExit, ExitWithNoLoopRunningLeavesLaterModalLoopsRunning)
{
    start();
    app->frame()->show();
    EXPECT_TRUE(app->router().execute(kIdAppExit));
    EXPECT_FALSE(app->frame()->isVisible());
    QEventLoop dialogLoop;
    QTimer::singleShot(0, &dialogLoop, [&dialogLoop] { dialogLoop.exit(7); });
    EXPECT_EQ(dialogLoop.exec(), 7);
}

} // namespace
} // namespace rz
