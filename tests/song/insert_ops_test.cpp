#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_fixture.h"
#include "saved_song.h"
#include "song/selection.h"

namespace rz::test {
namespace {

using SongPtr = std::unique_ptr<CSongDoc>;

constexpr int32_t kBar = 1920; // a 4/4 measure at 480 ticks per quarter

// A song at 480 ticks per quarter in 4/4, "Piano" on channel 0 and "Bass"
// on channel 1, long enough for ten measures: a note on Bass at measure 10.
SongPtr tenBars(ClipboardFixture& f, std::vector<CMidiEvent> piano = {})
{
    SongPtr song = f.songAt(480, {"Piano", "Bass"});
    song->tracks[1]->events = std::move(piano);
    song->tracks[2]->events = {note(9 * kBar, 40, 90, 240, 1)};
    ClipboardFixture::settle(*song);
    return song;
}

std::string label(const MeasureRec& m)
{
    std::string text = m.number != 0 || m.letter == 0 ? std::to_string(m.number) : "0";
    if (m.letter != 0)
        text += m.letter;
    return text;
}

// The labels of `count` measures from measure `first`, space separated.
std::string labels(const CSongDoc& song, size_t first, size_t count)
{
    std::string text;
    for (size_t i = first; i < first + count && i < song.measureMap.size(); ++i)
        text += (text.empty() ? "" : " ") + label(song.measureMap[i]);
    return text;
}

std::string textOf(const CMidiEvent& e)
{
    const auto bytes = e.data.bytes();
    return std::string(bytes.begin(), bytes.end());
}

const TempoEntry* tempoAtTick(const CSongDoc& song, int32_t tick)
{
    for (const TempoEntry& e : song.tempoMap)
        if (e.tick == tick)
            return &e;
    return nullptr;
}

InsertTimeParams insertTime(InsertTimeMethod method, int32_t count)
{
    InsertTimeParams p;
    p.method = method;
    p.count = count;
    return p;
}

EventPropsResult controllerEvent(int32_t tick, uint32_t number, uint32_t value, int32_t track)
{
    EventPropsResult r;
    r.kind = EventKindIndex::Controller;
    r.track = track;
    r.number = int32_t(number);
    r.value = int32_t(value);
    r.tick = tick;
    r.message = 0xB0 | number << 8 | value << 16;
    return r;
}

// One insert: `song` builds the song, `run` answers the dialog and runs the
// command, `check` looks at the result. The edit must make one record whose
// undo gives the song back and whose redo gives the edit again.
struct InsertCase {
    std::string name;
    std::function<SongPtr(ClipboardFixture&)> song;
    std::function<void(ClipboardFixture&, CSongDoc&)> run;
    std::function<void(ClipboardFixture&, CSongDoc&)> check;
};

std::vector<InsertCase> insertCases()
{
    std::vector<InsertCase> all;
    all.push_back({"measure numbers from 1Y slide the later labels down",
                   [](ClipboardFixture& f) { return tenBars(f); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       song.setPosition(kBar);
                       f.dialogs.measureNumbersAnswer = MeasureNumbersParams{1, 'Y', 3, MeasureNumberMethod::Slide};
                       song.OnInsertMeasureNumbers();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       EXPECT_EQ(labels(song, 0, 7), "1 1Y 1Z 2A 2 3 4");
                   }});
    all.push_back({"measure numbers overwrite",
                   [](ClipboardFixture& f) { return tenBars(f); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       song.setPosition(kBar + 100);
                       f.dialogs.measureNumbersAnswer =
                           MeasureNumbersParams{1, 'y', 3, MeasureNumberMethod::Overwrite};
                       song.OnInsertMeasureNumbers();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       EXPECT_EQ(labels(song, 0, 6), "1 1Y 1Z 2A 5 6");
                   }});
    all.push_back({"key signature over a range of measures",
                   [](ClipboardFixture& f) { return tenBars(f); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       f.dialogs.keySignatureAnswer = KeySignatureParams{-3, 3 * kBar + 10, kBar};
                       song.OnInsertKeySignature();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       const MeasureMap& map = song.measureMap;
                       EXPECT_EQ(map[0].key, 0);
                       EXPECT_EQ(map[1].key, -3);
                       EXPECT_EQ(map[3].key, -3);
                       EXPECT_EQ(map[4].key, 0);
                   }});
    all.push_back({"meter 3/4 over an inner 4/4 measure keeps the meter after it",
                   [](ClipboardFixture& f) { return tenBars(f); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       f.dialogs.meterAnswer = MeterParams{3, 4, 24, kBar, kBar, MeterMethod::KeepMeter};
                       song.OnInsertMeter();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       const MeasureMap& map = song.measureMap;
                       EXPECT_EQ(map[1].length, 1440);
                       EXPECT_EQ(map[1].numerator, 3);
                       EXPECT_EQ(map[2].length, 480);
                       EXPECT_EQ(map[2].numerator, 1);
                       EXPECT_EQ(map[2].denominator, 4);
                       EXPECT_EQ(map[2].clocksPerClick, 24);
                       EXPECT_EQ(map[3].start, 2 * kBar);
                       EXPECT_EQ(map[3].numerator, 4);
                       EXPECT_EQ(labels(song, 0, 5), "1 2 3 4 5");
                   }});
    all.push_back({"a meter remainder no 64th divides is fitted into the map",
                   [](ClipboardFixture& f) {
                       // 100 ticks per quarter: 3/64 measures of 18 ticks leave 4.
                       SongPtr song = f.songAt(100, {"Piano"});
                       song->tracks[1]->events = {note(3600, 60, 90, 10)};
                       ClipboardFixture::settle(*song);
                       return song;
                   },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       f.dialogs.meterAnswer = MeterParams{3, 64, 2, 400, 400, MeterMethod::KeepMeter};
                       song.OnInsertMeter();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       const MeasureMap& map = song.measureMap;
                       ASSERT_GT(map.size(), 24u);
                       EXPECT_EQ(map[1].length, 18);
                       EXPECT_EQ(map[22].length, 18);
                       EXPECT_EQ(map[23].denominator, 64);
                       EXPECT_EQ(map[23].numerator, 1);
                       EXPECT_EQ(map[23].clocksPerClick, 1);
                       EXPECT_EQ(map[24].numerator, 4);
                       for (const MeasureRec& m : map)
                           EXPECT_GE(m.clocksPerClick, 1);
                   }});
    all.push_back({"two whole measures inserted mid-measure with preserved numbers",
                   [](ClipboardFixture& f) { return tenBars(f, {note(4 * kBar + 960, 60, 90, 120)}); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       song.setPosition(4 * kBar + 960);
                       f.dialogs.insertTimeAnswer = insertTime(InsertTimeMethod::Measures, 2);
                       song.OnInsertTime();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       EXPECT_EQ(labels(song, 4, 5), "5 0A 0B 5A 6");
                       EXPECT_EQ(song.measureMap[5].start, 4 * kBar + 960);
                       EXPECT_EQ(song.tracks[1]->events[0].tick, 6 * kBar + 960);
                   }});
    all.push_back({"30,000 ms is one 3/4 measure at 10,000,000 per quarter",
                   [](ClipboardFixture& f) { return tenBars(f); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       song.setPosition(2 * kBar);
                       f.dialogs.insertTimeAnswer = insertTime(InsertTimeMethod::Milliseconds, 30000);
                       song.OnInsertTime();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       const MeasureRec& m = song.measureMap[2];
                       EXPECT_EQ(label(m), "0A");
                       EXPECT_EQ(m.numerator, 3);
                       EXPECT_EQ(m.denominator, 4);
                       EXPECT_EQ(label(song.measureMap[3]), "3");
                       ASSERT_NE(tempoAtTick(song, 2 * kBar), nullptr);
                       EXPECT_EQ(tempoAtTick(song, 2 * kBar)->tempo, 10000000u);
                       ASSERT_NE(tempoAtTick(song, 2 * kBar + 1440), nullptr);
                       EXPECT_EQ(tempoAtTick(song, 2 * kBar + 1440)->tempo, kDefaultTempo);
                       EXPECT_EQ(song.tracks[2]->events[0].tick, 9 * kBar + 1440);
                   }});
    all.push_back({"17,000 ms takes two beats to keep the tempo storable",
                   [](ClipboardFixture& f) { return tenBars(f); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       f.dialogs.insertTimeAnswer = insertTime(InsertTimeMethod::Milliseconds, 17000);
                       song.OnInsertTime();
                   },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       ASSERT_NE(tempoAtTick(song, 0), nullptr);
                       EXPECT_EQ(tempoAtTick(song, 0)->tempo, 8500000u);
                       SongPtr read = openBytes(f, songBytes(song));
                       ASSERT_NE(read, nullptr);
                       EXPECT_EQ(read->tempoMap.front().tempo, 8500000u);
                   }});
    all.push_back({"a split inside the first beat keeps a numerator",
                   [](ClipboardFixture& f) { return tenBars(f); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       song.setPosition(2 * kBar + 100);
                       f.dialogs.insertTimeAnswer = insertTime(InsertTimeMethod::Measures, 1);
                       song.OnInsertTime();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       for (const MeasureRec& m : song.measureMap)
                           EXPECT_GE(m.numerator, 1);
                       EXPECT_EQ(label(song.measureMap[4]), "3A");
                   }});
    all.push_back({"beats grow the current measure and stretch a held note",
                   [](ClipboardFixture& f) { return tenBars(f, {note(kBar, 60, 90, 1000)}); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       song.setPosition(kBar + 480);
                       f.dialogs.insertTimeAnswer = insertTime(InsertTimeMethod::Beats, 2);
                       song.OnInsertTime();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       EXPECT_EQ(song.measureMap[1].numerator, 6);
                       EXPECT_EQ(song.measureMap[2].start, 2 * kBar + 960);
                       EXPECT_EQ(song.tracks[1]->events[0].value2, 1960);
                   }});
    all.push_back({"a lyric of two lines becomes four words",
                   [](ClipboardFixture& f) { return tenBars(f); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       EventPropsResult r;
                       r.kind = EventKindIndex::Meta;
                       r.track = 1;
                       r.tick = 480;
                       r.message = 0x5FF;
                       const std::string text = "Happy birthday\r\nto you";
                       r.data.assign(text.begin(), text.end());
                       f.dialogs.eventPropertiesAnswer = r;
                       song.OnInsertEvent();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       std::vector<std::string> texts;
                       for (const CMidiEvent& e : song.tracks[1]->events) {
                           EXPECT_EQ(e.message, 0x5FFu);
                           EXPECT_EQ(e.tick, 480);
                           texts.push_back(textOf(e));
                       }
                       EXPECT_EQ(texts, (std::vector<std::string>{"Happy", " birthday", "/to", " you"}));
                   }});
    all.push_back({"a controller 7 replaces one at the same tick on another channel",
                   [](ClipboardFixture& f) {
                       return tenBars(f, {controller(480, 7, 100), controller(480, 10, 64), note(480, 60, 90, 10)});
                   },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       EventPropsResult r = controllerEvent(480, 7, 64, 1);
                       r.message |= 5; // channel 6
                       f.dialogs.eventPropertiesAnswer = r;
                       song.OnInsertEvent();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       int volumes = 0;
                       for (const CMidiEvent& e : song.tracks[1]->events)
                           if ((e.message & 0xFFF0) == 0x07B0) {
                               ++volumes;
                               EXPECT_EQ(e.data2(), 64);
                           }
                       EXPECT_EQ(volumes, 1);
                       EXPECT_EQ(song.tracks[1]->events.size(), 3u);
                   }});
    all.push_back({"a series 0 to 127 keeps half a grid column apart and returns",
                   [](ClipboardFixture& f) { return tenBars(f, {controller(0, 11, 90)}); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       f.trackRows.currentOnly = true;
                       f.trackRows.current = 1;
                       f.dialogs.controllerSeriesAnswer = ControllerSeriesParams{11, 240, 720, 0, 127, true};
                       song.OnInsertControllerSeries();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       const int32_t half = song.GetGridTicks() / 2;
                       ASSERT_GT(half, 0);
                       const auto& events = song.tracks[1]->events;
                       ASSERT_GE(events.size(), 4u);
                       EXPECT_EQ(events[0].tick, 0); // before the series: kept
                       EXPECT_EQ(events[1].tick, 240);
                       EXPECT_EQ(events[1].data2(), 0);
                       const CMidiEvent& last = events[events.size() - 2];
                       EXPECT_EQ(last.tick, 720);
                       EXPECT_EQ(last.data2(), 127);
                       EXPECT_EQ(events.back().tick, 720);
                       EXPECT_EQ(events.back().data2(), 90);
                       for (size_t i = 2; i + 2 < events.size(); ++i) {
                           EXPECT_GE(events[i].tick - events[i - 1].tick, half);
                           EXPECT_GE(720 - events[i].tick, half);
                       }
                       EXPECT_LE(events.size(), size_t(480 / half + 4));
                   }});
    all.push_back({"a pitch-bend series stores signed values around 8192",
                   [](ClipboardFixture& f) { return tenBars(f); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       f.trackRows.selected = {2};
                       f.dialogs.controllerSeriesAnswer = ControllerSeriesParams{kSeriesPitchBend, 960, 960, -8192, 0, false};
                       song.OnInsertControllerSeries();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       const auto& events = song.tracks[2]->events;
                       ASSERT_EQ(events.size(), 2u);
                       EXPECT_EQ(events[0].message, 0xE1u);
                       EXPECT_EQ(events[0].tick, 960);
                   }});
    all.push_back({"a chord marker and its notes",
                   [](ClipboardFixture& f) { return tenBars(f); },
                   [](ClipboardFixture& f, CSongDoc& song) {
                       f.engine.gui.setCurrentNoteLength(240);
                       ChordParams c;
                       c.tick = 960;
                       c.track = 2;
                       c.insertMode = 2;
                       c.chord = {129, 130, 131, 132, 133, 134};
                       c.text = "x";
                       c.name = "Cm";
                       c.notes = {0x503C91, 0x503F91};
                       f.dialogs.chordAnswer = c;
                       song.OnInsertChord();
                   },
                   [](ClipboardFixture&, CSongDoc& song) {
                       const auto& events = song.tracks[2]->events;
                       ASSERT_EQ(events.size(), 4u);
                       EXPECT_EQ(textOf(events[0]), "@DR;1;129;130;131;132;133;134;x|Cm");
                       EXPECT_EQ(events[1].value2, 240);
                       EXPECT_EQ(events[2].data1(), 0x3F);
                   }});
    return all;
}

