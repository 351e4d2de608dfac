#include "set_fixture.h"

#include "set/set_pane_commands.h"
#include "song/cue.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

struct NoTrash : ITrash {
    bool moveToTrash(const std::filesystem::path&) override { return false; }
};

// A set of files A..E with folders, opened from its set file.
struct SetTreeMove : SetFixture, testing::Test {
    NoTrash trash;
    SetPaneCommands commands{set, setHost, trash};

    void open(const std::vector<SetFileEntry>& entries)
    {
        // Only the set's own songs: any other would join it as a stray.
        for (const SetFileEntry& entry : entries)
            if (!entry.folder)
                writeSmallSong(folder.path() / entry.name);
        writeSet(entries);
        ASSERT_TRUE(set.OnOpenDocument(setPath()));
    }
    SetTreeItem* song(const std::string& file) const
    {
        for (SetTreeItem* item : set.tree().songItems())
            if (item->song->pathName.filename() == file)
                return item;
        return nullptr;
    }
    SetTreeItem* folderNamed(const std::string& caption) const
    {
        int depth = 0;
        for (SetTreeItem* item = set.tree().GetNextItem(nullptr, depth); item;
             item = set.tree().GetNextItem(item, depth))
            if (item->kind == SetItemKind::Folder && item->caption == caption)
                return item;
        return nullptr;
    }
};

TEST_F(SetTreeMove, AFolderOntoItsDescendantIsRefused)
{
    open({folderEntry("Outer"), folderEntry("Inner", 1), songEntry("A.mid", 2), songEntry("B.mid")});
    SetTreeItem* outer = folderNamed("Outer");
    for (SetTreeItem* target : {folderNamed("Inner"), song("A.mid"), outer}) {
        EXPECT_FALSE(commands.canDrop(outer, target));
        EXPECT_FALSE(commands.Drop(outer, target));
    }
    // Markers, the status item and the lock refuse too.
    auto cue = std::make_unique<CCue>();
    cue->name = "Verse";
    insertCueInOrder(song("B.mid")->song->cues, std::move(cue));
    set.navigator().UpdateMarkers(*song("B.mid")->song);
    ASSERT_EQ(song("B.mid")->children.size(), 1u);
    EXPECT_FALSE(commands.canDrop(song("A.mid"), song("B.mid")->children.front().get()));
    EXPECT_FALSE(commands.canDrag(song("B.mid")->children.front().get()));
    EXPECT_FALSE(commands.canDrag(set.tree().statusItem()));
    host.performance = true;
    setHost.locked = true;
    EXPECT_FALSE(commands.canDrop(song("B.mid"), outer));
    host.performance = false;
    setHost.locked = false;
    EXPECT_EQ(shape(), "[Outer: [Inner: A.mid]] B.mid");
    EXPECT_FALSE(set.IsModified());
}

TEST_F(SetTreeMove, ASongDroppedOnItsOwnFolderGoesBeforeItWithoutAQuestion)
{
    open({songEntry("A.mid"), folderEntry("Encores"), songEntry("B.mid", 1), songEntry("C.mid", 1)});
    ASSERT_TRUE(commands.Drop(song("C.mid"), folderNamed("Encores")));
    EXPECT_EQ(shape(), "A.mid C.mid [Encores: B.mid]");
    EXPECT_TRUE(set.IsModified());
    prompt.verifyAllUsed();
}

TEST_F(SetTreeMove, AnotherFolderAsksAndYesPutsTheItemLastInIt)
{
    open({songEntry("A.mid"), folderEntry("Encores"), songEntry("B.mid", 1), songEntry("C.mid")});
    prompt.expectYesNo("Add item(s) to folder?", PromptAnswer::Yes);
    ASSERT_TRUE(commands.Drop(song("A.mid"), folderNamed("Encores")));
    EXPECT_EQ(shape(), "[Encores: B.mid A.mid] C.mid");
    prompt.expectYesNo("Add item(s) to folder?", PromptAnswer::No);
    ASSERT_TRUE(commands.Drop(song("C.mid"), folderNamed("Encores")));
    EXPECT_EQ(shape(), "C.mid [Encores: B.mid A.mid]");
    prompt.verifyAllUsed();
}

