// The Wave Mixer's model: which clips, which span, and the file it writes.

#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"
#include "engine/audio/wave_file.h"
#include "engine/audio/wave_mixer.h"
#include "song/selection.h"
#include "tests/song/undo_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

namespace rz::test {
namespace {

constexpr uint32_t kMixRate = 44100;

std::shared_ptr<const AudioClipSamples> samplesOf(std::vector<int16_t> values)
{
    auto samples = std::make_shared<AudioClipSamples>();
    samples->samples = std::move(values);
    samples->format = engineWaveFormat(kMixRate);
    return samples;
}

// A stereo clip whose frame f holds (2 x (f mod 16384), -2 x (f mod 16384)).
std::shared_ptr<const AudioClipSamples> ramp(size_t frames)
{
    std::vector<int16_t> values;
    for (size_t f = 0; f < frames; ++f) {
        const auto v = int16_t(2 * (f % 16384));
        values.insert(values.end(), {v, int16_t(-v)});
    }
    return samplesOf(std::move(values));
}

std::shared_ptr<const AudioClipSamples> constant(size_t frames, int16_t value)
{
    return samplesOf(std::vector<int16_t>(frames * 2, value));
}

// Bytes written, and a failure at a chosen block.
class CapturingWriter : public IAudioFileWriter {
public:
    int failAtWrite = -1;
    int writes = 0;
    bool discarded = false;
    bool ended = false;
    std::vector<int16_t> samples;

    int32_t begin(const std::filesystem::path&, const WaveFormat&, int, int) override { return 0; }
    bool write(std::span<const uint8_t> bytes, uint32_t frames, std::string& reason) override
    {
        EXPECT_EQ(bytes.size(), size_t(frames) * 4);
        EXPECT_LE(frames, WaveMixer::kBlockFrames);
        if (writes++ == failAtWrite) {
            reason = "No space left on device";
            return false;
        }
        const auto* s = reinterpret_cast<const int16_t*>(bytes.data());
        samples.insert(samples.end(), s, s + bytes.size() / 2);
        return true;
    }
    bool end(std::string&) override { return ended = true; }
    void discard() override { discarded = true; }
    bool isOpen() const override { return !ended && !discarded; }
    uint64_t fileBytes() const override { return samples.size() * 2; }
    const std::string& beginError() const override { return m_none; }

private:
    std::string m_none;
};

// A real wave file writer whose second block fails.
class FailingWaveWriter : public IAudioFileWriter {
public:
    std::unique_ptr<IAudioFileWriter> inner = makeAudioFileWriter(AudioFileFormat::Wav);
    int writes = 0;

    int32_t begin(const std::filesystem::path& p, const WaveFormat& f, int c, int i) override
    {
        return inner->begin(p, f, c, i);
    }
    bool write(std::span<const uint8_t> bytes, uint32_t frames, std::string& reason) override
    {
        if (++writes == 2) {
            reason = "No space left on device";
            return false;
        }
        return inner->write(bytes, frames, reason);
    }
    bool end(std::string& reason) override { return inner->end(reason); }
    void discard() override { inner->discard(); }
    bool isOpen() const override { return inner->isOpen(); }
    uint64_t fileBytes() const override { return inner->fileBytes(); }
    const std::string& beginError() const override { return inner->beginError(); }
};

class WaveMixerTest : public ::testing::Test, public UndoFixture {
protected:
    void SetUp() override
    {
        m_song = newSong();
        // 120 ticks a quarter at 500000 µs: tick 120 is half a second, 22050 frames.
        ASSERT_EQ(m_song->TickToTime(120), 500000.0);
        m_wave = &addUserTrack(*m_song);
        m_wave->type = kWaveTrack;
        m_song->selectionStamp = 7;
        m_song->selectionKind = kSelectAudioClip;
    }

    // A loaded clip at `tick`, selected unless told otherwise.
    CAudioClip& addClip(int32_t tick, std::shared_ptr<const AudioClipSamples> samples,
                        bool selected = true, int32_t repeats = 1)
    {
        CMidiEvent event = clipEvent(tick, "WaveData\\clip" + std::to_string(m_wave->events.size()) + ".wav",
                                     repeats);
        CAudioClip& clip = *event.clip();
        clip.length = WaveDuration(samples->frameCount(), kMixRate);
        clip.samples = std::move(samples);
        clip.loaded = true;
        event.selectionStamp = selected ? m_song->selectionStamp : 0;
        m_wave->events.push_back(std::move(event));
        return *m_wave->events.back().clip();
    }

