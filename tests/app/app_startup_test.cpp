#include "app/file_opening.h"
#include "app_test_fixture.h"

#include "engine/audio/filter_presets.h"
#include "engine/sequencer.h"
#include "engine/synthdb/synth_db_path.h"
#include "platform/midi_gm_synth.h"
#include "platform/audio_decoder.h"
#include "tests/app/small_song.h"
#include "tests/support/fake_sequencer_services.h"
#include "tests/support/manual_engine_timer.h"
#include "ui/profile.h"
#include "views/frame_timer_ids.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>

namespace rz {
namespace {

// The temporary folder is pointed away from the test's HOME, which lies
// under /tmp, while the test runs.
class TemporaryFolder {
public:
    TemporaryFolder() : m_old(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "")
    {
        m_folder = testHome() / "tmp";
        std::filesystem::create_directories(m_folder);
        setenv("TMPDIR", m_folder.c_str(), 1);
    }
    ~TemporaryFolder()
    {
        if (m_old.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", m_old.c_str(), 1);
    }
    const std::filesystem::path& path() const { return m_folder; }

private:
    std::string m_old;
    std::filesystem::path m_folder;
};

class AppStartup : public AppFixture {};

// The program with a sequencer of its own over fake devices and a manual
// timer, which it must not outlive.
struct EngineStart {
    FakeMidiDevices devices;
    ManualEngineTimer timer;
    std::unique_ptr<App>& app;

    explicit EngineStart(std::unique_ptr<App>& program) : app(program) {}
    ~EngineStart() { app.reset(); }

