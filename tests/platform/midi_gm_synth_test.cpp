// The built-in General MIDI synthesizer with the TimGM6mb SoundFont,
// rendering to a buffer.

#include "platform/midi_gm_synth.h"
#include "platform/midi_output_latency.h"
#include "platform/midi_system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <algorithm>
#include <filesystem>
#include <span>
#include <vector>

namespace rz {
namespace {

using Bytes = std::vector<uint8_t>;

const std::filesystem::path kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// Root mean square of the next `frames` frames, both channels.
double renderRms(GmSynthDevice& synth, size_t frames)
{
    std::vector<float> left(frames), right(frames);
    EXPECT_TRUE(synth.render(left, right));
    double sum = 0;
    for (size_t i = 0; i < frames; ++i)
        sum += double(left[i]) * left[i] + double(right[i]) * right[i];
    return std::sqrt(sum / double(2 * frames));
}

class GmSynthRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::is_regular_file(kTestSoundFont))
            << kTestSoundFont << " is missing: install the Debian package timgm6mb-soundfont";
        GmSynthOptions options;
        options.soundFont = kTestSoundFont;
        options.driverless = true;
        m_synth = std::make_unique<GmSynthDevice>(options);
        ASSERT_TRUE(m_synth->open()) << m_synth->openError();
    }

    std::unique_ptr<GmSynthDevice> m_synth;
};

TEST_F(GmSynthRender, IsAnInternalSynthNamedForThePortsDialog)
{
    EXPECT_EQ(m_synth->displayName(), "Built-in GM Synth");
    EXPECT_EQ(m_synth->kind(), MidiDeviceKind::InternalSynth);
    EXPECT_TRUE(m_synth->isOpen());
    EXPECT_TRUE(m_synth->audioDriver().empty());
}

TEST_F(GmSynthRender, SilentUntilANoteThenSilentAgainAfterItsRelease)
{
    EXPECT_LT(renderRms(*m_synth, 4096), 1e-6);
    m_synth->sendShort(Bytes{0x90, 60, 100});
    EXPECT_GT(renderRms(*m_synth, 4096), 1e-3);
    m_synth->sendShort(Bytes{0x80, 60, 0});
    renderRms(*m_synth, 3 * 44100); // the release dies away
    EXPECT_LT(renderRms(*m_synth, 4096), 1e-5);
}

TEST_F(GmSynthRender, SnareKey38OnChannel10Sounds)
{
    m_synth->sendShort(Bytes{0x99, 38, 110});
    EXPECT_GT(renderRms(*m_synth, 4096), 1e-3);
}

TEST_F(GmSynthRender, ChannelMessagesAndRealTimeBytesAreTakenQuietly)
{
    const std::vector<Bytes> messages = {
        {0xC0, 40},       {0xB0, 7, 100}, {0xE0, 0x00, 0x50}, {0xD0, 90}, {0xA0, 60, 20},
        {0xF8},           {0xFA},         {0xFE},            {0xF2, 1, 2}, {0x40, 0x40},
    };
    for (const Bytes& message : messages)
        m_synth->sendShort(message);
    EXPECT_LT(renderRms(*m_synth, 4096), 1e-6) << "nothing was played";
    m_synth->sendShort(Bytes{0x90, 72, 100});
    EXPECT_GT(renderRms(*m_synth, 4096), 1e-3) << "the synthesizer still plays";
}

TEST_F(GmSynthRender, SystemExclusiveResetsAreAccepted)
{
    EXPECT_EQ(m_synth->sendLong(Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, std::chrono::milliseconds(5000)),
              LongSendResult::Delivered)
        << "GM System On";
    EXPECT_EQ(m_synth->sendLong(Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
                                std::chrono::milliseconds(5000)),
              LongSendResult::Delivered)
        << "GS Reset";
    EXPECT_EQ(m_synth->sendLong(Bytes{0x7E, 0x7F, 0x09, 0x01}, std::chrono::milliseconds(5000)),
              LongSendResult::Failed)
        << "no F0 ... F7 frame";
    m_synth->sendShort(Bytes{0x90, 60, 100});
    EXPECT_GT(renderRms(*m_synth, 4096), 1e-3);
}

