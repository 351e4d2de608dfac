#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/audio_tools.h"
#include "song/selection.h"
#include "tests/support/fake_audio_tools.h"
#include "undo_fixture.h"

namespace rz::test {
namespace {

// A song in a folder of its own, with fake audio dialogs writing there:
//   track 1 "Piano" (MIDI): a note at 0;
//   track 2 "Loops" (waveform): a.wav at 0, b.wav at 960;
//   track 3 "Vox" (waveform): c.wav at 480, d.wav at 1920;
//   tempo 500000 at 0 and 400000 at 960.
struct AudioEditsFixture : UndoFixture {
    TempDir dir;
    FakeAudioTools tools;
    std::unique_ptr<CSongDoc> song;

    AudioEditsFixture()
    {
        tools.folder = dir.path();
        host.workFolderPath = dir.path();
        SongContext c = undoContext();
        c.audioTools = &tools;
        song = std::make_unique<CSongDoc>(c);
        song->InitNewSong();
        song->songFolder = dir.path();
        CTrack& piano = addUserTrack(*song);
        piano.name = "Piano";
        piano.events = {note(0, 60, 90, 120)};
        CTrack& loops = addUserTrack(*song);
        loops.name = "Loops";
        loops.type = kWaveTrack;
        loops.events.push_back(clipEvent(0, "WaveData\\a.wav"));
        loops.events.push_back(clipEvent(960, "WaveData\\b.wav"));
        CTrack& vox = addUserTrack(*song);
        vox.name = "Vox";
        vox.type = kWaveTrack;
        vox.events.push_back(clipEvent(480, "WaveData\\c.wav"));
        vox.events.push_back(clipEvent(1920, "WaveData\\d.wav"));
        TempoEntry faster;
        faster.tick = 960;
        faster.tempo = 400000;
        song->tempoMap.push_back(faster);
        song->RecalcTempoTimes();
        RebuildPlayImages(*song, false);
        song->ExtendMeasureMap();
        song->RecomputeMeasureStarts();
        host.current = song.get();
        std::filesystem::create_directories(dir.path() / "WaveData");
        for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"})
            touchFile(dir.path() / "WaveData" / name);
    }

    CAudioClip& clipAt(size_t track, size_t index) { return *song->tracks[track]->events[index].clip(); }

    // Stamps the clips, given as {track, index}, and nothing else.
    void selectClips(std::initializer_list<std::pair<size_t, size_t>> clips, uint32_t kind = kSelectAudioClip)
    {
        ++song->selectionStamp;
        song->selectionKind = kind;
        for (auto [track, index] : clips)
            song->tracks[track]->events[index].selectionStamp = song->selectionStamp;
    }

    // The files the filter sheet was given, by their file names.
    std::vector<std::string> sheetFiles() const
    {
        std::vector<std::string> names;
        for (const auto& file : tools.files)
            names.push_back(file.filename().string());
        return names;
    }

    bool anyOutputExists() const
    {
        for (const auto& file : tools.outputs)
            if (std::filesystem::exists(file))
                return true;
        return false;
    }
};

TEST(AudioEdits, TwoSelectedClipsBecomeOneUndoStep)
{
    AudioEditsFixture f;
    f.clipAt(2, 1).length = 12'345'678; // 1234.5678 ms
    f.clipAt(3, 0).length = 30'000'000;
    RebuildPlayImages(*f.song, false); // the clips' events last their new lengths
    f.selectClips({{2, 1}, {3, 0}});
    const std::string before = DescribeSong(*f.song);

    f.song->OnEditAudioEffect("Echo");

    // The last track first: c.wav, then b.wav.
    EXPECT_EQ(f.sheetFiles(), (std::vector<std::string>{"c.wav", "b.wav"}));
    EXPECT_EQ(f.tools.auditionFile, f.tools.files.front());
    EXPECT_EQ(f.tools.durationsMs, (std::vector<int64_t>{3000, 1234}));
    EXPECT_TRUE(f.tools.log.contains("runApplyFilter(Echo,2)"));
    ASSERT_EQ(f.tools.outputs.size(), 2u);
    ASSERT_EQ(f.song->undoList.size(), 1u);
    EXPECT_EQ(f.song->undoList.front()->label, "Audio filter");
    EXPECT_EQ(f.song->undoList.front()->flags, kUndoEvents);
    EXPECT_EQ(f.clipAt(3, 0).fileName, f.tools.outputs[0].string());
    EXPECT_EQ(f.song->tracks[3]->events[0].tick, 480);
    EXPECT_EQ(f.clipAt(2, 1).fileName, f.tools.outputs[1].string());
    EXPECT_EQ(f.song->tracks[2]->events[1].tick, 960);
    EXPECT_EQ(f.clipAt(2, 0).fileName, "WaveData\\a.wav");
    const std::string filtered = DescribeSong(*f.song);

    ASSERT_TRUE(f.song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*f.song));
    ASSERT_TRUE(f.song->Redo());
    EXPECT_SAME_SONG(filtered, DescribeSong(*f.song));
    EXPECT_EQ(f.tools.log.count("releaseApplyResources"), 1u);
}

TEST(AudioEdits, WholeTracksGiveAllTheirClipsOnlyWhenTracksAloneAreSelected)
{
    struct Case {
        const char* what;
        uint32_t kind;
        bool currentRowMode;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"whole tracks", kSelectTracks, false, {"d.wav", "b.wav", "a.wav"}},
        {"tracks and events", kSelectTracks | kSelectEvents, false, {"d.wav", "a.wav"}},
        {"whole tracks in current-row mode", kSelectTracks, true, {"d.wav", "a.wav"}},
    };
    for (const Case& c : cases) {
        AudioEditsFixture f;
        f.tools.sheetOk = false;
        f.selectClips({{2, 0}, {3, 1}}, c.kind);
        f.trackRows.selected = {2};
        f.trackRows.current = 2;
        f.trackRows.currentOnly = c.currentRowMode;
        f.song->OnEditAudioEffect("Echo");
        EXPECT_EQ(f.sheetFiles(), c.files) << c.what;
    }
}

