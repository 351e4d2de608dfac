#include "ui/profile.h"

#include "tests/support/hostile_files.h"

#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace rz {
namespace {

class ProfileFile : public testing::Test {
protected:
    std::filesystem::path file() const { return m_dir.filePath("settings.ini").toStdString(); }

    std::string fileText() const
    {
        std::ifstream in(file());
        return {std::istreambuf_iterator<char>(in), {}};
    }

    QTemporaryDir m_dir;
};

std::vector<std::string> names(const IProfile& profile, std::string_view section)
{
    std::vector<std::string> out;
    for (const auto& v : profile.valueNames(section))
        out.push_back(v.name);
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(ProfileFile, SectionAndValueNamesCompareCaseInsensitively)
{
    struct Case {
        const char* writeSection;
        const char* writeName;
        const char* readSection;
        const char* readName;
    };
    const Case cases[] = {
        {"KeyMap", "UseWhich", "Keymap", "usewhich"},
        {"KeyMap", "UseWhich", "KEYMAP", "USEWHICH"},
        {"PortsToUse\\MIDIOUT\\3", "Name", "portstouse\\midiout\\3", "NAME"},
    };
    for (const Case& c : cases) {
        {
            Profile profile(file());
            profile.writeString(c.writeSection, c.writeName, "value");
            EXPECT_EQ(profile.readString(c.readSection, c.readName, "none"), "value")
                << c.readSection << " / " << c.readName;
        }
        Profile reopened(file());
        EXPECT_EQ(reopened.readString(c.readSection, c.readName, "none"), "value")
            << c.readSection << " / " << c.readName;
    }

    // Another spelling writes the same value; the first spelling stays.
    Profile profile(file());
    profile.writeInt("KEYMAP", "USEWHICH", 7);
    EXPECT_EQ(names(profile, "keymap"), std::vector<std::string>{"UseWhich"});
    EXPECT_EQ(profile.readInt("KeyMap", "UseWhich", 0), 7);
    ASSERT_TRUE(profile.sync());
    const std::string text = fileText();
    EXPECT_NE(text.find("[KeyMap]"), std::string::npos) << text;
    EXPECT_EQ(text.find("[KEYMAP]"), std::string::npos) << text;
    EXPECT_NE(text.find("[PortsToUse]\nMIDIOUT\\3\\Name=value"), std::string::npos) << text;
}

TEST_F(ProfileFile, NamesWithSeparatorsRoundTripAsOneValue)
{
    const std::vector<std::string> odd = {"a/b",  "a\\b",      "100%", "x=y",     "%2F",
                                          "%25",  "/\\%=mix/", "  spaced  ", "semi;colon",
                                          "Ünïcode"};
    {
        Profile profile(file());
        for (const std::string& name : odd)
            profile.writeString("AccelMap4", name, "map " + name);
    }
    Profile reopened(file());
    std::vector<std::string> expected = odd;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names(reopened, "AccelMap4"), expected);
    for (const std::string& name : odd)
        EXPECT_EQ(reopened.readString("AccelMap4", name, "missing"), "map " + name) << name;
    // None of them became a group of its own.
    EXPECT_TRUE(reopened.valueNames("AccelMap4\\a").empty());
    EXPECT_EQ(reopened.readString("AccelMap4\\a", "b", "missing"), "missing");
}

TEST_F(ProfileFile, BinaryValueSurvivesAFreshProfile)
{
    const std::vector<uint8_t> bytes = {0x00, 0xFF, 0x0A, 0x0D, '@', '"', '\\', 0x00, 0x7F, 0x80};
    {
        Profile profile(file());
        profile.writeBinary("AccelMap4", "Live", bytes);
        profile.writeInt("AccelMap4", "Enabled", 1);
    }
    Profile reopened(file());
    EXPECT_EQ(reopened.readBinary("AccelMap4", "live"), bytes);
    EXPECT_EQ(reopened.readInt("AccelMap4", "Live", -1), -1); // binary is not a number
    EXPECT_EQ(reopened.readString("AccelMap4", "Live", "text?"), "text?");
    EXPECT_FALSE(reopened.readBinary("AccelMap4", "Enabled"));

    std::vector<IProfile::ValueName> values = reopened.valueNames("AccelMap4");
    std::sort(values.begin(), values.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].name, "Enabled");
    EXPECT_FALSE(values[0].binary);
    EXPECT_EQ(values[1].name, "Live");
    EXPECT_TRUE(values[1].binary);
}

