// A take made into the events of the "Record" edit: the pre-start collapse,
// note pairing, the selection filter of mode 2 and step-mode durations.

#include "engine/record_take.h"
#include "song/track.h"
#include "song/undo_record.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <utility>
#include <vector>

namespace rz {
namespace {

constexpr uint32_t kTrack1 = 1u << 24;
constexpr uint32_t kTrack2 = 2u << 24;
constexpr uint32_t kWaveTrack3 = 3u << 24;

// The conductor, two MIDI tracks, a waveform track and the empty last track.
std::vector<std::unique_ptr<CTrack>> songTracks()
{
    std::vector<std::unique_ptr<CTrack>> tracks;
    for (int i = 0; i < 5; ++i)
        tracks.push_back(std::make_unique<CTrack>());
    tracks[3]->type = kWaveTrack;
    return tracks;
}

struct Inserted {
    uint32_t track;
    int32_t tick;
    uint32_t message;
    int32_t value2;
    bool operator==(const Inserted&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Inserted& e)
{
    return out << "{track " << e.track << " tick " << e.tick << " message 0x" << std::hex
               << e.message << std::dec << " value2 " << e.value2 << "}";
}

std::vector<Inserted> inserted(const std::vector<TakeEvent>& take, const TakeOptions& options = {})
{
    const auto tracks = songTracks();
    CEventList list;
    insertTakeEvents(take, tracks, options, list);
    std::vector<Inserted> out;
    for (size_t i = 0; i < list.events.size(); ++i) {
        EXPECT_EQ(list.sortKeys[i] & kComputedPosition, kComputedPosition);
        out.push_back({list.sortKeys[i] >> 24, list.events[i].tick, list.events[i].message,
                       list.events[i].value2});
    }
    return out;
}

TEST(RecordingNotePairing, ALoneNoteOffIsIgnoredAndALoneNoteOnKeepsDurationZero)
{
    const std::vector<TakeEvent> take = {
        {10, kTrack1 | 0x403C80, 0},  // off without its on
        {20, kTrack1 | 0x643E90, 0},  // on without its off
        {30, kTrack2 | 0x644090, 0},
        {30, kTrack1 | 0x644090, 0},
        {90, kTrack1 | 0x004090, 0},  // ends track 1's note, not track 2's
        {95, kTrack2 | 0x404080, 0},
        {99, kWaveTrack3 | 0x644090, 0},
    };
    EXPECT_EQ(inserted(take), (std::vector<Inserted>{{1, 20, 0x643E90, 0},
                                                      {1, 30, 0x644090, 60},
                                                      {2, 30, 0x644090, 65}}));
}

TEST(RecordingNotePairing, KeepsControllersPressureProgramsAndBendAndDropsTheRest)
{
    const std::vector<TakeEvent> take = {
        {1, kTrack1 | 0x403CA0, 0}, {2, kTrack1 | 0x4007B0, 0}, {3, kTrack1 | 0x05C0, 0},
        {4, kTrack1 | 0x30D0, 0},   {5, kTrack1 | 0x4000E0, 0}, {6, kTrack1 | 0xF8, 0},
        {7, (9u << 24) | 0x4007B0, 0}, // no such track
    };
    const auto events = inserted(take);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events.back(), (Inserted{1, 5, 0x4000E0, 0}));
}

TEST(RecordingSelectionMode, ANoteCrossingTheSelectionEndKeepsItsFullDuration)
{
    TakeOptions options;
    options.mode = 2;
    options.selectionFrom = 100;
    options.selectionTo = 200;
    const std::vector<TakeEvent> take = {
        {50, kTrack1 | 0x643C90, 0},  {60, kTrack1 | 0x4007B0, 0}, {150, kTrack1 | 0x003C90, 0},
        {150, kTrack1 | 0x643E90, 0}, {200, kTrack1 | 0x4107B0, 0}, {260, kTrack1 | 0x003E90, 0},
    };
    EXPECT_EQ(inserted(take, options), (std::vector<Inserted>{{1, 150, 0x643E90, 110}}));
}

struct StepCase {
    int stepDuration;
    int32_t grid;
    int32_t played;
    int32_t expected;
};

TEST(RecordingStepRounding, DurationsFollowTheStepOptions)
{
    // The note-off carries 60, the note length chosen when it arrived.
    const StepCase cases[] = {
        {0, 120, 100, 100}, // played lengths kept
        {1, 120, 100, 120}, // rounded up to the grid
        {1, 120, 121, 240},
        {1, 120, 240, 240}, // a whole multiple stays
        {1, 180, 100, 180}, // the dotted grid
        {1, 120, 0, 120},   // a note released at once still gets one step
        {1, 0, 100, 60},    // no grid: the chosen length
        {2, 120, 100, 60},  // any other value: the chosen length
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "StepDuration " << c.stepDuration << " grid "
                                        << c.grid << " played " << c.played);
        TakeOptions options;
        options.mode = 1;
        options.stepDuration = c.stepDuration;
        options.stepGridTicks = c.grid;
        const std::vector<TakeEvent> take = {{500, kTrack1 | 0x643C90, 60},
                                             {500 + c.played, kTrack1 | 0x003C90, 60}};
        const auto events = inserted(take, options);
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events.front().value2, c.expected);
    }
}

