// The application's and the main frame's commands on the offscreen
// platform, with a recording transport.

#include "app/flat_tool_bar.h"
#include "app/note_duration.h"
#include "app_test_fixture.h"
#include "res/command_ids.h"
#include "song/undo_record.h"
#include "tests/song/smf_builder.h"
#include "ui/command_router.h"
#include "ui/fader_ctrl.h"
#include "ui/flat_combo_box_ex.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <functional>

namespace rz {
namespace {

using test::SmfBuilder;
using test::TrackBuilder;

struct CommandState {
    TransportState state = TransportState::Stopped;
    bool performance = false;
    bool song = false;
};

using Rule = std::function<bool(const CommandState&)>;

const Rule kAlways = [](const CommandState&) { return true; };
const Rule kNever = [](const CommandState&) { return false; };
const Rule kSong = [](const CommandState& s) { return s.song; };
const Rule kSongStoppedEditing = [](const CommandState& s) {
    return s.song && s.state == TransportState::Stopped && !s.performance;
};
const Rule kSongNotPlaying = [](const CommandState& s) {
    return s.song && s.state != TransportState::Playing;
};
const Rule kStoppedWithSong = [](const CommandState& s) {
    return s.song && s.state == TransportState::Stopped;
};

struct EnableCase {
    CommandId id;
    Rule rule;
};

// Every command of the table, greyed ones included; no view kind is
// registered, no set has a file, nothing records and no vamp runs.
const EnableCase kEnableCases[] = {
    {kIdPlay, kSong}, {kIdPlayThrough, kAlways}, {kIdPlayPause, kSong},
    {kIdPlayStop, kAlways}, {kIdStop, kSong}, {kIdPause, kSong},
    {kIdRecord, kSongStoppedEditing}, {kIdRetake, kNever}, {kIdConductorTap, kAlways},
    {kIdLastVamp, kNever}, {kIdNextCue, kSong}, {kIdPreviousCue, kSong},
    {kIdNextNote, kSongNotPlaying}, {kIdPreviousNote, kNever}, {kIdGoToBeginning, kSong},
    {kIdGoToEnd, kSong}, {kIdNextMeasure, kSong}, {kIdPreviousMeasure, kSong},
    {kIdSkipNextMeasure, kSong}, {kIdRepeatMeasure, kSong}, {kIdSkip0, kAlways},
    {kIdSkip9, kAlways}, {kIdClickOnOff, kAlways}, {kIdTempoSlower, kAlways},
    {kIdTempoFaster, kAlways}, {kIdTempoNormal, kAlways}, {kIdVolumeFull, kAlways},
    {kIdVolumeDown, kAlways}, {kIdVolumeUp, kAlways}, {kIdMidiReset, kAlways},
    {kIdFreeStuckNotes, kAlways}, {kIdFileNew, kNever}, {kIdFileOpen, kAlways},
    {kIdCloseAll, kStoppedWithSong}, {kIdFileSave, kNever}, {kIdSaveAll, kNever},
    {kIdSaveAs, kSongStoppedEditing}, {kIdImportTracks, kSongStoppedEditing},
    {kIdSendByMail, kSongStoppedEditing}, {kIdEditUndo, kNever}, {kIdEditRedo, kNever},
    {kIdViewPowerSpectrum, kAlways}, {kIdMidiMeasureBeat, kAlways},
    {kIdViewBouncingMetronome, kAlways}, {kIdViewClipsAndCues, kNever},
    {kIdViewStaff, kNever}, {kIdViewTempoMap, kNever}, {kIdViewFaders, kNever},
    {kIdViewPitchWheel, kNever}, {kIdViewExpression, kNever}, {kIdViewMeterKey, kAlways},
    {kIdViewSongTime, kAlways}, {kIdHelpContents, kAlways}, {kIdHelpSearch, kAlways},
    {kIdMidiAssociationWebSite, kAlways}, {kIdPerformanceMode, kAlways},
    {kIdEditMode, kAlways}, {kIdNextSong, kAlways}, {kIdPreviousSong, kAlways},
    {kIdTransposeUp, kSongStoppedEditing}, {kIdTransposeDown, kSongStoppedEditing},
    {kIdSelect, kAlways}, {kIdWholeNote, kAlways}, {kIdDotted, kAlways},
    {kIdGrid, kAlways}, {kIdDrawFreeHand, kAlways}, {kIdShowObjectGrid, kAlways},
    // The track list carries these out; this application has none.
    {kIdSolo, kNever}, {kIdUnsolo, kNever}, {kIdMarkTracksForRecording, kNever},
    {kIdCancelRecordingOnMarkedTracks, kNever}, {kIdTrackUp, kNever}, {kIdTrackDown, kNever},
    // Greyed until their dialogs, documents or views exist.
    {kIdImportSongs, kNever},
    {kIdOptions, kAlways}, {kIdRecordOptions, kAlways}, {kIdPlaybackOptions, kAlways},
    {kIdExternalControl, kAlways}, {kIdKeyboardAccelerators, kAlways},
    {kIdImportAudioClip, kNever}, {kIdFilePrintSetup, kAlways}, {kIdFilePrint, kNever},
    {kIdFilePrintPreview, kNever}, {kIdSongStats, kNever}, {kIdGoToPosition, kNever},
    {kIdViewOtherController, kNever}, {kIdInsertCue, kNever},
    {kIdInsertMeter, kNever}, {kIdInsertMeasureNumbers, kNever},
    {kIdInsertKeySignature, kNever}, {kIdInsertEvent, kNever}, {kIdInsertTime, kNever},
    {kIdInsertChord, kNever}, {kIdInsertControllerSeries, kNever},
    {kIdInsertTempo, kNever}, {kIdInsertTempoSeries, kNever}, {kIdEditFind, kNever},
    {kIdFindNext, kNever}, {kIdApplyTrackOffsets, kNever}, {kIdApplyTempoMultiplier, kNever},
    {kIdAudioEffect1, kNever}, {kIdAudioEffect10, kNever}, {kIdMoreAudioEffects, kNever},
    {kIdHarpPedals, kNever}, {kIdInsertTrack, kNever},
    {kIdSynthPatchNames, kNever},
    {kIdWebSite, kNever}, {kIdImportLyrics, kNever},
    {kIdFindFaults, kSongNotPlaying}, {kIdEditSelectAll, kSong},
    {kIdTipOfTheDay, kAlways}, {kIdCheckForUpdate, kAlways}, {kIdAppAbout, kAlways},
    // Grey until the engine's dialogs register (they do in the program).
    {kIdMidiPorts, kNever}, {kIdSynchronization, kNever}, {kIdAudioDevices, kNever},
    {kIdRenderAudio, kNever}, {kIdSoundFontBanks, kNever},
};

class AppCommandEnable : public AppFixture, public testing::WithParamInterface<size_t> {};

TEST_P(AppCommandEnable, FollowsTransportPerformanceAndSong)
{
    start();
    const EnableCase& c = kEnableCases[GetParam()];
    CSongDoc& song = addSong("A");
    song.endTick = 480;
    for (const TransportState state :
         {TransportState::Stopped, TransportState::Playing, TransportState::Paused}) {
        for (const bool performance : {false, true}) {
            for (const bool current : {false, true}) {
                engine.state = state;
                app->setPerformanceMode(performance);
                app->SetCurrentSong(current ? &song : nullptr);
                const CommandState s{state, performance, current};
                SCOPED_TRACE(testing::Message() << "command " << c.id << " state " << int(state)
                                                << " performance " << performance << " song "
                                                << current);
                EXPECT_EQ(app->router().update(c.id).enabled, c.rule(s));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, AppCommandEnable,
                         testing::Range(size_t(0), std::size(kEnableCases)));

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
        app->SetVolumeSlider(c.from);
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
    EXPECT_EQ(app->skipCount(), 7);
    const bool before = app->clickOn();
    EXPECT_TRUE(app->router().execute(kIdClickOnOff));
    EXPECT_EQ(app->clickOn(), !before);
    EXPECT_EQ(published.clickOn(), !before);
}

// A folder of its own for the files a test writes.
class FileCommands : public AppFixture {
protected:
    std::filesystem::path folder() const { return dir.path().toStdString(); }

    // A format 1 song: the conductor track and `tracks` tracks of one note each.
    std::filesystem::path writeSong(const std::string& name, int tracks, uint16_t division = 120)
    {
        SmfBuilder smf;
        smf.header(1, uint16_t(tracks + 1), division);
        smf.track(TrackBuilder().meta(0, 0x51, {0x07, 0xA1, 0x20}).end());
        for (int t = 0; t < tracks; ++t)
            smf.track(TrackBuilder()
                          .meta(0, 0x03, "T" + std::to_string(t + 1))
                          .event(0, {uint8_t(0x90 + t), 60, 100})
                          .event(division, {uint8_t(0x80 + t), 60, 0})
                          .end());
        const std::filesystem::path path = folder() / name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(smf.bytes().data()),
                  std::streamsize(smf.bytes().size()));
        return path;
    }

    QTemporaryDir dir;
};

using FileOpenCommand = FileCommands;

TEST_F(FileOpenCommand, OpensEveryChosenFileInOrderAndKeepsTheFolder)
{
    start();
    std::vector<std::filesystem::path> files;
    for (const char* name : {"c.mid", "a.mid", "b.mid"})
        files.push_back(writeSong(name, 1));
    prompt.expectOpenPaths("Open...", files);
    EXPECT_TRUE(app->router().execute(kIdFileOpen));
    ASSERT_EQ(app->set().size(), 3u);
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(app->set().songAt(i)->pathName.filename(), files[i].filename());
    EXPECT_EQ(profile.readString("Dirs", "DRFiles", ""), folder().string());
    EXPECT_EQ(prompt.prompts().front().path, app->documentsFolder());
}

TEST_F(FileOpenCommand, AFolderOpensNothing)
{
    start();
    prompt.expectOpenPaths("Open...", {folder()});
    prompt.expectMessage("Unable to open this file type.");
    app->router().execute(kIdFileOpen);
    EXPECT_EQ(app->set().size(), 0u);
}

using ImportTracks = FileCommands;

TEST_F(ImportTracks, LandAtTheClampedRowAsOneUndoStep)
{
    start();
    CSongDoc& song = addSong("A");
    app->SetCurrentSong(&song);
    const size_t before = song.tracks.size();
    prompt.expectOpenPath("Import tracks...", writeSong("two.mid", 2, 480));
    EXPECT_TRUE(app->router().execute(kIdImportTracks));
    ASSERT_EQ(song.tracks.size(), before + 2);
    // Without a track view the tracks go in at row 1, in their order.
    EXPECT_EQ(song.tracks[1]->name, "T1");
    EXPECT_EQ(song.tracks[2]->name, "T2");
    // The note of 480 ticks at 480 per quarter is a quarter at the song's own base.
    ASSERT_FALSE(song.tracks[1]->events.empty());
    const auto note = std::find_if(song.tracks[1]->events.begin(), song.tracks[1]->events.end(),
                                   [](const CMidiEvent& e) { return e.isNote(); });
    ASSERT_NE(note, song.tracks[1]->events.end());
    EXPECT_EQ(note->value2, song.timeBase);
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.front()->label, "Import Tracks");
    EXPECT_TRUE(song.Undo());
    EXPECT_EQ(song.tracks.size(), before);
}

TEST_F(ImportTracks, AnUnreadableFileChangesNothing)
{
    start();
    CSongDoc& song = addSong("A");
    app->SetCurrentSong(&song);
    const std::filesystem::path bad = folder() / "bad.mid";
    std::ofstream(bad) << "not a song";
    prompt.expectOpenPath("Import tracks...", bad);
    prompt.expectMessage("");
    app->router().execute(kIdImportTracks);
    EXPECT_TRUE(song.undoList.empty());
}

using ImportLyricsCommand = AppFixture;

TEST_F(ImportLyricsCommand, TapsANewTrackInAndAddsItOnOkOnly)
{
    start();
    CSongDoc& song = addSong("A");
    app->SetCurrentSong(&song);
    EXPECT_FALSE(app->router().update(kIdImportLyrics).enabled); // no dialog
    bool answer = false;
    std::vector<std::string> tapped;
    app->setLyricTapper([&](CSongDoc& into, CTrack& track) {
        EXPECT_EQ(&into, &song);
        tapped.push_back(track.name);
        track.events.push_back(CMidiEvent{});
        track.events.back().SetMetaText(0x05, "la");
        return answer;
    });
    for (const bool performance : {false, true}) {
        for (const TransportState state : {TransportState::Stopped, TransportState::Playing}) {
            engine.state = state;
            app->setPerformanceMode(performance);
            EXPECT_EQ(app->router().update(kIdImportLyrics).enabled,
                      !performance && state == TransportState::Stopped);
        }
    }
    engine.state = TransportState::Stopped;
    app->setPerformanceMode(false);
    const size_t before = song.tracks.size();
    EXPECT_TRUE(app->router().execute(kIdImportLyrics));
    EXPECT_EQ(song.tracks.size(), before);
    EXPECT_TRUE(song.undoList.empty());

    answer = true;
    EXPECT_TRUE(app->router().execute(kIdImportLyrics));
    EXPECT_EQ(tapped, (std::vector<std::string>{"Lyrics", "Lyrics"}));
    ASSERT_EQ(song.tracks.size(), before + 1);
    EXPECT_EQ(song.tracks[1]->name, "Lyrics");
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.front()->label, "Import lyrics");
}

using MakeUniqueAudioFileName = AppFixture;

TEST_F(MakeUniqueAudioFileName, DropsANumberedTailAndNumbersAnew)
{
    start();
    std::filesystem::path name = "x/take_3.wav";
    app->MakeUniqueAudioFileName(name);
    EXPECT_EQ(name.filename(), "take.wav");
    std::ofstream(name) << "";
    std::filesystem::path again = "x/take_3.wav";
    app->MakeUniqueAudioFileName(again);
    EXPECT_EQ(again.filename(), "take_2.wav");
    for (const auto& [given, expected] :
         {std::pair<const char*, const char*>{"x/_12_.wav", "take_2.wav"},
          {"x/voice7.wav", "voice7.wav"}, {"nofolder.wav", "take_2.wav"}}) {
        std::filesystem::path path = given;
        app->MakeUniqueAudioFileName(path);
        EXPECT_EQ(path.filename(), expected) << given;
    }
}

class StaffTools : public AppFixture {
protected:
    void startWithSong(uint16_t timeBase)
    {
        start();
        CSongDoc& song = addSong("A");
        song.timeBase = timeBase;
        app->SetCurrentSong(&song);
    }
};

TEST(NoteDuration, TypedTicksGiveTheirNoteValue)
{
    const struct {
        int32_t ticks;
        NoteValue value;
    } cases[] = {
        {360, {3, true, false}}, {320, {2, false, true}}, {1920, {0, false, false}},
        {1000, {1, false, false}}, {100, {5, true, false}}, {40, {5, false, true}},
        {10, {5, false, false}},
    };
    for (const auto& c : cases) {
        const NoteValue v = noteValueOf(c.ticks, 480);
        EXPECT_EQ(v.type, c.value.type) << c.ticks;
        EXPECT_EQ(v.dotted, c.value.dotted) << c.ticks;
        EXPECT_EQ(v.triplet, c.value.triplet) << c.ticks;
    }
}

TEST_F(StaffTools, NoteValuesSetDurationGridAndPublishTheLength)
{
    startWithSong(480);
    FlatToolBar* bar = app->frame()->toolBar();
    EXPECT_TRUE(app->router().execute(kIdEighthNote));
    EXPECT_EQ(bar->durationField()->text(), "240");
    EXPECT_EQ(bar->gridBox()->selectedValue(), 120);
    EXPECT_EQ(app->frame()->staffTools().tool, 1);
    EXPECT_EQ(published.currentNoteLength(), 240);
    EXPECT_TRUE(app->router().execute(kIdDotted));
    EXPECT_EQ(bar->durationField()->text(), "360");
    EXPECT_EQ(published.currentNoteLength(), 360);
    EXPECT_TRUE(app->router().execute(kIdQuarterNote));
    EXPECT_TRUE(app->router().execute(kIdTriplet));
    EXPECT_EQ(bar->durationField()->text(), "320");
    EXPECT_EQ(bar->gridBox()->selectedValue(), 160);
    EXPECT_TRUE(app->router().execute(kIdSelect));
    EXPECT_EQ(profile.readInt("StaffView", "Tool", -1), 0);
    EXPECT_TRUE(app->router().execute(kIdBouncingBall + 2));
    EXPECT_EQ(profile.readInt("LyricView", "Tool", -1), 2);
}

TEST_F(StaffTools, ATypedDurationDerivesTheNoteValue)
{
    startWithSong(480);
    QLineEdit* field = app->frame()->toolBar()->durationField();
    field->setText("");
    for (const char c : std::string("100"))
        QTest::keyClick(field, c);
    const StaffToolState& tools = app->frame()->staffTools();
    EXPECT_EQ(tools.noteType, 5);
    EXPECT_TRUE(tools.dotted);
    EXPECT_EQ(tools.duration, 100);
    EXPECT_EQ(published.currentNoteLength(), 100);
}

using PerformanceCommands = FileCommands;

TEST_F(PerformanceCommands, PerformSavesAllAgainAndEditModeWhenOffDoesNothing)
{
    start();
    CSongDoc& song = addSong("a", folder() / "a.mid");
    song.SetModifiedFlag(true);
    EXPECT_TRUE(app->router().execute(kIdEditMode));
    EXPECT_FALSE(app->performanceMode());
    EXPECT_TRUE(song.IsModified());
    EXPECT_TRUE(app->router().execute(kIdPerformanceMode));
    EXPECT_TRUE(app->performanceMode());
    EXPECT_FALSE(song.IsModified());
    EXPECT_TRUE(std::filesystem::exists(folder() / "a.mid"));
    std::filesystem::remove(folder() / "a.mid");
    song.SetModifiedFlag(true);
    EXPECT_TRUE(app->router().execute(kIdPerformanceMode));
    EXPECT_TRUE(app->performanceMode());
    EXPECT_TRUE(std::filesystem::exists(folder() / "a.mid"));
    EXPECT_TRUE(app->router().execute(kIdEditMode));
    EXPECT_FALSE(app->performanceMode());
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

using DropFiles = FileCommands;

TEST_F(DropFiles, OpensDroppedSongsOnlyWhileStoppedAndEditing)
{
    start();
    const std::filesystem::path song = writeSong("drop.mid", 1);
    engine.state = TransportState::Playing;
    app->dropFiles({song}, false);
    EXPECT_EQ(app->set().size(), 0u);
    engine.state = TransportState::Stopped;
    app->setPerformanceMode(true);
    app->dropFiles({song}, false);
    EXPECT_EQ(app->set().size(), 0u);
    app->setPerformanceMode(false);
    app->dropFiles({song}, true);
    EXPECT_EQ(app->set().size(), 1u);
}

TEST_F(DropFiles, OnlyLocalFilesReachTheApplication)
{
    start();
    const std::filesystem::path song = writeSong("drop.mid", 1);
    auto* data = new QMimeData;
    data->setUrls({QUrl("https://example.org/x.mid"),
                   QUrl::fromLocalFile(QString::fromStdString(song.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->frame(), &drop);
    EXPECT_EQ(app->set().size(), 1u);
    delete data;
}

} // namespace
} // namespace rz
