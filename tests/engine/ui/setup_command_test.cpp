// Setup > MIDI ports in the whole program: greyed until the engine's
// dialogs register, then it opens the Ports dialog over the program's own
// sequencer.

#include "app/engine_dialogs.h"
#include "app/main_frame.h"
#include "engine/ui/ports_dlg.h"
#include "res/command_ids.h"
#include "tests/engine/ui/program_under_test.h"
#include "ui/command_router.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(PortsDialogCommand, SetupMidiPortsOpensTheDialogOnceRegistered)
{
    ProgramUnderTest program;
    program.devices.addOutput("Synth");
    App app(program.options());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(app.router().update(kIdMidiPorts).enabled);
    registerEngineDialogs(app);
    EXPECT_TRUE(app.router().update(kIdMidiPorts).enabled);

    std::string shownTitle;
    answerModal<CPortsDlg>([&] { app.router().execute(kIdMidiPorts); },
                           [&](CPortsDlg& dialog) {
                               shownTitle = dialog.windowTitle().toStdString();
                               dialog.reject();
                           });
    EXPECT_EQ(shownTitle, "MIDI ports");
    app.ExitInstance();
}

} // namespace
} // namespace rz
