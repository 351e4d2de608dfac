// Spelling, accidentals, ties, chords and measure widths.

#include <gtest/gtest.h>

#include "tests/staff/model/staff_song.h"

namespace rz::test {
namespace {

CMidiEvent spelled(int32_t tick, uint8_t key, int32_t length, int spelling = kNoSpelling)
{
    CMidiEvent event = note(tick, key, 90, length);
    event.spelling = int8_t(spelling);
    return event;
}

TEST(StaffModelNotes, ClefsPlaceMiddleC)
{
    const struct {
        int staffType;
        int position;
    } kCases[] = {{kTrebleClef, -6}, {kBassClef, 6}, {kAltoClef, 0}, {kTenorClef, 2}};
    for (const auto& c : kCases) {
        StaffSong s;
        s.track(c.staffType).events.push_back(note(0, 60, 90, 1920));
        const StaffModel model = s.build();
        ASSERT_FALSE(model.staves[0].voices.empty());
        EXPECT_EQ(model.staves[0].voices[0]->notes[0]->items[0].position, c.position) << c.staffType;
    }
}

TEST(StaffModelNotes, KeyStateAndMerging)
{
    CStaffTrack staff;
    staff.clef = kTrebleClef;
    staff.SetKeyAccidentals(2, false);
    // Treble: position -6 is C4, -3 F4, 0 B4, 1 C5, 4 F5.
    for (int p : {-6, -3, 1, 4})
        EXPECT_EQ(staff.accidentalAt(p), 1) << p;
    for (int p : {-5, -4, -2, 0, 2})
        EXPECT_EQ(staff.accidentalAt(p), 0) << p;

    staff.SetKeyAccidentals(0, false);
    staff.accidentalAt(4) = 1; // an F sharp drawn in the measure
    staff.SetKeyAccidentals(0, true);
    EXPECT_EQ(staff.accidentalAt(4), kCautionary);
    EXPECT_EQ(staff.accidentalAt(-3), 0);
    staff.SetKeyAccidentals(0, true);
    EXPECT_EQ(staff.accidentalAt(4), 0);

    staff.clef = kDrumMapClef;
    staff.SetKeyAccidentals(-3, false);
    EXPECT_EQ(staff.accidentalAt(0), 0);
}

TEST(StaffModelNotes, SpellingsAndCautionaryNaturals)
{
    const struct {
        const char* name;
        int key;
        std::vector<CMidiEvent> notes;
        const char* elements; // the voices' notes, rests left out
    } kCases[] = {
        {"default flat", 0, {spelled(0, 61, 1920)}, "0:64[-5b]"},
        {"chosen sharp", 0, {spelled(0, 61, 1920, 3)}, "0:64[-6#]"},
        {"impossible choice", 0, {spelled(0, 61, 1920, 2)}, "0:64[-5b]"},
        {"byte out of range", 0, {spelled(0, 61, 1920, 9)}, "0:64[-5b]"},
        {"sharp then natural", 0, {spelled(0, 66, 960), spelled(960, 65, 960)},
         "0:32[-3#] 960:32|[-3n]"},
        {"a sign once per measure", 0, {spelled(0, 66, 960), spelled(960, 66, 960)},
         "0:32[-3#] 960:32|[-3]"},
        {"key of D", 2, {spelled(0, 66, 960), spelled(960, 65, 960)}, "0:32[-3] 960:32|[-3n]"},
        {"B sharp in C sharp", 7, {spelled(0, 60, 1920)}, "0:64[-7]"},
        {"double flat", -7, {spelled(0, 62, 1920)}, "0:64[-4bb]"},
    };
    for (const auto& c : kCases) {
        StaffSong s(480, {{4, 4, c.key}});
        s.track().events = c.notes;
        const StaffModel model = s.build();
        const std::string voices = linesOf(DumpStaffModel(model), "voice");
        EXPECT_NE(voices.find(c.elements), std::string::npos) << c.name << "\n" << voices;
    }
}

TEST(StaffModelNotes, TheNaturalReturnsInTheNextMeasure)
{
    StaffSong s(480, {{4, 4}, {4, 4}, {4, 4}});
    CTrack& t = s.track();
    t.events.push_back(spelled(0, 66, 1920));
    t.events.push_back(spelled(1920, 65, 1920));
    t.events.push_back(spelled(3840, 65, 1920));
    EXPECT_EQ(linesOf(DumpStaffModel(s.build()), "voice"),
              "voice 0 @0 x 20..20: 0:64[-3#]\n"
              "voice 1 @1920 x 104..104: 1920:64[-3n]\n"
              "voice 2 @3840 x 188..188: 3840:64[-3]");
}

TEST(StaffModelNotes, NotesAreTiedAcrossBeatsAndBarLines)
{
    const struct {
        const char* name;
        int start;
        int length;
        const char* voice;
    } kCases[] = {
        {"half note an eighth in", 240, 960, "0:8r| 240:24|[-6] 960:8~|[-6] 1200:8r|"},
        {"dotted half on beat two", 480, 1440, "0:16r| 480:48|[-6]"},
        {"over the bar line", 1440, 960, "1440:16|[-6] 1920:16~|[-6]"},
    };
    for (const auto& c : kCases) {
        StaffSong s(480, {{4, 4}, {4, 4}});
        s.settings.fill = false;
        s.track().events.push_back(note(c.start, 60, 90, c.length));
        const std::string voices = linesOf(DumpStaffModel(s.build()), "voice");
        EXPECT_NE(voices.find(c.voice), std::string::npos) << c.name << "\n" << voices;
    }
}

TEST(StaffModelNotes, SecondsAndAccidentalColumns)
{
    // A second sets the flag; three accidentals within a sixth take three
    // columns and widen the measure's lead-in at its start.
    StaffSong s(480, {{4, 4}, {4, 4}});
    CTrack& t = s.track();
    t.events.push_back(note(0, 60, 90, 1920));
    t.events.push_back(note(0, 62, 90, 1920));
    for (uint8_t key : {61, 63, 66})
        t.events.push_back(spelled(1920, key, 1920, 3));
    const StaffModel model = s.build();
    const std::string dump = DumpStaffModel(model);
    EXPECT_NE(dump.find("0:64s[-6,-5]"), std::string::npos) << dump;
    EXPECT_NE(dump.find("1920:64s[-6#,-5#,-3#]"), std::string::npos) << dump;
    const int leadIn = s.settings.staffSize * 20 / 27;
    EXPECT_EQ(model.measures[0].leadIn, leadIn);
    EXPECT_EQ(model.measures[1].leadIn, leadIn + leadIn / 2);
    EXPECT_EQ(model.measures[1].extraLeadIn, leadIn / 2);
}

TEST(StaffModelNotes, ShortValuesWidenTheirMeasure)
{
    StaffSong s(480, {{4, 4}, {4, 4}, {4, 4}});
    CTrack& t = s.track();
    for (int i = 0; i < 4; ++i)
        t.events.push_back(note(i * 480, 60, 90, 480));
    for (int i = 0; i < 16; ++i)
        t.events.push_back(note(1920 + i * 120, 60, 90, 120));
    t.events.push_back(textEvent(3840, "la", 5));
    const StaffModel model = s.build();
    EXPECT_EQ(model.measures[1].contentWidth, 4 * model.measures[0].contentWidth);
    EXPECT_EQ(model.measures[2].contentWidth, 3 * model.measures[0].contentWidth);
    int x = 0;
    for (const CStaffMeasure& m : model.measures) {
        EXPECT_EQ(m.x, x);
        x += m.trailingWidth + m.leadIn + m.contentWidth;
    }
    EXPECT_EQ(model.systemWidth, x);
}

// A sixteenth run with sharps and flats: each sign needs room between the
// head before it and its own head, or it is drawn over the previous head.
TEST(StaffModelNotes, AccidentalsGetTheRoomTheyNeedAndNoMore)
{
    StaffSong s(480, {{4, 4}, {4, 4}});
    s.metrics.fontUnit = 40; // heads 12 and signs 10 pixels wide
    CTrack& t = s.track();
    const uint8_t keys[] = {64, 66, 68, 70, 71, 73, 74, 76};
    for (int i = 0; i < 16; ++i)
        t.events.push_back(spelled(i * 120, keys[i % 8], 120, keys[i % 8] == 70 ? 1 : kNoSpelling));
    for (int i = 0; i < 16; ++i)
        t.events.push_back(note(1920 + i * 120, 64, 90, 120));
    const StaffModel model = s.build();
    const int head = s.metrics.noteheadWidth();
    const int sign = s.metrics.accidentalWidth(1);
    const int need = head / 2 + head / 2 + 1 + sign + head / 4;
    int closest = INT32_MAX;
    const auto& notes = model.staves[0].voices[0]->notes;
    for (size_t i = 1; i < notes.size(); ++i) {
        if (notes[i]->measure != 0 || notes[i]->items.empty() || notes[i]->items[0].accidental == 0)
            continue;
        closest = std::min(closest, notes[i]->x - notes[i - 1]->x);
    }
    ASSERT_NE(closest, INT32_MAX) << DumpStaffModel(model);
    EXPECT_GE(closest, need);
    EXPECT_LE(closest, need + 1); // grown by what was missing, no more
    // The run without signs keeps the width its values give.
    EXPECT_LT(model.measures[1].contentWidth, model.measures[0].contentWidth);
}

// Two voices sounding together on one staff: the upper one's stems point
// up, the lower one's down, and each voice's rests move out of the other's
// way; one chord with mixed stems is what the reader would see otherwise.
TEST(StaffModelNotes, TwoVoicesOnOneStaffStemApart)
{
    const struct {
        const char* name;
        std::vector<CMidiEvent> events;
        int upperPosition; // a head of the upper voice (treble: E4 -4, C5 1)
    } kCases[] = {
        {"half note under quarter chords",
         {note(0, 48, 90, 960), note(0, 60, 90, 480), note(0, 64, 90, 480), note(0, 67, 90, 480),
          note(480, 60, 90, 480), note(480, 64, 90, 480), note(480, 67, 90, 480)},
         -4},
        {"quarter under a whole note", {note(0, 67, 90, 480), note(0, 72, 90, 1920)}, 1},
    };
    for (const auto& c : kCases) {
        StaffSong s;
        s.track().events = c.events;
        const StaffModel model = s.build();
        const CStaffTrack& staff = model.staves[0];
        int upper = 0, lower = 0;
        for (const auto& voice : staff.voices) {
            bool isUpper = false;
            for (const auto& n : voice->notes)
                for (const CStaffItem& item : n->items)
                    isUpper |= item.position == c.upperPosition;
            for (const auto& n : voice->notes) {
                if (n->rest) {
                    EXPECT_EQ(n->restShift > 0, isUpper) << c.name << "\n" << DumpStaffModel(model);
                    EXPECT_NE(n->restShift, 0) << c.name;
                } else if (n->value < 64) {
                    EXPECT_EQ(n->stemDown, !isUpper) << c.name << "\n" << DumpStaffModel(model);
                }
            }
            (isUpper ? upper : lower) += 1;
        }
        EXPECT_GE(upper, 1) << c.name;
        EXPECT_GE(lower, 1) << c.name;
    }
}

} // namespace
} // namespace rz::test
