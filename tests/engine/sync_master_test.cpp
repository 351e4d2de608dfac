// The engine as synchronisation master, on the manual timer (2 ms ticks):
// MIDI clock with song position, start, continue and stop, and MIDI time
// code. Songs: 120 ticks per quarter at 120 per minute.

#include "tests/engine/transport_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rz {
namespace {

using test::note;

class SyncMaster : public TransportTest {
protected:
    void syncOptions(int role, int protocol, int port = 0, int rate = 3)
    {
        profile.writeInt("SyncOptions", "MasterSlave", role);
        profile.writeInt("SyncOptions", "Protocol", protocol);
        profile.writeInt("SyncOptions", "Port", port);
        profile.writeInt("SyncOptions", "SMPTE", rate);
    }

    // A song of eight bars (3840 ticks) on "Synth".
    CSongDoc& eightBars() { return makeSongWith({note(3780, 60, 90, 30)}); }

    // The system messages "Synth" received, in order.
    std::vector<std::string> systemSent()
    {
        std::vector<std::string> system;
        for (const std::string& message : synthSent()) {
            if (message[0] == 'F')
                system.push_back(message);
        }
        return system;
    }
};

TEST_F(SyncMaster, FourBarsOfFourFourSendThreeHundredAndEightyFourClocks)
{
    syncOptions(1, 0);
    init();
    eightBars();
    startAt(0);
    ASSERT_TRUE(runUntilPosition(1920));
    EXPECT_EQ(countOf(synthSent(), "F8"), 384u);
    ASSERT_TRUE(runUntilPosition(3800));
    EXPECT_EQ(countOf(synthSent(), "F8"), 760u) << "a clock every 5 ticks, from tick 0 on";
}

TEST_F(SyncMaster, AStartSendsTheSongPositionThenStartOrContinueThenClocks)
{
    const struct {
        int32_t start;
        std::vector<std::string> first; // the first system messages
    } cases[] = {
        {0, {"F2 00 00", "FA", "F8"}},
        {480, {"F2 10 00", "FB", "F8"}},   // 16 sixteenths
        {3600, {"F2 78 00", "FB", "F8"}},  // 120 sixteenths
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        TearDown();
        syncOptions(1, 0);
        init();
        eightBars();
        startAt(c.start);
        std::vector<std::string> sent = systemSent();
        sent.resize(std::min(sent.size(), c.first.size()));
        EXPECT_EQ(sent, c.first);
    }
}

TEST_F(SyncMaster, SongPositionStartsFromZeroContinuesElsewhereAndStopsARunningReceiverFirst)
{
    syncOptions(1, 0);
    init();
    sequencer->SendSongPosition(5);
    EXPECT_EQ(systemSent(), (std::vector<std::string>{"F2 05 00"})) << "stopped: the position only";
    output("Synth").clear();

    sequencer->setTransportState(TransportState::Starting);
    sequencer->SendSongPosition(0);
    EXPECT_EQ(systemSent(), (std::vector<std::string>{"F2 00 00", "FA"}));
    output("Synth").clear();

    sequencer->setTransportState(TransportState::Stopped);
    sequencer->SendSongPosition(300); // 0x12C
    EXPECT_EQ(systemSent(), (std::vector<std::string>{"FC", "F2 2C 02", "FB"}))
        << "a started receiver is stopped, moved and continued";
}

TEST_F(SyncMaster, StopGoesOnlyAfterAStartAsMasterWithMidiClock)
{
    const struct {
        int role;
        int protocol;
        bool started;
        bool stop;
    } cases[] = {
        {1, 0, true, true},  {1, 0, false, false}, {1, 1, true, false},
        {2, 0, true, false}, {0, 0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "role " << c.role << " protocol " << c.protocol
                                        << " started " << c.started);
        TearDown();
        syncOptions(c.role, c.protocol);
        init();
        if (c.started)
            sequencer->SendSyncStart(false);
        output("Synth").clear();
        sequencer->SendSyncStop();
        EXPECT_EQ(countOf(synthSent(), "FC"), c.stop ? 1u : 0u);
        sequencer->SendSyncStop();
        EXPECT_EQ(countOf(synthSent(), "FC"), c.stop ? 1u : 0u) << "one Stop per Start";
    }
}

TEST_F(SyncMaster, StopCommandSendsMidiStopAfterPlaying)
{
    syncOptions(1, 0);
    init();
    eightBars();
    startAt(0);
    runTicks(50);
    sequencer->Stop(false);
    const std::vector<std::string> sent = systemSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "FC");
    EXPECT_FALSE(sequencer->syncStarted());
}