TEST_F(ProfileFile, NumbersAndTextSurviveAFreshProfile)
{
    {
        Profile profile(file());
        profile.writeInt("PlaybackOptions", "AdvanceWait", -1000);
        profile.writeString("StartupOptions", "AutoOpenPath", "/songs/a, b; c = d.set");
        profile.writeString("S", "Empty", "");
        profile.writeString("S", "Word", "12x");
    }
    Profile reopened(file());
    EXPECT_EQ(reopened.readInt("PlaybackOptions", "AdvanceWait", 0), -1000);
    EXPECT_EQ(reopened.readString("PlaybackOptions", "AdvanceWait", ""), "-1000");
    EXPECT_EQ(reopened.readString("StartupOptions", "AutoOpenPath", ""), "/songs/a, b; c = d.set");
    EXPECT_EQ(reopened.readString("S", "Empty", "dflt"), "");
    EXPECT_EQ(reopened.readInt("S", "Word", 5), 5);
    EXPECT_EQ(reopened.readInt("Missing", "Value", 42), 42);
}

TEST_F(ProfileFile, RemovesValuesAndSectionsWithTheirSubSections)
{
    Profile profile(file());
    profile.writeInt("PortsToUse", "Count", 2);
    profile.writeInt("PortsToUse\\MIDIOUT\\3", "Port", 3);
    profile.writeInt("PortsToUseToo", "Keep", 1);
    profile.writeInt("Other", "A", 1);
    profile.writeInt("Other", "B", 2);

    profile.removeValue("OTHER", "a");
    EXPECT_EQ(names(profile, "Other"), std::vector<std::string>{"B"});

    profile.removeSection("portstouse");
    EXPECT_EQ(profile.readInt("PortsToUse", "Count", -1), -1);
    EXPECT_EQ(profile.readInt("PortsToUse\\MIDIOUT\\3", "Port", -1), -1);
    EXPECT_EQ(profile.readInt("PortsToUseToo", "Keep", -1), 1);

    profile.removeSection(""); // never the whole file
    EXPECT_EQ(profile.readInt("Other", "B", -1), 2);
}

TEST_F(ProfileFile, CorruptFileIsKeptAsideAndDefaultsUsed)
{
    const std::string damaged = "[KeyMap\nUseWhich=Live\n[General]\nx=1\n";
    {
        std::ofstream out(file());
        out << damaged;
    }
    std::filesystem::path bad = file();
    bad += ".bad";
    {
        Profile profile(file());
        EXPECT_EQ(profile.setAsidePath(), bad);
        EXPECT_EQ(profile.readString("KeyMap", "UseWhich", "Default"), "Default");
        profile.writeInt("AccelMap4", "Enabled", 0);
        EXPECT_TRUE(profile.sync());
    }
    std::ifstream in(bad);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
    Profile reopened(file());
    EXPECT_FALSE(reopened.setAsidePath());
    EXPECT_EQ(reopened.readInt("AccelMap4", "Enabled", 1), 0);
}

// Every save reads the lock file beside the settings first, so a FIFO there
// is refused as one in place of the settings is.
TEST_F(ProfileFile, AFifoInPlaceOfTheFileOrItsLockGivesUnsavedDefaultsAtOnceAndStaysAsItWas)
{
    for (const std::filesystem::path& fifo : {file(), std::filesystem::path(file().string() + ".lock")}) {
        MakeFifo(fifo);
        {
            FifoWatchdog watchdog({fifo});
            Profile profile(file());
            EXPECT_FALSE(watchdog.fired()) << "opening the settings blocked: " << fifo;
            EXPECT_EQ(profile.readString("KeyMap", "UseWhich", "Default"), "Default");
            EXPECT_EQ(profile.writeProblem(), fifo.string() + ": not a regular file");
            profile.writeInt("General", "x", 1);
            profile.sync();
            EXPECT_FALSE(watchdog.fired()) << "saving the settings blocked: " << fifo;
        }
        EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
        std::filesystem::remove(fifo);
        EXPECT_FALSE(std::filesystem::exists(file())) << fifo;
    }
}

