// Insert > Cue..., Edit > Properties on a cue, the set pane's Properties on
// a marker and a song, Transport > Go to... and File > Stats... in the whole
// program, each through its own dialog over the main frame.

#include "tests/app/app_test_fixture.h"
#include "app/file_opening.h"
#include "app/flat_tool_bar.h"
#include "tests/app/small_song.h"
#include "tests/song/smf_builder.h"
#include "modal_dialog.h"
#include "dialogs/cue_props_dlg.h"
#include "dialogs/goto_dlg.h"
#include "dialogs/song_props_dlg.h"
#include "dialogs/stats_dlg.h"
#include "dialogs/time_pos_ctrl.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "set/ui/set_pane.h"
#include "song/cue.h"
#include "song/selection.h"
#include "ui/command_router.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>

#include <fstream>

namespace rz {
namespace {

class CueSongGotoStatsCommands : public AppFixture {
protected:
    struct NoTrash : ITrash {
        bool moveToTrash(const std::filesystem::path&) override { return false; }
    };

    // The current song, 40 measures of 4/4 at 120 per quarter.
    CSongDoc& currentSong()
    {
        start();
        CSongDoc& song = addSong("A");
        song.endTick = 40 * 480;
        song.ExtendMeasureMap();
        app->SetCurrentSong(&song);
        return song;
    }
    static CCue& addCue(CSongDoc& song, int kind, int32_t time, int32_t secondTime)
    {
        auto cue = std::make_unique<CCue>();
        cue->kind = kind;
        cue->time = time;
        cue->secondTime = secondTime;
        cue->name = "Verse";
        CCue& added = *cue;
        song.cues.push_back(std::move(cue));
        return added;
    }
    template <class Dialog>
    bool run(CommandId id, const std::function<void(Dialog&)>& answer)
    {
        return answerModal<Dialog>([&] { app->router().execute(id); }, answer);
    }

    NoTrash trash;
};

TEST_F(CueSongGotoStatsCommands, InsertCueAddsAMarkerAtThePosition)
{
    CSongDoc& song = currentSong();
    song.setPosition(960);
    QString caption;
    EXPECT_TRUE(run<CCuePropsDlg>(kIdInsertCue, [&](CCuePropsDlg& dialog) {
        caption = dialog.windowTitle();
        dialog.labelEdit()->setText("Bridge");
        dialog.accept();
    }));
    EXPECT_EQ(caption, "Insert cue...");
    ASSERT_EQ(song.cues.size(), 1u);
    EXPECT_EQ(song.cues[0]->kind, kCueMarker);
    EXPECT_EQ(song.cues[0]->time, 960);
    EXPECT_EQ(song.cues[0]->secondTime, 960);
    EXPECT_EQ(song.cues[0]->name, "Bridge");
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.back()->label, "Insert Cue");
    ASSERT_TRUE(song.Undo());
    EXPECT_TRUE(song.cues.empty());
}

TEST_F(CueSongGotoStatsCommands, PropertiesOnASelectedCueMovesIt)
{
    CSongDoc& song = currentSong();
    CCue& cue = addCue(song, kCueCaesura, 480, 960);
    ++song.selectionStamp;
    song.selectionKind = kSelectCues;
    cue.selectionStamp = song.selectionStamp;
    ASSERT_TRUE(app->router().update(kIdProperties).enabled);
    EXPECT_TRUE(run<CCuePropsDlg>(kIdProperties, [&](CCuePropsDlg& dialog) {
        dialog.stopPosition()->setTick(1440);
        dialog.restartPosition()->setTick(1920);
        dialog.accept();
    }));
    ASSERT_EQ(song.cues.size(), 1u);
    EXPECT_EQ(song.cues[0]->time, 1440);
    EXPECT_EQ(song.cues[0]->secondTime, 1920);
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.back()->label, "Edit Cue Properties");
}

TEST_F(CueSongGotoStatsCommands, TheSetPanesPropertiesChangeAMarkersTimesAndASongsTitle)
{
    viewFactory.registerView(ViewKind::SetTree, [this](const ViewRequest& request) {
        return new SetPane(app->set(), app->statusLine(), trash, app->profile(), request.parent);
    });
    CSongDoc& song = currentSong();
    addCue(song, kCueMarker, 480, 480);
    app->set().UpdateMarkers(song);
    auto* pane = qobject_cast<SetPane*>(app->views().slot(ViewSlots::kLive));
    ASSERT_NE(pane, nullptr);
    SetTreeItem* songItem = app->set().tree().itemsOf(&song).front();
    ASSERT_EQ(songItem->children.size(), 1u);
    SetTreeItem* marker = songItem->children.front().get();

    EXPECT_TRUE(answerModal<CCuePropsDlg>([&] { pane->commands().EditProperties(marker); },
                                          [](CCuePropsDlg& dialog) {
                                              dialog.restartPosition()->setTick(1440);
                                              dialog.accept();
                                          }));
    ASSERT_EQ(song.cues.size(), 1u);
    EXPECT_EQ(song.cues[0]->time, 1440); // a Marker stops where it restarts
    EXPECT_EQ(song.cues[0]->secondTime, 1440);

    EXPECT_TRUE(answerModal<CSongPropsDlg>([&] { pane->commands().EditProperties(songItem); },
                                           [](CSongPropsDlg& dialog) {
                                               dialog.titleEdit()->setText("Encore");
                                               dialog.accept();
                                           }));
    EXPECT_EQ(song.title, "Encore");
    ASSERT_TRUE(song.Undo());
    EXPECT_EQ(song.title, "A");
    ASSERT_TRUE(song.Undo());
    EXPECT_EQ(song.cues[0]->secondTime, 480);
}

