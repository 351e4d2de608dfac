// The JACK audio device under the engine: the server's rate and period,
// clips and input reaching other clients, channel selection and a server
// that dies.

#include "core/muldiv.h"
#include "tests/engine/audio_engine_jack_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <iostream>
#include <mutex>
#include <thread>
#include <csignal>
#include <jack/jack.h>

namespace rz {
namespace {

constexpr uint32_t kPeriod = JackServer::kPeriodFrames;

using AudioJack = AudioEngineJackTest;

// JACK shows other clients a new connection from its next cycle on.
bool connected(jack_client_t* client, const std::string& from, const std::string& to)
{
    jack_port_t* port = jack_port_by_name(client, from.c_str());
    return port != nullptr
           && eventually([&] { return jack_port_connected_to(port, to.c_str()) != 0; });
}

// Counts what it renders against the server's clock; stalls once when told,
// as a renderer on a busy machine may.
class ClockedRenderer : public IAudioRenderer {
public:
    explicit ClockedRenderer(jack_client_t* clock) : m_clock(clock) {}
    void renderAudio(float*, float*, uint32_t frames, uint32_t) override
    {
        // Paces the stand-in: a stall that makes the server run cycles
        // without this client.
        if (stall.exchange(false))
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        std::lock_guard lock(m_mutex);
        m_rendered += frames;
        const jack_nframes_t cycle = jack_last_frame_time(m_clock);
        if (!m_started) {
            m_started = true;
            m_first = cycle;
        }
        m_behind = int64_t(uint32_t(cycle - m_first) + frames) - int64_t(m_rendered);
        ++m_calls;
    }
    // Frames the server ran that were not rendered, at the last call.
    int64_t behind() const
    {
        std::lock_guard lock(m_mutex);
        return m_behind;
    }
    uint64_t calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    std::atomic<bool> stall{false};

private:
    jack_client_t* m_clock;
    mutable std::mutex m_mutex;
    bool m_started = false;
    jack_nframes_t m_first = 0;
    uint64_t m_rendered = 0;
    int64_t m_behind = 0;
    uint64_t m_calls = 0;
};

TEST_F(AudioJack, CyclesTheServerRanWithoutTheDeviceAreCounted)
{
    ClockedRenderer renderer(client->handle());
    std::string error;
    std::unique_ptr<JackAudioDevice> device = JackAudioDevice::open(renderer, true, error);
    ASSERT_TRUE(device) << error;
    ASSERT_TRUE(eventually([&] { return renderer.calls() >= 4; }));
    renderer.stall = true;
    ASSERT_TRUE(eventually([&] { return !renderer.stall.load(); }));
    const uint64_t after = renderer.calls();
    ASSERT_TRUE(eventually([&] { return renderer.calls() >= after + 8; }));
    ASSERT_GT(renderer.behind(), 0) << "the stall cost no cycle";
    EXPECT_GE(device->outOfStepCycles(), 1u);
    device.reset();
}

TEST_F(AudioJack, BlockLengthAndRateComeFromTheServer)
{
    profile.writeInt("AudioOptions", "RTrate", 48000);
    profile.writeInt("AudioOptions", "RTbuffer", 2205);
    CSequencer& sequencer = startEngine();
    ASSERT_NE(audio.jackDevice(), nullptr);
    EXPECT_EQ(sequencer.audioFormat().sampleRate, JackServer::kSampleRate);
    EXPECT_EQ(sequencer.hostTimeInfo().sampleRate, double(JackServer::kSampleRate));
    EXPECT_DOUBLE_EQ(sequencer.blockLength(),
                     double(MulDiv(int32_t(kPeriod), 1000000, int32_t(JackServer::kSampleRate))));
    EXPECT_EQ(sequencer.LoadAudioOptions(), "");
}

TEST_F(AudioJack, AClipAtTickZeroReachesTheClientWithinOnePeriodOfPlaySampleExact)
{
    profile.writeInt("AudioOptions", "RTinput", 0);
    CSequencer& sequencer = startEngine();
    std::vector<int16_t> ramp;
    for (int i = 0; i < 44100; ++i) {
        ramp.push_back(int16_t(100 + i % 20000));
        ramp.push_back(int16_t(-100 - i % 20000));
    }
    makeSongWithClip(0, ramp);
    const uint64_t outOfStep = audio.jackDevice()->outOfStepCycles();
    client->record();
    ASSERT_TRUE(eventually([&] { return client->recordedFrames() >= 4 * kPeriod; }));
    sequencer.Play(0, true, false);
    ASSERT_TRUE(tickUntil([&] { return sequencer.transportState() == TransportState::Playing; }));
    const uint64_t playing = jack_frame_time(client->handle());
    ASSERT_TRUE(eventually([&] { return client->recordedFrames() >= 64 * kPeriod; }));

    const JackAudioTestClient::Recording heard = client->recording();
    size_t first = 0;
    while (first < heard.left.size() && heard.left[first] == 0.0f)
        ++first;
    ASSERT_LT(first, heard.left.size()) << "the clip never arrived";
    // What a cycle the client or the engine missed carried, the server made
    // up: the clip's start and its first periods are judged only when no
    // cycle up to them was missed.
    constexpr size_t kJudged = 8 * kPeriod;
    bool disturbed = audio.jackDevice()->outOfStepCycles() != outOfStep;
    for (const JackAudioTestClient::Block& block : heard.blocks)
        disturbed = disturbed || (block.disturbed && block.offset < first + kJudged);
    if (disturbed) {
        std::cout << "a cycle was missed before the clip's first " << kJudged
                  << " frames were heard: not judged\n";
        return;
    }
    EXPECT_EQ((heard.first + first) % kPeriod, 0u) << "the clip starts a period";
    EXPECT_LE(heard.first + first, playing + kPeriod) << "within one period of Play";
    // Waveform tracks play one block ahead, for the block the output
    // holds: the first period heard is the clip's second.
    for (size_t i = 0; i < kJudged; ++i) {
        const size_t frame = kPeriod + i;
        ASSERT_EQ(heard.left[first + i], SampleToFloat(ramp[2 * frame])) << "frame " << i;
        ASSERT_EQ(heard.right[first + i], SampleToFloat(ramp[2 * frame + 1])) << "frame " << i;
    }
}

TEST_F(AudioJack, ASineFedInComesBackSummedWithPassThroughOn)
{
    profile.writeInt("AudioOptions", "Passthrough", 1);
    profile.writeString("VST\\0", "path", "/opt/vst/pad.so");
    instruments.level = 0.125f;
    startEngine();
    client->setSine(true);
    const uint64_t rendered = audio.jackDevice()->renderedBlocks();
    ASSERT_TRUE(eventually([&] { return audio.jackDevice()->renderedBlocks() > rendered + 8; }));
    // The sine comes back a whole number of periods late, plus the
    // instrument. A loaded machine may drop a period (a busy AudioMutex
    // plays silence, or the test's own source misses a cycle), so it must
    // hold over four periods in a row somewhere; a recording without such a
    // run is taken again, a few times.
    size_t longest = 0;
    for (int take = 0; take < 5 && longest < 4 * kPeriod; ++take) {
        client->record();
        ASSERT_TRUE(eventually([&] { return client->recordedFrames() >= 16 * kPeriod; }));
        const JackAudioTestClient::Recording heard = client->recording();
        for (size_t periods = 0; periods <= 4; ++periods) {
            size_t run = 0;
            for (size_t i = periods * kPeriod; i < heard.left.size(); ++i) {
                const float expected = client->sineAt(heard.first + i - periods * kPeriod) + 0.125f;
                const bool match = std::abs(heard.left[i] - expected) < 1e-6f
                                   && std::abs(heard.right[i] - expected) < 1e-6f;
                run = match ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
    }
    EXPECT_GE(longest, 4 * kPeriod) << "no sine plus the instrument came back";
}

// The server's period doubles while a clip plays: the block length and the
// instrument follow, and the clip goes on sample by sample with no block
// left out; no instrument is handed more than it was told.
TEST_F(AudioJack, PeriodChangeWhileAClipPlaysKeepsEveryBlockFull)
{
    constexpr uint32_t kNewPeriod = 2 * kPeriod;
    constexpr float kLevel = 0.125f;
    profile.writeInt("AudioOptions", "RTinput", 0);
    profile.writeString("VST\\0", "path", "/opt/vst/pad.so");
    instruments.level = kLevel;
    CSequencer& sequencer = startEngine();
    ASSERT_EQ(instruments.madeInstruments.size(), 1u);
    const FakeInstrument& instrument = *instruments.madeInstruments.front();
    std::vector<int16_t> ramp;
    for (int i = 0; i < 10 * 44100; ++i) {
        ramp.push_back(int16_t(100 + i % 20000));
        ramp.push_back(int16_t(-100 - i % 20000));
    }
    makeSongWithClip(0, ramp);
    const uint64_t outOfStep = audio.jackDevice()->outOfStepCycles();
    client->record();
    sequencer.Play(0, true, false);
    ASSERT_TRUE(tickUntil([&] { return sequencer.transportState() == TransportState::Playing; }));
    ASSERT_TRUE(eventually([&] { return client->recordedFrames() >= 16 * kPeriod; }));

    const uint64_t skipped = sequencer.skippedAudioBlocks();
    ASSERT_EQ(jack_set_buffer_size(client->handle(), kNewPeriod), 0);
    const double newLength =
        double(MulDiv(int32_t(kNewPeriod), 1000000, int32_t(JackServer::kSampleRate)));
    ASSERT_TRUE(eventually([&] {
        gui.drain();
        return sequencer.blockLength() == newLength;
    }));
    EXPECT_EQ(instrument.blockFrames(), int(kNewPeriod));
    const size_t heardBefore = client->recordedFrames();
    ASSERT_TRUE(eventually([&] { return client->recordedFrames() >= heardBefore + 32 * kNewPeriod; }));
    EXPECT_EQ(sequencer.skippedAudioBlocks(), skipped) << "a block was left silent";
    EXPECT_EQ(instrument.overrunCount(), 0) << "the instrument got more than it was told";

    // From the clip's first frame heard, every frame is the next of the
    // clip's (the first period heard is its second: waveform tracks play a
    // block ahead).
    const JackAudioTestClient::Recording heard = client->recording();
    size_t first = 0;
    while (first < heard.left.size() && (heard.left[first] == kLevel || heard.left[first] == 0.0f))
        ++first;
    ASSERT_LT(first, heard.left.size()) << "the clip never arrived";
    // What a cycle the client or the engine missed carried, the server
    // made up: the clip is followed up to the first such cycle.
    size_t judged = heard.left.size();
    if (audio.jackDevice()->outOfStepCycles() != outOfStep)
        judged = first;
    for (const JackAudioTestClient::Block& block : heard.blocks) {
        if (block.disturbed && block.offset > first)
            judged = std::min(judged, block.offset);
    }
    if (judged < heard.left.size())
        std::cout << "a cycle was missed: the clip is followed for " << judged - first << " of "
                  << heard.left.size() - first << " frames\n";
    for (size_t i = 0; first + i < judged; ++i) {
        const size_t frame = kPeriod + i;
        ASSERT_EQ(heard.left[first + i], SampleToFloat(ramp[2 * frame]) + kLevel) << "frame " << i;
        ASSERT_EQ(heard.right[first + i], SampleToFloat(ramp[2 * frame + 1]) + kLevel)
            << "frame " << i;
    }
}

TEST_F(AudioJack, ANamedPairIsConnectedCaseIgnored)
{
    std::string upper = client->port("in_l");
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    profile.writeString("AudioOptions", "AsioChnOut", upper);
    CSequencer& sequencer = startEngine();
    const std::vector<std::string> ours = audio.jackDevice()->portNames(true);
    ASSERT_EQ(ours.size(), 2u);
    EXPECT_TRUE(connected(client->handle(), ours[0], client->port("in_l")));
    EXPECT_TRUE(connected(client->handle(), ours[1], client->port("in_r")));
    const std::vector<std::string> inputs = audio.jackDevice()->portNames(false);
    ASSERT_EQ(inputs.size(), 2u);
    EXPECT_TRUE(connected(client->handle(), client->port("out_l"), inputs[0]));
    EXPECT_TRUE(connected(client->handle(), client->port("out_r"), inputs[1]));
    EXPECT_TRUE(sequencer.ApplyAsioChannelSelection(client->port("out_l"), upper));
    EXPECT_FALSE(sequencer.ApplyAsioChannelSelection("", "nobody:nothing"));
}

// A patchbay's connections to our ports outlive a reload of the audio
// options with the same channels (Setup > MIDI ports OK does one): the next
// take still hears what was patched in.
TEST_F(AudioJack, AReloadOnTheSameChannelsKeepsConnectionsMadeOutside)
{
    CSequencer& sequencer = startEngine();
    const std::vector<std::string> inputs = audio.jackDevice()->portNames(false);
    const std::vector<std::string> outputs = audio.jackDevice()->portNames(true);
    ASSERT_EQ(inputs.size(), 2u);
    ASSERT_EQ(outputs.size(), 2u);
    ASSERT_EQ(jack_connect(client->handle(), "system:capture_1", inputs[1].c_str()), 0);
    ASSERT_EQ(jack_connect(client->handle(), outputs[0].c_str(), "system:playback_2"), 0);
    ASSERT_TRUE(connected(client->handle(), "system:capture_1", inputs[1]));
    ASSERT_TRUE(connected(client->handle(), outputs[0], "system:playback_2"));

    EXPECT_EQ(sequencer.LoadAudioOptions(), "");

    const std::vector<std::string> reopenedInputs = audio.jackDevice()->portNames(false);
    const std::vector<std::string> reopenedOutputs = audio.jackDevice()->portNames(true);
    ASSERT_EQ(reopenedInputs.size(), 2u);
    ASSERT_EQ(reopenedOutputs.size(), 2u);
    EXPECT_TRUE(connected(client->handle(), "system:capture_1", reopenedInputs[1]));
    EXPECT_TRUE(connected(client->handle(), reopenedOutputs[0], "system:playback_2"));
    EXPECT_TRUE(connected(client->handle(), client->port("out_l"), reopenedInputs[0]));
    EXPECT_TRUE(connected(client->handle(), reopenedOutputs[0], client->port("in_l")));
}

TEST_F(AudioJack, AKilledServerLeavesTheEngineSilentAndTheReasonIsGiven)
{
    CSequencer& sequencer = startEngine();
    JackAudioDevice* device = audio.jackDevice();
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(eventually([&] { return device->renderedBlocks() > 4; }));
    client.reset();
    ::kill(m_server->pid(), SIGTERM);
    ASSERT_TRUE(eventually([&] { return device->gone(); }));
    const uint64_t rendered = device->renderedBlocks();
    EXPECT_EQ(device->renderedBlocks(), rendered);
    EXPECT_EQ(sequencer.LoadAudioOptions(), "No JACK server is running.");
    EXPECT_EQ(audio.jackDevice(), nullptr);
    sequencer.Play(0, true, false);
    timer.advance(10); // MIDI plays on without audio
}

} // namespace
} // namespace rz
