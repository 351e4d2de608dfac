// Setup > Synchronization and Setup > Waveform Audio: greyed until the
// engine's dialogs register.

#include "app/engine_dialogs.h"
#include "app/main_frame.h"
#include "res/command_ids.h"
#include "tests/engine/ui/program_under_test.h"
#include "ui/command_router.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(SyncAndAudioCommands, EnabledOnceTheEngineDialogsRegister)
{
    ProgramUnderTest program;
    App app(program.options());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(app.router().update(kIdSynchronization).enabled);
    EXPECT_FALSE(app.router().update(kIdAudioDevices).enabled);
    registerEngineDialogs(app);
    EXPECT_TRUE(app.router().update(kIdSynchronization).enabled);
    EXPECT_TRUE(app.router().update(kIdAudioDevices).enabled);
    app.ExitInstance();
}

} // namespace
} // namespace rz
