// Edit > Apply in the whole program: the tempo multiplier and the tracks'
// playback offsets written into the current song through their dialogs.

#include "tests/app/app_test_fixture.h"
#include "modal_dialog.h"
#include "dialogs/apply_offsets_dlg.h"
#include "dialogs/insert_tempo_dlg.h"
#include "dialogs/tempo_series_dlg.h"
#include "res/command_ids.h"
#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/track.h"
#include "tests/song/song_builder.h"
#include "ui/command_router.h"
#include "views/track/track_view.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

#include <algorithm>

namespace rz {
namespace {

class TempoCommands : public AppFixture {
protected:
    // The current song at 120 per quarter with "Piano" (notes at 0 and 480)
    // and "Bass"; the real track list in its pane.
    CSongDoc& startWithSong()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        start();
        CSongDoc& song = addSong("A");
        for (const char* name : {"Piano", "Bass"}) {
            auto track = std::make_unique<CTrack>();
            track->name = name;
            song.tracks.insert(song.tracks.end() - 1, std::move(track));
        }
        song.tracks[1]->events = {test::note(0, 60, 90, 100), test::note(480, 64, 90, 100)};
        RebuildPlayImages(song, false);
        song.UpdateSongEnd();
        song.RecalcTempoTimes();
        song.ExtendMeasureMap();
        song.RecomputeMeasureStarts();
        app->SetCurrentSong(&song);
        return song;
    }

    // Whether the command is enabled in each transport state, performance
    // mode and current song: only with a song, stopped and editing.
    void expectSongStoppedEditing(CSongDoc& song, CommandId id)
    {
        for (const TransportState state : {TransportState::Stopped, TransportState::Playing, TransportState::Paused}) {
            for (const bool performance : {false, true}) {
                for (const bool current : {false, true}) {
                    engine.state = state;
                    app->setPerformanceMode(performance);
                    app->SetCurrentSong(current ? &song : nullptr);
                    SCOPED_TRACE(testing::Message() << "state " << int(state) << " performance " << performance
                                                    << " song " << current);
                    EXPECT_EQ(app->router().update(id).enabled,
                              current && state == TransportState::Stopped && !performance);
                }
            }
        }
        engine.state = TransportState::Stopped;
        app->setPerformanceMode(false);
        app->SetCurrentSong(&song);
    }
};

TEST_F(TempoCommands, ApplyTempoMultiplierNeedsAMultiplierOtherThanOneHundredPercent)
{
    CSongDoc& song = startWithSong();
    EXPECT_FALSE(app->router().update(kIdApplyTempoMultiplier).enabled);
    app->SetTempoMultiplier(110000, true);
    expectSongStoppedEditing(song, kIdApplyTempoMultiplier);
}

TEST_F(TempoCommands, ApplyTempoMultiplierRewritesTheMapAndReturnsToOneHundredPercent)
{
    CSongDoc& song = startWithSong();
    const std::string before = DescribeSong(song);
    app->SetTempoMultiplier(110000, true);
    ASSERT_TRUE(answerModal<CTempoRatioDlg>([&] { app->router().execute(kIdApplyTempoMultiplier); },
                                            [](CTempoRatioDlg& dialog) {
                                                EXPECT_TRUE(dialog.findChild<QAbstractButton*>("entire")->isChecked());
                                                dialog.accept();
                                            }));
    ASSERT_EQ(song.tempoMap.size(), 1u);
    EXPECT_EQ(song.tempoMap[0].tempo, 454545u);
    EXPECT_EQ(app->tempoMultiplier(), 100000);
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.back()->label, "Apply tempo ratio");
    EXPECT_FALSE(app->router().update(kIdApplyTempoMultiplier).enabled);
    ASSERT_TRUE(app->router().execute(kIdEditUndo));
    EXPECT_EQ(firstDifference(before, DescribeSong(song)), "");
}

TEST_F(TempoCommands, ARefusedRatioKeepsTheSongAndTheMultiplier)
{
    CSongDoc& song = startWithSong();
    song.tempoMap[0].tempo = 200000;
    song.RecalcTempoTimes();
    app->SetTempoMultiplier(150000, true); // 200000 µs would become 133333
    prompt.expectMessage("Unable to do this--resultant tempo would exceed limits.");
    ASSERT_TRUE(answerModal<CTempoRatioDlg>([&] { app->router().execute(kIdApplyTempoMultiplier); },
                                            [](CTempoRatioDlg& dialog) { dialog.accept(); }));
    EXPECT_TRUE(song.undoList.empty());
    EXPECT_EQ(app->tempoMultiplier(), 150000);
    EXPECT_EQ(song.tempoMap[0].tempo, 200000u);
}

