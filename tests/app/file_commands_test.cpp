// The file commands through the router: their enable rules, Open, Import
// tracks and Import lyrics.

#include "res/command_ids.h"
#include "song/undo_record.h"
#include "tests/app/command_enable_table.h"

#include <algorithm>
#include <fstream>

namespace rz::test {
namespace {

// Without a New dialog, a set file, an import dialog, a printing view or a
// registered renderer their commands stay grey.
const EnableCase kFileCases[] = {
    {kIdFileNew, kNever}, {kIdFileOpen, kAlways}, {kIdCloseAll, kStoppedWithSong},
    {kIdFileSave, kNever}, {kIdSaveAll, kNever}, {kIdSaveAs, kSongStoppedEditing},
    {kIdImportTracks, kSongStoppedEditing}, {kIdSendByMail, kSongStoppedEditing},
    {kIdImportSongs, kNever}, {kIdImportAudioClip, kNever}, {kIdFilePrintSetup, kAlways},
    {kIdFilePrint, kNever}, {kIdFilePrintPreview, kNever}, {kIdImportLyrics, kNever},
    {kIdRenderAudio, kNever}, {kIdFilePrintDirect, kNever},
};

class FileEnable : public CommandEnableFixture, public testing::WithParamInterface<size_t> {};

TEST_P(FileEnable, FollowsTransportPerformanceAndSong)
{
    check(kFileCases[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(Table, FileEnable, testing::Range(size_t(0), std::size(kFileCases)));

using FileOpenCommand = SongFilesFixture;

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

using ImportTracks = SongFilesFixture;

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
    app->commands().file->setLyricTapper([&](CSongDoc& into, CTrack& track) {
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

} // namespace
} // namespace rz::test
