// The song recorder's model: its files, its folders, its meters and the
// song-by-song automation, against fakes of the engine, song and set.

#include "core/ms_clock.h"
#include "engine/audio/song_recorder.h"
#include "engine/audio/wave_file.h"
#include "song/selection.h"
#include "song/undo_record.h"
#include "tests/song/undo_fixture.h"
#include "tests/support/fake_recorder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace rz::test {
namespace {

constexpr uint32_t kRecorderRate = FakeRecorderInput::kRate;

// A writer whose writes fail from a chosen one on, keeping what came before.
class FailingWriter : public IAudioFileWriter {
public:
    std::unique_ptr<IAudioFileWriter> inner = makeAudioFileWriter(AudioFileFormat::Wav);
    int failFrom = 1;
    int writes = 0;

    int32_t begin(const std::filesystem::path& p, const WaveFormat& f, int c, int i) override
    {
        return inner->begin(p, f, c, i);
    }
    bool write(std::span<const uint8_t> bytes, uint32_t frames, std::string& reason) override
    {
        if (writes++ >= failFrom) {
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

class SongRecorderTest : public ::testing::Test, public UndoFixture {
protected:
    SongRecorderTest() : m_set(host) {}

    void SetUp() override
    {
        host.workFolderPath = m_dir.path() / "work";
        std::filesystem::create_directories(host.workFolderPath);
        std::filesystem::create_directories(songFolder());
    }

    std::filesystem::path songFolder() const { return m_dir.path() / "songs"; }

    CSongDoc& addSong(const std::string& title, const std::string& file)
    {
        m_songs.push_back(std::make_unique<CSongDoc>(undoContext()));
        CSongDoc& song = *m_songs.back();
        song.InitNewSong();
        song.title = title;
        song.pathName = songFolder() / file;
        host.current = &song;
        return song;
    }
    void makeSet()
    {
        for (auto& song : m_songs)
            m_set.songs.push_back(song.get());
        m_set.folder = songFolder();
    }

    SongRecorder& recorder()
    {
        if (!m_recorder) {
            SongRecorderSeams seams{profile, prompt, engine, host, host, m_set, m_input, m_clock,
                                    m_dir.path() / "Documents", m_makeWriter};
            // The machine's devices stay out of it: listing ALSA's loads its
            // plug-ins, and a JACK server of another test may be running.
            seams.deviceNames = [] { return std::vector<std::string>{"Capture device"}; };
            seams.inputNamesOf = [](const std::string&) { return std::vector<std::string>{"Capture"}; };
            m_recorder = std::make_unique<SongRecorder>(seams);
            m_recorder->open();
        }
        return *m_recorder;
    }
    // Ticks until the recorder is done, feeding 50 ms of a tone each time.
    RecorderTick runUntilDone(int16_t level, int maxTicks = 1000)
    {
        for (int i = 0; i < maxTicks; ++i) {
            m_input.feed(level, level, kRecorderRate / 20);
            m_clock.advance(SongRecorder::kTickMs);
            const RecorderTick result = recorder().tick();
            if (result != RecorderTick::Continue)
                return result;
        }
        return RecorderTick::Continue;
    }

    TempDir m_dir;
    FakeRecorderSet m_set;
    FakeRecorderInput m_input;
    ManualMsClock m_clock{1000};
    std::function<std::unique_ptr<IAudioFileWriter>(AudioFileFormat)> m_makeWriter;
    std::vector<std::unique_ptr<CSongDoc>> m_songs;
    std::unique_ptr<SongRecorder> m_recorder;
};

TEST_F(SongRecorderTest, PrefixTakesTheNextFreeNumber)
{
    profile.writeInt("M2DA", "automation", 0);
    profile.writeInt("M2DA", "audio_mypath", 1);
    profile.writeString("M2DA", "audio_path", songFolder().string());
    profile.writeInt("M2DA", "myfilename", 1);
    profile.writeString("M2DA", "filename", "  take");
    touchFile(songFolder() / "take.wav");
    touchFile(songFolder() / "take_2.wav");
    ASSERT_TRUE(recorder().begin());
    ASSERT_EQ(recorder().files().size(), 1u);
    EXPECT_EQ(recorder().files()[0], songFolder() / "take_3.wav");
    EXPECT_EQ(m_input.attaches, 1);
    // The values are stored when recording begins.
    EXPECT_EQ(profile.readString("M2DA", "filename", ""), "take");
}

TEST_F(SongRecorderTest, FolderRulesForAnotherFolder)
{
    profile.writeInt("M2DA", "automation", 0);
    profile.writeInt("M2DA", "audio_mypath", 1);

    recorder().settings().folder = "music/mix";
    prompt.expectMessage("Please specify a valid folder.");
    EXPECT_FALSE(recorder().begin());

    const std::filesystem::path missing = m_dir.path() / "a" / "b" / "c";
    recorder().settings().folder = missing.string() + "   ";
    prompt.expectOkCancel("Folder does not exist. Create it now?", PromptAnswer::Cancel);
    EXPECT_FALSE(recorder().begin());
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "a"));

    prompt.expectOkCancel("Folder does not exist. Create it now?", PromptAnswer::Ok);
    ASSERT_TRUE(recorder().begin());
    EXPECT_TRUE(std::filesystem::is_directory(missing));
    EXPECT_EQ(recorder().files().back().parent_path(), missing);
    recorder().cancel();
    prompt.verifyAllUsed();
}

TEST_F(SongRecorderTest, AFolderThatCannotBeCreatedIsReported)
{
    touchFile(m_dir.path() / "plain");
    profile.writeInt("M2DA", "automation", 0);
    profile.writeInt("M2DA", "audio_mypath", 1);
    profile.writeString("M2DA", "audio_path", (m_dir.path() / "plain" / "sub").string());
    prompt.expectOkCancel("Folder does not exist. Create it now?", PromptAnswer::Ok);
    prompt.expectMessage("Unable to create folder.");
    EXPECT_FALSE(recorder().begin());
}

TEST_F(SongRecorderTest, EntireSetWritesAFilePerSongSameTitlesIncludedAndSizesAddUp)
{
    addSong("Song", "one.mid");
    addSong("Song", "two.mid");
    addSong("Other", "three.mid");
    makeSet();
    profile.writeInt("M2DA", "automation", 2);
    profile.writeInt("M2DA", "fadetime", 0);
    touchFile(songFolder() / "Song.wav"); // an earlier run's file is replaced
    ASSERT_TRUE(recorder().begin());
    EXPECT_EQ(host.current, m_songs[0].get());
    EXPECT_EQ(engine.log.count("Advance"), 1u);

    for (size_t song = 0; song < 3; ++song) {
        for (int i = 0; i < 20; ++i) { // one second each
            m_input.feed(1000, -1000, kRecorderRate / 20);
            m_clock.advance(50);
            ASSERT_EQ(recorder().tick(), RecorderTick::Continue);
        }
        // Each second is 176400 data bytes and 56 of headers, 0.2 MB as shown;
        // the finished files count on.
        EXPECT_EQ(recorder().sizeTenths(), 2 * int32_t(song) + 2) << "song " << song;
        recorder().songEnded();
        const RecorderTick result = recorder().tick();
        EXPECT_EQ(result, song == 2 ? RecorderTick::Finished : RecorderTick::Continue);
    }
    EXPECT_EQ(recorder().files(),
              (std::vector<std::filesystem::path>{songFolder() / "Song.wav", songFolder() / "Song_2.wav",
                                                  songFolder() / "Other.wav"}));
    EXPECT_EQ(engine.log.count("Advance"), 3u);
    std::string reason;
    for (const auto& file : recorder().files()) {
        const auto read = ReadWaveFile(file, kRecorderRate, reason);
        ASSERT_TRUE(read) << reason;
        EXPECT_EQ(read->frameCount(), 20 * int64_t(kRecorderRate / 20)) << file;
        EXPECT_EQ(read->samples[0], 1000);
        EXPECT_EQ(read->samples[1], -1000);
    }
    EXPECT_EQ(recorder().sizeTenths(), 6);
}

TEST_F(SongRecorderTest, FadeOutTailRunsOnAfterTheSongEnds)
{
    addSong("Tail", "tail.mid");
    profile.writeInt("M2DA", "automation", 1);
    profile.writeInt("M2DA", "fadetime", 1);
    ASSERT_TRUE(recorder().begin());
    EXPECT_EQ(engine.log.calls().back(), "Advance(1)");
    recorder().songEnded();
    engine.log.clear();
    int ticks = 0;
    RecorderTick result;
    do {
        m_input.feed(500, 500, kRecorderRate / 20);
        m_clock.advance(50);
        result = recorder().tick();
        ++ticks;
    } while (result == RecorderTick::Continue && ticks < 100);
    EXPECT_EQ(result, RecorderTick::Finished);
    EXPECT_EQ(ticks, 21); // the first tick starts the tail, 20 more make its second
    EXPECT_EQ(engine.log.count("Stop"), 1u);
    EXPECT_FALSE(recorder().writing());
    std::string reason;
    const auto read = ReadWaveFile(songFolder() / "Tail.wav", kRecorderRate, reason);
    ASSERT_TRUE(read) << reason;
    EXPECT_EQ(read->frameCount(), 21 * int64_t(kRecorderRate / 20));
}

TEST_F(SongRecorderTest, NegativeFullScaleTurnsTheLeftMeterRed)
{
    profile.writeInt("M2DA", "automation", 0);
    recorder();
    m_input.feed(-32768, 100, 64);
    recorder().tick();
    EXPECT_TRUE(recorder().metersChanged());
    EXPECT_EQ(recorder().leftPeak(), 32768);
    EXPECT_EQ(recorder().rightPeak(), 100);
    EXPECT_TRUE(recorder().leftMeterRed());
    m_input.feed(32000, 0, 64);
    recorder().tick();
    EXPECT_FALSE(recorder().leftMeterRed());
    m_input.feed(32767, 0, 64);
    recorder().tick();
    EXPECT_TRUE(recorder().leftMeterRed());
}

TEST_F(SongRecorderTest, StatusShowsElapsedTimeAndSizeEveryTenthTick)
{
    addSong("Status", "status.mid");
    profile.writeInt("M2DA", "automation", 0);
    ASSERT_TRUE(recorder().begin());
    for (int i = 0; i < 9; ++i) {
        m_input.feed(1, 1, kRecorderRate / 20);
        recorder().tick();
    }
    EXPECT_EQ(recorder().statusText(), "");
    m_clock.advance(3'723'000); // 1 h 2 min 3 s
    m_input.feed(1, 1, kRecorderRate / 20);
    recorder().tick();
    // 10 x 8820 bytes + 56: (88256 + 52428) / 1024 x 10 / 1024 = 1 tenth.
    EXPECT_EQ(recorder().statusText(), "Elapsed: 01:02:03       0.1 MB");
}

TEST_F(SongRecorderTest, NewTrackDestinationRecordsWaveAndAddsOneUndoableTrack)
{
    CSongDoc& song = addSong("Track", "track.mid");
    song.setPosition(0);
    profile.writeInt("M2DA", "automation", 0);
    profile.writeInt("M2DA", "audio_mypath", 2);
    profile.writeInt("M2DA", "audio_compress", 1);
    EXPECT_FALSE(recorder().enabling().wmaChoice);
    EXPECT_FALSE(recorder().enabling().wmaLists);
    ASSERT_TRUE(recorder().begin());
    ASSERT_EQ(recorder().files().size(), 1u);
    EXPECT_EQ(recorder().files()[0].extension(), ".wav");
    EXPECT_EQ(recorder().files()[0].parent_path(), host.workFolderPath);
    m_input.feed(7, 7, 441);
    recorder().tick();
    const size_t tracksBefore = song.tracks.size();
    const size_t undoBefore = song.undoList.size();
    recorder().cancel();
    ASSERT_EQ(song.tracks.size(), tracksBefore + 1);
    const CTrack& added = *song.tracks[tracksBefore - 1];
    EXPECT_EQ(added.name, "Dodo Dadav");
    EXPECT_EQ(added.type, kWaveTrack);
    ASSERT_EQ(added.events.size(), 1u);
    ASSERT_NE(added.events[0].clip(), nullptr);
    EXPECT_EQ(added.events[0].clip()->fileName, recorder().files()[0].string());
    ASSERT_EQ(song.undoList.size(), undoBefore + 1);
    EXPECT_EQ(song.undoList.back()->label, "Dodo Dadav Track");
    EXPECT_EQ(song.undoList.back()->flags, kUndoTrackList);
    EXPECT_TRUE(song.Undo());
    EXPECT_EQ(song.tracks.size(), tracksBefore);
}

TEST_F(SongRecorderTest, AFailedWriteStopsRecordingKeepsTheFileAndSaysSo)
{
    addSong("Full", "full.mid");
    profile.writeInt("M2DA", "automation", 1);
    m_makeWriter = [](AudioFileFormat) { return std::make_unique<FailingWriter>(); };
    ASSERT_TRUE(recorder().begin());
    prompt.expectMessage("No space left on device");
    EXPECT_EQ(runUntilDone(100), RecorderTick::Stopped);
    EXPECT_FALSE(recorder().writing());
    EXPECT_TRUE(engine.log.contains("Stop(0)"));
    std::string reason;
    const auto read = ReadWaveFile(songFolder() / "Full.wav", kRecorderRate, reason);
    ASSERT_TRUE(read) << reason;
    EXPECT_EQ(read->frameCount(), 128); // the first 512-byte piece
}

// With nothing to record from, Begin says where to turn the input on and
// neither plays nor writes a file.
TEST_F(SongRecorderTest, WithoutAnAudioInputBeginRefusesAndWritesNothing)
{
    addSong("Quiet", "quiet.mid");
    profile.writeInt("M2DA", "automation", 1);
    m_input.available = false;
    prompt.expectMessage("Setup > Waveform Audio");
    EXPECT_FALSE(recorder().begin());
    prompt.verifyAllUsed();
    EXPECT_FALSE(recorder().writing());
    EXPECT_TRUE(recorder().files().empty());
    EXPECT_FALSE(engine.log.contains("Advance(0)"));
    EXPECT_FALSE(engine.log.contains("Advance(1)"));
    EXPECT_TRUE(std::filesystem::is_empty(songFolder()));

    m_input.available = true; // turned on meanwhile: the next Begin records
    EXPECT_TRUE(recorder().begin());
}

std::vector<uint8_t> fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file of the song's name is replaced only by a recording finished whole,
// keeps its permission bits, and is there unchanged while the take runs and
// after a failed one; no scratch file stays behind.
TEST_F(SongRecorderTest, AnEarlierFileIsReplacedOnlyByAWholeRecording)
{
    addSong("Take", "take.mid");
    profile.writeInt("M2DA", "automation", 1);
    const std::filesystem::path old = songFolder() / "Take.wav";
    const std::vector<uint8_t> oldBytes{'o', 'l', 'd'};
    std::ofstream(old, std::ios::binary).write("old", 3);
    std::filesystem::permissions(old, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    const auto oldPerms = std::filesystem::status(old).permissions();

    m_makeWriter = [](AudioFileFormat) { return std::make_unique<FailingWriter>(); };
    ASSERT_TRUE(recorder().begin());
    EXPECT_EQ(fileBytes(old), oldBytes);
    prompt.expectMessage("No space left on device");
    EXPECT_EQ(runUntilDone(100), RecorderTick::Stopped);
    EXPECT_EQ(fileBytes(old), oldBytes);
    EXPECT_EQ(std::filesystem::status(old).permissions(), oldPerms);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(songFolder()), {}), 1);

