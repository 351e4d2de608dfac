// The Wave Mixer dialog offscreen: its format and destination choices, the
// mix on its worker, a failed write, a Cancel midway, and the program's
// File > Wave remix/export over it.

#include "app/engine_dialogs.h"
#include "app/main_frame.h"
#include "engine/audio/audio_clip_mix.h"
#include "engine/sequencer.h"
#include "engine/ui/wave_mixer_dlg.h"
#include "res/command_ids.h"
#include "song/selection.h"
#include "song/track.h"
#include "tests/engine/audio/filter_fixture.h"
#include "tests/engine/ui/program_under_test.h"
#include "tests/engine/ui/when_shown.h"
#include "tests/song/undo_fixture.h"
#include "ui/command_router.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>

namespace rz {
namespace {

using test::kFilterRate;

// The program's wave writer with a hook before each block it writes.
class HookedWaveWriter : public IAudioFileWriter {
public:
    // Called with the 1-based number of the block about to be written;
    // false fails that write.
    std::function<bool(int block)> beforeWrite;

    int32_t begin(const std::filesystem::path& p, const WaveFormat& f, int c, int i) override
    {
        return m_inner->begin(p, f, c, i);
    }
    bool write(std::span<const uint8_t> bytes, uint32_t frames, std::string& reason) override
    {
        if (beforeWrite && !beforeWrite(++m_blocks)) {
            reason = "No space left on device";
            return false;
        }
        return m_inner->write(bytes, frames, reason);
    }
    bool end(std::string& reason) override { return m_inner->end(reason); }
    void discard() override { m_inner->discard(); }
    bool isOpen() const override { return m_inner->isOpen(); }
    uint64_t fileBytes() const override { return m_inner->fileBytes(); }
    const std::string& beginError() const override { return m_inner->beginError(); }

private:
    std::unique_ptr<IAudioFileWriter> m_inner = makeAudioFileWriter(AudioFileFormat::Wav);
    int m_blocks = 0;
};

// Holds the worker inside a write until the test lets it go, or a deadline
// passes so a failing test cannot hang.
class Gate {
public:
    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_open; });
    }
    void open()
    {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

// A song with one waveform track whose clips come from wave files of a
// temporary folder, and the dialog's services over the song's fakes.
class WaveMixerDialog : public ::testing::Test, public test::UndoFixture {
protected:
    void SetUp() override
    {
        host.workFolderPath = work.path();
        m_song = newSong();
        m_wave = &test::addUserTrack(*m_song);
        m_wave->type = kWaveTrack;
        m_song->selectionStamp = 3;
        m_song->selectionKind = kSelectAudioClip;
    }

    // A selected clip at `tick` of `frames` frames of `value`, played `repeats` times.
    void addClip(int32_t tick, size_t frames, int16_t value, int32_t repeats = 1)
    {
        const std::filesystem::path file = sources / ("clip" + std::to_string(m_wave->events.size()) + ".wav");
        test::writeStereoWave(file, std::vector<int16_t>(frames * 2, value));
        CMidiEvent event = clipEvent(tick, file.string(), repeats);
        std::string reason;
        CAudioClip& clip = *event.clip();
        clip.samples = ReadWaveFile(file, kFilterRate, reason);
        ASSERT_TRUE(clip.samples) << reason;
        clip.loaded = true;
        clip.length = WaveDuration(int64_t(frames), kFilterRate);
        event.selectionStamp = m_song->selectionStamp;
        m_wave->events.push_back(std::move(event));
    }

    WaveMixerServices services(WaveMixer::WriterFactory makeWriter = nullptr)
    {
        return WaveMixerServices{.profile = profile,
                                 .prompt = prompt,
                                 .files = host,
                                 .sampleRate = kFilterRate,
                                 .documents = documents.path(),
                                 .help = nullptr,
                                 .makeWriter = std::move(makeWriter)};
    }

    // The dialog set to write to `path`.
    static void writeToFile(CWaveMixerDlg& dialog, const std::filesystem::path& path)
    {
        dialog.fileButton()->click();
        dialog.pathEdit()->setText(QString::fromStdString(path.string()));
    }

    test::TempFolder sources;
    test::TempFolder work;
    test::TempFolder documents;
    test::TempFolder output;
    std::unique_ptr<CSongDoc> m_song;
    CTrack* m_wave = nullptr;
};

TEST_F(WaveMixerDialog, FormatChoiceSwapsTheExtension)
{
    const struct {
        const char* path;
        bool toWma;
        const char* expected;
    } cases[] = {
        {"/music/take.wav", true, "/music/take.wma"},
        {"/music/take.wma", false, "/music/take.wav"},
        {"/music/take", true, "/music/take.wma"},
        {"/music/take.flac", true, "/music/take.flac.wma"},
    };
    for (const auto& c : cases) {
        profile.writeInt("WaveMixer", "format", c.toWma ? 0 : 1);
        CWaveMixerDlg dialog(services(), *m_song);
        writeToFile(dialog, c.path);
        (c.toWma ? dialog.wmaButton() : dialog.wavButton())->click();
        EXPECT_EQ(dialog.pathEdit()->text().toStdString(), c.expected) << c.path;
        EXPECT_EQ(dialog.codecList()->isEnabled(), c.toWma) << c.path;
    }
}

TEST_F(WaveMixerDialog, ANewWaveformTrackIsWrittenAsWaveOnly)
{
    profile.writeInt("WaveMixer", "format", 1);
    profile.writeInt("WaveMixer", "saveto", 0);
    CWaveMixerDlg dialog(services(), *m_song);
    EXPECT_TRUE(dialog.newTrackButton()->isChecked());
    EXPECT_TRUE(dialog.wavButton()->isChecked());
    EXPECT_FALSE(dialog.wmaButton()->isEnabled());
    EXPECT_FALSE(dialog.formatList()->isEnabled());
    EXPECT_FALSE(dialog.pathEdit()->isEnabled());
    EXPECT_EQ(dialog.pathEdit()->text().toStdString(), (documents.path() / "clip").string());

    dialog.fileButton()->click(); // the stored choice comes back for a file
    EXPECT_TRUE(dialog.wmaButton()->isChecked());
    EXPECT_TRUE(dialog.formatList()->isEnabled());
    EXPECT_NE(dialog.formatList()->currentText().indexOf("128"), -1);
    EXPECT_TRUE(dialog.browseButton()->isEnabled());
}

TEST_F(WaveMixerDialog, BrowseOffersTheCurrentFormatFirstAndKeepsItsFolder)
{
    CWaveMixerDlg dialog(services(), *m_song);
    writeToFile(dialog, output / "old.wav");
    const std::filesystem::path chosen = output / "sub" / "song.wav";
    prompt.expectSavePath("Mix audio to...", chosen);
    dialog.browseButton()->click();
    ASSERT_EQ(prompt.prompts().size(), 1u);
    EXPECT_EQ(prompt.prompts()[0].filter.rfind("Uncompressed audio (*.wav)", 0), 0u);
    EXPECT_EQ(prompt.prompts()[0].path, documents.path() / "old.wav");
    EXPECT_EQ(dialog.pathEdit()->text().toStdString(), chosen.string());
    EXPECT_EQ(profile.readString("Dirs", "AudioFiles", ""), (output.path() / "sub").string());
}

TEST_F(WaveMixerDialog, OkMixesOnTheWorkerAndEndsWithTheFile)
{
    addClip(0, 20000, 1000);
    addClip(120, 20000, 2000); // starts half a second (22050 frames) in
    const std::filesystem::path file = output / "mix.wav";
    CWaveMixerDlg dialog(services(), *m_song);
    writeToFile(dialog, file);
    whenShown([&] { dialog.okButton()->click(); });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    ASSERT_TRUE(dialog.mixResult());
    EXPECT_EQ(dialog.mixResult()->destination, MixDestination::File);
    EXPECT_EQ(dialog.mixResult()->path, file);
    EXPECT_EQ(dialog.progressBar()->value(), CWaveMixerDlg::kProgressRange);
    const std::vector<int16_t> mixed = test::readStereoWave(file);
    ASSERT_NEAR(double(mixed.size() / 2), 42050, 1); // the clip's length is truncated
    EXPECT_NEAR(mixed[0], 1000, 1);
    EXPECT_EQ(mixed[2 * 21000], 0);
    EXPECT_NEAR(mixed[2 * 30000 + 1], 2000, 1);
    EXPECT_EQ(profile.readInt("WaveMixer", "saveto", -1), 1);
    EXPECT_EQ(profile.readString("WaveMixer", "path", ""), file.string());
}

// Every file in the folder but the one named.
size_t othersIn(const std::filesystem::path& folder, const std::filesystem::path& but)
{
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        count += entry.path() != but;
    return count;
}

TEST_F(WaveMixerDialog, AFailedWriteSaysSoDeletesTheFileAndCancels)
{
    addClip(0, 30000, 1000);
    const std::filesystem::path file = output / "mix.wav";
    bool partialSeen = false;
    CWaveMixerDlg dialog(services([&](AudioFileFormat) {
                             auto writer = std::make_unique<HookedWaveWriter>();
                             writer->beforeWrite = [&](int block) {
                                 // The partial mix lies beside the path, never at it.
                                 partialSeen = partialSeen
                                     || (!std::filesystem::exists(file) && othersIn(output.path(), file) == 1);
                                 return block < 3;
                             };
                             return writer;
                         }),
                         *m_song);
    writeToFile(dialog, file);
    prompt.expectMessage("No space left on device");
    whenShown([&] { dialog.okButton()->click(); });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(partialSeen);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(othersIn(output.path(), file), 0u);
    EXPECT_FALSE(dialog.mixResult());
}

TEST_F(WaveMixerDialog, NothingSelectedEndsAsCancelledWithoutShowing)
{
    m_song->selectionKind = 0;
    CWaveMixerDlg dialog(services(), *m_song);
    prompt.expectMessage("Please select at least one waveform clip or track.");
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_FALSE(dialog.mixResult());
}

TEST_F(WaveMixerDialog, CancelDuringALongMixStopsTheWorkerAndLeavesNoFile)
{
    addClip(0, 44100, 1000, 600); // ten minutes
    const std::filesystem::path file = output / "long.wav";
    Gate gate;
    CWaveMixerDlg dialog(services([&](AudioFileFormat) {
                             auto writer = std::make_unique<HookedWaveWriter>();
                             writer->beforeWrite = [&](int block) {
                                 if (block == 3)
                                     gate.wait();
                                 return true;
                             };
                             return writer;
                         }),
                         *m_song);
    writeToFile(dialog, file);
    bool cancelled = false;
    QObject::connect(&dialog, &CWaveMixerDlg::mixProgressed, &dialog, [&] {
        if (cancelled)
            return;
        cancelled = true;
        // The worker is inside the mix, beside the path, and the dialog still answers.
        EXPECT_FALSE(std::filesystem::exists(file));
        EXPECT_EQ(othersIn(output.path(), file), 1u);
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        EXPECT_FALSE(dialog.fileButton()->isEnabled());
        EXPECT_TRUE(dialog.cancelButton()->isEnabled());
        dialog.cancelButton()->click();
        EXPECT_FALSE(dialog.cancelButton()->isEnabled());
        gate.open();
    });
    whenShown([&] { dialog.okButton()->click(); });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(dialog.mixResult());
    EXPECT_TRUE(prompt.prompts().empty()) << "a cancelled mix shows nothing";
}

// An export over a read-only file the user had: the question comes first,
// and a Cancel midway or a failed write leaves the old bytes and bits.
TEST_F(WaveMixerDialog, CancelOrAFailedWriteOverAReadOnlyFileLeavesItAsItWas)
{
    addClip(0, 44100, 1000, 600); // ten minutes
    const std::filesystem::path file = output / "keep.wav";
    std::ofstream(file, std::ios::binary) << "the user's own bytes";
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    const auto bits = std::filesystem::status(file).permissions();
    for (const bool cancel : {true, false}) {
        CWaveMixerDlg dialog(services([&](AudioFileFormat) {
                                 auto writer = std::make_unique<HookedWaveWriter>();
                                 writer->beforeWrite = [&](int block) {
                                     EXPECT_EQ(std::filesystem::status(file).permissions(), bits);
                                     if (cancel && block == 2)
                                         QMetaObject::invokeMethod(dialog.cancelButton(), "click",
                                                                   Qt::BlockingQueuedConnection);
                                     return cancel || block < 3;
                                 };
                                 return writer;
                             }),
                             *m_song);
        writeToFile(dialog, file);
        prompt.expectYesNo("\"" + file.string() + "\" already exists.\nReplace it?", PromptAnswer::Yes);
        if (!cancel)
            prompt.expectMessage("Could not write " + file.string() + ": No space left on device");
        whenShown([&] { dialog.okButton()->click(); });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected) << cancel;
        std::ifstream in(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "the user's own bytes") << cancel;
        EXPECT_EQ(std::filesystem::status(file).permissions(), bits) << cancel;
        EXPECT_EQ(othersIn(output.path(), file), 0u) << cancel;
    }
    prompt.verifyAllUsed();
}

