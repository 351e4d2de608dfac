#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "song/event_cell_parse.h"
#include "song/event_format.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"

namespace rz {
namespace {

namespace col = event_column;
using test::channelEvent;
using test::controller;
using test::note;
using test::program;
using test::rpn;

// A 4/4 song at 120 ticks a quarter: eight measures, three user tracks
// (rows 1..3) before the empty track.
class EventCellParse : public testing::Test {
protected:
    EventCellParse()
    {
        for (int i = 0; i < 3; ++i)
            test::addUserTrack(*song);
        song->endTick = 8 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
    }

    std::optional<EventCellEdit> parse(const CMidiEvent& event, int column, std::string_view text,
                                       int technology = 8)
    {
        EventCellSong s = eventCellSong(*song, 1);
        s.technology = technology;
        return parseEventCell(s, 1, event, column, text);
    }

    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
};

int keyOf(const EventCellEdit& e) { return e.event.data1(); }
int rpnValueOf(const EventCellEdit& e) { return int(e.event.message >> 16 & 0x3FFF); }

TEST_F(EventCellParse, EachColumnReadsItsText)
{
    const CMidiEvent c4 = note(0, 60, 100, 120);
    struct Case {
        const char* name;
        CMidiEvent event;
        int column;
        std::string text;
        std::function<bool(const EventCellEdit&)> holds;
    } cases[] = {
        {"sharp with octave", c4, col::kNumber, "C#4", [](auto& e) { return keyOf(e) == 61 && e.event.spelling == 3; }},
        {"lowest octave", c4, col::kNumber, "C-1", [](auto& e) { return keyOf(e) == 0; }},
        {"flat keeps the octave", c4, col::kNumber, "Bb", [](auto& e) { return keyOf(e) == 70; }},
        {"blanks and double flat", c4, col::kNumber, "d '' 4", [](auto& e) { return keyOf(e) == 60 && e.event.spelling == 0; }},
        {"digits are the key, spelt by the key", c4, col::kNumber, "72", [](auto& e) { return keyOf(e) == 72 && e.event.spelling == kNoSpelling; }},
        {"the key's own spelling is automatic", note(0, 61, 100, 120), col::kNumber, "E4", [](auto& e) { return keyOf(e) == 64 && e.event.spelling == kNoSpelling; }},
        {"pitch saturates", channelEvent(0, 0xE0, 0, 64), col::kValue, "8192", [](auto& e) { return (e.event.data2() << 7 | e.event.data1()) == 16383; }},
        {"pitch bottom", channelEvent(0, 0xE0, 0, 64), col::kValue, "-99999999999999999999999999999", [](auto& e) { return e.event.data1() == 0 && e.event.data2() == 0; }},
        {"measure and beat", c4, col::kTick, "3:2:0", [](auto& e) { return e.event.tick == 2 * 480 + 120; }},
        {"ticks after the beat", c4, col::kTick, "2:1:7", [](auto& e) { return e.event.tick == 480 + 7; }},
        {"track beyond the last is the last user track", c4, col::kTrack, "99", [](auto& e) { return e.track == 3; }},
        {"30 digits of track", c4, col::kTrack, "123456789012345678901234567890", [](auto& e) { return e.track == 3; }},
        {"duration in beats", c4, col::kDuration, "1.5", [](auto& e) { return e.event.value2 == 180; }},
        {"duration beats and ticks", c4, col::kDuration, "2:10", [](auto& e) { return e.event.value2 == 250; }},
        {"duration is never negative", c4, col::kDuration, "-30", [](auto& e) { return e.event.value2 == 30; }},
        {"velocity clamps at zero", c4, col::kValue, "-5", [](auto& e) { return e.event.data2() == 0; }},
        {"bend range whole", rpn(0, 0, 0), col::kValue, "2", [](auto& e) { return rpnValueOf(e) == 256; }},
        {"bend range with cents", rpn(0, 0, 0), col::kValue, "2.5", [](auto& e) { return rpnValueOf(e) == 2 * 128 + 50; }},
        {"bend range 1e300 stays in range", rpn(0, 0, 0), col::kValue, "1e300", [](auto& e) { return rpnValueOf(e) == 127 * 128 + 99; }},
        {"fine tuning centre", rpn(0, 1, 0), col::kValue, "0", [](auto& e) { return rpnValueOf(e) == 8192; }},
        {"fine tuning clamps", rpn(0, 1, 0), col::kValue, "1e300", [](auto& e) { return rpnValueOf(e) == 16383; }},
        {"modulation depth in 128ths", rpn(0, 5, 0), col::kValue, "2.5", [](auto& e) { return rpnValueOf(e) == 2 * 128 + 64; }},
        {"coarse tuning is the high byte", rpn(0, 2, 5), col::kValue, "3", [](auto& e) { return rpnValueOf(e) == 3 * 128 + 5; }},
        {"rpn number", rpn(0, 0, 0), col::kNumber, "300", [](auto& e) { return (e.event.message >> 8 & 0x7F) == 127; }},
        {"nrpn number high/low", test::nrpn(0, 0, 0), col::kNumber, "3/4", [](auto& e) { return (e.event.message >> 8 & 0x3FFF) == 3 * 128 + 4; }},
        {"controller number", controller(0, 7, 100), col::kNumber, "10", [](auto& e) { return e.event.data1() == 10; }},
        {"bank high/low and program", program(0, 0, 0), col::kNumber, "1/2,5", [](auto& e) { return e.event.value2 == 130 && e.event.data1() == 4; }},
        {"program alone keeps the bank", program(0, 0, 7), col::kNumber, "9", [](auto& e) { return e.event.value2 == 7 && e.event.data1() == 8; }},
        {"program clamps into the shown range", program(0, 3, 0), col::kNumber, "0,0", [](auto& e) { return e.event.data1() == 0; }},
        {"meta text", test::textEvent(0, "old", 5), col::kValue, "new", [](auto& e) { return FormatEventValue(e.event) == "new"; }},
    };
    for (const Case& c : cases) {
        const std::optional<EventCellEdit> edit = parse(c.event, c.column, c.text);
        ASSERT_TRUE(edit.has_value()) << c.name;
        EXPECT_TRUE(c.holds(*edit)) << c.name;
    }
}

// A data byte typed above 127 is held at 127 rather than keeping its low bits.
TEST_F(EventCellParse, DataBytesTypedAbove127AreHeldAt127)
{
    const struct {
        const char* name;
        CMidiEvent event;
        int column;
        const char* text;
        int data1;
        int data2;
    } kCases[] = {
        {"velocity 200", note(0, 60, 100, 120), col::kValue, "200", 60, 127},
        {"velocity 300", note(0, 60, 100, 120), col::kValue, "300", 60, 127},
        {"controller value", controller(0, 7, 100), col::kValue, "200", 7, 127},
        {"controller number", controller(0, 7, 100), col::kNumber, "200", 127, 100},
        {"high/low keeps the low part", controller(0, 7, 100), col::kValue, "1/5", 7, 5},
        {"aftertouch", channelEvent(0, 0xA0, 60, 10), col::kValue, "999", 60, 127},
    };
    for (const auto& c : kCases) {
        const std::optional<EventCellEdit> edit = parse(c.event, c.column, c.text);
        ASSERT_TRUE(edit.has_value()) << c.name;
        EXPECT_EQ(edit->event.data1(), c.data1) << c.name;
        EXPECT_EQ(edit->event.data2(), c.data2) << c.name;
    }
}

TEST_F(EventCellParse, TextThatDoesNotReadChangesNothing)
{
    const CMidiEvent c4 = note(0, 60, 100, 120);
    struct Case {
        const char* name;
        CMidiEvent event;
        int column;
        std::string text;
    } cases[] = {
        {"no such measure", c4, col::kTick, "99:1:0"},
        {"tick without a colon", c4, col::kTick, "3"},
        {"not a note", c4, col::kNumber, "H4"},
        {"note above 127", c4, col::kNumber, "G#9"},
        {"empty note", c4, col::kNumber, ""},
        {"nan semitones", rpn(0, 0, 0), col::kValue, "nan"},
        {"inf cents", rpn(0, 1, 0), col::kValue, "inf"},
        {"words", rpn(0, 0, 0), col::kValue, "two"},
        {"same value", c4, col::kValue, "100"},
        {"duration of a controller", controller(0, 7, 1), col::kDuration, "5"},
        {"tempo meta value", channelEvent(0, 0xFF, 0x51), col::kValue, "120"},
        {"type column", c4, col::kType, "Note"},
        {"nan beats", c4, col::kDuration, "nan."},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(parse(c.event, c.column, c.text).has_value()) << c.name;
}

// Text without a number where the cell wants one leaves the value as it was
// and is told apart from text that changes nothing: "%d" would read it as 0.
TEST_F(EventCellParse, ANumberCellRefusesTextWithoutANumber)
{
    const CMidiEvent c4 = note(0, 60, 100, 120);
    struct Case {
        const char* name;
        CMidiEvent event;
        int column;
        std::string text;
    } cases[] = {
        {"note name as velocity", c4, col::kValue, "c#5"},
        {"word as controller value", controller(0, 7, 90), col::kValue, "loud"},
        {"word as controller number", controller(0, 7, 90), col::kNumber, "vol"},
        {"word as pitch wheel", channelEvent(0, 0xE0, 0, 64), col::kValue, "up"},
        {"word as channel pressure", channelEvent(0, 0xD0, 40), col::kValue, "x"},
        {"word as program", program(0, 5), col::kNumber, "piano"},
        {"word as track", c4, col::kTrack, "two"},
        {"word as duration", c4, col::kDuration, "long"},
        {"word as time code", c4, col::kSmpte, "now"},
        {"empty velocity", c4, col::kValue, ""},
    };
    for (const Case& c : cases) {
        EventCellSong s = eventCellSong(*song, 1);
        const EventCellReading reading = readEventCell(s, 1, c.event, c.column, c.text);
        EXPECT_FALSE(reading.edit.has_value()) << c.name;
        EXPECT_TRUE(reading.unreadable) << c.name;
    }
    // Still read: a typed 0, a sign, a decimal where one is taken, and text
    // that changes nothing is not a refusal.
    EXPECT_EQ(parse(c4, col::kValue, " 0")->event.data2(), 0);
    EXPECT_EQ(parse(controller(0, 7, 90), col::kValue, "+5")->event.data2(), 5);
    EXPECT_TRUE(parse(c4, col::kDuration, ".5").has_value());
    EXPECT_FALSE(readEventCell(eventCellSong(*song, 1), 1, c4, col::kValue, "100").unreadable);
}

TEST_F(EventCellParse, BankAsOneNumberTakesTheFirstNumberAsItsHighByte)
{
    const auto edit = parse(program(0, 0, 0), col::kNumber, "3,1", 0x80 | 0x100);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->event.value2, 3 * 128);
    EXPECT_EQ(edit->event.data1(), 1); // programs from 0
}

TEST_F(EventCellParse, TheMeasureSearchWrapsFromTheEventsMeasure)
{
    song->measureMap[6].letter = 'B';
    song->measureMap[6].number = 1;
    song->measureMap[1].letter = 'B';
    song->measureMap[1].number = 1;
    const CMidiEvent late = note(5 * 480, 60, 100, 10);
    auto edit = parse(late, col::kTick, "1b:1:0");
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->event.tick, song->measureMap[6].start);
    const CMidiEvent last = note(7 * 480, 60, 100, 10);
    edit = parse(last, col::kTick, "1B:2:0");
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->event.tick, song->measureMap[1].start + 120);
}

