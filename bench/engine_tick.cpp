// The playback tick on a dense 16-track song: what one tick costs on a
// device that drops everything, how many allocations it makes, and, on the
// real timer thread, how late each message reaches its device after the
// tick time it was scheduled for. Then the allocations of the ticks that
// start 100 clips at once, with the AudioMutex free and busy.
// Usage: engine_tick [ticks]   (default 20000 measured ticks of 2 ms)

#include "core/locks.h"
#include "core/profile.h"
#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"
#include "engine/audio/audio_format.h"
#include "engine/gui_posts.h"
#include "engine/instrument_loader.h"
#include "engine/sequencer.h"
#include "engine/sequencer_devices.h"
#include "platform/engine_timer.h"
#include "song/play_images.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/support/alloc_counter/alloc_counter.h"
#include "tests/support/fake_song_host.h"
#include "tests/support/lock_holder.h"
#include "tests/support/manual_engine_timer.h"
#include "tests/support/recording_engine_host.h"
#include "tests/support/scripted_prompt.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace rz {
namespace {

constexpr int kTracks = 16;
constexpr int32_t kSongTicks = 120 * 2 * 90; // 90 s at 120 per quarter, time base 120
constexpr uint32_t kPeriodMs = 2;
constexpr int kWarmUpTicks = 500;
constexpr int kJumps = 200;
constexpr auto kJitterRun = std::chrono::seconds(2);
constexpr int kClips = 100;
constexpr int32_t kClipTick = 240; // one second in

// Keeps nothing; or, when `lateness` is set, how long after its stamp each
// message arrived, µs, into room reserved beforehand.
class BenchDevice : public IMidiOutDevice {
public:
    explicit BenchDevice(std::vector<double>* lateness, std::atomic<size_t>* count)
        : m_lateness(lateness), m_count(count)
    {
    }
    bool open() override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    void sendShort(std::span<const uint8_t>, TickTime stamp) override
    {
        if (m_lateness == nullptr)
            return;
        const auto late = std::chrono::steady_clock::now() - stamp;
        const size_t i = m_count->load(std::memory_order_relaxed);
        if (i < m_lateness->size()) {
            (*m_lateness)[i] = std::chrono::duration<double, std::micro>(late).count();
            m_count->store(i + 1, std::memory_order_release);
        }
    }
    LongSendResult sendLong(std::span<const uint8_t>, std::chrono::milliseconds) override
    {
        return LongSendResult::Delivered;
    }
    size_t maxLongMessageBytes() const override { return 65536; }
    std::string displayName() const override { return "Bench"; }
    MidiDeviceKind kind() const override { return MidiDeviceKind::Software; }

private:
    std::vector<double>* m_lateness;
    std::atomic<size_t>* m_count;
};

class BenchDevices : public IMidiDeviceSource {
public:
    BenchDevices(std::vector<double>* lateness, std::atomic<size_t>* count)
        : m_lateness(lateness), m_count(count)
    {
    }
    std::vector<MidiDeviceDescriptor> outputs() const override
    {
        return {{"Bench", MidiDeviceKind::Software, MidiBackend::Jack, "bench"}};
    }
    std::vector<MidiDeviceDescriptor> inputs() const override { return {}; }
    std::unique_ptr<IMidiOutDevice> makeOutput(const MidiDeviceDescriptor&) const override
    {
        return std::make_unique<BenchDevice>(m_lateness, m_count);
    }
    std::unique_ptr<IMidiInDevice> makeInput(const MidiDeviceDescriptor&) const override
    {
        return nullptr;
    }

private:
    std::vector<double>* m_lateness;
    std::atomic<size_t>* m_count;
};

// A GUI that never runs what it is handed: the bench times the engine alone.
class NoGui : public IGuiThreadQueue {
public:
    void postToGui(std::function<void()>) override {}
};

enum class BenchSong { Dense, HundredClips };

// Every track a note every 2 ticks (8.3 ms) and a controller every beat.
void fillDense(CSongDoc& song, CSequencer& engine)
{
    for (int i = 0; i < kTracks; ++i) {
        CTrack& track = test::addUserTrack(song);
        track.channel = i;
        track.outputPort = engine.openOutPort(0);
        for (int32_t tick = i % 2; tick < kSongTicks; tick += 2) {
            track.InsertEventSorted(
                test::note(tick, uint8_t(40 + (tick + i) % 48), 90, 1, uint8_t(i)));
            if (tick % 120 < 2)
                track.InsertEventSorted(
                    test::controller(tick, 11, uint8_t(tick / 120 % 128), uint8_t(i)));
        }
    }
}

// kClips waveform tracks, each with one loaded clip at kClipTick.
void fillClips(CSongDoc& song)
{
    auto samples = std::make_shared<AudioClipSamples>();
    samples->samples.assign(2 * 44100, 1000);
    for (int i = 0; i < kClips; ++i) {
        CTrack& track = test::addUserTrack(song);
        track.type = kWaveTrack;
        auto clip = std::make_unique<CAudioClip>();
        clip->fileName = "clip" + std::to_string(i) + ".wav";
        clip->number = i + 1;
        clip->length = WaveDuration(samples->frameCount(), 44100);
        clip->samples = samples;
        clip->loaded = true;
        CMidiEvent event;
        event.tick = kClipTick;
        event.SetClip(std::move(clip));
        track.events.push_back(std::move(event));
    }
}

// The engine over the bench's fakes, with a song current on it.
struct BenchEngine {
    MemoryProfile profile;
    ScriptedPrompt prompt;
    NoGui gui;
    RecordingEngineHost host;
    EngineToGui posts{gui, std::thread::id(), host, host, host};
    BenchDevices devices;
    UnavailableInstrumentLoader instruments;
    NoAudioEngines audio;
    FakeSongHost songHost;
    std::unique_ptr<CSequencer> engine;
    std::unique_ptr<CSongDoc> song;