TEST_F(WaveMixerDialog, NoToReplaceWritesNothingAndAFinishedMixTakesThePlaceWithItsBits)
{
    addClip(0, 4410, 1000);
    const std::filesystem::path file = output / "old.wav";
    std::ofstream(file, std::ios::binary) << "old";
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    {
        CWaveMixerDlg dialog(services(), *m_song);
        writeToFile(dialog, file);
        prompt.expectYesNo("already exists.", PromptAnswer::No);
        whenShown([&] { dialog.okButton()->click(); });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_EQ(std::filesystem::file_size(file), 3u);
    }
    CWaveMixerDlg dialog(services(), *m_song);
    writeToFile(dialog, file);
    prompt.expectYesNo("already exists.", PromptAnswer::Yes);
    whenShown([&] { dialog.okButton()->click(); });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(test::readStereoWave(file).size(), 4410u * 2);
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms::owner_read);
    EXPECT_EQ(othersIn(output.path(), file), 0u);
    prompt.verifyAllUsed();
}

// The whole program: File > Wave remix/export turns on with the engine's
// dialogs, and OK with "New waveform track" hands the mix through the
// program's audio tools to the song, which adds it as a track.
TEST(WaveMixerDialogProgram, OkWithNewWaveformTrackReturnsTheMixThroughTheAudioTools)
{
    ProgramUnderTest program;
    App app(program.options());
    registerEngineDialogs(app); // as the program does, before the set takes its audio tools
    ASSERT_TRUE(app.InitInstance());
    ASSERT_NE(app.sequencer(), nullptr);
    const uint32_t rate = app.sequencer()->audioFormat().sampleRate;

    test::TempFolder sources;
    const std::filesystem::path clipFile = sources / "clip.wav";
    std::vector<int16_t> samples;
    for (int16_t f = 0; f < 9000; ++f)
        samples.insert(samples.end(), {f, int16_t(-f)});
    test::writeStereoWave(clipFile, samples, rate);

    auto owned = std::make_unique<CSongDoc>(app.set().songContext());
    owned->InitNewSong();
    CTrack& wave = test::addUserTrack(*owned);
    wave.type = kWaveTrack;
    CMidiEvent event = test::UndoFixture::clipEvent(240, clipFile.string());
    ASSERT_TRUE(owned->context().clipLoader->loadSamples(*event.clip()));
    event.selectionStamp = owned->selectionStamp = 5;
    owned->selectionKind = kSelectAudioClip;
    wave.events.push_back(std::move(event));
    CSongDoc& song = *app.set().AddSong(std::move(owned));
    app.SetCurrentSong(&song);
    const size_t tracksBefore = song.tracks.size();
    ASSERT_TRUE(app.router().update(kIdWaveRemix).enabled);

    const bool pressed = answerModal<CWaveMixerDlg>(
        [&] { app.router().execute(kIdWaveRemix); },
        [&](CWaveMixerDlg& dialog) {
            EXPECT_TRUE(dialog.newTrackButton()->isChecked());
            dialog.okButton()->click();
        },
        20000);
    ASSERT_TRUE(pressed);
    ASSERT_EQ(song.tracks.size(), tracksBefore + 1);
    const CTrack& remix = *song.tracks[1];
    EXPECT_EQ(remix.name, "Remix");
    ASSERT_EQ(remix.events.size(), 1u);
    EXPECT_EQ(remix.events[0].tick, 240); // the mix starts where the clip does
    const CAudioClip* mixed = remix.events[0].clip();
    ASSERT_NE(mixed, nullptr);
    const std::filesystem::path mixFile = mixed->fileName;
    EXPECT_EQ(mixFile.parent_path(), app.files().workFolder());
    std::string reason;
    const auto read = ReadWaveFile(mixFile, rate, reason);
    ASSERT_TRUE(read) << reason;
    // The clip's length in 100-ns units is truncated: a frame may be short.
    ASSERT_NEAR(double(read->samples.size()), double(samples.size()), 2);
    for (size_t i = 0; i < read->samples.size(); ++i)
        ASSERT_NEAR(read->samples[i], samples[i], 1) << "sample " << i;
    app.ExitInstance();
}

} // namespace
} // namespace rz