TEST_F(EventCellParse, SmpteTimesBeforeTheOffsetTakeTheOffset)
{
    song->smpteOffset = CSmpteTime::fromFields(kSmpteRate25, 1, 0, 0, 0, 0);
    auto edit = parse(note(480, 60, 100, 10), col::kSmpte, "0:00:10:00");
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->event.tick, 0);
    edit = parse(note(0, 60, 100, 10), col::kSmpte, "1:00:01:00");
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->event.tick, TimeToTick(song->tempoMap, song->timeBase, 1e6));
    edit = parse(note(0, 60, 100, 10), col::kSmpte, "99999999999999999999:0:0:0");
    ASSERT_TRUE(edit);
    EXPECT_GE(edit->event.tick, 0);
}

TEST_F(EventCellParse, RpnZeroShowsSemitonesAndCents)
{
    struct Case {
        std::string typed;
        std::string shown;
    } cases[] = {{"2", "2.00"}, {"2.5", "2.50"}, {"12.34", "12.34"}};
    for (const Case& c : cases) {
        const auto edit = parse(rpn(0, 0, 1), col::kValue, c.typed);
        ASSERT_TRUE(edit) << c.typed;
        EXPECT_EQ(FormatEventValue(edit->event), c.shown);
    }
    EXPECT_EQ(FormatEventValue(rpn(0, 0, 2 * 128 + 64)), "2.64");
}