    BenchEngine(IEngineTimer& timer, std::vector<double>* lateness = nullptr,
                std::atomic<size_t>* count = nullptr, BenchSong kind = BenchSong::Dense)
        : devices(lateness, count)
    {
        engine = std::make_unique<CSequencer>(SequencerServices{.profile = profile,
                                                                .prompt = prompt,
                                                                .gui = gui,
                                                                .toGui = posts,
                                                                .devices = devices,
                                                                .instruments = instruments,
                                                                .timer = timer,
                                                                .audio = audio});
        engine->Init();
        song = std::make_unique<CSongDoc>(
            SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = *engine});
        song->InitNewSong();
        if (kind == BenchSong::Dense)
            fillDense(*song, *engine);
        else
            fillClips(*song);
        RebuildPlayImages(*song, false);
        song->ExtendMeasureMap();
        engine->setCurrentSong(song.get());
    }
    ~BenchEngine()
    {
        engine->Shutdown();
        engine->setCurrentSong(nullptr);
    }
};

double percentile(const std::vector<double>& sorted, double p)
{
    if (sorted.empty())
        return 0.0;
    const size_t i = std::min(sorted.size() - 1, size_t(p * double(sorted.size() - 1) + 0.5));
    return sorted[i];
}

double mean(const std::vector<double>& values)
{
    double sum = 0.0;
    for (double v : values)
        sum += v;
    return values.empty() ? 0.0 : sum / double(values.size());
}

void printTimes(const char* label, std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    std::printf("%-28s mean %8.2f us  p50 %8.2f us  p99 %8.2f us  max %8.2f us\n", label,
                mean(us), percentile(us, 0.5), percentile(us, 0.99), us.empty() ? 0.0 : us.back());
}

