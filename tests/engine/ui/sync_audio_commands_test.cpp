// Setup > Synchronization and Setup > Waveform Audio: greyed until the
// engine's dialogs register.

#include "app/app.h"
#include "app/engine_dialogs.h"
#include "app/main_frame.h"
#include "core/profile.h"
#include "res/command_ids.h"
#include "tests/support/fake_sequencer_services.h"
#include "tests/support/manual_engine_timer.h"
#include "tests/support/scripted_prompt.h"
#include "ui/command_router.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(SyncAndAudioCommands, EnabledOnceTheEngineDialogsRegister)
{
    MemoryProfile profile;
    ScriptedPrompt prompt;
    FakeMidiDevices devices;
    ManualEngineTimer timer;
    AppOptions options;
    options.profile = &profile;
    options.prompt = &prompt;
    options.singleInstance = false;
    options.showWindow = false;
    options.devices = &devices;
    options.timer = &timer;
    App app(options);
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