TEST(InsertOps, EachEditAppliesUndoesAndRedoes)
{
    for (const InsertCase& c : insertCases()) {
        SCOPED_TRACE(c.name);
        ClipboardFixture f;
        SongPtr song = c.song(f);
        const std::string before = DescribeSong(*song);
        c.run(f, *song);
        ASSERT_EQ(song->undoList.size(), 1u);
        c.check(f, *song);
        const std::string after = DescribeSong(*song);
        ASSERT_TRUE(song->Undo());
        EXPECT_SAME_SONG(before, DescribeSong(*song));
        ASSERT_TRUE(song->Redo());
        EXPECT_SAME_SONG(after, DescribeSong(*song));
    }
}

TEST(InsertOps, TrackLandsBetweenTheConductorAndTheEmptyTrack)
{
    for (const int row : {0, 1, 2, 50}) {
        SCOPED_TRACE(row);
        ClipboardFixture f;
        SongPtr song = tenBars(f);
        f.trackRows.current = row;
        TrackPropsParams p;
        p.name = "Strings";
        p.keyText = " -12 ";
        p.timeText = "5000"; // out of range: not kept
        p.inputChannel = 0;
        p.splitNote = 55;
        p.patch = 48;
        f.dialogs.trackPropertiesAnswer = p;
        const std::string before = DescribeSong(*song);
        song->InsertTrack();
        ASSERT_EQ(song->tracks.size(), 5u);
        ASSERT_TRUE(f.dialogs.trackPreset);
        EXPECT_EQ(f.dialogs.trackPreset->name, "New track");
        EXPECT_EQ(f.dialogs.trackPreset->splitNote, 60);
        EXPECT_EQ(f.dialogs.trackPreset->initialControllers[1], 100);
        const size_t at = size_t(std::clamp(row, 1, 3));
        const CTrack& added = *song->tracks[at];
        EXPECT_EQ(added.name, "Strings");
        EXPECT_EQ(added.key, -12);
        EXPECT_EQ(added.timeOffset, 0);
        EXPECT_EQ(added.inputChannel, -1);
        EXPECT_EQ(added.notationValue, -5);
        EXPECT_EQ(added.patch, 48);
        ASSERT_TRUE(song->Undo());
        EXPECT_SAME_SONG(before, DescribeSong(*song));
    }
}

