#include <cerrno>

#include <gtest/gtest.h>

#include "core/ms_clock.h"
#include "song/auto_recover.h"
#include "song/fs.h"
#include "song_fixture.h"

namespace rz {

namespace {

TEST(NewSongDefaults, AbsentSongDefaultsGiveOneBarOfFourFour)
{
    SongFixture f;
    auto song = f.newSong();
    EXPECT_TRUE(song->contentFlag);
    EXPECT_EQ(song->timeBase, 120);
    EXPECT_EQ(song->format, 1);
    // The play-image rebuild ends a new song where its (empty) tracks end;
    // the measure map still holds the one bar.
    EXPECT_EQ(song->endTick, 0);
    EXPECT_EQ(song->measureMapEnd, 480);
    EXPECT_EQ(song->gridFamily, 0);
    ASSERT_EQ(song->measureMap.size(), 1u);
    const MeasureRec& m = song->measureMap[0];
    EXPECT_EQ(m.start, 0);
    EXPECT_EQ(m.length, 480);
    EXPECT_EQ(m.number, 1);
    EXPECT_EQ(m.numerator, 4);
    EXPECT_EQ(m.denominator, 4);
    EXPECT_EQ(m.clocksPerClick, 24);
    EXPECT_EQ(m.thirtySeconds, 8);
    ASSERT_EQ(song->tempoMap.size(), 1u);
    EXPECT_EQ(song->tempoMap[0].tick, 0);
    EXPECT_EQ(song->tempoMap[0].tempo, 500000u);
    EXPECT_EQ(song->relativeVolume, 1.0);
    EXPECT_EQ(song->tracks.size(), 2u);
}

TEST(NewSongDefaults, SettingsAreTakenWhenInRange)
{
    SongFixture f;
    f.profile.writeInt("SongDefaults", "Timebase", 192);
    f.profile.writeInt("SongDefaults", "Format", 0);
    f.profile.writeInt("SongDefaults", "RelVolume", 16);
    f.profile.writeInt("SongDefaults", "SpecifyTempo", 1);
    f.profile.writeInt("SongDefaults", "InitialTempo", 400000);
    f.profile.writeString("SongDefaults", "Author", "Ana");
    auto song = f.newSong();
    EXPECT_EQ(song->timeBase, 192);
    EXPECT_EQ(song->format, 0);
    EXPECT_EQ(song->relativeVolume, 2.0);
    EXPECT_EQ(song->tempoMap[0].tempo, 400000u);
    EXPECT_EQ(song->measureMap[0].length, 768);
    EXPECT_EQ(song->gridFamily, 1);
    EXPECT_EQ(song->author, "Ana");
}

TEST(NewSongDefaults, OutOfRangeSettingsFallBack)
{
    struct Case {
        int timeBase, format, tempo;
        int expectedTimeBase, expectedFormat;
        uint32_t expectedTempo;
    };
    const Case cases[] = {
        {0, 2, 0, 120, 1, 500000},
        {-5, -1, -7, 120, 1, 500000},
        {40000, 7, 0x1000000, 120, 1, 500000},
        {32767, 0, 1, 32767, 0, 1},
    };
    for (const Case& c : cases) {
        SongFixture f;
        f.profile.writeInt("SongDefaults", "Timebase", c.timeBase);
        f.profile.writeInt("SongDefaults", "Format", c.format);
        f.profile.writeInt("SongDefaults", "SpecifyTempo", 1);
        f.profile.writeInt("SongDefaults", "InitialTempo", c.tempo);
        auto song = f.newSong();
        EXPECT_EQ(song->timeBase, c.expectedTimeBase) << c.timeBase;
        EXPECT_EQ(song->format, c.expectedFormat) << c.format;
        EXPECT_EQ(song->tempoMap[0].tempo, c.expectedTempo) << c.tempo;
    }
}

TEST(NewSongDefaults, AbsurdRelativeVolumeIsClamped)
{
    for (int step : {1000000, -1000000}) {
        SongFixture f;
        f.profile.writeInt("SongDefaults", "RelVolume", step);
        auto song = f.newSong();
        EXPECT_EQ(song->relativeVolume, step > 0 ? 16.0 : 1.0 / 16.0);
    }
}

TEST(NewSongDefaults, SelectionStampStartsFromTheClock)
{
    ManualMsClock clock(123456);
    setProgramClock(&clock);
    SongFixture f;
    CSongDoc song(f.context());
    setProgramClock(nullptr);
    EXPECT_EQ(song.selectionStamp, 123456u);
}

// A song with content, a path in a temporary folder and an AutoRecover copy.
class CloseSongTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        song = f.newSong();
        song->pathName = dir.path() / "tune.mid";
        song->title = "tune";
        touchFile(AutoRecoverPath(song->pathName));
        song->modified = true;
    }
    bool copyExists() const { return std::filesystem::exists(AutoRecoverPath(song->pathName)); }

