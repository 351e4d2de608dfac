#include "set_fixture.h"

#include "song/auto_recover.h"
#include "song/fs.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace rz {
namespace {

struct SetDocumentOpen : SetFixture, testing::Test {
    std::filesystem::path song(const std::string& name)
    {
        const std::filesystem::path path = folder.path() / name;
        writeSmallSong(path);
        return path;
    }

    bool open()
    {
        const bool opened = set.OnOpenDocument(setPath());
        set.setCurrent(host.current);
        return opened;
    }

    // Everything a failed open must leave as it was.
    std::string state() const
    {
        return shape() + " | " + set.pathName().string() + " | " + (set.IsModified() ? "modified" : "saved")
               + " | current " + (host.current ? host.current->pathName.string() : "none");
    }

    std::vector<std::string> listing() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path()))
            names.push_back(entry.path().lexically_relative(folder.path()).string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(SetDocumentOpen, TheTreeComesBackAsStoredAndTheFirstSongIsCurrent)
{
    for (const char* name : {"A.mid", "B.mid", "C.mid", "D.mid"})
        song(name);
    writeSet({songEntry((folder.path() / "A.mid").string()), folderEntry("Encore"),
              songEntry((folder.path() / "B.mid").string(), 1),
              songEntry((folder.path() / "C.mid").string(), 1, true),
              songEntry((folder.path() / "D.mid").string())},
             true);
    ASSERT_TRUE(open());
    EXPECT_TRUE(set.hasSetFile());
    EXPECT_EQ(shape(), "A.mid [Encore: B.mid -C.mid] D.mid");
    int depth = 0;
    const SetTreeItem* encore = set.tree().GetNextItem(set.tree().firstItem(), depth);
    EXPECT_TRUE(encore->collapsed);
    EXPECT_EQ(host.current, set.songAt(0));
    EXPECT_EQ(setHost.lockCalls, 1);
    EXPECT_FALSE(set.IsModified());
    EXPECT_EQ(setHost.progress.front(), "Loading set... A.mid");
    EXPECT_EQ(setHost.ended, 1);
    EXPECT_EQ(set.title(), "Show");
}

TEST_F(SetDocumentOpen, EightySongsLoadAndEightyOneLoadNone)
{
    for (size_t count : {80u, 81u}) {
        std::vector<SetFileEntry> entries;
        for (size_t i = 0; i < count; ++i)
            entries.push_back(songEntry(song("s" + std::to_string(i) + ".mid").string()));
        writeSet(entries);
        ASSERT_TRUE(open());
        size_t loaded = 0;
        for (CSongDoc* s : set.songs())
            loaded += s->contentFlag && s != host.current ? 1 : 0;
        EXPECT_EQ(loaded, count == 80 ? 79u : 0u) << count;
        host.SetCurrentSong(nullptr);
    }
}

TEST_F(SetDocumentOpen, DisabledSongsAreNeverRead)
{
    writeSet({songEntry(song("on.mid").string()), songEntry(song("off.mid").string(), 0, true)});
    ASSERT_TRUE(open());
    EXPECT_TRUE(set.songAt(0)->contentFlag);
    EXPECT_FALSE(set.songAt(1)->contentFlag);
    EXPECT_TRUE(set.isDisabled(*set.songAt(1)));
}

TEST_F(SetDocumentOpen, APathListedTwiceSharesOneDocument)
{
    const std::string a = song("a.mid").string();
    writeSet({songEntry(a), songEntry(song("b.mid").string()), songEntry(a)});
    ASSERT_TRUE(open());
    CSongDoc* shared = set.songAt(0);
    EXPECT_EQ(set.songAt(2), shared);
    EXPECT_EQ(set.CountSongs(), 2);
    EXPECT_EQ(set.entryCount(*shared), 2);
    set.RemoveSong(*shared);
    EXPECT_TRUE(set.contains(shared));
    EXPECT_EQ(set.entryCount(*shared), 1);
    EXPECT_EQ(shape(), "a.mid b.mid");
    // Removing with a set file saves the set at once.
    EXPECT_FALSE(set.IsModified());
    EXPECT_EQ(decodeSetFile(readBytes(setPath())).index(), 0u);
}

TEST_F(SetDocumentOpen, AStoredPathFromAnotherMachineIsFoundInTheSetFolder)
{
    const struct {
        const char* file;
    } cases[] = {{"Song.mid"}, {"Song/Song.mid"}, {"song.MID"}};
    for (const auto& c : cases) {
        std::filesystem::remove_all(folder.path());
        std::filesystem::create_directories(folder.path());
        song(c.file);
        writeSet({songEntry("C:\\Gigs\\Show\\Song.mid")});
        ASSERT_TRUE(open()) << c.file;
        EXPECT_EQ(set.songAt(0)->pathName, folder.path() / c.file) << c.file;
        EXPECT_TRUE(set.songAt(0)->contentFlag) << c.file;
        host.SetCurrentSong(nullptr);
    }
}

TEST_F(SetDocumentOpen, ANameThatIsNotUtf8IsTriedAsWindows1252)
{
    song("Caf\xC3\xA9.mid");
    writeSet({songEntry("C:\\Show\\Caf\xE9.mid")});
    ASSERT_TRUE(open());
    EXPECT_TRUE(set.songAt(0)->contentFlag);
}

TEST_F(SetDocumentOpen, AnUnresolvedPathIsWrittenBackByteForByte)
{
    const std::string stored = "D:\\Old\\Caf\xE9 \\Gone.mid";
    writeSet({songEntry(stored), songEntry(song("here.mid").string())});
    const std::vector<uint8_t> before = readBytes(setPath());
    ASSERT_TRUE(open());
    EXPECT_TRUE(set.loadFailed(*set.songAt(0)));
    EXPECT_FALSE(set.songAt(0)->contentFlag);
    ASSERT_TRUE(set.DoFileSave());
    EXPECT_EQ(readBytes(setPath()), before);
}

TEST_F(SetDocumentOpen, StraySongsShowAtTheTopWhereTheyLie)
{
    writeSet({songEntry(song("listed.mid").string())});
    song("stray.mid");
    song("old/older.KAR");
    writeBytes(folder.path() / "notes.txt", {'x'});
    song("other/sub.mid");
    writeBytes(folder.path() / "other/Other.set", encodeSetFile({}, false));
    const std::vector<std::string> before = listing();
    ASSERT_TRUE(open());
    EXPECT_EQ(shape(), "older.KAR stray.mid listed.mid");
    EXPECT_EQ(set.songAt(0)->pathName, folder.path() / "old/older.KAR");
    EXPECT_TRUE(set.IsModified());
    EXPECT_EQ(listing(), before);
}

TEST_F(SetDocumentOpen, ADeeperEntryWithoutAFolderStaysAtTheTop)
{
    writeSet({songEntry(song("a.mid").string(), 0), songEntry(song("b.mid").string(), 5), songEntry("", 0),
              folderEntry("F", 0), songEntry(song("c.mid").string(), 9), songEntry(song("d.mid").string(), 0)});
    ASSERT_TRUE(open());
    EXPECT_EQ(shape(), "a.mid b.mid [F: c.mid] d.mid");
}

TEST_F(SetDocumentOpen, AFileThatDoesNotDecodeChangesNothing)
{
    writeSet({songEntry(song("a.mid").string()), folderEntry("F"), songEntry(song("b.mid").string(), 1)});
    const std::vector<uint8_t> good = readBytes(setPath());
    ASSERT_TRUE(open());
    set.SetModifiedFlag(true);
    const std::string before = state();
    const std::filesystem::path bad = folder.path() / "Bad.set";

    std::vector<std::vector<uint8_t>> files;
    for (size_t length = 0; length < good.size(); ++length)
        files.emplace_back(good.begin(), good.begin() + std::ptrdiff_t(length));
    std::vector<uint8_t> hugeName = {1, 0, 0, 0, 101, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    std::vector<uint8_t> hugeCount = good;
    hugeCount[0] = 0xFF, hugeCount[1] = 0xFF, hugeCount[2] = 0xFF, hugeCount[3] = 0x7F;
    std::vector<uint8_t> wide = {1, 0, 0, 0, 101, 0, 0, 0, 0, 0, 0xFF, 0xFE, 0xFF, 1, 'A', 0, 0, 0, 0, 0};
    files.insert(files.end(), {hugeName, hugeCount, wide});
    for (const auto& bytes : files) {
        writeBytes(bad, bytes);
        prompt.expectMessage("Sorry, '" + bad.string() + "' is not a valid set file (");
        EXPECT_FALSE(set.OnOpenDocument(bad)) << bytes.size();
        EXPECT_EQ(state(), before) << bytes.size();
    }
    EXPECT_NE(prompt.prompts().back().text.find("entry 1: name holds wide characters"), std::string::npos);
}

// A name cut at its NUL byte names the set's folder: opening asked about an
// AutoRecover copy there and, on Cancel, tried to remove the folder.
TEST_F(SetDocumentOpen, ANameHoldingANulByteIsRefusedAndNothingIsTouched)
{
    song("a.mid");
    std::filesystem::create_directory(folder.path() / "keep");
    writeSet({songEntry(song("b.mid").string()), songEntry(std::string("x\0.mid", 6))});
    const std::vector<std::string> before = listing();
    prompt.expectMessage("Sorry, '" + setPath().string()
                         + "' is not a valid set file (entry 2: its name holds a NUL byte).");
    EXPECT_FALSE(open());
    EXPECT_EQ(listing(), before);
    EXPECT_TRUE(set.songs().empty());
    prompt.verifyAllUsed();
}

// Only a plain ".sav" file is an AutoRecover copy: a folder of that name is
// neither asked about nor removed.
TEST_F(SetDocumentOpen, AFolderWhereTheAutoRecoverCopyWouldBeIsLeftAlone)
{
    const std::filesystem::path path = song("a.mid");
    std::filesystem::create_directory(AutoRecoverPath(path));
    EXPECT_FALSE(hasAutoRecoverCopy(path));
    EXPECT_TRUE(deleteAutoRecoverCopy(path));
    EXPECT_TRUE(std::filesystem::is_directory(AutoRecoverPath(path)));
    // Cut at the NUL, the name would be the set folder.
    EXPECT_FALSE(hasAutoRecoverCopy(folder.path().string() + "/" + std::string("\0a.mid", 6)));
    writeSet({songEntry(path.string())});
    ASSERT_TRUE(open());
    EXPECT_TRUE(std::filesystem::is_directory(AutoRecoverPath(path)));
    prompt.verifyAllUsed();
}

// The views and the idle ticks wait on the SongMutex: the AutoRecover
// question is never up while a set's song open holds it.
TEST_F(SetDocumentOpen, TheAutoRecoverQuestionIsAskedBeforeTheSongLockIsTaken)
{
    std::vector<SetFileEntry> entries;
    for (const char* name : {"a.mid", "b.mid"}) {
        const std::filesystem::path path = song(name);
        std::filesystem::copy_file(path, AutoRecoverPath(path));
        entries.push_back(songEntry(path.string()));
    }
    writeSet(entries);
    prompt.expectOkCancel("AutoRecover files were found for a", PromptAnswer::Ok);
    prompt.expectOkCancel("AutoRecover files were found for b", PromptAnswer::Cancel);
    ASSERT_TRUE(open());
    prompt.verifyAllUsed();
    ASSERT_EQ(prompt.prompts().size(), 2u);
    for (const PromptRecord& asked : prompt.prompts())
        EXPECT_FALSE(asked.underSongLock) << asked.text;
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(set.songAt(i)->contentFlag) << i;
        EXPECT_FALSE(hasAutoRecoverCopy(set.songAt(i)->pathName)) << "opened or dropped, the copy goes";
    }
}

TEST_F(SetDocumentOpen, ASaveWritesTheTreeAndTheLock)
{
    writeSet({songEntry(song("a.mid").string()), folderEntry("F"), songEntry(song("b.mid").string(), 1, true)});
    const std::vector<uint8_t> written = readBytes(setPath());
    ASSERT_TRUE(open());
    std::filesystem::remove(setPath());
    set.SetModifiedFlag(true);
    ASSERT_TRUE(set.DoFileSave());
    EXPECT_FALSE(set.IsModified());
    EXPECT_EQ(readBytes(setPath()), written);
    setHost.locked = true;
    ASSERT_TRUE(set.DoFileSave());
    EXPECT_TRUE(std::get<SetFileImage>(decodeSetFile(readBytes(setPath()))).performanceLock);
}

TEST_F(SetDocumentOpen, AFailedSaveKeepsTheOldFileAndTheModifiedFlag)
{
    writeSet({songEntry(song("a.mid").string())});
    const std::vector<uint8_t> before = readBytes(setPath());
    ASSERT_TRUE(open());
    set.SetModifiedFlag(true);
    set.tree().InsertFolder("New", set.tree().beforeStatus());
    {
        ScopedFsFault fault(FsStep::Write, ENOSPC);
        prompt.expectMessage("Unable to save " + setPath().string());
        EXPECT_FALSE(set.DoFileSave());
    }
    EXPECT_TRUE(set.IsModified());
    EXPECT_EQ(readBytes(setPath()), before);
}

TEST_F(SetDocumentOpen, WithoutASetFileNothingIsWrittenAndTheFlagIsIgnored)
{
    set.SetModifiedFlag(true);
    EXPECT_FALSE(set.IsModified());
    EXPECT_TRUE(set.isStandAlone());
    EXPECT_TRUE(set.OnSaveDocument(setPath()));
    EXPECT_FALSE(std::filesystem::exists(setPath()));
}

TEST_F(SetDocumentOpen, SaveModifiedAsksForTheSongsThenTheSet)
{
    writeSet({songEntry(song("a.mid").string())});
    ASSERT_TRUE(open());
    set.songAt(0)->SetModifiedFlag(true);
    set.SetModifiedFlag(true);
    prompt.expectYesNoCancel("Save changes to", PromptAnswer::No);
    prompt.expectYesNoCancel("Save changes to Show?", PromptAnswer::Cancel);
    EXPECT_FALSE(set.SaveModified());
    prompt.expectYesNoCancel("Save changes to", PromptAnswer::No);
    prompt.expectYesNoCancel("Save changes to Show?", PromptAnswer::Yes);
    EXPECT_TRUE(set.SaveModified());
    EXPECT_FALSE(set.IsModified());
}

} // namespace
} // namespace rz
