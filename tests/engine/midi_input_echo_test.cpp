// The echo of MIDI input to the thru tracks, the hardware thru, and the
// notes the echo leaves sounding.

#include "tests/engine/midi_input_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <ostream>
#include <string>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;

struct EchoCase {
    const char* name;
    uint32_t played;
    std::vector<std::string> sent;
    int key = 0;                 // the track's transposition
    uint32_t mask = 0;           // its pitch-class correction
    int channel = 0;             // its output channel
    int inputChannel = -1;
    int eventFilter = 0xDB00;
};

void PrintTo(const EchoCase& c, std::ostream* out)
{
    *out << c.name;
}

const EchoCase kEchoCases[] = {
    {"a note goes out on the track's channel", 0x643C90, {"95 3C 64"}, 0, 0, 5},
    {"key pressure is dropped by the default filter 0xDB00", 0x403CA0, {}},
    {"channel pressure is dropped by the default filter", 0x40D0, {}},
    {"key pressure passes a filter with bit 10", 0x403CA0, {"A0 3C 40"}, 0, 0, 0, -1, 0xDF00},
    {"+12 on key 120 folds back to 120", 0x647890, {"90 78 64"}, 12},
    {"-12 on key 5 folds back to 5", 0x640590, {"90 05 64"}, -12},
    {"+2 on key 60 gives 62", 0x643C90, {"90 3E 64"}, 2},
    {"key pressure is transposed too", 0x403CA0, {"A0 3E 40"}, 2, 0, 0, -1, 0xDF00},
    {"a controller is not transposed", 0x403CB0, {"B0 3C 40"}, 2},
    {"the lower bit of C moves C down", 0x643C90, {"90 3B 64"}, 0, 0x1},
    {"the upper bit of C moves C up", 0x643C90, {"90 3D 64"}, 0, 0x2},
    {"a D bit leaves C alone", 0x643C90, {"90 3C 64"}, 0, 0x1u << 4},
    {"a D bit moves D", 0x643E90, {"90 3D 64"}, 0, 0x1u << 4},
    {"the correction comes before the transposition", 0x643C90, {"90 47 64"}, 12, 0x1},
    {"another input channel is not echoed", 0x643C90, {}, 0, 0, 0, 2},
    {"the track's input channel is echoed", 0x643C92, {"90 3C 64"}, 0, 0, 0, 2},
};

class MidiInputEcho : public MidiInputTest, public ::testing::WithParamInterface<EchoCase> {};

TEST_P(MidiInputEcho, SendsWhatTheTrackMakesOfTheMessage)
{
    const EchoCase& c = GetParam();
    profile.writeInt("RecordOptions", "EventFilter", c.eventFilter);
    start();
    makeArmedSong();
    CTrack& track = addThruTrack(c.channel, c.key);
    track.pitchClassCorrection = c.mask;
    track.inputChannel = c.inputChannel;
    rebuildThru();
    play(c.played);
    EXPECT_EQ(synthSent(), c.sent);
}

INSTANTIATE_TEST_SUITE_P(MidiInput, MidiInputEcho, ::testing::ValuesIn(kEchoCases));

class MidiInputThru : public MidiInputTest {};

TEST_F(MidiInputThru, SendsEveryMessageUnchangedToTheThruPortWithItsArrivalStamp)
{
    devices.addOutput("Synth");
    devices.addOutput("Thru box");
    profile.writeString("PortsToUse\\MIDIOUT\\1", "port", "Thru box");
    profile.writeString("PortsToUse\\MIDIOUT\\0", "port", "Synth");
    profile.writeString("MIDIInPorts", "Keyboard", "Thru box");
    start();
    makeArmedSong();
    addThruTrack(3, 12);
    const TickTime arrival = std::chrono::steady_clock::now() - 5ms;
    ASSERT_TRUE(keyboard().inject(0x643C90, arrival));
    ASSERT_TRUE(keyboard().inject(0xF8, arrival));

    EXPECT_EQ(output("Thru box").sentHex(), (std::vector<std::string>{"90 3C 64", "F8"}));
    EXPECT_EQ(synthSent(), std::vector<std::string>{"93 48 64"});
    for (const auto& message : output("Thru box").messages())
        EXPECT_EQ(message.stamp, arrival);
    EXPECT_EQ(output("Synth").messages().front().stamp, arrival);
}