    m_recorder.reset();
    m_makeWriter = {};
    profile.writeInt("M2DA", "fadetime", 0);
    ASSERT_TRUE(recorder().begin());
    for (int i = 0; i < 3; ++i) {
        m_input.feed(100, 100, kRecorderRate / 20);
        m_clock.advance(SongRecorder::kTickMs);
        recorder().tick();
    }
    EXPECT_EQ(fileBytes(old), oldBytes) << "replaced before the take was whole";
    recorder().songEnded();
    EXPECT_EQ(runUntilDone(100), RecorderTick::Finished);
    std::string reason;
    const auto read = ReadWaveFile(old, kRecorderRate, reason);
    ASSERT_TRUE(read) << reason;
    EXPECT_GT(read->frameCount(), 0);
    EXPECT_EQ(std::filesystem::status(old).permissions(), oldPerms);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(songFolder()), {}), 1);
}

TEST_F(SongRecorderTest, OpeningSettlesWhatTheSetAndSongAllow)
{
    const struct {
        bool set;
        bool song;
        int storedAutomation;
        RecorderAutomation automation;
        bool songFolder;
    } cases[] = {
        {true, true, 2, RecorderAutomation::EntireSet, true},
        {false, true, 2, RecorderAutomation::CurrentSong, true},
        {true, false, 1, RecorderAutomation::None, true},
        {false, false, 2, RecorderAutomation::None, false},
    };
    for (const auto& c : cases) {
        m_recorder.reset();
        m_songs.clear();
        m_set.songs.clear();
        host.current = nullptr;
        if (c.song)
            addSong("S", "s.mid");
        if (c.set)
            m_set.songs.push_back(nullptr);
        if (!c.song)
            host.current = nullptr;
        profile.writeInt("M2DA", "automation", c.storedAutomation);
        profile.writeInt("M2DA", "audio_mypath", 0);
        const RecorderEnabling e = recorder().enabling();
        EXPECT_EQ(recorder().settings().automation, c.automation) << c.set << c.song;
        EXPECT_EQ(e.entireSetChoice, c.set);
        EXPECT_EQ(e.currentSongChoice, c.song);
        EXPECT_EQ(e.songFolderChoice, c.songFolder);
        EXPECT_EQ(recorder().settings().saveTo,
                  c.songFolder ? RecorderSaveTo::SongFolder : RecorderSaveTo::OtherFolder);
    }
}

