#include <gtest/gtest.h>

#include "core/profile.h"
#include "song/track.h"
#include "song/track_ports.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_midi_out.h"
#include "tests/support/fake_synth_lookup.h"

namespace rz {
namespace {

class LookupPortSynthTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine.outputMap = {0, -1, 1};
        engine.ports = {&first, &second};
        profile.writeInt("PortsToUse\\MIDIOUT\\2", "drums", 0x200);
        profile.writeInt("PortsToUse\\MIDIOUT\\2", "synth", 5);
        profile.writeString("PortsToUse\\MIDIOUT\\2", "port", "GM Synth");
        synths.technologies[5] = 3;
    }

    MemoryProfile profile;
    FakeEngineLink engine;
    FakeMidiOut first, second;
    FakeSynthLookup synths;
    CTrack track;
};

TEST_F(LookupPortSynthTest, ReadsTheEntryAndResolvesTheOpenPort)
{
    track.port = 2;
    LookupPortSynth(track, profile, engine, &synths);
    EXPECT_EQ(track.outputPort, &second);
    EXPECT_EQ(track.drums, 0x200);
    EXPECT_EQ(track.synth, 5);
    EXPECT_EQ(track.portName, "GM Synth");
    EXPECT_EQ(track.technology, 3);
}

TEST_F(LookupPortSynthTest, ClosedMissingOrNegativePortsGiveNone)
{
    for (int port : {1, 3, 99, -1}) {
        track.port = port;
        track.outputPort = &first;
        LookupPortSynth(track, profile, engine, &synths);
        EXPECT_EQ(track.outputPort, nullptr) << port;
        EXPECT_EQ(track.synth, -1) << port;
        EXPECT_EQ(track.drums, 0) << port;
        EXPECT_EQ(track.portName, "") << port;
        EXPECT_EQ(track.technology, 8) << port;
    }
}

TEST_F(LookupPortSynthTest, UnknownSynthOrNoTableGivesDefaultTechnology)
{
    track.port = 0;
    profile.writeInt("PortsToUse\\MIDIOUT\\0", "synth", 9);
    LookupPortSynth(track, profile, engine, &synths);
    EXPECT_EQ(track.outputPort, &first);
    EXPECT_EQ(track.technology, 8);
    track.port = 2;
    LookupPortSynth(track, profile, engine, nullptr);
    EXPECT_EQ(track.technology, 8);
}

TEST_F(LookupPortSynthTest, WaveformTrackGetsNoPort)
{
    track.type = kWaveTrack;
    track.port = 2;
    track.outputPort = &first;
    LookupPortSynth(track, profile, engine, &synths);
    EXPECT_EQ(track.outputPort, nullptr);
    EXPECT_EQ(engine.log.count("openOutPort"), 0u);
}

} // namespace
} // namespace rz
