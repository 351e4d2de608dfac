// The bank registry of the built-in synthesizer: TimGM6mb and generated wave
// patches loaded into a driverless synthesizer, rendered to a buffer.

#include "platform/midi_gm_synth.h"
#include "platform/midi_system.h"
#include "platform/soundfont_banks.h"
#include "tests/support/hostile_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

namespace rz {
namespace {

using Bytes = std::vector<uint8_t>;

const std::filesystem::path kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

void putU16(Bytes& out, unsigned value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void putU32(Bytes& out, uint32_t value)
{
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

// A 16-bit PCM sine of `hertz`, `channels` alike.
Bytes sineWave(double hertz, int rate, int channels, double seconds)
{
    const auto frames = uint32_t(rate * seconds);
    const uint32_t dataBytes = frames * 2 * uint32_t(channels);
    Bytes out{'R', 'I', 'F', 'F'};
    putU32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putU32(out, 16);
    putU16(out, 1);
    putU16(out, unsigned(channels));
    putU32(out, uint32_t(rate));
    putU32(out, uint32_t(rate * 2 * channels));
    putU16(out, unsigned(2 * channels));
    putU16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    putU32(out, dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        const double value = 0.5 * std::sin(2 * std::numbers::pi * hertz * i / rate);
        for (int c = 0; c < channels; ++c)
            putU16(out, uint16_t(int16_t(std::lround(value * 32767))));
    }
    return out;
}

class SoundFontBanksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::is_regular_file(kTestSoundFont))
            << kTestSoundFont << " is missing: install the Debian package timgm6mb-soundfont";
        m_folder = std::filesystem::temp_directory_path()
            / ("soundfont-banks-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(m_folder);
        m_banks = std::make_shared<SoundFontBanks>();
        m_synth = makeSynth();
        ASSERT_TRUE(m_synth->open()) << m_synth->openError();
    }

    // A driverless synthesizer device playing the registry, as the MIDI
    // system makes one for each rebuild of the ports.
    std::unique_ptr<GmSynthDevice> makeSynth()
    {
        GmSynthOptions options;
        options.soundFont = kTestSoundFont;
        options.driverless = true;
        options.banks = m_banks;
        return std::make_unique<GmSynthDevice>(options);
    }

    void TearDown() override
    {
        m_synth.reset();
        m_banks.reset();
        std::filesystem::remove_all(m_folder);
    }

    std::filesystem::path write(const std::string& name, const Bytes& bytes)
    {
        const auto path = m_folder / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    std::filesystem::path copyOfTestSoundFont(const std::string& name)
    {
        const auto path = m_folder / name;
        std::filesystem::copy_file(kTestSoundFont, path);
        return path;
    }

    // Left channel of the next `frames` frames.
    std::vector<float> render(size_t frames)
    {
        std::vector<float> left(frames), right(frames);
        EXPECT_TRUE(m_synth->render(left, right));
        return left;
    }

    static double rms(const std::vector<float>& samples)
    {
        double sum = 0;
        for (float s : samples)
            sum += double(s) * s;
        return std::sqrt(sum / double(samples.size()));
    }

    // Plays `key` with bank `bank` (bank select MSB) and `program` on
    // channel 1; the loudness of the first moments.
    double playLoudness(int bank, int program, int key = 60)
    {
        silence();
        m_synth->sendShort(Bytes{0xB0, 0, uint8_t(bank)});
        m_synth->sendShort(Bytes{0xC0, uint8_t(program)});
        m_synth->sendShort(Bytes{0x90, uint8_t(key), 100});
        const double loudness = rms(render(8192));
        silence();
        return loudness;
    }

    void silence()
    {
        m_synth->sendShort(Bytes{0xB0, 120, 0});
        render(3 * 44100); // the reverb dies away
    }

    // The strongest frequency between 100 Hz and 2 kHz, in 1 Hz steps.
    static double spectralPeak(const std::vector<float>& samples)
    {
        double best = 0;
        double bestPower = -1;
        for (double hertz = 100; hertz <= 2000; hertz += 1) {
            const double w = 2 * std::numbers::pi * hertz / kGmSynthSampleRate;
            const double coefficient = 2 * std::cos(w);
            double s1 = 0, s2 = 0;
            for (float x : samples) {
                const double s0 = x + coefficient * s1 - s2;
                s2 = s1;
                s1 = s0;
            }
            const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
            if (power > bestPower) {
                bestPower = power;
                best = hertz;
            }
        }
        return best;
    }

    std::filesystem::path m_folder;
    std::shared_ptr<SoundFontBanks> m_banks;
    std::unique_ptr<GmSynthDevice> m_synth;
};

TEST_F(SoundFontBanksTest, OpensWithTheGmSoundFontAtBank0)
{
    const auto items = m_banks->items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].kind, SoundFontItemKind::WholeFile);
    EXPECT_EQ(items[0].path, kTestSoundFont);
    EXPECT_EQ(items[0].target.bank, 0);
    EXPECT_TRUE(m_banks->isBankInUse(0));
    EXPECT_FALSE(m_banks->presets(0).empty());
    EXPECT_FALSE(m_banks->presets(kPercussionBank).empty());
    EXPECT_GT(playLoudness(0, 0), 1e-3);
}

TEST_F(SoundFontBanksTest, WholeFileAtBank2IsListedSoundsAndGoesWhenDeleted)
{
    ASSERT_EQ(m_banks->loadFile(kTestSoundFont, 2), kSoundFontOk);
    EXPECT_TRUE(m_banks->isBankInUse(2));
    EXPECT_FALSE(m_banks->isBankInUse(3));
    EXPECT_EQ(m_banks->bankName(2), m_banks->bankName(0));
    EXPECT_FALSE(m_banks->bankName(2).empty());
    const auto presets = m_banks->presets(2);
    ASSERT_FALSE(presets.empty());
    EXPECT_EQ(presets.front().location, (SoundFontLocation{2, 0}));
    EXPECT_EQ(presets.front().name, m_banks->presets(0).front().name);
    EXPECT_TRUE(m_banks->presets(3).empty());
    // Without bank 0 the synthesizer has nothing to stand in for bank 2.
    ASSERT_EQ(m_banks->deleteBank(0), kSoundFontOk);
    EXPECT_GT(playLoudness(2, 0), 1e-3);

    ASSERT_EQ(m_banks->deleteBank(2), kSoundFontOk);
    EXPECT_FALSE(m_banks->isBankInUse(2));
    EXPECT_TRUE(m_banks->presets(2).empty());
    EXPECT_LT(playLoudness(2, 0), 1e-6);
    EXPECT_EQ(m_banks->deleteBank(2), kSoundFontNothingThere);
}

TEST_F(SoundFontBanksTest, OnePresetAloneIsTheOnlyPresetAtItsTargetAndSounds)
{
    const auto gmPresets = m_banks->presets(0);
    ASSERT_GT(gmPresets.size(), 1u);
    ASSERT_EQ(m_banks->loadPreset(kTestSoundFont, {0, 1}, {5, 10}), kSoundFontOk);
    const auto presets = m_banks->presets(5);
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0].location, (SoundFontLocation{5, 10}));
    EXPECT_EQ(presets[0].name, gmPresets[1].name);
    EXPECT_EQ(m_banks->presets(0).size(), gmPresets.size()) << "the other presets stay hidden";
    // Without bank 0 the synthesizer has nothing to stand in for a missing preset.
    ASSERT_EQ(m_banks->deleteBank(0), kSoundFontOk);
    EXPECT_GT(playLoudness(5, 10), 1e-3);
    EXPECT_LT(playLoudness(5, 11), 1e-6);

    ASSERT_EQ(m_banks->deletePreset({5, 10}), kSoundFontOk);
    EXPECT_TRUE(m_banks->presets(5).empty());
    EXPECT_FALSE(m_banks->isBankInUse(5));
}

