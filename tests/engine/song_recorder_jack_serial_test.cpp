// The song recorder on a JACK dummy server of the test's own: the engine
// plays a set of three one-bar songs on its real timer while a sine reaches
// the recorder's input sink; alone (RUN_SERIAL), as every JACK test.

#include "core/ms_clock.h"
#include "engine/song_recorder.h"
#include "engine/wave_file.h"
#include "platform/engine_timer.h"
#include "song/smf_reader.h"
#include "tests/engine/engine_jack_fixture.h"
#include "tests/song/smf_builder.h"

#include <jack/jack.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;

// A client whose two outputs play a 440 Hz sine at half scale.
class SineSource {
public:
    SineSource()
    {
        m_client = jack_client_open("rz-sine", JackNoStartServer, nullptr);
        if (m_client == nullptr)
            return;
        for (int i = 0; i < 2; ++i)
            m_ports[i] = jack_port_register(m_client, i == 0 ? "left" : "right", JACK_DEFAULT_AUDIO_TYPE,
                                            JackPortIsOutput, 0);
        m_rate = jack_get_sample_rate(m_client);
        jack_set_process_callback(m_client, &SineSource::process, this);
        jack_activate(m_client);
    }
    ~SineSource()
    {
        if (m_client != nullptr)
            jack_client_close(m_client);
    }
    bool ok() const { return m_client != nullptr && m_ports[0] != nullptr && m_ports[1] != nullptr; }
    std::string portName(int side) const { return jack_port_name(m_ports[side]); }
    jack_client_t* client() const { return m_client; }

private:
    static int process(jack_nframes_t frames, void* self)
    {
        auto* source = static_cast<SineSource*>(self);
        auto* left = static_cast<float*>(jack_port_get_buffer(source->m_ports[0], frames));
        auto* right = static_cast<float*>(jack_port_get_buffer(source->m_ports[1], frames));
        for (jack_nframes_t i = 0; i < frames; ++i, ++source->m_frame)
            left[i] = right[i] =
                0.5f * float(std::sin(2 * std::numbers::pi * 440.0 * double(source->m_frame) / source->m_rate));
        return 0;
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_ports[2] = {nullptr, nullptr};
    uint64_t m_frame = 0;
    double m_rate = 44100;
};

// The engine's audio input as the low-latency device gives it: two JACK
// input ports whose blocks go to the attached sink in the process callback.
class JackRecorderInput : public IRecorderInput {
public:
    JackRecorderInput()
    {
        m_client = jack_client_open("rz-engine-in", JackNoStartServer, nullptr);
        if (m_client == nullptr)
            return;
        for (int i = 0; i < 2; ++i)
            m_ports[i] = jack_port_register(m_client, i == 0 ? "in_1" : "in_2", JACK_DEFAULT_AUDIO_TYPE,
                                            JackPortIsInput, 0);
        m_rate = jack_get_sample_rate(m_client);
        jack_set_process_callback(m_client, &JackRecorderInput::process, this);
        jack_activate(m_client);
    }
    ~JackRecorderInput() override
    {
        if (m_client != nullptr)
            jack_client_close(m_client);
    }
    bool ok() const { return m_client != nullptr && m_ports[0] != nullptr && m_ports[1] != nullptr; }
    std::string portName(int side) const { return jack_port_name(m_ports[side]); }

    uint32_t sampleRate() const override { return m_rate; }
    bool attach(CWaveDiskWriter& sink) override
    {
        m_sink.store(&sink);
        return true;
    }
    void release() override { m_sink.store(nullptr); }
    // Frames handed to the sink so far.
    uint64_t frames() const { return m_frames.load(); }

private:
    static int process(jack_nframes_t frames, void* self)
    {
        auto* input = static_cast<JackRecorderInput*>(self);
        CWaveDiskWriter* sink = input->m_sink.load();
        if (sink == nullptr)
            return 0;
        const auto* left = static_cast<const float*>(jack_port_get_buffer(input->m_ports[0], frames));
        const auto* right = static_cast<const float*>(jack_port_get_buffer(input->m_ports[1], frames));
        sink->AppendFloat(left, right, frames, 2);
        input->m_frames.fetch_add(frames);
        return 0;
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_ports[2] = {nullptr, nullptr};
    uint32_t m_rate = 44100;
    std::atomic<CWaveDiskWriter*> m_sink{nullptr};
    std::atomic<uint64_t> m_frames{0};
};

// One bar of 4/4 at 240 per minute: a second.
std::vector<uint8_t> oneBarSong()
{
    test::TrackBuilder track;
    track.meta(0, 0x51, {0x03, 0xD0, 0x90})
        .meta(0, 0x58, {4, 2, 24, 8})
        .event(0, {0x90, 60, 100})
        .event(480, {0x80, 60, 0})
        .end(1440);
    test::SmfBuilder file;
    file.header(0, 1, 480).track(track);
    return file.bytes();
}

class SongRecorderJack : public EngineJackTest {};

class EngineSet : public IRecorderSet {
public:
    EngineSet(CSequencer& engine, FakeSongHost& host) : m_engine(engine), m_host(host) {}
    std::vector<CSongDoc*> songs;
    std::filesystem::path folder;

