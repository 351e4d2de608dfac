// The song recorder with the real audio engines on a JACK dummy server of
// the test's own: the engine plays a set of three one-bar songs while the
// test client's sine reaches the engine's JACK inputs; alone (RUN_SERIAL),
// as every JACK test.

#include "core/locks.h"
#include "core/ms_clock.h"
#include "engine/audio/song_recorder.h"
#include "engine/song_recorder_input.h"
#include "engine/audio/wave_file.h"
#include "song/smf_reader.h"
#include "tests/engine/audio_engine_jack_fixture.h"
#include "tests/song/smf_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;

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

// The set's songs, stepped as the set pane steps them.
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

// Frames of a recorded file that stray from the test client's sine.
struct OffTheSine {
    size_t stretches = 0; // runs of straying frames
    size_t longest = 0;   // frames in the longest run
    size_t frames = 0;    // straying frames in all
};

// The sine repeats every 100 frames at half scale on both sides. The file
// follows one phase of it from start to end: a block the recorder lost or
// repeated moves the phase for good (256 frames are not a whole number of
// its periods), and every frame after it strays. A cycle in which the test
// client's sine was missing only spoils that cycle's frames.
OffTheSine offTheSine(const std::vector<int16_t>& data)
{
    const size_t frames = data.size() / 2;
    auto strays = [&](size_t frame, size_t phase) {
        const double ideal = 16384.0 * std::sin(2.0 * M_PI * double((phase + frame) % 100) / 100.0);
        return std::abs(data[2 * frame] - ideal) > 3.0 || std::abs(data[2 * frame + 1] - ideal) > 3.0;
    };
    size_t best = 0;
    size_t bestStraying = frames + 1;
    for (size_t phase = 0; phase < 100; ++phase) {
        size_t straying = 0;
        for (size_t f = 0; f < frames && straying < bestStraying; ++f)
            straying += strays(f, phase) ? 1 : 0;
        if (straying < bestStraying) {
            best = phase;
            bestStraying = straying;
        }
    }
    // A spoiled cycle holds another phase of the sine, which meets ours at
    // a few frames of every period: straying frames less than a period
    // apart make one stretch.
    OffTheSine off;
    size_t first = 0;
    size_t last = 0;
    bool inStretch = false;
    for (size_t f = 0; f < frames; ++f) {
        if (!strays(f, best))
            continue;
        ++off.frames;
        if (inStretch && f - last < 100) {
            last = f;
            continue;
        }
        if (inStretch) {
            ++off.stretches;
            off.longest = std::max(off.longest, last + 1 - first);
        }
        inStretch = true;
        first = last = f;
    }
    if (inStretch) {
        ++off.stretches;
        off.longest = std::max(off.longest, last + 1 - first);
    }
    return off;
}

class SongRecorderJack : public AudioEngineJackTest {
protected:
    void SetUp() override
    {
        AudioEngineJackTest::SetUp();
        folder = std::filesystem::temp_directory_path() / ("rz-recorder-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        profile.writeInt("AudioOptions", "Passthrough", 0);
        profile.writeInt("OpenOptions", "WarnFormat", 0);
        client->setSine(true);
        startEngine();
    }
    void TearDown() override
    {
        AudioEngineJackTest::TearDown();
        std::filesystem::remove_all(folder);
    }

    // Frames the engine's JACK input has delivered.
    uint64_t inputFrames() const { return audio.jackDevice()->renderedBlocks() * JackServer::kPeriodFrames; }

    std::filesystem::path folder;
};

TEST_F(SongRecorderJack, EntireSetWritesOneWaveFilePerSongEachWithTheSineAndItsTail)
{
    ASSERT_NE(audio.jackDevice(), nullptr);
    ASSERT_TRUE(audio.lowLatencyInput());
    std::vector<std::unique_ptr<CSongDoc>> songs;
    // The engine lets go of the current song before the songs go, as the
    // program does, so the audio thread never reads a destroyed song.
    struct ReleaseCurrentSong {
        CSequencer& engine;
        ~ReleaseCurrentSong()
        {
            LockGuard guard(SongMutex(), "test end");
            engine.setCurrentSong(nullptr);
        }
    } release{*engine};
    EngineSet set(*engine, songHost);
    set.folder = folder;
    const std::vector<uint8_t> bytes = oneBarSong();
    const std::vector<std::string> titles{"One", "Two", "Three"};
    for (const std::string& title : titles) {
        songs.push_back(std::make_unique<CSongDoc>(
            SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = *engine}));
        std::string reason;
        ASSERT_TRUE(OpenSongBytes(*songs.back(), bytes, SongFileKind{}, reason)) << reason;
        songs.back()->title = title;
        songs.back()->pathName = folder / (title + ".mid");
        set.songs.push_back(songs.back().get());
    }
    set.SelectSongByIndex(0);

    profile.writeInt("M2DA", "automation", 2);
    profile.writeInt("M2DA", "fadetime", 1);
    profile.writeInt("M2DA", "audio_mypath", 0);
    SequencerRecorderInput input(*engine, audio);
    SongRecorder recorder(SongRecorderSeams{profile, prompt, *engine, songHost, songHost, set, input,
                                            programClock(), folder, {}});
    recorder.open();
    ASSERT_EQ(input.sampleRate(), JackServer::kSampleRate);
    gui.recorder.clear();
    const uint64_t disturbancesBefore = client->disturbances();
    const uint64_t missedBefore = audio.jackDevice()->outOfStepCycles();
    // Each file's start and each song's end are bracketed by the input's
    // frame count before and after the call: the test's thread may be held
    // up on either side of it on a busy machine.
    std::vector<uint64_t> startsEarliest{inputFrames()};
    ASSERT_TRUE(recorder.begin());

