// JACK MIDI input against a dummy server of the test's own; alone
// (RUN_SERIAL) for the reason given in midi_jack_out_serial_test.cpp.

#include "platform/midi_jack_in.h"
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

using MidiJackIn = JackServerTest;

// What the input device hands on for events a source sends, one JACK event each.
struct InputCase {
    const char* what;
    std::vector<Bytes> events;
    std::vector<std::string> expected;
};

TEST_F(MidiJackIn, EventsBecomeMessagesPiecesAndNotices)
{
    const Bytes longSysEx = sysEx(2500);
    const std::vector<InputCase> cases = {
        {"a note-on", {{0x90, 0x3C, 0x40}}, {"short 403C90"}},
        {"running status inside one event", {{0x90, 0x3C, 0x40, 0x3E, 0x41}},
         {"short 403C90", "short 413E90"}},
        {"an event without a status byte is dropped", {{0x3C, 0x40}, {0xC1, 0x05}},
         {"short 0005C1"}},
        {"a real-time byte", {{0xF8}}, {"short 0000F8"}},
        {"a long system-exclusive message in pieces", {longSysEx},
         {"piece 1024", "piece 1024", "piece 452 last"}},
        {"a system-exclusive message cut by a status byte", {{0xF0, 0x7E, 0x01, 0x90, 0x3C, 0x40}},
         {"error cut", "short 403C90"}},
        {"a system-exclusive message continued in a second event", {{0xF0, 0x43, 0x10}, {0x4C, 0xF7}},
         {"piece 5 last"}},
    };
    auto client = makeTestClient();
    JackMidiInDevice in(client->outPort(), client->outPort(), MidiDeviceKind::Software);
    MidiInRecorder recorder;
    ASSERT_TRUE(in.open(&recorder)) << in.openError();
    ASSERT_TRUE(in.start());
    for (const InputCase& c : cases) {
        recorder.clear();
        for (const Bytes& event : c.events)
            client->queue(event);
        recorder.waitForCount(c.expected.size(), 5s);
        std::this_thread::sleep_for(20ms); // nothing more may come
        EXPECT_EQ(recorder.summary(), c.expected) << c.what;
    }
    EXPECT_EQ(in.statuslessCount(), 1u);
}

TEST_F(MidiJackIn, StoppedDeviceHandsOnNothingAndRestarts)
{
    auto client = makeTestClient();
    JackMidiInDevice in(client->outPort(), client->outPort(), MidiDeviceKind::Software);
    MidiInRecorder recorder;
    ASSERT_TRUE(in.open(&recorder)) << in.openError();
    client->queue({0x90, 1, 1}); // before start
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(in.start());
    in.stop();
    client->queue({0x90, 2, 1});
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(in.start());
    client->queue({0x90, 3, 1});
    ASSERT_TRUE(recorder.waitForCount(1, 5s));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(recorder.summary(), std::vector<std::string>{"short 010390"});
}

TEST_F(MidiJackIn, NoHandlerCallAfterClose)
{
    auto client = makeTestClient();
    JackMidiInDevice in(client->outPort(), client->outPort(), MidiDeviceKind::Software);
    MidiInRecorder recorder;
    ASSERT_TRUE(in.open(&recorder)) << in.openError();
    ASSERT_TRUE(in.start());
    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        while (feeding.load()) {
            client->queue({0x90, 60, 100});
            std::this_thread::sleep_for(1ms);
        }
    });
    ASSERT_TRUE(recorder.waitForCount(5, 5s));
    in.close();
    const size_t atClose = recorder.calls().size();
    std::this_thread::sleep_for(50ms);
    feeding.store(false);
    feeder.join();
    EXPECT_EQ(recorder.calls().size(), atClose);
    EXPECT_FALSE(in.isOpen());
}

// Blocks in its first call until released, as a slow handler would.
class StallingRecorder : public MidiInRecorder {
public:
    void onShortMessage(uint32_t message, TickTime stamp) override
    {
        std::unique_lock lock(m_mutex);
        if (m_first) {
            m_first = false;
            m_stalled = true;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return m_released; });
        }
        lock.unlock();
        MidiInRecorder::onShortMessage(message, stamp);
    }
    bool waitUntilStalled()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 5s, [&] { return m_stalled; });
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_first = true;
    bool m_stalled = false;
    bool m_released = false;
};

TEST_F(MidiJackIn, FullRingDropsWholeEventsAndCountsThem)
{
    auto client = makeTestClient();
    JackMidiInDevice in(client->outPort(), client->outPort(), MidiDeviceKind::Software);
    StallingRecorder recorder;
    ASSERT_TRUE(in.open(&recorder)) << in.openError();
    ASSERT_TRUE(in.start());
    client->queue({0x90, 0, 1});
    ASSERT_TRUE(recorder.waitUntilStalled());

    constexpr size_t kFlood = 5000; // more than the ring holds
    for (size_t i = 0; i < kFlood; ++i)
        client->queue({0x90, uint8_t(i % 128), 1});
    eventually([&] { return in.droppedCount() + 2048 >= kFlood; });
    recorder.release();

    ASSERT_GT(in.droppedCount(), 0u);
    const size_t expected = 1 + kFlood - size_t(in.droppedCount());
    EXPECT_TRUE(recorder.waitForCount(expected, 5s));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(recorder.calls().size(), expected);
}

} // namespace
} // namespace rz
