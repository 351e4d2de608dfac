// Setup > MIDI ports in the whole program: greyed until the engine's
// dialogs register, then it opens the Ports dialog over the program's own
// sequencer.

#include "app/app.h"
#include "app/engine_dialogs.h"
#include "app/main_frame.h"
#include "core/profile.h"
#include "engine/ui/ports_dlg.h"
#include "res/command_ids.h"
#include "tests/support/fake_sequencer_services.h"
#include "tests/support/manual_engine_timer.h"
#include "tests/support/scripted_prompt.h"
#include "ui/command_router.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace rz {
namespace {

CPortsDlg* shownPortsDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<CPortsDlg*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

TEST(PortsDialogCommand, SetupMidiPortsOpensTheDialogOnceRegistered)
{
    MemoryProfile profile;
    ScriptedPrompt prompt;
    FakeMidiDevices devices;
    devices.addOutput("Synth");
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
        if (CPortsDlg* dialog = shownPortsDialog()) {
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