    // The engine timer keeps pace with real time; the program's end-of-song
    // timer and the dialog's timer run as they do in the program, the
    // latter at a finer step so that the tail ends close to its second.
    std::vector<uint64_t> starts{inputFrames()};
    std::vector<uint64_t> endsEarliest;
    std::vector<uint64_t> ends;
    RecorderTick result = RecorderTick::Continue;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    auto last = std::chrono::steady_clock::now();
    // The longest the loop went without a recorder tick: the tail can end
    // that much after its second.
    auto lastTick = last;
    std::chrono::steady_clock::duration longestGap{};
    while (result == RecorderTick::Continue && std::chrono::steady_clock::now() < deadline) {
        const auto now = std::chrono::steady_clock::now();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
        if (ms.count() > 0) {
            timer.advance(uint32_t(ms.count()));
            last += ms;
        }
        gui.drain();
        const auto calls = gui.recorder.calls();
        if (std::find(calls.begin(), calls.end(), "setFrameTimer(666)") != calls.end()) {
            gui.recorder.clear();
            if (engine->transportState() == TransportState::SongEnded) {
                engine->Stop(false);
                endsEarliest.push_back(inputFrames());
                recorder.songEnded();
                ends.push_back(inputFrames());
            }
        }
        const size_t filesBefore = recorder.files().size();
        const uint64_t beforeTick = inputFrames();
        const auto tickAt = std::chrono::steady_clock::now();
        longestGap = std::max(longestGap, tickAt - lastTick);
        lastTick = tickAt;
        result = recorder.tick();
        if (recorder.files().size() > filesBefore) {
            startsEarliest.push_back(beforeTick);
            starts.push_back(inputFrames());
        }
        // Paces the stand-in GUI loop, as the program's timers would.
        std::this_thread::sleep_for(5ms);
    }
    recorder.close();
    const uint64_t disturbances = client->disturbances() - disturbancesBefore;
    // Input of cycles the server ran without the engine was never heard,
    // or heard twice: then a file may also lose or repeat a block there.
    const bool engineMissed = audio.jackDevice()->outOfStepCycles() != missedBefore;
    ASSERT_EQ(result, RecorderTick::Finished);
    ASSERT_EQ(recorder.files().size(), 3u);
    ASSERT_EQ(ends.size(), 3u);

    const uint32_t rate = JackServer::kSampleRate;
    uint64_t strayed = 0;
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(titles[i]);
        EXPECT_EQ(recorder.files()[i], folder / (titles[i] + ".wav"));
        std::string reason;
        const auto read = ReadWaveFile(recorder.files()[i], rate, reason);
        ASSERT_TRUE(read) << reason;
        const std::vector<int16_t>& data = read->samples;
        const int64_t frames = read->frameCount();
        // The bar, then the tail from the moment the song's end was seen.
        if (!engineMissed) {
            EXPECT_GT(double(frames) / rate, 1.9);
        }
        const auto tailMs = [&](uint64_t end, uint64_t start) {
            return double(frames - (int64_t(end) - int64_t(start))) * 1000.0 / rate;
        };
        const double shortestTailMs = tailMs(ends[i], startsEarliest[i]);
        const double longestTailMs = tailMs(endsEarliest[i], starts[i]);
        const double lateMs =
            double(std::chrono::duration_cast<std::chrono::microseconds>(longestGap).count()) / 1000.0;
        // A cycle lost to the engine or the server moves the frame counts the
        // tail is measured by: then it is only reported.
        const bool tailInRange = shortestTailMs <= 1050.0 + lateMs && longestTailMs >= 950.0;
        if (engineMissed || disturbances != 0) {
            if (!tailInRange)
                std::cout << "cycles were lost: the tail of " << shortestTailMs << " to " << longestTailMs
                          << " ms is not judged\n";
        } else {
            EXPECT_TRUE(tailInRange) << "the tail is " << shortestTailMs << " to " << longestTailMs
                                     << " ms, not 1000 +- 50 (ticks were up to " << lateMs << " ms apart)";
        }
        // The sine throughout, on one phase: half scale, repeating every 100
        // frames, on both sides. Only a cycle the test client missed, or one
        // next to an xrun the server reported, may stray, and no further
        // than it and the cycle after it.
        int peak = 0;
        for (int16_t sample : data)
            peak = std::max(peak, std::abs(int(sample)));
        EXPECT_GE(peak, 16380);
        EXPECT_LE(peak, 16384);
        const OffTheSine off = offTheSine(data);
        strayed += off.stretches;
        if (!engineMissed) {
            // Cycles the client missed in a row stray together, with the one after them.
            EXPECT_LE(off.longest, std::max<uint64_t>(2, disturbances + 1) * JackServer::kPeriodFrames)
                << off.frames << " frames stray from the sine: the recorder lost or repeated a block";
        }
        if (off.stretches > 0)
            std::cout << off.stretches << " stretches of " << off.frames
                      << " frames in all stray from the sine, the longest " << off.longest
                      << " frames; the client missed cycles or saw xruns " << disturbances
                      << " times\n";
    }
    if (engineMissed) {
        std::cout << "the engine missed cycles: a lost block is not held against the recorder\n";
    } else {
        EXPECT_LE(strayed, disturbances)
            << "the file strays from the sine while the test client ran every cycle and the "
               "server reported no xrun";
    }
}

} // namespace
} // namespace rz
