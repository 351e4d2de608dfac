// Song files played from a position: what the port is sent by Locate and
// then by PlayEventsUpTo, message by message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "song/smf_reader.h"
#include "song/song_doc.h"
#include "tests/song/saved_song.h"
#include "tests/song/smf_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/fake_midi_out.h"

namespace rz {
namespace {

using test::plainConductor;
using test::SmfBuilder;
using test::TrackBuilder;

// 120 ticks per quarter: a seek point every 1920 ticks.
constexpr uint16_t kDivision = 120;

std::string hexText(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (uint8_t byte : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", byte);
        text += text.empty() ? "" : " ";
        text += hex;
    }
    return text;
}

// "B0 65 00": a short message's bytes, without the tag.
std::string shortText(uint32_t message)
{
    const uint8_t status = uint8_t(message);
    std::vector<uint8_t> bytes = {status, uint8_t(message >> 8)};
    if ((status & 0xE0) != 0xC0)
        bytes.push_back(uint8_t(message >> 16));
    return hexText(bytes);
}

// A file opened on a song whose port 0 is a fake port.
struct FilePlay {
    SongFixture fixture;
    FakeMidiOut port;
    std::unique_ptr<CSongDoc> song;

    // readWithAutoProps false: the file's controllers are kept as written;
    // locate runs with "AutoProps" on either way.
    explicit FilePlay(const SmfBuilder& file, bool readWithAutoProps = true)
        : FilePlay(file.bytes(), readWithAutoProps)
    {
    }

    explicit FilePlay(const std::vector<uint8_t>& bytes, bool readWithAutoProps = true)
    {
        fixture.engine.outputMap = {0};
        fixture.engine.ports = {&port};
        fixture.engine.logPortLookups = false;
        fixture.host.autoPropsFlag = readWithAutoProps;
        fixture.profile.writeInt("OpenOptions", "WarnFormat", 2); // format 0 without asking
        song = std::make_unique<CSongDoc>(fixture.context());
        std::string reason;
        EXPECT_TRUE(OpenSongBytes(*song, bytes, SongFileKind{}, reason)) << reason;
        fixture.host.autoPropsFlag = true;
    }

    // Locate as a start does.
    void locate(int32_t target)
    {
        fixture.engine.state = TransportState::Starting;
        song->Locate(target);
        fixture.engine.state = TransportState::Playing;
    }

    // Play-out of every event up to and including `last`.
    void playUpTo(int32_t last)
    {
        fixture.engine.playTime = song->TickToTime(last);
        song->PlayEventsUpTo();
    }

    void forgetSent()
    {
        port.log.clear();
        port.shortMessages.clear();
        port.wire.clear();
        port.sysex.clear();
    }

    // What went on the wire: short messages as a port sends them (an RPN
    // event as its four controllers).
    std::vector<std::string> wire() const
    {
        std::vector<std::string> lines;
        for (uint32_t message : port.wire)
            lines.push_back(shortText(message));
        return lines;
    }

    // What the port was handed, in order: short messages and SysEx.
    std::vector<std::string> handed() const
    {
        std::vector<std::string> lines;
        size_t sysex = 0;
        for (const std::string& call : port.log.calls()) {
            if (call.rfind("SendShort(", 0) == 0)
                lines.push_back(shortText(uint32_t(std::stoul(call.substr(10)))));
            else if (call.rfind("SendSysEx(", 0) == 0 && sysex < port.sysex.size())
                lines.push_back(hexText(port.sysex[sysex++]));
        }
        return lines;
    }
};

SmfBuilder formatOne(std::initializer_list<TrackBuilder> tracks)
{
    SmfBuilder file;
    file.header(1, uint16_t(tracks.size() + 1), kDivision).track(plainConductor());
    for (const TrackBuilder& track : tracks)
        file.track(track);
    return file;
}

// Pitch-bend range 2 at the start, then 5 and 12: the later settings repeat
// the selected RPN, so the play image writes them as data entries alone.
TrackBuilder bendRangeEverySeekPoint()
{
    TrackBuilder track;
    track.event(0, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x00})
        .event(0, {0xB0, 0x06, 0x02}).event(0, {0xB0, 0x26, 0x00})
        .event(0, {0x90, 0x3C, 0x64}).event(100, {0x80, 0x3C, 0x40})
        .event(1900, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x00}) // tick 2000
        .event(0, {0xB0, 0x06, 0x05}).event(0, {0xB0, 0x26, 0x00})
        .event(2000, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x00}) // tick 4000
        .event(0, {0xB0, 0x06, 0x0C}).event(0, {0xB0, 0x26, 0x00})
        .event(2000, {0x90, 0x3E, 0x64}).event(100, {0x80, 0x3E, 0x40}) // tick 6000
        .end();
    return track;
}