TEST_F(SyncMaster, ClockGoesToTheSyncPortOrEveryPort)
{
    devices.addOutput("Synth");
    devices.addOutput("Other");
    profile.writeString("PortsToUse\\MIDIOUT\\0", "port", "Synth");
    profile.writeString("PortsToUse\\MIDIOUT\\1", "port", "Other");
    const struct {
        int port;
        bool toSynth;
        bool toOther;
    } cases[] = {{0, true, true}, {1, true, false}, {2, false, true}, {9, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        TearDown();
        syncOptions(1, 0, c.port);
        init();
        sequencer->SendSyncClock();
        EXPECT_EQ(countOf(output("Synth").sentHex(), "F8"), c.toSynth ? 1u : 0u);
        EXPECT_EQ(countOf(output("Other").sentHex(), "F8"), c.toOther ? 1u : 0u);
    }
}

class SyncMasterTimeCode : public SyncMaster {
protected:
    // The quarter frames "Synth" received, in order.
    std::vector<std::string> quarterFrames()
    {
        std::vector<std::string> pieces;
        for (const std::string& message : synthSent()) {
            if (message.rfind("F1 ", 0) == 0)
                pieces.push_back(message);
        }
        return pieces;
    }

    // Plays from 0 with the song's SMPTE offset at 01:00:00:00, 25 fps.
    void playFromOneHour(int rate)
    {
        syncOptions(1, 1, 0, rate);
        init();
        eightBars();
        song->smpteOffset = CSmpteTime::fromFields(kSmpteRate25, 1, 0, 0, 0, 0);
        startAt(0);
    }
};

TEST_F(SyncMasterTimeCode, QuarterFramesForOneHourAtTwentyFiveFramesAreExact)
{
    playFromOneHour(kSmpteRate25);
    runTicks(100); // 0.2 s: 20 quarter frames
    std::vector<std::string> pieces = quarterFrames();
    ASSERT_GE(pieces.size(), 16u);
    pieces.resize(16);
    EXPECT_EQ(pieces, (std::vector<std::string>{
                          "F1 00", "F1 10", "F1 20", "F1 30", "F1 40", "F1 50", "F1 61", "F1 72",
                          "F1 02", "F1 10", "F1 20", "F1 30", "F1 40", "F1 50", "F1 61", "F1 72"}));
    EXPECT_EQ(countOf(synthSent(), "F0 7F 00 01 01 21 00 00 00 F7"), 1u)
        << "the start's locate sends the full frame";
}

TEST_F(SyncMasterTimeCode, MillisecondRateGoesOutAsThirtyFramesNonDrop)
{
    playFromOneHour(kSmpteRateMs);
    runTicks(499); // one second of song time after the start's tick
    const std::vector<std::string> pieces = quarterFrames();
    EXPECT_EQ(pieces.size(), 120u) << "four pieces per frame at 30 fps";
    ASSERT_GE(pieces.size(), 8u);
    EXPECT_EQ(pieces[7], "F1 76");
    EXPECT_EQ(countOf(synthSent(), "F0 7F 00 01 01 61 00 00 00 F7"), 1u);
}

} // namespace
} // namespace rz