    bool setOpen() const override { return true; }
    std::filesystem::path setFolder() const override { return folder; }
    CSongDoc* SelectSongByIndex(size_t i) override
    {
        m_index = i;
        CSongDoc* song = i < songs.size() ? songs[i] : nullptr;
        m_host.current = song;
        m_engine.setCurrentSong(song);
        if (song != nullptr)
            song->Locate(0);
        return song;
    }
    bool StepSong() override
    {
        if (m_index + 1 >= songs.size())
            return false;
        SelectSongByIndex(m_index + 1);
        return true;
    }

private:
    CSequencer& m_engine;
    FakeSongHost& m_host;
    size_t m_index = 0;
};

int risingZeroCrossings(const int16_t* stereo, size_t frames)
{
    int count = 0;
    for (size_t f = 1; f < frames; ++f)
        if (stereo[2 * (f - 1)] < 0 && stereo[2 * f] >= 0)
            ++count;
    return count;
}

TEST_F(SongRecorderJack, EntireSetWritesOneWaveFilePerSongEachWithTheSineAndItsTail)
{
    JackRecorderInput input;
    SineSource sine;
    ASSERT_TRUE(input.ok());
    ASSERT_TRUE(sine.ok());
    for (int side = 0; side < 2; ++side)
        ASSERT_EQ(jack_connect(sine.client(), sine.portName(side).c_str(), input.portName(side).c_str()), 0);

    EngineTimer timer{EngineTimerOptions{.realtime = true}};
    profile.writeInt("OpenOptions", "WarnFormat", 0);
    CSequencer& sequencer = startEngine(timer);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("rz_recorder_jack_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::vector<std::unique_ptr<CSongDoc>> songs;
    EngineSet set(sequencer, songHost);
    set.folder = folder;
    const std::vector<uint8_t> bytes = oneBarSong();
    for (const char* title : {"One", "Two", "Three"}) {
        songs.push_back(std::make_unique<CSongDoc>(
            SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = sequencer}));
        std::string reason;
        ASSERT_TRUE(OpenSongBytes(*songs.back(), bytes, SongFileKind{}, reason)) << reason;
        songs.back()->title = title;
        songs.back()->pathName = folder / (std::string(title) + ".mid");
        set.songs.push_back(songs.back().get());
    }
    set.SelectSongByIndex(0);

    profile.writeInt("M2DA", "automation", 2);
    profile.writeInt("M2DA", "fadetime", 1);
    profile.writeInt("M2DA", "audio_mypath", 0);
    SongRecorder recorder(SongRecorderSeams{profile, prompt, sequencer, songHost, songHost, set, input,
                                            programClock(), folder, {}});
    recorder.open();
    gui.recorder.clear();
    ASSERT_TRUE(recorder.begin());

    // As the program's end-of-song timer and the dialog's timer do it, at a
    // finer step so that the tail ends close to its second.
    std::vector<uint64_t> starts{input.frames()};
    std::vector<uint64_t> ends;
    RecorderTick result = RecorderTick::Continue;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (result == RecorderTick::Continue && std::chrono::steady_clock::now() < deadline) {
        gui.drain();
        const auto calls = gui.recorder.calls();
        if (std::find(calls.begin(), calls.end(), "setFrameTimer(666)") != calls.end()) {
            gui.recorder.clear();
            if (sequencer.transportState() == TransportState::SongEnded) {
                sequencer.Stop(false);
                recorder.songEnded();
                ends.push_back(input.frames());
            }
        }
        const size_t filesBefore = recorder.files().size();
        result = recorder.tick();
        if (recorder.files().size() > filesBefore)
            starts.push_back(input.frames());
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(result, RecorderTick::Finished);
    ASSERT_EQ(recorder.files().size(), 3u);
    ASSERT_EQ(ends.size(), 3u);

    const uint32_t rate = input.sampleRate();
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(recorder.files()[i].string());
        EXPECT_EQ(recorder.files()[i], folder / (std::string(std::vector{"One", "Two", "Three"}[i]) + ".wav"));
        std::string reason;
        const auto read = ReadWaveFile(recorder.files()[i], rate, reason);
        ASSERT_TRUE(read) << reason;
        const int64_t frames = read->frameCount();
        // The bar, then the tail from the moment the song's end was seen.
        const double tailMs = double(frames - int64_t(ends[i] - starts[i])) * 1000.0 / rate;
        EXPECT_NEAR(tailMs, 1000.0, 50.0);
        EXPECT_GT(double(frames) / rate, 1.9);
        // Half a second from the middle: 220 periods of the sine at half scale.
        const size_t from = size_t(frames / 2);
        const int crossings = risingZeroCrossings(read->samples.data() + 2 * from, rate / 2);
        EXPECT_NEAR(crossings, 220, 3);
        int peak = 0;
        for (size_t f = from; f < from + rate / 2; ++f)
            peak = std::max(peak, std::abs(int(read->samples[2 * f + 1])));
        EXPECT_NEAR(peak, 16383, 200);
    }
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace rz
