#include <algorithm>
#include <cerrno>
#include <map>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "song/auto_recover.h"
#include "song/fs.h"
#include "saved_song.h"

namespace rz {
namespace {

using namespace test;
namespace fs = std::filesystem;

std::vector<uint8_t> bytesOf(std::string_view text)
{
    return {text.begin(), text.end()};
}

// Every file under a folder with its bytes, by path relative to the folder.
std::map<std::string, std::vector<uint8_t>> snapshot(const fs::path& folder)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = readBytes(entry.path());
    return files;
}

std::set<std::string> names(const fs::path& folder)
{
    std::set<std::string> result;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        result.insert(fs::relative(entry.path(), folder).string());
    return result;
}

// A modified song titled "My Song" with one note, whose file is Songs/Old.mid
// in a temporary folder; "Rename" off unless a test turns it on.
class SaveFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(songs());
        fixture.profile.writeInt("SaveOptions", "Rename", 0);
        song = fixture.newSong();
        song->title = "My Song";
        addUserTrack(*song).events = {note(0, 60, 100, 120)};
        settle(*song);
        song->SetPathName(songs() / "Old.mid");
        song->SetModifiedFlag(true);
    }

    fs::path songs() const { return dir.path() / "Songs"; }
    fs::path path() const { return songs() / "Old.mid"; }

    // The song file, its backup and its AutoRecover copy, each with old bytes.
    void writeOldFiles()
    {
        writeBytes(path(), bytesOf("old song"));
        writeBytes(songs() / "Old.bak", bytesOf("old backup"));
        writeBytes(AutoRecoverPath(path()), bytesOf("old copy"));
    }

    // A note whose key offset must be clipped: asked about before a normal save.
    void clipTheOffsets()
    {
        CTrack& track = *song->tracks[1];
        track.key = 5;
        track.events = {note(0, 125, 100, 120)};
        settle(*song);
        ASSERT_EQ(track.clipFlags, 1u);
    }

    TempDir dir;
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song;
};

TEST_F(SaveFiles, SavedFileOpensAsTheSong)
{
    ASSERT_TRUE(song->DoFileSave());
    EXPECT_FALSE(song->IsModified());
    SongFixture other;
    CSongDoc back(other.context());
    std::string reason;
    ASSERT_TRUE(OpenSong(back, path(), reason)) << reason;
    ASSERT_EQ(back.tracks.size(), 3u);
    EXPECT_EQ(back.tracks[1]->events.size(), 1u);
}

TEST_F(SaveFiles, BackupsKeepOnePreviousVersion)
{
    fixture.profile.writeInt("SaveOptions", "Backups", 1);
    ASSERT_TRUE(song->OnSaveDocument(path()));
    EXPECT_FALSE(fs::exists(songs() / "Old.bak"));
    song->memo = "second";
    ASSERT_TRUE(song->OnSaveDocument(path()));
    const std::vector<uint8_t> second = readBytes(path());
    song->memo = "third";
    ASSERT_TRUE(song->OnSaveDocument(path()));
    EXPECT_EQ(readBytes(songs() / "Old.bak"), second);
    EXPECT_NE(readBytes(path()), second);
    EXPECT_EQ(names(songs()), (std::set<std::string>{"Old.bak", "Old.mid"}));
}

TEST_F(SaveFiles, RefusedLinkTakesTheBackupAsACopy)
{
    fixture.profile.writeInt("SaveOptions", "Backups", 1);
    writeOldFiles();
    const ScopedFsFault noLinks(FsStep::Link, EPERM);
    ASSERT_TRUE(song->OnSaveDocument(path()));
    EXPECT_EQ(readBytes(songs() / "Old.bak"), bytesOf("old song"));
}

