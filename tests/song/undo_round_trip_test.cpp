#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "song/selection.h"
#include "undo_fixture.h"

namespace rz::test {
namespace {

using Build = std::function<std::unique_ptr<CUndoRecord>(CSongDoc&)>;
using Check = std::function<void(CSongDoc&)>;

struct RoundTripCase {
    const char* name;
    Build build;
    const char* view; // the host call that activates the view
    Check afterApply;
};

std::unique_ptr<CUndoRecord> record(uint32_t flags, const char* label)
{
    auto r = std::make_unique<CUndoRecord>();
    r->flags = flags;
    r->label = label;
    return r;
}

// Moves Piano's second note at tick 0 (key 60, stored after key 64) to tick
// 360, placed by tick, and puts a controller explicitly first on Bass.
std::unique_ptr<CUndoRecord> moveEvents(CSongDoc& song)
{
    auto r = record(kUndoEvents, "Move Events");
    r->events = std::make_unique<CEventList>();
    CMidiEvent moved = song.tracks[1]->events[2];
    moved.tick = 360;
    r->events->sourceKeys = {eventKey(1, 2)};
    r->events->sortKeys = {eventKey(1, kComputedPosition), eventKey(2, 0)};
    r->events->events = {moved, controller(0, 10, 20, 1)};
    return r;
}

std::unique_ptr<CUndoRecord> deleteAllTempos(CSongDoc&)
{
    auto r = record(kUndoTempo, "Delete Tempos");
    r->tempo = std::make_unique<CTempoSet>();
    r->tempo->removeKeys = {0, 1};
    return r;
}

// Takes Bass out and puts a meta track and a new MIDI track in at row 1.
std::unique_ptr<CUndoRecord> replaceTracks(CSongDoc&)
{
    auto r = record(kUndoTrackList, "Insert Tracks");
    r->tracks = std::make_unique<CTrackList>();
    r->tracks->sourceRows = {2};
    r->tracks->targetRows = {1, 1};
    auto meta = std::make_unique<CTrack>();
    meta->type = kMetaTrack;
    meta->name = "Settings";
    meta->events = {controller(0, 7, 64, 9)};
    auto strings = std::make_unique<CTrack>();
    strings->name = "Strings";
    strings->events = {note(0, 67, 70, 480)};
    r->tracks->add(std::move(meta));
    r->tracks->add(std::move(strings));
    return r;
}

std::unique_ptr<CUndoRecord> changeProps(CSongDoc&)
{
    auto r = record(kUndoTrackProps | kUndoSelectTracks, "Track Properties");
    CTrackProps piano(1);
    piano.channel = 5;
    piano.key = 3;
    piano.timeOffset = -2000;
    piano.name = "Grand";
    CTrackProps bass(2);
    bass.velocityOffset = -120;
    bass.patch = 12;
    r->payload = std::vector<CTrackProps>{piano, bass};
    return r;
}

std::unique_ptr<CUndoRecord> changeSongProps(CSongDoc& song)
{
    auto r = record(kUndoSongProps, "Edit Song Properties");
    CSongPropsSnapshot props;
    props.format = 0;
    props.title = "New title";
    props.memo = "memo";
    props.smpteOffset = CSmpteTime::fromFields(kSmpteRate25, 1, 2, 3, 4, 5);
    props.smpteOffset.GetTime();
    props.relativeVolume = 2.0;
    props.performanceTempo = 450000;
    props.pathName = song.pathName / "other.mid";
    r->payload = props;
    return r;
}

// Takes the Marker out; puts in an Ad lib from 100 to 650, which sorts by its
// end, and a Marker at 650, which sorts after it.
std::unique_ptr<CUndoRecord> editCues(CSongDoc&)
{
    auto r = record(kUndoCues, "Paste Cues");
    r->cues = std::make_unique<CCueSet>();
    r->cues->removeKeys = {0};
    CCue adLib = *UndoFixture::cue(kCueAdLib, 100, 650, "Cadenza");
    CCue marker = *UndoFixture::cue(kCueMarker, 650, 650, "Coda");
    r->cues->cues = {adLib, marker};
    return r;
}

// Measure 2 onwards in 3/4 with two sharps.
std::unique_ptr<CUndoRecord> changeMeter(CSongDoc& song)
{
    auto r = record(kUndoMeasures, "Meter");
    r->measures = std::make_unique<CMeasureMapSnapshot>();
    r->measures->measureCount = int32_t(song.measureMap.size());
    MeasureRec first = song.measureMap.front();
    MeasureRec second = first;
    second.start = first.length;
    second.number = 2;
    second.numerator = 3;
    second.key = 2;
    r->measures->entries = {first, second};
    return r;
}

std::unique_ptr<CUndoRecord> insertTimeAtZero(CSongDoc&)
{
    auto r = record(kUndoInsertTime, "Insert Time");
    r->start = 0;
    r->payload = int32_t(240);
    return r;
}

// Deletes 240..480: Piano's note at 240 and the two cues inside the span go
// with it; an Ad lib from 100 to 650 straddles the span.
std::unique_ptr<CUndoRecord> deleteTime(CSongDoc& song)
{
    insertCueInOrder(song.cues, UndoFixture::cue(kCueAdLib, 100, 650, "Straddle"));
    insertCueInOrder(song.cues, UndoFixture::cue(kCueMarker, 300, 300, "Inside"));
    auto r = record(kUndoDeleteTime | kUndoEvents | kUndoCues, "Delete Time");
    r->start = 240;
    r->payload = int32_t(240);
    r->events = std::make_unique<CEventList>();
    r->events->sourceKeys = {eventKey(1, 4)};
    r->cues = std::make_unique<CCueSet>();
    r->cues->removeKeys = {0, 1}; // Verse at 240, Inside at 300
    return r;
}

const std::vector<RoundTripCase>& roundTripCases()
{
    static const std::vector<RoundTripCase> table = {
        {"EventsByTickAndExplicit", moveEvents, "activateEditorView()",
         [](CSongDoc& s) {
             const auto& piano = s.tracks[1]->events;
             ASSERT_EQ(piano.size(), 5u);
             EXPECT_EQ(piano[4].tick, 360); // placed by tick, after the note at 240
             EXPECT_EQ(s.tracks[2]->events[0].message, 0x140AB1u); // on Bass's channel
             EXPECT_EQ(s.selectionKind & kSelectEvents, kSelectEvents);
         }},
        {"DeleteEveryTempo", deleteAllTempos, "activateTempoView()",
         [](CSongDoc& s) {
             ASSERT_EQ(s.tempoMap.size(), 1u);
             EXPECT_EQ(s.tempoMap[0].tick, 0);
             EXPECT_EQ(s.tempoMap[0].tempo, 500000u);
         }},
        {"TracksWithMetaTrack", replaceTracks, "activateTrackView()",
         [](CSongDoc& s) {
             ASSERT_EQ(s.tracks.size(), 6u);
             EXPECT_EQ(s.tracks[1]->name, "Settings");
             EXPECT_EQ(s.tracks[2]->name, "Strings");
             EXPECT_EQ(s.tracks[3]->name, "Piano");
             EXPECT_EQ(s.tracks[4]->name, "Audio");
             EXPECT_EQ(s.selectionKind, kSelectTracks);
         }},
        {"TrackProperties", changeProps, "activateTrackView()",
         [](CSongDoc& s) {
             const CTrack& piano = *s.tracks[1];
             EXPECT_EQ(piano.timeOffset, -2000);
             EXPECT_EQ(piano.name, "Grand");
             EXPECT_EQ(piano.events[1].message & 0xF, 5u);
             EXPECT_EQ(piano.events[3].spelling, kNoSpelling);
             EXPECT_EQ(s.tracks[2]->velocityOffset, -120);
         }},
        {"SongProperties", changeSongProps, "activateEditorView()",
         [](CSongDoc& s) {
             EXPECT_EQ(s.title, "New title");
             EXPECT_EQ(s.format, 0);
             EXPECT_EQ(s.relativeVolume, 2.0);
         }},
        {"CuesInAdLibOrder", editCues, "activateEditorView()",
         [](CSongDoc& s) {
             ASSERT_EQ(s.cues.size(), 3u);
             EXPECT_EQ(s.cues[0]->name, "Cadenza"); // sorts by its end, 650
             EXPECT_EQ(s.cues[1]->name, "Coda");    // same tick, later min time
             EXPECT_EQ(s.cues[2]->name, "Solo");
         }},
        {"MeasureSnapshot", changeMeter, "activateEditorView()",
         [](CSongDoc& s) {
             ASSERT_GE(s.measureMap.size(), 3u);
             EXPECT_EQ(s.measureMap[1].numerator, 3);
             EXPECT_EQ(s.measureMap[2].start, 480 + 360);
             EXPECT_EQ(s.measureMap[2].number, 3);
             EXPECT_EQ(s.measureMap[2].key, 2);
         }},
        {"InsertTimeAtZero", insertTimeAtZero, "activateEditorView()",
         [](CSongDoc& s) {
             EXPECT_EQ(s.tracks[1]->events[0].tick, 240);
             EXPECT_EQ(s.tempoMap[0].tick, 0);
             EXPECT_EQ(s.tempoMap[1].tick, 1200);
             EXPECT_EQ(s.cues[0]->time, 480);
             EXPECT_EQ(s.selectionKind, kSelectTimeRange);
             EXPECT_EQ(s.selectionTo, 240);
         }},
        {"DeleteTimeWithStraddlingCues", deleteTime, "activateEditorView()",
         [](CSongDoc& s) {
             EXPECT_EQ(s.tracks[1]->events.size(), 4u);
             EXPECT_EQ(s.tracks[2]->events[2].tick, 240); // the note at 480
             EXPECT_EQ(s.tempoMap[1].tick, 720);
             EXPECT_EQ(s.position(), 240);
             std::vector<std::string> cues;
             for (const auto& c : s.cues)
                 cues.push_back(c->name + "@" + std::to_string(c->time) + "/"
                                + std::to_string(c->secondTime));
             EXPECT_EQ(cues, (std::vector<std::string>{"Straddle@100/410", "Solo@360/460"}));
         }},
    };
    return table;
}

class UndoRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(UndoRoundTrip, ApplyUndoRedo)
{
    const RoundTripCase& c = GetParam();
    UndoFixture f;
    auto song = f.smallSong();
    auto r = c.build(*song);
    const std::string before = DescribeSong(*song);

