// A song played by the engine on its real timer thread to a JACK client on a
// dummy server of the test's own; alone (RUN_SERIAL), as every JACK test.
// The fixture song: format 0, 480 ticks per quarter, 120 per minute, eight
// quarter notes of key 60, each 240 ticks long (a note every 22050 frames at
// 44100 Hz, 11025 frames long).

#include "platform/engine_timer.h"
#include "platform/midi_jack_out.h"
#include "platform/midi_output_latency.h"
#include "song/smf_reader.h"
#include "song/track_ports.h"
#include "tests/engine/quarters120_bytes.h"
#include "tests/engine/engine_jack_fixture.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;

constexpr double kQuarterUs = 500000.0;
constexpr double kNoteUs = 250000.0;

// A steady-clock moment on the JACK clock, in µs.
double jackUsecsAt(TickTime stamp)
{
    const auto nowNs = std::chrono::steady_clock::now().time_since_epoch();
    const double jackMinusSteadyUs =
        double(jack_get_time()) - double(std::chrono::duration_cast<std::chrono::nanoseconds>(nowNs).count()) / 1000.0;
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(stamp.time_since_epoch()).count()) / 1000.0
           + jackMinusSteadyUs;
}

// The stamp every short message left the engine with, in order.
class StampLog {
public:
    struct Entry {
        std::vector<uint8_t> bytes;
        TickTime stamp;
    };
    void add(std::span<const uint8_t> bytes, TickTime stamp)
    {
        std::lock_guard lock(m_mutex);
        m_entries.push_back({{bytes.begin(), bytes.end()}, stamp});
    }
    std::vector<Entry> entries() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

// The machine's output device, with each short message's stamp logged.
class StampTapDevice : public IMidiOutDevice {
public:
    StampTapDevice(std::unique_ptr<IMidiOutDevice> inner, StampLog& log) : m_inner(std::move(inner)), m_log(log) {}
    bool open() override { return m_inner->open(); }
    void close() override { m_inner->close(); }
    bool isOpen() const override { return m_inner->isOpen(); }
    std::string openError() const override { return m_inner->openError(); }
    using IMidiOutDevice::sendShort;
    void sendShort(std::span<const uint8_t> bytes, TickTime stamp) override
    {
        m_log.add(bytes, stamp);
        m_inner->sendShort(bytes, stamp);
    }
    LongSendResult sendLong(std::span<const uint8_t> bytes, std::chrono::milliseconds timeout) override
    {
        return m_inner->sendLong(bytes, timeout);
    }
    uint64_t queueLong(std::span<const uint8_t> bytes, std::chrono::milliseconds timeout,
                       LongSendResult& settled) override
    {
        return m_inner->queueLong(bytes, timeout, settled);
    }
    LongSendResult awaitLong(uint64_t ticket, std::chrono::milliseconds timeout) override
    {
        return m_inner->awaitLong(ticket, timeout);
    }
    size_t maxLongMessageBytes() const override { return m_inner->maxLongMessageBytes(); }
    std::string displayName() const override { return m_inner->displayName(); }
    MidiDeviceKind kind() const override { return m_inner->kind(); }
    const IMidiOutDevice& inner() const { return *m_inner; }

private:
    std::unique_ptr<IMidiOutDevice> m_inner;
    StampLog& m_log;
};

class StampTapDevices : public IMidiDeviceSource {
public:
    StampTapDevices(const MidiSystem& machine, StampLog& log) : m_machine(machine), m_log(log) {}
    std::vector<MidiDeviceDescriptor> outputs() const override { return m_machine.outputs(); }
    std::vector<MidiDeviceDescriptor> inputs() const override { return m_machine.inputs(); }
    std::unique_ptr<IMidiOutDevice> makeOutput(const MidiDeviceDescriptor& device) const override
    {
        auto inner = m_machine.makeOutput(device);
        if (!inner)
            return nullptr;
        return std::make_unique<StampTapDevice>(std::move(inner), m_log);
    }
    std::unique_ptr<IMidiInDevice> makeInput(const MidiDeviceDescriptor& device) const override
    {
        return m_machine.makeInput(device);
    }

private:
    const MidiSystem& m_machine;
    StampLog& m_log;
};

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
        const bool opened = test::OpenQuarters120(*song, reason);
        EXPECT_TRUE(opened) << reason;
        for (size_t i = 1; i + 1 < song->tracks.size(); ++i)
            LookupPortSynth(*song->tracks[i], profile, *engine, nullptr);
        engine->setCurrentSong(song.get());
        return opened;
    }

    bool waitForGuiCall(const std::string& call, std::chrono::milliseconds limit)
    {
        return eventually(
            [&] {
                gui.drain();
                const auto calls = gui.recorder.calls();
                return std::find(calls.begin(), calls.end(), call) != calls.end();
            },
            limit);
    }

    // Plays the song to its end; what was off, empty when every note-on came
    // a quarter after the last and every note-off a note's length after its
    // note-on.
    std::string playWholeSong();

    std::unique_ptr<IMidiDeviceSource> makeDevices(const MidiSystem& machine) override
    {
        return std::make_unique<StampTapDevices>(machine, stamps);
    }

    // As the program runs it: SCHED_FIFO where the system grants it.
    EngineTimer timer{EngineTimerOptions{.realtime = true}};
    StampLog stamps;
};

