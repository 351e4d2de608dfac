// JACK MIDI output against a dummy server of the test's own. JACK tests run
// alone (RUN_SERIAL): two clients of one name opening at once on two servers
// break each other's sockets, and every process names its client the same.

#include "platform/midi_jack_in.h"
#include "platform/midi_jack_out.h"
#include "tests/platform/midi_in_recorder.h"
#include "tests/platform/midi_jack_fixture.h"
#include "tests/platform/midi_test_bytes.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;
using namespace test_bytes;

using MidiJackOut = JackServerTest;
using MidiJackLoopback = JackServerTest;
using MidiJackServerLoss = JackServerTest;

TEST_F(MidiJackLoopback, HundredShortMessagesComeBackByteExactAndInOrder)
{
    auto client = makeTestClient();
    client->setEcho(true);
    JackMidiOutDevice out(client->inPort(), client->inPort(), MidiDeviceKind::Software);
    JackMidiInDevice in(client->outPort(), client->outPort(), MidiDeviceKind::Software);
    MidiInRecorder recorder;
    ASSERT_TRUE(out.open()) << out.openError();
    ASSERT_TRUE(in.open(&recorder)) << in.openError();
    ASSERT_TRUE(in.start());

    std::vector<Bytes> sent;
    for (int i = 0; i < 100; ++i) {
        sent.push_back(shortMessage(i));
        out.sendShort(sent.back());
    }
    ASSERT_TRUE(recorder.waitForCount(100, 5s));

    const auto reached = client->received();
    ASSERT_EQ(reached.size(), 100u);
    const auto back = recorder.calls();
    ASSERT_EQ(back.size(), 100u);
    for (size_t i = 0; i < 100; ++i) {
        EXPECT_EQ(reached[i].bytes, sent[i]) << "message " << i;
        EXPECT_EQ(back[i].kind, MidiInRecorder::Call::Short) << "message " << i;
        EXPECT_EQ(back[i].message, packed(sent[i])) << "message " << i;
    }
    EXPECT_EQ(out.droppedCount(), 0u);
    EXPECT_EQ(in.droppedCount(), 0u);
}

TEST_F(MidiJackOut, KilobyteSysExArrivesWholeAndIsReportedDelivered)
{
    auto client = makeTestClient();
    JackMidiOutDevice out(client->inPort(), client->inPort(), MidiDeviceKind::Software);
    ASSERT_TRUE(out.open()) << out.openError();
    const Bytes message = sysEx(1024);
    out.sendShort(Bytes{0x90, 60, 100});
    EXPECT_EQ(out.sendLong(message, 5000ms), LongSendResult::Delivered);
    out.sendShort(Bytes{0x80, 60, 0});
    ASSERT_TRUE(client->waitForCount(3, 5s));
    const auto reached = client->received();
    ASSERT_EQ(reached.size(), 3u);
    EXPECT_EQ(reached[0].bytes, (Bytes{0x90, 60, 100}));
    EXPECT_EQ(reached[1].bytes, message);
    EXPECT_EQ(reached[2].bytes, (Bytes{0x80, 60, 0}));
}

TEST_F(MidiJackOut, SysExOverTheLargestEventIsRefusedAndNothingArrives)
{
    auto client = makeTestClient();
    JackMidiOutDevice out(client->inPort(), client->inPort(), MidiDeviceKind::Software);
    ASSERT_TRUE(out.open()) << out.openError();
    const size_t largest = out.maxLongMessageBytes();
    ASSERT_GT(largest, 1024u);

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(out.sendLong(sysEx(largest + 1), 5000ms), LongSendResult::Failed);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    EXPECT_EQ(out.sendLong(sysEx(largest), 5000ms), LongSendResult::Delivered);
    // A marker after it: once it has arrived, so has everything sent before.
    out.sendShort(Bytes{0x9F, 0x7F, 0x7F});
    ASSERT_TRUE(client->waitForCount(2, 5s));
    const auto reached = client->received();
    ASSERT_EQ(reached.size(), 2u);
    EXPECT_EQ(reached[0].bytes.size(), largest);
    EXPECT_EQ(reached[1].bytes, (Bytes{0x9F, 0x7F, 0x7F}));
}

TEST_F(MidiJackOut, ClosedDeviceSendsNothing)
{
    auto client = makeTestClient();
    JackMidiOutDevice out(client->inPort(), client->inPort(), MidiDeviceKind::Software);
    ASSERT_TRUE(out.open()) << out.openError();
    out.close();
    EXPECT_FALSE(out.isOpen());
    out.sendShort(Bytes{0x90, 60, 100});
    EXPECT_EQ(out.sendLong(sysEx(16), 1000ms), LongSendResult::Failed);
    // It opens again; what it sends then is the first to arrive (unless the
    // server ran its cycle without the test client).
    ASSERT_TRUE(out.open()) << out.openError();
    const uint64_t disturbances = client->disturbances();
    out.sendShort(Bytes{0x90, 61, 100});
    if (!client->waitForCount(1, 5s) && client->disturbances() != disturbances)
        return;
    ASSERT_EQ(client->received().size(), 1u);
    EXPECT_EQ(client->received()[0].bytes, (Bytes{0x90, 61, 100}));
}

