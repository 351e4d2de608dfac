// The loudness histogram read from the songs' play images.

#include "song/level_bins.h"

#include "song/play_images.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"

#include <gtest/gtest.h>

#include <map>

namespace rz {
namespace {

using test::controller;
using test::note;

class LevelBins : public testing::Test {
protected:
    CTrack& track(int patch = -1, int channel = 0)
    {
        CTrack& t = test::addUserTrack(*song);
        t.patch = patch;
        t.channel = channel;
        return t;
    }
    rz::LevelBins compute()
    {
        RebuildPlayImages(*song, false);
        return ComputeLevelBins(*song);
    }
    static uint64_t level(uint64_t velocity, uint64_t volume, uint64_t expression)
    {
        return velocity * volume * expression;
    }
    // The bins with content, as bin -> value.
    static std::map<size_t, uint64_t> filled(const rz::LevelBins& bins)
    {
        std::map<size_t, uint64_t> out;
        for (size_t i = 0; i < bins.size(); ++i)
            if (bins[i] != 0)
                out[i] = bins[i];
        return out;
    }

    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
};

TEST_F(LevelBins, FullLevelsAndTheDefaultsFallIntoTheirBins)
{
    CTrack& full = track(-1, 0);
    full.events = {controller(0, cc::kVolume, 127), controller(0, cc::kExpression, 127), note(0, 60, 127, 100)};
    CTrack& defaults = track(-1, 1);
    defaults.events = {note(0, 60, 127, 50, 1)};
    const std::map<size_t, uint64_t> expected{{252, 100 * level(127, 127, 127)},
                                              {198, 50 * level(127, 100, 127)}};
    EXPECT_EQ(filled(compute()), expected);
}

TEST_F(LevelBins, TracksSharingAPortAndChannelShareAVolumeChange)
{
    track(0, 0).events = {note(0, 60, 127, 100)};
    track(5, 0).events = {controller(40, cc::kVolume, 127)};
    // A track without an initial program stands alone, even on that channel.
    track(-1, 0).events = {note(0, 64, 127, 100)};
    const std::map<size_t, uint64_t> expected{{198, 40 * level(127, 100, 127) + 100 * level(127, 100, 127)},
                                              {252, 60 * level(127, 127, 127)}};
    EXPECT_EQ(filled(compute()), expected);
}

TEST_F(LevelBins, AnEmptySongGivesNoBins)
{
    track().events = {controller(0, cc::kVolume, 90)};
    EXPECT_TRUE(filled(compute()).empty());
}

TEST_F(LevelBins, ANoteSoundingAtTheEndCountsUpToTheLastChange)
{
    CTrack& t = track();
    RebuildPlayImages(*song, false);
    // A stream cut short: the note never ends; the expression change at 300
    // is the last change it is counted to.
    t.playImage = {0x00, 0x90, 60, 127, 0x82, 0x2C, 0xB0, cc::kExpression, 127, 0x00, 0xFF, 0x2F, 0x00};
    const std::map<size_t, uint64_t> expected{{198, 300 * level(127, 100, 127)}};
    EXPECT_EQ(filled(ComputeLevelBins(*song)), expected);
}

TEST_F(LevelBins, NotesOfOneKeyOnTwoChannelsEndSeparately)
{
    // User tracks play on their own channel; the first track's stream keeps
    // each message's. Channel 1's note, sounding first, ends at 100;
    // channel 0's, louder, sounds until the volume change at 400.
    song->tracks[0]->playImage = {0x00, 0x91, 60, 64, 0x00, 0x90, 60, 127, 0x64, 0x91, 60, 0,
                                  0x82, 0x2C, 0xB0, cc::kVolume, 100, 0x00, 0xFF, 0x2F, 0x00};
    const auto bins = ComputeLevelBins(*song);
    EXPECT_EQ(bins[198], 400 * level(127, 100, 127));
    EXPECT_EQ(bins[100], 100 * level(64, 100, 127));
}

TEST_F(LevelBins, LeavesThePlayCursorsAsTheyWere)
{
    CTrack& t = track();
    t.events = {note(0, 60, 127, 100), note(200, 62, 127, 100)};
    RebuildPlayImages(*song, false);
    t.RewindReader();
    RawEvent first;
    ASSERT_TRUE(t.ReadNextEvent(first));
    const uint32_t position = t.readPosition;
    const int32_t nextTick = t.nextTick;
    ComputeLevelBins(*song);
    EXPECT_EQ(t.readPosition, position);
    EXPECT_EQ(t.nextTick, nextTick);
}

} // namespace
} // namespace rz
