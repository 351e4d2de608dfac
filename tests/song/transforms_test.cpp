#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_fixture.h"
#include "core/ms_clock.h"
#include "tests/support/fake_synth_lookup.h"

namespace rz::test {
namespace {

using SongPtr = std::unique_ptr<CSongDoc>;

// Songs at 480 ticks per quarter in 4/4 with two MIDI tracks, "A" on
// channel 0 and "B" on channel 1, and a synthesizer database in maps.
struct TransformFixture : ClipboardFixture {
    FakeSynthLookup synths;

    SongPtr twoTracks(std::vector<CMidiEvent> a, std::vector<CMidiEvent> b = {})
    {
        SongContext c = undoContext();
        c.editDialogs = &dialogs;
        c.synths = &synths;
        auto song = std::make_unique<CSongDoc>(c);
        song->InitNewSong();
        song->timeBase = 480;
        song->measureMap.front().Set(0, 1920);
        song->measureMap.front().setMeter(4, 2);
        for (auto* events : {&a, &b}) {
            CTrack& track = addUserTrack(*song);
            track.name = events == &a ? "A" : "B";
            track.channel = events == &a ? 0 : 1;
            track.events = std::move(*events);
        }
        settle(*song);
        host.current = song.get();
        return song;
    }

    static const CMidiEvent& eventOf(const CSongDoc& song, size_t track, size_t index)
    {
        return song.tracks[track]->events.at(index);
    }
};

// One command on a fresh song. `setup` builds the song and scripts the
// dialog and the prompt; `check` looks at the result. A row that changes
// the song is undone (the song as before) and redone (as after); one that
// changes nothing leaves no undo step and no modified mark.
struct TransformCase {
    std::string name;
    std::function<SongPtr(TransformFixture&)> setup;
    void (CSongDoc::*command)();
    std::function<void(const CSongDoc&)> check;
    bool changes = true;
};

QuantizeParams quarterGrid()
{
    QuantizeParams p;
    p.resolution = 5; // "Quarter": 480 ticks at 480 per quarter
    p.endTimes = false;
    p.selectedTracksOnly = false;
    return p;
}

SongPtr quantizeSong(TransformFixture& f, std::vector<CMidiEvent> a, QuantizeParams p,
                     std::vector<CMidiEvent> b = {})
{
    SongPtr song = f.twoTracks(std::move(a), std::move(b));
    ClipboardFixture::selectRange(*song, 0, 3840);
    f.dialogs.quantizeAnswer = p;
    return song;
}

SongPtr transposeSong(TransformFixture& f, std::vector<CMidiEvent> a, int halfSteps,
                      std::vector<CMidiEvent> b = {})
{
    SongPtr song = f.twoTracks(std::move(a), std::move(b));
    ClipboardFixture::selectRange(*song, 0, 3840);
    TransposeParams p;
    p.halfSteps = halfSteps;
    f.dialogs.transposeAnswer = p;
    return song;
}

int32_t tickOf(const CSongDoc& song, size_t track, size_t index)
{
    return TransformFixture::eventOf(song, track, index).tick;
}

std::vector<TransformCase> transformCases()
{
    using F = TransformFixture;
    return {
        {"transpose +12 on note 120 asks; Cancel changes nothing",
         [](F& f) {
             f.prompt.expectOkCancel("clipped at the maximum/minimum note value.  Proceed anyway?",
                                     PromptAnswer::Cancel);
             return transposeSong(f, {note(0, 120, 90, 100)}, 12);
         },
         &CSongDoc::OnEditTranspose, nullptr, false},
        {"transpose +12 on note 120 gives 127 when the user proceeds",
         [](F& f) {
             f.prompt.expectOkCancel("maximum/minimum note value", PromptAnswer::Ok);
             return transposeSong(f, {note(0, 120, 90, 100)}, 12);
         },
         &CSongDoc::OnEditTranspose,
         [](const CSongDoc& s) { EXPECT_EQ(F::eventOf(s, 1, 0).data1(), 127); }},
        {"transpose +1 moves key 0 to -5 and key 6 to 1",
         [](F& f) {
             SongPtr song = transposeSong(f, {note(0, 60, 90, 100), note(1920, 66, 90, 100)}, 1);
             song->measureMap[1].key = 6;
             return song;
         },
         &CSongDoc::OnEditTranspose,
         [](const CSongDoc& s) {
             EXPECT_EQ(s.measureMap[0].key, -5);
             EXPECT_EQ(s.measureMap[1].key, 1);
             EXPECT_EQ(F::eventOf(s, 1, 1).data1(), 67);
         }},
        {"transpose skips a drum track by its port's drum channels",
         [](F& f) {
             SongPtr song = transposeSong(f, {note(0, 60, 90, 100)}, 2, {note(0, 36, 90, 100, 1)});
             song->tracks[2]->drums = 1 << 1;
             return song;
         },
         &CSongDoc::OnEditTranspose,
         [](const CSongDoc& s) {
             EXPECT_EQ(F::eventOf(s, 1, 0).data1(), 62);
             EXPECT_EQ(F::eventOf(s, 2, 0).data1(), 36);
         }},
        {"transpose skips a drum track by the drumset look-up when the port declares none",
         [](F& f) {
             SongPtr song = transposeSong(f, {note(0, 60, 90, 100)}, 2, {note(0, 36, 90, 100, 1)});
             CTrack& drums = *song->tracks[2];
             drums.synth = 3;
             drums.bank = 0;
             drums.patch = 25;
             f.synths.drumsetNames[{3, 0, 25}] = "Standard kit";
             return song;
         },
         &CSongDoc::OnEditTranspose,
         [](const CSongDoc& s) {
             EXPECT_EQ(F::eventOf(s, 1, 0).data1(), 62);
             EXPECT_EQ(F::eventOf(s, 2, 0).data1(), 36);
         }},
        {"quantize with window 0 moves only events within 1 tick of a line",
         [](F& f) {
             QuantizeParams p = quarterGrid();
             p.window = 0;
             return quantizeSong(f, {note(481, 60, 90, 10), note(490, 62, 90, 10)}, p);
         },
         &CSongDoc::OnEditQuantize,
         [](const CSongDoc& s) {
             EXPECT_EQ(tickOf(s, 1, 0), 480);
             EXPECT_EQ(tickOf(s, 1, 1), 490);
         }},
        {"quantize with strength 50 moves halfway",
         [](F& f) {
             QuantizeParams p = quarterGrid();
             p.strength = 50;
             return quantizeSong(f, {note(500, 60, 90, 10)}, p);
         },
         &CSongDoc::OnEditQuantize, [](const CSongDoc& s) { EXPECT_EQ(tickOf(s, 1, 0), 490); }},
        {"quantize with swing 75 moves odd lines by a quarter step",
         [](F& f) {
             QuantizeParams p = quarterGrid();
             p.swing = 75;
             return quantizeSong(f, {note(470, 60, 90, 10), note(950, 62, 90, 10)}, p);
         },
         &CSongDoc::OnEditQuantize,
         [](const CSongDoc& s) {
             EXPECT_EQ(tickOf(s, 1, 0), 600);
             EXPECT_EQ(tickOf(s, 1, 1), 960);
         }},
        {"quantize gives an end snapped onto its start one more step",
         [](F& f) {
             QuantizeParams p = quarterGrid();
             p.endTimes = true;
             return quantizeSong(f, {note(0, 60, 90, 100)}, p);
         },
         &CSongDoc::OnEditQuantize,
         [](const CSongDoc& s) {
             EXPECT_EQ(tickOf(s, 1, 0), 0);
             EXPECT_EQ(F::eventOf(s, 1, 0).value2, 480);
         }},
        {"quantize snaps an event before the measure's first line back to the near line",
         [](F& f) {
             QuantizeParams p = quarterGrid();
             p.gridOffset = 300;
             return quantizeSong(f, {note(1920, 60, 90, 10)}, p);
         },
         &CSongDoc::OnEditQuantize, [](const CSongDoc& s) { EXPECT_EQ(tickOf(s, 1, 0), 1740); }},
        {"quantize keeps the first of two CC7 that land on one tick",
         [](F& f) {
             QuantizeParams p = quarterGrid();
             p.controllers = true;
             return quantizeSong(f, {controller(470, 7, 1), controller(490, 7, 2), controller(490, 10, 3)}, p);
         },
         &CSongDoc::OnEditQuantize,
         [](const CSongDoc& s) {
             const auto& events = s.tracks[1]->events;
             ASSERT_EQ(events.size(), 2u);
             EXPECT_EQ(events[0].tick, 480);
             EXPECT_EQ(events[0].data1(), 7);
             EXPECT_EQ(events[0].data2(), 1);
             EXPECT_EQ(events[1].data1(), 10);
         }},
        {"quantize without controller times leaves a channel-2 CC and moves a clip",
         [](F& f) {
             SongPtr song = quantizeSong(f, {controller(470, 7, 1, 1)}, quarterGrid(),
                                         {UndoFixture::clipEvent(470, "WaveData\\a.wav")});
             song->tracks[2]->type = kWaveTrack;
             ClipboardFixture::settle(*song); // clips last their stored length
             return song;
         },
         &CSongDoc::OnEditQuantize,
         [](const CSongDoc& s) {
             EXPECT_EQ(tickOf(s, 1, 0), 470);
             EXPECT_EQ(tickOf(s, 2, 0), 480);
         }},
        {"velocities -127 on 64 give 1 and ask",
         [](F& f) {
             f.prompt.expectOkCancel("clipped at the maximum or minimum velocity.  Proceed anyway?",
                                     PromptAnswer::Ok);
             SongPtr song = f.twoTracks({note(0, 60, 64, 100)});
             ClipboardFixture::selectRange(*song, 0, 1920);
             VelocityParams p;
             p.value = -127;
             f.dialogs.velocitiesAnswer = p;
             return song;
         },
         &CSongDoc::OnEditVelocities, [](const CSongDoc& s) { EXPECT_EQ(F::eventOf(s, 1, 0).data2(), 1); }},
        {"duration 1:240 in quarters is 720",
         [](F& f) {
             SongPtr song = f.twoTracks({note(0, 60, 64, 100)});
             ClipboardFixture::selectRange(*song, 0, 1920);
             f.dialogs.durationAnswer = DurationParams{DurationMethod::Absolute, "1:240", 8, 0, false};
             return song;
         },
         &CSongDoc::OnEditDuration, [](const CSongDoc& s) { EXPECT_EQ(F::eventOf(s, 1, 0).value2, 720); }},
        {"duration 1.5 in quarters is 720",
         [](F& f) {
             SongPtr song = f.twoTracks({note(0, 60, 64, 100)});
             ClipboardFixture::selectRange(*song, 0, 1920);
             f.dialogs.durationAnswer = DurationParams{DurationMethod::Absolute, "1.5", 8, 0, false};
             return song;
         },
         &CSongDoc::OnEditDuration, [](const CSongDoc& s) { EXPECT_EQ(F::eventOf(s, 1, 0).value2, 720); }},
        {"move by 2 measures over 4/4 then 3/4 is 7 beats",
         [](F& f) {
             SongPtr song = f.twoTracks({note(0, 60, 64, 100)}, {note(3840, 40, 64, 100)});
             song->measureMap[1].setMeter(3, 2);
             song->RecomputeMeasureStarts();
             ++song->selectionStamp;
             song->selectionKind = kSelectEvents;
             song->tracks[1]->events[0].selectionStamp = song->selectionStamp;
             MoveParams p;
             p.offsetValue = 2;
             p.units = 1;
             f.dialogs.moveAnswer = p;
             return song;
         },
         &CSongDoc::OnEditMove,
         [](const CSongDoc& s) {
             EXPECT_EQ(tickOf(s, 1, 0), 7 * 480);
             EXPECT_EQ(tickOf(s, 2, 0), 3840);
         }},
        {"transpose by 0 changes nothing",
         [](F& f) { return transposeSong(f, {note(0, 60, 90, 100)}, 0); }, &CSongDoc::OnEditTranspose, nullptr,
         false},
        {"transpose +12 of note 127 in a whole measure changes nothing and asks nothing",
         [](F& f) { return transposeSong(f, {note(0, 127, 90, 100)}, 12); }, &CSongDoc::OnEditTranspose, nullptr,
         false},
        {"quantize of notes on the grid changes nothing",
         [](F& f) { return quantizeSong(f, {note(480, 60, 90, 10), note(960, 62, 90, 10)}, quarterGrid()); },
         &CSongDoc::OnEditQuantize, nullptr, false},
        {"move by 0 ticks with tempos and cues changes nothing",
         [](F& f) {
             SongPtr song = f.twoTracks({note(480, 60, 90, 10)});
             song->tempoMap.push_back(ClipboardFixture::tempoAt(960, 400000));
             auto cue = std::make_unique<CCue>();
             cue->time = 240;
             cue->secondTime = 240;
             song->cues.push_back(std::move(cue));
             ClipboardFixture::settle(*song);
             ClipboardFixture::selectRange(*song, 0, 1920);
             MoveParams p;
             p.cues = true;
             p.tempos = true;
             f.dialogs.moveAnswer = p;
             return song;
         },
         &CSongDoc::OnEditMove, nullptr, false},
        {"randomize with no spread changes nothing",
         [](F& f) {
             SongPtr song = f.twoTracks({note(480, 60, 90, 10), controller(500, 7, 3)});
             ClipboardFixture::selectRange(*song, 0, 1920);
             RandomizeParams p;
             p.allEvents = true;
             p.byTime = true;
             p.byValue = true;
             f.dialogs.randomizeAnswer = p;
             return song;
         },
         &CSongDoc::OnEditRandomize, nullptr, false},
        {"velocities +0 change nothing",
         [](F& f) {
             SongPtr song = f.twoTracks({note(480, 60, 90, 10)});
             ClipboardFixture::selectRange(*song, 0, 1920);
             f.dialogs.velocitiesAnswer = VelocityParams{};
             return song;
         },
         &CSongDoc::OnEditVelocities, nullptr, false},
        {"durations +0 change nothing",
         [](F& f) {
             SongPtr song = f.twoTracks({note(480, 60, 90, 10)});
             ClipboardFixture::selectRange(*song, 0, 1920);
             f.dialogs.durationAnswer = DurationParams{DurationMethod::Offset, "0", 0, 0, false};
             return song;
         },
         &CSongDoc::OnEditDuration, nullptr, false},
        {"thin with neither box deletes nothing",
         [](F& f) {
             SongPtr song = f.twoTracks({controller(0, 11, 1), controller(1, 11, 1)});
             ClipboardFixture::selectRange(*song, 0, 1920);
             f.dialogs.thinAnswer = ThinParams{11, false, 1000, false, 100};
             return song;
         },
         &CSongDoc::OnEditThin, nullptr, false},
        {"thin by time works at tick 9,000,000",
         [](F& f) {
             SongPtr song = f.twoTracks({controller(9000000, 11, 1), controller(9000010, 11, 2),
                                         controller(9000020, 7, 2), controller(9000100, 11, 3)});
             ClipboardFixture::selectRange(*song, 8999040, 9001920);
             f.dialogs.thinAnswer = ThinParams{11, true, 50, false, 0};
             return song;
         },
         &CSongDoc::OnEditThin,
         [](const CSongDoc& s) {
             const auto& events = s.tracks[1]->events;
             ASSERT_EQ(events.size(), 3u);
             EXPECT_EQ(events[0].tick, 9000000) << "the first of the close pair stays";
             EXPECT_EQ(events[1].data1(), 7);
             EXPECT_EQ(events[2].tick, 9000100);
         }},
    };
}

TEST(Transforms, ApplyUndoRedo)
{
    for (const TransformCase& c : transformCases()) {
        SCOPED_TRACE(c.name);
        TransformFixture f;
        SongPtr song = c.setup(f);
        const std::string before = DescribeSong(*song);
        (song.get()->*c.command)();
        f.prompt.verifyAllUsed();
        if (!c.changes) {
            EXPECT_TRUE(song->undoList.empty());
            EXPECT_FALSE(song->IsModified());
            EXPECT_SAME_SONG(before, DescribeSong(*song));
            continue;
        }
        ASSERT_EQ(song->undoList.size(), 1u);
        if (c.check)
            c.check(*song);
        const std::string after = DescribeSong(*song);
        ASSERT_TRUE(song->Undo());
        EXPECT_SAME_SONG(before, DescribeSong(*song));
        ASSERT_TRUE(song->Redo());
        EXPECT_SAME_SONG(after, DescribeSong(*song));
    }
}

// Without their dialogs the transforms are greyed; Select All time needs none.
TEST(Transforms, GreyedWithoutTheirDialogs)
{
    TransformFixture f;
    SongPtr song = f.twoTracks({note(0, 60, 90, 100)});
    ClipboardFixture::selectRange(*song, 0, 1920);
    EXPECT_TRUE(song->OnUpdateEditTransform(EditDialog::Quantize));
    f.dialogs.missing = {EditDialog::Quantize};
    EXPECT_FALSE(song->OnUpdateEditTransform(EditDialog::Quantize));
    f.engine.state = TransportState::Playing;
    EXPECT_FALSE(song->OnUpdateEditTransform(EditDialog::Transpose));
    f.engine.state = TransportState::Stopped;
    song->OnEditSelectAllTime();
    EXPECT_EQ(song->selectionKind, kSelectTimeRange);
    EXPECT_EQ(song->selectionFrom, 0);
    EXPECT_EQ(song->selectionTo, song->measureMap.back().start);
}

TEST(Transforms, MoveRefusals)
{
    TransformFixture f;
    SongPtr song = f.twoTracks({note(0, 60, 90, 100)});
    song->selectionKind = kSelectEvents;
    ++song->selectionStamp;
    f.prompt.expectMessage("Nothing has been selected to move.");
    song->OnEditMove();
    EXPECT_EQ(f.dialogs.log.count("move"), 0u);

    song->tracks[1]->events[0].selectionStamp = song->selectionStamp;
    MoveParams p;
    p.method = MoveMethod::ChangeTracks;
    p.targetTrack = 3; // the trailing empty track
    f.dialogs.moveAnswer = p;
    f.prompt.expectMessage("Please create tracks before attempting to move events to them.");
    song->OnEditMove();
    EXPECT_TRUE(song->undoList.empty());
}

// ---- Randomize

struct RandomizeFixture : TransformFixture {
    ManualMsClock clock{1};
    RandomizeFixture() { setProgramClock(&clock); }
    ~RandomizeFixture() { setProgramClock(nullptr); }