TEST_F(GmSynthRender, ClosedSynthIsSilentAndSendsAreHarmless)
{
    m_synth->close();
    EXPECT_FALSE(m_synth->isOpen());
    m_synth->sendShort(Bytes{0x90, 60, 100});
    EXPECT_EQ(m_synth->sendLong(Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, std::chrono::milliseconds(10)),
              LongSendResult::Failed);
    std::vector<float> left(64), right(64);
    EXPECT_FALSE(m_synth->render(left, right));
}

TEST(GmSynthOpen, FailsWithTheReasonForAMissingSoundFont)
{
    GmSynthOptions options;
    options.soundFont = "/nonexistent/none.sf2";
    options.driverless = true;
    GmSynthDevice synth(options);
    EXPECT_FALSE(synth.open());
    EXPECT_FALSE(synth.isOpen());
    EXPECT_NE(synth.openError().find("none.sf2"), std::string::npos) << synth.openError();
}

TEST(GmSynthOpen, FailsWhenNoAudioDriverStarts)
{
    GmSynthOptions options;
    options.soundFont = kTestSoundFont;
    options.drivers = {"no-such-driver"};
    GmSynthDevice synth(options);
    EXPECT_FALSE(synth.open());
    EXPECT_FALSE(synth.isOpen());
    EXPECT_NE(synth.openError().find("no audio driver"), std::string::npos) << synth.openError();
}

// Loading is most of the start-up's work: with no driver it is not done.
TEST(GmSynthOpen, LoadsNoSoundFontWhenNoAudioDriverStarts)
{
    GmSynthOptions options;
    options.soundFont = kTestSoundFont;
    options.drivers = {"no-such-driver"};
    GmSynthDevice synth(options);
    int loads = 0;
    synth.setSoundLoader([&loads](_fluid_synth_t*) {
        ++loads;
        return true;
    });
    EXPECT_FALSE(synth.open());
    EXPECT_EQ(loads, 0);
    EXPECT_NE(synth.openError().find("no audio driver"), std::string::npos) << synth.openError();
}

// An early exit stops an open on another thread: it loads no SoundFont
// once it has been told to stop, and says why it failed.
TEST(GmSynthOpen, AnOpenToldToStopLoadsNoSoundFont)
{
    GmSynthOptions options;
    options.soundFont = kTestSoundFont;
    options.driverless = true;
    GmSynthDevice synth(options);
    int loads = 0;
    synth.setSoundLoader([&loads](_fluid_synth_t*) {
        ++loads;
        return true;
    });
    const std::atomic<bool> stop{true};
    EXPECT_FALSE(synth.openUnless(stop));
    EXPECT_FALSE(synth.isOpen());
    EXPECT_EQ(loads, 0);
    EXPECT_NE(synth.openError().find("given up"), std::string::npos) << synth.openError();
    const std::atomic<bool> go{false};
    EXPECT_TRUE(synth.openUnless(go));
    EXPECT_EQ(loads, 1);
}

TEST(GmSynthSystem, ListedFirstWhenASoundFontExists)
{
    setenv("JACK_DEFAULT_SERVER", "rz-no-such-server", 1);
    MidiSystemOptions options;
    options.soundFonts = {"/nonexistent/default-GM.sf2", kTestSoundFont};
    const MidiSystem system(options);
    const auto outputs = system.outputs();
    ASSERT_FALSE(outputs.empty());
    EXPECT_EQ(outputs.front(),
              (MidiDeviceDescriptor{"Built-in GM Synth", MidiDeviceKind::InternalSynth,
                                    MidiBackend::GmSynth, kTestSoundFont.string()}));
    for (const MidiDeviceDescriptor& input : system.inputs())
        EXPECT_NE(input.backend, MidiBackend::GmSynth) << "the synthesizer takes no input";

    auto device = system.makeOutput(outputs.front());
    ASSERT_TRUE(device);
    EXPECT_EQ(device->displayName(), "Built-in GM Synth");
    EXPECT_EQ(device->kind(), MidiDeviceKind::InternalSynth);
}

TEST(GmSynthSystem, LeftOutWithoutASoundFont)
{
    setenv("JACK_DEFAULT_SERVER", "rz-no-such-server", 1);
    MidiSystemOptions options;
    options.soundFonts = {"/nonexistent/default-GM.sf2", "/nonexistent/TimGM6mb.sf2"};
    const MidiSystem system(options);
    for (const MidiDeviceDescriptor& output : system.outputs())
        EXPECT_NE(output.backend, MidiBackend::GmSynth) << output.displayName;
}