TEST_F(SoundFontBanksTest, WavePatchSoundsAtThePitchOfItsKey)
{
    const auto wave = write("tone.wav", sineWave(440, 22050, 2, 1.5));
    ASSERT_EQ(m_banks->loadWavePatch(wave, {6, 1}), kSoundFontOk);
    const auto presets = m_banks->presets(6);
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0].name, "tone");

    struct Case {
        int key;
        double hertz;
    };
    for (const Case& c : {Case{60, 440}, Case{72, 880}}) {
        silence();
        m_synth->sendShort(Bytes{0xB0, 0, 6});
        m_synth->sendShort(Bytes{0xC0, 1});
        m_synth->sendShort(Bytes{0x90, uint8_t(c.key), 100});
        render(2048); // past the attack
        const double peak = spectralPeak(render(8192));
        EXPECT_NEAR(peak, c.hertz, c.hertz * 0.02) << "key " << c.key;
    }

    // Deleted while it sounds: it stops taking notes, and nothing of it is
    // left behind (the sanitizer build checks).
    ASSERT_EQ(m_banks->deletePreset({6, 1}), kSoundFontOk);
    EXPECT_TRUE(m_banks->presets(6).empty());
    ASSERT_EQ(m_banks->deleteBank(0), kSoundFontOk);
    EXPECT_LT(playLoudness(6, 1), 1e-6);
}

