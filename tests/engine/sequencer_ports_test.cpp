// The engine's operations on every port: synthesizer resets from the
// database, the click patch, the master volume, state resends and the
// silencing stop.

#include "engine/synthdb/synth_db.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/engine/synthdb/synth_db_fixture.h"
#include "tests/support/lock_holder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;

const std::string kGmOn = "F0 7E 7F 09 01 F7";

bool sent(RecordingMidiDevice& device, const std::string& hex)
{
    const std::vector<std::string> all = device.sentHex();
    return std::find(all.begin(), all.end(), hex) != all.end();
}

class SequencerPortOps : public SequencerTest {
protected:
    void mapPort(int entry, const std::string& name, int synth)
    {
        const std::string section = "PortsToUse\\MIDIOUT\\" + std::to_string(entry);
        profile.writeString(section, "port", name);
        profile.writeInt(section, "synth", synth);
    }

    // A song with one user track on output entry 0, channel 1.
    CTrack& makeSongWithTrack()
    {
        CSongDoc& doc = makeSong();
        auto track = std::make_unique<CTrack>();
        track->port = 0;
        track->channel = 0;
        track->outputPort = sequencer->openOutPort(sequencer->outputMapEntry(0));
        CTrack& added = *track;
        doc.tracks.insert(doc.tracks.begin() + 1, std::move(track));
        return added;
    }
};

TEST_F(SequencerPortOps, SynthResetsReadTheDatabaseOncePerPortAndSendGmOn)
{
    SynthDbTempDir folder;
    const auto database = SynthDatabase::open(folder.file(), prompt);
    ASSERT_FALSE(database->inMemory());
    devices.addOutput("GM module");
    devices.addOutput("Unknown module");
    mapPort(0, "GM module", 33);
    mapPort(1, "Unknown module", 999);
    mapPort(2, "GM module", 33);
    make({}, &database->lookup()).Init();
    output("GM module").clear();
    output("Unknown module").clear();

    sequencer->SendSynthResets();
    const std::vector<std::string> gm = output("GM module").sentHex();
    EXPECT_EQ(std::count(gm.begin(), gm.end(), kGmOn), 1);
    EXPECT_TRUE(output("Unknown module").sentHex().empty()) << "only the cache is reset";
}

TEST_F(SequencerPortOps, InitSendsTheResetAndSelectsTheClickPatchOnTheClickPort)
{
    devices.addOutput("GM module");
    mapPort(0, "GM module", 33);
    profile.writeInt("ClickOptions", "Patch", 5);
    const auto database = SynthDatabase::openInMemory();
    make({}, &database->lookup()).Init();
    const std::vector<std::string> all = output("GM module").sentHex();
    const auto reset = std::find(all.begin(), all.end(), kGmOn);
    ASSERT_NE(reset, all.end());
    EXPECT_NE(std::find(reset, all.end(), "C9 05"), all.end()) << "program 5 on channel 10";
}

TEST_F(SequencerPortOps, MidiResetLocatesTheCurrentSongToItsPosition)
{
    devices.addOutput("GM module");
    make().Init();
    CSongDoc& doc = makeSong();
    doc.setPosition(100000); // past the last measure: locate lands on its start
    sequencer->ReapplyPortSettings();
    EXPECT_EQ(doc.position(), doc.measureMap.back().start);
}

TEST_F(SequencerPortOps, ClickDeviceOutsideTheMapSelectsNothing)
{
    devices.addOutput("GM module");
    profile.writeInt("ClickOptions", "Device", 3);
    make().Init();
    output("GM module").clear();
    sequencer->SelectClickPatch();
    EXPECT_TRUE(output("GM module").sentHex().empty());
}

