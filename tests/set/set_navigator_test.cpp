#include "set_fixture.h"

#include "core/smpte_time.h"
#include "song/cue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace rz {
namespace {

// Records which items the view was told about.
struct RecordingObserver : ISetTreeObserver {
    std::vector<const SetTreeItem*> changedItems;
    int resets = 0;
    void itemChanged(const SetTreeItem* item) override { changedItems.push_back(item); }
    void treeReset() override { ++resets; }
    void scrollToTop(const SetTreeItem*) override {}
};

// A, Folder{B disabled, C missing}, D, E with a set file; A current.
struct SetTreeStepping : SetFixture, testing::Test {
    SetNavigator& nav = set.navigator();

    void SetUp() override
    {
        for (const char* name : {"A.mid", "B.mid", "D.mid", "E.mid"})
            writeSmallSong(folder.path() / name);
        writeSet({songEntry("A.mid"), folderEntry("Folder"), songEntry("B.mid", 1, true),
                  songEntry("C.mid", 1), songEntry("D.mid"), songEntry("E.mid")});
        ASSERT_TRUE(set.OnOpenDocument(setPath()));
        ASSERT_EQ(nav.SelectSongByIndex(0), song("A.mid"));
    }

    SetTreeItem* item(const std::string& name) const
    {
        for (SetTreeItem* each : set.tree().songItems())
            if (each->song->pathName.filename() == name)
                return each;
        ADD_FAILURE() << "no song item " << name;
        return set.tree().statusItem();
    }
    CSongDoc* song(const std::string& name) const { return item(name)->song; }
    std::string currentName() const
    {
        const SetTreeItem* current = set.tree().currentSongItem();
        return current->kind == SetItemKind::Song ? current->song->pathName.filename().string() : "status";
    }
};

TEST_F(SetTreeStepping, NextPassesOverDisabledAndUnreadableSongs)
{
    ASSERT_TRUE(nav.StepSong());
    EXPECT_EQ(currentName(), "D.mid");
    EXPECT_EQ(host.current, song("D.mid"));
    EXPECT_EQ(nav.stateOf(item("C.mid")), SetNavigator::kStateFailed);
    EXPECT_EQ(nav.stateOf(item("B.mid")), SetNavigator::kStateDisabled);
    EXPECT_EQ(nav.stateOf(item("D.mid")), SetNavigator::kStateCurrent);
}

// A song that holds nothing to play is passed over by the step to play and
// by the Skip target, and never becomes current on the way; a plain Next
// still goes to it.
TEST_F(SetTreeStepping, TheStepToPlayPassesOverASongWithNothingToPlay)
{
    std::string reason;
    ASSERT_TRUE(song("D.mid")->contentFlag || set.loadSong(*song("D.mid"), reason)) << reason;
    song("D.mid")->endTick = 0;
    std::atomic<SetItemHandle> published{nullptr};
    set.setNextSongPublisher([&](SetItemHandle item) { published = item; });
    nav.publishNextSong();
    EXPECT_EQ(set.songOfItem(published.load()), song("E.mid"));
    EXPECT_EQ(nav.FindAdjacentSong(false, true), item("E.mid"));
    EXPECT_EQ(nav.FindAdjacentSong(false), item("D.mid"));
    ASSERT_TRUE(nav.StepSong(true));
    EXPECT_EQ(currentName(), "E.mid");
    EXPECT_EQ(set.tree().previousSongItem(), item("A.mid"));
}

TEST_F(SetTreeStepping, NothingPlayableAfterTheCurrentSongIsTheEnd)
{
    for (const char* name : {"D.mid", "E.mid"}) {
        std::string reason;
        ASSERT_TRUE(song(name)->contentFlag || set.loadSong(*song(name), reason)) << reason;
        song(name)->endTick = 0;
    }
    EXPECT_EQ(nav.FindAdjacentSong(false, true), nullptr);
    EXPECT_FALSE(nav.StepSong(true));
    EXPECT_EQ(currentName(), "A.mid");
}

TEST_F(SetTreeStepping, NextAtTheEndKeepsTheLastSong)
{
    nav.ActivateSongItem(item("E.mid"), 0);
    EXPECT_FALSE(nav.StepSong());
    EXPECT_EQ(currentName(), "E.mid");
    EXPECT_EQ(nav.FindAdjacentSong(false), nullptr);
}

TEST_F(SetTreeStepping, MarkedSongGoesFirstEvenBeforeTheCurrentOne)
{
    nav.ActivateSongItem(item("E.mid"), 0);
    nav.MarkNextSong(item("D.mid"));
    EXPECT_EQ(nav.stateOf(item("D.mid")), SetNavigator::kStateMarked);
    ASSERT_TRUE(nav.StepSong());
    EXPECT_EQ(currentName(), "D.mid");
    EXPECT_FALSE(set.hasNextMark(*song("D.mid")));
}

TEST_F(SetTreeStepping, WithoutCurrentSongNextNeedsAMarkAndPreviousTakesTheLast)
{
    nav.ActivateSongItem(set.tree().statusItem(), 0);
    EXPECT_EQ(host.current, nullptr);
    EXPECT_FALSE(nav.StepSong());
    EXPECT_EQ(currentName(), "status");
    ASSERT_TRUE(nav.StepToPreviousSong());
    EXPECT_EQ(currentName(), "E.mid");

    nav.ActivateSongItem(set.tree().statusItem(), 0);
    nav.MarkNextSong(item("A.mid"));
    ASSERT_TRUE(nav.StepSong());
    EXPECT_EQ(currentName(), "A.mid");
}

TEST_F(SetTreeStepping, PreviousPassesOverDisabledAndUnreadableSongs)
{
    nav.ActivateSongItem(item("D.mid"), 0);
    ASSERT_TRUE(nav.StepToPreviousSong());
    EXPECT_EQ(currentName(), "A.mid");
    EXPECT_FALSE(nav.StepToPreviousSong());
    EXPECT_EQ(currentName(), "A.mid");
    EXPECT_NE(nav.ReturnToPreviousSong(), nullptr);
    EXPECT_EQ(currentName(), "D.mid");
}

TEST_F(SetTreeStepping, SelectByIndexCountsAndReadsADisabledSong)
{
    EXPECT_EQ(nav.SelectSongByIndex(1), song("B.mid"));
    EXPECT_TRUE(song("B.mid")->contentFlag);
    EXPECT_FALSE(set.isDisabled(*song("B.mid")));
    // The enable is stored at once.
    const auto image = decodeSetFile(readBytes(setPath()));
    ASSERT_TRUE(std::holds_alternative<SetFileImage>(image));
    EXPECT_FALSE(std::get<SetFileImage>(image).entries[2].disabled);

    EXPECT_EQ(nav.SelectSongByIndex(9), nullptr);
    EXPECT_EQ(currentName(), "status");
    EXPECT_EQ(nav.stateOf(set.tree().statusItem()), SetNavigator::kStateCurrent);
}

TEST_F(SetTreeStepping, FindByNameUnknownPathLeavesNoSongCurrent)
{
    EXPECT_EQ(nav.FindSongByName(folder.path() / "D.mid"), song("D.mid"));
    EXPECT_EQ(currentName(), "D.mid");
    EXPECT_EQ(nav.FindSongByName(folder.path() / "Z.mid"), nullptr);
    EXPECT_EQ(currentName(), "status");
    EXPECT_EQ(host.current, nullptr);
}

TEST_F(SetTreeStepping, EngineReadsTheNextSongHandleOnAnotherThread)
{
    std::atomic<SetItemHandle> published{nullptr};
    set.setNextSongPublisher([&](SetItemHandle item) { published.store(item); });
    nav.MarkNextSong(item("E.mid"));
    SetItemHandle seen = nullptr;
    std::thread reader([&] { seen = published.load(); });
    reader.join();
    EXPECT_EQ(set.songOfItem(seen), song("E.mid"));
    nav.ClearNextMarks();
    EXPECT_EQ(set.songOfItem(published.load()), song("D.mid"));
    set.setDisabled(*song("D.mid"), true);
    EXPECT_EQ(set.songOfItem(published.load()), song("E.mid"));
}

TEST_F(SetTreeStepping, StatusCaptionAndImages)
{
    EXPECT_EQ(nav.captionOf(set.tree().statusItem()), "End of set.");
    EXPECT_EQ(nav.imageOf(item("A.mid")), SetNavigator::kSongImage);
    EXPECT_EQ(nav.imageOf(item("E.mid")), SetNavigator::kSongImage);
    EXPECT_EQ(nav.imageOf(item("B.mid")), SetNavigator::kUnloadedSongImage);
    EXPECT_EQ(nav.captionOf(item("C.mid")), "C");
}

struct SetTreeNoFile : SetFixture, testing::Test {};

TEST_F(SetTreeNoFile, PreviousDoesNothingNextWorks)
{
    CSongDoc* first = add();
    CSongDoc* second = add();
    SetNavigator& nav = set.navigator();
    EXPECT_EQ(nav.captionOf(set.tree().statusItem()), "2 open songs.");
    ASSERT_EQ(nav.SelectSongByIndex(1), second);
    EXPECT_FALSE(nav.StepToPreviousSong());
    EXPECT_EQ(host.current, second);
    ASSERT_EQ(nav.SelectSongByIndex(0), first);
    EXPECT_TRUE(nav.StepSong());
    EXPECT_EQ(host.current, second);
}

TEST_F(SetTreeNoFile, SongEnteredTwiceRefreshesBothCaptions)
{
    CSongDoc* song = add();
    set.tree().InsertSongItem(*song, set.tree().beforeStatus());
    RecordingObserver observer;
    set.navigator().setObserver(&observer);
    song->SetModifiedFlag(true);
    set.UpdateSongCaption(*song);
    const std::vector<SetTreeItem*> items = set.tree().itemsOf(song);
    ASSERT_EQ(items.size(), 2u);
    for (const SetTreeItem* each : items) {
        EXPECT_NE(std::find(observer.changedItems.begin(), observer.changedItems.end(), each),
                  observer.changedItems.end());
        EXPECT_EQ(set.navigator().captionOf(each).substr(set.navigator().captionOf(each).size() - 2), " *");
    }
    set.navigator().setObserver(nullptr);
}

TEST_F(SetTreeNoFile, SetTimesAddTheSongLengthToItsCaption)
{
    CSongDoc* song = add();
    song->title = "Opener";
    song->length = 3723.5e6; // 1 h 2 min 3.5 s
    const SetTreeItem* item = set.tree().itemsOf(song).front();
    const int rate = defaultSmpteRate();
    setDefaultSmpteRate(kSmpteRate25);
    struct Case {
        int viewSetTime;
        bool modified;
        const char* caption;
    };
    for (const Case& c : {Case{0, false, "Opener"}, Case{1, false, "Opener [1:02:03:12]"},
                          Case{1, true, "Opener [1:02:03:12] *"}, Case{2, false, "Opener"}}) {
        profile.writeInt("DisplayOptions", "ViewSetTime", c.viewSetTime);
        song->SetModifiedFlag(c.modified);
        EXPECT_EQ(set.navigator().captionOf(item), c.caption) << c.viewSetTime;
    }
    setDefaultSmpteRate(rate);
}

TEST_F(SetTreeNoFile, MarkerFollowsPositionOnlyWhileExpanded)
{
    for (const int expandCollapse : {1, 0}) {
        SCOPED_TRACE(expandCollapse);
        profile.writeInt("SetOptions", "ExpandCollapse", expandCollapse);
        CSongDoc* song = add();
        auto cue = std::make_unique<CCue>();
        cue->name = "Verse";
        cue->time = 0;
        insertCueInOrder(song->cues, std::move(cue));
        set.UpdateMarkers(*song);
        SetTreeItem* songItem = set.tree().itemsOf(song).front();
        ASSERT_EQ(songItem->children.size(), 1u);
        set.navigator().ActivateSongItem(songItem, 0);
        const SetTreeItem* expected = expandCollapse ? songItem->children.front().get() : songItem;
        EXPECT_EQ(set.tree().currentMarkerItem(), expected);
        EXPECT_EQ(songItem->expanded, expandCollapse != 0);
        set.RemoveSong(*song);
    }
}

} // namespace
} // namespace rz
