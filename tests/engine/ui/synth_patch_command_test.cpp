// Setup > Synth patch names in the whole program: greyed until the engine's
// dialogs register, then it opens the patch-name editor over the program's
// own synthesizer database.

#include "app/engine_dialogs.h"
#include "app/main_frame.h"
#include "engine/ui/synth_patch_dlg.h"
#include "res/command_ids.h"
#include "tests/engine/ui/program_under_test.h"
#include "ui/command_router.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(SynthPatchCommand, SetupSynthPatchNamesOpensTheEditorOnceRegistered)
{
    ProgramUnderTest program;
    App app(program.options());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(app.router().update(kIdSynthPatchNames).enabled);
    registerEngineDialogs(app);
    EXPECT_TRUE(app.router().update(kIdSynthPatchNames).enabled);

    // The editor runs modally: a timer finds it and cancels it, and gives up
    // (closing every dialog) after a deadline so the test cannot hang.
    size_t synths = 0;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (CSynthPatchDlg* dialog = shownDialog<CSynthPatchDlg>()) {
            synths = dialog->model().root().children().size();
            dialog->reject();
        } else if (waited.elapsed() > 10000) {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* modal = qobject_cast<QDialog*>(widget))
                    modal->reject();
        }
    });
    poll.start(10);
    app.router().execute(kIdSynthPatchNames);
    poll.stop();
    EXPECT_GE(synths, 1u) << "the seeded General MIDI synthesizer";
    app.ExitInstance();
}

} // namespace
} // namespace rz