TEST_F(SaveFiles, FailedStepLeavesEveryFileAsItWas)
{
    fixture.profile.writeInt("SaveOptions", "Backups", 1);
    writeOldFiles();
    const auto before = snapshot(dir.path());
    struct Case {
        FsStep step;
        int error;
        const char* shown;
    } cases[] = {
        {FsStep::Create, EACCES, "Permission denied"},  {FsStep::Write, ENOSPC, "No space left"},
        {FsStep::Sync, EIO, "Input/output error"},      {FsStep::Close, EIO, "Input/output error"},
        {FsStep::Replace, EBUSY, "busy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        const ScopedFsFault fault(c.step, c.error);
        fixture.prompt.expectMessage(c.shown);
        EXPECT_FALSE(song->DoFileSave());
        EXPECT_TRUE(song->IsModified());
        EXPECT_EQ(snapshot(dir.path()), before);
    }
}

TEST_F(SaveFiles, ReadOnlyFileIsRefusedBeforeAnyChange)
{
    fixture.profile.writeInt("SaveOptions", "Backups", 1);
    writeBytes(path(), bytesOf("old song"));
    ASSERT_EQ(::chmod(path().c_str(), 0444), 0);
    clipTheOffsets();
    const auto before = snapshot(dir.path());
    fixture.prompt.expectMessage("Old.mid is read-only and may not be overwritten.");
    EXPECT_FALSE(song->OnSaveDocument(path()));
    EXPECT_EQ(snapshot(dir.path()), before);
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_TRUE(song->IsModified());

    // File > Save turns into Save As.
    fixture.prompt.expectSavePath("Save As", std::nullopt);
    EXPECT_FALSE(song->DoFileSave());
    EXPECT_EQ(snapshot(dir.path()), before);
}

TEST_F(SaveFiles, FolderThatCannotBeWrittenIsRefused)
{
    writeOldFiles();
    ASSERT_EQ(::chmod(songs().c_str(), 0555), 0);
    if (::access(songs().c_str(), W_OK) == 0) {
        ::chmod(songs().c_str(), 0755);
        GTEST_SKIP() << "every folder is writable to this user (root)";
    }
    const auto before = snapshot(dir.path());
    fixture.prompt.expectMessage("cannot be written");
    EXPECT_FALSE(song->DoFileSave());
    ::chmod(songs().c_str(), 0755);
    EXPECT_EQ(snapshot(dir.path()), before);
}

TEST_F(SaveFiles, RenameFollowsTheTitle)
{
    struct Case {
        const char* title;
        const char* folder;      // the song's folder under the temporary one
        bool nameTaken;          // "My Song.mid" exists beside the song
        const char* expected;    // the song's path afterwards
    } cases[] = {
        {"My Song  ", "Songs", false, "Songs/My Song.mid"},
        {"My Song", "Old", false, "My Song/My Song.mid"},
        {"My Song", "Songs", true, "Songs/Old.mid"},
        {"   ", "Songs", false, "Songs/Old.mid"},
        {"A/B: c?", "Songs", false, "Songs/A_B_ c_.mid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title + std::string(" in ") + c.folder);
        TempDir root;
        const fs::path folder = root.path() / c.folder;
        fs::create_directories(folder);
        fixture.profile.writeInt("SaveOptions", "Rename", 1);
        fixture.profile.writeInt("SaveOptions", "Backups", 1);
        fixture.setLink.standAlone = true;
        writeBytes(folder / "Old.mid", bytesOf("old song"));
        if (c.nameTaken)
            writeBytes(folder / "My Song.mid", bytesOf("another song"));
        song->title = c.title;
        song->SetPathName(folder / "Old.mid");
        fixture.host.log.clear();
        ASSERT_TRUE(song->DoFileSave());
        EXPECT_EQ(song->pathName, root.path() / c.expected);
        EXPECT_EQ(song->songFolder, (root.path() / c.expected).parent_path());
        EXPECT_TRUE(fs::exists(root.path() / c.expected));
        const bool renamed = std::string(c.expected) != std::string(c.folder) + "/Old.mid";
        // The backup follows the file.
        EXPECT_EQ(readBytes(song->pathName.parent_path() / (song->pathName.stem().string() + ".bak")),
                  bytesOf("old song"));
        if (c.nameTaken) {
            EXPECT_EQ(readBytes(folder / "My Song.mid"), bytesOf("another song"));
        }
        EXPECT_EQ(fixture.host.log.contains("SetAutoOpenPath(" + song->pathName.string() + ")"), renamed);
        EXPECT_EQ(fixture.host.log.count("removeNewestRecentSong"), renamed ? 1u : 0u);
        EXPECT_EQ(fixture.setLink.log.count("setModified"), 0u);
    }
}

TEST_F(SaveFiles, RenamedSongOfASetMarksTheSetModified)
{
    fixture.profile.writeInt("SaveOptions", "Rename", 1);
    ASSERT_TRUE(song->DoFileSave());
    EXPECT_EQ(song->pathName, songs() / "My Song.mid");
    EXPECT_EQ(fixture.setLink.log.count("setModified"), 1u);
    EXPECT_EQ(fixture.host.log.count("SetAutoOpenPath"), 0u);
}

TEST_F(SaveFiles, RenamedFolderKeepsItsClipsFound)
{
    const fs::path folder = dir.path() / "Old";
    fs::create_directories(folder / "WaveData");
    writeBytes(folder / "WaveData/a.wav", bytesOf("audio"));
    fixture.profile.writeInt("SaveOptions", "Rename", 1);
    CTrack& audio = addUserTrack(*song);
    audio.type = kWaveTrack;
    audio.events.push_back(clipEventFor((folder / "WaveData/a.wav").string()));
    settle(*song);
    song->SetPathName(folder / "Old.mid");
    ASSERT_TRUE(song->DoFileSave());
    EXPECT_EQ(song->pathName, dir.path() / "My Song/My Song.mid");
    EXPECT_EQ(audio.events[0].clip()->fileName, (dir.path() / "My Song/WaveData/a.wav").string());
}

TEST_F(SaveFiles, AutoRecoverSaveAsksNothingAndLeavesTheSongModified)
{
    fixture.profile.writeInt("SaveOptions", "Backups", 1);
    fixture.profile.writeInt("SaveOptions", "Rename", 1);
    clipTheOffsets();
    const fs::path copy = AutoRecoverPath(path());
    ASSERT_TRUE(song->OnSaveDocument(copy));
    EXPECT_TRUE(song->IsModified());
    EXPECT_TRUE(song->autoRecoverMark);
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_EQ(song->pathName, path());
    EXPECT_EQ(names(songs()), (std::set<std::string>{"Old.mid.sav"}));
    SongFixture other;
    EXPECT_NE(openBytes(other, readBytes(copy)), nullptr);
}

TEST_F(SaveFiles, EveryNormalSaveRemovesTheRecoverCopy)
{
    for (int rename : {0, 1}) {
        SCOPED_TRACE(rename);
        fixture.profile.writeInt("SaveOptions", "Rename", rename);
        song->title = "Old";
        song->autoRecoverMark = true;
        writeBytes(AutoRecoverPath(path()), bytesOf("old copy"));
        ASSERT_TRUE(song->DoFileSave());
        EXPECT_FALSE(fs::exists(AutoRecoverPath(path())));
        EXPECT_FALSE(song->autoRecoverMark);
    }
}

TEST_F(SaveFiles, ClosingAfterAFailedSaveKeepsTheSong)
{
    writeOldFiles();
    const auto before = snapshot(dir.path());
    const ScopedFsFault diskFull(FsStep::Write, ENOSPC);
    fixture.prompt.expectYesNoCancel("Save changes to My Song?", PromptAnswer::Yes);
    fixture.prompt.expectMessage("No space left on device");
    EXPECT_FALSE(song->CloseSong());
    EXPECT_TRUE(song->contentFlag);
    EXPECT_EQ(song->tracks.size(), 3u);
    EXPECT_TRUE(song->IsModified());
    EXPECT_EQ(snapshot(dir.path()), before);
}

TEST_F(SaveFiles, OffsetsQuestion)
{
    clipTheOffsets();
    fixture.prompt.expectOkCancel("Track 1:  key; \n\nApply these offsets and save anyway?",
                                  PromptAnswer::Cancel);
    EXPECT_FALSE(song->DoFileSave());
    EXPECT_FALSE(fs::exists(path()));
    EXPECT_EQ(song->tracks[1]->key, 5);

    fixture.prompt.expectOkCancel("Track offsets will cause values to be clipped", PromptAnswer::Ok);
    ASSERT_TRUE(song->DoFileSave());
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.front()->label, "Apply offsets");
    EXPECT_EQ(song->tracks[1]->key, 0);
    EXPECT_EQ(song->tracks[1]->events[0].data1(), 118); // 130 folded down an octave
    EXPECT_FALSE(song->IsModified());
    ASSERT_TRUE(song->Undo());
    EXPECT_EQ(song->tracks[1]->key, 5);
    EXPECT_EQ(song->tracks[1]->events[0].data1(), 125);
    EXPECT_TRUE(song->IsModified());
}

TEST_F(SaveFiles, SaveAsQuestions)
{
    song->pathName.clear();
    song->songFolder.clear();
    song->title = "Intro #2";
    fixture.prompt.expectSavePath("Save As", std::nullopt);
    EXPECT_FALSE(song->DoFileSave());
    ASSERT_EQ(fixture.prompt.prompts().size(), 1u);
    EXPECT_EQ(fixture.prompt.prompts()[0].path, "Intro.mid");

    writeBytes(songs() / "Other.mid", bytesOf("another song"));
    fixture.prompt.expectSavePath("Save As", songs() / "Other.mid");
    fixture.prompt.expectYesNo("Other.mid' already exists. Replace it?", PromptAnswer::No);
    EXPECT_FALSE(song->DoFileSave());
    EXPECT_EQ(readBytes(songs() / "Other.mid"), bytesOf("another song"));
    EXPECT_TRUE(song->pathName.empty());
    EXPECT_EQ(song->title, "Intro #2");

    fixture.prompt.expectSavePath("Save As", songs() / "Other.mid");
    fixture.prompt.expectYesNo("already exists. Replace it?", PromptAnswer::Yes);
    ASSERT_TRUE(song->DoFileSave());
    EXPECT_EQ(song->pathName, songs() / "Other.mid");
    EXPECT_EQ(song->title, "Other");
    EXPECT_NE(readBytes(songs() / "Other.mid"), bytesOf("another song"));
}

TEST_F(SaveFiles, FailedSaveAsKeepsTheChosenFileAndTheSongsNames)
{
    writeBytes(songs() / "Other.mid", bytesOf("another song"));
    const auto before = snapshot(dir.path());
    const ScopedFsFault fault(FsStep::Replace, EIO);
    fixture.prompt.expectSavePath("Save As", songs() / "Other.mid");
    fixture.prompt.expectYesNo("already exists. Replace it?", PromptAnswer::Yes);
    fixture.prompt.expectMessage("Input/output error");
    EXPECT_FALSE(song->DoSave(std::nullopt, true));
    EXPECT_EQ(snapshot(dir.path()), before);
    EXPECT_EQ(song->pathName, path());
    EXPECT_EQ(song->title, "My Song");
}

TEST_F(SaveFiles, ClipFilesMoveWhereTheyBelong)
{
    TempDir work;
    fixture.host.workFolderPath = work.path();
    writeBytes(work.path() / "take.wav", bytesOf("recorded"));
    fs::create_directories(songs() / "WaveData");
    writeBytes(songs() / "WaveData/old.wav", bytesOf("replaced"));
    CTrack& audio = addUserTrack(*song);
    audio.type = kWaveTrack;
    audio.events.push_back(clipEventFor((work.path() / "take.wav").string()));
    settle(*song);
    // An undo record still holds a clip the song no longer plays.
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->events = std::make_unique<CEventList>();
    record->events->events.push_back(clipEventFor((songs() / "WaveData/old.wav").string()));
    CUndoRecord* kept = record.get();
    song->undoList.push_back(std::move(record));
    song->undoPosition = song->undoList.end();

    ASSERT_TRUE(song->DoFileSave());
    const std::string moved = (songs() / "WaveData/take.wav").string();
    EXPECT_EQ(audio.events[0].clip()->fileName, moved);
    EXPECT_EQ(readBytes(moved), bytesOf("recorded"));
    EXPECT_FALSE(fs::exists(work.path() / "take.wav"));
    const std::string parked = kept->events->events[0].clip()->fileName;
    EXPECT_EQ(fs::path(parked).parent_path(), work.path());
    EXPECT_EQ(readBytes(parked), bytesOf("replaced"));
    EXPECT_FALSE(fs::exists(songs() / "WaveData/old.wav"));
}

TEST_F(SaveFiles, CopyInAnotherFolderOpensWithItsClips)
{
    struct Case {
        const char* name;
        std::optional<std::string> alreadyThere; // a WaveData/a.wav of the other folder
    } cases[] = {{"a new folder", std::nullopt},
                 {"the same clip saved there before", "audio"},
                 {"another song's clip of that name", "other song"}};
    fs::create_directories(songs() / "WaveData");
    writeBytes(songs() / "WaveData/a.wav", bytesOf("audio"));
    CTrack& audio = addUserTrack(*song);
    audio.type = kWaveTrack;
    audio.events.push_back(clipEventFor((songs() / "WaveData/a.wav").string()));
    settle(*song);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir elsewhere;
        const fs::path copy = elsewhere.path() / "Copy.mid";
        if (c.alreadyThere) {
            fs::create_directories(elsewhere.path() / "WaveData");
            writeBytes(elsewhere.path() / "WaveData/a.wav", bytesOf(*c.alreadyThere));
        }
        ASSERT_TRUE(song->DoSave(copy, false));
        EXPECT_EQ(song->pathName, path());
        EXPECT_EQ(audio.events[0].clip()->fileName, (songs() / "WaveData/a.wav").string());
        if (c.alreadyThere) {
            EXPECT_EQ(readBytes(elsewhere.path() / "WaveData/a.wav"), bytesOf(*c.alreadyThere));
        }

        SongFixture other;
        CSongDoc back(other.context());
        std::string reason;
        ASSERT_TRUE(OpenSong(back, copy, reason)) << reason;
        ASSERT_EQ(back.tracks.size(), 4u);
        ASSERT_EQ(back.tracks[2]->events.size(), 1u);
        const CAudioClip* clip = back.tracks[2]->events[0].clip();
        ASSERT_NE(clip, nullptr);
        EXPECT_EQ(fs::path(clip->fileName).parent_path(), elsewhere.path() / "WaveData");
        EXPECT_EQ(readBytes(clip->fileName), bytesOf("audio"));
    }
    // The song's own save still names its clip inside its own folder.
    ASSERT_TRUE(song->DoFileSave());
    SongFixture other;
    CSongDoc back(other.context());
    std::string reason;
    ASSERT_TRUE(OpenSong(back, path(), reason)) << reason;
    EXPECT_EQ(back.tracks[2]->events[0].clip()->fileName, (songs() / "WaveData/a.wav").string());
}

