#include "app/audio_clip_import.h"

#include "core/profile.h"
#include "engine/audio/wave_grabber.h"
#include "song/song_doc.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_song_host.h"
#include "tests/support/scripted_prompt.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace rz {
namespace {

// Writes a few bytes to the target in steps, as the grabber writes samples.
struct FakeConversion : IAudioConversion {
    std::filesystem::path target;
    int32_t startCode = 0;
    int stepsLeft = 2;
    bool finished = false;
    int32_t start() override
    {
        if (startCode == 0)
            std::ofstream(target, std::ios::binary) << "RIFF";
        return startCode;
    }
    int step(double* progress) override
    {
        *progress = 0.5;
        return stepsLeft-- > 0 ? 1 : 0;
    }
    void finish() override { finished = true; }
};

struct ImportingDlgClips : testing::Test {
    MemoryProfile profile;
    ScriptedPrompt prompt;
    FakeSongHost host;
    FakeEngineLink engine;
    std::filesystem::path root = std::filesystem::temp_directory_path()
                                 / ("rz_clips_" + std::to_string(::getpid()));
    std::unique_ptr<CSongDoc> song;
    int32_t startCode = 0;
    bool cancel = false;
    int progressShown = 0;
    AudioClipImportServices services;

    void SetUp() override
    {
        std::filesystem::create_directories(root / "work");
        std::filesystem::create_directories(root / "in");
        host.workFolderPath = root / "work";
        song = std::make_unique<CSongDoc>(
            SongContext{.profile = profile, .prompt = prompt, .host = host, .engine = engine});
        song->InitNewSong();
        for (const char* name : {"Intro.wav", "Pad.mp3"})
            std::ofstream(root / "in" / name, std::ios::binary) << "audio";
        services.needsConversion = [](const std::filesystem::path& p) { return p.extension() != ".wav"; };
        services.makeConversion = [this](const std::filesystem::path&, const std::filesystem::path& target) {
            auto conversion = std::make_unique<FakeConversion>();
            conversion->target = target;
            conversion->startCode = startCode;
            return conversion;
        };
        services.showProgress = [this](const std::function<int(double*)>& step) {
            ++progressShown;
            double progress = 0.0;
            while (step(&progress) != 0)
                if (cancel)
                    return false;
            return true;
        };
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    size_t workFiles() const
    {
        return size_t(std::distance(std::filesystem::directory_iterator(root / "work"),
                                    std::filesystem::directory_iterator()));
    }
    std::vector<std::filesystem::path> both() const { return {root / "in" / "Intro.wav", root / "in" / "Pad.mp3"}; }
};

TEST_F(ImportingDlgClips, AWavAndAConvertedFileGiveTwoAudioTracksInOneStep)
{
    const size_t before = song->tracks.size();
    ASSERT_TRUE(ImportAudioClips(*song, both(), services));
    ASSERT_EQ(song->tracks.size(), before + 2);
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Import audio clips");
    EXPECT_EQ(progressShown, 1); // only the conversion shows progress
    std::vector<std::string> names;
    for (size_t t = 1; t <= 2; ++t) {
        const CTrack& track = *song->tracks[t];
        names.push_back(track.name);
        EXPECT_EQ(track.type, kWaveTrack);
        ASSERT_EQ(track.events.size(), 1u);
        ASSERT_NE(track.events[0].clip(), nullptr);
        EXPECT_TRUE(std::filesystem::exists(track.events[0].clip()->fileName));
        EXPECT_EQ(std::filesystem::path(track.events[0].clip()->fileName).parent_path(), root / "work");
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Intro", "Pad"}));
    EXPECT_EQ(workFiles(), 2u);
}

TEST_F(ImportingDlgClips, CancelLeavesNoFileAndNoRecord)
{
    cancel = true;
    EXPECT_FALSE(ImportAudioClips(*song, both(), services));
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_EQ(workFiles(), 0u); // the copied WAV went too
}

TEST_F(ImportingDlgClips, AFailedCopyLeavesNoFileAndNoRecord)
{
    prompt.expectMessage("Sorry, the file copy operation failed.");
    EXPECT_FALSE(ImportAudioClips(*song, {root / "in" / "Gone.wav"}, services));
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_EQ(workFiles(), 0u);
    prompt.verifyAllUsed();
}

TEST_F(ImportingDlgClips, AConversionThatCannotStartGivesItsMessage)
{
    startCode = -5;
    prompt.expectMessage(WaveConvertorMessage(-5));
    EXPECT_FALSE(ImportAudioClips(*song, both(), services));
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_EQ(workFiles(), 0u);
    EXPECT_EQ(progressShown, 0);
    prompt.verifyAllUsed();
}

} // namespace
} // namespace rz

#include "app/app.h"
#include "app_test_fixture.h"
#include "res/command_ids.h"
#include "ui/command_router.h"

namespace rz {
namespace {

// A canonical 16-bit stereo wave file at 44.1 kHz: the engine plays it as it is.
void writeEngineWave(const std::filesystem::path& path)
{
    const auto le = [](std::ofstream& out, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.put(char((value >> (8 * i)) & 0xFF));
    };
    std::ofstream out(path, std::ios::binary);
    const uint32_t data = 4 * 100;
    out << "RIFF";
    le(out, 36 + data, 4);
    out << "WAVEfmt ";
    le(out, 16, 4);
    le(out, 1, 2);
    le(out, 2, 2);
    le(out, 44100, 4);
    le(out, 44100 * 4, 4);
    le(out, 4, 2);
    le(out, 16, 2);
    out << "data";
    le(out, data, 4);
    for (uint32_t i = 0; i < data; ++i)
        out.put(0);
}

class ImportingDlgCommand : public AppFixture {};

TEST_F(ImportingDlgCommand, GreyWithoutTheDialogThenImportsTheChosenWave)
{
    start();
    CSongDoc& song = addSong("A");
    app->SetCurrentSong(&song);
    EXPECT_FALSE(app->router().update(kIdImportAudioClip).enabled);
    int shown = 0;
    app->commands().file->setImportProgress([&](const std::function<int(double*)>&) {
        ++shown;
        return true;
    });
    ASSERT_TRUE(app->router().update(kIdImportAudioClip).enabled);
    const std::filesystem::path wave =
        std::filesystem::temp_directory_path() / ("rz_clip_" + std::to_string(::getpid()) + ".wav");
    writeEngineWave(wave);
    ASSERT_FALSE(NeedsConversion(wave, 44100));
    prompt.expectOpenPaths("Import audio clip...", {wave});
    const size_t before = song.tracks.size();
    EXPECT_TRUE(app->router().execute(kIdImportAudioClip));
    ASSERT_EQ(song.tracks.size(), before + 1);
    EXPECT_EQ(song.tracks[1]->name, wave.stem().string());
    EXPECT_EQ(song.undoList.back()->label, "Import audio clips");
    EXPECT_EQ(shown, 0); // copied, not converted
    EXPECT_EQ(profile.readString("Dirs", "AudioFiles", ""), wave.parent_path().string());
    std::filesystem::remove(wave);
    prompt.verifyAllUsed();
}

} // namespace
} // namespace rz