TEST(ChaseSelection, DataEntryAfterASeekPointChasesTheRpnSelectedBeforeIt)
{
    struct Case {
        int32_t target;
        std::vector<std::string> expected;
    } cases[] = {
        {1000, // before the first seek point: range 2
         {"B0 65 00", "B0 64 00", "B0 06 02", "B0 26 00", "B0 65 00", "B0 64 00"}},
        {2400, // 2000 lies after the seek point at 1920: range 5
         {"B0 65 00", "B0 64 00", "B0 06 05", "B0 26 00", "B0 65 00", "B0 64 00"}},
        {5000, // 4000 lies after the seek point at 3840: range 12
         {"B0 65 00", "B0 64 00", "B0 06 0C", "B0 26 00", "B0 65 00", "B0 64 00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        FilePlay play(formatOne({bendRangeEverySeekPoint()}));
        play.locate(c.target);
        play.playUpTo(c.target);
        EXPECT_EQ(play.wire(), c.expected);
    }
}

// Pitch-bend range 2 and program 5 at the start; then NRPN 1/5 set to 70 and,
// at 2000, to 71 by a data entry that relies on that selection.
TrackBuilder nrpnAfterBendRange()
{
    TrackBuilder track;
    track.event(0, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x00})
        .event(0, {0xB0, 0x06, 0x02}).event(0, {0xB0, 0x26, 0x00})
        .event(0, {0xC0, 0x05})
        .event(10, {0xB0, 0x63, 0x01}).event(0, {0xB0, 0x62, 0x05})
        .event(0, {0xB0, 0x06, 0x46}).event(0, {0xB0, 0x26, 0x00})
        .event(0, {0x90, 0x3C, 0x64}).event(100, {0x80, 0x3C, 0x40})
        .event(1890, {0xB0, 0x06, 0x47}).event(0, {0xB0, 0x26, 0x00}) // tick 2000
        .event(2000, {0x90, 0x3E, 0x64}).event(100, {0x80, 0x3E, 0x40})
        .end();
    return track;
}

// RPN 0 set at the start and deselected (127/127) at 500, written as they are.
TrackBuilder bendRangeThenNull()
{
    TrackBuilder track;
    track.event(0, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x00})
        .event(0, {0xB0, 0x06, 0x02}).event(0, {0xB0, 0x26, 0x00})
        .event(0, {0x90, 0x3C, 0x64}).event(100, {0x80, 0x3C, 0x40})
        .event(400, {0xB0, 0x65, 0x7F}).event(0, {0xB0, 0x64, 0x7F})
        .event(1500, {0x90, 0x3E, 0x64}).event(100, {0x80, 0x3E, 0x40})
        .end();
    return track;
}

