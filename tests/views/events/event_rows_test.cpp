#include "views/events/event_cell_text.h"
#include "views/events/event_rows.h"

#include "song/event_cell_parse.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/fake_synth_lookup.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

using test::controller;
using test::note;

// Three user tracks, rows 1..3, in a 4/4 song of eight measures.
struct EventSong {
    EventSong()
    {
        SongContext context = fixture.context();
        context.synths = &synths;
        song = std::make_unique<CSongDoc>(context);
        song->InitNewSong();
        for (int i = 1; i <= 3; ++i)
            test::addUserTrack(*song).name = "T" + std::to_string(i);
        song->endTick = 8 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
    }
    CTrack& track(int row) { return *song->tracks[size_t(row)]; }
    void show(std::initializer_list<int> rows) { fixture.trackRows.selected = rows; }

    SongFixture fixture;
    FakeSynthLookup synths;
    std::unique_ptr<CSongDoc> song;
};

TEST(EventRows, EqualTicksKeepTrackOrder)
{
    EventSong s;
    s.track(1).events = {note(10, 60, 90, 5), note(20, 61, 90, 5), note(20, 62, 90, 5)};
    s.track(3).events = {note(0, 70, 90, 5), note(20, 71, 90, 5)};
    s.track(2).events = {note(20, 80, 90, 5)};
    s.show({1, 3});
    EventRows rows;
    rows.rebuild(*s.song, {});
    const std::vector<EventRowKey> expected = {{3, 0}, {1, 0}, {1, 1}, {1, 2}, {3, 1}};
    EXPECT_EQ(rows.keys(), expected);
    EXPECT_EQ(rows.shownTracks(), (std::vector<int>{1, 3}));
}

TEST(EventRows, FilteringOutControllersDeselectsThem)
{
    EventSong s;
    s.song->selectionStamp = 7;
    s.track(1).events = {note(0, 60, 90, 5), controller(5, 7, 100), controller(6, 10, 64)};
    for (CMidiEvent& e : s.track(1).events)
        e.selectionStamp = 7;
    s.show({1});
    EventRows rows;
    EventFilter noControllers;
    noControllers.mask &= uint16_t(~(1u << 0xB));
    rows.rebuild(*s.song, noControllers);
    EXPECT_EQ(rows.keys(), (std::vector<EventRowKey>{{1, 0}}));
    EXPECT_EQ(s.track(1).events[0].selectionStamp, 7u);
    EXPECT_EQ(s.track(1).events[1].selectionStamp, 0u);
    EXPECT_EQ(s.track(1).events[2].selectionStamp, 0u);

    EventFilter pan;
    pan.controller = 10;
    rows.rebuild(*s.song, pan);
    EXPECT_EQ(rows.keys(), (std::vector<EventRowKey>{{1, 0}, {1, 2}}));
}

TEST(EventRows, NoSelectedTrackOrNoKindGivesAnEmptyList)
{
    EventSong s;
    s.track(1).events = {note(0, 60, 90, 5)};
    EventRows rows;
    rows.rebuild(*s.song, {});
    EXPECT_EQ(rows.size(), 0);
    s.show({1});
    rows.rebuild(*s.song, EventFilter{.mask = 0});
    EXPECT_EQ(rows.size(), 0);
}

TEST(EventRows, ThePlayRowLandsAtThePositionOrTheSelectionStart)
{
    EventSong s;
    s.track(1).events = {note(0, 60, 90, 5), note(100, 61, 90, 5), note(200, 62, 90, 5), note(300, 63, 90, 5)};
    s.show({1});
    EventRows rows;
    rows.rebuild(*s.song, {});
    s.song->setPosition(150);
    EXPECT_EQ(rows.startRow(*s.song), 2);
    s.song->selectionKind = kSelectEvents;
    s.song->selectionFrom = 100;
    EXPECT_EQ(rows.startRow(*s.song), 1);
    s.song->setPosition(5000);
    s.song->selectionKind = 0;
    EXPECT_EQ(rows.startRow(*s.song), 4);
}

TEST(EventRows, FollowingMovesThePlayRowBothWays)
{
    EventSong s;
    s.track(1).events = {note(0, 60, 90, 5), note(100, 61, 90, 5), note(200, 62, 90, 5)};
    s.show({1});
    EventRows rows;
    rows.rebuild(*s.song, {});
    EXPECT_EQ(rows.followRow(*s.song, 0, 150), 2);
    EXPECT_EQ(rows.followRow(*s.song, 3, 50), 1);
    EXPECT_EQ(rows.followRow(*s.song, 99, 100), 1);
}