TEST_F(SoundFontBanksTest, APresetOfAWholeFileBankCannotBeDeletedAlone)
{
    ASSERT_EQ(m_banks->loadFile(kTestSoundFont, 2), kSoundFontOk);
    const auto before = m_banks->items();
    const int error = m_banks->deletePreset({2, 0});
    EXPECT_EQ(error, kSoundFontNotAlone);
    EXPECT_EQ(m_banks->items().size(), before.size());
    EXPECT_FALSE(m_banks->presets(2).empty());
    EXPECT_GT(playLoudness(2, 0), 1e-3);
}

TEST_F(SoundFontBanksTest, ItemsComeBackAfterAnEmulationChangeLessOneWhoseFileWent)
{
    const auto kept = copyOfTestSoundFont("kept.sf2");
    const auto gone = copyOfTestSoundFont("gone.sf2");
    const auto wave = write("tone.wav", sineWave(440, 44100, 1, 0.5));
    ASSERT_EQ(m_banks->loadFile(kept, 2), kSoundFontOk);
    ASSERT_EQ(m_banks->loadPreset(gone, {0, 0}, {4, 0}), kSoundFontOk);
    ASSERT_EQ(m_banks->loadWavePatch(wave, {6, 1}), kSoundFontOk);
    std::filesystem::remove(gone);

    ASSERT_EQ(m_banks->emulation(), 1) << "FluidSynth starts in gs";
    testing::internal::CaptureStderr();
    ASSERT_TRUE(m_banks->setEmulation(3));
    const std::string complaint = testing::internal::GetCapturedStderr();
    EXPECT_NE(complaint.find("gone.sf2"), std::string::npos) << complaint;
    EXPECT_EQ(m_banks->emulation(), 3);
    EXPECT_EQ(m_synth->bankSelect(), "mma");

    const auto items = m_banks->items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].path, kTestSoundFont);
    EXPECT_EQ(items[1].path, kept);
    EXPECT_EQ(items[2].path, wave);
    EXPECT_FALSE(m_banks->isBankInUse(4));
    EXPECT_FALSE(m_banks->presets(2).empty());
    ASSERT_EQ(m_banks->presets(6).size(), 1u);
    // In mma mode the bank is MSB x 128 + LSB: bank 2 is LSB 2.
    silence();
    m_synth->sendShort(Bytes{0xB0, 0, 0});
    m_synth->sendShort(Bytes{0xB0, 32, 2});
    m_synth->sendShort(Bytes{0xC0, 0});
    m_synth->sendShort(Bytes{0x90, 60, 100});
    EXPECT_GT(rms(render(8192)), 1e-3);
}

