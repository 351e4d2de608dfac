// Help in dialogs of several folders, the whole program around them: each
// opens its own page of the manual through the program's help opener,
// whether or not the code that opens the dialog hands it one.

#include "app/engine_dialogs.h"
#include "app/options/options_sheet.h"
#include "dialogs/insert_tempo_dlg.h"
#include "engine/synthdb/synth_db.h"
#include "engine/ui/edit_patch_dlg.h"
#include "engine/ui/synth_patch_dlg.h"
#include "res/command_ids.h"
#include "staff/perc_schema_dlg.h"
#include "tests/app/app_test_fixture.h"
#include "tests/support/qt/modal_dialog.h"
#include "ui/command_router.h"
#include "ui/help_opener.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QUrl>

namespace rz {
namespace {

class DialogHelpApp : public AppFixture {
protected:
    // The program with a song, its manual the one the build lays beside it,
    // and a browser that only notes the page and anchor it was asked for.
    void startWithManual()
    {
        start();
        app->SetCurrentSong(&addSong("A"));
        app->help().setFolder(helpFolderFor(std::filesystem::path(RZ_PROGRAM_PATH).parent_path()));
        app->help().setUrlOpener([this](const QUrl& url) {
            opened.push_back(url.fileName().toStdString() + "#" + url.fragment().toStdString());
            return true;
        });
    }

    // Presses the dialog's Help, wherever its layout puts it.
    static void pressHelp(QDialog& dialog)
    {
        for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
            if (button->text().remove('&') == "Help") {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << dialog.windowTitle().toStdString() << " has no Help";
    }

    // A drum note of the General MIDI synthesizer, whose edit offers its schema.
    static const SynthItem* firstDrumNote(CSynthPatchDlg& editor)
    {
        for (const auto& synth : editor.model().root().children()) {
            if (synth->name() == "General MIDI")
                return editor.model().group(*synth, SynthGroup::Drumsets)->child(0)->children().front().get();
        }
        ADD_FAILURE() << "no General MIDI synthesizer";
        return nullptr;
    }

    std::vector<std::string> opened;
};

TEST_F(DialogHelpApp, EachDialogsHelpOpensItsTopic)
{
    startWithManual();
    registerEngineDialogs(*app);

    EXPECT_TRUE(answerModal<COptions>([&] { app->router().execute(kIdOptions); }, [](COptions& sheet) {
        sheet.showPage(COptions::kRecord);
        pressHelp(sheet);
        sheet.reject();
    }));
    EXPECT_TRUE(answerModal<CInsertTempoDlg>([&] { app->router().execute(kIdInsertTempo); },
                                             [](CInsertTempoDlg& dialog) {
                                                 pressHelp(dialog);
                                                 dialog.reject();
                                             }));
    // Setup > Synth patch names, and the schema of a drum note's edit.
    bool schemaShown = false;
    EXPECT_TRUE(answerModal<CSynthPatchDlg>([&] { app->router().execute(kIdSynthPatchNames); }, [&](CSynthPatchDlg& editor) {
        pressHelp(editor);
        editor.select(firstDrumNote(editor));
        answerModal<CEditPatchDlg>([&] { editor.EditItem(); }, [&](CEditPatchDlg& edit) {
            schemaShown = answerModal<CPercSchemaDlg>([&] { edit.schemaButton()->click(); }, [](CPercSchemaDlg& schema) {
                pressHelp(schema);
                schema.reject();
            });
            edit.reject();
        });
        editor.reject();
    }));
    EXPECT_TRUE(schemaShown);

    EXPECT_EQ(opened, (std::vector<std::string>{"Options.htm#record", "Tempo.htm#INSERT", "Synths.htm#",
                                                "PSchema.htm#"}));
    app->ExitInstance();
}

} // namespace
} // namespace rz
