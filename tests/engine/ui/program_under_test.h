#pragma once

// The whole program on fake MIDI devices and the manual engine timer, for
// the tests of the commands that open the engine's dialogs.

#include "app/app.h"
#include "core/profile.h"
#include "tests/support/fake_sequencer_services.h"
#include "tests/support/manual_engine_timer.h"
#include "modal_dialog.h"
#include "tests/support/scripted_prompt.h"

namespace rz {

struct ProgramUnderTest {
    // What an App is made with; add devices before.
    AppOptions options()
    {
        AppOptions options;
        options.profile = &profile;
        options.prompt = &prompt;
        options.singleInstance = false;
        options.showWindow = false;
        options.devices = &devices;
        options.timer = &timer;
        return options;
    }

    MemoryProfile profile;
    ScriptedPrompt prompt;
    FakeMidiDevices devices;
    ManualEngineTimer timer;
};

} // namespace rz