// A kill during a save leaves the settings' lock file, sometimes before its
// owner was written into it; the next start takes it over at once.
TEST_F(ProfileFile, ALockFileLeftByAKilledSaveIsTakenOverAtTheNextStart)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::filesystem::path lock = file().string() + ".lock";
    const std::string leftovers[] = {
        "", // killed before the owner was written
        std::to_string(gone) + "\nui_tests\n" + QSysInfo::machineHostName().toStdString() + "\n",
    };
    for (const std::string& text : leftovers) {
        std::ofstream(lock, std::ios::binary) << text;
        bool saved = false;
        ASSERT_TRUE(ReturnsWithin(
            [&] {
                Profile profile(file());
                profile.writeInt("General", "x", 7);
                saved = profile.sync();
            },
            {}, std::chrono::seconds(10)))
            << "the save waited for the lock of a gone process: " << text;
        EXPECT_TRUE(saved);
        EXPECT_EQ(Profile(file()).readInt("General", "x", 0), 7);
        EXPECT_FALSE(std::filesystem::exists(lock));
    }
}

TEST(Profile, DefaultFileLivesInTheUsersConfigFolder)
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(config, nullptr);
    {
        Profile profile;
        profile.writeInt("OSoptions", "alwaysontop", 1);
    }
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(config) / "Vozuzuzuziv Software" /
                                        "DEVU Rizoraz.ini"));
    EXPECT_EQ(Profile().readInt("OSoptions", "alwaysontop", 0), 1);
}

// Finding the user's settings reads nothing: a FIFO in place of the file,
// of the company's file beside it or of a system file holds up no start;
// only the settings' own is refused, with the reason, and left as it was.
TEST(Profile, FifosWhereSettingsMayLieHoldUpNoStart)
{
    const std::filesystem::path config = std::getenv("XDG_CONFIG_HOME");
    const std::filesystem::path system = config.parent_path() / "system-config";
    const std::filesystem::path own = config / "Vozuzuzuziv Software" / "DEVU Rizoraz.ini";
    const struct {
        std::filesystem::path fifo;
        bool refused;
    } cases[] = {
        {own, true},
        {config / "Vozuzuzuziv Software.ini", false},
        {system / "Vozuzuzuziv Software" / "DEVU Rizoraz.ini", false},
        {system / "Vozuzuzuziv Software.ini", false},
    };
    const QByteArray oldDirs = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString(system.string()));
    for (const auto& c : cases) {
        std::filesystem::create_directories(c.fifo.parent_path());
        MakeFifo(c.fifo);
        std::optional<std::string> problem;
        int32_t value = 0;
        EXPECT_TRUE(ReturnsWithin(
            [&] {
                Profile profile;
                problem = profile.writeProblem();
                value = profile.readInt("OSoptions", "alwaysontop", 5);
            },
            {c.fifo}))
            << c.fifo;
        EXPECT_EQ(value, 5) << c.fifo;
        EXPECT_EQ(problem, c.refused ? std::optional(c.fifo.string() + ": not a regular file") : std::nullopt)
            << c.fifo;
        EXPECT_EQ(std::filesystem::status(c.fifo).type(), std::filesystem::file_type::fifo) << c.fifo;
        std::filesystem::remove(c.fifo);
        std::filesystem::remove(own);
    }
    qputenv("XDG_CONFIG_DIRS", oldDirs);
}

TEST_F(ProfileFile, ReadersSeeWholeValuesWhileAnotherThreadWrites)
{
    Profile profile(file());
    const std::vector<uint8_t> a(60, 0xAA);
    const std::vector<uint8_t> b(120, 0xBB);
    profile.writeBinary("AccelMap4", "Live", a);
    std::atomic<bool> stop = false;
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            profile.writeBinary("AccelMap4", "Live", i % 2 ? a : b);
            profile.writeInt("Sequencer", "Counter", i);
        }
        stop = true;
    });
    int reads = 0;
    while (!stop || reads == 0) {
        const auto value = profile.readBinary("accelmap4", "live");
        ASSERT_TRUE(value);
        ASSERT_TRUE(*value == a || *value == b);
        ++reads;
    }
    writer.join();
    EXPECT_EQ(profile.readInt("Sequencer", "Counter", -1), 1999);
}

} // namespace
} // namespace rz