TEST(InsertOps, TrackTakesTheDialogsTimeOffsetRangeAndPlayFlag)
{
    const struct {
        const char* time;
        int32_t play;
        int32_t offset;
        int32_t playEnabled;
    } cases[] = {
        {"-3000", 1, -3000, 1},
        {"4096", 0, 4096, 0},
        {"-4097", 2, 0, 1}, // out of range, and a mixed flag leaves the default
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        ClipboardFixture f;
        SongPtr song = tenBars(f);
        f.trackRows.current = 1;
        TrackPropsParams p;
        p.timeText = c.time;
        p.playEnabled = c.play;
        f.dialogs.trackPropertiesAnswer = p;
        song->InsertTrack();
        ASSERT_EQ(song->tracks.size(), 5u);
        ASSERT_TRUE(f.dialogs.trackPreset);
        EXPECT_EQ(f.dialogs.trackPreset->playEnabled, 1);
        EXPECT_EQ(f.dialogs.trackPreset->kind, kMidiTrack); // the MIDI controls open usable
        EXPECT_EQ(f.dialogs.trackPreset->port, 0);
        EXPECT_EQ(f.dialogs.trackPreset->timeText, "0");
        EXPECT_EQ(song->tracks[1]->timeOffset, c.offset);
        EXPECT_EQ(song->tracks[1]->playEnabled, c.playEnabled);
    }
}