// A name of 250 bytes: its scratch names are cut to stay within the limit.
TEST_F(SaveFiles, LongFileName)
{
    fixture.profile.writeInt("SaveOptions", "Backups", 1);
    const std::string stem(246, 'n');
    const fs::path longPath = songs() / (stem + ".mid");
    for (const char* memo : {"first", "second"}) {
        song->memo = memo;
        ASSERT_TRUE(song->OnSaveDocument(longPath));
    }
    EXPECT_EQ(names(songs()), (std::set<std::string>{stem + ".bak", stem + ".mid"}));
    SongFixture other;
    CSongDoc back(other.context());
    std::string reason;
    ASSERT_TRUE(OpenSong(back, longPath, reason)) << reason;
    EXPECT_EQ(back.memo, "second");
}

// Scratch files a killed save left go when the song is opened or saved;
// other songs' and other names stay.
TEST_F(SaveFiles, ScratchLeftovers)
{
    const std::vector<std::string> kept = {".Other.mid.1a2b3c.tmp", ".Old.mid.1a2b3c.tmp.bak",
                                           ".Old.mid.not-hex.tmp", "Old.mid.1a2b3c.tmp"};
    auto leave = [&](const std::vector<std::string>& files) {
        for (const std::string& name : files)
            writeBytes(songs() / name, bytesOf("left by a killed save"));
    };
    ASSERT_TRUE(song->DoFileSave());
    std::set<std::string> expected = names(songs());
    expected.insert(kept.begin(), kept.end());
    leave(kept);

    leave({".Old.mid.00ff9a.tmp", ".Old.mid.abcdef.tmp"});
    SongFixture other;
    CSongDoc opened(other.context());
    std::string reason;
    ASSERT_TRUE(OpenSong(opened, path(), reason)) << reason;
    EXPECT_EQ(names(songs()), expected);

    leave({".Old.mid.123456.tmp"});
    ASSERT_TRUE(song->DoFileSave());
    EXPECT_EQ(names(songs()), expected);
}

