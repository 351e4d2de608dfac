// "Percussion display schema" offscreen on a schema tree of plain lists:
// what each row shows, every edit landing in the tree's words, the resets
// and copies, and the preview's note.

#include "staff/perc_schema_dlg.h"

#include "dialogs/spin_edit.h"
#include "staff/symbols/music_font.h"
#include "tests/support/fake_drum_schema_tree.h"
#include "tests/support/scripted_prompt.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace rz {
namespace {

const MusicFont& schemaFont()
{
    static const std::unique_ptr<MusicFont> font = MusicFont::load();
    return *font;
}

constexpr DrumSetRef kKit{1, 0};
constexpr DrumSetRef kRoom{1, 1};

// Synth 0 has one empty set; synth 1 a kit of notes 36, 42 and 70 (items
// 0, 2 and 3: item 1 has no number) and a room set of note 36 only.
class PercSchemaDialog : public testing::Test {
protected:
    PercSchemaDialog()
    {
        tree.synths = {{"General MIDI", {{"Standard", {}}}},
                       {"Module",
                        {{"Kit",
                          {FakeDrumSchemaTree::note(0, 36, "Kick", DrumNotation{1, 1, 0, 0}),
                           FakeDrumSchemaTree::note(2, 42, "Closed Hat", DrumNotation{0, 0, 0, 1}),
                           FakeDrumSchemaTree::note(3, 70, "Maracas", DrumNotation{3, 3, 2, 1})}},
                         {"Room", {FakeDrumSchemaTree::note(0, 36, "Kick", DrumNotation{3, 7, 3, 1})}}}}};
    }

    std::unique_ptr<CPercSchemaDlg> open(int firstItem = -1, DrumSetRef set = kKit)
    {
        return std::make_unique<CPercSchemaDlg>(tree, set, firstItem, &schemaFont(), prompt);
    }
    static void selectNote(CPercSchemaDlg& dialog, int note)
    {
        for (int row = 0; row < dialog.list()->topLevelItemCount(); ++row) {
            if (dialog.list()->topLevelItem(row)->text(0) == QString::number(note)) {
                dialog.list()->setCurrentItem(dialog.list()->topLevelItem(row));
                return;
            }
        }
        ADD_FAILURE() << "no row for note " << note;
    }
    DrumNotation stored(int note, DrumSetRef set = kKit) const { return unpackDrumNotation(tree.wordOf(set, note)); }

    FakeDrumSchemaTree tree;
    ScriptedPrompt prompt;
};

TEST_F(PercSchemaDialog, RowsShowTheSetsNotesAndTheFirstItemIsSelected)
{
    ASSERT_TRUE(schemaFont().ok()) << schemaFont().message().toStdString();
    const auto dialog = open(3);
    QTreeWidget* list = dialog->list();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(1)->text(1), "Closed Hat");
    EXPECT_EQ(list->topLevelItem(2)->text(3), "3");
    EXPECT_EQ(dialog->selectedRow(), 2u);
    EXPECT_EQ(dialog->headCombo()->currentText(), "Diamond");
    EXPECT_EQ(dialog->circleCombo()->currentText(), "Plus");
    EXPECT_EQ(dialog->articulationCombo()->currentText(), "Yes");
    EXPECT_EQ(dialog->offsetEdit()->text(), "3");
    EXPECT_FALSE(dialog->copyButton()->isEnabled()) << "no picker yet";

    const auto none = open(-1);
    EXPECT_EQ(none->selectedRow(), std::nullopt);
    EXPECT_FALSE(none->headCombo()->isEnabled());
    EXPECT_FALSE(none->offsetEdit()->isEnabled());
    EXPECT_EQ(tree.writes, 0) << "opening writes nothing";
}

TEST_F(PercSchemaDialog, GmDefaultsGiveNote70ATriangleAndNote42ACircledX)
{
    const auto dialog = open(0);
    prompt.expectYesNo("Set to defaults--are you sure?", PromptAnswer::No);
    dialog->defaultsButton()->click();
    EXPECT_EQ(tree.writes, 0) << "No changes nothing";

    prompt.expectYesNo("Set to defaults--are you sure?", PromptAnswer::Yes);
    dialog->defaultsButton()->click();
    selectNote(*dialog, 70);
    EXPECT_EQ(dialog->headCombo()->currentText(), "Triangle");
    EXPECT_EQ(dialog->offsetEdit()->text(), "-6");
    EXPECT_EQ(dialog->list()->currentItem()->text(3), "-6");
    selectNote(*dialog, 42);
    EXPECT_EQ(dialog->headCombo()->currentText(), "X");
    EXPECT_EQ(dialog->circleCombo()->currentText(), "Circle");
    EXPECT_EQ(dialog->articulationCombo()->currentText(), "No");
    EXPECT_EQ(dialog->offsetEdit()->text(), "5");
    EXPECT_EQ(tree.wordOf(kKit, 42) & 0xFF0000FFu, FakeDrumSchemaTree::kDrumNoteTag | kDrumItemChanged | 42u);
}

