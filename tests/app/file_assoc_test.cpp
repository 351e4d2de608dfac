#include "app/frame_timer_tasks.h"
#include "app/desktop/machine_registry.h"
#include "app/desktop/xdg_association_store.h"
#include "core/key_file.h"
#include "tests/app/app_test_fixture.h"
#include "tests/app/fake_association_store.h"
#include "views/frame_timer_ids.h"
#include "tests/support/hostile_files.h"
#include "tests/support/scripted_prompt.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace rz {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

fs::path dataHome() { return std::getenv("XDG_DATA_HOME"); }
fs::path configHome() { return std::getenv("XDG_CONFIG_HOME"); }

// Runs a desktop tool as a desktop-less session would, so it uses the
// generic freedesktop rules; empty when it is not installed or fails.
std::optional<std::string> runTool(const QString& program, const QStringList& arguments)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return std::nullopt;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "XDG_SESSION_DESKTOP"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput().trimmed().toStdString();
}

struct PlanCase {
    AssociatedType type;
    int owner; // 0 none, 1 ours, 2 foreign
    int fileTypes;
    PromptAnswer answer;
    bool asked;
    bool taken;
};

TEST(FileAssocPlan, OwnerFileTypesAndAnswerDecideWhatIsAskedAndWritten)
{
    using T = AssociatedType;
    using A = PromptAnswer;
    const PlanCase cases[] = {
        // Sets: asked whatever "FileTypes" says, unless nobody or we own them.
        {T::Set, 0, 0, A::No, false, true},   {T::Set, 1, 1, A::No, false, false},
        {T::Set, 2, 0, A::Yes, true, true},   {T::Set, 2, 0, A::No, true, false},
        {T::Set, 2, 2, A::No, true, false},
        // MIDI files: 0 never touches a foreign owner, 1 asks, 2 takes over.
        {T::Midi, 0, 0, A::No, false, true},  {T::Midi, 0, 1, A::No, false, true},
        {T::Midi, 1, 2, A::No, false, false}, {T::Midi, 2, 0, A::Yes, false, false},
        {T::Midi, 2, 1, A::Yes, true, true},  {T::Midi, 2, 1, A::No, true, false},
        {T::Midi, 2, 2, A::No, false, true},  {T::Midi, 2, 7, A::No, false, true},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " owner " << c.owner
                                        << " FileTypes " << c.fileTypes);
        FakeAssociationStore store;
        if (c.owner == 1)
            store.owners[c.type] = {kOurDesktopId, "DEVU Rizoraz"};
        if (c.owner == 2)
            store.owners[c.type] = {"player.desktop", "Player"};
        ScriptedPrompt prompt;
        if (c.asked)
            prompt.expectYesNo(c.type == T::Set ? "SET files are currently assigned to 'Player'"
                                                : ".mid files are currently registered as "
                                                  "'player.desktop//Player'",
                               c.answer);
        registerFileType(store, prompt, c.type, c.fileTypes, "DEVU Rizoraz");
        prompt.verifyAllUsed();
        EXPECT_EQ(store.taken.size(), c.taken ? 1u : 0u);
    }
}

TEST(FileAssocPlan, QuestionsNameTheOwnerAndTheProgram)
{
    const AssociationOwner owner{"player.desktop", "Player"};
    EXPECT_EQ(planAssociation(AssociatedType::Set, owner, 1, "DEVU Rizoraz").question,
              "SET files are currently assigned to 'Player'. Would you like to register these files "
              "to automatically open with DEVU Rizoraz? (Recommended)");
    EXPECT_EQ(planAssociation(AssociatedType::Midi, owner, 1, "DEVU Rizoraz").question,
              ".mid files are currently registered as 'player.desktop//Player'.\nWould you like to "
              "register these files to automatically open with DEVU Rizoraz instead?");
}

TEST(FileAssocXdg, TakingOverMakesXdgMimeNameUsForBothTypes)
{
    XdgAssociationStore store("/opt/devu rizoraz/bin/devu-rizoraz");
    store.install();
    EXPECT_EQ(readFile(dataHome() / "applications" / kOurDesktopId), store.desktopEntryText());
    EXPECT_EQ(readFile(dataHome() / "mime/packages/devu-rizoraz.xml"),
              XdgAssociationStore::setTypeDefinition());
    ASSERT_TRUE(store.takeOver(AssociatedType::Set));
    ASSERT_TRUE(store.takeOver(AssociatedType::Midi));
    EXPECT_EQ(store.owner(AssociatedType::Midi)->desktopId, kOurDesktopId);

    const std::optional<std::string> midi = runTool("xdg-mime", {"query", "default", "audio/midi"});
    const std::optional<std::string> set =
        runTool("xdg-mime", {"query", "default", "application/x-devu-rizoraz-set"});
    ASSERT_TRUE(midi && set) << "xdg-mime (xdg-utils) is missing or failed";
    EXPECT_EQ(*midi, kOurDesktopId);
    EXPECT_EQ(*set, kOurDesktopId);
    EXPECT_TRUE(runTool("desktop-file-validate",
                        {QString::fromStdString((dataHome() / "applications" / kOurDesktopId).string())}))
        << "desktop-file-validate (desktop-file-utils) is missing or refused our entry";
}

