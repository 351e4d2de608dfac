#include "set_fixture.h"

#include "song/audio_clip.h"
#include "song/fs.h"
#include "song/play_images.h"
#include "song/smf_writer.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace rz {
namespace {

constexpr const char* kCopyFailed = "Sorry, the file copy operation failed.  Do you have enough disk space?";

struct SetDocumentSongs : SetFixture, testing::Test {
    SetTempDir elsewhere;

    void openEmptySet()
    {
        writeSet({});
        ASSERT_TRUE(set.OnOpenDocument(setPath()));
    }

    // "song.midi" elsewhere, with an audio track playing two clips from
    // its own "WaveData" folder.
    std::filesystem::path songWithClips()
    {
        const std::filesystem::path waveData = elsewhere.path() / "WaveData";
        writeBytes(waveData / "a.wav", {'a', 'a'});
        writeBytes(waveData / "b.wav", {'b'});
        CSongDoc song(set.songContext());
        song.InitNewSong();
        song.songFolder = elsewhere.path();
        auto audio = std::make_unique<CTrack>();
        audio->type = kWaveTrack;
        audio->name = "Audio";
        for (const auto& [tick, name] : {std::pair{0, "WaveData\\a.wav"}, std::pair{480, "WaveData\\b.wav"}}) {
            auto clip = std::make_unique<CAudioClip>();
            clip->fileName = name;
            clip->number = 1;
            CMidiEvent event;
            event.tick = tick;
            event.value2 = 240;
            event.SetClip(std::move(clip));
            audio->events.push_back(std::move(event));
        }
        song.tracks.insert(song.tracks.end() - 1, std::move(audio));
        RebuildPlayImages(song, false);
        song.ExtendMeasureMap();
        song.RecomputeMeasureStarts();
        std::vector<uint8_t> bytes;
        std::string reason;
        EXPECT_TRUE(BuildSongFile(song, bytes, reason)) << reason;
        const std::filesystem::path path = elsewhere.path() / "song.midi";
        writeBytes(path, bytes);
        return path;
    }

    std::vector<std::string> filesIn(const std::filesystem::path& folder) const
    {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(SetDocumentSongs, EnforcingTheSizeKeepsWhatWouldBeLost)
{
    std::vector<CSongDoc*> songs;
    for (int i = 0; i < 81; ++i)
        songs.push_back(add());
    songs[1]->modified = true;
    songs[2]->undoList.push_back(std::make_unique<CUndoRecord>());
    set.setCurrent(songs[3]);
    set.setNextMark(*songs[4], true);
    set.EnforceMaxSetSize(songs[5]);
    for (int i = 0; i < 81; ++i)
        EXPECT_EQ(songs[size_t(i)]->contentFlag, i >= 1 && i <= 5) << i;
}

TEST_F(SetDocumentSongs, EightySongsAreNotTooMany)
{
    std::vector<CSongDoc*> songs;
    for (int i = 0; i < 80; ++i)
        songs.push_back(add());
    set.EnforceMaxSetSize(songs[0]);
    EXPECT_TRUE(std::all_of(songs.begin(), songs.end(), [](CSongDoc* s) { return s->contentFlag; }));
}

TEST_F(SetDocumentSongs, InsertingAtTheSelectionGoesBeforeItOrIntoAFolder)
{
    openEmptySet();
    for (const char* name : {"a.mid", "b.mid", "c.mid"})
        writeSmallSong(folder.path() / name);
    set.InsertSongAtSelection(folder.path() / "a.mid");
    set.InsertSongAtSelection(folder.path() / "b.mid");
    EXPECT_EQ(shape(), "b.mid a.mid");
    set.tree().select(set.tree().InsertFolder("F", set.tree().beforeStatus()));
    set.InsertSongAtSelection(folder.path() / "c.mid");
    EXPECT_EQ(shape(), "b.mid a.mid [F: c.mid]");
    EXPECT_EQ(host.current, set.songAt(2));
    EXPECT_TRUE(set.IsModified());
}

TEST_F(SetDocumentSongs, AnImportCopiesTheSongAndItsClipsIntoTheSet)
{
    openEmptySet();
    const std::filesystem::path source = songWithClips();
    ASSERT_TRUE(set.ImportSong(source));
    const std::filesystem::path target = folder.path() / "song.mid";
    ASSERT_TRUE(std::filesystem::exists(target));
    EXPECT_EQ(filesIn(folder.path() / "WaveData"), (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_EQ(readBytes(folder.path() / "WaveData" / "a.wav"), (std::vector<uint8_t>{'a', 'a'}));
    CSongDoc* imported = set.songAt(0);
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(imported->pathName, target);
    ASSERT_TRUE(imported->contentFlag);
    std::vector<std::string> clips;
    for (const auto& track : imported->tracks)
        for (const CMidiEvent& event : track->events)
            if (const CAudioClip* clip = event.clip())
                clips.push_back(clip->fileName);
    EXPECT_EQ(clips, (std::vector<std::string>{(folder.path() / "WaveData/a.wav").string(),
                                               (folder.path() / "WaveData/b.wav").string()}));
    EXPECT_TRUE(std::filesystem::exists(source));

    prompt.expectMessage("Sorry, 'song' already exists in this set--rename or delete and try again.");
    EXPECT_FALSE(set.ImportSong(source));
    EXPECT_EQ(set.CountSongs(), 1);
}

TEST_F(SetDocumentSongs, AFailedImportLeavesWaveDataAsItWas)
{
    openEmptySet();
    const std::filesystem::path source = songWithClips();
    for (bool waveDataExists : {false, true}) {
        if (waveDataExists)
            writeBytes(folder.path() / "WaveData" / "mine.wav", {'m'});
        const std::vector<std::string> before = filesIn(folder.path() / "WaveData");
        {
            ScopedFsFault fault(FsStep::Write, ENOSPC);
            prompt.expectMessage(kCopyFailed);
            EXPECT_FALSE(set.ImportSong(source));
        }
        EXPECT_EQ(std::filesystem::exists(folder.path() / "WaveData"), waveDataExists);
        EXPECT_EQ(filesIn(folder.path() / "WaveData"), before);
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "song.mid"));
        EXPECT_EQ(set.CountSongs(), 0);
    }
}

TEST_F(SetDocumentSongs, AnImportOfASongAlreadyInTheFolderOnlyInsertsIt)
{
    openEmptySet();
    writeSmallSong(folder.path() / "here.mid");
    EXPECT_TRUE(set.ImportSong(folder.path() / "here.mid"));
    EXPECT_EQ(shape(), "here.mid");
}

} // namespace
} // namespace rz
