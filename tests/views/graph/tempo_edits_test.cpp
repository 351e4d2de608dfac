#include "views/graph/tempo_edits.h"

#include "song/clipboard.h"
#include "song/describe_song.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "tests/views/graph/tempo_values.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace rz {
namespace {

constexpr uint32_t kBpm90 = 666666;

struct TempoSong {
    SongFixture fixture;
    ScriptedEditDialogs dialogs;
    std::unique_ptr<CSongDoc> song;

    explicit TempoSong(std::vector<std::pair<int32_t, uint32_t>> tempos, int timeBase = 120)
    {
        SongContext context = fixture.context();
        context.editDialogs = &dialogs;
        song = std::make_unique<CSongDoc>(context);
        song->InitNewSong();
        song->timeBase = uint16_t(timeBase);
        song->tempoMap.clear();
        for (auto [tick, tempo] : tempos) {
            TempoEntry entry;
            entry.tick = tick;
            entry.tempo = tempo;
            song->tempoMap.push_back(entry);
        }
        song->RecalcTempoTimes();
    }

    std::vector<std::pair<int32_t, uint32_t>> tempos() const
    {
        std::vector<std::pair<int32_t, uint32_t>> out;
        for (const TempoEntry& e : song->tempoMap)
            out.emplace_back(e.tick, e.tempo);
        return out;
    }

    // Applies the record, then checks that undo gives the song back.
    void applyAndCheckUndo(std::unique_ptr<CUndoRecord> record, std::vector<std::pair<int32_t, uint32_t>> expected)
    {
        ASSERT_TRUE(record);
        EXPECT_EQ(record->flags, kUndoTempo);
        const std::string before = DescribeSong(*song);
        ASSERT_EQ(song->ApplyEdit(std::move(record)), ApplyResult::Applied);
        EXPECT_EQ(tempos(), expected);
        ASSERT_TRUE(song->Undo());
        EXPECT_EQ(firstDifference(DescribeSong(*song), before), "");
    }
};

TEST(TempoEdits, DeleteTakesTheRedundantEntryAfterTheRange)
{
    struct Case {
        const char* name;
        int32_t from, to;
        std::vector<std::pair<int32_t, uint32_t>> expected;
    };
    const std::vector<Case> cases = {
        {"a step back to the tempo before leaves nothing", 480, 480, {{0, kBpm120}}},
        {"a change to another tempo stays", 960, 960, {{0, kBpm120}, {480, kBpm60}}},
    };
    for (const Case& c : cases) {
        TempoSong t({{0, kBpm120}, {480, kBpm60}, {960, kBpm120}});
        if (c.from == 960)
            t.song->tempoMap[2].tempo = kBpm90;
        SCOPED_TRACE(c.name);
        t.applyAndCheckUndo(deleteTemposRecord(t.song->tempoMap, c.from, c.to), c.expected);
    }
    TempoSong t({{0, kBpm120}});
    EXPECT_FALSE(deleteTemposRecord(t.song->tempoMap, 10, 20));
}

TEST(TempoEdits, AStraightDrawWritesOneEntryPerChangedColumn)
{
    TempoSong t({{0, kBpm120}, {50, kBpm90}, {400, kBpm90}});
    DrawGesture draw;
    draw.begin(0, kBpm120, DrawGesture::Style::Straight);
    draw.moveTo(200, kBpm60, 10, false);
    const std::vector<CTempoPoint> line = draw.drawn();
    ASSERT_EQ(line.size(), 21u);
    auto record = draw.release(t.song->tempoMap, false);
    EXPECT_FALSE(draw.active());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->label, "Draw Tempos");
    std::vector<std::pair<int32_t, uint32_t>> expected{{0, kBpm120}};
    for (size_t k = 1; k < line.size(); ++k)
        if (line[k].tempo != line[k - 1].tempo)
            expected.emplace_back(line[k].tick, line[k].tempo);
    EXPECT_EQ(expected.size(), 21u);
    EXPECT_EQ(expected.back(), (std::pair<int32_t, uint32_t>{200, kBpm60}));
    expected.emplace_back(400, kBpm90);
    t.applyAndCheckUndo(std::move(record), expected);
}

TEST(TempoEdits, ShiftAtTheReleaseContinuesTheLineFromItsEnd)
{
    TempoSong t({{0, kBpm120}});
    DrawGesture draw;
    draw.begin(0, kBpm120, DrawGesture::Style::Straight);
    draw.moveTo(100, kBpm60, 100, false);
    ASSERT_EQ(t.song->ApplyEdit(draw.release(t.song->tempoMap, true)), ApplyResult::Applied);
    ASSERT_TRUE(draw.active());
    draw.moveTo(200, kBpm120, 100, false);
    EXPECT_EQ(draw.drawn().front().tick, 100);
    EXPECT_EQ(draw.drawn().front().tempo, kBpm60);
    t.applyAndCheckUndo(draw.release(t.song->tempoMap, false), {{0, kBpm120}, {100, kBpm60}, {200, kBpm120}});
}

