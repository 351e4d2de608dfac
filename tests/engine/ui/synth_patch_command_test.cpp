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

    size_t synths = 0;
    answerModal<CSynthPatchDlg>([&] { app.router().execute(kIdSynthPatchNames); },
                                [&](CSynthPatchDlg& dialog) {
                                    synths = dialog.model().root().children().size();
                                    dialog.reject();
                                });
    EXPECT_GE(synths, 1u) << "the seeded General MIDI synthesizer";
    app.ExitInstance();
}

} // namespace
} // namespace rz
