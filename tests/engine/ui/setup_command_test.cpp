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
#include <QElapsedTimer>
#include <QTimer>

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

    // The dialog runs modally: a timer looks for it and closes it, and gives
    // up (closing every dialog) after a deadline so the test cannot hang.
    std::string shownTitle;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (CPortsDlg* dialog = shownDialog<CPortsDlg>()) {
            shownTitle = dialog->windowTitle().toStdString();
            dialog->reject();
        } else if (waited.elapsed() > 10000) {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* modal = qobject_cast<QDialog*>(widget))
                    modal->reject();
        }
    });
    poll.start(10);
    app.router().execute(kIdMidiPorts);
    poll.stop();
    EXPECT_EQ(shownTitle, "MIDI ports");
    app.ExitInstance();
}

} // namespace
} // namespace rz
