#include "set_fixture.h"

#include "set/set_pane_commands.h"
#include "song/clipboard.h"
#include "song/cue.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

// Moves what it is given into a folder of its own, as the desktop's trash does.
struct FolderTrash : ITrash {
    std::filesystem::path folder;
    std::vector<std::filesystem::path> moved;
    bool fail = false;
    bool moveToTrash(const std::filesystem::path& path) override
    {
        std::error_code error;
        if (fail || !std::filesystem::exists(path, error))
            return false;
        std::filesystem::create_directories(folder);
        std::filesystem::rename(path, folder / path.filename(), error);
        if (error)
            return false;
        moved.push_back(path);
        return true;
    }
};

struct SetPane : SetFixture, testing::Test {
    SetTempDir trashDir;
    FolderTrash trash;
    SetPaneCommands commands{set, setHost, trash};

    void SetUp() override { trash.folder = trashDir.path(); }

    // A.mid, B.mid (disabled, unloaded) in the set folder, and Away.mid elsewhere.
    void openSet(bool awayToo = false)
    {
        writeSmallSong(folder.path() / "A.mid");
        writeSmallSong(folder.path() / "B.mid");
        writeBytes(folder.path() / "B.bak", {1});
        std::vector<SetFileEntry> entries{songEntry("A.mid"), songEntry("B.mid", 0, true)};
        if (awayToo) {
            writeSmallSong(trashDir.path() / "away" / "Away.mid");
            entries.push_back(songEntry((trashDir.path() / "away" / "Away.mid").string()));
        }
        writeSet(entries);
        ASSERT_TRUE(set.OnOpenDocument(setPath()));
        set.navigator().SelectSongByIndex(0);
    }
    SetTreeItem* item(const std::string& name) const
    {
        for (SetTreeItem* each : set.tree().songItems())
            if (each->song->pathName.filename() == name)
                return each;
        return nullptr;
    }
};

TEST_F(SetPane, DeleteEnableTable)
{
    struct Case {
        bool performance, locked;
        TransportState transport;
        bool setFile;
        SetItemKind kind;
        bool current;
        bool enabled;
    };
    const TransportState stopped = TransportState::Stopped;
    const TransportState playing = TransportState::Playing;
    const Case cases[] = {
        {false, false, stopped, true, SetItemKind::Song, true, true},
        {false, false, stopped, true, SetItemKind::Folder, false, true},
        {false, false, stopped, true, SetItemKind::Marker, false, true},
        {false, false, stopped, true, SetItemKind::Status, false, false},
        {false, false, playing, true, SetItemKind::Song, true, false},
        {false, false, playing, true, SetItemKind::Song, false, true},
        {false, false, playing, true, SetItemKind::Folder, false, false},
        {false, false, playing, true, SetItemKind::Marker, false, false},
        {true, false, stopped, true, SetItemKind::Song, false, false},
        {true, false, stopped, false, SetItemKind::Song, true, true},
        {true, false, playing, false, SetItemKind::Song, true, false},
        {true, false, playing, false, SetItemKind::Song, false, true},
        {true, false, stopped, false, SetItemKind::Folder, false, false},
        {true, true, stopped, false, SetItemKind::Song, false, false},
        {false, true, stopped, true, SetItemKind::Song, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "perf " << c.performance << " lock " << c.locked << " playing "
                                        << (c.transport == playing) << " file " << c.setFile << " kind "
                                        << int(c.kind) << " current " << c.current);
        set.DeleteContents();
        if (c.setFile) {
            writeSet({});
            ASSERT_TRUE(set.OnOpenDocument(setPath()));
        }
        CSongDoc* current = add();
        CSongDoc* other = add();
        auto cue = std::make_unique<CCue>();
        cue->name = "Intro";
        insertCueInOrder(other->cues, std::move(cue));
        set.UpdateMarkers(*other);
        SetTreeItem* folderItem = set.tree().InsertFolder("Encores", set.tree().beforeStatus());
        set.navigator().ActivateSongItem(set.tree().itemsOf(current).front(), 0);
        host.performance = c.performance;
        setHost.locked = c.locked;
        engine.state = c.transport;
        SetTreeItem* target = nullptr;
        switch (c.kind) {
        case SetItemKind::Song: target = set.tree().itemsOf(c.current ? current : other).front(); break;
        case SetItemKind::Folder: target = folderItem; break;
        case SetItemKind::Marker: target = set.tree().itemsOf(other).front()->children.front().get(); break;
        default: target = set.tree().statusItem(); break;
        }
        EXPECT_EQ(commands.canDelete(target), c.enabled);
        engine.state = stopped;
        host.performance = false;
    }
    EXPECT_EQ(commands.deleteCaption(set.tree().itemsOf(set.songs().front()).front()), "&Delete");
    set.DeleteContents();
    EXPECT_EQ(commands.deleteCaption(set.tree().itemsOf(add()).front()), "&Close song");
}