// A song that is a link to a file elsewhere keeps its backup beside that
// file, also where the backup's rename is refused across devices; a backup
// that cannot be kept is said to be lost.
TEST_F(SaveFiles, BackupThroughLink)
{
    fixture.profile.writeInt("SaveOptions", "Backups", 1);
    const fs::path real = dir.path() / "Elsewhere";
    fs::create_directories(real);
    writeBytes(real / "Real.mid", bytesOf("old song"));
    const fs::path link = songs() / "Link.mid";
    fs::create_symlink(real / "Real.mid", link);
    song->SetPathName(link);

    ASSERT_TRUE(song->DoFileSave());
    EXPECT_EQ(readBytes(real / "Real.bak"), bytesOf("old song"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(std::distance(fs::directory_iterator(songs()), fs::directory_iterator()), 1);
    const std::vector<uint8_t> first = readBytes(real / "Real.mid");

    {
        const ScopedFsFault otherDevice(FsStep::KeepBackup, EXDEV);
        song->memo = "second";
        ASSERT_TRUE(song->DoFileSave());
    }
    EXPECT_EQ(readBytes(real / "Real.bak"), first);
    EXPECT_EQ(names(real), (std::set<std::string>{"Real.bak", "Real.mid"}));

    fs::remove(real / "Real.bak");
    fs::create_directory(real / "Real.bak");
    const std::vector<uint8_t> second = readBytes(real / "Real.mid");
    song->memo = "third";
    fixture.prompt.expectMessage("was saved, but no backup was kept");
    ASSERT_TRUE(song->DoFileSave());
    EXPECT_NE(readBytes(real / "Real.mid"), second);
    EXPECT_TRUE(fs::is_directory(real / "Real.bak"));
    EXPECT_EQ(names(real), (std::set<std::string>{"Real.bak", "Real.mid"}));
}

} // namespace
} // namespace rz