TEST(AudioEdits, TheNewClipKeepsTheRepeatCountAndTheEventsMarks)
{
    AudioEditsFixture f;
    f.clipAt(2, 0).number = 3;
    f.song->tracks[2]->events[0].notation = 2;
    f.selectClips({{2, 0}});
    f.song->OnEditAudioEffect("Echo");
    ASSERT_EQ(f.song->undoList.size(), 1u);
    EXPECT_EQ(f.clipAt(2, 0).fileName, f.tools.outputs.at(0).string());
    EXPECT_EQ(f.clipAt(2, 0).number, 3);
    EXPECT_EQ(f.song->tracks[2]->events[0].notation, 2);
}

TEST(AudioEdits, NothingTakenShowsTheMessageAndRunsNoDialog)
{
    AudioEditsFixture f;
    f.selectClips({}, kSelectEvents);
    f.song->tracks[1]->events[0].selectionStamp = f.song->selectionStamp; // a note is no clip
    f.prompt.expectMessage("Please select at least one audio clip.");
    f.song->OnEditAudioEffect("Echo");
    EXPECT_TRUE(f.tools.log.calls().empty());
    EXPECT_TRUE(f.song->undoList.empty());
}

TEST(AudioEdits, CancelInEitherDialogChangesNothingAndReleasesTheResources)
{
    struct Case {
        const char* what;
        bool sheetOk, applyOk;
        size_t applyRuns;
    };
    const Case cases[] = {
        {"sheet cancelled", false, true, 0},
        {"apply cancelled", true, false, 1},
    };
    for (const Case& c : cases) {
        AudioEditsFixture f;
        f.tools.sheetOk = c.sheetOk;
        f.tools.applyOk = c.applyOk;
        f.selectClips({{2, 0}, {3, 1}});
        const std::string before = DescribeSong(*f.song);
        f.song->OnEditAudioEffect("Echo");
        EXPECT_EQ(f.tools.log.count("runApplyFilter"), c.applyRuns) << c.what;
        EXPECT_EQ(f.tools.log.count("releaseApplyResources"), 1u) << c.what;
        EXPECT_EQ(f.tools.log.calls().back(), "releaseApplyResources()") << c.what;
        EXPECT_SAME_SONG(before, DescribeSong(*f.song));
        EXPECT_TRUE(f.song->undoList.empty()) << c.what;
    }
}

TEST(AudioEdits, AFaultyOutputListRefusesTheEditAndDeletesTheOutputs)
{
    struct Case {
        const char* what;
        size_t outputCount;
        bool written;
    };
    const Case cases[] = {
        {"one file for two clips", 1, true},
        {"three files for two clips", 3, true},
        {"files never written", 2, false},
    };
    for (const Case& c : cases) {
        AudioEditsFixture f;
        f.tools.outputCount = c.outputCount;
        f.tools.writeOutputs = c.written;
        f.selectClips({{2, 0}, {3, 1}});
        const std::string before = DescribeSong(*f.song);
        f.prompt.expectMessage("did not write a new file for every clip");
        f.song->OnEditAudioEffect("Echo");
        EXPECT_EQ(f.tools.outputs.size(), c.outputCount) << c.what;
        EXPECT_FALSE(f.anyOutputExists()) << c.what;
        EXPECT_SAME_SONG(before, DescribeSong(*f.song));
        EXPECT_TRUE(f.song->undoList.empty()) << c.what;
        EXPECT_EQ(f.tools.log.count("releaseApplyResources"), 1u) << c.what;
        f.prompt.verifyAllUsed();
    }
}

