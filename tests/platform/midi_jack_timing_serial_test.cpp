// Timing of JACK MIDI output against a dummy server. These measure frames
// against wall time, and like every JACK test run alone (RUN_SERIAL).

#include "platform/midi_jack_out.h"
#include "tests/platform/midi_jack_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using MidiJackTiming = JackServerTest;

// JACK frames of a steady-clock moment, through the server's clock.
int64_t framesAt(jack_client_t* client, TickTime stamp)
{
    const auto stampUs =
        std::chrono::duration_cast<std::chrono::microseconds>(stamp.time_since_epoch()).count();
    const auto nowUs = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    const jack_time_t jackUs = jack_get_time() + (stampUs - nowUs);
    return jack_time_to_frames(client, jackUs);
}

TEST_F(MidiJackTiming, SendsStampedHalfASecondApartArrive22050FramesApart)
{
    auto client = makeTestClient();
    JackMidiOutDevice out(client->inPort(), client->inPort(), MidiDeviceKind::Software);
    ASSERT_TRUE(out.open()) << out.lastError();

    // Stamps in the future wait in the queue for their cycle.
    const TickTime first = std::chrono::steady_clock::now() + 100ms;
    std::vector<TickTime> stamps;
    for (int i = 0; i < 4; ++i) {
        stamps.push_back(first + i * 500ms);
        out.sendShort(Bytes{0x90, uint8_t(60 + i), 100}, stamps.back());
    }
    ASSERT_TRUE(client->waitForCount(4, 5s));
    const auto reached = client->received();
    for (size_t i = 1; i < reached.size(); ++i) {
        const int64_t spacing = int64_t(reached[i].frame) - int64_t(reached[i - 1].frame);
        EXPECT_NEAR(spacing, 22050, 100) << "between sends " << i - 1 << " and " << i;
    }
    // The latency is one period, whatever the stamp.
    for (size_t i = 0; i < reached.size(); ++i) {
        const int64_t latency = int64_t(reached[i].frame) - framesAt(client->handle(), stamps[i]);
        EXPECT_NEAR(latency, int64_t(JackServer::kPeriodFrames), 64) << "send " << i;
    }
}

TEST_F(MidiJackTiming, SpacingOfStampsSurvivesSendingLate)
{
    auto client = makeTestClient();
    JackMidiOutDevice out(client->inPort(), client->inPort(), MidiDeviceKind::Software);
    ASSERT_TRUE(out.open()) << out.lastError();

    // Sent together, but stamped 10 ms apart as a timer tick would stamp them.
    const TickTime stamp = std::chrono::steady_clock::now();
    out.sendShort(Bytes{0x90, 60, 100}, stamp);
    out.sendShort(Bytes{0x90, 61, 100}, stamp + 10ms);
    ASSERT_TRUE(client->waitForCount(2, 5s));
    const auto reached = client->received();
    EXPECT_NEAR(int64_t(reached[1].frame) - int64_t(reached[0].frame), 441, 20);
}

} // namespace
} // namespace rz
