#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "core/ms_clock.h"
#include "song_fixture.h"

namespace rz {
namespace {

TEST(UpdateViews, RefreshesUnderTheSongMutex)
{
    SongFixture f;
    auto song = f.newSong();
    song->UpdateViews(nullptr, 0x4);
    EXPECT_EQ(f.engine.log.count("RebuildThruTracks"), 1u);
    EXPECT_EQ(f.trackRows.log.count("SyncRowCount"), 1u);
    ASSERT_EQ(f.host.log.count("updateSongViews"), 1u);
    EXPECT_NE(f.host.log.calls().back().find(",4)"), std::string::npos);
}

TEST(UpdateViews, SkipsTheWorkWhenTheMutexWaitTimesOut)
{
    SongFixture f;
    SongContext context = f.context();
    context.lockWait = std::chrono::milliseconds(20);
    CSongDoc song(context);
    std::promise<void> locked, release;
    std::thread holder([&] {
        LockGuard guard(SongMutex(), "test holder");
        locked.set_value();
        release.get_future().wait();
    });
    locked.get_future().wait();
    song.UpdateViews();
    release.set_value();
    holder.join();
    EXPECT_EQ(f.engine.log.count("RebuildThruTracks"), 0u);
    EXPECT_EQ(f.host.log.count("updateSongViews"), 0u);
}

TEST(UpdateSongEnd, TakesTheLatestTrackEndOrCueTime)
{
    SongFixture f;
    auto song = f.newSong();
    const size_t totalsBefore = f.setLink.log.count("UpdateTotals");
    song->tracks[0]->endTick = 300;
    EXPECT_EQ((song->UpdateSongEnd(), song->endTick), 300);
    auto cue = std::make_unique<CCue>();
    cue->kind = kCueSkip;
    cue->time = 100;
    cue->secondTime = 960;
    song->cues.push_back(std::move(cue));
    song->UpdateSongEnd();
    EXPECT_EQ(song->endTick, 960);
    EXPECT_DOUBLE_EQ(song->length, 4000000.0); // 8 quarters at 500000 µs
    EXPECT_EQ(f.setLink.log.count("UpdateTotals") - totalsBefore, 2u);
}

TEST(RevertTrackStates, RestoresTheSavedPlayFlagsAfterASolo)
{
    SongFixture f;
    auto song = f.newSong();
    song->tracks.insert(song->tracks.begin() + 1, std::make_unique<CTrack>());
    song->tracks.insert(song->tracks.begin() + 1, std::make_unique<CTrack>());
    EXPECT_FALSE(song->RevertTrackStates());
    song->soloActive = true;
    song->tracks[1]->playEnabled = 1;
    song->tracks[1]->savedPlayEnabled = 0;
    song->tracks[2]->playEnabled = 0;
    song->tracks[2]->savedPlayEnabled = 1;
    f.engine.state = TransportState::Playing;
    song->setPosition(240);
    EXPECT_TRUE(song->RevertTrackStates());
    EXPECT_FALSE(song->soloActive);
    EXPECT_EQ(song->tracks[1]->playEnabled, 0);
    EXPECT_EQ(song->tracks[2]->playEnabled, 1);
    EXPECT_TRUE(f.engine.log.contains("Play(240)"));
}

TEST(FreeTrackCaches, EmptiesTheItemsOfAllButWaveformTracks)
{
    SongFixture f;
    auto song = f.newSong();
    song->tracks[0]->items.resize(3);
    song->tracks[1]->type = kWaveTrack;
    song->tracks[1]->items.resize(2);
    song->FreeTrackCaches();
    EXPECT_TRUE(song->tracks[0]->items.empty());
    EXPECT_EQ(song->tracks[1]->items.size(), 2u);
}

TEST(TimeZoom, StepsWithinTheTableAndShowsTheGrid)
{
    SongFixture f;
    auto song = f.newSong(); // time base 120: family 0
    f.host.zoom = 7;
    song->OnZoomInTime();
    EXPECT_EQ(f.host.zoom, 8);
    song->OnZoomInTime();
    EXPECT_EQ(f.host.zoom, 8);
    EXPECT_TRUE(f.host.log.contains("SetStatusText(Q=120)"));
    EXPECT_EQ(song->GetGridTicks(), 1);
    f.host.zoom = 0;
    song->OnZoomOutTime();
    EXPECT_EQ(f.host.zoom, 0);
    EXPECT_TRUE(f.host.log.contains("SetStatusText(Q=1)"));
    EXPECT_EQ(song->GetGridTicks(), 120);
    EXPECT_EQ(f.host.log.count("UpdateAllViews"), 3u);
}

TEST(MakeClipFileName, KeepsTheBaseAndTakesTheFirstFreeNumber)
{
    TempDir dir;
    SongFixture f;
    auto song = f.newSong();
    song->songFolder = dir.path();
    std::filesystem::create_directories(dir.path() / "WaveData");
    touchFile(dir.path() / "WaveData" / "take.wav");
    std::filesystem::path name = "/elsewhere/audio/take_12.wav";
    song->MakeClipFileName(name);
    EXPECT_EQ(name, dir.path() / "WaveData" / "take_2.wav");
}

TEST(MakeClipFileName, CreatesTheFolderAndAcceptsBackslashNames)
{
    TempDir dir;
    SongFixture f;
    auto song = f.newSong();
    song->songFolder = dir.path();
    std::filesystem::path name = "C:\\Songs\\a.b\\Bass_7.wav";
    song->MakeClipFileName(name);
    EXPECT_EQ(name, dir.path() / "WaveData" / "Bass.wav");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "WaveData"));
}

TEST(MakeClipFileName, NameWithoutFolderGetsAClockName)
{
    TempDir dir;
    ManualMsClock clock(0xBEEF);
    setProgramClock(&clock);
    SongFixture f;
    auto song = f.newSong();
    song->songFolder = dir.path();
    std::filesystem::path name;
    song->MakeClipFileName(name);
    setProgramClock(nullptr);
    EXPECT_EQ(name, dir.path() / "WaveData" / "0000beef.wav");
}

} // namespace
} // namespace rz
