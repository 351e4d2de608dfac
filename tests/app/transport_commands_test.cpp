// The transport commands through the router: their enable rules, the tempo,
// volume and pause steps, performance mode, quick transpose and song
// stepping, on the offscreen platform with a recording transport.

#include "engine/synthdb/synth_db.h"
#include "res/command_ids.h"
#include "song/selection.h"
#include "song/undo_record.h"
#include "tests/app/command_enable_table.h"
#include "tests/song/song_builder.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "ui/fader_ctrl.h"

namespace rz::test {
namespace {

// The track list carries out Solo, the record marks and Track up and down;
// this application has none.
const EnableCase kTransportCases[] = {
    {kIdPlay, kSong}, {kIdPlayThrough, kAlways}, {kIdPlayPause, kSong}, {kIdPlayStop, kAlways},
    {kIdStop, kSong}, {kIdPause, kSong}, {kIdRecord, kSongStoppedEditing}, {kIdRetake, kNever},
    {kIdConductorTap, kAlways}, {kIdLastVamp, kNever}, {kIdNextCue, kSong},
    {kIdPreviousCue, kSong}, {kIdNextNote, kSongNotPlaying}, {kIdPreviousNote, kNever},
    {kIdGoToBeginning, kSong}, {kIdGoToEnd, kSong}, {kIdNextMeasure, kSong},
    {kIdPreviousMeasure, kSong}, {kIdSkipNextMeasure, kSong}, {kIdRepeatMeasure, kSong},
    {kIdSkip0, kAlways}, {kIdSkip9, kAlways}, {kIdClickOnOff, kAlways}, {kIdTempoSlower, kAlways},
    {kIdTempoFaster, kAlways}, {kIdTempoNormal, kAlways}, {kIdVolumeFull, kAlways},
    {kIdVolumeDown, kAlways}, {kIdVolumeUp, kAlways}, {kIdMidiReset, kAlways},
    {kIdFreeStuckNotes, kAlways}, {kIdPerformanceMode, kAlways}, {kIdEditMode, kAlways},
    {kIdNextSong, kAlways}, {kIdPreviousSong, kAlways}, {kIdTransposeUp, kSongStoppedEditing},
    {kIdTransposeDown, kSongStoppedEditing}, {kIdSolo, kNever}, {kIdUnsolo, kNever},
    {kIdMarkTracksForRecording, kNever}, {kIdCancelRecordingOnMarkedTracks, kNever},
    {kIdTrackUp, kNever}, {kIdTrackDown, kNever},
};

class TransportEnable : public CommandEnableFixture, public testing::WithParamInterface<size_t> {};

TEST_P(TransportEnable, FollowsTransportPerformanceAndSong)
{
    check(kTransportCases[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(Table, TransportEnable, testing::Range(size_t(0), std::size(kTransportCases)));

using AdjustSteps = AppFixture;

TEST_F(AdjustSteps, TempoStepsByWholePercents)
{
    start();
    const struct {
        CommandId id;
        int32_t from;
        int32_t to;
    } cases[] = {
        {kIdTempoSlower, 51000, 50000}, {kIdTempoSlower, 50999, 50999},
        {kIdTempoSlower, 100500, 99000}, {kIdTempoFaster, 199999, 200000},
        {kIdTempoFaster, 200000, 200000}, {kIdTempoNormal, 123456, 100000},
    };
    for (const auto& c : cases) {
        app->SetTempoMultiplier(c.from, true);
        EXPECT_TRUE(app->router().execute(c.id));
        EXPECT_EQ(app->tempoMultiplier(), c.to) << c.id << " from " << c.from;
    }
}

TEST_F(AdjustSteps, VolumeStepsClearTheLowBitsAndStayInRange)
{
    start();
    const struct {
        CommandId id;
        int32_t from;
        int32_t to;
    } cases[] = {
        {kIdVolumeDown, 100, 0}, {kIdVolumeUp, 16300, 16383}, {kIdVolumeDown, 1000, 768},
        {kIdVolumeFull, 0, 16383},
    };
    for (const auto& c : cases) {
        app->transport().setVolume(c.from);
        EXPECT_TRUE(app->router().execute(c.id));
        EXPECT_EQ(app->frame()->volumeFader()->pos(), c.to) << c.id << " from " << c.from;
        EXPECT_EQ(engine.master, c.to);
    }
}

TEST_F(AdjustSteps, PauseResumesOnlyWhatWasRunning)
{
    start();
    CSongDoc& song = addSong("A");
    app->SetCurrentSong(&song);
    engine.state = TransportState::Playing;
    EXPECT_TRUE(app->router().execute(kIdPause));
    EXPECT_EQ(engine.log.calls().back(), "Pause()");
    engine.state = TransportState::Paused;
    engine.statePaused = TransportState::Playing;
    app->router().execute(kIdPause);
    EXPECT_EQ(engine.log.calls().back(), "Advance(0)");
    engine.statePaused = TransportState::Stopped;
    app->router().execute(kIdPause);
    EXPECT_EQ(engine.log.calls().back(), "Stop(0)");
}

TEST_F(AdjustSteps, SkipAndClickReachTheEngine)
{
    start();
    EXPECT_TRUE(app->router().execute(kIdSkip0 + 7));
    EXPECT_EQ(app->transport().skipCount(), 7);
    const bool before = app->transport().clickOn();
    EXPECT_TRUE(app->router().execute(kIdClickOnOff));
    EXPECT_EQ(app->transport().clickOn(), !before);
    EXPECT_EQ(published.clickOn(), !before);
}

using PerformanceCommands = SongFilesFixture;

TEST_F(PerformanceCommands, PerformSavesAllAgainAndEditModeWhenOffDoesNothing)
{
    start();
    CSongDoc& song = addSong("a", folder() / "a.mid");
    song.SetModifiedFlag(true);
    EXPECT_TRUE(app->router().execute(kIdEditMode));
    EXPECT_FALSE(app->display().performanceMode());
    EXPECT_TRUE(song.IsModified());
    EXPECT_TRUE(app->router().execute(kIdPerformanceMode));
    EXPECT_TRUE(app->display().performanceMode());
    EXPECT_FALSE(song.IsModified());
    EXPECT_TRUE(std::filesystem::exists(folder() / "a.mid"));
    std::filesystem::remove(folder() / "a.mid");
    song.SetModifiedFlag(true);
    EXPECT_TRUE(app->router().execute(kIdPerformanceMode));
    EXPECT_TRUE(app->display().performanceMode());
    EXPECT_TRUE(std::filesystem::exists(folder() / "a.mid"));
    EXPECT_TRUE(app->router().execute(kIdEditMode));
    EXPECT_FALSE(app->display().performanceMode());
}

class QuickTranspose : public AppFixture {
protected:
    CSongDoc& songWithNote(uint8_t key)
    {
        CSongDoc& song = addSong("A");
        song.tracks.insert(song.tracks.begin() + 1, std::make_unique<CTrack>());
        CMidiEvent note;
        note.message = 0x90 | uint32_t(key) << 8 | 100u << 16;
        note.value2 = 60;
        song.tracks[1]->InsertEventSorted(note);
        app->SetCurrentSong(&song);
        return song;
    }
    static int keyOf(const CSongDoc& song) { return song.tracks[1]->events.front().data1(); }
};

TEST_F(QuickTranspose, MovesNotesAndKeysAsOneUndoStep)
{
    start();
    CSongDoc& song = songWithNote(60);
    EXPECT_TRUE(app->router().execute(kIdTransposeUp));
    EXPECT_EQ(keyOf(song), 61);
    EXPECT_EQ(song.measureMap.front().key, -5);
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.front()->label, "Quick transpose");
    EXPECT_TRUE(song.Undo());
    EXPECT_EQ(keyOf(song), 60);
    EXPECT_EQ(song.measureMap.front().key, 0);
}

TEST_F(QuickTranspose, AClippedNoteAsksAndCancelChangesNothing)
{
    start();
    CSongDoc& song = songWithNote(127);
    prompt.expectOkCancel("clipped at the maximum/minimum note value", PromptAnswer::Cancel);
    app->router().execute(kIdTransposeUp);
    EXPECT_EQ(keyOf(song), 127);
    EXPECT_EQ(song.measureMap.front().key, 0);
    EXPECT_TRUE(song.undoList.empty());
}

TEST_F(QuickTranspose, DrumTracksStay)
{
    start();
    CSongDoc& song = songWithNote(40);
    song.tracks[1]->drums = 1 << 9;
    song.tracks[1]->channel = 9;
    app->router().execute(kIdTransposeDown);
    EXPECT_EQ(keyOf(song), 40);
}

// A song in B major with a note, a B chord marker and a Bsus9 marker; the
// database holds chord C of the "Pop" group and no Csus9.
class QuickTransposeChords : public AppFixture {
protected:
    void SetUp() override
    {
        start();
        app->database()->connection().exec(
            R"(INSERT INTO "chords" ("Group", "Chord", "Data") VALUES ('Pop', 'C', '@DHK@@'))");
    }

    std::unique_ptr<CSongDoc> songInB(const SongContext& context)
    {
        auto song = std::make_unique<CSongDoc>(context);
        song->InitNewSong();
        song->measureMap.front().key = 5;
        song->tracks.insert(song->tracks.begin() + 1, std::make_unique<CTrack>());
        song->tracks[1]->events = {textEvent(0, "@DR;1;128;132;135;128;128;128;Pop|B"),
                                   note(10, 59, 90, 100),
                                   textEvent(480, "@DR;1;128;132;135;128;128;128;Pop|Bsus9")};
        song->UpdateSongEnd();
        song->ExtendMeasureMap();
        song->RecomputeMeasureStarts();
        return song;
    }

    static std::vector<std::string> texts(const CSongDoc& song)
    {
        std::vector<std::string> result;
        for (const CMidiEvent& event : song.tracks[1]->events) {
            const auto bytes = event.data.bytes();
            result.push_back(event.isNote() ? "note " + std::to_string(event.data1())
                                            : std::string(reinterpret_cast<const char*>(bytes.data()),
                                                          bytes.size()));
        }
        return result;
    }
};

TEST_F(QuickTransposeChords, TransposeUpMovesChordMarkersAsEditTransposeDoes)
{
    CSongDoc& quick = *app->set().AddSong(songInB(app->set().songContext()));
    app->SetCurrentSong(&quick);
    EXPECT_TRUE(app->router().execute(kIdTransposeUp));

    ScriptedEditDialogs dialogs;
    dialogs.transposeAnswer = TransposeParams{.halfSteps = 1, .changeKeys = true};
    SongContext editContext = app->set().songContext();
    editContext.editDialogs = &dialogs;
    std::unique_ptr<CSongDoc> edited = songInB(editContext);
    edited->selectionKind = kSelectTimeRange;
    edited->selectionFrom = 0;
    edited->selectionTo = edited->measureMapEnd;
    edited->OnEditTranspose();

    const std::vector<std::string> expected = {"@DR;1;192;196;200;203;192;192;Pop|C", "note 60",
                                               "@DR;1;128;132;135;128;128;128;Pop|Bsus9"};
    EXPECT_EQ(texts(*edited), expected);
    EXPECT_EQ(texts(quick), expected) << "the chord without a row keeps its old chord";
    EXPECT_EQ(quick.measureMap.front().key, 0);
}

using SongStepping = AppFixture;

TEST_F(SongStepping, PreviousSongRewindsFirstThenStepsBack)
{
    start();
    CSongDoc& a = addSong("A");
    CSongDoc& b = addSong("B");
    app->SetCurrentSong(&b);
    app->set().setCurrent(&b);
    b.setPosition(100);
    // The recording transport stops at once.
    EXPECT_TRUE(app->router().execute(kIdPreviousSong));
    EXPECT_TRUE(engine.log.contains("Stop(0)"));
    EXPECT_EQ(b.position(), 0);
    EXPECT_EQ(app->currentSong(), &b);
    EXPECT_TRUE(app->router().execute(kIdPreviousSong));
    EXPECT_EQ(app->currentSong(), &a);
}

} // namespace
} // namespace rz::test