TEST(InsertOps, EventOnAWaveformTrackIsRefused)
{
    ClipboardFixture f;
    SongPtr song = tenBars(f);
    song->tracks[2]->type = kWaveTrack;
    song->tracks[2]->events.clear();
    const std::string before = DescribeSong(*song);
    f.dialogs.eventPropertiesAnswer = controllerEvent(0, 7, 100, 2);
    f.prompt.expectMessage("Sorry, you can't add MIDI events to a waveform audio track.");
    song->OnInsertEvent();
    EXPECT_EQ(f.prompt.prompts().back().icon, PromptIcon::Stop);
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(InsertOps, CancelOrRefusalChangesNothing)
{
    struct Refusal {
        const char* name;
        std::function<void(ClipboardFixture&, CSongDoc&)> run;
        bool message;
    };
    const Refusal refusals[] = {
        {"key cancelled", [](auto&, CSongDoc& s) { s.OnInsertKeySignature(); }, false},
        {"numbers cancelled", [](auto&, CSongDoc& s) { s.OnInsertMeasureNumbers(); }, false},
        {"meter cancelled", [](auto&, CSongDoc& s) { s.OnInsertMeter(); }, false},
        {"track cancelled", [](auto&, CSongDoc& s) { s.InsertTrack(); }, false},
        {"event cancelled", [](auto&, CSongDoc& s) { s.OnInsertEvent(); }, false},
        {"time cancelled", [](auto&, CSongDoc& s) { s.OnInsertTime(); }, false},
        {"series cancelled", [](auto&, CSongDoc& s) { s.OnInsertControllerSeries(); }, false},
        {"chord cancelled", [](auto&, CSongDoc& s) { s.OnInsertChord(); }, false},
        {"no time inserted",
         [](auto& f, CSongDoc& s) {
             f.dialogs.insertTimeAnswer = insertTime(InsertTimeMethod::Measures, 0);
             s.OnInsertTime();
         },
         false},
        {"time past the last tick",
         [](auto& f, CSongDoc& s) {
             f.dialogs.insertTimeAnswer = insertTime(InsertTimeMethod::Ticks, 0x7FFFFF00);
             s.OnInsertTime();
         },
         true},
        {"more measures than a song may have",
         [](auto& f, CSongDoc& s) {
             f.dialogs.insertTimeAnswer = insertTime(InsertTimeMethod::Measures, 70000);
             s.OnInsertTime();
         },
         true},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        ClipboardFixture f;
        SongPtr song = tenBars(f);
        const std::string before = DescribeSong(*song);
        if (r.message)
            f.prompt.expectMessage("beyond the longest possible song");
        r.run(f, *song);
        EXPECT_TRUE(song->undoList.empty());
        EXPECT_SAME_SONG(before, DescribeSong(*song));
    }
}

} // namespace
} // namespace rz::test