std::string PlayToJack::playWholeSong()
{
    auto client = makeTestClient();
    if (!startEngine(*client))
        return "the song did not open";
    gui.recorder.clear();
    const uint64_t disturbancesBefore = client->disturbances();
    engine->Advance(false);
    if (!waitForGuiCall("setFrameTimer(666)", 10s))
        return "SongEnded was not posted";
    client->waitForCount(client->received().size() + 1, 300ms); // the last note-off's cycle
    const auto* tap = dynamic_cast<const StampTapDevice*>(engine->ports()->mappedOutput(0)->device());
    const auto* device = tap != nullptr ? dynamic_cast<const JackMidiOutDevice*>(&tap->inner()) : nullptr;
    const uint64_t late = device != nullptr ? device->lateCount() : 0;
    const double latencyUs = double(std::chrono::duration_cast<std::chrono::microseconds>(midiOutputLatency()).count());
    // Before the shutdown, which silences the port once more.
    const std::vector<StampLog::Entry> sent = stamps.entries();
    const std::vector<JackTestClient::Received> received = client->received();
    const bool disturbed = client->disturbances() != disturbancesBefore;
    shutDown();
    // Each key-60 message, sent and received, in order: the n-th sent is the
    // n-th received.
    std::vector<TickTime> sentOns;
    std::vector<TickTime> sentOffs;
    for (const StampLog::Entry& entry : sent) {
        if (isKey60On(entry.bytes))
            sentOns.push_back(entry.stamp);
        else if (isKey60Off(entry.bytes))
            sentOffs.push_back(entry.stamp);
    }
    std::vector<JackTestClient::Received> ons;
    std::vector<JackTestClient::Received> offs;
    for (const JackTestClient::Received& event : received) {
        if (isKey60On(event.bytes))
            ons.push_back(event);
        else if (isKey60Off(event.bytes))
            offs.push_back(event);
    }
    // A cycle the server ran late or without a client loses or moves what
    // it carried, which no device can help: then only the stamps are judged.
    if (disturbed) {
        std::cout << "the server reported an xrun or the test client missed a cycle: "
                     "arrivals and placement are not checked\n";
        ons.clear();
        offs.clear();
    }
    if ((!disturbed && (ons.size() != 8 || offs.size() != 8)) || sentOns.size() != 8 || sentOffs.size() != 8) {
        std::string all;
        for (const JackTestClient::Received& event : received) {
            char text[40];
            std::snprintf(text, sizeof text, "%02X%02X%02X@%llu ", event.bytes[0],
                          event.bytes.size() > 1 ? event.bytes[1] : 0, event.bytes.size() > 2 ? event.bytes[2] : 0,
                          static_cast<unsigned long long>(event.frame));
            all += text;
        }
        return std::to_string(sentOns.size()) + "/" + std::to_string(ons.size()) + " note-ons and "
               + std::to_string(sentOffs.size()) + "/" + std::to_string(offs.size())
               + " note-offs sent/received: " + all;
    }
    std::string problems;
    if (late != 0 && !disturbed)
        problems += std::to_string(late) + " placed late; ";
    const auto usBetween = [](TickTime from, TickTime to) {
        return double(std::chrono::duration_cast<std::chrono::nanoseconds>(to - from).count()) / 1000.0;
    };
    // The stamps follow the tempo map to the µs; each message lands within
    // a frame of the frame its stamp maps to in the cycle it arrived in.
    const auto placement = [&](const JackTestClient::Received& got, TickTime stamp) {
        return double(got.offset) - got.frameOf(jackUsecsAt(stamp) + latencyUs);
    };
    for (size_t i = 0; i < 8; ++i) {
        const std::string note = "note " + std::to_string(i);
        const double beat = usBetween(sentOns[0], sentOns[i]) - double(i) * kQuarterUs;
        if (std::abs(beat) > 1.0)
            problems += note + " stamped off its beat by " + std::to_string(beat) + " µs; ";
        const double length = usBetween(sentOns[i], sentOffs[i]) - kNoteUs;
        if (std::abs(length) > 1.0)
            problems += note + " stamped with its length off by " + std::to_string(length) + " µs; ";
        if (disturbed)
            continue;
        const double on = placement(ons[i], sentOns[i]);
        if (std::abs(on) > 1.0)
            problems += note + " on placed " + std::to_string(on) + " frames from its stamp; ";
        const double off = placement(offs[i], sentOffs[i]);
        if (std::abs(off) > 1.0)
            problems += note + " off placed " + std::to_string(off) + " frames from its stamp; ";
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
    const uint64_t disturbances = client->disturbances();
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

    // An idle tick after the stop: a playback tick in flight has run. Then a
    // marker through the same device: what was sent before it has arrived.
    for (int tick = 0; tick < 2; ++tick) {
        const uint32_t clock = engine->msClock();
        ASSERT_TRUE(eventually([&] { return engine->msClock() != clock; })) << "no idle tick after the stop";
    }
    const std::vector<uint8_t> marker{0x9F, 0x7F, 0x7F};
    // A cycle the server ran without the test client loses the marker too:
    // it is sent again until one arrives.
    bool markerArrived = false;
    for (int attempt = 0; attempt < 10 && !markerArrived; ++attempt) {
        port.device()->sendShort(marker);
        markerArrived = eventually(
            [&] {
                const auto received = client->received();
                return !received.empty() && received.back().bytes == marker;
            },
            std::chrono::seconds(2));
    }
    ASSERT_TRUE(markerArrived) << "the marker never arrived";
    std::vector<JackTestClient::Received> received = client->received();
    while (!received.empty() && received.back().bytes == marker)
        received.pop_back();
    size_t ons = 0;
    size_t offs = 0;
    for (const JackTestClient::Received& event : received) {
        ons += isKey60On(event.bytes) ? 1 : 0;
        offs += isKey60Off(event.bytes) ? 1 : 0;
    }
    if (client->disturbances() != disturbances) {
        // The server ran a cycle without the test client: what it carried
        // is lost on the way, which no device can help.
        std::cout << "the server reported an xrun or the test client missed a cycle: "
                     "arrivals are not checked\n";
        return;
    }
    EXPECT_GE(ons, 2u);
    EXPECT_LT(ons, 8u) << "stopped before the end";
    EXPECT_EQ(offs, ons) << "every note that began has ended";
    ASSERT_FALSE(received.empty());
    EXPECT_TRUE(isKey60Off(received.back().bytes)) << "nothing sounds after the stop";
}

} // namespace
} // namespace rz