TEST(EventRows, FollowingKeepsTheRowClickedAmongEventsAtThePosition)
{
    EventSong s;
    s.track(1).events = {note(0, 60, 90, 5), note(0, 64, 90, 5), note(100, 67, 90, 5)};
    s.show({1});
    EventRows rows;
    rows.rebuild(*s.song, {});
    EXPECT_EQ(rows.followRow(*s.song, 1, 0), 1);
    EXPECT_EQ(rows.followRow(*s.song, 2, 0), 0);
}

TEST(EventRows, AKeyPastATracksEndHasNoEvent)
{
    EventSong s;
    s.track(1).events = {note(0, 60, 90, 5)};
    EXPECT_NE(EventRows::eventOf(*s.song, {1, 0}), nullptr);
    EXPECT_EQ(EventRows::eventOf(*s.song, {1, 1}), nullptr);
    EXPECT_EQ(EventRows::eventOf(*s.song, {99, 0}), nullptr);
}

TEST(EventCellText, OneRowPerKind)
{
    EventSong s;
    CTrack& t = s.track(1);
    t.synth = 3;
    t.channel = 9;
    t.drums = 1 << 9;
    t.bank = 0;
    t.patch = 0;
    s.synths.technologies[3] = 8;
    s.synths.drumNoteNames[{3, 0, 0, 36}] = "Kick";
    s.synths.patchNames[{3, 130, 4}] = "Strings";
    s.synths.ccNames[{3, 74}] = "Cutoff";
    namespace col = event_column;
    CMidiEvent undefinedMeta;
    undefinedMeta.SetMetaText(10, "x");
    struct Case {
        const char* name;
        int track;
        CMidiEvent event;
        int column;
        std::string text;
    } cases[] = {
        {"track", 1, note(0, 60, 90, 5), col::kTrack, "1: T1"},
        {"tick", 1, note(1080, 60, 90, 5), col::kTick, "3:2:000"},
        {"short duration", 1, note(0, 60, 90, 100), col::kDuration, "100"},
        {"long duration", 1, note(0, 60, 90, 250), col::kDuration, "2:010"},
        {"note type", 1, note(0, 60, 90, 5), col::kType, "Note"},
        {"drum name on a drum channel", 1, note(0, 36, 90, 5, 9), col::kNumber, "C2 (36): Kick"},
        {"controller from the database", 1, controller(0, 74, 1), col::kNumber, "Cutoff (74)"},
        {"controller from the table", 1, controller(0, 7, 1), col::kNumber, "Volume (7)"},
        {"bend range", 1, test::rpn(0, 0, 256), col::kNumber, "Pitch-Bend Range (0)"},
        {"rpn number", 1, test::rpn(0, 9, 0), col::kNumber, "9 (0/9)"},
        {"nrpn", 1, test::nrpn(0, 300, 0), col::kNumber, "300 (2/44)"},
        {"patch in 14-bit style", 1, test::program(0, 4, 130), col::kNumber, "Strings [130 (1/2),5]"},
        {"patch not in the database", 2, test::program(0, 4, 130), col::kNumber, "? [130 (1/2),5]"},
        {"patch without a bank", 2, test::program(0, 4), col::kNumber, "? [5]"},
        {"undefined meta", 1, undefinedMeta, col::kNumber, "10 (undefined)"},
        {"meta type", 1, undefinedMeta, col::kType, "Meta"},
        {"sysex", 1, test::sysex(0, {0x41, 0xF7}), col::kType, "SysEx"},
        {"pitch value", 1, test::channelEvent(0, 0xE0, 0, 0x40), col::kValue, "0"},
        {"smpte", 1, note(0, 60, 90, 5), col::kSmpte, "0:00:00:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EventCellText::text(*s.song, c.track, c.event, c.column), c.text) << c.name;

    // The same note on a melodic channel has no drum name.
    t.channel = 0;
    EXPECT_EQ(EventCellText::numberText(*s.song, 1, note(0, 36, 90, 5)), "C2 (36)");
}

TEST(EventCellText, ABankAsOneNumberShowsItsHighByte)
{
    EventSong s;
    CTrack& t = s.track(1);
    t.synth = 3;
    t.technology = 0x80 | 0x100;
    s.synths.technologies[3] = t.technology;
    s.synths.patchNames[{3, 3 * 128, 4}] = "Organ";
    EXPECT_EQ(EventCellText::numberText(*s.song, 1, test::program(0, 4, 3 * 128)), "Organ [3, 4]");
}

TEST(EventCellText, KindsHaveTheirColours)
{
    EXPECT_EQ(EventCellText::kindColor(0x90), 0x000000u);
    EXPECT_EQ(EventCellText::kindColor(0xB3), 0x00A000u);
    EXPECT_EQ(EventCellText::kindColor(0x10), 0xE00000u);
    EXPECT_EQ(EventCellText::kindColor(0xFF), 0x0000C0u);
}

} // namespace
} // namespace rz