TEST_F(SongRecorderTest, EnablingFollowsAutomationAndDestination)
{
    CSongDoc& song = addSong("E", "e.mid");
    recorder();
    SongRecorderSettings& s = recorder().settings();
    s.automation = RecorderAutomation::None;
    s.saveTo = RecorderSaveTo::SongFolder;
    RecorderEnabling e = recorder().enabling();
    EXPECT_FALSE(e.fadeControls);
    EXPECT_FALSE(e.folderControls);
    EXPECT_TRUE(e.usePrefixCheck);
    EXPECT_FALSE(e.prefixEdit);

    s.automation = RecorderAutomation::CurrentSong;
    s.saveTo = RecorderSaveTo::OtherFolder;
    s.usePrefix = true;
    e = recorder().enabling();
    EXPECT_TRUE(e.fadeControls);
    EXPECT_TRUE(e.folderControls);
    EXPECT_TRUE(e.prefixEdit);
    EXPECT_FALSE(e.selectionOnlyCheck);
    song.selectionKind = kSelectTimeRange;
    song.selectionFrom = 0;
    song.selectionTo = 120;
    EXPECT_TRUE(recorder().enabling().selectionOnlyCheck);

    s.saveTo = RecorderSaveTo::NewWaveTrack;
    e = recorder().enabling();
    EXPECT_FALSE(e.usePrefixCheck);
    EXPECT_FALSE(e.prefixEdit);
    EXPECT_FALSE(e.wmaChoice);
}

TEST_F(SongRecorderTest, RefusalsStartNothing)
{
    profile.writeInt("M2DA", "automation", 0);
    profile.writeInt("M2DA", "myfilename", 1);
    profile.writeString("M2DA", "filename", "   ");
    prompt.expectMessage("Please select a valid filename.");
    EXPECT_FALSE(recorder().begin());
    EXPECT_FALSE(recorder().writing());

    m_recorder.reset();
    addSong("A", "a.mid");
    makeSet();
    profile.writeInt("M2DA", "automation", 2);
    profile.writeInt("M2DA", "myfilename", 0);
    recorder();
    m_set.songs = {nullptr};
    prompt.expectMessage("Trouble opening the first song.");
    EXPECT_FALSE(recorder().begin());
    EXPECT_TRUE(recorder().files().empty());
}

} // namespace
} // namespace rz::test
