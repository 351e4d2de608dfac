#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_fixture.h"
#include "song/find_criteria.h"

namespace rz::test {
namespace {

using SongPtr = std::unique_ptr<CSongDoc>;

// Songs with MIDI tracks at 480 ticks per quarter, searched with criteria
// that the scripted Find dialog hands over.
struct FindFixture : ClipboardFixture {
    SongPtr songWith(std::vector<std::vector<CMidiEvent>> tracks)
    {
        std::vector<std::string> names;
        for (size_t i = 0; i < tracks.size(); ++i)
            names.push_back("T" + std::to_string(i + 1));
        SongPtr song = songAt(480, names);
        for (size_t i = 0; i < tracks.size(); ++i)
            song->tracks[i + 1]->events = std::move(tracks[i]);
        settle(*song);
        host.current = song.get();
        return song;
    }

    // Criteria that search no kind until the test turns one on.
    static FindCriteria nothing()
    {
        FindCriteria c;
        for (int32_t* kind : {&c.polyPressure, &c.controllers, &c.text, &c.notes, &c.programs,
                              &c.pitchBend, &c.channelPressure, &c.sysex, &c.chords, &c.rpn, &c.nrpn,
                              &c.wedges})
            *kind = 0;
        return c;
    }

    void find(CSongDoc& song, const FindCriteria& criteria)
    {
        dialogs.findAnswer = criteria;
        song.OnEditFind();
    }

    // (track, index) of every event carrying the song's selection stamp.
    static std::vector<std::pair<size_t, size_t>> selected(const CSongDoc& song)
    {
        std::vector<std::pair<size_t, size_t>> found;
        for (size_t t = 0; t < song.tracks.size(); ++t)
            for (size_t e = 0; e < song.tracks[t]->events.size(); ++e)
                if (song.tracks[t]->events[e].selectionStamp == song.selectionStamp)
                    found.emplace_back(t, e);
        return found;
    }
};

using Places = std::vector<std::pair<size_t, size_t>>;

TEST(FindEvents, FindNextStepsThroughOneTickThenLaterTicksThenWraps)
{
    FindFixture f;
    SongPtr song = f.songWith({{note(100, 60, 90, 10), note(100, 62, 90, 10), note(500, 64, 90, 10)},
                               {controller(300, 7, 1), note(700, 40, 90, 10)}});
    FindCriteria c = FindFixture::nothing();
    c.notes = 1;
    f.find(*song, c);
    EXPECT_EQ(FindFixture::selected(*song), (Places{{1, 0}}));
    EXPECT_EQ(song->position(), 100);
    const Places steps[] = {{{1, 1}}, {{1, 2}}, {{2, 1}}, {{1, 0}}};
    for (const Places& expected : steps) {
        song->OnEditFindNext();
        EXPECT_EQ(FindFixture::selected(*song), expected);
    }
    EXPECT_EQ(song->position(), 100);
    EXPECT_EQ(song->selectionKind, kSelectEvents);
    EXPECT_TRUE(f.trackRows.log.contains("SelectRow(1,1)"));
}

TEST(FindEvents, NoMatchSaysSoAndClearsTheSelection)
{
    FindFixture f;
    SongPtr song = f.songWith({{note(100, 60, 90, 10)}});
    song->tracks[1]->events[0].selectionStamp = song->selectionStamp;
    f.prompt.expectMessage("No matching events were found.");
    f.find(*song, FindFixture::nothing());
    EXPECT_TRUE(FindFixture::selected(*song).empty());
    EXPECT_TRUE(f.trackRows.log.contains("SelectNone()"));
}

TEST(FindEvents, ABendRangeOfZeroFindsCentredBends)
{
    FindFixture f;
    SongPtr song = f.songWith({{channelEvent(0, 0xE0, 0, 64), channelEvent(10, 0xE0, 0, 65),
                                channelEvent(20, 0xE0, 127, 63)}});
    FindCriteria c = FindFixture::nothing();
    c.findAll = 1;
    c.pitchBend = 1;
    c.bend = FindRange{0, 0, 0};
    f.find(*song, c);
    EXPECT_EQ(FindFixture::selected(*song), (Places{{1, 0}}));
    EXPECT_TRUE(f.host.log.contains("activateEditorView()"));
}

TEST(FindEvents, TextPatternsMatchWithoutCaseAndOutside)
{
    FindFixture f;
    SongPtr song = f.songWith({{textEvent(0, "Verse one"), textEvent(10, "Chorus", 0x06), note(20, 60, 90, 10)}});
    FindCriteria c = FindFixture::nothing();
    c.findAll = 1;
    c.text = 1;
    c.setTextPattern("VERSE");
    f.find(*song, c);
    EXPECT_EQ(FindFixture::selected(*song), (Places{{1, 0}}));
    c.textOutside = 1;
    f.find(*song, c);
    EXPECT_EQ(FindFixture::selected(*song), (Places{{1, 1}}));
}

TEST(FindEvents, AChordPatternFindsChordMarkersOnlyWhenChordsAreSearched)
{
    FindFixture f;
    SongPtr song = f.songWith({{textEvent(0, "@DR;1;128;132;135;139;128;128;Pop|Cmaj7"),
                                textEvent(10, "@DR;1;128;131;135;128;128;128;Pop|Cm"), textEvent(20, "Cmaj7 here")}});
    FindCriteria c = FindFixture::nothing();
    c.findAll = 1;
    c.setChordPattern("Cmaj7");
    f.prompt.expectMessage("No matching events were found.");
    f.find(*song, c);
    c.chords = 1;
    f.find(*song, c);
    EXPECT_EQ(FindFixture::selected(*song), (Places{{1, 0}}));
}

TEST(FindEvents, FindAllEndsAProgramChangeSelectionAtItsTick)
{
    FindFixture f;
    SongPtr song = f.songWith({{program(600, 10, 5)}});
    FindCriteria c = FindFixture::nothing();
    c.findAll = 1;
    c.programs = 1;
    f.find(*song, c);
    EXPECT_EQ(song->selectionFrom, 600);
    EXPECT_EQ(song->selectionTo, 600);
}

// ---- Find faults

struct FaultFixture : FindFixture {
    // Two tracks on port 0: patches 1 and 2, channels as given.
    SongPtr twoPatches(std::vector<CMidiEvent> first, std::vector<CMidiEvent> second, int secondChannel = 0,
                       int secondPatch = 2)
    {
        SongPtr song = songWith({std::move(first), std::move(second)});
        song->tracks[1]->patch = 1;
        song->tracks[2]->patch = secondPatch;
        song->tracks[2]->channel = secondChannel;
        return song;
    }

