#include "views/track/track_selection.h"

#include "song/selection.h"
#include "tests/views/track/track_view_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace rz::test {
namespace {

std::vector<int> selectedRows(const TrackSelection& s)
{
    std::vector<int> rows;
    for (int row = s.GetFirstSelected(); row >= 0; row = s.GetNextSelected(row))
        rows.push_back(row);
    return rows;
}

constexpr TrackKeyModifiers kPlain{};
constexpr TrackKeyModifiers kCtrl{.ctrl = true};
constexpr TrackKeyModifiers kShift{.shift = true};

TEST(TrackSelection, ASongOfOnlyTheConductorAndEmptyTrackHasNothingToSelect)
{
    TrackSongFixture f(0);
    ASSERT_EQ(f.selection.rowCount(), 2);
    f.selection.SelectAll();
    f.selection.RefreshSelection();
    EXPECT_EQ(f.selection.GetSelectedCount(), 0);
    EXPECT_EQ(f.selection.GetFirstSelected(), -1);
    for (int row = -1; row <= 2; ++row)
        EXPECT_FALSE(f.selection.IsRowSelected(row)) << row;
}

TEST(TrackSelection, SelectAllLeavesTheConductorAndEmptyRowOut)
{
    TrackSongFixture f(5);
    f.selection.SelectAll();
    f.selection.RefreshSelection();
    EXPECT_EQ(selectedRows(f.selection), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(f.selection.currentRow(), f.count() - 1);
    EXPECT_EQ(f.song->selectionKind, kSelectTracks);
}

TEST(TrackSelection, CellModeIsTheCurrentRowWhateverTheFlagsSay)
{
    TrackSongFixture f(6);
    f.selection.SelectRow(2, true);
    f.selection.SelectRow(3, false);
    f.selection.pressCell(5, 2);
    EXPECT_TRUE(f.selection.cellMode());
    EXPECT_EQ(f.selection.GetSelectedCount(), 0);
    EXPECT_TRUE(f.selection.IsRowSelected(5, false));
    EXPECT_FALSE(f.selection.IsRowSelected(2, false));
    EXPECT_FALSE(f.selection.IsRowSelected(5, true));
    EXPECT_EQ(f.selection.GetFirstSelected(), 2);
}

TEST(TrackSelection, NextSelectedOfTheEdgesIsNone)
{
    TrackSongFixture f(4);
    f.selection.SelectAll();
    EXPECT_EQ(f.selection.GetNextSelected(f.count() - 1), -1);
    EXPECT_EQ(f.selection.GetNextSelected(-1), -1);
    EXPECT_EQ(f.selection.GetNextSelected(f.count()), -1);
}

TEST(TrackSelection, ShiftClickSpansFromTheAnchorAndKeepsIt)
{
    TrackSongFixture f(9);
    f.selection.pressNumber(7, kPlain);
    f.selection.releaseNumber(false);
    ASSERT_EQ(f.selection.anchorRow(), 7);
    f.selection.pressNumber(3, kShift);
    f.selection.releaseNumber(false);
    EXPECT_EQ(selectedRows(f.selection), (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_EQ(f.selection.anchorRow(), 7);
}

TEST(TrackSelection, CtrlClickDeselectsOnlyOnAReleaseWithoutADrag)
{
    TrackSongFixture f(5);
    f.selection.pressNumber(2, kPlain);
    f.selection.releaseNumber(false);
    f.selection.pressNumber(4, kCtrl);
    f.selection.releaseNumber(false);
    ASSERT_EQ(selectedRows(f.selection), (std::vector<int>{2, 4}));

    f.selection.pressNumber(4, kCtrl);
    EXPECT_TRUE(f.selection.IsRowSelected(4)) << "the press alone keeps it";
    f.selection.releaseNumber(true);
    EXPECT_EQ(selectedRows(f.selection), (std::vector<int>{2, 4})) << "a drag keeps it";

    f.selection.pressNumber(4, kCtrl);
    f.selection.releaseNumber(false);
    EXPECT_EQ(selectedRows(f.selection), (std::vector<int>{2}));
}

TEST(TrackSelection, APlainClickOnASelectedRowKeepsItAloneOnRelease)
{
    TrackSongFixture f(5);
    f.selection.SelectAll();
    f.selection.RefreshSelection();
    f.selection.pressNumber(3, kPlain);
    EXPECT_EQ(f.selection.GetSelectedCount(), 5) << "a drag of the tracks may follow";
    f.selection.releaseNumber(false);
    EXPECT_EQ(selectedRows(f.selection), (std::vector<int>{3}));
}

TEST(TrackSelection, ABurstOfChangesNotifiesTheViewsOnce)
{
    TrackSongFixture f(5);
    f.selection.SelectRow(1, true);
    f.selection.SelectRow(2, false);
    f.selection.DeselectRow(1);
    f.selection.key(TrackKey::Down, kPlain, 4);
    EXPECT_TRUE(f.timer.active);
    EXPECT_EQ(f.timer.period, TrackSelection::kNotifyMs);
    EXPECT_EQ(f.viewUpdates(), 0u);
    f.selection.notifyNow(); // the period ends
    EXPECT_EQ(f.viewUpdates(), 1u);
    EXPECT_TRUE(f.fixture.host.log.calls().back().ends_with(",0)")) << "hint 0";
    EXPECT_FALSE(f.timer.active);
}

TEST(TrackSelection, NoNotifyWithoutASong)
{
    TrackSongFixture f(3);
    f.selection.setSong(nullptr);
    f.selection.SyncRowCount();
    EXPECT_EQ(f.selection.rowCount(), 0);
    f.selection.SelectAll();
    f.selection.SelectNone();
    EXPECT_FALSE(f.timer.active);
}

TEST(TrackSelection, SoloTwiceKeepsTheFlagsSavedByTheFirst)
{
    TrackSongFixture f(4);
    f.track(2).playEnabled = 0;
    f.selection.SelectRow(1, true);
    f.selection.ApplyRowFlags();
    EXPECT_TRUE(f.song->soloActive);
    EXPECT_EQ(f.track(1).playEnabled, 1);
    EXPECT_EQ(f.track(3).playEnabled, 0);
    f.selection.SelectRow(3, true);
    f.selection.ApplyRowFlags();
    EXPECT_EQ(f.track(3).playEnabled, 1);
    EXPECT_EQ(f.track(1).playEnabled, 0);
    EXPECT_EQ(f.track(2).savedPlayEnabled, 0);
    EXPECT_EQ(f.track(3).savedPlayEnabled, 1);
    EXPECT_EQ(f.track(1).savedPlayEnabled, 1);

    EXPECT_TRUE(f.selection.InvalidateIfChanged());
    EXPECT_FALSE(f.song->soloActive);
    EXPECT_EQ(f.track(1).playEnabled, 1);
    EXPECT_EQ(f.track(2).playEnabled, 0);
    EXPECT_FALSE(f.selection.InvalidateIfChanged());
}

TEST(TrackSelection, RecordMarksFollowTheSelection)
{
    TrackSongFixture f(3);
    f.selection.pressCell(2, 0);
    f.selection.MarkSelectedTracks();
    EXPECT_EQ(f.track(0).recordArm, -1);
    EXPECT_EQ(f.track(1).recordArm, -1);
    EXPECT_EQ(f.track(2).recordArm, 1);
    EXPECT_EQ(f.track(4).recordArm, 0) << "the empty track is left alone";
    f.selection.ClearTrackMarks();
    EXPECT_EQ(f.track(2).recordArm, 0);
    EXPECT_EQ(f.track(1).recordArm, 0);
}

TEST(TrackSelection, ARowOutsideTheSongChangesNothing)
{
    TrackSongFixture f(3);
    f.selection.SelectRow(2, true);
    const int current = f.selection.currentRow();
    for (int row : {-1, f.count(), 31, 1000}) {
        f.selection.SelectRow(row, true);
        f.selection.DeselectRow(row);
        EXPECT_EQ(selectedRows(f.selection), (std::vector<int>{2})) << row;
        EXPECT_EQ(f.selection.currentRow(), current) << row;
    }
}

TEST(TrackSelection, SyncKeepsTheFlagsOfSurvivingRowsAndClearsTheLast)
{
    TrackSongFixture f(4);
    f.selection.SelectRow(2, true);
    f.selection.SelectRow(4, false);
    f.song->tracks.pop_back(); // track 5 (empty) gone; track 4 is now the last
    f.selection.SyncRowCount();
    EXPECT_EQ(f.selection.rowCount(), 5);
    EXPECT_EQ(selectedRows(f.selection), (std::vector<int>{2}));
}

// Left and Right between row and cell mode.
TEST(TrackSelection, LeftAndRightMoveBetweenRowAndCellMode)
{
    const struct {
        const char* name;
        int startColumn;
        TrackKey key;
        TrackKeyModifiers modifiers;
        int column;
        std::vector<int> selected;
        bool notifies;
    } kCases[] = {
        {"Left leaves cell 1 for the row alone", 1, TrackKey::Left, kPlain, 0, {3}, true},
        {"Ctrl+Left toggles the row into the flags", 1, TrackKey::Left, kCtrl, 0, {2, 3}, true},
        {"Left within the cells", 3, TrackKey::Left, kPlain, 2, {2}, false},
        {"Right from the row enters cell 1", 0, TrackKey::Right, kPlain, 1, {2, 3}, true},
        {"Ctrl+Right clears the row and stays", 0, TrackKey::Right, kCtrl, 0, {2}, true},
        {"Right within the cells", 2, TrackKey::Right, kPlain, 3, {2}, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TrackSongFixture f(5);
        f.selection.SelectRow(2, true); // row mode, row 2 flagged
        if (c.startColumn == 0) {
            f.selection.SelectRow(3, false);
            f.selection.SetCurrentRow(3);
        } else {
            f.selection.pressCell(3, c.startColumn - 1);
        }
        f.timer.active = false;
        f.selection.key(c.key, c.modifiers, 4);
        EXPECT_EQ(f.selection.currentColumn(), c.column);
        EXPECT_EQ(selectedRows(f.selection), c.selected);
        EXPECT_EQ(f.timer.active, c.notifies);
    }
}

TEST(TrackSelection, RowKeysMoveTheCurrentRowWithinTheTracks)
{
    TrackSongFixture f(10);
    f.selection.SelectRow(5, true);
    f.selection.key(TrackKey::PageUp, kPlain, 8);
    EXPECT_EQ(f.selection.currentRow(), 1);
    f.selection.key(TrackKey::PageDown, kShift, 20);
    EXPECT_EQ(f.selection.currentRow(), f.count() - 1);
    EXPECT_EQ(selectedRows(f.selection), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}))
        << "Shift spans from the anchor; the empty row stays out";
    f.selection.key(TrackKey::Home, kPlain, 8);
    EXPECT_EQ(selectedRows(f.selection), (std::vector<int>{1}));
    f.selection.key(TrackKey::Down, kCtrl, 8);
    EXPECT_EQ(f.selection.currentRow(), 2);
    EXPECT_EQ(selectedRows(f.selection), (std::vector<int>{1})) << "Ctrl keeps the flags";
    EXPECT_FALSE(f.selection.key(TrackKey::Insert, kPlain, 8));
}

TEST(TrackSelection, APressOutsideTheRowsClearsEverything)
{
    TrackSongFixture f(4);
    f.selection.SelectAll();
    f.selection.RefreshSelection();
    f.selection.pressOutside();
    EXPECT_EQ(f.selection.currentRow(), 0);
    EXPECT_EQ(f.selection.GetSelectedCount(), 0);
    EXPECT_EQ(f.song->selectionKind, 0u);
}

TEST(TrackSelection, RefreshTellsTheSongOnlyWhenTheKindChanges)
{
    TrackSongFixture f(4);
    f.song->selectionKind = 0;
    const uint32_t stamp = f.song->selectionStamp;
    f.selection.SelectRow(2, true);
    f.selection.RefreshSelection();
    EXPECT_EQ(f.song->selectionKind, kSelectTracks);
    EXPECT_EQ(f.song->selectionStamp, stamp + 1);
    EXPECT_EQ(f.song->selectionFrom, -1);
    f.selection.SelectRow(3, false);
    f.selection.RefreshSelection();
    EXPECT_EQ(f.song->selectionStamp, stamp + 1);
}

TEST(TrackSelection, LaneViewsScrollAndStepTheRows)
{
    TrackSongFixture f(10);
    int scrolled = 0;
    TrackSelectionHooks hooks;
    hooks.topRowChanged = [&] { ++scrolled; };
    f.selection.setHooks(hooks);
    f.selection.setMaxTopRow(4);
    f.selection.setTopRow(9);
    EXPECT_EQ(f.selection.topRow(), 4);
    f.selection.setTopRow(4);
    EXPECT_EQ(scrolled, 1);
    f.selection.SelectRow(5, true);
    f.selection.stepCurrentRow(-2);
    EXPECT_EQ(f.selection.currentRow(), 3);
    EXPECT_EQ(selectedRows(f.selection), (std::vector<int>{3}));
    EXPECT_EQ(f.selection.secondBandHeight(), 17);
}

} // namespace
} // namespace rz::test
