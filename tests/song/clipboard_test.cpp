#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_fixture.h"

namespace rz::test {
namespace {

using SongPtr = std::unique_ptr<CSongDoc>;

// One copy and one paste: `copy` fills the clipboard (and may check it),
// `target` builds the song pasted into, `paste` sets the dialog and pastes,
// `check` looks at the result. Undo must then give the song back unchanged.
struct ClipboardCase {
    std::string name;
    std::function<void(ClipboardFixture&)> copy;
    std::function<SongPtr(ClipboardFixture&)> target;
    std::function<void(ClipboardFixture&, CSongDoc&)> paste;
    std::function<void(ClipboardFixture&, CSongDoc&)> check;
};

void pasteTimeAt(ClipboardFixture& f, CSongDoc& song, PasteTimeParams params)
{
    f.dialogs.pasteTimeAnswer = params;
    song.OnEditPaste();
}

SongPtr pianoSong(ClipboardFixture& f, uint16_t timeBase, std::vector<CMidiEvent> events = {})
{
    SongPtr song = f.songAt(timeBase, {"Piano"});
    song->tracks[1]->events = std::move(events);
    ClipboardFixture::settle(*song);
    return song;
}

// Two tracks with events on odd ticks and odd durations, where truncating
// conversions to and from the clipboard's time base lose ticks.
SongPtr oddTickSong(ClipboardFixture& f, uint16_t timeBase)
{
    SongPtr song = f.songAt(timeBase, {"Piano", "Bass"});
    const int32_t q = timeBase;
    song->tracks[1]->events = {note(5, 60, 90, 1), note(7, 62, 90, 3), note(q - 1, 64, 90, 7),
                               controller(q + 1, 1, 64), note(3 * q + 1, 65, 90, 11)};
    song->tracks[2]->events = {note(11, 40, 90, 13, 1), note(2 * q - 3, 41, 90, 17, 1)};
    ClipboardFixture::settle(*song);
    return song;
}

std::vector<ClipboardCase> clipboardCases()
{
    std::vector<ClipboardCase> all;
    all.push_back({"480 to 960 doubles ticks and durations",
                   [](ClipboardFixture& f) {
                       SongPtr source = pianoSong(f, 480, {note(480, 60, 90, 240), note(1000, 62, 90, 100)});
                       ClipboardFixture::selectAll(*source);
                       source->OnEditCopy();
                       EXPECT_EQ(f.clipboard().kind, kClipboardEvents);
                   },
                   [](ClipboardFixture& f) { return pianoSong(f, 960); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       f.dialogs.pasteEventsAnswer = PasteEventsParams{960, 960, 1, PasteTarget::SourceTracks, false};
                       song.OnEditPaste();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       const auto& events = song.tracks[1]->events;
                       ASSERT_EQ(ClipboardFixture::ticksOf(*song.tracks[1]), (std::vector<int32_t>{960, 2000}));
                       EXPECT_EQ(events[0].value2, 480);
                       EXPECT_EQ(events[1].value2, 200);
                   }});
    for (const uint16_t timeBase : {144, 768, 1536}) {
        all.push_back({"a copy pasted back at time base " + std::to_string(timeBase) + " keeps every tick",
                       [timeBase](ClipboardFixture& f) {
                           SongPtr source = oddTickSong(f, timeBase);
                           ClipboardFixture::selectRange(*source, 5, 4 * timeBase);
                           f.copyTime(*source, CopyTimeMode::All);
                       },
                       [timeBase](ClipboardFixture& f) { return oddTickSong(f, timeBase); },
                       [](ClipboardFixture& f, CSongDoc& song) {
                           PasteTimeParams p = ClipboardFixture::pasteAt(5, PasteMethod::Replace);
                           p.measures = p.tempos = p.cues = false;
                           pasteTimeAt(f, song, p);
                       },
                       [timeBase](ClipboardFixture& f, CSongDoc& song) {
                           EXPECT_EQ(song.undoList.size(), 1u);
                           EXPECT_SAME_SONG(DescribeSong(*oddTickSong(f, timeBase)), DescribeSong(song));
                       }});
    }
    all.push_back({"an off-beat range copies no measures, but cues, tracks and tempos",
                   [](ClipboardFixture& f) {
                       SongPtr source = pianoSong(f, 480, {note(600, 60, 90, 100)});
                       source->cues.push_back(UndoFixture::cue(kCueMarker, 700, 700, "Bridge"));
                       ClipboardFixture::selectRange(*source, 100, 1920);
                       f.copyTime(*source, CopyTimeMode::All);
                       const AppClipboard& board = f.clipboard();
                       EXPECT_EQ(board.kind, kClipboardTime);
                       EXPECT_TRUE(board.measures.empty());
                       EXPECT_EQ(board.cues.size(), 1u);
                       EXPECT_EQ(board.tracks.size(), 2u);
                       EXPECT_EQ(board.tempos.size(), 1u);
                   },
                   [](ClipboardFixture& f) { return pianoSong(f, 480); },
                   [](ClipboardFixture& f, CSongDoc& song) { pasteTimeAt(f, song, ClipboardFixture::pasteAt(0)); },
                   [](ClipboardFixture&, CSongDoc& song) {
                       EXPECT_EQ(ClipboardFixture::ticksOf(*song.tracks[1]), std::vector<int32_t>{500});
                       ASSERT_EQ(song.cues.size(), 1u);
                       EXPECT_EQ(song.cues[0]->time, 600);
                   }});
    all.push_back({"a tempo at the range end is copied, events and cues there are not",
                   [](ClipboardFixture& f) {
                       SongPtr source = pianoSong(f, 480, {note(0, 60, 90, 100), note(960, 62, 90, 100)});
                       source->tempoMap.push_back(ClipboardFixture::tempoAt(960, 400000));
                       source->cues.push_back(UndoFixture::cue(kCueMarker, 0, 0, "In"));
                       source->cues.push_back(UndoFixture::cue(kCueMarker, 960, 960, "Out"));
                       ClipboardFixture::settle(*source);
                       ClipboardFixture::selectRange(*source, 0, 960);
                       f.copyTime(*source, CopyTimeMode::All);
                       const AppClipboard& board = f.clipboard();
                       ASSERT_EQ(board.tempos.size(), 2u);
                       EXPECT_EQ(board.tempos[1].tick, 3840);
                       EXPECT_EQ(board.tempos[1].tempo, 400000u);
                       EXPECT_EQ(board.tracks.at(1)->events.size(), 1u);
                       EXPECT_EQ(board.cues.size(), 1u);
                   },
                   [](ClipboardFixture& f) { return pianoSong(f, 480); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       pasteTimeAt(f, song, ClipboardFixture::pasteAt(0, PasteMethod::Blend));
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       EXPECT_EQ(ClipboardFixture::ticksOf(*song.tracks[1]), std::vector<int32_t>{0});
                       EXPECT_EQ(song.cues.size(), 1u);
                   }});
    all.push_back({"an offset copy pasted at 0 lands at 0",
                   [](ClipboardFixture& f) {
                       SongPtr source = pianoSong(f, 480, {note(100, 60, 90, 100), note(600, 62, 90, 100)});
                       ClipboardFixture::selectRange(*source, 480, 960);
                       f.copyTime(*source, CopyTimeMode::All, 480);
                       EXPECT_EQ(f.clipboard().tracks.at(1)->events.size(), 1u);
                   },
                   [](ClipboardFixture& f) { return pianoSong(f, 480); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       PasteTimeParams p = ClipboardFixture::pasteAt(0, PasteMethod::Blend);
                       p.measures = false;
                       pasteTimeAt(f, song, p);
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       EXPECT_EQ(ClipboardFixture::ticksOf(*song.tracks[1]), std::vector<int32_t>{0});
                   }});
    all.push_back({"a time paste merges into matching tracks, or adds tracks before the empty row",
                   [](ClipboardFixture& f) {
                       SongPtr source = f.songAt(480, {"Piano", "Bass"});
                       source->tracks[1]->events = {note(0, 60, 90, 100)};
                       source->tracks[2]->events = {note(0, 40, 90, 100, 1)};
                       ClipboardFixture::settle(*source);
                       ClipboardFixture::selectRange(*source, 0, 1920);
                       f.copyTime(*source, CopyTimeMode::All);
                   },
                   [](ClipboardFixture& f) { return pianoSong(f, 480, {note(960, 64, 90, 100)}); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       pasteTimeAt(f, song, ClipboardFixture::pasteAt(0, PasteMethod::Blend));
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       ASSERT_EQ(song.tracks.size(), 4u);
                       EXPECT_EQ(song.tracks[1]->name, "Piano");
                       EXPECT_EQ(ClipboardFixture::ticksOf(*song.tracks[1]), (std::vector<int32_t>{0, 960}));
                       EXPECT_EQ(song.tracks[2]->name, "Bass");
                       EXPECT_EQ(song.tracks[2]->channel, 1);
                       EXPECT_EQ(ClipboardFixture::ticksOf(*song.tracks[2]), std::vector<int32_t>{0});
                       EXPECT_TRUE(song.tracks[3]->events.empty());
                   }});
    all.push_back({"Paste Tempos replaces the entries from the position to its reach, both included",
                   [](ClipboardFixture& f) {
                       SongPtr source = pianoSong(f, 480);
                       source->tempoMap.push_back(ClipboardFixture::tempoAt(480, 400000));
                       source->tempoMap.push_back(ClipboardFixture::tempoAt(960, 300000));
                       ClipboardFixture::selectRange(*source, 0, 960);
                       f.copyTime(*source, CopyTimeMode::Tempos);
                       EXPECT_EQ(f.clipboard().kind, kClipboardTempos);
                   },
                   [](ClipboardFixture& f) {
                       SongPtr song = pianoSong(f, 480);
                       for (const auto& [tick, tempo] : {std::pair{1000, 450000u}, {1960, 350000u}, {2000, 250000u}})
                           song->tempoMap.push_back(ClipboardFixture::tempoAt(tick, tempo));
                       ClipboardFixture::settle(*song);
                       song->setPosition(1000);
                       return song;
                   },
                   [](ClipboardFixture&, CSongDoc& song) { song.OnEditPaste(); },
                   [](ClipboardFixture&, CSongDoc& song) {
                       EXPECT_EQ(ClipboardFixture::tempoTicks(song), (std::vector<int32_t>{0, 1000, 1480, 1960, 2000}));
                       EXPECT_EQ(song.tempoMap[2].tempo, 400000u);
                       EXPECT_EQ(song.tempoMap[3].tempo, 300000u);
                       EXPECT_EQ(song.tempoMap[4].tempo, 250000u);
                   }});
    all.push_back({"Paste Time at a first copy other than the position edits the map there",
                   [](ClipboardFixture& f) {
                       SongPtr source = pianoSong(f, 480);
                       source->measureMap.front().setMeter(3, 2);
                       ClipboardFixture::settle(*source);
                       ClipboardFixture::selectRange(*source, 0, 1440);
                       f.copyTime(*source, CopyTimeMode::All);
                       EXPECT_EQ(f.clipboard().measures.size(), 1u);
                   },
                   [](ClipboardFixture& f) { return pianoSong(f, 480, {note(7680, 60, 90, 100)}); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       pasteTimeAt(f, song, ClipboardFixture::pasteAt(1920));
                       EXPECT_EQ(f.dialogs.offeredPosition, 0);
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       ASSERT_GE(song.measureMap.size(), 3u);
                       EXPECT_EQ(song.measureMap[0].numerator, 4);
                       EXPECT_EQ(song.measureMap[1].start, 1920);
                       EXPECT_EQ(song.measureMap[1].numerator, 3);
                       EXPECT_EQ(song.measureMap[2].start, 3360);
                       EXPECT_EQ(song.measureMap[2].numerator, 4);
                       EXPECT_EQ(ClipboardFixture::ticksOf(*song.tracks[1]), std::vector<int32_t>{9120});
                   }});
    return all;
}

TEST(Clipboard, CopyPasteAndUndo)
{
    for (const ClipboardCase& c : clipboardCases()) {
        SCOPED_TRACE(c.name);
        ClipboardFixture f;
        c.copy(f);
        SongPtr song = c.target(f);
        const std::string before = DescribeSong(*song);
        c.paste(f, *song);
        ASSERT_EQ(song->undoList.size(), 1u);
        c.check(f, *song);
        ASSERT_TRUE(song->Undo());
        EXPECT_SAME_SONG(before, DescribeSong(*song));
    }
}

// Cancel in the dialogs changes neither song nor clipboard.
TEST(Clipboard, CancelChangesNothing)
{
    ClipboardFixture f;
    SongPtr song = pianoSong(f, 480, {note(0, 60, 90, 100)});
    ClipboardFixture::selectRange(*song, 0, 1920);
    f.copyTime(*song, CopyTimeMode::All);
    const std::string before = DescribeSong(*song);
    const size_t tracks = f.clipboard().tracks.size();

    f.dialogs.copyTimeAnswer.reset();
    song->OnEditCopy();
    f.dialogs.deleteTimeAnswer.reset();
    song->OnEditCut();
    song->OnEditPaste();
    EXPECT_EQ(f.dialogs.log.count("pasteTime"), 1u);
    EXPECT_EQ(f.clipboard().kind, kClipboardTime);
    EXPECT_EQ(f.clipboard().tracks.size(), tracks);
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(Clipboard, FitMeterKeepsTheMeterWithinItsFields)
{
    struct Case {
        int64_t length;
        int numerator, denominator;
    };
    const Case cases[] = {
        {1920, 4, 4}, {1440, 3, 4}, {240, 1, 8}, {100, 3, 64}, {1, 1, 64}, {480 * 300, 150, 2},
        {int64_t(1920) * 300, 255, 1},
    };
    for (const Case& c : cases) {
        MeasureRec m;
        FitMeter(m, c.length, 480);
        EXPECT_EQ(m.numerator, c.numerator) << c.length;
        EXPECT_EQ(m.denominator, c.denominator) << c.length;
    }
}

} // namespace
} // namespace rz::test

namespace rz::test {
namespace {

uint32_t tempoInForceAt(const CSongDoc& song, int32_t tick)
{
    uint32_t tempo = kDefaultTempo;
    for (const TempoEntry& e : song.tempoMap)
        if (e.tick <= tick)
            tempo = e.tempo;
    return tempo;
}

// A range 0..960 whose tempo turns 400000 at its end, pasted into a song at
// 500000: the pasted tempo stands at each copy's end, the last one included,
// where the song's own tempo is not restored over it.
TEST(PasteTimeTempo, ATempoPastedAtTheRangeEndIsKept)
{
    struct Case {
        const char* name;
        PasteMethod method;
        int32_t copies;
        std::vector<std::pair<int32_t, uint32_t>> expected; // tick, tempo in force
    } cases[] = {
        {"insert", PasteMethod::Insert, 1, {{0, 500000}, {959, 500000}, {960, 400000}, {5000, 400000}}},
        {"blend", PasteMethod::Blend, 1, {{0, 500000}, {960, 400000}}},
        {"replace", PasteMethod::Replace, 1, {{0, 500000}, {960, 400000}}},
        // A copy's own start tempo stands at its start, after the previous copy's end.
        {"two copies", PasteMethod::Blend, 2, {{0, 500000}, {960, 500000}, {1920, 400000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClipboardFixture f;
        SongPtr source = pianoSong(f, 480, {note(0, 60, 90, 100)});
        source->tempoMap.push_back(ClipboardFixture::tempoAt(960, 400000));
        ClipboardFixture::settle(*source);
        ClipboardFixture::selectRange(*source, 0, 960);
        f.copyTime(*source, CopyTimeMode::All);
        ASSERT_EQ(f.clipboard().tempos.size(), 2u);
        SongPtr song = pianoSong(f, 480, {note(0, 60, 90, 100), note(2000, 62, 90, 100)});
        PasteTimeParams params = ClipboardFixture::pasteAt(0, c.method);
        params.copies = c.copies;
        pasteTimeAt(f, *song, params);
        for (const auto& [tick, tempo] : c.expected)
            EXPECT_EQ(tempoInForceAt(*song, tick), tempo) << "at " << tick;
    }
}

TEST(CopyLanePoints, EachKindKeepsTheValueTheLaneShows)
{
    const struct {
        int kind;
        int controller;
        int32_t value;
        uint32_t message; // on channel 0
    } cases[] = {
        {midi::kControlChange, 7, 100, midi::controlChange(0, 7, 100)},
        {midi::kChannelPressure, 0, 90, midi::shortMessage(midi::kChannelPressure, 90)},
        {midi::kPitchBend, 0, 8192, midi::shortMessage(midi::kPitchBend, 0, 64)},
        {midi::kPitchBend, 0, 16383, midi::shortMessage(midi::kPitchBend, 127, 127)},
        {midi::kPitchBend, 0, 1, midi::shortMessage(midi::kPitchBend, 1, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ClipboardFixture f;
        SongPtr source = pianoSong(f, 480);
        f.host.lanes = ControllerLanes{.kind = c.kind, .controller = c.controller, .lanes = {}};
        f.host.lanes.lanes.push_back(ControllerLane{.track = 1, .points = {{10, c.value}}});
        ClipboardFixture::selectRange(*source, 0, 480);
        f.copyTime(*source, CopyTimeMode::Controllers);
        ASSERT_EQ(f.clipboard().events.size(), 1u);
        EXPECT_EQ(f.clipboard().events[0].message, c.message);
    }
}

} // namespace
} // namespace rz::test
