// Metric groups, quantised durations and the notes' staves.

#include <gtest/gtest.h>

#include "tests/staff/model/staff_song.h"

namespace rz::test {
namespace {

TEST(StaffModelGroups, EighthTripletsNeedTheFinerResolutions)
{
    const struct {
        int resolution;
        const char* groups;
        const char* firstVoice;
    } kCases[] = {
        {1, "group m0 @0+480 count 3 grid 160 unit 160/8 tuplet\n"
            "group m0 @480+1440 count 6 grid 120 unit 480/16",
         "voice 0 @0 x 20..62: 0:8t[-6] 160:8t[-5] 320:8t[-4]"},
        {2, "group m0 @0+480 count 3 grid 80 unit 160/8 tuplet\n"
            "group m0 @480+1440 count 6 grid 60 unit 480/16",
         "voice 0 @0 x 20..62: 0:8t[-6] 160:8t[-5] 320:8t[-4]"},
        // The straight grid takes them: the last two meet on the second eighth.
        {0, "group m0 @0+1920 count 8 grid 240 unit 480/16",
         "voice 0 @0 x 20..116: 0:8[-6] 240:8s[-5,-4] 480:16r| 1440:32r|"},
        // Read as 1.
        {7, "group m0 @0+480 count 3 grid 160 unit 160/8 tuplet\n"
            "group m0 @480+1440 count 6 grid 120 unit 480/16",
         "voice 0 @0 x 20..62: 0:8t[-6] 160:8t[-5] 320:8t[-4]"},
    };
    for (const auto& c : kCases) {
        StaffSong s;
        CTrack& t = s.track();
        for (int i = 0; i < 3; ++i)
            t.events.push_back(note(i * 160, uint8_t(60 + 2 * i), 90, 160));
        s.settings.resolution = c.resolution;
        const std::string dump = DumpStaffModel(s.build());
        EXPECT_EQ(linesOf(dump, "group"), c.groups) << c.resolution;
        EXPECT_EQ(linesOf(dump, "voice 0"), c.firstVoice) << c.resolution;
    }
}

TEST(StaffModelGroups, HalfNoteTripletsStartOnlyOnTheFirstBeat)
{
    const struct {
        int start;
        bool triplet;
    } kCases[] = {{0, true}, {480, false}, {960, false}};
    for (const auto& c : kCases) {
        StaffSong s(480, {{4, 4}, {4, 4}});
        CTrack& t = s.track();
        for (int i = 0; i < 3; ++i)
            t.events.push_back(note(c.start + i * 640, 60, 90, 640));
        const std::string groups = linesOf(DumpStaffModel(s.build()), "group m0");
        EXPECT_EQ(groups.find("count 3 grid 160 unit 640/32 tuplet") != std::string::npos, c.triplet)
            << c.start << "\n" << groups;
    }
    StaffSong s(480, {{4, 4}, {4, 4}});
    CTrack& t = s.track();
    for (int i = 0; i < 3; ++i)
        t.events.push_back(note(i * 640, 60, 90, 640));
    EXPECT_EQ(linesOf(DumpStaffModel(s.build()), "voice 0"),
              "voice 0 @0 x 20..62: 0:32[-6] 640:32|[-6] 1280:32|n3[-6]");
}

TEST(StaffModelGroups, SevenSixteenthsIsOneGroupAndFiveEighthsIsScanned)
{
    StaffSong s(480, {{7, 16}, {5, 8}});
    CTrack& t = s.track();
    t.events.push_back(note(0, 60, 90, 100));
    t.events.push_back(note(840, 60, 90, 100));
    const std::string dump = DumpStaffModel(s.build());
    EXPECT_EQ(linesOf(dump, "group"), "group m0 @0+840 count 7 grid 120 unit 120/4\n"
                                      "group m1 @840+1200 count 5 grid 120 unit 240/8");
    EXPECT_EQ(linesOf(dump, "voice"), "voice 0 @0 x 20..84: 0:4[-6] 120:12r| 480:12r|\n"
                                      "voice 1 @840 x 164..228: 840:8[-6] 1080:8r| 1320:16r| 1800:8r|");
}

TEST(StaffModelGroups, DurationsRoundToWholeGridUnits)
{
    // Fill and Trim off: only quantisation; a sixteenth is 120 ticks.
    const struct {
        int length;
        int quantised;
    } kCases[] = {{1, 120}, {59, 120}, {120, 120}, {179, 120}, {180, 240}, {181, 240},
                  {239, 240}, {299, 240}, {300, 360}, {0, 120}};
    for (const auto& c : kCases) {
        StaffSong s;
        s.settings.fill = false;
        s.settings.trim = false;
        s.track().events.push_back(note(0, 60, 90, c.length));
        const StaffModel model = s.build();
        ASSERT_EQ(model.staves[0].spans.size(), 1u);
        EXPECT_EQ(model.staves[0].spans[0].duration, c.quantised) << c.length;
    }
}

TEST(StaffModelGroups, TrimCutsOverlapsAndFillReachesTheNextBeat)
{
    // A chord of two half-beat notes, a note in its last unit, a note that
    // ends off the beat and one a beat later.
    const struct {
        bool fill;
        bool trim;
        int chord;
        int offBeat;
    } kCases[] = {
        {false, false, 480, 120},
        {false, true, 360, 120},
        {true, false, 480, 360},
        {true, true, 360, 360},
    };
    for (const auto& c : kCases) {
        StaffSong s;
        s.settings.fill = c.fill;
        s.settings.trim = c.trim;
        CTrack& t = s.track();
        t.events.push_back(note(0, 60, 90, 480));
        t.events.push_back(note(0, 64, 90, 480)); // chord notes never trim each other
        t.events.push_back(note(360, 67, 90, 120));
        t.events.push_back(note(1080, 72, 90, 120));
        t.events.push_back(note(1800, 72, 90, 120));
        const StaffModel model = s.build();
        const auto& spans = model.staves[0].spans;
        ASSERT_EQ(spans.size(), 5u);
        EXPECT_EQ(spans[0].duration, c.chord) << c.fill << c.trim;
        EXPECT_EQ(spans[1].duration, c.chord) << c.fill << c.trim;
        EXPECT_EQ(spans[2].duration, 120) << c.fill << c.trim;
        EXPECT_EQ(spans[3].duration, c.offBeat) << c.fill << c.trim;
    }
}

TEST(StaffModelGroups, StaffBytesChooseTheStaff)
{
    // Staff type 2 splits at 60 + notationValue; byte 1 forces the treble
    // clef, 255 the bass clef, 0 goes by pitch.
    const struct {
        int staffType;
        uint8_t staffByte;
        int pitch;
        std::vector<size_t> notesPerStaff;
    } kCases[] = {
        {kGrandStaff, 0, 60, {1, 0}},
        {kGrandStaff, 0, 59, {0, 1}},
        {kGrandStaff, 255, 72, {0, 1}},
        {kGrandStaff, 1, 40, {1, 0}},
        {kGrandStaff, 7, 40, {1, 1}},
        {kTrebleClef, 255, 50, {0}},
        {kBassClef, 255, 50, {1}},
        {kTrebleClef, 1, 50, {1}},
        {99, 1, 50, {1}}, // an unknown staff type is a treble staff
    };
    for (const auto& c : kCases) {
        StaffSong s;
        CTrack& t = s.track(c.staffType);
        CMidiEvent n = note(0, uint8_t(c.pitch), 90, 480);
        n.notation = c.staffByte;
        t.events.push_back(n);
        const StaffModel model = s.build();
        ASSERT_EQ(model.staves.size(), c.notesPerStaff.size());
        for (size_t i = 0; i < model.staves.size(); ++i)
            EXPECT_EQ(model.staves[i].spans.size(), c.notesPerStaff[i])
                << c.staffType << " " << int(c.staffByte) << " " << c.pitch << " staff " << i;
    }
}

TEST(StaffModelGroups, AnEmptyMeasureHoldsOneCentredRest)
{
    StaffSong s(480, {{4, 2}, {3, 4}, {6, 8}});
    s.track();
    const std::string dump = DumpStaffModel(s.build());
    EXPECT_EQ(linesOf(dump, "voice"), "voice 0 @0 x 84..84: 1920:128r\n"
                                      "voice 1 @3840 x 204..204: 4560:64r\n"
                                      "voice 2 @5280 x 284..284: 6000:64r");
}

} // namespace
} // namespace rz::test
