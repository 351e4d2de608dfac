// Frame-exact MIDI output through the whole engine: a JACK dummy server of
// our own (realtime), a generated song played on the real timer thread to
// the JACK MIDI device, and a capture client of ours on the same server.
// 16 channels of sixteenths and triplets over a tempo ramp, so events fall
// between timer ticks. Optionally N busy threads load the machine.
// Every note has an identity of its own (its key and velocity), so a lost
// message shifts no pairing. Due times run from the deadline of the first
// playback tick, as the engine's stamps do. A message is late at the server
// when the engine handed it over in time and the capture found it placed
// after the frame its stamp asks for. Usage: midi_timing [--load N] [--seconds S]   (default no
// load, 30 s). The last line: stamp_err_us A place_err_frames B
// late_engine C late_server D lost E xruns F mismatched G
// interval_p99_frames H events N; B only over cycles whose times agree
// with their length.

#include "core/midi_bytes.h"
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
#include <unordered_map>
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

// One message as a device received it, with its stamp and the moment the
// engine handed it over; bytes packed.
struct Tapped {
    uint32_t bytes = 0;
    int64_t stampNs = 0;
    int64_t handedNs = 0;
};

// One message as the capture client received it.
struct Captured {
    uint32_t bytes = 0;
    uint64_t frame = 0; // the cycle's first frame plus the offset
    jack_nframes_t offset = 0;
    jack_nframes_t cycleFrames = 0;
    jack_time_t cycleStartUs = 0;
    jack_time_t cycleNextUs = 0;
    bool consistent = false; // the cycle's times agree with its length and the cycle before
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
        m_log.add({pack(bytes), steadyNs(stamp), steadyNs(std::chrono::steady_clock::now())});
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
    // Cycles whose first frame did not follow on from the cycle before.
    uint64_t skippedCycles() const { return m_skipped.load(); }

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
        const bool follows = m_cycles++ == 0 || first == m_nextFirst;
        if (!follows)
            m_skipped.fetch_add(1, std::memory_order_relaxed);
        // After an xrun the server's next-cycle time may lie before the
        // cycle's start, or the cycle start far from where the last one said.
        const double nominalUs = double(frames) * 1e6 / JackServer::kSampleRate;
        const bool consistent = follows && next > start
                                && std::abs(double(next - start) - nominalUs) <= nominalUs / 4
                                && (m_cycles == 1 || std::abs(double(start) - double(m_lastNextUs)) <= nominalUs / 4);
        m_nextFirst = first + frames;
        m_lastNextUs = next;
        size_t count = m_count.load(std::memory_order_relaxed);
        const uint32_t events = jack_midi_get_event_count(buffer);
        for (uint32_t i = 0; i < events && count < m_captured.size(); ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) != 0)
                continue;
            m_captured[count++] = {pack({event.buffer, event.size}), uint64_t(first) + event.time,
                                   event.time, frames, start, next, consistent};
        }
        m_count.store(count, std::memory_order_release);
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_in = nullptr;
    bool m_ok = false;
    std::vector<Captured> m_captured;
    std::atomic<size_t> m_count{0};
    std::atomic<uint64_t> m_xruns{0};
    std::atomic<uint64_t> m_skipped{0};
    uint64_t m_cycles = 0;          // process thread only
    jack_nframes_t m_nextFirst = 0; // process thread only
    jack_time_t m_lastNextUs = 0;   // process thread only
};

// The engine's timer, noting the deadline of the first playback tick.
class FirstTickTimer : public IEngineTimer {
public:
    explicit FirstTickTimer(EngineTimer& inner) : m_inner(inner) {}
    TimerStartResult start(TimerMode mode, uint32_t periodMs, TimerCallback callback, uint32_t user) override
    {
        if (mode == TimerMode::Playback) {
            callback = [this, callback = std::move(callback)](uint32_t value) {
                int64_t none = 0;
                m_firstNs.compare_exchange_strong(none, steadyNs(currentTickTime()));
                callback(value);
            };
        }
        return m_inner.start(mode, periodMs, std::move(callback), user);
    }
    void stopAndWait() override { m_inner.stopAndWait(); }
    TimerMode mode() const override { return m_inner.mode(); }
    uint64_t overrunCount() const override { return m_inner.overrunCount(); }
    uint64_t failedCallbackCount() const override { return m_inner.failedCallbackCount(); }
    // Steady-clock ns; 0 before the first playback tick.
    int64_t firstTickNs() const { return m_firstNs.load(); }

private:
    EngineTimer& m_inner;
    std::atomic<int64_t> m_firstNs{0};
};

