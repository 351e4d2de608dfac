#include <gtest/gtest.h>

#include "smf_builder.h"
#include "song/build_maps.h"
#include "song/dr_meta_track.h"
#include "song/play_images.h"
#include "song/smf_reader.h"
#include "song/transpose_event.h"
#include "song_fixture.h"

namespace rz {
namespace {

using test::SmfBuilder;
using test::TrackBuilder;

std::unique_ptr<CSongDoc> openConductor(SongFixture& fixture, const TrackBuilder& conductor,
                                        std::initializer_list<const std::vector<uint8_t>*> more = {},
                                        SongFileKind kind = {})
{
    SmfBuilder smf;
    smf.header(1, uint16_t(1 + more.size()), 120).track(conductor);
    for (const auto* chunk : more)
        smf.chunk("MTrk", *chunk);
    auto song = std::make_unique<CSongDoc>(fixture.context());
    std::string reason;
    EXPECT_TRUE(OpenSongBytes(*song, smf.bytes(), kind, reason)) << reason;
    return song;
}

TEST(BuildMaps, DrMetaTrackRoundTrip)
{
    SongFixture fixture;
    auto saved = fixture.newSong();
    saved->layoutText = "frame=1,2";
    saved->performanceTempo = 450000;
    saved->relativeVolume = 2.0;
    saved->measureMap.resize(3, saved->measureMap[0]);
    saved->RecomputeMeasureStarts();
    saved->measureMap[0].letter = 'A';
    saved->measureMap[1].number = 12;
    saved->measureMap[1].letter = 'B';
    saved->measureMap[2].number = 3;
    auto vamp = std::make_unique<CCue>();
    vamp->kind = kCueVamp;
    vamp->name = "Intro";
    vamp->repeatCount = 2;
    vamp->time = 480;
    vamp->secondTime = 240;
    auto fermata = std::make_unique<CCue>();
    fermata->kind = kCueFermata;
    fermata->name = "hold";
    saved->cues.push_back(std::move(fermata));
    saved->cues.push_back(std::move(vamp));
    CTrack meta;
    BuildDrMetaTrack(*saved, meta);

    auto song = openConductor(fixture, test::plainConductor(1440), {&meta.playImage});
    EXPECT_EQ(song->layoutText, "frame=1,2");
    EXPECT_EQ(song->performanceTempo, 450000u);
    EXPECT_DOUBLE_EQ(song->relativeVolume, 2.0);
    ASSERT_GE(song->measureMap.size(), 3u);
    EXPECT_EQ(song->measureMap[0].letter, 'A');
    EXPECT_EQ(song->measureMap[1].number, 12);
    EXPECT_EQ(song->measureMap[1].letter, 'B');
    EXPECT_EQ(song->measureMap[2].number, 3);
    ASSERT_EQ(song->cues.size(), 2u);
    EXPECT_EQ(song->cues[0]->kind, kCueFermata);
    EXPECT_EQ(song->cues[0]->time, 0);
    const CCue& readVamp = *song->cues[1];
    EXPECT_EQ(readVamp.name, "Intro");
    EXPECT_EQ(readVamp.repeatCount, 2);
    EXPECT_EQ(readVamp.time, 480);
    EXPECT_EQ(readVamp.secondTime, 240);
    EXPECT_EQ(song->tracks.size(), 2u); // the "@DO4_META" track is not a track
}

TEST(BuildMaps, MarkerAtTickZeroStaysAtZero)
{
    TrackBuilder meta;
    meta.meta(0, 0x03, "@DO4_META").meta(0, 0x01, "@DR;22;0;1,2;at zero").meta(0, 0x01, "@DR;20;A").end();
    SongFixture fixture;
    auto song = openConductor(fixture, test::plainConductor(), {&meta.bytes()});
    ASSERT_EQ(song->cues.size(), 1u);
    EXPECT_EQ(song->cues[0]->time, 0);
    EXPECT_EQ(song->cues[0]->name, "at zero");
    EXPECT_EQ(song->measureMap[0].letter, 'A');
    EXPECT_EQ(song->measureMap[0].number, 0);
}

TEST(BuildMaps, LabelRecords)
{
    TrackBuilder conductor;
    conductor.meta(0, 0x7F, {'d', 'r', 20, '1', '2', 'b'}).meta(0, 0x7F, {'d', 'r', 20, 'A'})
        .meta(0, 0x7F, {'d', 'r', 20, '7'}).end();
    TrackBuilder late;
    late.event(480 * 4, {0x90, 60, 100}).event(10, {0x80, 60, 0}).end();
    SongFixture fixture;
    auto song = openConductor(fixture, conductor, {&late.bytes()});
    const auto& m = song->measureMap;
    ASSERT_GE(m.size(), 5u);
    EXPECT_EQ(m[0].number, 12);
    EXPECT_EQ(m[0].letter, 'B');
    EXPECT_EQ(m[1].number, 0);
    EXPECT_EQ(m[1].letter, 'A');
    EXPECT_EQ(m[2].number, 7);
    EXPECT_EQ(m[2].letter, 0);
    EXPECT_EQ(m[3].number, 8);
}

TEST(BuildMaps, MeterAndTempoChanges)
{
    TrackBuilder conductor;
    conductor.meta(0, 0x58, {3, 2, 24, 8})       // 3/4 at 0
        .meta(0, 0x51, {0x07, 0xA1, 0x20})       // 500000
        .meta(600, 0x58, {2, 2, 1, 8})           // 2/4 in the middle of measure 2
        .meta(0, 0x51, {0x0F, 0x42, 0x40})       // 1000000 at 600
        .meta(0, 0x51, {0x09, 0x27, 0xC0})       // replaced by 600000 at 600
        .meta(0, 0x51, {0x00, 0x00, 0x00})       // tempo 0: ignored
        .meta(0, 0x51, {0x01, 0x02})             // too short: ignored
        .meta(0, 0x58, {0, 2, 24, 8})            // numerator 0: ignored
        .meta(0, 0x58, {4, 9, 24, 8})            // denominator 2^9: ignored
        .end(240);
    SongFixture fixture;
    auto song = openConductor(fixture, conductor);
    ASSERT_EQ(song->tempoMap.size(), 2u);
    EXPECT_EQ(song->tempoMap[1].tick, 600);
    EXPECT_EQ(song->tempoMap[1].tempo, 600000u);
    const auto& m = song->measureMap;
    ASSERT_GE(m.size(), 3u);
    EXPECT_EQ(m[0].numerator, 3);
    EXPECT_EQ(m[1].numerator, 3);
    EXPECT_EQ(m[2].numerator, 2);
    EXPECT_EQ(m[2].clocksPerClick, 2);
    // The overlapping measure is closed up: measure 2 starts after two 3/4 measures.
    EXPECT_EQ(m[2].start, 720);
}

TEST(BuildMaps, ConductorTexts)
{
    TrackBuilder conductor;
    conductor.meta(0, 0x01, "Ann Author").meta(0, 0x01, "memo").meta(10, 0x01, "Verse").end();
    for (bool rss : {false, true}) {
        SCOPED_TRACE(rss);
        SongFixture fixture;
        auto song = openConductor(fixture, conductor, {}, SongFileKind{.rss = rss});
        EXPECT_EQ(song->author, rss ? "" : "Ann Author");
        ASSERT_EQ(song->cues.size(), rss ? 3u : 1u);
        EXPECT_EQ(song->cues.back()->name, "Verse");
        EXPECT_EQ(song->cues.back()->kind, kCueMarker);
    }
}

TEST(BuildMaps, RescalePpqRoundsAndEmptiesUndo)
{
    SongFixture fixture;
    auto song = fixture.newSong();
    CMidiEvent note;
    note.message = 0x403C90;
    note.tick = 7;   // 7 x 960 / 100 = 67.2
    note.value2 = 5; // 48
    song->tracks[1]->events.push_back(note);
    song->tracks.push_back(std::make_unique<CTrack>());
    auto cue = std::make_unique<CCue>();
    cue->time = 15;  // 144
    song->cues.push_back(std::move(cue));
    song->timeBase = 100;
    song->undoList.push_back(std::make_unique<CUndoRecord>());
    song->undoPosition = song->undoList.end();
    song->savedRecord = song->undoList.back().get();
    RescalePpq(*song, 960);
    EXPECT_EQ(song->timeBase, 960);
    EXPECT_EQ(song->tracks[1]->events[0].tick, 67);
    EXPECT_EQ(song->tracks[1]->events[0].value2, 48);
    EXPECT_EQ(song->cues[0]->time, 144);
    EXPECT_EQ(song->measureMap[0].length, 3840);
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_EQ(song->savedRecord, unreachableSavedRecord());
    EXPECT_TRUE(song->IsModified());
}

// The song in memory follows the new time base whole: its end, its
// measures, the play position and a time selection, not only the events.
TEST(BuildMaps, RescalePpqScalesTheEndThePositionAndTheSelection)
{
    SongFixture fixture;
    auto song = fixture.newSong();
    song->timeBase = 480;
    song->RecomputeMeasureStarts();
    CMidiEvent note;
    note.message = 0x403C90;
    note.tick = 20 * 1920; // bar 21
    note.value2 = 480;
    song->tracks[1]->events.push_back(note);
    song->tracks.push_back(std::make_unique<CTrack>());
    RebuildPlayImages(*song, false);
    song->ExtendMeasureMap();
    const int32_t oldEnd = song->endTick;
    const int32_t oldMapEnd = song->measureMapEnd;
    ASSERT_GE(oldEnd, 20 * 1920 + 480);
    song->setPosition(480); // 1:2:000
    song->selectionFrom = 1920;
    song->selectionTo = 3840;
    RescalePpq(*song, 96);
    EXPECT_EQ(song->endTick, oldEnd / 5);
    EXPECT_EQ(song->measureMapEnd, oldMapEnd / 5);
    EXPECT_EQ(song->position(), 96);
    EXPECT_EQ(song->selectionFrom, 384);
    EXPECT_EQ(song->selectionTo, 768);
}

class FakeChordTable : public IChordTable {
public:
    std::optional<std::string> findChordData(std::string_view firstText, std::string_view name) override
    {
        asked.emplace_back(std::string(firstText) + "|" + std::string(name));
        if (name == "Dm7")
            return std::string("\x01\x02\x03\x04\x05\x06", 6);
        return std::nullopt;
    }
    std::vector<std::string> asked;
};

TEST(BuildMaps, TransposeChordMarker)
{
    CTrack track;
    track.events.emplace_back().SetText("@DR;1;129;130;131;132;133;134;up|C#m7");
    track.events.emplace_back().SetText("@DR;1;129;130;131;132;133;134;up|Ebmaj");
    CMidiEvent& note = track.events.emplace_back();
    note.message = 0x407E90;
    note.spelling = 2;
    FakeChordTable chords;
    bool clipped = false;
    for (size_t i = 0; i < 3; ++i)
        TransposeEvent(track, i, 1, clipped, 7, &chords);
    const auto text = [&](size_t i) {
        const auto b = track.events[i].data.bytes();
        return std::string(b.begin(), b.end());
    };
    EXPECT_EQ(text(0), "@DR;1;129;130;131;132;133;134;up|Dm7");
    EXPECT_EQ(text(1), "@DR;1;129;130;131;132;133;134;up|Ebmaj"); // no table row: unchanged
    EXPECT_EQ(chords.asked, (std::vector<std::string>{"up|Dm7", "up|Emaj"}));
    EXPECT_EQ(track.events[2].data1(), 127);
    EXPECT_EQ(track.events[2].spelling, kNoSpelling);
    EXPECT_FALSE(clipped);
    TransposeEvent(track, 2, 1, clipped, 7, &chords);
    EXPECT_TRUE(clipped);
}

} // namespace
} // namespace rz