    void selectRange(int32_t from, int32_t to)
    {
        m_song->selectionKind = kSelectTimeRange;
        m_song->selectionFrom = from;
        m_song->selectionTo = to;
        trackRows.selected = {int(m_song->tracks.size()) - 2};
    }

    std::unique_ptr<CSongDoc> m_song;
    CTrack* m_wave = nullptr;
    TempDir m_dir;
};

TEST_F(WaveMixerTest, RangeStartingInsideAClipWritesFromThere)
{
    CAudioClip& clip = addClip(0, ramp(66150)); // 1.5 s
    clip.position = 77;
    selectRange(120, 240);
    WaveMixer mixer;
    ASSERT_EQ(mixer.choose(*m_song), MixChoice::Ready);
    EXPECT_EQ(mixer.mixStart(), 5'000'000);
    EXPECT_EQ(mixer.mixEnd(), 10'000'000);

    const std::filesystem::path file = m_dir.path() / "mix.wav";
    auto writer = makeAudioFileWriter(AudioFileFormat::Wav);
    ASSERT_EQ(writer->begin(file, engineWaveFormat(kMixRate), -1, 0), 0);
    std::vector<int> progress;
    std::string reason;
    ASSERT_TRUE(mixer.mix(*writer, kMixRate, [&](int p) { progress.push_back(p); }, nullptr, reason)) << reason;
    EXPECT_EQ(progress.back(), 10000);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));

    const auto read = ReadWaveFile(file, kMixRate, reason);
    ASSERT_TRUE(read) << reason;
    ASSERT_EQ(read->frameCount(), 22050);
    for (size_t f : {size_t(0), size_t(1), size_t(9000), size_t(22049)}) {
        const int expected = int(2 * ((22050 + f) % 16384));
        EXPECT_NEAR(read->samples[2 * f], expected, 1) << "frame " << f;
        EXPECT_NEAR(read->samples[2 * f + 1], -expected, 1) << "frame " << f;
    }
    // The song's own clip plays where it played.
    EXPECT_EQ(clip.position, 77);
}

TEST_F(WaveMixerTest, FullScaleAndSilenceConvertExactly)
{
    const struct {
        float in;
        int16_t out;
    } cases[] = {{1.0f, 32767}, {-1.0f, -32768}, {0.0f, 0}, {2.5f, 32767}, {-4.0f, -32768}, {0.5f, 16383}};
    for (const auto& c : cases)
        EXPECT_EQ(mixSampleToInt16(c.in), c.out) << c.in;
}

TEST_F(WaveMixerTest, OverlappingClipsAreSummedAndClippedEachFromItsStart)
{
    CAudioClip& quiet = addClip(0, constant(44100, 8192));  // 0 .. 1 s
    CAudioClip& loud = addClip(120, constant(44100, 30000)); // 0.5 .. 1.5 s
    WaveMixer mixer;
    ASSERT_EQ(mixer.choose(*m_song), MixChoice::Ready);
    EXPECT_EQ(mixer.mixStart(), 0);
    EXPECT_EQ(mixer.mixEnd(), 15'000'000);
    CapturingWriter writer;
    std::string reason;
    ASSERT_TRUE(mixer.mix(writer, kMixRate, nullptr, nullptr, reason));
    ASSERT_EQ(writer.samples.size(), size_t(66150) * 2);
    const auto left = [&](size_t frame) { return writer.samples[2 * frame]; };
    EXPECT_NEAR(left(0), 8192, 1);
    EXPECT_NEAR(left(22049), 8192, 1);
    EXPECT_EQ(left(22050), 32767);
    EXPECT_EQ(left(44099), 32767);
    EXPECT_NEAR(left(44100), 30000, 1);
    EXPECT_NEAR(left(66149), 30000, 1);
    EXPECT_TRUE(writer.ended);
    EXPECT_EQ(quiet.position, 0);
    EXPECT_EQ(loud.position, 0);
}

