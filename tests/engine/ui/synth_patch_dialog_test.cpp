// The patch-name editor offscreen: buttons and title, Cancel and OK, and
// the Device Setup button that opens it.

#include "engine/device_setup.h"
#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_numbers.h"
#include "engine/ui/edit_patch_dlg.h"
#include "engine/ui/edit_synth_dlg.h"
#include "engine/ui/port_setup_dlg.h"
#include "engine/ui/synth_patch_dlg.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/engine/synthdb/synth_db_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace rz {
namespace {

class SynthPatchDialog : public SequencerTest {
protected:
    void SetUp() override
    {
        ScriptedPrompt opening;
        database = SynthDatabase::open(dir.file(), opening);
    }

    std::unique_ptr<CSynthPatchDlg> open(decltype(SynthPatchDialogServices::schemaEditor) schemaEditor = nullptr)
    {
        auto dialog = std::make_unique<CSynthPatchDlg>(
            SynthPatchDialogServices{*database, prompt, nullptr, dir.path() / "Synths", std::move(schemaEditor)});
        dialog->setEditorRunners(
            [this](CEditSynthDlg& editor) {
                if (!synthEdit)
                    return false;
                synthEdit(editor);
                editor.accept();
                return editor.result() == QDialog::Accepted;
            },
            [this](CEditPatchDlg& editor) {
                if (!itemEdit)
                    return false;
                itemEdit(editor);
                editor.accept();
                return editor.result() == QDialog::Accepted;
            });
        return dialog;
    }

    SynthItem& synthNamed(CSynthPatchDlg& dialog, const std::string& name)
    {
        for (const auto& synth : dialog.model().root().children()) {
            if (synth->name() == name)
                return *synth;
        }
        throw std::runtime_error("no synth " + name);
    }

    std::string synthNames()
    {
        auto query = database->connection().prepare(
            R"(SELECT group_concat("SynthName", ',') FROM (SELECT "SynthName" FROM "synths" ORDER BY 1))");
        return query.step() ? query.columnText(0) : "";
    }

