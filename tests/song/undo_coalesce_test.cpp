#include <gtest/gtest.h>

#include "undo_fixture.h"

namespace rz::test {
namespace {

constexpr uint32_t kDrag = kUndoCoalesce | kUndoEvents | kUndoMeasures;
constexpr uint32_t kTempoStep = kUndoCoalesce | kUndoEvents;

// Moves Piano's event at `index` to `tick`, placed by tick.
std::unique_ptr<CUndoRecord> drag(CSongDoc& song, uint32_t index, int32_t tick)
{
    auto r = std::make_unique<CUndoRecord>();
    r->flags = kDrag;
    r->label = "Drag";
    r->events = std::make_unique<CEventList>();
    CMidiEvent moved = song.tracks[1]->events[index];
    moved.tick = tick;
    r->events->sourceKeys = {eventKey(1, index)};
    r->events->sortKeys = {eventKey(1, kComputedPosition)};
    r->events->events = {moved};
    r->measures = song.SnapshotMeasureMap();
    return r;
}

CMidiEvent tempoEvent(uint32_t microseconds)
{
    CMidiEvent event;
    const uint8_t bytes[3] = {uint8_t(microseconds >> 16), uint8_t(microseconds >> 8),
                              uint8_t(microseconds)};
    event.SetMetaData(0x51, bytes);
    return event;
}

// Replaces the conductor's tempo event at tick 0.
std::unique_ptr<CUndoRecord> tempoStep(uint32_t microseconds)
{
    auto r = std::make_unique<CUndoRecord>();
    r->flags = kTempoStep;
    r->label = "Tempo";
    r->events = std::make_unique<CEventList>();
    r->events->sourceKeys = {eventKey(0, 0)};
    r->events->sortKeys = {eventKey(0, kComputedPosition)};
    r->events->events = {tempoEvent(microseconds)};
    return r;
}

TEST(UndoCoalesce, TwoDragsLeaveOneRecord)
{
    UndoFixture f;
    auto song = f.smallSong();
    const std::string before = DescribeSong(*song);
    ASSERT_EQ(song->ApplyEdit(drag(*song, 3, 200)), ApplyResult::Applied); // note at 120
    ASSERT_EQ(song->tracks[1]->events[3].tick, 200);
    ASSERT_EQ(song->ApplyEdit(drag(*song, 3, 300)), ApplyResult::Applied);
    ASSERT_EQ(song->tracks[1]->events[4].tick, 300);
    const std::string dragged = DescribeSong(*song);
    EXPECT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoPosition, song->undoList.end());

    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
    EXPECT_FALSE(song->Undo());
    ASSERT_TRUE(song->Redo());
    EXPECT_SAME_SONG(dragged, DescribeSong(*song));
}

TEST(UndoCoalesce, TwoTempoStepsUndoInOneStep)
{
    UndoFixture f;
    auto song = f.smallSong();
    song->tracks[0]->events.push_back(tempoEvent(500000));
    RebuildPlayImages(*song, false);
    const std::string before = DescribeSong(*song);
    ASSERT_EQ(song->ApplyEdit(tempoStep(490000)), ApplyResult::Applied);
    ASSERT_EQ(song->ApplyEdit(tempoStep(480000)), ApplyResult::Applied);
    ASSERT_EQ(song->tracks[0]->events.size(), 1u);
    EXPECT_EQ(song->tracks[0]->events[0].data.bytes()[2], uint8_t(480000 & 0xFF));
    EXPECT_EQ(song->undoList.size(), 1u);
    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(UndoCoalesce, DifferentFlagsStaySeparate)
{
    UndoFixture f;
    auto song = f.smallSong();
    song->tracks[0]->events.push_back(tempoEvent(500000));
    ASSERT_EQ(song->ApplyEdit(drag(*song, 3, 200)), ApplyResult::Applied);
    ASSERT_EQ(song->ApplyEdit(tempoStep(490000)), ApplyResult::Applied);
    EXPECT_EQ(song->undoList.size(), 2u);
}

TEST(UndoCoalesce, AbsorbingTheSavedRecordLeavesTheSongModified)
{
    UndoFixture f;
    auto song = f.smallSong();
    ASSERT_EQ(song->ApplyEdit(drag(*song, 3, 200)), ApplyResult::Applied);
    song->savedRecord = song->GetUndoRecord(); // saved after the first drag
    song->SetModifiedFlag(false);
    ASSERT_EQ(song->ApplyEdit(drag(*song, 3, 300)), ApplyResult::Applied);
    EXPECT_TRUE(song->IsModified());
    ASSERT_TRUE(song->Undo());
    EXPECT_TRUE(song->IsModified()); // the saved state is gone with the absorbed record
}

} // namespace
} // namespace rz::test