    ASSERT_EQ(song->ApplyEdit(std::move(r)), ApplyResult::Applied);
    const std::string applied = DescribeSong(*song);
    EXPECT_NE(applied, before);
    c.afterApply(*song);
    EXPECT_TRUE(f.host.log.contains(c.view)) << c.name;
    EXPECT_TRUE(song->IsModified());

    f.host.log.clear();
    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
    EXPECT_TRUE(f.host.log.contains(c.view));
    EXPECT_FALSE(song->IsModified());

    f.host.log.clear();
    ASSERT_TRUE(song->Redo());
    EXPECT_SAME_SONG(applied, DescribeSong(*song));
    EXPECT_TRUE(f.host.log.contains(c.view));
}

INSTANTIATE_TEST_SUITE_P(Records, UndoRoundTrip, ::testing::ValuesIn(roundTripCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UndoRoundTripViews, TrackRecordsSelectTheInsertedRows)
{
    UndoFixture f;
    auto song = f.smallSong();
    ASSERT_EQ(song->ApplyEdit(replaceTracks(*song)), ApplyResult::Applied);
    EXPECT_EQ(f.trackRows.selected, (std::set<int>{1, 2}));
    ASSERT_TRUE(song->Undo());
    EXPECT_EQ(f.trackRows.selected, (std::set<int>{2}));
    EXPECT_EQ(f.trackRows.current, 2);
}

TEST(UndoRoundTripViews, ControllerEditShowsItsLane)
{
    UndoFixture f;
    auto song = f.smallSong();
    auto r = record(kUndoEvents | kUndoControllerEdit, "Draw Controller");
    r->events = std::make_unique<CEventList>();
    r->events->sortKeys = {eventKey(2, kComputedPosition)};
    r->events->events = {controller(100, 11, 90, 1)};
    ASSERT_EQ(song->ApplyEdit(std::move(r)), ApplyResult::Applied);
    EXPECT_TRUE(f.host.log.contains("showControllerView(176,11)"));
    EXPECT_EQ(f.host.log.count("activateEditorView"), 0u);
    ASSERT_TRUE(song->Undo()); // now the record only holds the event to put back
    EXPECT_EQ(f.host.log.count("showControllerView"), 2u);
}

TEST(UndoRoundTripViews, NothingToUndoOrRedo)
{
    UndoFixture f;
    auto song = f.smallSong();
    const std::string before = DescribeSong(*song);
    EXPECT_FALSE(song->Undo());
    EXPECT_FALSE(song->Redo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
    EXPECT_EQ(f.host.log.count("stopOverviewWorkers"), 0u);
}

TEST(UndoRoundTripViews, StopsOverviewWorkersAndUpdatesViewsWithTheFlags)
{
    UndoFixture f;
    auto song = f.smallSong();
    ASSERT_EQ(song->ApplyEdit(deleteAllTempos(*song)), ApplyResult::Applied);
    f.host.log.clear();
    ASSERT_TRUE(song->Undo());
    const auto& calls = f.host.log.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(f.host.log.count("stopOverviewWorkers"), 1u);
    const auto update = std::find_if(calls.begin(), calls.end(), [](const std::string& c) {
        return c.rfind("updateSongViews", 0) == 0;
    });
    ASSERT_NE(update, calls.end());
    EXPECT_NE(update->find(",2)"), std::string::npos) << *update;
    EXPECT_TRUE(f.engine.log.contains("Stop(0)")); // the current song is located
}

TEST(UndoRoundTripMends, CueEndingAtTheDeletedSpanComesBack)
{
    UndoFixture f;
    auto song = f.smallSong();
    song->cues.clear();
    song->cues.push_back(UndoFixture::cue(kCueAdLib, 100, 480, "Ends at the span's end"));
    const std::string before = DescribeSong(*song);
    auto r = record(kUndoDeleteTime | kUndoEvents, "Delete Time");
    r->start = 240;
    r->payload = int32_t(240);
    r->events = std::make_unique<CEventList>();
    r->events->sourceKeys = {eventKey(1, 4)};
    ASSERT_EQ(song->ApplyEdit(std::move(r)), ApplyResult::Applied);
    EXPECT_EQ(song->cues[0]->secondTime, 240); // with the material at 480
    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(UndoRoundTripMends, EventsPutIntoTheMetaTrackKeepTheirChannels)
{
    UndoFixture f;
    auto song = f.smallSong();
    song->tracks[2]->type = kMetaTrack;
    RebuildPlayImages(*song, false);
    const std::string before = DescribeSong(*song);
    auto r = record(kUndoEvents, "Delete Events");
    r->events = std::make_unique<CEventList>();
    r->events->sourceKeys = {eventKey(2, 1)};
    r->events->sortKeys = {eventKey(2, kComputedPosition)};
    r->events->events = {controller(0, 7, 90, 9)};
    ASSERT_EQ(song->ApplyEdit(std::move(r)), ApplyResult::Applied);
    EXPECT_EQ(song->tracks[2]->events[0].message, 0x5A07B9u); // placed first, channel 9 kept
    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

} // namespace
} // namespace rz::test