TEST(FileAssocXdg, AForeignDefaultIsReadAndOnlyOurLineChanges)
{
    writeFile(dataHome() / "applications/player.desktop",
              "[Desktop Entry]\nType=Application\nName=Player\nExec=player %f\n");
    const std::string before = "# kept\r\n[Added Associations]\r\naudio/midi=other.desktop;\r\n"
                               "[Default Applications]\r\ntext/plain=editor.desktop;\r\n"
                               "audio/midi=player.desktop;other.desktop;\r\nimage/png=viewer.desktop;\r\n";
    writeFile(configHome() / "mimeapps.list", before);
    XdgAssociationStore store("/usr/bin/devu-rizoraz");
    const std::optional<AssociationOwner> owner = store.owner(AssociatedType::Midi);
    ASSERT_TRUE(owner);
    EXPECT_EQ(owner->desktopId, "player.desktop");
    EXPECT_EQ(owner->typeName, "Player");

    ASSERT_TRUE(store.takeOver(AssociatedType::Midi));
    std::string expected = before;
    expected.replace(expected.find("audio/midi=player"), std::string("audio/midi=player.desktop;other.desktop;").size(),
                     "audio/midi=devu-rizoraz.desktop;");
    EXPECT_EQ(readFile(configHome() / "mimeapps.list"), expected);
}

TEST(FileAssocXdg, NoLeavesTheForeignOwnerAndAsksAgainAtTheNextStart)
{
    writeFile(dataHome() / "applications/player.desktop", "[Desktop Entry]\nName=Player\n");
    const std::string before = "[Default Applications]\naudio/midi=player.desktop;\n";
    writeFile(configHome() / "mimeapps.list", before);
    for (int start = 0; start < 2; ++start) {
        XdgAssociationStore store("/usr/bin/devu-rizoraz");
        ScriptedPrompt prompt;
        prompt.expectYesNo("'player.desktop//Player'", PromptAnswer::No);
        registerFileType(store, prompt, AssociatedType::Midi, 1, "DEVU Rizoraz");
        prompt.verifyAllUsed();
        EXPECT_EQ(readFile(configHome() / "mimeapps.list"), before);
    }
}

TEST(FileAssocXdg, AnUnparsableMimeAppsListIsLeftUntouched)
{
    const std::string damaged = "[Default Applications]\nthis line is no entry\n";
    writeFile(configHome() / "mimeapps.list", damaged);
    XdgAssociationStore store("/usr/bin/devu-rizoraz");
    EXPECT_FALSE(store.takeOver(AssociatedType::Set));
    EXPECT_EQ(readFile(configHome() / "mimeapps.list"), damaged);
}