TEST_F(TempoCommands, ApplyTrackOffsetsNeedsAUserTrackRow)
{
    startWithSong();
    TrackView* rows = app->trackView();
    rows->SelectNone();
    rows->SetCurrentRow(0); // the conductor
    EXPECT_FALSE(app->router().update(kIdApplyTrackOffsets).enabled);
    rows->SelectRow(2, true);
    EXPECT_TRUE(app->router().update(kIdApplyTrackOffsets).enabled);
    engine.state = TransportState::Playing;
    EXPECT_FALSE(app->router().update(kIdApplyTrackOffsets).enabled);
    engine.state = TransportState::Stopped;
    app->setPerformanceMode(true);
    EXPECT_FALSE(app->router().update(kIdApplyTrackOffsets).enabled);
    EXPECT_FALSE(app->router().execute(kIdApplyTrackOffsets)) << "a greyed command ran";
}

TEST_F(TempoCommands, ApplyTrackOffsetsWritesASelectedTracksKeyIntoItsNotes)
{
    CSongDoc& song = startWithSong();
    song.tracks[1]->key = 2;
    song.tracks[2]->key = 5; // not selected
    RebuildPlayImages(song, false);
    const std::string before = DescribeSong(song);
    app->trackView()->SelectRow(1, true);
    ASSERT_TRUE(answerModal<CTrackOffsetsDlg>([&] { app->router().execute(kIdApplyTrackOffsets); },
                                              [](CTrackOffsetsDlg& dialog) {
                                                  EXPECT_TRUE(dialog.findChild<QAbstractButton*>("selected1214")->isChecked());
                                                  dialog.accept();
                                              }));
    EXPECT_EQ(song.tracks[1]->key, 0);
    EXPECT_EQ(song.tracks[2]->key, 5);
    EXPECT_EQ((song.tracks[1]->events[0].message >> 8) & 0x7F, 62u);
    EXPECT_EQ((song.tracks[1]->events[1].message >> 8) & 0x7F, 66u);
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.back()->label, "Apply offsets");
    ASSERT_TRUE(app->router().execute(kIdEditUndo));
    EXPECT_EQ(firstDifference(before, DescribeSong(song)), "");
}

TEST_F(TempoCommands, TheTempoInsertsNeedASongStoppedAndEditing)
{
    CSongDoc& song = startWithSong();
    expectSongStoppedEditing(song, kIdInsertTempo);
    expectSongStoppedEditing(song, kIdInsertTempoSeries);
}

TEST_F(TempoCommands, InsertTempoThroughItsDialogIsOneUndoableEdit)
{
    CSongDoc& song = startWithSong();
    const std::string before = DescribeSong(song);
    ASSERT_TRUE(answerModal<CInsertTempoDlg>([&] { app->router().execute(kIdInsertTempo); },
                                             [](CInsertTempoDlg& dialog) {
                                                 auto* bpm = dialog.findChild<QLineEdit*>("startBpm1024");
                                                 bpm->setText("100");
                                                 emit bpm->textEdited("100");
                                                 dialog.accept();
                                             }));
    ASSERT_EQ(song.tempoMap.size(), 1u);
    EXPECT_EQ(song.tempoMap[0].tempo, 600000u);
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.back()->label, "Insert Tempo");
    ASSERT_TRUE(app->router().execute(kIdEditUndo));
    EXPECT_EQ(firstDifference(before, DescribeSong(song)), "");
}

TEST_F(TempoCommands, ASeriesOfBeatsBecomesTheirTemposAndCancelInsertsNothing)
{
    CSongDoc& song = startWithSong();
    ASSERT_TRUE(answerModal<CTempoSeriesDlg>([&] { app->router().execute(kIdInsertTempoSeries); },
                                             [](CTempoSeriesDlg& dialog) {
                                                 dialog.beat(1000);
                                                 dialog.beat(1400);
                                                 dialog.reject();
                                             }));
    EXPECT_TRUE(song.undoList.empty());
    ASSERT_TRUE(answerModal<CTempoSeriesDlg>([&] { app->router().execute(kIdInsertTempoSeries); },
                                             [](CTempoSeriesDlg& dialog) {
                                                 for (uint32_t at : {1000u, 1400u, 1800u})
                                                     dialog.beat(at); // quarters at the metronome's click
                                                 dialog.accept();
                                             }));
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.back()->label, "Insert Series of Tempos");
    ASSERT_GE(song.tempoMap.size(), 2u);
    EXPECT_EQ(song.tempoMap[0].tempo, 400000u);
    EXPECT_EQ(song.tempoMap[1].tick, 2 * int32_t(song.timeBase));
    EXPECT_EQ(song.tempoMap[1].tempo, 500000u);
    // The dialog left the engine stopped.
    const auto& calls = engine.log.calls();
    const auto lastTransport = std::find_if(calls.rbegin(), calls.rend(), [](const std::string& call) {
        return call == "Stop(0)" || call == "PauseAsStarting()" || call.rfind("Advance(", 0) == 0;
    });
    ASSERT_NE(lastTransport, calls.rend());
    EXPECT_EQ(*lastTransport, "Stop(0)");
}

} // namespace
} // namespace rz
