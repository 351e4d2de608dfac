// MIDI input through JACK: a test client plays into the engine's input and
// hears the thru track's echo. Alone (RUN_SERIAL), as every JACK test.

#include "tests/engine/engine_jack_fixture.h"
#include "tests/song/song_builder.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;

class ThruJack : public EngineJackTest {
protected:
    // Waits until the client has received `bytes`.
    bool waitForMessage(const JackTestClient& client, const std::vector<uint8_t>& bytes)
    {
        return eventually([&] {
            const auto received = client.received();
            return std::any_of(received.begin(), received.end(),
                               [&](const JackTestClient::Received& r) { return r.bytes == bytes; });
        });
    }

    ManualEngineTimer timer;
};

TEST_F(ThruJack, ANoteTheClientPlaysComesBackOnTheThruTracksChannelTransposedByItsKey)
{
    auto client = makeTestClient();
    profile.writeString("PortsToUse\\MIDIOUT\\0", "port", client->inPort());
    profile.writeString("PortsToUse", "MIDIIN0", client->outPort());
    startEngine(timer);
    ASSERT_EQ(engine->ports()->inputMap.size(), 1u);
    ASSERT_GE(engine->ports()->inputMap.front(), 0) << "the client's output is not listed";

    makeEngineSong().InitNewSong();
    song->tracks.front()->recordArm = 1;
    CTrack& track = test::addUserTrack(*song);
    track.recordArm = 1;
    track.channel = 5;
    track.key = 7;
    track.outputPort = engine->openOutPort(engine->outputMapEntry(0));
    ASSERT_NE(track.outputPort, nullptr);
    engine->setCurrentSong(song.get());
    gui.runAndWait([&] { engine->RebuildThruTracks(); });

    // A message sent or due in a cycle the server ran without a client is
    // lost on the way, which is no fault of the thru.
    const auto comesBack = [&](std::vector<uint8_t> played, std::vector<uint8_t> expected) {
        const uint64_t disturbances = client->disturbances();
        client->queue(std::move(played));
        if (waitForMessage(*client, expected))
            return true;
        return client->disturbances() != disturbances;
    };
    EXPECT_TRUE(comesBack({0x90, 60, 100}, {0x95, 67, 100}));
    EXPECT_TRUE(comesBack({0x80, 60, 64}, {0x95, 67, 0}));
}

} // namespace
} // namespace rz
