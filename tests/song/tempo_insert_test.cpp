#include "song/tempo_insert.h"

#include "song/undo_record.h"
#include "tests/song/song_fixture.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace rz {
namespace {

using Entries = std::vector<std::pair<int32_t, uint32_t>>;

Entries entriesOf(const TempoMap& map)
{
    Entries out;
    for (const TempoEntry& entry : map)
        out.emplace_back(entry.tick, entry.tempo);
    return out;
}

class InsertTempo : public testing::Test {
protected:
    void SetUp() override
    {
        song = fixture.newSong();
        song->tempoMap = {TempoEntry{0, 500000, 0.0}, TempoEntry{480, 600000, 0.0}};
        song->RecalcTempoTimes();
    }

    // Applies the record; the map before it comes back on undo.
    Entries apply(std::unique_ptr<CUndoRecord> record)
    {
        EXPECT_NE(record, nullptr);
        if (!record)
            return {};
        const Entries before = entriesOf(song->tempoMap);
        EXPECT_EQ(song->ApplyEdit(std::move(record)), ApplyResult::Applied);
        const Entries after = entriesOf(song->tempoMap);
        EXPECT_TRUE(song->Undo());
        EXPECT_EQ(entriesOf(song->tempoMap), before);
        EXPECT_TRUE(song->Redo());
        return after;
    }

    SongFixture fixture;
    std::unique_ptr<CSongDoc> song;
};

TEST_F(InsertTempo, RampsInGridStepsForBothCurves)
{
    struct Case {
        const char* name;
        int curve;
        Entries expected;
    };
    const Case cases[] = {
        // 120 -> 60 bpm linear in beats per minute: 120, 105, 90, 75, 60.
        {"beats per minute", 0,
         {{0, 500000}, {120, 500000}, {240, 571428}, {360, 666666}, {480, 800000}, {600, 1000000}}},
        // Linear in microseconds: 500000 up to 1000000 in steps of 125000.
        {"microseconds", 1,
         {{0, 500000}, {120, 500000}, {240, 625000}, {360, 750000}, {480, 875000}, {600, 1000000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        TempoInsert insert{.startTick = 120, .endTick = 600, .startTempo = 500000,
                           .endTempo = 1000000, .curve = c.curve, .stepTicks = 120};
        const auto record = BuildTempoInsert(*song, insert);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->label, "Insert Tempo");
        EXPECT_EQ(record->flags, kUndoTempo);
        EXPECT_EQ(apply(BuildTempoInsert(*song, insert)), c.expected);
    }
}

TEST_F(InsertTempo, RestoreBringsBackTheTempoInForceAtTheEnd)
{
    TempoInsert insert{.startTick = 0, .endTick = 240, .startTempo = 400000, .endTempo = 300000,
                       .curve = 1, .restore = true, .stepTicks = 240};
    EXPECT_EQ(apply(BuildTempoInsert(*song, insert)),
              (Entries{{0, 400000}, {240, 300000}, {240, 500000}, {480, 600000}}));
}

TEST_F(InsertTempo, EndNotAfterStartAddsOneEntry)
{
    for (const int32_t end : {240, 100}) {
        SetUp();
        TempoInsert insert{.startTick = 240, .endTick = end, .startTempo = 450000,
                           .endTempo = 900000, .curve = 0, .restore = true};
        EXPECT_EQ(apply(BuildTempoInsert(*song, insert)),
                  (Entries{{0, 500000}, {240, 450000}, {480, 600000}}));
    }
}

TEST_F(InsertTempo, TempoOutOfRangeChangesNothing)
{
    const Entries before = entriesOf(song->tempoMap);
    for (const auto& [start, end] : {std::pair<uint32_t, uint32_t>{0, 500000}, {500000, 0},
                                     {500000, 16777216}}) {
        TempoInsert insert{.startTick = 0, .endTick = 480, .startTempo = start, .endTempo = end};
        EXPECT_EQ(BuildTempoInsert(*song, insert), nullptr);
    }
    EXPECT_EQ(BuildTempoInsert(*song, TempoInsert{.startTick = -1, .endTick = 0,
                                                  .startTempo = 500000, .endTempo = 500000}),
              nullptr);
    EXPECT_EQ(entriesOf(song->tempoMap), before);
    EXPECT_TRUE(song->undoList.empty());
}

TEST_F(InsertTempo, SeriesClampsFastTemposAndSkipsRepeats)
{
    const TempoPoint points[] = {
        {0, 100000}, {120, 171428}, {240, 171429}, {300, 171429}, {360, 0}, {400, 700000}};
    const auto record = BuildTempoSeries(*song, points);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->label, "Insert Series of Tempos");
    // The range runs to the beat after the last point: the entry at 480 goes.
    EXPECT_EQ(apply(BuildTempoSeries(*song, points)),
              (Entries{{0, 171428}, {240, 171429}, {360, 171428}, {400, 700000}}));
}

TEST_F(InsertTempo, SeriesNeedsTwoOrderedPoints)
{
    const TempoPoint one[] = {{0, 500000}};
    const TempoPoint backwards[] = {{240, 500000}, {120, 400000}};
    EXPECT_EQ(BuildTempoSeries(*song, one), nullptr);
    EXPECT_EQ(BuildTempoSeries(*song, backwards), nullptr);
}

} // namespace
} // namespace rz