TEST_F(SetPane, DeletingTheOnlyEntryOfAnUnloadedSongTrashesItForGood)
{
    openSet();
    ASSERT_FALSE(item("B.mid")->song->contentFlag);
    prompt.expectYesNo("recycle bin", PromptAnswer::Yes);
    commands.Delete(item("B.mid"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "B.mid"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "B.bak"));
    EXPECT_TRUE(std::filesystem::exists(trashDir.path() / "B.mid"));
    EXPECT_EQ(item("B.mid"), nullptr);

    set.DeleteContents();
    ASSERT_TRUE(set.OnOpenDocument(setPath()));
    EXPECT_EQ(shape(), "A.mid");
}

TEST_F(SetPane, NoToTheRecycleQuestionKeepsEverything)
{
    openSet();
    prompt.expectYesNo("recycle bin", PromptAnswer::No);
    commands.Delete(item("B.mid"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "B.mid"));
    EXPECT_NE(item("B.mid"), nullptr);
}

TEST_F(SetPane, FailedRecycleIsReportedAndTheEntryStays)
{
    openSet();
    trash.fail = true;
    prompt.expectYesNo("recycle bin", PromptAnswer::Yes);
    prompt.expectMessage("could not be moved to the trash");
    commands.Delete(item("B.mid"));
    EXPECT_NE(item("B.mid"), nullptr);
}

TEST_F(SetPane, ACopiedSongThatGoesToTheTrashLeavesTheClipboard)
{
    struct Case {
        const char* copied;
        bool fail;
        uint32_t kindAfter;
    };
    for (const Case& c : {Case{"B.mid", false, 0}, Case{"A.mid", false, kClipboardSong},
                          Case{"B.mid", true, kClipboardSong}}) {
        set.DeleteContents();
        std::filesystem::remove_all(trashDir.path());
        openSet();
        trash.fail = c.fail;
        AppClipboard& clipboard = host.clipboardContent;
        clipboard.kind = kClipboardSong;
        clipboard.songPath = folder.path() / "." / c.copied;
        prompt.expectYesNo("recycle bin", PromptAnswer::Yes);
        if (c.fail)
            prompt.expectMessage("could not be moved to the trash");
        commands.Delete(item("B.mid"));
        EXPECT_EQ(clipboard.kind, c.kindAfter) << c.copied << c.fail;
        EXPECT_EQ(clipboard.songPath.empty(), c.kindAfter == 0) << c.copied << c.fail;
    }
}

TEST_F(SetPane, DuplicateEntryOrSongOutsideTheFolderTrashesNothing)
{
    openSet(true);
    CSongDoc* a = set.AddSong(folder.path() / "A.mid", set.tree().beforeStatus(), 1, false);
    ASSERT_EQ(set.entryCount(*a), 2);
    commands.Delete(set.tree().itemsOf(a).back());
    commands.Delete(item("Away.mid"));
    EXPECT_TRUE(trash.moved.empty());
    EXPECT_TRUE(std::filesystem::exists(trashDir.path() / "away" / "Away.mid"));
    EXPECT_EQ(item("Away.mid"), nullptr);
}

TEST_F(SetPane, DisableOfAModifiedSongAsksOnce)
{
    openSet();
    CSongDoc& a = *item("A.mid")->song;
    a.SetModifiedFlag(true);
    prompt.expectYesNoCancel("Save changes", PromptAnswer::Cancel);
    commands.Disable(item("A.mid"));
    EXPECT_FALSE(set.isDisabled(a));
    EXPECT_TRUE(a.contentFlag);

    prompt.expectYesNoCancel("Save changes", PromptAnswer::No);
    commands.Disable(item("A.mid"));
    EXPECT_TRUE(set.isDisabled(a));
    EXPECT_FALSE(a.contentFlag);
    EXPECT_EQ(set.tree().currentSongItem(), set.tree().statusItem());
    EXPECT_EQ(commands.disableCaption(item("A.mid")), "&Enable song");
    prompt.verifyAllUsed();

    commands.Disable(item("A.mid"));
    EXPECT_FALSE(set.isDisabled(a));
    EXPECT_TRUE(a.contentFlag);
}

TEST_F(SetPane, GoToByTransportAndMode)
{
    openSet();
    CSongDoc& a = *item("A.mid")->song;
    auto cue = std::make_unique<CCue>();
    cue->name = "Bridge";
    cue->time = 960;
    insertCueInOrder(a.cues, std::move(cue));
    set.UpdateMarkers(a);
    SetTreeItem* marker = item("A.mid")->children.front().get();

    // Stopped: the song is current at the marker.
    set.navigator().ActivateSongItem(set.tree().statusItem(), 0);
    commands.GoTo(marker);
    EXPECT_EQ(host.current, &a);
    EXPECT_EQ(a.position(), 960);

    // Playing the current song: a jump, shown pending on the marker.
    engine.state = TransportState::Playing;
    a.setPosition(0);
    a.endTick = 4 * 1920;
    a.ExtendMeasureMap();
    commands.GoTo(marker);
    EXPECT_EQ(set.navigator().stateOf(marker), SetNavigator::kStateMarked);
    EXPECT_EQ(engine.stop.jumpTo, 960);
    EXPECT_EQ(host.current, &a);

    // Playing, another song, performance mode: it is marked to play next.
    host.performance = true;
    commands.GoTo(item("B.mid"));
    EXPECT_TRUE(set.hasNextMark(*item("B.mid")->song));
    EXPECT_EQ(host.current, &a);
    engine.state = TransportState::Stopped;
}

} // namespace
} // namespace rz
