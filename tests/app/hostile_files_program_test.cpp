// The program itself, offscreen with a fresh HOME, given files and plug-ins
// that others made: a clip that is a FIFO, plug-in libraries that crash,
// hang or are cut short. It starts, opens and ends every time.

#include "engine/audio/filter_presets.h"
#include "platform/ladspa.h"
#include "song/audio_clip.h"
#include "song/play_images.h"
#include "song/smf_writer.h"
#include "song/track.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/hostile_files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace rz {
namespace {

class HostileFilesProgram : public testing::Test {
protected:
    void SetUp() override
    {
        // A folder of each test's own: a FIFO one test leaves would hold up the next.
        ASSERT_TRUE(rootFolder.isValid());
        root = rootFolder.path();
        environment = QProcessEnvironment::systemEnvironment();
        for (const char* folder : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
            const QString path = QDir(root).filePath(folder);
            QDir().mkpath(path);
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            environment.insert(folder, path);
        }
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("JACK_DEFAULT_SERVER", QString("rz-no-server-%1").arg(getpid()));
        environment.insert("JACK_NO_START_SERVER", "1");
    }

    void TearDown() override
    {
        if (process.state() != QProcess::NotRunning) {
            ::kill(pid_t(process.processId()), SIGKILL);
            process.waitForFinished(5000);
        }
    }

    std::filesystem::path folder(const char* name) const
    {
        return std::filesystem::path(QFile::encodeName(root).toStdString()) / name;
    }

