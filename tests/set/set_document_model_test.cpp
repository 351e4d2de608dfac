#include "set_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace rz {
namespace {

TEST(SetDocumentModel, AFileGivenTwiceIsOneDocument)
{
    SetFixture f;
    CSongDoc* first = f.set.AddSong("/songs/a.mid", f.set.tree().beforeStatus(), 0, false);
    CSongDoc* again = f.set.AddSong("/songs/./a.mid", f.set.tree().beforeStatus(), 0, false);
    CSongDoc* other = f.set.AddSong("/songs/A.mid", f.set.tree().beforeStatus(), 0, false);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    EXPECT_EQ(f.set.CountSongs(), 2);
    EXPECT_EQ(f.set.entryCount(*first), 2);
}

TEST(SetDocumentModel, ItsSongsReachTheSetThroughTheirSetLink)
{
    SetFixture f;
    EXPECT_EQ(f.add()->context().setLink, &f.set);
}

TEST(SetDocumentModel, NextCandidatesPutTheMarkedSongFirstAndSkipDisabledOnes)
{
    SetFixture f;
    CSongDoc* a = f.add();
    CSongDoc* b = f.add();
    CSongDoc* c = f.add();
    CSongDoc* d = f.add();
    f.set.setCurrent(a);
    f.set.setDisabled(*b, true);
    f.set.setNextMark(*d, true);
    EXPECT_EQ(f.set.nextSongCandidates(), (std::vector<CSongDoc*>{d, c}));
    f.set.setCurrent(d);
    EXPECT_EQ(f.set.previousSong(), c);
    f.set.setCurrent(c);
    EXPECT_EQ(f.set.previousSong(), a);
    EXPECT_EQ(f.set.songOfItem(f.set.FindAdjacentSong(true)), a);
}

TEST(SetDocumentModel, TotalsCountEnabledSongsAndTheElapsedOnesBeforeTheCurrent)
{
    SetFixture f;
    f.add(1000.0);
    CSongDoc* b = f.add(2000.0);
    CSongDoc* c = f.add(4000.0);
    f.set.setDisabled(*b, true);
    f.set.setCurrent(c);
    f.set.UpdateTotals();
    EXPECT_DOUBLE_EQ(f.set.totals().elapsed, 1000.0);
    EXPECT_DOUBLE_EQ(f.set.totals().total, 5000.0);
}

TEST(SetDocumentModel, AHandleFindsNothingOnceItsSongHasLeftTheSet)
{
    SetFixture f;
    CSongDoc* song = f.add();
    const SetItemHandle handle = f.set.handleOf(song);
    EXPECT_EQ(f.set.songOfItem(handle), song);
    f.set.CloseAllDocuments();
    EXPECT_EQ(f.set.songOfItem(handle), nullptr);
    EXPECT_EQ(f.set.size(), 0u);
}

// songOfItem() is the one call other threads make; it must not race the
// GUI thread adding and removing songs.
TEST(SetDocumentModel, SongOfItemIsSafeWhileTheGuiThreadChangesTheSet)
{
    SetFixture f;
    CSongDoc* first = f.add();
    const SetItemHandle handle = f.set.handleOf(first);
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop.load())
            (void)f.set.songOfItem(handle);
    });
    for (int i = 0; i < 50; ++i)
        f.add();
    for (int i = 0; i < 10; ++i)
        f.set.RemoveSong(*f.set.songAt(1));
    f.set.CloseAllDocuments();
    stop = true;
    reader.join();
    EXPECT_EQ(f.set.songOfItem(handle), nullptr);
}

} // namespace
} // namespace rz