TEST_F(SoundFontBanksTest, BadFilesLoadNothingAndAnswerTheirErrorNumbers)
{
    const auto notSoundFont = write("text.sf2", Bytes{'h', 'e', 'l', 'l', 'o'});
    auto truncated = sineWave(440, 44100, 1, 0.1);
    truncated.resize(60);
    const auto badWave = write("short.wav", truncated);
    const auto eightBit = [] {
        auto bytes = sineWave(440, 44100, 1, 0.1);
        bytes[34] = 8; // bits per sample
        return bytes;
    }();
    const auto eightBitWave = write("eight.wav", eightBit);
    const auto missing = m_folder / "missing.sf2";

    struct Case {
        const char* what;
        std::function<int()> load;
        int error;
    };
    const std::vector<Case> cases{
        {"missing file", [&] { return m_banks->loadFile(missing, 3); }, kSoundFontCannotRead},
        {"not a SoundFont", [&] { return m_banks->loadFile(notSoundFont, 0); }, kSoundFontNotSoundFont},
        {"preset of a text", [&] { return m_banks->loadPreset(notSoundFont, {0, 0}, {3, 0}); },
         kSoundFontNotSoundFont},
        {"no such preset", [&] { return m_banks->loadPreset(kTestSoundFont, {9, 0}, {3, 0}); },
         kSoundFontNoSuchPreset},
        {"damaged wave", [&] { return m_banks->loadWavePatch(badWave, {3, 0}); }, kSoundFontBadWave},
        {"8-bit wave", [&] { return m_banks->loadWavePatch(eightBitWave, {3, 0}); }, kSoundFontBadWave},
        {"bank out of range", [&] { return m_banks->loadFile(kTestSoundFont, 129); },
         kSoundFontBadLocation},
        {"preset out of range", [&] { return m_banks->loadPreset(kTestSoundFont, {0, 0}, {3, 128}); },
         kSoundFontBadLocation},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.load(), c.error) << c.what;
        ASSERT_EQ(m_banks->items().size(), 1u) << c.what;
        EXPECT_FALSE(m_banks->isBankInUse(3)) << c.what;
    }
    EXPECT_GT(playLoudness(0, 0), 1e-3) << "the GM bank is untouched";
}

TEST_F(SoundFontBanksTest, FifoFolderDeviceAndHugeFilesAreRefusedAtOnceWithTheirReason)
{
    const auto fifo = m_folder / "pipe.sf2";
    MakeFifo(fifo);
    const auto huge = m_folder / "huge.wav";
    MakeSparseFile(huge, uint64_t(2) << 30);
    struct Case {
        const char* what;
        std::function<int(std::string*)> load;
        std::string problem;
    };
    const std::vector<Case> cases{
        {"FIFO as a whole file", [&](std::string* p) { return m_banks->loadFile(fifo, 3, p); },
         fifo.string() + ": not a regular file"},
        {"FIFO as one preset", [&](std::string* p) { return m_banks->loadPreset(fifo, {0, 0}, {3, 0}, p); },
         fifo.string() + ": not a regular file"},
        {"FIFO as a wave patch", [&](std::string* p) { return m_banks->loadWavePatch(fifo, {3, 0}, p); },
         fifo.string() + ": not a regular file"},
        {"folder", [&](std::string* p) { return m_banks->loadPreset(m_folder, {0, 0}, {3, 0}, p); },
         m_folder.string() + ": not a regular file (a folder)"},
        {"endless device", [&](std::string* p) { return m_banks->loadWavePatch("/dev/zero", {3, 0}, p); },
         "/dev/zero: not a regular file"},
        {"2 GB wave", [&](std::string* p) { return m_banks->loadWavePatch(huge, {3, 0}, p); },
         huge.string() + ": too large (over 256 MB)"},
    };
    for (const Case& c : cases) {
        int error = kSoundFontOk;
        std::string problem;
        ASSERT_TRUE(ReturnsWithin([&] { error = c.load(&problem); }, {fifo})) << c.what;
        EXPECT_EQ(error, kSoundFontCannotRead) << c.what;
        EXPECT_EQ(problem, c.problem) << c.what;
        EXPECT_EQ(m_banks->items().size(), 1u) << c.what;
    }
}

TEST_F(SoundFontBanksTest, NothingLoadsIntoAClosedSynth)
{
    m_synth->close();
    EXPECT_EQ(m_banks->loadFile(kTestSoundFont, 2), kSoundFontNoSynth);
    EXPECT_EQ(m_banks->deleteBank(0), kSoundFontNoSynth);
    EXPECT_FALSE(m_banks->isBankInUse(2));
    EXPECT_TRUE(m_banks->isBankInUse(0));
}

