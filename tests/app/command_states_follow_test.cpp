// The command states follow the changes that move them, with no poll: the
// song's modified flag and the transport state reach File > Save at once.

#include "app/engine_calls.h"
#include "app/main_frame.h"
#include "app/menu_bar.h"
#include "app_test_fixture.h"
#include "res/command_ids.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace rz {
namespace {

// Runs events until a zero-length timer started now has fired: what was
// queued before it has run, and no periodic pass of 100 ms has come due.
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

class CommandStatesFollow : public AppFixture {};

TEST_F(CommandStatesFollow, SaveFollowsTheModifiedFlagAndTheTransportAtOnce)
{
    start();
    CSongDoc& song = addSong("Song");
    app->SetCurrentSong(&song);
    runQueuedEvents();
    const std::vector<QAction*> saves = app->frame()->menuBar()->commandActions(kIdFileSave);
    ASSERT_FALSE(saves.empty());
    QAction& save = *saves.front();
    EXPECT_FALSE(save.isEnabled());

    song.SetModifiedFlag(true);
    runQueuedEvents();
    EXPECT_TRUE(save.isEnabled()) << "a modified song can be saved";

    engine.state = TransportState::Playing;
    app->engineCalls().transportChanged();
    EXPECT_FALSE(save.isEnabled()) << "not while playing";

    engine.state = TransportState::Stopped;
    app->engineCalls().transportChanged();
    song.SetModifiedFlag(false);
    runQueuedEvents();
    EXPECT_FALSE(save.isEnabled()) << "nothing to save";
}

} // namespace
} // namespace rz