    std::string status() const
    {
        const auto& calls = host.log.calls();
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->starts_with("SetStatusText("))
                return *it;
        return "";
    }
};

TEST(FindFaults, DifferentPatchesOverlappingOnOneChannelAreAFault)
{
    FaultFixture f;
    SongPtr song = f.twoPatches({note(0, 60, 90, 480)}, {note(240, 64, 90, 100)});
    song->setPosition(1000);
    song->OnEditFindFaults();
    EXPECT_EQ(f.status(), "SetStatusText(1 faults.)");
    EXPECT_EQ(FindFixture::selected(*song), (Places{{1, 0}, {2, 0}}));
    EXPECT_EQ(song->selectionFrom, 0);
    EXPECT_EQ(song->selectionTo, 480);
    EXPECT_EQ(song->position(), 240);
}

TEST(FindFaults, ANoteStartingAtTheOthersEndIsNoFault)
{
    FaultFixture f;
    SongPtr song = f.twoPatches({note(0, 60, 90, 480)}, {note(480, 64, 90, 100)});
    song->OnEditFindFaults();
    EXPECT_EQ(f.status(), "SetStatusText(0 faults.)");
}

TEST(FindFaults, TheSameKeyIsExaminedOnlyOnASharedChannel)
{
    // Channel 5: the conductor track plays on channel 0 and would share it.
    FaultFixture f;
    const std::vector<CMidiEvent> sameKey = {note(0, 60, 90, 480, 5), note(240, 60, 90, 480, 5)};
    SongPtr lone = f.twoPatches(sameKey, {}, 1);
    lone->tracks[1]->channel = 5;
    lone->OnEditFindFaults();
    EXPECT_EQ(f.status(), "SetStatusText(0 faults.)");

    SongPtr shared = f.twoPatches(sameKey, {}, 5, 1);
    shared->tracks[1]->channel = 5;
    shared->OnEditFindFaults();
    EXPECT_EQ(f.status(), "SetStatusText(1 faults.)");
}

TEST(FindFaults, NoSharedChannelGivesZeroAndKeepsThePosition)
{
    FaultFixture f;
    SongPtr song = f.twoPatches({note(0, 60, 90, 480)}, {note(240, 64, 90, 100)}, 1);
    song->setPosition(960);
    song->OnEditFindFaults();
    EXPECT_EQ(f.status(), "SetStatusText(0 faults.)");
    EXPECT_EQ(song->position(), 960);
}

} // namespace
} // namespace rz::test
