// The percussion schema in the whole program: Setup > Synth patch names,
// a drum note's edit, its "Note schema..." button, and the drum word that
// OK stores in the program's synthesizer database.

#include "app/engine_dialogs.h"
#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_seed.h"
#include "engine/ui/edit_patch_dlg.h"
#include "engine/ui/synth_patch_dlg.h"
#include "res/command_ids.h"
#include "staff/perc_schema_dlg.h"
#include "tests/app/app_test_fixture.h"
#include "tests/support/qt/modal_dialog.h"
#include "ui/command_router.h"

#include <QComboBox>
#include <QPushButton>

namespace rz {
namespace {

class PercSchemaApp : public AppFixture {
protected:
    static SynthItem& gmNote(CSynthPatchDlg& editor, int note)
    {
        for (const auto& synth : editor.model().root().children()) {
            if (synth->name() != "General MIDI")
                continue;
            for (const auto& item : editor.model().group(*synth, SynthGroup::Drumsets)->child(0)->children()) {
                if (item->number() == note)
                    return *item;
            }
        }
        throw std::runtime_error("no General MIDI drum note " + std::to_string(note));
    }
};

TEST_F(PercSchemaApp, NoteSchemaOpensTheSchemaDialogAndOkStoresItsEdit)
{
    start();
    registerEngineDialogs(*app);
    SynthDatabase* database = app->database();
    ASSERT_NE(database, nullptr);
    ASSERT_EQ(database->lookup().drumNotation(kGeneralMidiSynthNumber, 0, 0, 42), (DrumNotation{4, 5, 1, 0}));

    bool buttonShown = false;
    int selectedNote = -1;
    bool schemaShown = false;
    answerModal<CSynthPatchDlg>([&] { app->router().execute(kIdSynthPatchNames); }, [&](CSynthPatchDlg& editor) {
        editor.select(&gmNote(editor, 42));
        answerModal<CEditPatchDlg>([&] { editor.EditItem(); }, [&](CEditPatchDlg& edit) {
            buttonShown = edit.schemaButton()->isVisible();
            schemaShown = answerModal<CPercSchemaDlg>([&] { edit.schemaButton()->click(); },
                                                      [&](CPercSchemaDlg& schema) {
                                                          if (const auto row = schema.selectedRow())
                                                              selectedNote = schema.model().row(*row).note;
                                                          QComboBox* circle = schema.circleCombo();
                                                          circle->setCurrentIndex(circle->findText("Plus"));
                                                          schema.accept();
                                                      });
            edit.reject(); // the schema's edits stand in the tree all the same
        });
        editor.accept();
    });
    EXPECT_TRUE(buttonShown);
    EXPECT_TRUE(schemaShown);
    EXPECT_EQ(selectedNote, 42);
    EXPECT_EQ(database->lookup().drumNotation(kGeneralMidiSynthNumber, 0, 0, 42), (DrumNotation{4, 5, 2, 0}));
    app->ExitInstance();
}

} // namespace
} // namespace rz