    AppOptions options(IProfile& profile, IPrompt& prompt)
    {
        AppOptions options;
        options.profile = &profile;
        options.prompt = &prompt;
        options.devices = &devices;
        options.timer = &timer;
        options.singleInstance = false;
        options.showWindow = false;
        return options;
    }
};

TEST_F(AppStartup, DefPathZeroKeepsTheDocumentsFolderWhatever_Path_Says)
{
    const std::filesystem::path other = testHome() / "elsewhere";
    std::filesystem::create_directories(other);
    profile.writeString("SaveOptions", "Path", other.string());
    start();
    EXPECT_EQ(app->currentFolder(), app->documentsFolder());
    EXPECT_TRUE(std::filesystem::is_directory(app->documentsFolder()));
    EXPECT_EQ(std::filesystem::current_path(), app->documentsFolder());
    app.reset();

    profile.writeInt("SaveOptions", "DefPath", 1);
    start();
    EXPECT_EQ(app->currentFolder(), other);
    EXPECT_EQ(std::filesystem::current_path(), other);
}

// A settings file whose path is a folder would lose every setting in
// silence: start-up says so, once.
TEST_F(AppStartup, SettingsThatCannotBeWrittenAreReportedAtStart)
{
    const std::filesystem::path folder = testHome() / "settings-folder.ini";
    std::filesystem::create_directories(folder);
    Profile settings(folder);
    AppOptions options;
    options.profile = &settings;
    options.prompt = &prompt;
    options.engine = &engine;
    options.singleInstance = false;
    options.showWindow = false;
    prompt.expectMessage("Settings cannot be saved (" + folder.string() + ": not a regular file (a folder))");
    app = std::make_unique<App>(options);
    ASSERT_TRUE(app->InitInstance());
    prompt.verifyAllUsed();
}

// A synthesizer database that cannot be opened leaves every synthesizer
// unknown; the program still starts with its engine.
TEST_F(AppStartup, AnUnopenableSynthDatabaseStillStartsTheEngine)
{
    std::filesystem::remove_all(defaultSynthDatabasePath()); // an earlier test's database
    std::filesystem::create_directories(defaultSynthDatabasePath()); // a folder: no database
    // The folder goes after the program.
    struct RemoveTheFolder {
        ~RemoveTheFolder() { std::filesystem::remove_all(defaultSynthDatabasePath()); }
    } removeLast;
    EngineStart engine(app);
    prompt.expectMessage("");
    app = std::make_unique<App>(engine.options(profile, prompt));
    ASSERT_TRUE(app->InitInstance());
    ASSERT_NE(app->sequencer(), nullptr);
    prompt.verifyAllUsed();
}

// The instrument library a killed start was loading is named once at the
// next start, by the sequencer that leaves its slot out.
TEST_F(AppStartup, AnInstrumentThatStoppedTheLastStartIsNamedOnce)
{
    std::filesystem::create_directories(pluginMarkFolder());
    std::ofstream(pluginMarkFolder() / "vst-loading") << "/opt/vst/crash.so\n";
    profile.writeString("VST\\0", "path", "/opt/vst/crash.so");
    EngineStart engine(app);
    prompt.expectMessage("/opt/vst/crash.so was skipped because it stopped the program last time");
    app = std::make_unique<App>(engine.options(profile, prompt));
    ASSERT_TRUE(app->InitInstance());
    const auto named = std::count_if(prompt.prompts().begin(), prompt.prompts().end(),
                                     [](const PromptRecord& shown) {
                                         return shown.text.find("crash.so was skipped") != std::string::npos;
                                     });
    EXPECT_EQ(named, 1);
    prompt.verifyAllUsed();
}

bool processHasMapped(std::string_view library)
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(library) != std::string::npos)
            return true;
    return false;
}

// FFmpeg brings a hundred libraries: loading them cost a start about a
// third of its time and 17 MB, though most starts touch no audio file.
TEST_F(AppStartup, AudioCodecLibrariesLoadOnlyWhenAnAudioFileIsFirstRead)
{
    start();
    EXPECT_FALSE(processHasMapped("libavcodec"));

    AudioDecoder decoder;
    ASSERT_EQ(decoder.open(RZ_FIXTURE_DIR "/audio_import/tone.wav", 44100), 0);
    EXPECT_TRUE(processHasMapped("libavcodec"));
    EXPECT_GT(decoder.durationHns(), 0);
}

// FluidSynth brings some forty libraries of its own (sound servers, codecs,
// glib): they come with the first open of the built-in synthesizer.
TEST_F(AppStartup, SynthesizerLibrariesAreNotLoadedAtStart)
{
    start();
    EXPECT_FALSE(processHasMapped("libfluidsynth"));
}

// The built-in synthesizer's device, which notes whether the window had
// painted when it was asked to open.
class PaintAwareSynth : public RecordingMidiDevice {
public:
    explicit PaintAwareSynth(const std::atomic<bool>& painted)
        : RecordingMidiDevice(kGmSynthName, MidiDeviceKind::InternalSynth), m_painted(painted)
    {
    }
    bool openUnless(const std::atomic<bool>&) override { return open(); }
    bool open() override
    {
        paintedAtOpen = m_painted.load();
        opened = true;
        return RecordingMidiDevice::open();
    }
    std::atomic<bool> paintedAtOpen{false};
    std::atomic<bool> opened{false};

private:
    const std::atomic<bool>& m_painted;
};

class SynthDevices : public FakeMidiDevices {
public:
    explicit SynthDevices(const std::atomic<bool>& painted) : m_painted(painted)
    {
        addOutput(kGmSynthName, true, {}, MidiDeviceKind::InternalSynth);
    }
    std::unique_ptr<IMidiOutDevice> makeOutput(const MidiDeviceDescriptor&) const override
    {
        auto made = std::make_unique<PaintAwareSynth>(m_painted);
        synth = made.get();
        return made;
    }
    mutable PaintAwareSynth* synth = nullptr;

private:
    const std::atomic<bool>& m_painted;
};

// Notes the first paint of the window it watches.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(std::atomic<bool>& painted) : m_painted(painted) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_painted = true;
        return QObject::eventFilter(watched, event);
    }

private:
    std::atomic<bool>& m_painted;
};

// The window comes first: the synthesizer, whose SoundFont takes long to
// load, is opened only once the window has painted.
TEST_F(AppStartup, TheSynthesizerOpensOnlyAfterTheWindowHasPainted)
{
    std::atomic<bool> painted{false};
    SynthDevices devices(painted);
    ManualEngineTimer timer;
    struct EndFirst {
        std::unique_ptr<App>& app;
        ~EndFirst() { app.reset(); }
    } endFirst{app};
    AppOptions options;
    options.profile = &profile;
    options.prompt = &prompt;
    options.devices = &devices;
    options.timer = &timer;
    options.singleInstance = false;
    options.showWindow = true;
    app = std::make_unique<App>(options);
    ASSERT_TRUE(app->InitInstance());
    ASSERT_NE(devices.synth, nullptr);
    PaintSpy spy(painted);
    app->frame()->installEventFilter(&spy);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!devices.synth->opened && std::chrono::steady_clock::now() < until)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_TRUE(devices.synth->opened) << "the synthesizer never opened";
    EXPECT_TRUE(devices.synth->paintedAtOpen) << "it opened before the window painted";
    app->frame()->removeEventFilter(&spy);
}

TEST_F(AppStartup, TheProgramVersionIsOneNumber)
{
    EXPECT_EQ(App::GetExeFileVersion(), 100); // version 0.1
}