    TempDir dir;
    SongFixture f;
    std::unique_ptr<CSongDoc> song;
};

TEST_F(CloseSongTest, CancelKeepsTheSongAndItsRecoverCopy)
{
    f.prompt.expectYesNoCancel("Save changes to tune?", PromptAnswer::Cancel);
    EXPECT_FALSE(song->CloseSong());
    EXPECT_EQ(song->tracks.size(), 2u);
    EXPECT_TRUE(song->contentFlag);
    EXPECT_TRUE(song->IsModified());
    EXPECT_TRUE(copyExists());
}

TEST_F(CloseSongTest, ATitleStoredAsWindows1252IsAskedAboutInUtf8)
{
    song->title = "Caf\xE9";
    f.prompt.expectYesNoCancel("Save changes to Caf\xC3\xA9?", PromptAnswer::Cancel);
    EXPECT_FALSE(song->CloseSong());
    EXPECT_EQ(song->title, "Caf\xE9"); // the stored bytes are kept
}

TEST_F(CloseSongTest, FailedSaveKeepsTheSong)
{
    const ScopedFsFault diskFull(FsStep::Write, ENOSPC);
    f.prompt.expectYesNoCancel("Save changes to tune?", PromptAnswer::Yes);
    f.prompt.expectMessage("No space left on device");
    EXPECT_FALSE(song->CloseSong());
    EXPECT_EQ(song->tracks.size(), 2u);
    EXPECT_TRUE(song->IsModified());
    EXPECT_TRUE(copyExists());
}

TEST_F(CloseSongTest, NoDiscardsTheSongAndDeletesTheCopy)
{
    f.prompt.expectYesNoCancel("Save changes to tune?", PromptAnswer::No);
    EXPECT_TRUE(song->CloseSong());
    EXPECT_TRUE(song->tracks.empty());
    EXPECT_TRUE(song->measureMap.empty());
    EXPECT_FALSE(song->contentFlag);
    EXPECT_FALSE(song->IsModified());
    EXPECT_FALSE(copyExists());
    EXPECT_GE(f.host.log.count("UpdateTitle"), 1u);
}

TEST_F(CloseSongTest, UnmodifiedSongClosesWithoutAsking)
{
    song->modified = false;
    EXPECT_TRUE(song->CloseSong());
    EXPECT_TRUE(song->tracks.empty());
    EXPECT_FALSE(copyExists());
}

TEST_F(CloseSongTest, DestroyingAnUnaskedModifiedSongKeepsItsCopy)
{
    song.reset();
    EXPECT_TRUE(std::filesystem::exists(AutoRecoverPath(dir.path() / "tune.mid")));
}

TEST(ActivateSong, DoesNothingWithoutContent)
{
    SongFixture f;
    CSongDoc song(f.context());
    song.performanceTempo = 250000;
    song.ActivateSong();
    EXPECT_TRUE(f.host.log.calls().empty());
}

TEST(ActivateSongTempoMultiplier, FollowsThePerformanceTempo)
{
    struct Case {
        uint32_t performanceTempo;
        const char* expectedCall; // nullptr: multiplier left alone
    };
    const Case cases[] = {
        {0, "SetTempoMultiplier(100000,1)"},
        {500000, nullptr},
        {500400, nullptr},      // within 0.001 of the first tempo
        {250000, "SetTempoMultiplier(200000,1)"},
        {1000000, "SetTempoMultiplier(50000,1)"},
        {100000, "SetTempoMultiplier(200000,1)"}, // 5x is held at 200 %
        {400000, "SetTempoMultiplier(125000,1)"},
    };
    for (const Case& c : cases) {
        SongFixture f;
        auto song = f.newSong();
        song->performanceTempo = c.performanceTempo;
        song->ActivateSong();
        if (c.expectedCall == nullptr) {
            EXPECT_EQ(f.host.log.count("SetTempoMultiplier"), 0u) << c.performanceTempo;
        } else {
            ASSERT_EQ(f.host.log.count("SetTempoMultiplier"), 1u) << c.performanceTempo;
            EXPECT_TRUE(f.host.log.contains(c.expectedCall)) << c.performanceTempo;
        }
    }
}

} // namespace
} // namespace rz