TEST_F(MidiJackOut, OpenFailsWithTheReasonForAMissingDestination)
{
    JackMidiOutDevice out("nobody:nothing", "nobody:nothing", MidiDeviceKind::Software);
    EXPECT_FALSE(out.open());
    EXPECT_FALSE(out.isOpen());
    EXPECT_NE(out.openError().find("nobody:nothing"), std::string::npos) << out.openError();
}

TEST_F(MidiJackServerLoss, SendsFailAtOnceAfterTheServerIsKilled)
{
    auto client = makeTestClient();
    JackMidiOutDevice out(client->inPort(), client->inPort(), MidiDeviceKind::Software);
    ASSERT_TRUE(out.open()) << out.openError();
    client.reset();
    m_server->stop(); // SIGTERM

    ASSERT_TRUE(eventually([&] { return !out.isOpen(); })) << "the device never noticed the server go";
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(out.sendLong(sysEx(16), 5000ms), LongSendResult::Failed);
    out.sendShort(Bytes{0x90, 60, 100});
    EXPECT_LT(std::chrono::steady_clock::now() - started, 100ms);
    out.close();
}

TEST_F(MidiJackServerLoss, WaitingLongSendFailsWhenTheServerGoes)
{
    auto client = makeTestClient();
    JackMidiOutDevice out(client->inPort(), client->inPort(), MidiDeviceKind::Software);
    ASSERT_TRUE(out.open()) << out.openError();
    client.reset();
    // Stop the server's cycles first, so that the message can only wait.
    ASSERT_EQ(::kill(m_server->pid(), SIGSTOP), 0);
    // Paces the stopped server: a cycle under way when it stopped ends.
    std::this_thread::sleep_for(50ms);
    std::thread killer([&] {
        // Paces the stand-in user: the send is waiting when the server goes.
        std::this_thread::sleep_for(200ms);
        m_server->stop();
    });
    const auto started = std::chrono::steady_clock::now();
    const LongSendResult result = out.sendLong(sysEx(16), 5000ms);
    const auto waited = std::chrono::steady_clock::now() - started;
    killer.join();
    // The server may run a last cycle on its way out, which delivers it.
    EXPECT_NE(result, LongSendResult::TimedOut);
    EXPECT_LT(waited, 4s);
}

TEST_F(MidiJackOut, TimedOutSysExIsNeverSentLater)
{
    auto client = makeTestClient();
    JackMidiOutDevice out(client->inPort(), client->inPort(), MidiDeviceKind::Software);
    ASSERT_TRUE(out.open()) << out.openError();
    ASSERT_EQ(::kill(m_server->pid(), SIGSTOP), 0); // no cycles: nothing can go out
    // Paces the stopped server: a cycle under way when it stopped ends.
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(out.sendLong(sysEx(64), 200ms), LongSendResult::TimedOut);
    ASSERT_EQ(::kill(m_server->pid(), SIGCONT), 0);
    // A resumed server may run its first cycles without one of the clients:
    // a first marker is sent until one arrives, so the cycles carry again.
    bool carrying = false;
    for (int i = 0; i < 10 && !carrying; ++i) {
        const size_t before = client->received().size();
        out.sendShort(Bytes{0x9F, 0x7E, 0x7F});
        carrying = client->waitForCount(before + 1, 2s);
    }
    ASSERT_TRUE(carrying) << "the resumed server never carried a message";

    const size_t base = client->received().size();
    out.sendShort(Bytes{0x90, 60, 100});
    // A marker after it: once it has arrived, so has everything sent before.
    out.sendShort(Bytes{0x9F, 0x7F, 0x7F});
    ASSERT_TRUE(client->waitForCount(base + 2, 5s));
    const auto reached = client->received();
    for (const auto& each : reached)
        EXPECT_NE(each.bytes.front(), 0xF0) << "the abandoned message went out after all";
    ASSERT_GE(reached.size(), base + 2);
    EXPECT_EQ(reached[base].bytes, (Bytes{0x90, 60, 100}));
    EXPECT_EQ(out.sendLong(sysEx(64), 5000ms), LongSendResult::Delivered);
}

TEST_F(MidiJackOut, FullQueueDropsAndCounts)
{
    auto client = makeTestClient();
    JackMidiOutDevice out(client->inPort(), client->inPort(), MidiDeviceKind::Software);
    ASSERT_TRUE(out.open()) << out.openError();
    const TickTime later = std::chrono::steady_clock::now() + 10s; // held in the queue
    for (int i = 0; i < 1100; ++i)
        out.sendShort(Bytes{0x90, 60, 100}, later);
    EXPECT_EQ(out.droppedCount(), 1100u - 1024u);
}

} // namespace
} // namespace rz