    SynthDbTempDir dir;
    std::unique_ptr<SynthDatabase> database;
    std::function<void(CEditSynthDlg&)> synthEdit;
    std::function<void(CEditPatchDlg&)> itemEdit;
};

TEST_F(SynthPatchDialog, ButtonsAndTitleFollowTheSelection)
{
    const auto dialog = open();
    ASSERT_TRUE(dialog->loaded());
    EXPECT_EQ(dialog->windowTitle(), "Synthesizers...");
    EXPECT_EQ(dialog->addButton()->text(), "Import synth");
    EXPECT_FALSE(dialog->removeButton()->isEnabled());

    SynthItem& gm = synthNamed(*dialog, "General MIDI");
    dialog->select(&gm);
    EXPECT_EQ(dialog->windowTitle(), "Synthesizers [General MIDI] ...");
    EXPECT_EQ(dialog->removeButton()->text(), "Remove synth");
    EXPECT_TRUE(dialog->exportButton()->isEnabled());

    dialog->select(dialog->model().group(gm, SynthGroup::Drumsets));
    EXPECT_EQ(dialog->addButton()->text(), "Insert drumset");
    EXPECT_EQ(dialog->removeButton()->text(), "Remove");
    EXPECT_FALSE(dialog->removeButton()->isEnabled());
    EXPECT_FALSE(dialog->exportButton()->isEnabled());

    dialog->select(dialog->model().group(gm, SynthGroup::Patches)->child(0));
    EXPECT_EQ(dialog->addButton()->text(), "Insert patch");
    EXPECT_EQ(dialog->removeButton()->text(), "Remove bank");
    EXPECT_EQ(dialog->viewItem(dialog->selectedItem())->text(0), "Bank 0 (0/0): General MIDI");
}

TEST_F(SynthPatchDialog, CancelWritesNothing)
{
    const std::string before = synthNames();
    const auto dialog = open();
    dialog->select(&synthNamed(*dialog, "General MIDI"));
    prompt.expectYesNo("Are you sure that you want to delete Synth: General MIDI?", PromptAnswer::Yes);
    QTest::keyClick(dialog->tree(), Qt::Key_Delete);
    EXPECT_TRUE(dialog->model().root().children().empty());
    EXPECT_EQ(dialog->windowTitle(), "Synthesizers...");
    dialog->reject();
    EXPECT_EQ(synthNames(), before);
}

TEST_F(SynthPatchDialog, AnEditRefusedOrCancelledLeavesTheTree)
{
    const auto dialog = open();
    SynthItem& gm = synthNamed(*dialog, "General MIDI");
    SynthItem& bank = *dialog->model().group(gm, SynthGroup::Patches)->child(0);
    dialog->select(bank.child(0));
    itemEdit = [](CEditPatchDlg& editor) {
        EXPECT_EQ(editor.windowTitle(), "Edit Patch Name");
        EXPECT_EQ(editor.numberEdit()->text(), "1");
        QTest::keyClicks(editor.numberEdit(), "0"); // "10": taken by program 9
    };
    prompt.expectMessage("That patch number is already in use.");
    EXPECT_EQ(dialog->EditItem(), 0);
    EXPECT_EQ(bank.child(0)->name(), "Acoustic Grand Piano");

    itemEdit = nullptr;
    dialog->select(&bank);
    QTest::keyClick(dialog->tree(), Qt::Key_Insert);
    EXPECT_EQ(bank.children().size(), 128u) << "a cancelled new patch is taken out again";
}

TEST_F(SynthPatchDialog, NoteSchemaShowsForDrumItemsOnceTheProgramGivesAnOpener)
{
    struct Opened {
        DrumSetRef set;
        int firstItem;
        QWidget* parent;
    };
    std::vector<Opened> opened;
    const auto withOpener = open([&](IDrumSchemaTree& tree, DrumSetRef set, int firstItem, QWidget* parent) {
        EXPECT_FALSE(tree.drumNotes(set).empty());
        opened.push_back({set, firstItem, parent});
    });
    const auto without = open();
    for (CSynthPatchDlg* dialog : {withOpener.get(), without.get()}) {
        SynthItem& gm = synthNamed(*dialog, "General MIDI");
        SynthItem& kit = *dialog->model().group(gm, SynthGroup::Drumsets)->child(0);
        const int gmIndex = static_cast<int>(gm.indexInParent());
        const struct Case {
            SynthItem* item;
            bool shown;
            int firstItem;
        } kCases[] = {
            {&kit, true, -1},
            {kit.child(7), true, 7},
            {dialog->model().group(gm, SynthGroup::Patches)->child(0)->child(0), false, 0},
        };
        for (const Case& c : kCases) {
            const bool expected = c.shown && dialog == withOpener.get();
            opened.clear();
            dialog->select(c.item);
            itemEdit = [&](CEditPatchDlg& editor) {
                EXPECT_EQ(!editor.schemaButton()->isHidden(), expected) << editor.windowTitle().toStdString();
                if (!expected)
                    return;
                editor.schemaButton()->click();
                ASSERT_EQ(opened.size(), 1u);
                EXPECT_EQ(opened[0].set, (DrumSetRef{gmIndex, 0}));
                EXPECT_EQ(opened[0].firstItem, c.firstItem);
                EXPECT_EQ(opened[0].parent, &editor);
            };
            dialog->EditItem();
            EXPECT_EQ(opened.size(), expected ? 1u : 0u);
        }
    }
    itemEdit = nullptr;
}

TEST_F(SynthPatchDialog, OkWritesAndDeviceSetupListsTheNewName)
{
    devices.addOutput("USB MIDI");
    profile.writeString("PortsToUse\\MIDIOUT\\0", "port", "USB MIDI");
    make().Init();
    CPortSetupDlg setup(0, {"USB MIDI", 33, 512}, *sequencer, readSynthChoices(database->synths()), nullptr);
    setup.setSynthEditor([this] {
        const auto dialog = open();
        dialog->select(&synthNamed(*dialog, "General MIDI"));
        synthEdit = [](CEditSynthDlg& editor) {
            editor.nameEdit()->setText("House Module");
            editor.checkBox(kTechUserSysex)->setChecked(true);
            QTest::keyClicks(editor.resetEdit(), "f0 7e 7f 09 01 f7");
        };
        EXPECT_EQ(dialog->EditItem(), 1);
        EXPECT_EQ(dialog->windowTitle(), "Synthesizers [House Module] ...");
        dialog->accept();
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        return readSynthChoices(database->synths());
    });
    ASSERT_TRUE(setup.synthDatabaseButton()->isEnabled());
    QTest::mouseClick(setup.synthDatabaseButton(), Qt::LeftButton);
    EXPECT_EQ(setup.synthCombo()->currentText(), "House Module");
    EXPECT_EQ(synthNames(), "House Module");
    auto query = database->connection().prepare(R"(SELECT "ResetSysex", "Technology" FROM "synths")");
    ASSERT_TRUE(query.step());
    EXPECT_EQ(query.columnText(0), "F0 7E 7F 09 01 F7");
    EXPECT_EQ(query.columnInt(1), 0x009 | kTechUserSysex);
}

TEST_F(SynthPatchDialog, ABadResetByteKeepsTheSynthEditorOpenWithTheByteSelected)
{
    CEditSynthDlg editor("Module", 8 | kTechUserSysex, "F0 41 F7 10 F7", prompt);
    prompt.expectMessage("F7 is not a valid hex byte (00-7F).");
    editor.accept();
    EXPECT_NE(editor.result(), QDialog::Accepted);
    EXPECT_EQ(editor.resetEdit()->textCursor().selectedText(), "F7");
    EXPECT_EQ(editor.resetEdit()->textCursor().selectionStart(), 6);
}

TEST_F(SynthPatchDialog, AWriteErrorIsShownAndTheDialogStaysOpen)
{
    const auto dialog = open();
    dialog->select(&synthNamed(*dialog, "General MIDI"));
    synthEdit = [](CEditSynthDlg& editor) { editor.nameEdit()->setText("Renamed"); };
    ASSERT_EQ(dialog->EditItem(), 1);
    database->connection().exec(
        R"(CREATE TRIGGER "refuse" BEFORE UPDATE ON "synths" BEGIN SELECT RAISE(ABORT, 'disk full'); END;)");
    prompt.expectMessage("disk full");
    dialog->accept();
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(synthNames(), "General MIDI");
}

} // namespace
} // namespace rz