TEST_F(SequencerPortOps, MasterVolumeRescalesEveryTrackVolumeAndIsClamped)
{
    devices.addOutput("Synth");
    make().Init();
    makeSongWithTrack();
    output("Synth").clear();

    const struct {
        int volume;
        int stored;
        const char* cc7;
    } cases[] = {{8192, 8192, "B0 07 32"}, {20000, 16383, "B0 07 64"}, {-1, 0, "B0 07 00"}};
    for (const auto& c : cases) {
        sequencer->SetMasterVolume(c.volume);
        EXPECT_EQ(sequencer->masterVolume(), c.stored) << c.volume;
        EXPECT_EQ(output("Synth").sentHex().back(), c.cc7) << c.volume;
    }
    EXPECT_DOUBLE_EQ(audio.gains.front(), 8192.0 / 16383.0);
}

TEST_F(SequencerPortOps, MasterVolumeWhoseSongMutexWaitTimesOutIsResentAtTheNextIdleTick)
{
    devices.addOutput("Synth");
    SequencerOptions options;
    options.lockWait = 20ms;
    make(options).Init();
    makeSongWithTrack();
    output("Synth").clear();
    LockHolder holder(SongMutex());
    sequencer->SetMasterVolume(4096);
    EXPECT_EQ(sequencer->masterVolume(), 4096);
    EXPECT_TRUE(output("Synth").sentHex().empty()) << "no track walk without the lock";
    holder.release();

    timer.advance(4);
    EXPECT_EQ(output("Synth").sentHex(), std::vector<std::string>{"B0 07 19"});
    timer.advance(4 * 10);
    EXPECT_EQ(output("Synth").sentHex().size(), 1u) << "resent once";
}

TEST_F(SequencerPortOps, ResendPortStatesSendsTheCachedStateAgain)
{
    devices.addOutput("Synth");
    make().Init();
    COutPort& port = *sequencer->ports()->outputs[0];
    port.SendShort(0x005B03B0); // controller 3 = 91 on channel 1
    output("Synth").clear();
    sequencer->ResendPortStates();
    EXPECT_TRUE(sent(output("Synth"), "B0 03 5B"));
}

TEST_F(SequencerPortOps, StopSilencesSoundingNotesAndSetsStopped)
{
    devices.addOutput("Synth");
    make().Init();
    sequencer->openOutPort(0)->SendShort(0x01403C90); // note 60 from track 1
    sequencer->setTransportState(TransportState::Playing);
    output("Synth").clear();
    sequencer->Stop(false);
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
    EXPECT_FALSE(output("Synth").sentHex().empty());
    output("Synth").clear();
    sequencer->Stop(false);
    EXPECT_TRUE(output("Synth").sentHex().empty()) << "nothing more when stopped";
}

TEST_F(SequencerPortOps, SongPositionGoesToEveryPortOrToTheSyncPort)
{
    devices.addOutput("A");
    devices.addOutput("B");
    mapPort(0, "A", 33);
    mapPort(1, "B", 33);
    const struct {
        int syncPort;
        bool toA;
        bool toB;
    } cases[] = {{0, true, true}, {2, false, true}, {1, true, false}, {9, false, false}};
    for (const auto& c : cases) {
        TearDown();
        profile.writeInt("SyncOptions", "Port", c.syncPort);
        make().Init();
        sequencer->SendSongPosition(2330); // 0x91A
        EXPECT_EQ(sent(output("A"), "F2 1A 12"), c.toA) << "sync port " << c.syncPort;
        EXPECT_EQ(sent(output("B"), "F2 1A 12"), c.toB) << "sync port " << c.syncPort;
    }
}

TEST_F(SequencerPortOps, PreviewVelocityDefaultsToZeroAndIsKeptInRange)
{
    make();
    EXPECT_EQ(sequencer->previewVelocity(), 0);
    sequencer->setPreviewVelocity(90);
    EXPECT_EQ(sequencer->previewVelocity(), 90);
    sequencer->setPreviewVelocity(300);
    EXPECT_EQ(sequencer->previewVelocity(), 127);
}

} // namespace
} // namespace rz