// One TimerProc after another on this thread, each timed.
void measureTickCost(int ticks)
{
    ManualEngineTimer timer;
    BenchEngine bench(timer);
    CSequencer& engine = *bench.engine;
    engine.Play(0, true, false);
    for (int i = 0; i < kWarmUpTicks; ++i)
        engine.TimerProc(0);

    std::vector<double> us(size_t(ticks), 0.0);
    AllocationCount counted;
    for (int i = 0; i < ticks; ++i) {
        const auto start = std::chrono::steady_clock::now();
        engine.TimerProc(0);
        us[size_t(i)] = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now()
                                                                  - start)
                            .count();
    }
    const uint64_t playing = counted.value();
    std::printf("engine_tick: %d tracks, %d ticks of %u ms on a device that drops everything\n",
                kTracks, ticks, kPeriodMs);
    printTimes("tick while playing", us);
    std::printf("%-28s %.4f per tick (%llu in all)\n", "allocations while playing",
                double(playing) / double(ticks), static_cast<unsigned long long>(playing));

    // Jumps: the tick after each locates and chases.
    std::vector<double> jumps(kJumps, 0.0);
    counted.reset();
    for (int i = 0; i < kJumps; ++i) {
        engine.Play(int32_t(i) * (kSongTicks / kJumps / 2), true, false);
        const auto start = std::chrono::steady_clock::now();
        engine.TimerProc(0);
        jumps[size_t(i)] = std::chrono::duration<double, std::micro>(
                               std::chrono::steady_clock::now() - start)
                               .count();
    }
    const uint64_t jumping = counted.value();
    printTimes("tick that locates a jump", jumps);
    std::printf("%-28s %.4f per jump (%llu in all)\n", "allocations at a jump",
                double(jumping) / double(kJumps), static_cast<unsigned long long>(jumping));
    engine.Stop(false);
}

// The real timer thread plays for 2 s; each message's arrival minus its tick
// time.
void measureJitter()
{
    EngineTimer timer;
    std::vector<double> lateness(200'000, 0.0);
    std::atomic<size_t> count{0};
    size_t measured = 0;
    {
        BenchEngine bench(timer, &lateness, &count);
        count = 0;
        bench.engine->Play(0, true, false);
        std::this_thread::sleep_for(kJitterRun);
        measured = count.load(); // not the stop's messages, sent outside any tick
        bench.engine->Stop(false);
    }
    lateness.resize(measured);
    std::printf("dispatch jitter over %lld s (%s), %zu messages:\n",
                static_cast<long long>(kJitterRun.count()),
                timer.realtime() ? "SCHED_FIFO" : "normal scheduling", lateness.size());
    printTimes("message after its tick time", std::move(lateness));
}

// From well before the clips' start to just after it, twice: with the
// AudioMutex free, and held by another thread over the start and let go.
void measureClipStarts()
{
    ManualEngineTimer timer;
    BenchEngine bench(timer, nullptr, nullptr, BenchSong::HundredClips);
    CSequencer& engine = *bench.engine;
    uint64_t allocations = 0;
    int ticks = 0;
    for (const bool busy : {false, true}) {
        engine.Play(0, true, false);
        // Waveform tracks play a block ahead: the clips start somewhat
        // before their tick.
        while (engine.position() < kClipTick / 2)
            engine.TimerProc(0);
        std::optional<LockHolder> holder;
        if (busy)
            holder.emplace(AudioMutex());
        AllocationCount counted;
        for (; engine.position() < kClipTick + 2; ++ticks)
            engine.TimerProc(0);
        holder.reset();
        for (int i = 0; i < 2; ++i, ++ticks)
            engine.TimerProc(0);
        allocations += counted.value();
        engine.Stop(false);
    }
    std::printf("%-28s %.4f per tick (%llu in all)\n",
                "allocations, 100 clips starting at one tick", double(allocations) / double(ticks),
                static_cast<unsigned long long>(allocations));
}

} // namespace
} // namespace rz

int main(int argc, char** argv)
{
    const int ticks = argc > 1 ? std::max(std::atoi(argv[1]), 1) : 20000;
    rz::measureTickCost(ticks);
    rz::measureClipStarts();
    rz::measureJitter();
    return 0;
}
