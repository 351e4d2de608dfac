// The track properties dialog in the whole program: Insert > Track through
// the router, and the set properties dialog's track properties.

#include "tests/app/app_test_fixture.h"
#include "modal_dialog.h"
#include "dialogs/spin_edit.h"
#include "dialogs/track_props_dlg.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "set/ui/set_props_dlg.h"
#include "song/track.h"
#include "song/undo_record.h"
#include "ui/command_router.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

namespace rz {
namespace {

class TrackPropsCommands : public AppFixture {
protected:
    // The current song: four measures, user tracks "Bass" and "Keys".
    CSongDoc& currentSong()
    {
        start();
        CSongDoc& song = addSong("A");
        song.contentFlag = true;
        song.endTick = 4 * 480;
        song.ExtendMeasureMap();
        for (const char* name : {"Bass", "Keys"}) {
            auto track = std::make_unique<CTrack>();
            track->name = name;
            song.tracks.insert(song.tracks.end() - 1, std::move(track));
        }
        app->SetCurrentSong(&song);
        return song;
    }
    static const CTrack* trackNamed(const CSongDoc& song, const std::string& name)
    {
        for (const auto& track : song.tracks)
            if (track->name == name)
                return track.get();
        return nullptr;
    }
};

TEST_F(TrackPropsCommands, InsertTrackAddsTheTrackAsTyped)
{
    CSongDoc& song = currentSong();
    ASSERT_TRUE(app->router().update(kIdInsertTrack).enabled);
    const size_t before = song.tracks.size();
    QString shownName;
    EXPECT_TRUE(answerModal<CTrackPropsDlg>([&] { app->router().execute(kIdInsertTrack); },
                                            [&](CTrackPropsDlg& dialog) {
                                                shownName = dialog.nameEdit()->text();
                                                dialog.nameEdit()->setText("Strings");
                                                dialog.timeEdit()->setText("-3000");
                                                dialog.playBox()->click(); // on: off
                                                dialog.accept();
                                            }));
    EXPECT_EQ(shownName, "New track");
    ASSERT_EQ(song.tracks.size(), before + 1);
    const CTrack* added = trackNamed(song, "Strings");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->timeOffset, -3000);
    EXPECT_EQ(added->playEnabled, 0);
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.back()->label, "Insert Track");
    ASSERT_TRUE(song.Undo());
    EXPECT_EQ(song.tracks.size(), before);
}

TEST_F(TrackPropsCommands, CancelRelocatesAndChangesNothing)
{
    CSongDoc& song = currentSong();
    const size_t before = song.tracks.size();
    const size_t relocations = engine.log.count("clearClipPlayLists");
    EXPECT_TRUE(answerModal<CTrackPropsDlg>([&] { app->router().execute(kIdInsertTrack); },
                                            [](CTrackPropsDlg& dialog) {
                                                dialog.nameEdit()->setText("Strings");
                                                dialog.reject();
                                            }));
    EXPECT_EQ(song.tracks.size(), before);
    EXPECT_TRUE(song.undoList.empty());
    EXPECT_EQ(engine.log.count("clearClipPlayLists"), relocations + 1);
}

TEST_F(TrackPropsCommands, TheSetsTrackPropertiesOpenTheDialogOnTheSelectedRows)
{
    CSongDoc& song = currentSong();
    CSetPropsDlg setDialog(app->set());
    ASSERT_EQ(setDialog.list()->topLevelItemCount(), 2);
    setDialog.list()->topLevelItem(0)->setSelected(true);
    setDialog.list()->topLevelItem(1)->setSelected(true);
    QString shownName = "?";
    EXPECT_TRUE(answerModal<CTrackPropsDlg>([&] { setDialog.editSelected(); },
                                            [&](CTrackPropsDlg& dialog) {
                                                shownName = dialog.nameEdit()->text();
                                                dialog.timeEdit()->setText("1500");
                                                dialog.accept();
                                            }));
    EXPECT_TRUE(shownName.isEmpty()); // two names: none shown
    const CTrack* bass = trackNamed(song, "Bass");
    const CTrack* keys = trackNamed(song, "Keys");
    ASSERT_NE(bass, nullptr); // both names kept
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(bass->timeOffset, 1500);
    EXPECT_EQ(keys->timeOffset, 1500);
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.back()->label, "Change Track Property");
}

} // namespace
} // namespace rz