    SongPtr randomized(std::vector<CMidiEvent> events, RandomizeParams p)
    {
        SongPtr song = twoTracks(std::move(events));
        ClipboardFixture::selectRange(*song, 0, song->endTick + 1);
        dialogs.randomizeAnswer = p;
        song->OnEditRandomize();
        return song;
    }

    static RandomizeParams byTime(int32_t amount, bool preserve = false)
    {
        RandomizeParams p;
        p.byTime = true;
        p.timeAmount = amount;
        p.preserveOrder = preserve;
        return p;
    }
};

// Seed 1 draws 16838, 5758, 10113, 17515: offsets of +2, -65, -39, +6 ticks
// for an amount of 100, given from the track's last event to its first.
TEST(Randomize, SeedOneGivesTheDocumentedOffsets)
{
    RandomizeFixture f;
    SongPtr song = f.randomized({note(1000, 60, 90, 10), note(2000, 61, 90, 10), note(3000, 62, 90, 10),
                                 note(4000, 63, 90, 10)},
                                RandomizeFixture::byTime(100));
    const std::vector<int32_t> expected = {1006, 1961, 2935, 4002};
    EXPECT_EQ(ClipboardFixture::ticksOf(*song->tracks[1]), expected);
    EXPECT_EQ(song->undoList.back()->label, "Randomize");
}

TEST(Randomize, AmountZeroChangesNothing)
{
    RandomizeFixture f;
    RandomizeParams p = RandomizeFixture::byTime(0);
    p.byValue = true;
    SongPtr song = f.twoTracks({note(1000, 60, 90, 10), controller(1500, 7, 3), note(2000, 61, 90, 10)});
    const std::string before = DescribeSong(*song);
    ClipboardFixture::selectRange(*song, 0, 4000);
    p.allEvents = true;
    f.dialogs.randomizeAnswer = p;
    song->OnEditRandomize();
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(Randomize, OffsetsAndVelocitiesStayWithinTheirAmounts)
{
    RandomizeFixture f;
    std::vector<CMidiEvent> notes;
    for (int i = 0; i < 200; ++i)
        notes.push_back(note(1000 + i * 1000, uint8_t(i % 100), 64, 10));
    RandomizeParams p = RandomizeFixture::byTime(300);
    p.byValue = true;
    p.velocityAmount = 20;
    SongPtr song = f.randomized(notes, p);
    const auto& events = song->tracks[1]->events;
    ASSERT_EQ(events.size(), notes.size());
    bool anyMoved = false;
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_LE(std::abs(events[i].tick - notes[i].tick), 300) << i;
        EXPECT_LE(std::abs(int(events[i].data2()) - 64), 20) << i;
        anyMoved = anyMoved || events[i].tick != notes[i].tick;
    }
    EXPECT_TRUE(anyMoved);
}

TEST(Randomize, PreserveOriginalEventOrderKeepsIt)
{
    RandomizeFixture f;
    std::vector<CMidiEvent> notes;
    for (int i = 0; i < 100; ++i)
        notes.push_back(note(5000 + i * 10, uint8_t(i), 64, 10));
    SongPtr song = f.randomized(notes, RandomizeFixture::byTime(400, true));
    const auto& events = song->tracks[1]->events;
    ASSERT_EQ(events.size(), notes.size());
    for (size_t i = 0; i < events.size(); ++i)
        EXPECT_EQ(events[i].data1(), i) << "note " << i << " out of order";
}

} // namespace
} // namespace rz::test