TEST(TempoEdits, DraggingAStepRewritesTheSpanAndPartnersFollowTheirRules)
{
    // Points: (0,120) (480,120) (480,60) (960,60) (960,120) (2000,120).
    auto pointsOf = [](std::vector<std::pair<int32_t, uint32_t>> list) {
        std::vector<CTempoPoint> points;
        for (auto [tick, tempo] : list)
            points.push_back({0, tick, tempo});
        return points;
    };
    const auto start = pointsOf({{0, kBpm120}, {480, kBpm120}, {480, kBpm60}, {960, kBpm60}, {960, kBpm120},
                                 {2000, kBpm120}});
    struct Case {
        const char* name;
        bool ctrl, alt;
        int32_t tick;
        uint32_t tempo;
        std::vector<std::pair<int32_t, uint32_t>> expected;
    };
    const std::vector<Case> cases = {
        {"moved in time with its corner", false, false, 600, kBpm60, {{0, kBpm120}, {600, kBpm60}, {960, kBpm120}}},
        {"ctrl keeps the tempo", true, false, 600, kBpm90, {{0, kBpm120}, {600, kBpm60}, {960, kBpm120}}},
        {"new level takes its tempo partner", false, false, 480, kBpm90,
         {{0, kBpm120}, {480, kBpm90}, {960, kBpm120}}},
    };
    for (const Case& c : cases) {
        TempoSong t({{0, kBpm120}, {480, kBpm60}, {960, kBpm120}});
        std::vector<CTempoPoint> points = start;
        TempoDrag drag = beginTempoDrag(points, 2, 5);
        EXPECT_EQ(drag.timePartner, 1);
        EXPECT_EQ(drag.tempoPartner, 3);
        EXPECT_EQ(drag.lowTick, 0);
        EXPECT_EQ(drag.highTick, 960);
        dragTempoTo(points, drag, c.tick, c.tempo, std::nullopt, c.ctrl, c.alt);
        TempoGraph graph;
        graph.points() = points;
        TempoScale scale;
        scale.axis.gridTicks = 1;
        scale.plot = QRect(0, 0, 400, 300);
        scale.graphHeight = 3600;
        graph.SimplifyPoints(scale);
        auto record = dragTempoRecord(t.song->tempoMap, graph.points(), drag, 1);
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->label, "Drag Tempo");
        t.applyAndCheckUndo(std::move(record), c.expected);
    }
    // Alt leaves the partner behind but pushes it when the point crosses it.
    std::vector<CTempoPoint> points = start;
    TempoDrag drag = beginTempoDrag(points, 2, 5);
    dragTempoTo(points, drag, 300, kBpm90, std::nullopt, false, true);
    EXPECT_EQ(points[1].tick, 300);
    EXPECT_EQ(points[3].tempo, kBpm60);
    points = start;
    drag = beginTempoDrag(points, 1, 5);
    dragTempoTo(points, drag, 700, kBpm120, std::nullopt, false, true);
    EXPECT_EQ(points[1].tick, 700);
    EXPECT_EQ(points[2].tick, 700) << "pushed";
}

TEST(TempoEdits, MovePastTickZeroAsksAndCancelChangesNothing)
{
    TempoSong t({{0, kBpm120}, {480, kBpm60}, {960, kBpm90}});
    TempoGraph graph;
    graph.points() = {{0, 0, kBpm120}, {7, 480, kBpm120}, {7, 480, kBpm60}, {0, 960, kBpm60}};
    t.song->selectionKind = kSelectTempo;
    t.song->selectionStamp = 7;
    MoveParams params;
    params.offsetValue = -600;
    params.tempos = true;
    t.dialogs.moveAnswer = params;
    const std::string before = DescribeSong(*t.song);
    t.fixture.prompt.expectOkCancel("clipped up against the beginning of the song.  Proceed anyway?",
                                    PromptAnswer::Cancel);
    EXPECT_TRUE(moveTempos(*t.song, graph));
    EXPECT_EQ(t.dialogs.offeredFirstTick, 480);
    EXPECT_EQ(firstDifference(DescribeSong(*t.song), before), "");
    EXPECT_TRUE(t.song->undoList.empty());

    t.fixture.prompt.expectOkCancel("Proceed anyway?", PromptAnswer::Ok);
    EXPECT_TRUE(moveTempos(*t.song, graph));
    EXPECT_EQ(t.tempos(), (std::vector<std::pair<int32_t, uint32_t>>{{0, kBpm120}, {0, kBpm60}, {960, kBpm90}}));
    EXPECT_EQ(t.song->undoList.back()->label, "Move tempos");

    // Nothing stamped in the graph's range of entries; no tempo selection.
    graph.points() = {{7, 100, kBpm120}, {0, 200, kBpm120}};
    t.song->selectionKind = kSelectTempo;
    t.song->selectionStamp = 7;
    t.fixture.prompt.expectMessage("Nothing has been selected to move.");
    EXPECT_TRUE(moveTempos(*t.song, graph));
    t.song->selectionKind = kSelectEvents;
    EXPECT_FALSE(moveTempos(*t.song, graph));
}

TEST(TempoEdits, CopyCountsFromTheFirstEntryInSixtyFourBits)
{
    TempoSong t({{0, kBpm120}, {100, kBpm60}, {200000100, kBpm90}}, 480);
    AppClipboard board;
    board.kind = kClipboardEvents;
    copyTemposToClipboard(t.song->tempoMap, 480, 100, 200000100, board, {});
    ASSERT_EQ(board.tempos.size(), 2u);
    EXPECT_EQ(board.kind, kClipboardTempos);
    EXPECT_EQ(board.tempos[0].tick, 0);
    EXPECT_EQ(board.tempos[1].tick, 800000000);
    EXPECT_EQ(board.tempos[1].tempo, kBpm90);
    copyTemposToClipboard(t.song->tempoMap, 480, 101, 102, board, {});
    EXPECT_TRUE(board.tempos.empty());
    EXPECT_EQ(board.kind, 0u);
}

} // namespace
} // namespace rz