TEST(ChaseDataEntry, AfterTheChaseTheImagesSelectionGoesOutAgain)
{
    struct Case {
        const char* name;
        TrackBuilder track;
        bool readWithAutoProps;
        std::vector<std::string> expected;
    } cases[] = {
        {"NRPN selected",
         nrpnAfterBendRange(),
         true,
         {"C0 05",                                        // program
          "B0 65 00", "B0 64 00", "B0 06 02", "B0 26 00", // bend range 2 selects RPN 0
          "B0 63 01", "B0 62 05",                         // the image's NRPN again
          "B0 06 47", "B0 26 00"}},                       // played at 2000: the NRPN's
        {"deselected",
         bendRangeThenNull(),
         false,
         {"B0 65 00", "B0 64 00", "B0 06 02", "B0 26 00", // chased RPN 0
          "B0 65 7F", "B0 64 7F",                         // then none, as the image has it
          "90 3E 64"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilePlay play(formatOne({c.track}), c.readWithAutoProps);
        play.locate(1500);
        play.playUpTo(2000);
        EXPECT_EQ(play.wire(), c.expected);
    }
}

// At one tick: a SysEx, key pressure, reset all controllers, an NRPN value
// and RPN 3 (neither chased), and a note.
void unchasedBlock(TrackBuilder& track, uint32_t delta, uint8_t rpn3)
{
    track.event(delta, {0xF0, 0x04, 0x7D, 0x01, 0x02, 0xF7})
        .event(0, {0xA0, 0x3C, 0x20})
        .event(0, {0xB0, 0x79, 0x00})
        .event(0, {0xB0, 0x63, 0x01}).event(0, {0xB0, 0x62, 0x05})
        .event(0, {0xB0, 0x06, 0x10}).event(0, {0xB0, 0x26, 0x00})
        .event(0, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x03})
        .event(0, {0xB0, 0x06, rpn3}).event(0, {0xB0, 0x26, 0x00})
        .event(0, {0x90, 0x40, 0x64}).event(50, {0x80, 0x40, 0x40});
}

TEST(TargetTickEvents, PlayOutSendsTheTargetTicksOwnEvents)
{
    TrackBuilder track;
    track.event(0, {0xB0, 0x7E, 0x01}) // mono mode on, the file's first event
        .event(0, {0x90, 0x3C, 0x64}).event(100, {0x80, 0x3C, 0x40});
    unchasedBlock(track, 600, 0x40);  // tick 700
    unchasedBlock(track, 1170, 0x41); // tick 1920, a seek point
    track.event(1000, {0x90, 0x3E, 0x64}).event(100, {0x80, 0x3E, 0x40}).end();
    auto block = [](const char* rpn3) {
        return std::vector<std::string>{"F0 7D 01 02 F7", "A0 3C 20", "B0 79 00", "B0 63 01",
                                        "B0 62 05",       "B0 06 10", "B0 26 00", "B0 65 00",
                                        "B0 64 03",       rpn3,       "B0 26 00", "90 40 64"};
    };
    struct Case {
        int32_t target;
        std::vector<std::string> played;
    } cases[] = {
        {0, {"B0 7E 01", "90 3C 64"}},
        {700, block("B0 06 40")},
        {1920, block("B0 06 41")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        FilePlay play(formatOne({track}));
        play.locate(c.target);
        play.forgetSent();
        play.playUpTo(c.target);
        EXPECT_EQ(play.handed(), c.played);
    }
}

TEST(SameTickTrackOrder, TracksAtOneTickPlayInFileOrder)
{
    // Format 0: the SysEx lands on the first track, the channels after it.
    TrackBuilder merged;
    merged.event(0, {0x90, 0x3C, 0x64}).event(0, {0x91, 0x3E, 0x64})
        .event(100, {0x80, 0x3C, 0x40}).event(0, {0x81, 0x3E, 0x40})
        .event(380, {0xF0, 0x04, 0x7D, 0x01, 0x02, 0xF7}) // tick 480
        .event(0, {0xB1, 0x0B, 0x50}).event(0, {0x90, 0x40, 0x64})
        .event(100, {0x80, 0x40, 0x40}).end();
    SmfBuilder formatZero;
    formatZero.header(0, 1, kDivision).track(merged);
    // Format 1: a controller on track 1 and a note on track 2, one channel.
    TrackBuilder controls;
    controls.event(480, {0xF0, 0x04, 0x7D, 0x01, 0x02, 0xF7}).event(0, {0xB0, 0x0B, 0x50}).end();
    TrackBuilder notes;
    notes.event(480, {0x90, 0x40, 0x64}).event(100, {0x80, 0x40, 0x40}).end();
    struct Case {
        const char* name;
        SmfBuilder file;
        std::vector<std::string> played;
    } cases[] = {
        {"format 0", formatZero, {"F0 7D 01 02 F7", "90 40 64", "B1 0B 50"}},
        {"format 1", formatOne({controls, notes}), {"F0 7D 01 02 F7", "B0 0B 50", "90 40 64"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilePlay play(c.file);
        play.locate(480);
        play.forgetSent();
        play.playUpTo(480);
        EXPECT_EQ(play.handed(), c.played);
    }
}

TEST(SameTickTrackOrder, StartUpSysExGoesOutInTrackOrder)
{
    TrackBuilder first;
    first.event(0, {0xF0, 0x03, 0x7D, 0x01, 0xF7}).event(0, {0x90, 0x3C, 0x64})
        .event(100, {0x80, 0x3C, 0x40}).end();
    TrackBuilder second;
    second.event(0, {0xF0, 0x03, 0x7D, 0x02, 0xF7}).event(0, {0x90, 0x3E, 0x64})
        .event(100, {0x80, 0x3E, 0x40}).end();
    FilePlay play(formatOne({first, second}));
    play.song->ActivateSong(0);
    EXPECT_EQ(play.handed(), (std::vector<std::string>{"F0 7D 01 F7", "F0 7D 02 F7"}));
}

// Channel 0 before 1000: mono mode, a bend, the pedal and modulation that a
// reset all controllers then clears, and controllers from 102 up; a note at
// 3000 keeps the song going past the seek point at 1920.
TrackBuilder modesAndResets()
{
    TrackBuilder track;
    track.event(0, {0x90, 0x3C, 0x64}).event(100, {0x80, 0x3C, 0x40})
        .event(0, {0xB0, 0x7E, 0x01})                               // 100: mono on
        .event(10, {0xE0, 0x00, 0x60}).event(0, {0xB0, 0x40, 0x7F}) // 110: bend, pedal
        .event(0, {0xB0, 0x01, 0x50}).event(0, {0xD0, 0x30})        // modulation, pressure
        .event(10, {0xB0, 0x79, 0x00})                              // 120: reset all controllers
        .event(10, {0xB0, 0x6E, 0x05}).event(0, {0xB0, 0x7A, 0x00}) // 130: CC 110, local off
        .event(0, {0xB0, 0x78, 0x00}).event(0, {0xB0, 0x7B, 0x00})  // all sound and notes off
        .event(0, {0xB0, 0x0B, 0x40})                               // expression after the reset
        .event(2870, {0x90, 0x3E, 0x64}).event(100, {0x80, 0x3E, 0x40})
        .end();
    return track;
}

TrackBuilder oneChannelEvent(uint32_t at, std::initializer_list<uint8_t> message)
{
    TrackBuilder track;
    track.event(at, message).event(3000 - at, {0x90, 0x3E, 0x64}).event(100, {0x80, 0x3E, 0x40}).end();
    return track;
}

TEST(ChaseModes, ModeFirstNoResetValuesAndHigherControllers)
{
    const std::vector<std::string> modes = {"B0 7E 01", "B0 6E 05", "B0 7A 00", "B0 0B 40"};
    struct Case {
        const char* name;
        SmfBuilder file;
        int32_t target;
        std::vector<std::string> expected;
    } cases[] = {
        {"read on from the song's start", formatOne({modesAndResets()}), 1000, modes},
        {"from the seek point's chase list", formatOne({modesAndResets()}), 2500, modes},
        {"a reset on another track clears an earlier bend",
         formatOne({oneChannelEvent(30, {0xE0, 0x00, 0x60}), oneChannelEvent(50, {0xB0, 0x79, 0x00})}), 1000,
         {}},
        {"a reset on an earlier track leaves a later bend",
         formatOne({oneChannelEvent(50, {0xB0, 0x79, 0x00}), oneChannelEvent(60, {0xE0, 0x00, 0x60})}), 1000,
         {"E0 00 60"}},
        {"a later bend on an earlier track, from the seek points",
         formatOne({oneChannelEvent(60, {0xE0, 0x00, 0x60}), oneChannelEvent(50, {0xB0, 0x79, 0x00})}), 2500,
         {"E0 00 60"}},
        {"an RPN above 127 leaves the bend range alone",
         formatOne({TrackBuilder()
                        .event(0, {0x90, 0x3C, 0x64}).event(100, {0x80, 0x3C, 0x40})
                        .event(0, {0xB0, 0x65, 0x3D}).event(0, {0xB0, 0x64, 0x00}) // RPN 61/0
                        .event(0, {0xB0, 0x06, 0x05}).event(0, {0xB0, 0x26, 0x00})
                        .event(2900, {0x90, 0x3E, 0x64}).event(100, {0x80, 0x3E, 0x40})
                        .end()}),
         1000, {"B0 65 3D", "B0 64 00"}}, // the selection only, as the image leaves it
        {"the last mode message holds", formatOne({oneChannelEvent(10, {0xB0, 0x7E, 0x01}),
                                                   oneChannelEvent(20, {0xB0, 0x7F, 0x00})}),
         2500, {"B0 7F 00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilePlay play(c.file);
        play.locate(c.target);
        EXPECT_EQ(play.wire(), c.expected);
    }
}

// RPN 1 set at 100 and again at 300 on one track; another track selects
// NRPN 5/5 at 200 on `otherChannel`.
SmfBuilder rpnAroundAnotherTracksNrpn(uint8_t otherChannel)
{
    TrackBuilder rpnTrack;
    rpnTrack.event(0, {0x90, 0x3C, 0x64}).event(100, {0x80, 0x3C, 0x40})
        .event(0, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x01})   // 100: RPN 1
        .event(0, {0xB0, 0x06, 0x40}).event(0, {0xB0, 0x26, 0x00})
        .event(200, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x01}) // 300: RPN 1 again
        .event(0, {0xB0, 0x06, 0x48}).event(0, {0xB0, 0x26, 0x00})
        .end();
    TrackBuilder nrpnTrack;
    const uint8_t cc = uint8_t(0xB0 | otherChannel);
    nrpnTrack.event(200, {cc, 0x63, 0x05}).event(0, {cc, 0x62, 0x05}) // 200: NRPN 5/5
        .event(0, {cc, 0x06, 0x10}).event(0, {cc, 0x26, 0x00})
        .end();
    return formatOne({rpnTrack, nrpnTrack});
}

TEST(SharedChannelSelection, EachDataEntryNamesItsParameterWhenTracksShareTheChannel)
{
    struct Case {
        const char* name;
        SmfBuilder file;
        std::vector<std::string> at300;
    } cases[] = {
        {"one channel: the RPN is selected again",
         rpnAroundAnotherTracksNrpn(0),
         {"B0 65 00", "B0 64 01", "B0 06 48", "B0 26 00"}},
        {"own channels: the data entry alone, as before", rpnAroundAnotherTracksNrpn(1),
         {"B0 06 48", "B0 26 00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilePlay play(c.file);
        play.locate(0);
        play.playUpTo(299);
        play.forgetSent();
        play.playUpTo(300);
        EXPECT_EQ(play.wire(), c.at300);
        // The saved file selects RPN 1 as often as the port was sent it.
        const std::vector<uint8_t> saved = test::songBytes(*play.song);
        const std::vector<uint8_t> selection = {0x65, 0x00, 0x00, 0x64, 0x01}; // running status
        size_t selections = 0;
        for (auto at = saved.begin();
             (at = std::search(at, saved.end(), selection.begin(), selection.end())) != saved.end(); ++at)
            ++selections;
        EXPECT_EQ(selections, c.at300.size() == 4 ? 2u : 1u);
    }
}

// A set-up SysEx and a channel-pressure destination setting at 0 (the
// setting is written into the image at 0, activation does not send it).
TrackBuilder setUpAtTheStart()
{
    TrackBuilder track;
    track.event(0, {0xF0, 0x08, 0x7F, 0x7F, 0x09, 0x01, 0x00, 0x00, 0x40, 0xF7}) // destination
        .event(0, {0xF0, 0x03, 0x7D, 0x01, 0xF7})                               // set-up
        .event(0, {0x90, 0x3C, 0x64}).event(100, {0x80, 0x3C, 0x40})
        .event(380, {0x90, 0x3E, 0x64}).event(100, {0x80, 0x3E, 0x40})
        .end();
    return track;
}

TEST(StartUpSysExOnce, AStartAtZeroRightAfterActivationLeavesOutWhatItSent)
{
    const std::string setUp = "F0 7D 01 F7";
    const std::string destination = "F0 7F 7F 09 01 00 00 40 F7";
    struct Case {
        const char* name;
        std::function<void(FilePlay&)> between; // after activation, before the start
        int32_t start;
        std::vector<std::string> played;
    } cases[] = {
        {"start at 0 next", [](FilePlay&) {}, 0, {destination, "90 3C 64"}},
        {"a start at 0 before", [](FilePlay& play) {
             play.locate(0);
             play.playUpTo(0);
         },
         0, {destination, setUp, "90 3C 64"}},
        {"a locate to 0 while stopped before", [](FilePlay& play) { play.song->Locate(0); }, 0,
         {destination, setUp, "90 3C 64"}},
        {"a start later: nothing at 0 plays", [](FilePlay&) {}, 480, {"90 3E 64"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilePlay play(formatOne({setUpAtTheStart()}));
        play.song->ActivateSong(0);
        EXPECT_EQ(play.handed(), std::vector<std::string>{setUp});
        c.between(play);
        play.forgetSent();
        play.locate(c.start);
        play.forgetSent(); // what the chase sends is not the point here
        play.playUpTo(c.start);
        EXPECT_EQ(play.handed(), c.played);
    }
}

// Pitch-bend range 2 at the start, a note, and at 96 a data increment or
// decrement of an RPN: the one selected at the start, or one selected there.
TrackBuilder rpnStepAt96(std::initializer_list<std::initializer_list<uint8_t>> at96)
{
    TrackBuilder track;
    track.event(0, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x00})
        .event(0, {0xB0, 0x06, 0x02}).event(0, {0xB0, 0x26, 0x00})
        .event(0, {0x90, 0x3C, 0x64}).event(96, {0x80, 0x3C, 0x40});
    for (const auto& message : at96)
        track.event(0, message);
    track.event(96, {0x90, 0x3E, 0x64}).event(96, {0x80, 0x3E, 0x40}).end();
    return track;
}

TEST(RpnDataStep, IsPlayedAfterItsSelectionAndSavedWithIt)
{
    struct Case {
        const char* name;
        TrackBuilder track;
        std::vector<std::string> at96;
    } cases[] = {
        {"increment of the RPN selected at the start", rpnStepAt96({{0xB0, 0x60, 0x00}}),
         {"90 3C 00", "B0 65 00", "B0 64 00", "B0 60 00"}},
        {"decrement of an RPN selected at 96",
         rpnStepAt96({{0xB0, 0x65, 0x00}, {0xB0, 0x64, 0x01}, {0xB0, 0x61, 0x00}}),
         {"90 3C 00", "B0 65 00", "B0 64 01", "B0 61 00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilePlay play(formatOne({c.track}));
        FilePlay saved(test::songBytes(*play.song));
        for (FilePlay* p : {&play, &saved}) {
            p->locate(0);
            p->playUpTo(95);
            p->forgetSent();
            p->playUpTo(96);
            EXPECT_EQ(p->wire(), c.at96);
        }
    }
}

// Two tracks on channel 1 at 96 ticks per quarter: the first sets volume 40
// at 0 and again at 192, the second 120 at 144, between the two.
SmfBuilder volumeBackOnASharedChannel()
{
    TrackBuilder first;
    first.event(0, {0xB0, 0x07, 40})
        .event(0, {0x90, 0x3C, 0x64}).event(96, {0x80, 0x3C, 0x40})
        .event(0, {0x90, 0x3E, 0x64}).event(96, {0x80, 0x3E, 0x40})
        .event(0, {0xB0, 0x07, 40})
        .event(0, {0x90, 0x40, 0x64}).event(96, {0x80, 0x40, 0x40})
        .end();
    TrackBuilder second;
    second.event(0, {0x90, 0x30, 0x64}).event(96, {0x80, 0x30, 0x40})
        .event(48, {0xB0, 0x07, 120})
        .end();
    SmfBuilder file;
    file.header(1, 3, 96).track(plainConductor()).track(first).track(second);
    return file;
}

// The last volume the channel was sent before the note-on of `key`.
std::string volumeBefore(const FilePlay& play, uint8_t key)
{
    std::string volume = "none";
    for (const std::string& line : play.wire()) {
        if (line == hexText({0x90, key, 0x64}))
            return volume;
        if (line.starts_with("B0 07 "))
            volume = line;
    }
    return "note not played";
}

TEST(SharedChannelRepeat, AVolumeBackAfterAnotherTracksChangeIsPlayedAndSaved)
{
    FilePlay play(volumeBackOnASharedChannel());
    FilePlay saved(test::songBytes(*play.song));
    for (FilePlay* p : {&play, &saved}) {
        p->locate(0);
        p->playUpTo(192);
        EXPECT_EQ(volumeBefore(*p, 0x3E), "B0 07 28");
        EXPECT_EQ(volumeBefore(*p, 0x40), "B0 07 28");
    }
}

} // namespace
} // namespace rz
