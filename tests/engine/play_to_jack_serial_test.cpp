// A song played by the engine on its real timer thread to a JACK client on a
// dummy server of the test's own; alone (RUN_SERIAL), as every JACK test.
// The fixture song: format 0, 480 ticks per quarter, 120 per minute, eight
// quarter notes of key 60, each 240 ticks long (a note every 22050 frames at
// 44100 Hz, 11025 frames long).

#include "platform/engine_timer.h"
#include "platform/midi_jack_out.h"
#include "song/smf_reader.h"
#include "song/track_ports.h"
#include "tests/engine/quarters120_bytes.h"
#include "tests/engine/engine_jack_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;

constexpr double kQuarterUs = 500000.0;
constexpr double kNoteUs = 250000.0;
constexpr double kFrameUs = 1e6 / 44100.0;

// The fixture file, or its bytes where this program is built without the
// fixture folder.
bool openQuarters(CSongDoc& song, std::string& reason)
{
#ifdef RZ_FIXTURE_DIR
    return OpenSong(song, std::filesystem::path(RZ_FIXTURE_DIR) / "engine/quarters120.mid", reason);
#else
    return OpenSongBytes(song, test::quarters120Bytes(), SongFileKind{}, reason);
#endif
}

bool isKey60On(const std::vector<uint8_t>& bytes)
{
    return bytes.size() == 3 && bytes[0] == 0x90 && bytes[1] == 60 && bytes[2] != 0;
}

bool isKey60Off(const std::vector<uint8_t>& bytes)
{
    return bytes.size() == 3 && bytes[1] == 60
           && (bytes[0] == 0x80 || (bytes[0] == 0x90 && bytes[2] == 0));
}

class PlayToJack : public EngineJackTest {
protected:
    // The engine with output-map entry 0 naming the client's port, and the
    // fixture song current on it.
    bool startEngine(const JackTestClient& client)
    {
        profile.writeString("PortsToUse\\MIDIOUT\\0", "port", client.inPort());
        profile.writeInt("OpenOptions", "WarnFormat", 0); // keeps format 0 without asking
        EngineJackTest::startEngine(timer);
        makeEngineSong();
        std::string reason;
        const bool opened = openQuarters(*song, reason);
        EXPECT_TRUE(opened) << reason;
        for (size_t i = 1; i + 1 < song->tracks.size(); ++i)
            LookupPortSynth(*song->tracks[i], profile, *engine, nullptr);
        engine->setCurrentSong(song.get());
        return opened;
    }

    bool waitForGuiCall(const std::string& call, std::chrono::milliseconds limit)
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        for (;;) {
            gui.drain();
            const auto calls = gui.recorder.calls();
            if (std::find(calls.begin(), calls.end(), call) != calls.end())
                return true;
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(5ms);
        }
    }

    // Plays the song to its end; what was off, empty when every note-on came
    // a quarter after the last and every note-off a note's length after its
    // note-on.
    std::string playWholeSong();

    // As the program runs it: SCHED_FIFO where the system grants it.
    EngineTimer timer{EngineTimerOptions{.realtime = true}};
};

std::string PlayToJack::playWholeSong()
{
    auto client = makeTestClient();
    if (!startEngine(*client))
        return "the song did not open";
    gui.recorder.clear();
    engine->Advance(false);
    if (!waitForGuiCall("setFrameTimer(666)", 10s))
        return "SongEnded was not posted";
    client->waitForCount(client->received().size() + 1, 300ms); // the last note-off's cycle
    // When each note sounds through the times of the cycle it landed in: a
    // starved server moves its cycles, never a message within one.
    std::vector<double> ons;
    std::vector<double> offs;
    for (const JackTestClient::Received& event : client->received()) {
        if (isKey60On(event.bytes))
            ons.push_back(event.jackUsecs());
        else if (isKey60Off(event.bytes))
            offs.push_back(event.jackUsecs());
    }
    const auto* device = dynamic_cast<const JackMidiOutDevice*>(engine->ports()->mappedOutput(0)->device());
    const uint64_t late = device != nullptr ? device->lateCount() : 0;
    shutDown();
    if (ons.size() != 8 || offs.size() != 8) {
        std::string all;
        for (const JackTestClient::Received& event : client->received()) {
            char text[40];
            std::snprintf(text, sizeof text, "%02X%02X%02X@%llu ", event.bytes[0],
                          event.bytes.size() > 1 ? event.bytes[1] : 0, event.bytes.size() > 2 ? event.bytes[2] : 0,
                          static_cast<unsigned long long>(event.frame));
            all += text;
        }
        return std::to_string(ons.size()) + " note-ons and " + std::to_string(offs.size())
               + " note-offs: " + all;
    }
    std::string problems;
    if (late != 0)
        problems += std::to_string(late) + " placed late; ";
    // Within a frame of the tempo map, from the first note on.
    for (size_t i = 0; i < 8; ++i) {
        const double on = ons[i] - ons[0] - double(i) * kQuarterUs;
        if (std::abs(on) > kFrameUs)
            problems += "note " + std::to_string(i) + " off its beat by " + std::to_string(on) + " µs; ";
        const double length = offs[i] - ons[i] - kNoteUs;
        if (std::abs(length) > kFrameUs)
            problems += "note " + std::to_string(i) + " length off by " + std::to_string(length) + " µs; ";
    }
    return problems;
}

TEST_F(PlayToJack, EightQuartersArriveOnTheBeatWithTheirNoteOffsAndTheSongEnds)
{
    EXPECT_EQ(playWholeSong(), "");
}

TEST_F(PlayToJack, AStopMidNoteDeliversItsNoteOffAndLeavesNothingSounding)
{
    auto client = makeTestClient();
    ASSERT_TRUE(startEngine(*client));
    COutPort& port = *engine->ports()->mappedOutput(0);
    engine->Advance(false);
    const auto until = std::chrono::steady_clock::now() + 5s;
    const auto secondNoteSounds = [&] {
        const auto received = client->received();
        return std::count_if(received.begin(), received.end(),
                             [](const auto& event) { return isKey60On(event.bytes); })
                   >= 2
               && !port.heldNotes().empty();
    };
    while (!secondNoteSounds() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(1ms);
    ASSERT_FALSE(port.heldNotes().empty()) << "no note sounded to stop";
    engine->Stop(false);
    EXPECT_EQ(engine->transportState(), TransportState::Stopped);
    EXPECT_TRUE(port.heldNotes().empty());

    std::this_thread::sleep_for(200ms);
    size_t ons = 0;
    size_t offs = 0;
    for (const JackTestClient::Received& event : client->received()) {
        ons += isKey60On(event.bytes) ? 1 : 0;
        offs += isKey60Off(event.bytes) ? 1 : 0;
    }
    EXPECT_GE(ons, 2u);
    EXPECT_LT(ons, 8u) << "stopped before the end";
    EXPECT_EQ(offs, ons) << "every note that began has ended";
    const auto last = client->received().back();
    EXPECT_TRUE(isKey60Off(last.bytes)) << "nothing sounds after the stop";
}

} // namespace
} // namespace rz