class NoGui : public IGuiThreadQueue {
public:
    void postToGui(std::function<void()>) override {}
};

// What the song should send on one channel: each note message, its
// identity and its time from the tempo map (µs), in order.
struct Expected {
    uint32_t bytes = 0;
    uint32_t identity = 0;
    double songUs = 0.0;
};

bool isNote(uint32_t bytes)
{
    const uint32_t kind = bytes & 0xF0;
    return kind == midi::kNoteOff || kind == midi::kNoteOn;
}

bool isNoteOn(uint32_t bytes)
{
    return (bytes & 0xF0) == midi::kNoteOn && (bytes >> 16 & 0x7F) != 0;
}

constexpr uint32_t kNoteOffBit = 1u << 24;
constexpr uint32_t kNoIdentity = 0xFFFFFFFFu;

// A note message's identity: channel, key and the note-on's velocity, and
// whether it ends the note. A note-off takes the velocity of the last
// note-on of its key; one with none has no identity.
class NoteIdentities {
public:
    uint32_t next(uint32_t bytes)
    {
        const uint32_t channel = bytes & 15;
        const uint32_t key = bytes >> 8 & 0x7F;
        uint8_t& velocity = m_lastOn[channel][key];
        if (isNoteOn(bytes)) {
            velocity = uint8_t(bytes >> 16 & 0x7F);
            return channel | key << 8 | uint32_t(velocity) << 16;
        }
        if (velocity == 0)
            return kNoIdentity;
        return channel | key << 8 | uint32_t(velocity) << 16 | kNoteOffBit;
    }

private:
    std::array<std::array<uint8_t, 128>, kChannels> m_lastOn{};
};

// A tempo ramp from 100 to 140 per minute over the song, a change every
// beat; on each channel sixteenths (even channels) or eighth triplets
// (odd), offset by the channel's number of ticks, 10 ticks long. The n-th
// note of a channel has key 40 + n mod 48 and velocity 1 + n / 48 mod 127:
// unique over 6,096 notes a channel.
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
        NoteIdentities identities;
        int n = 0;
        for (int32_t tick = channel; tick + 10 < length; tick += step, ++n) {
            const uint8_t key = uint8_t(40 + n % 48);
            const uint8_t velocity = uint8_t(1 + n / 48 % 127);
            track.InsertEventSorted(test::note(tick, key, velocity, 10, uint8_t(channel)));
            const uint32_t on = uint32_t(midi::kNoteOn | channel) | uint32_t(key) << 8 | uint32_t(velocity) << 16;
            const uint32_t off = uint32_t(midi::kNoteOn | channel) | uint32_t(key) << 8;
            expected[size_t(channel)].push_back({on, identities.next(on), song.TickToTime(tick)});
            expected[size_t(channel)].push_back({off, identities.next(off), song.TickToTime(tick + 10)});
        }
    }
    RebuildPlayImages(song, false);
    song.ExtendMeasureMap();
    song.Locate(0);
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}

struct Figures {
    double stampErrUs = 0.0;
    double placeErr = 0.0;     // frames, over consistent cycles
    uint64_t lateEngine = 0;   // handed over after the instant they were to leave
    uint64_t lateServer = 0;   // placed late by the device, not through the engine
    uint64_t notSent = 0;      // the engine never played it
    uint64_t notArrived = 0;   // the device had it, the capture never saw it
    uint64_t mismatched = 0;   // tapped or captured notes no expected one has, or twice
    uint64_t inconsistent = 0; // captured in a cycle whose times disagree with its length
    uint64_t events = 0;
    std::vector<double> intervalErrors;
};

// Index of each identity in a stream of note messages; an identity met
// twice, or none, counts as mismatched.
template <class Entry>
std::unordered_map<uint32_t, size_t> indexByIdentity(const std::vector<Entry>& entries, uint64_t& mismatched)
{
    std::unordered_map<uint32_t, size_t> index;
    NoteIdentities identities;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!isNote(entries[i].bytes))
            continue;
        const uint32_t identity = identities.next(entries[i].bytes);
        if (identity == kNoIdentity || !index.emplace(identity, i).second)
            ++mismatched;
    }
    return index;
}

