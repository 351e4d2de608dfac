#include "set/set_model.h"

#include "core/profile.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_song_host.h"
#include "tests/support/scripted_prompt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace rz {
namespace {

struct SetFixture {
    MemoryProfile profile;
    ScriptedPrompt prompt;
    FakeSongHost host;
    FakeEngineLink engine;
    SetModel set{SongContext{.profile = profile, .prompt = prompt, .host = host, .engine = engine}};

    // A new, loaded song of `lengthUs` at the end of the set.
    CSongDoc* add(double lengthUs = 0.0)
    {
        auto song = std::make_unique<CSongDoc>(set.songContext());
        song->InitNewSong();
        song->length = lengthUs;
        return set.addSong(std::move(song));
    }
};

TEST(SetModel, AFileGivenTwiceIsOneEntry)
{
    SetFixture f;
    std::string reason;
    CSongDoc* first = f.set.AddSong("/songs/a.mid", false, reason);
    CSongDoc* again = f.set.AddSong("/songs/./a.mid", false, reason);
    CSongDoc* other = f.set.AddSong("/songs/A.mid", false, reason);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    EXPECT_EQ(f.set.size(), 2u);
}

TEST(SetModel, ItsSongsReachTheSetThroughTheirSetLink)
{
    SetFixture f;
    EXPECT_EQ(f.add()->context().setLink, &f.set);
}

TEST(SetModel, NextCandidatesPutTheMarkedSongFirstAndSkipDisabledOnes)
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

TEST(SetModel, TotalsCountEnabledSongsAndTheElapsedOnesBeforeTheCurrent)
{
    SetFixture f;
    CSongDoc* a = f.add(1000.0);
    CSongDoc* b = f.add(2000.0);
    CSongDoc* c = f.add(4000.0);
    f.set.setDisabled(*b, true);
    f.set.setCurrent(c);
    f.set.UpdateTotals();
    EXPECT_DOUBLE_EQ(f.set.totals().elapsed, 1000.0);
    EXPECT_DOUBLE_EQ(f.set.totals().total, 5000.0);
    (void)a;
}

TEST(SetModel, AHandleFindsNothingOnceItsSongHasLeftTheSet)
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
TEST(SetModel, SongOfItemIsSafeWhileTheGuiThreadChangesTheSet)
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
    f.set.CloseAllDocuments();
    stop = true;
    reader.join();
    EXPECT_EQ(f.set.songOfItem(handle), nullptr);
}

} // namespace
} // namespace rz