TEST_F(AppStartup, ClosingEmptiesTheWorkFolderAndStoresTheListsAndZooms)
{
    start();
    std::ofstream(app->files().workFolder() / "take.wav") << "RIFF";
    app->recentSongs().add("/music/a.mid");
    app->frame()->close();
    EXPECT_FALSE(std::filesystem::exists(app->files().workFolder()));
    EXPECT_EQ(profile.readString("Recent Song List", "Song1", ""), "/music/a.mid");
    EXPECT_EQ(profile.readInt("DisplayOptions", "YZoom", -1), 2);
    EXPECT_FALSE(app->startupComplete());
}

TEST_F(AppStartup, AnAccurateCaptionNamesTheSongModifiedAndFormatZero)
{
    start();
    CSongDoc& song = addSong("A", testHome() / "x.mid");
    app->SetCurrentSong(&song);
    song.format = 0;
    song.SetModifiedFlag(true);
    EXPECT_EQ(app->frame()->windowTitle(),
              QString("DEVU Rizoraz DO4 - [%1*] (format 0)").arg((testHome() / "x.mid").c_str()));
}

class AppOpen : public AppFixture {};

TEST_F(AppOpen, OnlySongFilesOpenAndTheLastFourCharactersDecide)
{
    start();
    const std::filesystem::path song = writeSmallSong(testHome() / "songs" / "SONG.MIDI");
    app->opening().OpenDocumentFile(song);
    ASSERT_NE(app->currentSong(), nullptr);
    EXPECT_EQ(app->currentSong()->pathName, song);

    for (const char* name : {"notes.mi", "picture.png"}) {
        prompt.expectMessage("Unable to open this file type.");
        EXPECT_EQ(app->opening().OpenDocumentFile(testHome() / name), nullptr) << name;
    }
    EXPECT_EQ(app->set().size(), 1u);
}

TEST_F(AppOpen, AFileThatDoesNotReadIsReportedAndNotOfferedAtStartup)
{
    TemporaryFolder temporary;
    start();
    std::ofstream(testHome() / "broken.mid") << "not a MIDI file";
    prompt.expectMessage("broken.mid");
    app->opening().OpenDocumentFile(testHome() / "broken.mid");
    EXPECT_EQ(app->currentSong(), nullptr);
    EXPECT_EQ(profile.readString("StartupOptions", "AutoOpenPath", ""), "");
}

TEST_F(AppOpen, TheStartupPathIsStoredAbsoluteAndTemporaryOrWorkFilesAreNot)
{
    TemporaryFolder temporary;
    start();
    std::filesystem::current_path(testHome());
    app->files().SetAutoOpenPath("songs/a.mid");
    const std::string stored = (testHome() / "songs" / "a.mid").string();
    EXPECT_EQ(profile.readString("StartupOptions", "AutoOpenPath", ""), stored);
    ASSERT_FALSE(app->recentSongs().entries().empty());
    EXPECT_EQ(app->recentSongs().entries()[0], stored);

    app->files().SetAutoOpenPath(temporary.path() / "mail" / "b.mid");
    app->files().SetAutoOpenPath(app->files().workFolder() / "c.mid");
    EXPECT_EQ(profile.readString("StartupOptions", "AutoOpenPath", ""), stored);
    EXPECT_EQ(app->recentSongs().entries().size(), 1u);
}

TEST_F(AppOpen, TheStartupStepOpensTheLastFileUnlessASongIsCurrent)
{
    TemporaryFolder temporary;
    const std::filesystem::path song = writeSmallSong(testHome() / "songs" / "last.mid");
    profile.writeString("StartupOptions", "AutoOpenPath", song.string());
    start();
    app->frame()->timers().fire(frame_timer::kStartup);
    ASSERT_NE(app->currentSong(), nullptr);
    EXPECT_EQ(app->currentSong()->pathName, song);
    EXPECT_NE(app->frame()->windowTitle().indexOf("last.mid"), -1);
}

TEST_F(AppOpen, TheStartupStepOpensNothingWhenAutoOpenIsOff)
{
    const std::filesystem::path song = writeSmallSong(testHome() / "songs" / "last.mid");
    profile.writeString("StartupOptions", "AutoOpenPath", song.string());
    profile.writeInt("StartupOptions", "AutoOpen", 0);
    start();
    app->frame()->timers().fire(frame_timer::kStartup);
    EXPECT_EQ(app->currentSong(), nullptr);
}

} // namespace
} // namespace rz