TEST_F(WaveMixerTest, ClipsOutsideTheRangeAndUnselectedClipsStayOut)
{
    addClip(0, constant(4410, 1000));             // ends at 0.1 s
    addClip(480, constant(4410, 1000));           // starts at 2 s
    addClip(120, constant(44100, 1000), false);   // not selected
    m_song->selectionKind = kSelectAudioClip;
    WaveMixer stamped;
    ASSERT_EQ(stamped.choose(*m_song), MixChoice::Ready);
    EXPECT_EQ(stamped.clipCount(), 2u);

    selectRange(60, 240); // 0.25 .. 1 s: the whole row, less what lies outside
    WaveMixer ranged;
    ASSERT_EQ(ranged.choose(*m_song), MixChoice::Ready);
    EXPECT_EQ(ranged.clipCount(), 1u);
}

TEST_F(WaveMixerTest, UnloadedClipsAreNamedAndNothingLeftIsRefused)
{
    CAudioClip& clip = addClip(0, constant(100, 1));
    clip.loaded = false;
    clip.samples.reset();
    WaveMixer mixer;
    EXPECT_EQ(mixer.choose(*m_song), MixChoice::NothingSelected);
    EXPECT_EQ(mixer.unloadedNames(), std::vector<std::string>{"clip0.wav"});

    m_song->selectionKind = 0;
    EXPECT_EQ(mixer.choose(*m_song), MixChoice::NothingSelected);
    EXPECT_TRUE(mixer.unloadedNames().empty());
}

TEST_F(WaveMixerTest, InjectedWriteFailureDeletesTheFile)
{
    addClip(0, constant(44100, 1000));
    WaveMixer mixer;
    ASSERT_EQ(mixer.choose(*m_song), MixChoice::Ready);
    const std::filesystem::path file = m_dir.path() / "mix.wav";
    FailingWaveWriter writer;
    ASSERT_EQ(writer.begin(file, engineWaveFormat(kMixRate), -1, 0), 0);
    std::string reason;
    EXPECT_FALSE(mixer.mix(writer, kMixRate, nullptr, nullptr, reason));
    EXPECT_EQ(reason, "No space left on device");
    EXPECT_FALSE(std::filesystem::exists(file));

    CapturingWriter capturing;
    capturing.failAtWrite = 0;
    EXPECT_FALSE(mixer.mix(capturing, kMixRate, nullptr, nullptr, reason));
    EXPECT_TRUE(capturing.discarded);
}

TEST_F(WaveMixerTest, AStopRequestDiscardsThePartialMix)
{
    addClip(0, constant(44100, 1000));
    WaveMixer mixer;
    ASSERT_EQ(mixer.choose(*m_song), MixChoice::Ready);
    CapturingWriter writer;
    std::atomic<bool> stop{false};
    std::string reason;
    EXPECT_FALSE(mixer.mix(writer, kMixRate, [&](int) { stop = true; }, &stop, reason));
    EXPECT_TRUE(writer.discarded);
    EXPECT_EQ(writer.writes, 1);
}

TEST_F(WaveMixerTest, AMixPastTheWaveLimitDoesNotFit)
{
    addClip(0, constant(44100, 1), true, 30000); // 30000 s of stereo 16-bit: over 4 GiB
    WaveMixer mixer;
    ASSERT_EQ(mixer.choose(*m_song), MixChoice::Ready);
    EXPECT_FALSE(mixer.fitsWaveFile(kMixRate));
    EXPECT_TRUE(mixer.fitsWaveFile(8000));
}