    // Runs the program until it ends by itself; false when it does not
    // within `ms`.
    bool run(const QStringList& arguments, int ms = 20000)
    {
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(root);
        process.start(RZ_PROGRAM_PATH, arguments);
        EXPECT_TRUE(process.waitForStarted(5000));
        const bool ended = process.waitForFinished(ms);
        errors = QString::fromLocal8Bit(process.readAllStandardError()).toStdString();
        caption = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed().toStdString();
        return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QTemporaryDir rootFolder{QDir(qEnvironmentVariable("HOME")).filePath("hostile-XXXXXX")};
    QString root;
    QProcessEnvironment environment;
    QProcess process;
    std::string errors;
    std::string caption;
};

TEST_F(HostileFilesProgram, ASongWhoseClipIsAFifoOpensAtOnceAndSaysWhy)
{
    const std::filesystem::path fifo = folder("HOME") / "x.wav";
    MakeFifo(fifo);
    SongFixture fixture;
    auto song = fixture.newSong();
    CTrack& audio = test::addUserTrack(*song);
    audio.type = kWaveTrack;
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = fifo.string();
    clip->number = 1;
    CMidiEvent event;
    event.value2 = 240;
    event.SetClip(std::move(clip));
    audio.events.push_back(std::move(event));
    RebuildPlayImages(*song, false);
    std::vector<uint8_t> bytes;
    std::string reason;
    ASSERT_TRUE(BuildSongFile(*song, bytes, reason)) << reason;
    const std::filesystem::path path = folder("HOME") / "clip.mid";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

    QElapsedTimer took;
    took.start();
    ASSERT_TRUE(run({"--test-exit-after", "500", QString::fromStdString(path.string())})) << errors;
    EXPECT_LT(took.elapsed(), 15000);
    EXPECT_EQ(caption, "DEVU Rizoraz DO4 - [" + path.string() + "]");
    EXPECT_NE(errors.find(fifo.string() + ": not a regular file"), std::string::npos) << errors;
    EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
}

// Every file the start reads (the settings, their lock, the company's and
// the system's settings files, the machine-wide file, the synthesizer
// database, the plug-in marks) may be a FIFO: the program starts at once
// with default settings, says which file it refused, and writes nothing over
// any of them.
// A launcher that passes an empty file field: the program starts without a
// song instead of ending on an uncaught error.
TEST_F(HostileFilesProgram, AnEmptyFileArgumentStartsWithoutASong)
{
    ASSERT_TRUE(run({"", "--test-exit-after", "300"})) << errors;
    EXPECT_EQ(caption, "DEVU Rizoraz DO4");
}

TEST_F(HostileFilesProgram, FifosInPlaceOfEveryFileTheStartReadsHoldUpNoStart)
{
    const std::filesystem::path company = folder("XDG_CONFIG_HOME") / "Vozuzuzuziv Software";
    const std::filesystem::path system = folder("xdg");
    const std::filesystem::path marks = folder("XDG_DATA_HOME") / "Vozuzuzuziv Software";
    const std::filesystem::path settings = company / "DEVU Rizoraz.ini";
    const std::vector<std::filesystem::path> fifos = {
        settings,
        company / "DEVU Rizoraz.ini.lock",
        folder("XDG_CONFIG_HOME") / "Vozuzuzuziv Software.ini",
        system / "Vozuzuzuziv Software" / "DEVU Rizoraz.ini",
        system / "Vozuzuzuziv Software.ini",
        company / "dr.sqlite",
        marks / "vst-loading",
        marks / "ladspa-loading",
    };
    for (const std::filesystem::path& fifo : fifos) {
        std::filesystem::create_directories(fifo.parent_path());
        MakeFifo(fifo);
    }
    environment.insert("XDG_CONFIG_DIRS", QString::fromStdString(system.string()));
    QElapsedTimer took;
    took.start();
    ASSERT_TRUE(run({"--test-exit-after", "500"})) << errors;
    EXPECT_LT(took.elapsed(), 15000);
    EXPECT_EQ(caption, "DEVU Rizoraz DO4");
    EXPECT_NE(errors.find("Settings could not be read (" + settings.string() + ": not a regular file)"),
              std::string::npos)
        << errors;
    for (const std::filesystem::path& fifo : fifos)
        EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo) << fifo;
}

// The program never loads plug-ins at start-up, so libraries that crash,
// hang or are cut short keep no start from finishing; one that took a scan
// down is named at the next start.
TEST_F(HostileFilesProgram, BadPluginLibrariesNeverStopAStartAndTheNextStartNamesTheOneThatStoppedAScan)
{
    const std::filesystem::path plugins = folder("plugins");
    std::filesystem::create_directories(plugins);
    const std::filesystem::path built = RZ_TEST_HOSTILE_LADSPA_DIR;
    std::filesystem::copy_file(built / "rz_test_ladspa_crash.so", plugins / "crash.so");
    std::filesystem::copy_file(built / "rz_test_ladspa_hang.so", plugins / "hang.so");
    std::filesystem::copy_file(built / "rz_test_ladspa_endless.so", plugins / "cut.so");
    std::filesystem::resize_file(plugins / "cut.so", 6000);
    environment.insert("LADSPA_PATH", QString::fromStdString(plugins.string()));
    environment.insert("RZ_TEST_LADSPA_HANG_MS", "100000");
    ASSERT_TRUE(run({"--test-exit-after", "500"})) << errors;
    EXPECT_EQ(caption, "DEVU Rizoraz DO4");

    // A scan as the program's menu runs it, with the program's data folder,
    // in a process of its own that the first bad library takes down.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray(folder("XDG_DATA_HOME").c_str()));
    const std::filesystem::path marks = pluginMarkFolder();
    qputenv("XDG_DATA_HOME", dataHome); // the tests after this one keep their own
    const pid_t child = ::fork();
    if (child == 0) {
        LadspaCatalog catalog;
        catalog.setMarkFolder(marks);
        catalog.scan({plugins}, 44100);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    ASSERT_TRUE(run({"--test-exit-after", "500"})) << errors;
    EXPECT_EQ(caption, "DEVU Rizoraz DO4");
    // The files are scanned in name order: the crashing one comes first.
    EXPECT_NE(errors.find((plugins / "crash.so").string() + " was skipped because it stopped the program last time"),
              std::string::npos)
        << errors;
}

} // namespace
} // namespace rz