TEST_F(EventCellParse, NothingIsEditableWhilePlayingOrPerforming)
{
    for (int column = 0; column < col::kCount; ++column) {
        EXPECT_FALSE(eventCellEditable(0x90, column, false, false)) << column;
        EXPECT_FALSE(eventCellEditable(0x90, column, true, true)) << column;
    }
    EXPECT_TRUE(eventCellEditable(0x90, col::kDuration, true, false));
    EXPECT_FALSE(eventCellEditable(0xB0, col::kDuration, true, false));
}

TEST_F(EventCellParse, ARecordMovesTheEventAndUndoes)
{
    CTrack& track = *song->tracks[1];
    track.events = {note(0, 60, 100, 10), note(240, 62, 100, 10)};
    auto edit = parse(track.events[0], col::kTick, "1:4:0");
    ASSERT_TRUE(edit);
    ASSERT_EQ(song->ApplyEdit(eventCellRecord(1, 0, 0, *edit)), ApplyResult::Applied);
    ASSERT_EQ(track.events.size(), 2u);
    EXPECT_EQ(track.events[0].data1(), 62);
    EXPECT_EQ(track.events[1].tick, 360);
    EXPECT_EQ(song->GetUndoRecord()->label, "Event Properties");
    ASSERT_TRUE(song->Undo());
    EXPECT_EQ(track.events[0].data1(), 60);
    EXPECT_EQ(track.events[0].tick, 0);
}

} // namespace
} // namespace rz