TEST_F(WaveMixerTest, ExtensionSwap)
{
    const struct {
        const char* path;
        AudioFileFormat format;
        const char* result;
    } cases[] = {
        {"/music/mix.wav", AudioFileFormat::Wma, "/music/mix.wma"},
        {"/music/mix.wma", AudioFileFormat::Wav, "/music/mix.wav"},
        {"/music/mix", AudioFileFormat::Wma, "/music/mix.wma"},
        {"/music/mix.flac", AudioFileFormat::Wav, "/music/mix.flac.wav"},
        {"/mu.sic/mix", AudioFileFormat::Wav, "/mu.sic/mix.wav"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(swapAudioExtension(c.path, c.format), c.result) << c.path;
}

TEST_F(WaveMixerTest, SettingsDefaultsAndRoundTrip)
{
    WaveMixerSettings s = WaveMixerSettings::load(profile, "/home/me/Documents");
    EXPECT_EQ(s.codec, -1);
    EXPECT_EQ(s.format, AudioFileFormat::Wav);
    EXPECT_EQ(s.saveTo, MixDestination::NewWaveTrack);
    EXPECT_EQ(s.path, "/home/me/Documents/clip");
    EXPECT_EQ(audioFilesFolder(profile, "/home/me/Documents"), "/home/me/Documents");

    s.format = AudioFileFormat::Wma;
    EXPECT_EQ(s.effectiveFormat(), AudioFileFormat::Wav); // clips are wave files
    s.saveTo = MixDestination::File;
    s.codec = 0;
    s.wmaFormat = 3;
    s.path = "/tmp/x.wma";
    s.save(profile);
    const WaveMixerSettings back = WaveMixerSettings::load(profile, "/elsewhere");
    EXPECT_EQ(back.effectiveFormat(), AudioFileFormat::Wma);
    EXPECT_EQ(back.codec, 0);
    EXPECT_EQ(back.wmaFormat, 3);
    EXPECT_EQ(back.path, "/tmp/x.wma");
    EXPECT_EQ(profile.readInt("WaveMixer", "saveto", -1), 1);
}

TEST_F(WaveMixerTest, UnloadedClipsAreNamedAndNothingToMixEndsTheDialog)
{
    CAudioClip& clip = addClip(0, constant(100, 1));
    clip.loaded = false;
    WaveMixer mixer;
    const MixChoice choice = mixer.choose(*m_song);
    prompt.expectMessage("clip0.wav");
    prompt.expectMessage("Please select at least one waveform clip or track.");
    EXPECT_FALSE(mixer.announce(choice, prompt));
}

TEST_F(WaveMixerTest, BeginWritesANewTrackMixAsWaveInTheWorkFolder)
{
    host.workFolderPath = m_dir.path();
    addClip(0, constant(4410, 1000));
    WaveMixer mixer;
    ASSERT_EQ(mixer.choose(*m_song), MixChoice::Ready);
    WaveMixerSettings settings = WaveMixerSettings::load(profile, m_dir.path());
    settings.format = AudioFileFormat::Wma;
    auto out = mixer.begin(settings, profile, prompt, host, kMixRate);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->result.destination, MixDestination::NewWaveTrack);
    EXPECT_EQ(out->result.path.parent_path(), m_dir.path());
    EXPECT_EQ(out->result.path.extension(), ".wav");
    std::string reason;
    ASSERT_TRUE(mixer.mix(*out->writer, kMixRate, nullptr, nullptr, reason)) << reason;
    EXPECT_FALSE(std::filesystem::exists(out->result.path)) << "written beside it first";
    ASSERT_TRUE(WaveMixer::keep(*out, reason)) << reason;
    EXPECT_TRUE(ReadWaveFile(out->result.path, kMixRate, reason)) << reason;
    EXPECT_FALSE(std::filesystem::exists(out->scratch));
    EXPECT_EQ(profile.readInt("WaveMixer", "format", -1), 1); // the choice is kept
}

TEST_F(WaveMixerTest, AWriterThatCannotBeginIsReported)
{
    addClip(0, constant(4410, 1000));
    WaveMixer mixer;
    ASSERT_EQ(mixer.choose(*m_song), MixChoice::Ready);
    WaveMixerSettings settings;
    settings.saveTo = MixDestination::File;
    settings.path = (m_dir.path() / "missing" / "mix.wav").string();
    prompt.expectMessage("Could not begin: 80004005");
    EXPECT_FALSE(mixer.begin(settings, profile, prompt, host, kMixRate));

    settings.format = AudioFileFormat::Wma;
    settings.path = (m_dir.path() / "mix.wma").string();
    prompt.expectMessage("Could not begin: ");
    EXPECT_FALSE(mixer.begin(settings, profile, prompt, host, 96000)); // a rate the encoder refuses
}

TEST_F(WaveMixerTest, APathThatIsNoPlainFileIsRefusedAndLeftAlone)
{
    addClip(0, constant(4410, 1000));
    WaveMixer mixer;
    ASSERT_EQ(mixer.choose(*m_song), MixChoice::Ready);
    WaveMixerSettings settings;
    settings.saveTo = MixDestination::File;
    settings.path = (m_dir.path() / "folder.wav").string();
    std::filesystem::create_directory(settings.path);
    prompt.expectMessage(settings.path + " cannot be replaced: not a regular file");
    EXPECT_FALSE(mixer.begin(settings, profile, prompt, host, kMixRate));
    EXPECT_TRUE(std::filesystem::is_directory(settings.path));
}

} // namespace
} // namespace rz::test