TEST_F(SetTreeMove, TheDraggedCurrentSongStaysCurrent)
{
    open({songEntry("A.mid"), songEntry("B.mid"), folderEntry("F"), songEntry("C.mid", 1)});
    set.navigator().ActivateSongItem(song("B.mid"), 0);
    ASSERT_EQ(set.tree().currentSongItem(), song("B.mid"));
    prompt.expectYesNo("folder", PromptAnswer::Yes);
    ASSERT_TRUE(commands.Drop(song("B.mid"), folderNamed("F")));
    EXPECT_EQ(shape(), "A.mid [F: C.mid B.mid]");
    EXPECT_EQ(set.tree().currentSongItem(), song("B.mid"));
    EXPECT_EQ(set.current(), song("B.mid")->song);
    EXPECT_EQ(set.navigator().stateOf(song("B.mid")), SetNavigator::kStateCurrent);
    // A folder holding the current song moves with it still current.
    ASSERT_TRUE(commands.Drop(folderNamed("F"), song("A.mid")));
    EXPECT_EQ(shape(), "[F: C.mid B.mid] A.mid");
    EXPECT_EQ(set.tree().currentSongItem(), song("B.mid"));
}

// The target is found once the dragged item has left: a drop onto the next
// sibling stays put, one further along lands just before the target.
TEST_F(SetTreeMove, ADropOntoTheDraggedItemsNextSiblingLandsRight)
{
    open({songEntry("A.mid"), songEntry("B.mid"), songEntry("C.mid"), songEntry("D.mid")});
    ASSERT_TRUE(commands.Drop(song("B.mid"), song("C.mid")));
    EXPECT_EQ(shape(), "A.mid B.mid C.mid D.mid");
    ASSERT_TRUE(commands.Drop(song("A.mid"), song("D.mid")));
    EXPECT_EQ(shape(), "B.mid C.mid A.mid D.mid");
    ASSERT_TRUE(commands.Drop(song("D.mid"), song("B.mid")));
    EXPECT_EQ(shape(), "D.mid B.mid C.mid A.mid");
    ASSERT_TRUE(commands.Drop(song("B.mid"), set.tree().statusItem()));
    EXPECT_EQ(shape(), "D.mid C.mid A.mid B.mid");
}

TEST_F(SetTreeMove, AThreeLevelFolderKeepsItsShapeAlsoAfterSavingAndReopening)
{
    open({songEntry("A.mid"), folderEntry("One"), songEntry("B.mid", 1), folderEntry("Two", 1),
          songEntry("C.mid", 2), folderEntry("Three", 2), songEntry("D.mid", 3), songEntry("E.mid", 1)});
    const std::string nested = "[One: B.mid [Two: C.mid [Three: D.mid]] E.mid]";
    ASSERT_EQ(shape(), "A.mid " + nested);
    ASSERT_TRUE(commands.Drop(folderNamed("One"), song("A.mid")));
    EXPECT_EQ(shape(), nested + " A.mid");
    ASSERT_TRUE(set.DoFileSave());
    set.DeleteContents();
    ASSERT_TRUE(set.OnOpenDocument(setPath()));
    EXPECT_EQ(shape(), nested + " A.mid");
}

// A marker stands for its song: nothing goes among a song's markers.
TEST_F(SetTreeMove, ASongInsertedAtASelectedMarkerGoesBeforeItsSong)
{
    open({songEntry("A.mid"), songEntry("B.mid")});
    writeSmallSong(folder.path() / "C.mid");
    auto cue = std::make_unique<CCue>();
    cue->name = "Verse";
    insertCueInOrder(song("B.mid")->song->cues, std::move(cue));
    set.navigator().UpdateMarkers(*song("B.mid")->song);
    set.tree().select(song("B.mid")->children.front().get());
    ASSERT_NE(set.InsertSongAtSelection(folder.path() / "C.mid"), nullptr);
    EXPECT_EQ(shape(), "A.mid C.mid B.mid");
    EXPECT_EQ(song("C.mid")->parent, nullptr);
}

} // namespace
} // namespace rz
