// Frame-exact MIDI output through the whole engine: a JACK dummy server of
// our own (realtime), a generated song played on the real timer thread to
// the JACK MIDI device, and a capture client of ours on the same server.
// 16 channels of sixteenths and triplets over a tempo ramp, so events fall
// between timer ticks. Optionally N busy threads load the machine.
// Usage: midi_timing [--load N] [--seconds S]   (default no load, 30 s)
// The last line: stamp_err_us A place_err_frames B late C lost D
// interval_p99_frames E events N.

#include "core/profile.h"
#include "engine/audio/audio_format.h"
#include "engine/gui_posts.h"
#include "engine/instrument_loader.h"
#include "engine/sequencer.h"
#include "engine/sequencer_devices.h"
#include "platform/engine_timer.h"
#include "platform/midi_jack_out.h"
#include "platform/midi_output_latency.h"
#include "platform/midi_system.h"
#include "song/play_images.h"
#include "song/song_doc.h"
#include "song/tempo_map.h"
#include "tests/song/song_builder.h"
#include "tests/support/fake_song_host.h"
#include "tests/support/jack_server.h"
#include "tests/support/recording_engine_host.h"
#include "tests/support/scripted_prompt.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <jack/jack.h>
#include <jack/midiport.h>

namespace rz {
namespace {

using namespace std::chrono_literals;

constexpr int kChannels = 16;
constexpr int kTimeBase = 120;
constexpr size_t kMaxMessages = 400'000;

int64_t steadyNs(TickTime time)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

// One message as a device received it, with its stamp; bytes packed.
struct Tapped {
    uint32_t bytes = 0;
    int64_t stampNs = 0;
};

// One message as the capture client received it.
struct Captured {
    uint32_t bytes = 0;
    uint64_t frame = 0; // the cycle's first frame plus the offset
    jack_nframes_t offset = 0;
    jack_nframes_t cycleFrames = 0;
    jack_time_t cycleStartUs = 0;
    jack_time_t cycleNextUs = 0;
};

uint32_t pack(std::span<const uint8_t> bytes)
{
    uint32_t packed = 0;
    for (size_t i = 0; i < bytes.size() && i < 3; ++i)
        packed |= uint32_t(bytes[i]) << (8 * i);
    return packed;
}

// Into room reserved beforehand; one writer at a time.
class TapLog {
public:
    TapLog() { m_entries.resize(kMaxMessages); }
    void add(const Tapped& entry)
    {
        std::lock_guard lock(m_mutex);
        if (m_count < m_entries.size())
            m_entries[m_count++] = entry;
    }
    std::vector<Tapped> entries() const
    {
        std::lock_guard lock(m_mutex);
        return {m_entries.begin(), m_entries.begin() + std::ptrdiff_t(m_count)};
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Tapped> m_entries;
    size_t m_count = 0;
};

// Keeps each short message's stamp, then hands it to the real device.
class TapDevice : public IMidiOutDevice {
public:
    TapDevice(std::unique_ptr<IMidiOutDevice> inner, TapLog& log, std::atomic<IMidiOutDevice*>& last)
        : m_inner(std::move(inner)), m_log(log)
    {
        last.store(m_inner.get());
    }
    bool open() override { return m_inner->open(); }
    void close() override { m_inner->close(); }
    bool isOpen() const override { return m_inner->isOpen(); }
    std::string openError() const override { return m_inner->openError(); }
    using IMidiOutDevice::sendShort;
    void sendShort(std::span<const uint8_t> bytes, TickTime stamp) override
    {
        m_log.add({pack(bytes), steadyNs(stamp)});
        m_inner->sendShort(bytes, stamp);
    }
    LongSendResult sendLong(std::span<const uint8_t> bytes, std::chrono::milliseconds timeout) override
    {
        return m_inner->sendLong(bytes, timeout);
    }
    size_t maxLongMessageBytes() const override { return m_inner->maxLongMessageBytes(); }
    std::string displayName() const override { return m_inner->displayName(); }
    MidiDeviceKind kind() const override { return m_inner->kind(); }

private:
    std::unique_ptr<IMidiOutDevice> m_inner;
    TapLog& m_log;
};

class TapDevices : public IMidiDeviceSource {
public:
    TapDevices(const MidiSystem& system, TapLog& log) : m_system(system), m_log(log) {}
    std::vector<MidiDeviceDescriptor> outputs() const override { return m_system.outputs(); }
    std::vector<MidiDeviceDescriptor> inputs() const override { return {}; }
    std::unique_ptr<IMidiOutDevice> makeOutput(const MidiDeviceDescriptor& device) const override
    {
        auto inner = m_system.makeOutput(device);
        if (!inner)
            return nullptr;
        return std::make_unique<TapDevice>(std::move(inner), m_log, m_lastMade);
    }
    std::unique_ptr<IMidiInDevice> makeInput(const MidiDeviceDescriptor&) const override { return nullptr; }
    IMidiOutDevice* lastMade() const { return m_lastMade.load(); }

private:
    const MidiSystem& m_system;
    TapLog& m_log;
    mutable std::atomic<IMidiOutDevice*> m_lastMade{nullptr};
};

// A JACK client of the bench's own that records what reaches its input,
// with each message's cycle, into room reserved beforehand.
class CaptureClient {
public:
    CaptureClient()
    {
        m_captured.resize(kMaxMessages);
        jack_status_t status{};
        m_client = jack_client_open("rz-capture", JackNoStartServer, &status);
        if (!m_client)
            return;
        m_in = jack_port_register(m_client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(m_client, &CaptureClient::thunk, this);
        jack_set_xrun_callback(m_client, &CaptureClient::xrunThunk, this);
        m_ok = m_in != nullptr && jack_activate(m_client) == 0;
    }
    ~CaptureClient()
    {
        if (m_client) {
            jack_deactivate(m_client);
            jack_client_close(m_client);
        }
    }
    bool ok() const { return m_ok; }
    std::string port() const { return jack_port_name(m_in); }
    std::vector<Captured> captured() const
    {
        const size_t count = m_count.load(std::memory_order_acquire);
        return {m_captured.begin(), m_captured.begin() + std::ptrdiff_t(count)};
    }

    // Cycles the server reported as overrun.
    uint64_t xruns() const { return m_xruns.load(); }

private:
    static int xrunThunk(void* self)
    {
        static_cast<CaptureClient*>(self)->m_xruns.fetch_add(1);
        return 0;
    }
    static int thunk(jack_nframes_t frames, void* self)
    {
        static_cast<CaptureClient*>(self)->process(frames);
        return 0;
    }
    void process(jack_nframes_t frames)
    {
        void* buffer = jack_port_get_buffer(m_in, frames);
        jack_nframes_t first = 0;
        jack_time_t start = 0;
        jack_time_t next = 0;
        float period = 0;
        jack_get_cycle_times(m_client, &first, &start, &next, &period);
        size_t count = m_count.load(std::memory_order_relaxed);
        const uint32_t events = jack_midi_get_event_count(buffer);
        for (uint32_t i = 0; i < events && count < m_captured.size(); ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) != 0)
                continue;
            m_captured[count++] = {pack({event.buffer, event.size}), uint64_t(first) + event.time,
                                   event.time, frames, start, next};
        }
        m_count.store(count, std::memory_order_release);
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_in = nullptr;
    bool m_ok = false;
    std::vector<Captured> m_captured;
    std::atomic<size_t> m_count{0};
    std::atomic<uint64_t> m_xruns{0};
};

class NoGui : public IGuiThreadQueue {
public:
    void postToGui(std::function<void()>) override {}
};

// What the song should send on one channel: each note message and its time
// from the tempo map (µs), in order.
struct Expected {
    uint32_t bytes = 0;
    double songUs = 0.0;
};

// A tempo ramp from 100 to 140 per minute over the song, a change every
// beat; on each channel sixteenths (even channels) or eighth triplets
// (odd), offset by the channel's number of ticks, 10 ticks long.
void fillSong(CSongDoc& song, CSequencer& engine, int seconds,
              std::array<std::vector<Expected>, kChannels>& expected)
{
    song.InitNewSong();
    song.timeBase = kTimeBase;
    const int beats = seconds * 2; // about 120 per minute on average
    const int32_t length = beats * kTimeBase;
    TempoMap& map = song.tempoMap;
    map.clear();
    for (int beat = 0; beat < beats; ++beat) {
        TempoEntry entry;
        entry.tick = beat * kTimeBase;
        const double bpm = 100.0 + 40.0 * beat / std::max(beats - 1, 1);
        entry.setTempo(uint32_t(60e6 / bpm) + 7); // not a round number of µs
        map.push_back(entry);
    }
    RecalcTempoTimes(map, kTimeBase);
    for (int channel = 0; channel < kChannels; ++channel) {
        CTrack& track = test::addUserTrack(song);
        track.channel = channel;
        track.outputPort = engine.openOutPort(0);
        const int32_t step = channel % 2 == 0 ? kTimeBase / 4 : kTimeBase / 3;
        for (int32_t tick = channel; tick + 10 < length; tick += step) {
            const uint8_t key = uint8_t(40 + (tick / step + channel) % 48);
            track.InsertEventSorted(test::note(tick, key, 90, 10, uint8_t(channel)));
            expected[size_t(channel)].push_back({uint32_t(0x90 | channel) | uint32_t(key) << 8 | 90u << 16,
                                                 song.TickToTime(tick)});
            expected[size_t(channel)].push_back({uint32_t(0x90 | channel) | uint32_t(key) << 8,
                                                 song.TickToTime(tick + 10)});
        }
    }
    RebuildPlayImages(song, false);
    song.ExtendMeasureMap();
    song.Locate(0);
}

bool isNote(uint32_t bytes)
{
    return (bytes & 0xE0) == 0x80;
}

// 0x80 and 0x90 with velocity 0 are one thing to a receiver.
uint32_t normalised(uint32_t bytes)
{
    if ((bytes & 0xF0) == 0x80)
        return (bytes & 0x0FFFFu & ~0xF0u) | 0x90u;
    return bytes;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}

int run(int load, int seconds)
{
    std::string error;
    auto server = JackServer::start(error, true);
    if (!server) {
        std::fprintf(stderr, "midi_timing: %s\n", error.c_str());
        return 1;
    }
    CaptureClient capture;
    if (!capture.ok()) {
        std::fprintf(stderr, "midi_timing: the capture client did not start\n");
        return 1;
    }

    std::atomic<bool> busy{true};
    std::vector<std::thread> loaders;
    for (int i = 0; i < load; ++i)
        loaders.emplace_back([&] {
            volatile uint64_t spin = 0;
            while (busy.load(std::memory_order_relaxed))
                spin = spin + 1;
        });

    TapLog tap;
    MemoryProfile profile;
    profile.writeString("PortsToUse\\MIDIOUT\\0", "port", capture.port());
    ScriptedPrompt prompt;
    NoGui gui;
    RecordingEngineHost host;
    EngineToGui posts{gui, std::thread::id(), host, host, host};
    MidiSystemOptions options;
    options.useAlsa = false;
    MidiSystem system(options);
    TapDevices devices(system, tap);
    UnavailableInstrumentLoader instruments;
    NoAudioEngines audio;
    FakeSongHost songHost;
    EngineTimer timer(EngineTimerOptions{.realtime = true});
    std::array<std::vector<Expected>, kChannels> expected;
    uint64_t late = 0;
    uint64_t dropped = 0;
    double latencyUs = 0.0; // while the engine's JACK client runs
    {
        CSequencer engine(SequencerServices{.profile = profile,
                                            .prompt = prompt,
                                            .gui = gui,
                                            .toGui = posts,
                                            .devices = devices,
                                            .instruments = instruments,
                                            .timer = timer,
                                            .audio = audio});
        engine.Init();
        CSongDoc song(SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = engine});
        fillSong(song, engine, seconds, expected);
        engine.setCurrentSong(&song);
        const auto* jack = dynamic_cast<const JackMidiOutDevice*>(devices.lastMade());
        engine.Play(0, true, false);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(seconds * 2 + 10);
        while (engine.transportState() != TransportState::SongEnded && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(300ms); // the last cycles
        latencyUs = double(std::chrono::duration_cast<std::chrono::microseconds>(midiOutputLatency()).count());
        if (jack != nullptr) {
            late = jack->lateCount();
            dropped = jack->droppedCount();
        }
        engine.Stop(false);
        engine.Shutdown();
        engine.setCurrentSong(nullptr);
    }
    busy = false;
    for (std::thread& loader : loaders)
        loader.join();

    // Per channel, the n-th note message tapped, captured and expected are
    // the same message.
    std::array<std::vector<Tapped>, kChannels> tapped;
    for (const Tapped& entry : tap.entries())
        if (isNote(entry.bytes))
            tapped[entry.bytes & 15].push_back(entry);
    std::array<std::vector<Captured>, kChannels> arrived;
    for (const Captured& entry : capture.captured())
        if (isNote(entry.bytes))
            arrived[entry.bytes & 15].push_back(entry);

    const int64_t jackMinusSteadyNs =
        int64_t(jack_get_time()) * 1000 - steadyNs(std::chrono::steady_clock::now());
    // The first note on channel 0 is due at song time 0: its stamp anchors
    // every due time.
    const double anchorNs = tapped[0].empty() ? 0.0 : double(tapped[0].front().stampNs);
    double stampErrUs = 0.0;
    double placeErr = 0.0;
    uint64_t lost = 0;
    uint64_t events = 0;
    uint64_t mismatched = 0;
    uint64_t notSent = 0;    // the engine never played it
    uint64_t notArrived = 0; // the device had it, the capture never saw it
    std::vector<double> intervalErrors;
    for (int channel = 0; channel < kChannels; ++channel) {
        const auto& want = expected[size_t(channel)];
        const auto& sent = tapped[size_t(channel)];
        const auto& got = arrived[size_t(channel)];
        events += want.size();
        notArrived += sent.size() > got.size() ? sent.size() - got.size() : 0;
        notSent += want.size() > sent.size() ? want.size() - sent.size() : 0;
        const size_t n = std::min({want.size(), sent.size(), got.size()});
        const Captured* previousOn = nullptr;
        double previousOnUs = 0.0;
        for (size_t i = 0; i < n; ++i) {
            if (normalised(sent[i].bytes) != want[i].bytes || normalised(got[i].bytes) != want[i].bytes)
                ++mismatched;
            const double dueNs = anchorNs + want[i].songUs * 1000.0;
            stampErrUs = std::max(stampErrUs, std::abs(double(sent[i].stampNs) - dueNs) / 1000.0);
            const Captured& c = got[i];
            const double cycleUs = double(c.cycleNextUs) - double(c.cycleStartUs);
            const double dueJackUs = double(sent[i].stampNs + jackMinusSteadyNs) / 1000.0 + latencyUs;
            const double frame = (dueJackUs - double(c.cycleStartUs)) * double(c.cycleFrames) / cycleUs;
            if (frame >= 0.0)
                placeErr = std::max(placeErr, std::abs(double(c.offset) - frame));
            if ((want[i].bytes >> 16) != 0) {
                if (previousOn != nullptr) {
                    const double interval = double(c.frame) - double(previousOn->frame);
                    const double wanted = (want[i].songUs - previousOnUs) * JackServer::kSampleRate / 1e6;
                    intervalErrors.push_back(std::abs(interval - wanted));
                }
                previousOn = &c;
                previousOnUs = want[i].songUs;
            }
        }
    }
    lost = notSent + notArrived;
    std::printf("midi_timing: %d s, %d busy threads, timer %s, output latency %.0f us, %llu mismatched, "
                "%llu not sent, %llu not arrived (%llu dropped by the device), %llu xruns\n",
                seconds, load, timer.realtime() ? "SCHED_FIFO" : "normal scheduling", latencyUs,
                static_cast<unsigned long long>(mismatched), static_cast<unsigned long long>(notSent),
                static_cast<unsigned long long>(notArrived), static_cast<unsigned long long>(dropped),
                static_cast<unsigned long long>(capture.xruns()));
    std::printf("stamp_err_us %.3f place_err_frames %.2f late %llu lost %llu interval_p99_frames %.2f events %llu\n",
                stampErrUs, placeErr, static_cast<unsigned long long>(late), static_cast<unsigned long long>(lost),
                percentile(intervalErrors, 0.99), static_cast<unsigned long long>(events));
    return 0;
}

} // namespace
} // namespace rz

int main(int argc, char** argv)
{
    int load = 0;
    int seconds = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--load") == 0)
            load = std::max(std::atoi(argv[i + 1]), 0);
        else if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::max(std::atoi(argv[i + 1]), 1);
    }
    return rz::run(load, seconds);
}
