// "Find" and its presets on a settings file of their own: save, list, load
// and delete, the note and duration fields, Set none, the opening choice,
// and criteria that find what the user asked for.

#include "dialogs/find_dlg.h"

#include "dialogs/find_presets.h"
#include "dialogs/spin_edit.h"
#include "res/command_ids.h"
#include "song/find_criteria_bytes.h"
#include "song/midi_event.h"
#include "song/selection.h"
#include "tests/song/song_fixture.h"
#include "ui/profile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace rz {
namespace {

class FindPresets : public testing::Test {
protected:
    SongContext context()
    {
        SongContext c = fixture.context();
        return SongContext{.profile = ini, .prompt = c.prompt, .host = c.host, .engine = c.engine,
                           .setLink = c.setLink, .trackRows = c.trackRows};
    }
    std::unique_ptr<CSongDoc> newSong()
    {
        auto s = std::make_unique<CSongDoc>(context());
        s->InitNewSong();
        return s;
    }
    static void typeName(CFindDlg& dialog, const char* name)
    {
        dialog.presetCombo()->setEditText(name);
    }
    static void leave(SpinEdit* edit, const char* text)
    {
        edit->setText(text);
        emit edit->focusLost();
    }

    TempFolder folder{"rz_find_"};
    Profile ini{folder.file("settings.ini")};
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = newSong();
};

TEST_F(FindPresets, StoreSavesListsLoadsAndDeletesAnyName)
{
    PresetStore store(ini);
    FindCriteria a;
    a.notes = 0;
    FindCriteria b;
    b.setTextPattern("Chorus");
    store.save("A/B", a);
    store.save("x\\y", b);
    store.setUseWhich("A/B");
    std::vector<std::string> names = store.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A/B", "x\\y"})) << "the opening choice is no preset";
    ASSERT_TRUE(ini.sync());
    Profile reread(folder.file("settings.ini"));
    PresetStore again(reread);
    EXPECT_EQ(again.load("A/B")->notes, 0);
    EXPECT_EQ(again.load("x\\y")->textPatternView(), "Chorus");
    EXPECT_EQ(again.useWhich(), "A/B");
    again.remove("A/B");
    EXPECT_FALSE(again.load("A/B"));
    EXPECT_EQ(again.names(), (std::vector<std::string>{"x\\y"}));
}

TEST_F(FindPresets, ListingStopsAtAHundredAndShortValuesLoad)
{
    PresetStore store(ini);
    for (int i = 0; i < 105; ++i)
        store.save("p" + std::to_string(i), FindCriteria{});
    EXPECT_EQ(store.names().size(), 100u);
    ini.writeBinary("FindPresets", "short", {1, 0, 0, 0});
    EXPECT_EQ(store.load("short")->findAll, 1);
    EXPECT_EQ(store.load("short")->notes, 1);
}

TEST_F(FindPresets, AFreshProfileOpensOnDefaultWithEveryKind)
{
    CFindDlg dialog(*song);
    EXPECT_EQ(dialog.windowTitle(), "Find");
    ASSERT_EQ(dialog.presetCombo()->count(), 1);
    EXPECT_EQ(dialog.presetCombo()->currentText(), "Default");
    for (size_t k = 0; k < kFindKindCount; ++k)
        EXPECT_TRUE(dialog.kindBox(FindKind(k))->isChecked()) << k;
    EXPECT_EQ(dialog.fromEdit(FindField::Note)->text(), "C-1 (0)");
    EXPECT_EQ(dialog.toEdit(FindField::Note)->text(), "G9 (127)");
    dialog.accept();
    EXPECT_EQ(toBytes(dialog.criteria()), toBytes(FindCriteria{}));
    EXPECT_TRUE(PresetStore(ini).load("Default"));
}

TEST_F(FindPresets, NoteAndDurationFieldsShowTheirOwnForm)
{
    song->timeBase = 480;
    song->ExtendMeasureMap();
    CFindDlg dialog(*song);
    const struct {
        const char* typed;
        const char* shown;
    } notes[] = {{"c4", "C4 (60)"}, {"60", "C4 (60)"}, {"e4", "E4 (64)"}, {"H", "C-1 (0)"}};
    for (const auto& c : notes) {
        leave(dialog.fromEdit(FindField::Note), c.typed);
        EXPECT_EQ(dialog.fromEdit(FindField::Note)->text(), c.shown) << c.typed;
    }
    leave(dialog.toEdit(FindField::Duration), "1.5");
    EXPECT_EQ(dialog.toEdit(FindField::Duration)->text(), "1:240");
    emit dialog.fromEdit(FindField::Note)->stepRequested(true);
    EXPECT_EQ(dialog.fromEdit(FindField::Note)->text(), "Db-1 (1)");
    dialog.accept();
    EXPECT_EQ(dialog.criteria().duration.maximum, 720);
}

TEST_F(FindPresets, SetNoneThenOkStoresNoKinds)
{
    CFindDlg dialog(*song);
    dialog.setNoneButton()->click();
    EXPECT_FALSE(dialog.fromEdit(FindField::Velocity)->isEnabled());
    EXPECT_FALSE(dialog.metaText()->isEnabled());
    dialog.accept();
    const FindCriteria stored = *PresetStore(ini).load("Default");
    for (const int32_t kind : {stored.polyPressure, stored.controllers, stored.text, stored.notes, stored.programs,
                               stored.pitchBend, stored.channelPressure, stored.sysex, stored.chords, stored.rpn,
                               stored.nrpn, stored.wedges})
        EXPECT_EQ(kind, 0);
    CFindDlg again(*song);
    again.setAllButton()->click();
    EXPECT_TRUE(again.kindBox(FindKind::Notes)->isChecked());
}

TEST_F(FindPresets, SavedPresetsAreSortedChosenAgainAndDeletedOnYes)
{
    {
        CFindDlg dialog(*song);
        typeName(dialog, "Verse");
        dialog.notBox(FindField::ControllerValue)->setChecked(true);
        dialog.chordNot()->setChecked(true);
        ASSERT_TRUE(dialog.handle(kIdSaveMap));
        EXPECT_EQ(dialog.presetCombo()->itemText(0), "Default");
        EXPECT_EQ(dialog.presetCombo()->itemText(1), "Verse");
        typeName(dialog, "Bridge");
        dialog.kindBox(FindKind::Sysex)->setChecked(false);
        dialog.accept();
    }
    const std::vector<uint8_t> verse = *ini.readBinary("FindPresets", "Verse");
    EXPECT_EQ(verse[136], 1);
    EXPECT_EQ(verse[272], 1);
    EXPECT_EQ(ini.readString("FindPresets", "UseWhich", ""), "Bridge");

    CFindDlg dialog(*song);
    EXPECT_EQ(dialog.presetCombo()->currentText(), "Bridge");
    EXPECT_EQ(dialog.presetCombo()->itemText(0), "Bridge");
    EXPECT_FALSE(dialog.kindBox(FindKind::Sysex)->isChecked());
    dialog.presetCombo()->setCurrentIndex(dialog.presetCombo()->findText("Verse"));
    EXPECT_TRUE(dialog.notBox(FindField::ControllerValue)->isChecked());
    EXPECT_TRUE(dialog.chordNot()->isChecked());
    EXPECT_TRUE(dialog.kindBox(FindKind::Sysex)->isChecked());

    fixture.prompt.expectYesNo("Delete 'Verse' - Are you sure?", PromptAnswer::Yes);
    ASSERT_TRUE(dialog.handle(kIdDeleteMap));
    EXPECT_FALSE(ini.readBinary("FindPresets", "Verse"));
    EXPECT_EQ(dialog.presetCombo()->findText("Verse"), -1);
    EXPECT_EQ(dialog.presetCombo()->currentIndex(), 0);
}

TEST_F(FindPresets, TheOpeningChoiceCannotBeAPresetName)
{
    CFindDlg dialog(*song);
    for (const char* name : {"UseWhich", "usewhich ", ""}) {
        typeName(dialog, name);
        CmdUi save;
        static_cast<CommandTarget&>(dialog).update(kIdSaveMap, save);
        EXPECT_FALSE(save.enabled) << name;
        EXPECT_FALSE(dialog.okButton()->isEnabled()) << name;
    }
    dialog.accept();
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(ini.readString("FindPresets", "UseWhich", "none"), "none");
}

TEST_F(FindPresets, ATypedNameKeepsWhatWasSetUp)
{
    CFindDlg dialog(*song);
    dialog.kindBox(FindKind::Wedges)->setChecked(false);
    typeName(dialog, "New one");
    EXPECT_FALSE(dialog.kindBox(FindKind::Wedges)->isChecked());
    CmdUi remove;
    static_cast<CommandTarget&>(dialog).update(kIdDeleteMap, remove);
    EXPECT_FALSE(remove.enabled);
    dialog.accept();
    EXPECT_EQ(PresetStore(ini).load("New one")->wedges, 0);
}

TEST_F(FindPresets, TheChordTextFindsItsChordOnlyWhileChordsAreSearched)
{
    CMidiEvent chord;
    chord.SetMetaText(0x01, "@DR;1;0;4;0;0;0;0;Cmaj7|Cmaj7");
    CMidiEvent other;
    other.SetMetaText(0x01, "@DR;1;0;4;0;0;0;0;Dm7|Dm7");
    CFindDlg dialog(*song);
    dialog.chordText()->setText("Cmaj7");
    dialog.accept();
    EXPECT_TRUE(MatchEvent(dialog.criteria(), chord));
    EXPECT_FALSE(MatchEvent(dialog.criteria(), other));

    CFindDlg cleared(*song);
    EXPECT_EQ(cleared.chordText()->text(), "Cmaj7");
    cleared.kindBox(FindKind::Chords)->setChecked(false);
    cleared.accept();
    EXPECT_FALSE(MatchEvent(cleared.criteria(), chord));
}

TEST_F(FindPresets, TimeRangeComesFromTheSelection)
{
    song->endTick = 1920;
    song->selectionKind = 0;
    CFindDlg none(*song);
    EXPECT_FALSE(none.timeBox()->isChecked());
    none.accept();
    EXPECT_EQ(none.criteria().timeRangeOn, 0);
    EXPECT_EQ(none.criteria().timeTo, 1920);

    song->selectionKind = kSelectTimeRange;
    song->selectionFrom = 480;
    song->selectionTo = 960;
    CFindDlg selected(*song);
    EXPECT_TRUE(selected.timeBox()->isChecked());
    selected.accept();
    EXPECT_EQ(selected.criteria().timeRangeOn, 1);
    EXPECT_EQ(selected.criteria().timeFrom, 480);
    EXPECT_EQ(selected.criteria().timeTo, 960);
}

} // namespace
} // namespace rz