TEST(RecordingStepRounding, OnlyStepModeRoundsAndTakesTheFixedVelocity)
{
    TakeOptions options;
    options.stepDuration = 1;
    options.stepGridTicks = 120;
    options.stepVelocity = 90;
    const std::vector<TakeEvent> take = {{0, kTrack1 | 0x643C90, 0}, {50, kTrack1 | 0x003C90, 0}};
    EXPECT_EQ(inserted(take, options), (std::vector<Inserted>{{1, 0, 0x643C90, 50}}));
    options.mode = 1;
    EXPECT_EQ(inserted(take, options), (std::vector<Inserted>{{1, 0, 0x5A3C90, 120}}));
}

TEST(RecordingStepRounding, TheGridIsTheNoteValueAtTheTimeBase)
{
    EXPECT_EQ(stepGridTicks(480, false, 120), 480);
    EXPECT_EQ(stepGridTicks(120, true, 120), 180);
    EXPECT_EQ(stepGridTicks(15, false, 96), 12);
    EXPECT_EQ(stepGridTicks(15, true, 96), 18);
}

TEST(RecordingPreStart, KeepsTheLatestMoveOfEachKindPerTrackAtTheStart)
{
    std::vector<TakeEvent> take = {
        {130, kTrack1 | 0x1007B0, 5}, {100, kTrack1 | 0x0507B0, 5}, {110, kTrack2 | 0x2007B0, 5},
        {120, kTrack1 | 0x200AB0, 5}, {125, kTrack1 | 0x3000E0, 5}, {140, kTrack1 | 0x4000E0, 5},
        {150, kTrack1 | 0x05C0, 5},   {300, kTrack1 | 0x3007B0, 5},
    };
    EXPECT_EQ(collapsePreStart(take, 200), 200);
    const std::vector<uint32_t> messages = {kTrack1 | 0x1007B0, kTrack2 | 0x2007B0,
                                            kTrack1 | 0x200AB0, kTrack1 | 0x4000E0,
                                            kTrack1 | 0x05C0,   kTrack1 | 0x3007B0};
    ASSERT_EQ(take.size(), messages.size());
    for (size_t i = 0; i < take.size(); ++i) {
        EXPECT_EQ(take[i].message, messages[i]) << i;
        EXPECT_EQ(take[i].time, i < 4 ? 200 : (i == 4 ? 150 : 300)) << i;
        EXPECT_EQ(take[i].stepDuration, i < 4 ? 0 : 5) << i;
    }
}

TEST(RecordingOverwriteSpans, MarkOnlyTheSameKindBetweenItsFirstAndLastMove)
{
    auto tracks = songTracks();
    for (const auto& [tick, message] : std::vector<std::pair<int32_t, uint32_t>>{
             {90, 0x0107B0}, {100, 0x0207B0}, {150, 0x030AB0}, {150, 0x2000E0}, {200, 0x0407B0},
             {201, 0x0507B0}}) {
        CMidiEvent event;
        event.tick = tick;
        event.message = message;
        tracks[1]->events.push_back(event);
    }
    tracks[2]->events = tracks[1]->events;
    const std::vector<TakeEvent> take = {{100, kTrack1 | 0x4007B0, 0},
                                         {200, kTrack1 | 0x5007B0, 0}};
    CEventList list;
    markOverwrittenEvents(take, tracks, list);
    EXPECT_EQ(list.sourceKeys, (std::vector<uint32_t>{kTrack1 | 1, kTrack1 | 4}));
}

} // namespace
} // namespace rz
