// A tempo series that aligns an ad-lib recording keeps the song's audio
// where it sounds: each clip moves to the tick of its old clock time.

#include "song/tempo_insert.h"

#include "song/audio_clip.h"
#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/track.h"
#include "song/undo_record.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

class TempoSeriesAlign : public testing::Test {
protected:
    void SetUp() override
    {
        song = fixture.newSong();
        song->timeBase = 120;
        song->tempoMap = {TempoEntry{0, 500000, 0.0}};
        song->RecalcTempoTimes();
        auto audio = std::make_unique<CTrack>();
        audio->type = kWaveTrack;
        audio->name = "Take";
        for (const int32_t tick : {0, 480}) {
            auto clip = std::make_unique<CAudioClip>();
            clip->length = 10'000'000;
            CMidiEvent event;
            event.tick = tick;
            event.SetClip(std::move(clip));
            audio->events.push_back(std::move(event));
        }
        song->tracks.insert(song->tracks.end() - 1, std::move(audio));
        auto piano = std::make_unique<CTrack>();
        piano->name = "Piano";
        piano->events = {test::note(480, 60, 90, 100)};
        song->tracks.insert(song->tracks.end() - 1, std::move(piano));
        RebuildPlayImages(*song, false);
        song->UpdateSongEnd();
        song->ExtendMeasureMap();
    }

    // Twice the speed from tick 0 on.
    std::unique_ptr<CUndoRecord> doubleSpeed(bool align) const
    {
        const TempoPoint points[] = {{0, 250000}, {120, 250000}};
        return BuildTempoSeries(*song, points, align);
    }

    SongFixture fixture;
    std::unique_ptr<CSongDoc> song;
};

TEST_F(TempoSeriesAlign, AClipKeepsItsClockTimeAndNotesKeepTheirBeats)
{
    const double clipTime = song->TickToTime(480);
    const std::string before = DescribeSong(*song);
    ASSERT_EQ(song->ApplyEdit(doubleSpeed(true)), ApplyResult::Applied);
    const CTrack& audio = *song->tracks[1];
    ASSERT_EQ(audio.events.size(), 2u);
    EXPECT_EQ(audio.events[0].tick, 0);
    EXPECT_EQ(audio.events[1].tick, 960);
    EXPECT_DOUBLE_EQ(song->TickToTime(audio.events[1].tick), clipTime);
    ASSERT_NE(audio.events[1].clip(), nullptr);
    EXPECT_EQ(song->tracks[2]->events[0].tick, 480);
    EXPECT_EQ(song->undoList.back()->label, "Insert Series of Tempos");
    ASSERT_TRUE(song->Undo());
    EXPECT_EQ(firstDifference(before, DescribeSong(*song)), "");
}

TEST_F(TempoSeriesAlign, WithoutAlignmentClipsKeepTheirTicks)
{
    ASSERT_EQ(song->ApplyEdit(doubleSpeed(false)), ApplyResult::Applied);
    EXPECT_EQ(song->tracks[1]->events[1].tick, 480);
}

} // namespace
} // namespace rz