Figures compare(const std::array<std::vector<Expected>, kChannels>& expected, const std::vector<Tapped>& tapped,
                const std::vector<Captured>& captured, int64_t startNs, double latencyUs)
{
    Figures figures;
    const auto sentAt = indexByIdentity(tapped, figures.mismatched);
    const auto arrivedAt = indexByIdentity(captured, figures.mismatched);
    size_t found = 0;
    size_t foundArrived = 0;
    const int64_t jackMinusSteadyNs =
        int64_t(jack_get_time()) * 1000 - steadyNs(std::chrono::steady_clock::now());
    for (const auto& want : expected) {
        const Captured* previousOn = nullptr;
        double previousOnUs = 0.0;
        for (const Expected& e : want) {
            ++figures.events;
            const auto sent = sentAt.find(e.identity);
            if (sent == sentAt.end()) {
                ++figures.notSent;
                continue;
            }
            ++found;
            const Tapped& t = tapped[sent->second];
            const double dueNs = double(startNs) + e.songUs * 1000.0;
            figures.stampErrUs = std::max(figures.stampErrUs, std::abs(double(t.stampNs) - dueNs) / 1000.0);
            const bool handedLate = double(t.handedNs) > dueNs + latencyUs * 1000.0;
            if (handedLate)
                ++figures.lateEngine;
            const auto arrived = arrivedAt.find(e.identity);
            if (arrived == arrivedAt.end()) {
                ++figures.notArrived;
                continue;
            }
            ++foundArrived;
            const Captured& c = captured[arrived->second];
            // The frame the stamp asks for, through the cycle's times as the
            // device reads them (the nominal length when they disagree).
            const double nominalUs = double(c.cycleFrames) * 1e6 / JackServer::kSampleRate;
            const double cycleUs = c.cycleNextUs > c.cycleStartUs ? double(c.cycleNextUs) - double(c.cycleStartUs)
                                                                  : nominalUs;
            const double dueJackUs = double(t.stampNs + jackMinusSteadyNs) / 1000.0 + latencyUs;
            const double frame = (dueJackUs - double(c.cycleStartUs)) * double(c.cycleFrames) / cycleUs;
            if (!handedLate && frame < -0.5)
                ++figures.lateServer;
            if (c.consistent) {
                if (frame >= 0.0)
                    figures.placeErr = std::max(figures.placeErr, std::abs(double(c.offset) - frame));
            } else {
                ++figures.inconsistent;
            }
            if (isNoteOn(e.bytes)) {
                if (previousOn != nullptr) {
                    const double interval = double(c.frame) - double(previousOn->frame);
                    const double wanted = (e.songUs - previousOnUs) * JackServer::kSampleRate / 1e6;
                    figures.intervalErrors.push_back(std::abs(interval - wanted));
                }
                previousOn = &c;
                previousOnUs = e.songUs;
            }
        }
    }
    // Tapped and captured notes no expected one accounts for.
    figures.mismatched += sentAt.size() > found ? sentAt.size() - found : 0;
    figures.mismatched += arrivedAt.size() > foundArrived ? arrivedAt.size() - foundArrived : 0;
    return figures;
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
    EngineTimer realTimer(EngineTimerOptions{.realtime = true});
    FirstTickTimer timer(realTimer);
    std::array<std::vector<Expected>, kChannels> expected;
    uint64_t late = 0;
    uint64_t dropped = 0;
    int64_t startNs = 0; // the first playback tick's deadline, steady clock
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
        startNs = timer.firstTickNs();
        engine.Stop(false);
        engine.Shutdown();
        engine.setCurrentSong(nullptr);
    }
    busy = false;
    for (std::thread& loader : loaders)
        loader.join();

    Figures figures = compare(expected, tap.entries(), capture.captured(), startNs, latencyUs);
    std::printf("midi_timing: %d s, %d busy threads, timer %s, output latency %.0f us, %llu not sent, "
                "%llu not arrived (%llu dropped by the device), %llu late at the device, %llu skipped "
                "cycles, %llu placements in inconsistent cycles left out\n",
                seconds, load, realTimer.realtime() ? "SCHED_FIFO" : "normal scheduling", latencyUs,
                static_cast<unsigned long long>(figures.notSent), static_cast<unsigned long long>(figures.notArrived),
                static_cast<unsigned long long>(dropped), static_cast<unsigned long long>(late),
                static_cast<unsigned long long>(capture.skippedCycles()),
                static_cast<unsigned long long>(figures.inconsistent));
    std::printf("stamp_err_us %.3f place_err_frames %.2f late_engine %llu late_server %llu lost %llu xruns %llu "
                "mismatched %llu interval_p99_frames %.2f events %llu\n",
                figures.stampErrUs, figures.placeErr, static_cast<unsigned long long>(figures.lateEngine),
                static_cast<unsigned long long>(figures.lateServer),
                static_cast<unsigned long long>(figures.notSent + figures.notArrived),
                static_cast<unsigned long long>(capture.xruns()), static_cast<unsigned long long>(figures.mismatched),
                percentile(figures.intervalErrors, 0.99), static_cast<unsigned long long>(figures.events));
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