TEST_F(MidiInputThru, EchoesOnlyToTracksWhoseInputEntryNamesTheSource)
{
    profile.writeString("PortsToUse", "MIDIIN0", "Keyboard");
    profile.writeString("PortsToUse", "MIDIIN1", "Pads");
    start({"Keyboard", "Pads"});
    ASSERT_TRUE(sequencer->input(1).Open());
    makeArmedSong();
    CTrack& padsTrack = addThruTrack(9);
    padsTrack.inputDevice = 1;
    addThruTrack(0);
    rebuildThru();

    ASSERT_TRUE(inputs.input("Pads").inject(0x642490));
    ASSERT_TRUE(keyboard().inject(0x643C90));
    EXPECT_EQ(synthSent(), (std::vector<std::string>{"99 24 64", "90 3C 64"}));
}

TEST_F(MidiInputThru, PreviewFromAViewMatchesEveryInputEntry)
{
    start();
    makeArmedSong();
    CTrack& track = addThruTrack(4);
    track.inputDevice = 7;
    rebuildThru();
    sequencer->EchoMidiIn(nullptr, 0x643C90);
    EXPECT_EQ(synthSent(), std::vector<std::string>{"94 3C 64"});
}

// What the piano roll reads through IRecordLink: the thru tracks' numbers
// and transpositions from the published list, and previews through the echo.
TEST_F(MidiInputThru, ViewsReadTheThruTracksKeysAndPreviewThroughTheEcho)
{
    start();
    makeArmedSong();
    addThruTrack(2, 0);
    addThruTrack(3, 12);
    IRecordLink& link = *sequencer;
    std::vector<ThruTrackKey> keys = link.thruTrackKeys();
    std::sort(keys.begin(), keys.end(),
              [](const ThruTrackKey& a, const ThruTrackKey& b) { return a.number < b.number; });
    EXPECT_EQ(keys, (std::vector<ThruTrackKey>{{1, 0}, {2, 12}}));
    sequencer->setPreviewVelocity(90);
    EXPECT_EQ(link.previewVelocity(), 90);
    link.previewNote(0x5A3C90);
    link.previewNote(0x3C90);
    std::vector<std::string> sent = synthSent();
    std::sort(sent.begin(), sent.end());
    EXPECT_EQ(sent, (std::vector<std::string>{"92 3C 00", "92 3C 5A", "93 48 00", "93 48 5A"}));
}

class MidiInputHeldNotes : public MidiInputTest {};

TEST_F(MidiInputHeldNotes, AnEchoedNoteHeldWhileTheThruTracksChangeIsEnded)
{
    start();
    makeArmedSong();
    CTrack& first = addThruTrack(0);
    play(0x643C90);
    first.recordArm = 0;
    addThruTrack(1);
    EXPECT_EQ(synthSent(), (std::vector<std::string>{"90 3C 64", "90 3C 00"}));

    play(0x403C80);
    play(0x644090);
    EXPECT_EQ(synthSent().back(), "91 40 64");
}

TEST_F(MidiInputHeldNotes, AnEchoedNoteHeldAtStopIsEnded)
{
    start();
    makeArmedSong();
    addThruTrack(2);
    startAt(0);
    play(0x643C90);
    sequencer->Stop(false);
    const std::vector<std::string> sent = synthSent();
    EXPECT_EQ(countOf(sent, "92 3C 64"), 1u);
    EXPECT_EQ(countOf(sent, "92 3C 00"), 1u);
}

TEST_F(MidiInputHeldNotes, AnEchoedControllerReachesThePortsCache)
{
    start();
    makeArmedSong();
    addThruTrack(6);
    play(0x5A07B0);
    EXPECT_EQ(sequencer->openOutPort(0)->controllerValue(6, 7), 0x5A);
}

class MidiInputStepRecording : public MidiInputTest {};

TEST_F(MidiInputStepRecording, APlayedNoteOnStepsOnOnlyWithoutShift)
{
    profile.writeInt("RecordOptions", "Mode", 1);
    start();
    makeArmedSong();
    addThruTrack();
    sequencer->Record();
    ASSERT_EQ(sequencer->transportState(), TransportState::Paused);

    play(0x643C90);
    play(0x403C80);
    EXPECT_EQ(countOf(guiCalls(), "playCue()"), 1u);
    sequencer->publishedValues().setShiftHeld(true);
    play(0x643E90);
    EXPECT_EQ(countOf(guiCalls(), "playCue()"), 1u);
    sequencer->Stop(true);
    EXPECT_FALSE(sequencer->recording());
}

} // namespace
} // namespace rz