TEST(GmSynthSystem, DefaultSoundFontsAreTriedInOrder)
{
    const auto candidates = defaultGmSoundFonts();
    ASSERT_EQ(candidates.size(), 3u);
    EXPECT_EQ(candidates[0], "/usr/share/sounds/sf2/default-GM.sf2");
    EXPECT_EQ(candidates[1].filename(), "FluidR3_GM.sf2");
    EXPECT_EQ(candidates[2].filename(), "TimGM6mb.sf2");
}

// Renders `frames` frames in blocks of 256, each block given the moment its
// first frame sounds, counting from `start`.
std::vector<float> renderTimed(GmSynthDevice& synth, TickTime start, size_t frames)
{
    constexpr size_t kBlock = 256;
    std::vector<float> left(frames), right(frames);
    for (size_t at = 0; at < frames; at += kBlock) {
        const auto offset = std::chrono::nanoseconds(int64_t(double(at) * 1e9 / kGmSynthSampleRate));
        EXPECT_TRUE(synth.render(std::span(left).subspan(at, kBlock), std::span(right).subspan(at, kBlock),
                                 start + offset));
    }
    return left;
}

// FluidSynth starts a note only at its internal 64-frame block: a note
// stamped between two comes out at the nearer, within half a block (a
// voice's first frame is silent, hence the one more).
TEST(GmSynthTiming, NotesStampedAThousandFramesApartStartAtTheirFramesWithinHalfABlock)
{
    ASSERT_TRUE(std::filesystem::is_regular_file(kTestSoundFont));
    setMidiOutputLatency(std::chrono::milliseconds(10)); // 441 frames
    const TickTime start = TickTime(std::chrono::seconds(1000));
    const auto frames = [](double count) {
        return std::chrono::nanoseconds(int64_t(count * 1e9 / kGmSynthSampleRate));
    };
    const double firstDue = 441.0 + 300.3;
    const double secondDue = firstDue + 1000.0;
    // No note, the first alone, then both sent at once: where two renders
    // part is where a note starts.
    std::vector<float> renders[3];
    for (int run = 0; run < 3; ++run) {
        GmSynthOptions options;
        options.soundFont = kTestSoundFont;
        options.driverless = true;
        GmSynthDevice synth(options);
        ASSERT_TRUE(synth.open()) << synth.openError();
        if (run >= 1)
            synth.sendShort(Bytes{0x90, 60, 100}, start + frames(300.3));
        if (run == 2)
            synth.sendShort(Bytes{0x91, 60, 100}, start + frames(1300.3));
        renders[run] = renderTimed(synth, start, 4096);
        EXPECT_EQ(synth.lateCount(), 0u);
    }
    setMidiOutputLatency(std::chrono::microseconds(0));
    const auto parting = [](const std::vector<float>& a, const std::vector<float>& b) {
        size_t at = 0;
        while (at < a.size() && a[at] == b[at])
            ++at;
        return double(at);
    };
    const double half = GmSynthDevice::kBlockFrames / 2;
    EXPECT_NEAR(parting(renders[0], renders[1]) - 1.0, firstDue, half);
    EXPECT_NEAR(parting(renders[1], renders[2]) - 1.0, secondDue, half);
    EXPECT_NEAR(parting(renders[1], renders[2]) - parting(renders[0], renders[1]), 1000.0,
                GmSynthDevice::kBlockFrames);
}

TEST(GmSynthTiming, AMessageWhoseMomentHasPassedSoundsAtOnceAndIsCounted)
{
    ASSERT_TRUE(std::filesystem::is_regular_file(kTestSoundFont));
    GmSynthOptions options;
    options.soundFont = kTestSoundFont;
    options.driverless = true;
    GmSynthDevice synth(options);
    ASSERT_TRUE(synth.open()) << synth.openError();
    const TickTime start = TickTime(std::chrono::seconds(1000));
    synth.sendShort(Bytes{0x90, 60, 100}, start - std::chrono::seconds(1));
    const std::vector<float> left = renderTimed(synth, start, 1024);
    EXPECT_EQ(synth.lateCount(), 1u);
    EXPECT_TRUE(std::any_of(left.begin(), left.begin() + GmSynthDevice::kBlockFrames + 1,
                            [](float x) { return x != 0.0f; }))
        << "never dropped: it starts with the block";
}

} // namespace
} // namespace rz