TEST(AudioEdits, RemixToAFileLeavesTheSongAlone)
{
    AudioEditsFixture f;
    f.selectClips({{2, 0}});
    f.tools.mix = WaveMix{MixDestination::File, f.dir.path() / "mix.wav", 0};
    const std::string before = DescribeSong(*f.song);
    f.song->OnFileWaveRemix();
    EXPECT_EQ(f.tools.log.count("runWaveMixer"), 1u);
    EXPECT_SAME_SONG(before, DescribeSong(*f.song));
    EXPECT_TRUE(f.song->undoList.empty());
    EXPECT_TRUE(std::filesystem::exists(f.dir.path() / "mix.wav"));
}

TEST(AudioEdits, RemixToATrackInsertsRemixAfterTheConductorAtTheMixStart)
{
    AudioEditsFixture f;
    f.selectClips({{2, 0}});
    // 1200 lies past the tempo change at 960, so only the whole map gives it back.
    const double startUs = f.song->TickToTime(1200);
    ASSERT_NE(startUs, 1200.0 * 500000 / f.song->timeBase);
    const std::filesystem::path mixFile = f.dir.path() / "remix.wav";
    f.tools.mix = WaveMix{MixDestination::NewWaveTrack, mixFile, int64_t(startUs * 10 + 0.5)};
    const size_t trackCount = f.song->tracks.size();
    const std::string before = DescribeSong(*f.song);

    f.song->OnFileWaveRemix();

    ASSERT_EQ(f.song->tracks.size(), trackCount + 1);
    const CTrack& remix = *f.song->tracks[1];
    EXPECT_EQ(remix.name, "Remix");
    EXPECT_EQ(remix.type, kWaveTrack);
    ASSERT_EQ(remix.events.size(), 1u);
    EXPECT_EQ(remix.events[0].tick, 1200);
    ASSERT_NE(remix.events[0].clip(), nullptr);
    EXPECT_EQ(remix.events[0].clip()->fileName, mixFile.string());
    EXPECT_EQ(remix.events[0].clip()->number, 1);
    EXPECT_EQ(f.song->tracks[2]->name, "Piano");
    ASSERT_EQ(f.song->undoList.size(), 1u);
    EXPECT_EQ(f.song->undoList.front()->label, "Audio mix/resample");
    EXPECT_EQ(f.song->undoList.front()->flags, kUndoTrackList | kUndoEvents);

    ASSERT_TRUE(f.song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*f.song));
}

TEST(AudioEdits, ANewEditAfterUndoingAFilterDeletesTheFilteredFiles)
{
    AudioEditsFixture f;
    f.selectClips({{2, 1}, {3, 0}});
    f.song->OnEditAudioEffect("Echo");
    ASSERT_EQ(f.song->undoList.size(), 1u);
    ASSERT_TRUE(f.song->Undo());
    EXPECT_TRUE(std::filesystem::exists(f.tools.outputs.at(0))); // Redo still needs them

    auto deleteNote = std::make_unique<CUndoRecord>();
    deleteNote->flags = kUndoEvents;
    deleteNote->label = "Delete Events";
    deleteNote->events = std::make_unique<CEventList>();
    deleteNote->events->sourceKeys = {eventKey(1, 0)};
    ASSERT_EQ(f.song->ApplyEdit(std::move(deleteNote)), ApplyResult::Applied);

    EXPECT_FALSE(f.anyOutputExists());
    for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"})
        EXPECT_TRUE(std::filesystem::exists(f.dir.path() / "WaveData" / name)) << name;
}

TEST(AudioEditsEnable, WaveRemixFollowsTransportModeSelectionAndTheMixer)
{
    struct Case {
        const char* what;
        std::function<void(AudioEditsFixture&)> setUp;
        bool enabled;
    };
    const Case cases[] = {
        {"a clip selected", [](auto& f) { f.selectClips({{2, 0}}); }, true},
        {"a waveform row selected", [](auto& f) { f.trackRows.selected = {1, 3}; }, true},
        {"only a MIDI row selected", [](auto& f) { f.trackRows.selected = {1}; }, false},
        {"nothing selected", [](auto&) {}, false},
        {"a waveform row in current-row mode",
         [](auto& f) {
             f.trackRows.selected = {3};
             f.trackRows.current = 3;
             f.trackRows.currentOnly = true;
         },
         false},
        {"a clip selected in current-row mode",
         [](auto& f) {
             f.selectClips({{2, 0}});
             f.trackRows.currentOnly = true;
         },
         true},
        {"playing", [](auto& f) { f.selectClips({{2, 0}}); f.engine.state = TransportState::Playing; }, false},
        {"performance mode", [](auto& f) { f.selectClips({{2, 0}}); f.host.performance = true; }, false},
        {"no Wave Mixer",
         [](auto& f) {
             f.selectClips({{2, 0}});
             f.tools.missing = {AudioTool::WaveMixer};
         },
         false},
    };
    for (const Case& c : cases) {
        AudioEditsFixture f;
        c.setUp(f);
        EXPECT_EQ(f.song->OnUpdateFileWaveRemix(), c.enabled) << c.what;
    }
}

} // namespace
} // namespace rz::test
