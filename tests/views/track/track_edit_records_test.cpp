#include "views/track/track_edit_records.h"

#include "views/drag_autoscroll.h"

#include "song/describe_song.h"
#include "song/play_images.h"
#include "views/track/track_columns.h"
#include "tests/views/track/track_view_fixture.h"

#include <gtest/gtest.h>

namespace rz::test {
namespace {

// Applies the record, checks its label, undoes it back to the same song and
// redoes it.
void applyAsOneStep(TrackSongFixture& f, std::unique_ptr<CUndoRecord> record, const std::string& label)
{
    ASSERT_NE(record, nullptr);
    RebuildPlayImages(*f.song, false);
    const std::string before = DescribeSong(*f.song);
    const size_t steps = f.song->undoList.size();
    ASSERT_EQ(f.song->ApplyEdit(std::move(record)), ApplyResult::Applied);
    ASSERT_EQ(f.song->undoList.size(), steps + 1);
    EXPECT_EQ(f.song->undoList.back()->label, label);
    const std::string after = DescribeSong(*f.song);
    ASSERT_TRUE(f.song->Undo());
    EXPECT_EQ(DescribeSong(*f.song), before);
    ASSERT_TRUE(f.song->Redo());
    EXPECT_EQ(DescribeSong(*f.song), after);
}

TEST(TrackEditRecords, SortingOrdersTextByBytesAndNumbersByValueKeepingTies)
{
    struct Case {
        int column;
        std::vector<std::string> names;
        std::vector<int> channels; // stored, 0-based
        std::vector<std::string> sorted;
    };
    const Case cases[] = {
        {kColumnTrack, {"b", "A", "a"}, {0, 0, 0}, {"A", "a", "b"}},
        {kColumnChannel, {"ten", "two", "one"}, {9, 1, 0}, {"one", "two", "ten"}},
        {kColumnChannel, {"x", "y", "z", "w"}, {3, 1, 3, 1}, {"y", "w", "x", "z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        TrackSongFixture f(int(c.names.size()));
        for (size_t i = 0; i < c.names.size(); ++i) {
            f.track(int(i) + 1).name = c.names[i];
            f.track(int(i) + 1).channel = c.channels[i];
        }
        applyAsOneStep(f, sortTracksRecord(*f.song, c.column, nullptr), "Sort Tracks");
        EXPECT_EQ(trackNames(*f.song), c.sorted);
    }
}

TEST(TrackEditRecords, DraggingRowsTwoAndFourToRowOneMovesThemInRowOrder)
{
    TrackSongFixture f(5);
    applyAsOneStep(f, dragTracksRecord(*f.song, {4, 2}, 1), "Drag Tracks");
    EXPECT_EQ(trackNames(*f.song), (std::vector<std::string>{"T2", "T4", "T1", "T3", "T5"}));
    EXPECT_EQ(f.song->undoList.back()->flags, kUndoTrackList | kUndoViewMark);
}

TEST(TrackEditRecords, DeleteIsOneStepAndEmptySongsMakeNoRecords)
{
    TrackSongFixture f(4);
    applyAsOneStep(f, deleteTracksRecord({3, 1}), "Delete Tracks");
    EXPECT_EQ(trackNames(*f.song), (std::vector<std::string>{"T2", "T4"}));
    EXPECT_EQ(deleteTracksRecord({}), nullptr);
    EXPECT_EQ(deleteTracksRecord({0}), nullptr) << "the conductor row stays";
    TrackSongFixture empty(0);
    EXPECT_EQ(sortTracksRecord(*empty.song, kColumnTrack, nullptr), nullptr);
    EXPECT_EQ(dragTracksRecord(*empty.song, {1}, 1), nullptr);
}

} // namespace
} // namespace rz::test

namespace rz::test {
namespace {

// Rows scroll by the pointer's distance in whole rows, columns by pixels,
// never past either end.
TEST(TrackEditAutoscroll, EdgeStepsByTheDistanceInUnitsWithinTheRange)
{
    const struct {
        int pointer, low, high, pos, maxPos, unit, next;
    } cases[] = {
        {50, 20, 100, 5, 10, 14, 5},   // inside: still
        {19, 20, 100, 5, 10, 14, 4},   // one pixel above: one row
        {-10, 20, 100, 5, 10, 14, 2},  // 30 above: ceil(30 / 14) rows
        {-500, 20, 100, 5, 10, 14, 0}, // not below 0
        {100, 20, 100, 5, 10, 14, 6},  // on the bottom edge: one row
        {129, 20, 100, 5, 10, 14, 8},  // 30 below
        {900, 20, 100, 5, 10, 14, 10}, // not past the limit
        {10, 30, 500, 40, 200, 1, 20}, // columns by pixels
        {540, 30, 500, 40, 200, 1, 81},
        {540, 30, 500, 40, -3, 1, 0},  // nothing to scroll
    };
    for (const auto& c : cases)
        EXPECT_EQ(edgeScrollStep(c.pointer, c.low, c.high, c.pos, c.maxPos, c.unit), c.next)
            << c.pointer << " in " << c.low << ".." << c.high;
}

} // namespace
} // namespace rz::test