TEST(FileAssocExec, ProgramPathsSurviveTheExecQuoting)
{
    const struct {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/usr/bin/devu-rizoraz", R"("/usr/bin/devu-rizoraz")"},
        {"/opt/my apps/rz", R"("/opt/my apps/rz")"},
        {"/opt/a\"b/rz", R"("/opt/a\\"b/rz")"},
        {"/opt/$HOME/rz", R"("/opt/\\$HOME/rz")"},
        {"/opt/100%/rz", R"("/opt/100%%/rz")"},
        {"/opt/back\\slash/rz", R"("/opt/back\\\\slash/rz")"},
        {"/opt/`x`/rz", R"("/opt/\\`x\\`/rz")"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(desktopExecArgument(c.path), c.exec) << c.path;

    // The desktop's own checker accepts an entry for the worst of them.
    XdgAssociationStore store("/opt/my \"apps\" $1 100%/bin/devu-rizoraz");
    writeFile(dataHome() / "check/devu-rizoraz.desktop", store.desktopEntryText());
    EXPECT_TRUE(runTool("desktop-file-validate",
                        {QString::fromStdString((dataHome() / "check/devu-rizoraz.desktop").string())}));
}

class FileAssocApp : public AppFixture {};

TEST_F(FileAssocApp, StartUpTakesUnownedTypesAndAsksAboutAForeignSetOwner)
{
    associations.owners[AssociatedType::Set] = {"other.desktop", "Other"};
    prompt.expectYesNo("SET files are currently assigned to 'Other'", PromptAnswer::No);
    start();
    EXPECT_EQ(associations.installs, 0) << "the window comes first";
    app->timerTasks().onFrameTimer(frame_timer::kStartup);
    EXPECT_EQ(associations.installs, 1);
    EXPECT_EQ(associations.taken, std::vector<AssociatedType>{AssociatedType::Midi});
    prompt.verifyAllUsed();
}

TEST(MachineRegistry, ValuesRoundTripAndSectionsAndValuesDelete)
{
    const fs::path file = dataHome() / "machine/registry.ini";
    fs::create_directories(file.parent_path());
    MachineRegistry registry("Vozuzuzuziv Software", "DEVU Rizoraz", file);
    bool writable = false;
    EXPECT_TRUE(registry.RegOpenOrCreateKey(&writable));
    EXPECT_TRUE(writable);
    EXPECT_EQ(registry.RegReadDword("Install", "Count", 7), 7u);
    ASSERT_TRUE(registry.RegWriteDword("Install", "Count", 4000000000u));
    ASSERT_TRUE(registry.RegWriteString("Install", "AppPath", std::string("/opt/rz/")));
    EXPECT_EQ(registry.RegReadDword("Install", "Count", 7), 4000000000u);
    EXPECT_EQ(registry.RegReadString("Install", "AppPath", ""), "/opt/rz/");
    ASSERT_TRUE(registry.RegWriteString("Install", "AppPath", std::nullopt));
    EXPECT_EQ(registry.RegReadString("Install", "AppPath", "none"), "none");
    EXPECT_EQ(registry.RegReadDword("Install", "Count", 7), 4000000000u);
    ASSERT_TRUE(registry.RegWriteString("Install", std::nullopt, std::nullopt));
    EXPECT_EQ(registry.RegReadDword("Install", "Count", 7), 7u);
}

TEST(MachineRegistry, ARefusedWriteReturnsFalseAndChangesNothing)
{
    // A folder that is a file refuses even the superuser.
    writeFile(dataHome() / "not-a-folder", "x");
    MachineRegistry registry("Vozuzuzuziv Software", "DEVU Rizoraz", dataHome() / "not-a-folder/registry.ini");
    bool writable = true;
    registry.RegOpenOrCreateKey(&writable);
    EXPECT_FALSE(writable);
    EXPECT_FALSE(registry.RegWriteDword("Install", "Count", 1));
    EXPECT_FALSE(registry.RegWriteString("Install", "AppPath", std::string("/x/")));
    EXPECT_EQ(registry.RegReadDword("Install", "Count", 9), 9u);
}

// QSettings waits for ever on a FIFO: one in place of the machine-wide file
// reads as empty and refuses writes, at once, and stays as it was.
TEST(MachineRegistry, AFifoInPlaceOfTheFileReadsAsEmptyAndIsLeftAsItWas)
{
    const fs::path file = dataHome() / "registry.ini";
    MakeFifo(file);
    MachineRegistry registry("Vozuzuzuziv Software", "DEVU Rizoraz", file);
    bool opened = true;
    bool writable = true;
    std::string read;
    bool written = true;
    ASSERT_TRUE(ReturnsWithin(
        [&] {
            opened = registry.RegOpenOrCreateKey(&writable);
            read = registry.RegReadString("Install", "AppPath", "none");
            written = registry.RegWriteString("Install", "AppPath", std::string("/x/"));
        },
        {file}));
    EXPECT_FALSE(opened);
    EXPECT_FALSE(writable);
    EXPECT_EQ(read, "none");
    EXPECT_FALSE(written);
    EXPECT_EQ(fs::status(file).type(), fs::file_type::fifo);
}

// Finding the system-scope file at start reads none of the files a QSettings
// of the system scope would read first.
TEST(MachineRegistry, TheSystemFileIsFoundWithoutReadingIt)
{
    const fs::path system = dataHome() / "xdg";
    const fs::path file = system / "Vozuzuzuziv Software" / "DEVU Rizoraz.ini";
    fs::create_directories(file.parent_path());
    MakeFifo(file);
    MakeFifo(system / "Vozuzuzuziv Software.ini");
    const QByteArray old = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString(system.string()));
    fs::path found;
    const bool returned = ReturnsWithin(
        [&] { found = MachineRegistry("Vozuzuzuziv Software", "DEVU Rizoraz").file(); },
        {file, system / "Vozuzuzuziv Software.ini"});
    qputenv("XDG_CONFIG_DIRS", old);
    EXPECT_TRUE(returned);
    EXPECT_EQ(found, file);
}

} // namespace
} // namespace rz