TEST_F(SoundFontBanksTest, ItemsAndEmulationOutliveTheDeviceAndLoadIntoTheNextOne)
{
    ASSERT_EQ(m_banks->loadFile(kTestSoundFont, 2), kSoundFontOk);
    ASSERT_TRUE(m_banks->setEmulation(3));
    m_synth.reset(); // the ports are rebuilt
    EXPECT_FALSE(m_banks->hasSynth());
    EXPECT_EQ(m_banks->loadFile(kTestSoundFont, 4), kSoundFontNoSynth);
    EXPECT_EQ(m_banks->deleteBank(2), kSoundFontNoSynth);
    EXPECT_TRUE(m_banks->presets(2).empty());
    EXPECT_EQ(m_banks->items().size(), 2u);

    m_synth = makeSynth();
    EXPECT_TRUE(m_banks->hasSynth());
    EXPECT_EQ(m_synth->bankSelect(), "mma");
    ASSERT_TRUE(m_synth->open()) << m_synth->openError();
    ASSERT_EQ(m_banks->items().size(), 2u) << "the GM SoundFont is not added again";
    EXPECT_FALSE(m_banks->presets(2).empty());
    ASSERT_EQ(m_banks->deleteBank(0), kSoundFontOk);
    silence();
    m_synth->sendShort(Bytes{0xB0, 0, 0});
    m_synth->sendShort(Bytes{0xB0, 32, 2});
    m_synth->sendShort(Bytes{0xC0, 0});
    m_synth->sendShort(Bytes{0x90, 60, 100});
    EXPECT_GT(rms(render(8192)), 1e-3);

    // Once deleted, the GM SoundFont stays out of later devices too.
    m_synth = makeSynth();
    ASSERT_TRUE(m_synth->open());
    ASSERT_EQ(m_banks->items().size(), 1u);
    EXPECT_EQ(m_banks->items()[0].target.bank, 2);
}

// Edits run on the dialog's worker while the engine reopens and rebuilds
// its ports: none may reach a device being destroyed, and lock order must
// hold (a deadlock hangs the test).
TEST_F(SoundFontBanksTest, EditsRaceReopensAndRebuildsOfTheDeviceSafely)
{
    const auto wave = write("tone.wav", sineWave(440, 44100, 1, 0.2));
    std::atomic<bool> stop{false};
    std::thread editor([&] {
        for (int round = 0; !stop.load(); ++round) {
            if (m_banks->loadWavePatch(wave, {6, 1}) == kSoundFontOk) {
                m_banks->presets(6);
                m_banks->deletePreset({6, 1});
            }
            m_banks->setEmulation(round % 4);
        }
    });
    for (int round = 0; round < 4; ++round) {
        m_synth->close();
        EXPECT_TRUE(m_synth->open()) << m_synth->openError();
        auto next = makeSynth();
        m_synth.reset();
        m_synth = std::move(next);
        EXPECT_TRUE(m_synth->open()) << m_synth->openError();
    }
    stop.store(true);
    editor.join();

    EXPECT_EQ(m_banks->items()[0].path, kTestSoundFont);
    EXPECT_GT(playLoudness(0, 0), 1e-3);
    m_synth->close();
    EXPECT_TRUE(m_banks->setEmulation(0));
    EXPECT_FALSE(m_synth->isOpen()) << "an emulation change does not open a closed port";
}

TEST(SoundFontBanksOfTheMidiSystem, EverySynthDeviceItMakesPlaysItsOneRegistry)
{
    MidiSystemOptions options;
    options.soundFonts = {kTestSoundFont};
    options.useAlsa = false;
    options.useJack = false;
    const MidiSystem system(options);
    const auto outputs = system.outputs();
    ASSERT_EQ(outputs.size(), 1u);
    const std::shared_ptr<SoundFontBanks> banks = system.soundFontBanks();
    EXPECT_FALSE(banks->hasSynth());
    auto device = system.makeOutput(outputs[0]);
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(banks->hasSynth());
    ASSERT_EQ(banks->items().size(), 1u);
    EXPECT_EQ(banks->items()[0].path, kTestSoundFont);
    device.reset();
    EXPECT_FALSE(banks->hasSynth());
    EXPECT_EQ(banks->items().size(), 1u);
}

} // namespace
} // namespace rz
