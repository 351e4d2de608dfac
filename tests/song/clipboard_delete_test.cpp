#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_fixture.h"

namespace rz::test {
namespace {

using SongPtr = std::unique_ptr<CSongDoc>;

struct ClipboardDelete : ClipboardFixture, testing::Test {
    DeleteTimeParams everything()
    {
        DeleteTimeParams p;
        p.cues = p.events = p.tempos = true;
        return p;
    }
};

TEST_F(ClipboardDelete, CutOfEventsAndCuesIsOneRecordThatOneUndoRestores)
{
    SongPtr song = smallSong();
    const std::string before = DescribeSong(*song);
    ++song->selectionStamp;
    song->selectionKind = kSelectEvents | kSelectCues;
    song->tracks[1]->events[3].selectionStamp = song->selectionStamp;
    song->tracks[2]->events[2].selectionStamp = song->selectionStamp;
    song->cues[1]->selectionStamp = song->selectionStamp;

    song->OnEditCut();
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.front()->label, "Delete Events and Cues");
    EXPECT_EQ(song->tracks[1]->events.size(), 4u);
    EXPECT_EQ(song->tracks[2]->events.size(), 2u);
    EXPECT_EQ(song->cues.size(), 1u);
    EXPECT_EQ(clipboard().kind, kClipboardEvents | kClipboardCues);
    EXPECT_EQ(clipboard().events.size(), 2u);
    EXPECT_EQ(clipboard().cues.size(), 1u);

    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

// Tempo 500000 up to 960, 400000 from 960: deleting [480, 1440) with the
// shift leaves 400000 in force from 480 on.
TEST_F(ClipboardDelete, DeleteTimeKeepsTheTempoInForceAtTheRangeEnd)
{
    SongPtr song = songAt(480, {"Piano"});
    song->tracks[1]->events = {note(0, 60, 90, 100), note(1920, 62, 90, 100)};
    song->tempoMap.push_back(tempoAt(960, 400000));
    settle(*song);
    const std::string before = DescribeSong(*song);
    selectRange(*song, 480, 1440);
    DeleteTimeParams p = everything();
    p.shiftAll = true;
    dialogs.deleteTimeAnswer = p;

    song->OnEditDelete();
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.front()->label, "Delete Time");
    EXPECT_EQ(song->tempoMap[size_t(FindTempoIndex(song->tempoMap, 480))].tempo, 400000u);
    EXPECT_EQ(song->tempoMap[size_t(FindTempoIndex(song->tempoMap, 479))].tempo, 500000u);
    EXPECT_EQ(ticksOf(*song->tracks[1]), (std::vector<int32_t>{0, 960}));

    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST_F(ClipboardDelete, AnEncroachingNoteEndsThresholdTicksAfterTheStart)
{
    SongPtr song = songAt(480, {"Piano"});
    song->tracks[1]->events = {note(100, 60, 90, 700), controller(200, 1, 64), note(300, 62, 90, 150),
                               note(600, 64, 90, 100)};
    song->tracks[1]->events[1].value2 = 900; // not a length: must stay as it is
    settle(*song);
    selectRange(*song, 480, 960);
    DeleteTimeParams p = everything();
    p.shorten = true;
    p.shortenThreshold = 10;
    dialogs.deleteTimeAnswer = p;

    song->OnEditDelete();
    const auto& events = song->tracks[1]->events;
    ASSERT_EQ(ticksOf(*song->tracks[1]), (std::vector<int32_t>{100, 200, 300}));
    EXPECT_EQ(events[0].value2, 480 + 10 - 100) << "ends threshold ticks after the start";
    EXPECT_EQ(events[1].value2, 900) << "a controller is not shortened";
    EXPECT_EQ(events[2].value2, 150) << "ends before the threshold";
}

// A cut that leaves under a beat of the first measure gives it a meter with
// at least one beat and a denominator the meter field holds.
TEST_F(ClipboardDelete, ACutInsideAFirstBeatLeavesAValidMeter)
{
    for (const int32_t to : {960, 2400}) {
        SongPtr song = songAt(480, {"Piano"});
        song->tracks[1]->events = {note(0, 60, 90, 50), note(5760, 60, 90, 50)};
        settle(*song);
        const std::string before = DescribeSong(*song);
        selectRange(*song, 100, to);
        DeleteTimeParams p = everything();
        p.shiftAll = true;
        p.measures = true;
        dialogs.deleteTimeAnswer = p;

        song->OnEditCut();
        ASSERT_EQ(song->undoList.size(), 1u) << to;
        for (const MeasureRec& m : song->measureMap) {
            EXPECT_GE(m.numerator, 1) << to;
            EXPECT_GE(m.denominator, 1) << to;
            EXPECT_LE(m.denominator, 64) << to;
        }
        EXPECT_EQ(clipboard().kind, kClipboardTime);
        ASSERT_TRUE(song->Undo());
        EXPECT_SAME_SONG(before, DescribeSong(*song));
    }
}

TEST_F(ClipboardDelete, MeasuresWhollyInsideTheRangeGoAndTheNumbersCloseUp)
{
    SongPtr song = songAt(480, {"Piano"});
    song->tracks[1]->events = {note(9600, 60, 90, 50)};
    settle(*song);
    selectRange(*song, 1920, 5760);
    DeleteTimeParams p = everything();
    p.shiftAll = true;
    p.measures = true;
    dialogs.deleteTimeAnswer = p;

    song->OnEditDelete();
    ASSERT_GE(song->measureMap.size(), 4u);
    EXPECT_EQ(song->measureMap[1].start, 1920);
    EXPECT_EQ(song->measureMap[1].number, 2);
    EXPECT_EQ(song->measureMap[3].number, 4);
    EXPECT_EQ(ticksOf(*song->tracks[1]), std::vector<int32_t>{5760});
}

} // namespace
} // namespace rz::test
