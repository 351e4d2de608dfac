#include "ui/command_router.h"
#include "app/song_doc_commands.h"
#include "song/selection.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "tests/support/fake_audio_tools.h"

#include <gtest/gtest.h>

#include <functional>

namespace rz {
namespace {

// A song with one selected note and, while it lives, the current song of
// the fake host; the commands routed as the router's document target.
struct SongDocCommandsFixture : SongFixture {
    ScriptedEditDialogs dialogs;
    FakeAudioTools audioTools;
    std::unique_ptr<CSongDoc> song;
    SongDocCommands commands{host};
    CommandRouter router;

    SongDocCommandsFixture()
    {
        SongContext c = context();
        c.editDialogs = &dialogs;
        c.audioTools = &audioTools;
        song = std::make_unique<CSongDoc>(c);
        song->InitNewSong();
        auto track = std::make_unique<CTrack>();
        CMidiEvent note;
        note.message = 0x403C90;
        note.value2 = 120;
        track->events.push_back(note);
        song->tracks.insert(song->tracks.end() - 1, std::move(track));
        host.current = song.get();
        router.setDocument(&commands);
    }

    void selectNote()
    {
        ++song->selectionStamp;
        song->selectionKind = kSelectEvents;
        song->tracks[1]->events[0].selectionStamp = song->selectionStamp;
    }
    void selectRange(int32_t from, int32_t to)
    {
        ++song->selectionStamp;
        song->selectionKind = kSelectTimeRange;
        song->selectionFrom = from;
        song->selectionTo = to;
    }
};

TEST(SongDocCommands, EnablingFollowsTransportModeSelectionAndDialogs)
{
    struct Case {
        const char* what;
        std::function<void(SongDocCommandsFixture&)> setUp;
        bool copy, deleting, selectTime;
    };
    const Case cases[] = {
        {"selected events", [](auto& f) { f.selectNote(); }, true, true, true},
        {"nothing selected", [](auto&) {}, false, false, true},
        {"playing", [](auto& f) { f.selectNote(); f.engine.state = TransportState::Playing; }, false, false, false},
        {"performance mode", [](auto& f) { f.selectNote(); f.host.performance = true; }, false, false, false},
        {"a time range", [](auto& f) { f.selectRange(0, 480); }, true, true, true},
        {"an empty time range", [](auto& f) { f.selectRange(480, 480); }, false, false, true},
        {"a time range without its dialogs",
         [](auto& f) {
             f.selectRange(0, 480);
             f.dialogs.missing = {EditDialog::CopyTime, EditDialog::DeleteTime, EditDialog::SelectTime};
         },
         false, false, false},
        {"selected events without the dialogs",
         [](auto& f) {
             f.selectNote();
             f.dialogs.missing = {EditDialog::CopyTime, EditDialog::DeleteTime};
         },
         true, true, true},
        {"no current song", [](auto& f) { f.selectNote(); f.host.current = nullptr; }, false, false, false},
    };
    for (const Case& c : cases) {
        SongDocCommandsFixture f;
        c.setUp(f);
        EXPECT_EQ(f.router.update(kIdEditCopy).enabled, c.copy) << c.what;
        EXPECT_EQ(f.router.update(kIdEditCut).enabled, c.deleting) << c.what;
        EXPECT_EQ(f.router.update(kIdDelete).enabled, c.deleting) << c.what;
        EXPECT_EQ(f.router.update(kIdSelectTime).enabled, c.selectTime) << c.what;
    }
}

TEST(SongDocCommands, CutThroughTheRouterCopiesAndDeletes)
{
    SongDocCommandsFixture f;
    f.selectNote();
    EXPECT_TRUE(f.router.execute(kIdEditCut));
    EXPECT_EQ(f.host.clipboardContent.events.size(), 1u);
    EXPECT_TRUE(f.song->tracks[1]->events.empty());
    ASSERT_EQ(f.song->undoList.size(), 1u);
    EXPECT_EQ(f.song->undoList.front()->label, "Delete Events");
    EXPECT_EQ(f.song->lastCommand, 0u);
}

TEST(SongDocCommands, SelectTimeSelectsTheRangeAndLocates)
{
    SongDocCommandsFixture f;
    f.song->endTick = 4000;
    f.song->ExtendMeasureMap();
    f.dialogs.selectTimeAnswer = SelectTimeParams{960, 240};
    EXPECT_TRUE(f.router.execute(kIdSelectTime));
    EXPECT_EQ(f.song->selectionKind, kSelectTimeRange);
    EXPECT_EQ(f.song->selectionFrom, 240);
    EXPECT_EQ(f.song->selectionTo, 960);
    EXPECT_EQ(f.song->position(), 240);
    EXPECT_EQ(f.host.log.count("activateEditorView"), 1u);
}

TEST(SongDocCommands, WaveRemixIsGreyedWhileTheMixerIsUnavailable)
{
    SongDocCommandsFixture f;
    f.song->selectionKind = kSelectAudioClip;
    EXPECT_TRUE(f.router.update(kIdWaveRemix).enabled);
    f.audioTools.missing = {AudioTool::WaveMixer};
    EXPECT_FALSE(f.router.update(kIdWaveRemix).enabled);
    EXPECT_FALSE(f.router.execute(kIdWaveRemix));
    EXPECT_EQ(f.audioTools.log.count("runWaveMixer"), 0u);
}

TEST(SongDocCommands, WaveRemixThroughTheRouterAddsTheRemixTrack)
{
    SongDocCommandsFixture f;
    TempDir dir;
    f.song->selectionKind = kSelectAudioClip;
    f.audioTools.mix = WaveMix{MixDestination::NewWaveTrack, dir.path() / "mix.wav", 0};
    EXPECT_TRUE(f.router.execute(kIdWaveRemix));
    EXPECT_EQ(f.audioTools.log.count("runWaveMixer"), 1u);
    EXPECT_EQ(f.song->tracks[1]->name, "Remix");
}

TEST(SongDocCommands, InsertAndPropertiesAreGreyedWithoutTheirDialogs)
{
    const std::pair<CommandId, EditDialog> rows[] = {
        {kIdInsertKeySignature, EditDialog::KeySignature},
        {kIdInsertMeasureNumbers, EditDialog::MeasureNumbers},
        {kIdInsertMeter, EditDialog::Meter},
        {kIdInsertTrack, EditDialog::TrackProperties},
        {kIdInsertEvent, EditDialog::EventProperties},
        {kIdInsertTime, EditDialog::InsertTime},
        {kIdInsertControllerSeries, EditDialog::ControllerSeries},
        {kIdInsertChord, EditDialog::Chord},
        {kIdProperties, EditDialog::EventProperties},
    };
    for (const auto& [id, dialog] : rows) {
        SongDocCommandsFixture f;
        f.selectNote();
        f.trackRows.selected = {1}; // a series needs a track to go on
        EXPECT_TRUE(f.router.update(id).enabled) << id;
        f.dialogs.missing = {dialog};
        EXPECT_FALSE(f.router.update(id).enabled) << id;
        EXPECT_FALSE(f.router.execute(id)) << id;
        EXPECT_TRUE(f.dialogs.log.calls().empty()) << id;
        f.dialogs.missing.clear();
        f.engine.state = TransportState::Playing;
        EXPECT_FALSE(f.router.update(id).enabled) << id;
    }
}

TEST(SongDocCommands, InsertEventRunsItsDialog)
{
    SongDocCommandsFixture f;
    EXPECT_TRUE(f.router.execute(kIdInsertEvent));
    EXPECT_EQ(f.dialogs.log.count("eventProperties"), 1u);
    EXPECT_TRUE(f.song->undoList.empty());
}

} // namespace
} // namespace rz