// A new time base scales the whole song in memory, the conductor track's end
// too: Transport > End goes to the end of the music, which lasts as long.
TEST_F(CueSongGotoStatsCommands, ATimeBaseChangeKeepsTheEndOnTheMusic)
{
    start();
    // At 480 per quarter: a tempo change at bar 9, one note through bar 16.
    test::TrackBuilder conductor;
    conductor.meta(0, 0x58, {4, 2, 24, 8}).meta(0, 0x51, {0x07, 0xA1, 0x20}).meta(8 * 1920, 0x51, {0x06, 0x1A, 0x80});
    conductor.end();
    test::TrackBuilder notes;
    notes.event(0, {0x90, 60, 100}).event(16 * 1920, {0x80, 60, 0}).end();
    test::SmfBuilder smf;
    smf.header(1, 2, 480).track(conductor).track(notes);
    const std::filesystem::path path = testHome() / "timebase.mid";
    const std::vector<uint8_t>& bytes = smf.bytes();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    CSongDoc* song = app->opening().OpenDocumentFile(path);
    ASSERT_NE(song, nullptr);
    ASSERT_EQ(song->endTick, 16 * 1920);
    const double length = song->length;
    ASSERT_EQ(app->frame()->staffTools().duration, 480); // a quarter note

    prompt.expectYesNo("timing of some MIDI events", PromptAnswer::Yes);
    EXPECT_TRUE(answerModal<CSongPropsDlg>([&] { song->EditSongProperties(); }, [](CSongPropsDlg& dialog) {
        dialog.timeBaseList()->setCurrentIndex(dialog.timeBaseList()->findData(96));
        dialog.accept();
    }));
    ASSERT_EQ(song->timeBase, 96);
    // A quarter note drawn or inserted now lasts a quarter of the new base.
    EXPECT_EQ(app->frame()->staffTools().duration, 96);
    EXPECT_EQ(app->frame()->toolBar()->durationField()->text(), "96");
    EXPECT_TRUE(app->router().execute(kIdGoToEnd));
    EXPECT_EQ(song->position(), 16 * 384);
    EXPECT_EQ(song->endTick, 16 * 384);
    EXPECT_DOUBLE_EQ(song->length, length);
}

TEST_F(CueSongGotoStatsCommands, GoToLocatesWhileStoppedAndJumpsAtTheMeasureEndWhilePlaying)
{
    CSongDoc& song = currentSong();
    addCue(song, kCueMarker, 1920, 1920);
    bool overFrame = false;
    EXPECT_TRUE(run<CGotoDlg>(kIdGoToPosition, [&](CGotoDlg& dialog) {
        overFrame = dialog.parentWidget() == app->frame();
        dialog.positionCtrl()->setTick(2400);
        dialog.accept();
    }));
    EXPECT_TRUE(overFrame);
    EXPECT_EQ(song.position(), 2400);

    engine.state = TransportState::Playing;
    song.setPosition(500);
    EXPECT_TRUE(run<CGotoDlg>(kIdGoToPosition, [&](CGotoDlg& dialog) {
        dialog.markerList()->setCurrentItem(dialog.markerList()->topLevelItem(0));
        dialog.accept();
    }));
    EXPECT_EQ(song.position(), 500); // playback moves, not the cursor
    const int32_t tenth = song.timeBase / 10;
    EXPECT_EQ(engine.stop.jumpFrom, 960 - tenth); // the end of the measure playing
    EXPECT_EQ(engine.stop.jumpTo, 1920 - tenth);

    // Cancel goes nowhere.
    engine.state = TransportState::Stopped;
    EXPECT_TRUE(run<CGotoDlg>(kIdGoToPosition, [&](CGotoDlg& dialog) {
        dialog.positionCtrl()->setTick(0);
        dialog.reject();
    }));
    EXPECT_EQ(song.position(), 500);
}

TEST_F(CueSongGotoStatsCommands, StatsOnASongWithoutNotesShowsAWhitePicture)
{
    currentSong();
    QImage picture;
    EXPECT_TRUE(run<CStatsDlg>(kIdSongStats, [&](CStatsDlg& dialog) {
        picture = dialog.picture();
        dialog.reject();
    }));
    ASSERT_EQ(picture.size(), QSize(256, 128));
    QImage white(picture.size(), picture.format());
    white.fill(Qt::white);
    EXPECT_EQ(picture, white);
}

} // namespace
} // namespace rz