TEST_F(PercSchemaDialog, CopyingTakesTheSameNoteAndCancelChangesNothing)
{
    const auto dialog = open(0);
    std::optional<DrumSetRef> answer;
    int asked = 0;
    dialog->setPickSchemaSource([&](const IDrumSchemaTree& offered, QWidget*) {
        EXPECT_EQ(&offered, &tree);
        ++asked;
        return answer;
    });
    ASSERT_TRUE(dialog->copyButton()->isEnabled());
    const FakeDrumSchemaTree before = tree;
    dialog->copyButton()->click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(tree.writes, 0);
    for (const int note : {36, 42, 70})
        EXPECT_EQ(tree.wordOf(kKit, note), before.wordOf(kKit, note)) << note;

    answer = kRoom;
    dialog->copyButton()->click();
    EXPECT_EQ(stored(36), (DrumNotation{3, 7, 3, 1}));
    EXPECT_EQ(stored(70), (DrumNotation{2, -6, 0, 0})) << "the room set has no 70";
    EXPECT_EQ(dialog->headCombo()->currentText(), "Diamond") << "the selected row shows the copy";
    selectNote(*dialog, 70);
    EXPECT_EQ(dialog->headCombo()->currentText(), "Triangle");
    EXPECT_EQ(dialog->offsetEdit()->text(), "-6");
}

TEST_F(PercSchemaDialog, EveryComboChoiceRoundTripsThroughTheTree)
{
    const struct Case {
        QComboBox* (CPercSchemaDlg::*combo)() const;
        const char* choice;
        int DrumNotation::*field;
        int value;
    } kCases[] = {
        {&CPercSchemaDlg::circleCombo, "Plus", &DrumNotation::circle, 2},
        {&CPercSchemaDlg::circleCombo, "Bisected circle", &DrumNotation::circle, 3},
        {&CPercSchemaDlg::circleCombo, "None", &DrumNotation::circle, 0},
        {&CPercSchemaDlg::headCombo, "Square", &DrumNotation::head, 1},
        {&CPercSchemaDlg::headCombo, "X", &DrumNotation::head, 4},
        {&CPercSchemaDlg::articulationCombo, "Yes", &DrumNotation::articulation, 1},
    };
    for (const Case& c : kCases) {
        const DrumNotation before = stored(42);
        {
            const auto dialog = open(2);
            QComboBox* combo = ((*dialog).*c.combo)();
            combo->setCurrentIndex(combo->findText(c.choice));
        }
        DrumNotation expected = before;
        expected.*c.field = c.value;
        EXPECT_EQ(stored(42), expected) << c.choice;
        EXPECT_NE(tree.wordOf(kKit, 42) & kDrumItemChanged, 0u) << c.choice;
        const auto reopened = open(2);
        EXPECT_EQ(((*reopened).*c.combo)()->currentText(), c.choice);
    }
}

TEST_F(PercSchemaDialog, TypedOffsetsAreHeldToTheStoredRangeAndTheSpinToItsOwn)
{
    const auto dialog = open(3);
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    SpinEdit* edit = dialog->offsetEdit();
    const uint32_t kept = tree.wordOf(kKit, 70) & 0x7FFE0000u; // bits 17..30
    const struct {
        const char* typed;
        int stored;
    } kCases[] = {{"40", 23}, {"-20", -8}, {"12", 12}, {"x", 0}};
    for (const auto& c : kCases) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, c.typed);
        EXPECT_EQ(stored(70).offset, c.stored) << c.typed;
        EXPECT_EQ(tree.wordOf(kKit, 70) & 0x7FFE0000u, kept) << c.typed << ": the circle mark and tag stay";
        EXPECT_NE(tree.wordOf(kKit, 70) & kDrumItemChanged, 0u) << c.typed;
        EXPECT_EQ(dialog->list()->currentItem()->text(3), QString::number(c.stored)) << c.typed;
    }
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "40");
    EXPECT_EQ(edit->text(), "40");
    dialog->list()->setFocus(); // the edit shows what was stored once left
    EXPECT_EQ(edit->text(), "23");
    const struct {
        int from;
        bool up;
        int to;
    } kSteps[] = {{8, true, 8}, {-8, false, -8}, {23, true, 8}, {0, false, -1}};
    for (const auto& s : kSteps) {
        edit->setText(QString::number(s.from));
        emit edit->textEdited(edit->text());
        emit edit->stepRequested(s.up);
        EXPECT_EQ(stored(70).offset, s.to) << s.from;
        EXPECT_EQ(edit->text(), QString::number(s.to)) << s.from;
    }
}

TEST_F(PercSchemaDialog, ThePreviewDrawsTheRowsPercussionHeadAtItsOffset)
{
    const auto dialog = open(0);
    for (const int note : {36, 42, 70}) {
        selectNote(*dialog, note);
        const size_t row = *dialog->selectedRow();
        ASSERT_TRUE(dialog->previewItem().has_value()) << note;
        EXPECT_EQ(dialog->previewItem()->head, dialog->model().head(row)) << note;
        EXPECT_EQ(dialog->previewItem()->position, dialog->model().notation(row).offset) << note;
        // The head's ink lies in the picture, dark.
        const QImage picture = dialog->preview()->pixmap().toImage();
        ASSERT_EQ(picture.size(), QSize(CPercSchemaDlg::kPreviewSize, CPercSchemaDlg::kPreviewSize));
        const StaffRect ink = dialog->previewItem()->rect;
        int dark = 0;
        for (int y = std::max(0, ink.top); y <= std::min(63, ink.bottom); ++y)
            for (int x = std::max(0, ink.left); x <= std::min(63, ink.right); ++x)
                dark += qGray(picture.pixel(x, y)) < 128;
        EXPECT_GT(dark, 2) << note;
    }
    dialog->headCombo()->setCurrentIndex(dialog->headCombo()->findText("Square"));
    EXPECT_EQ(dialog->previewItem()->head, dialog->model().head(*dialog->selectedRow()));
}

} // namespace
} // namespace rz
