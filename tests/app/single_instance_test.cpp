#include "app/app_single_instance.h"
#include "core/hand_over.h"
#include "tests/app/gui_events.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rz {
namespace {

TEST(SingleInstanceMessages, TheCommandIsLowerCasedAndThePathKeepsItsCase)
{
    using M = HandOverMessage;
    struct Case {
        std::string bytes;
        std::vector<M> messages;
    };
    const Case cases[] = {
        {std::string("restore:/home/a b/x.mid\0", 24), {{"restore", "/home/a b/x.mid"}}},
        {"RESTORE:/A/b.MID", {{"restore", "/A/b.MID"}}},
        {std::string("restore:\0", 9), {{"restore", ""}}},
        {std::string("Restore:/a:b\0\0open:/c\0", 22), {{"restore", "/a:b"}, {"open", "/c"}}},
        {"no colon", {{"no colon", ""}}},
        {std::string("\0\0", 2), {}},
        {"restore:/caf\xc3\xa9/\xff.mid", {{"restore", "/caf\xc3\xa9/\xff.mid"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitHandOverMessages(c.bytes), c.messages) << c.bytes;
    EXPECT_EQ(formatHandOverMessage("/x.mid"), std::string("restore:/x.mid\0", 15));
    EXPECT_EQ(formatHandOverMessage("").size(), 9u);
}

TEST(SingleInstanceMessages, BytesPastTheLimitAreNotRead)
{
    const std::string bytes = "restore:" + std::string(kMaxHandOverBytes, 'x');
    const auto messages = splitHandOverMessages(bytes);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].path.size(), kMaxHandOverBytes - 8);
}

QString socketPath(const char* name)
{
    return QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath(name);
}

TEST(SingleInstanceSocket, ASecondClaimHandsItsMessageToTheFirst)
{
    SingleInstance first(socketPath("rz-pair"));
    SingleInstance second(socketPath("rz-pair"));
    ASSERT_EQ(first.claim(formatHandOverMessage("")), SingleInstance::Claim::Primary);
    ASSERT_TRUE(first.listening());
    EXPECT_EQ(second.claim(formatHandOverMessage("/A/b.MID")), SingleInstance::Claim::HandedOver);
    ASSERT_TRUE(processUntil([&] { return first.pendingCount() == 1; }));
    EXPECT_EQ(first.takeMessages(), (std::vector<HandOverMessage>{{"restore", "/A/b.MID"}}));
    EXPECT_EQ(first.pendingCount(), 0u);
}

// A socket file a killed copy left answers nobody: it is removed and the
// new copy listens.
TEST(SingleInstanceSocket, ASocketLeftByAKilledCopyIsTakenOver)
{
    const QString path = socketPath("rz-stale");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(path));
    SingleInstance instance(path);
    EXPECT_EQ(instance.claim(formatHandOverMessage("")), SingleInstance::Claim::Primary);
    EXPECT_TRUE(instance.listening());
}

// Without a runtime folder the socket lies in a folder of the temporary
// folder, which any local user can write to: only the user's own private
// folder is taken.
TEST(SingleInstanceSocket, ThePrivateFolderMustBeTheUsersOwnAndClosedToOthers)
{
    QTemporaryDir temp;
    const QString base = temp.path();
    const QString mine = QDir(base).filePath("mine");
    std::string problem;
    ASSERT_TRUE(SingleInstance::isPrivateFolder(mine, problem)) << problem;
    EXPECT_EQ(QFileInfo(mine).permissions() & 0x0077, 0) << "made closed to others";

    const QString open = QDir(base).filePath("open");
    QDir().mkpath(open);
    ::chmod(QFile::encodeName(open).constData(), 0777);
    const QString link = QDir(base).filePath("link");
    QFile::link(mine, link);
    struct Case {
        QString folder;
        std::string problem;
    };
    std::vector<Case> cases{{open, " is open to other users"}, {link, " is not a folder"}};
    if (::geteuid() == 0) { // only the superuser can give a folder away
        const QString theirs = QDir(base).filePath("theirs");
        QDir().mkpath(theirs);
        ::chmod(QFile::encodeName(theirs).constData(), 0700);
        ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
        cases.push_back({theirs, " belongs to another user (uid 65534)"});
    }
    for (const Case& c : cases) {
        problem.clear();
        EXPECT_FALSE(SingleInstance::isPrivateFolder(c.folder, problem)) << c.problem;
        EXPECT_EQ(problem, QFile::encodeName(c.folder).toStdString() + c.problem);
    }
    SingleInstance refused{QString()};
    EXPECT_EQ(refused.claim(formatHandOverMessage("/a.mid")), SingleInstance::Claim::Primary);
    EXPECT_FALSE(refused.listening());
}

// A process of another user: as root, a child that drops to "nobody".
// Runs `body` there with a folder it may use and exits with its answer.
pid_t asAnotherUser(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(20); // a test that goes wrong still ends
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        ::_exit(body());
    }
    return child;
}

int childAnswer(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

sockaddr_un addressOf(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
    return address;
}

// Another user who made the socket first gets no path from us, and this
// copy starts as the first one, with a warning.
TEST(SingleInstanceSocket, ASocketOfAnotherUserGetsNothingAndTheCopyRunsAlone)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second local user";
    QTemporaryDir temp;
    ::chmod(QFile::encodeName(temp.path()).constData(), 0777);
    const QString path = QDir(temp.path()).filePath("squatted");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t squatter = asAnotherUser([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = addressOf(path);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0)
            return 98;
        ::chmod(address.sun_path, 0777);
        ::write(ready[1], "r", 1);
        const int client = ::accept(fd, nullptr, nullptr);
        char buffer[256];
        ssize_t total = 0;
        for (ssize_t got; (got = ::read(client, buffer, sizeof buffer)) > 0;)
            total += got;
        return total == 0 ? 0 : 1; // 1: it received bytes
    });
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    SingleInstance instance(path);
    EXPECT_EQ(instance.claim(formatHandOverMessage("/home/me/secret.mid")), SingleInstance::Claim::Primary);
    EXPECT_FALSE(instance.listening());
    EXPECT_EQ(instance.warning(), QFile::encodeName(path).toStdString()
                                      + " is answered by a process of another user (uid 65534); this copy runs on its own");
    EXPECT_EQ(childAnswer(squatter), 0) << "the other user received the hand-over";
    ::close(ready[0]);
    ::close(ready[1]);
}

// A connection from another user's process is dropped unread; the user's
// own hand-over that follows it still arrives.
TEST(SingleInstanceSocket, AConnectionFromAnotherUserIsDropped)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second local user";
    QTemporaryDir temp;
    ::chmod(QFile::encodeName(temp.path()).constData(), 0777);
    const QString path = QDir(temp.path()).filePath("open");
    SingleInstance first(path);
    ASSERT_EQ(first.claim(formatHandOverMessage("")), SingleInstance::Claim::Primary);
    ASSERT_TRUE(first.listening());
    ::chmod(QFile::encodeName(path).constData(), 0777); // as if the socket were open to all
    const pid_t other = asAnotherUser([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = addressOf(path);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return 97;
        const std::string message = formatHandOverMessage("/tmp/planted.mid");
        // The first copy may drop the connection before this writes: no SIGPIPE.
        ::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
        ::close(fd);
        return 0;
    });
    EXPECT_EQ(childAnswer(other), 0);
    SingleInstance mine(path);
    EXPECT_EQ(mine.claim(formatHandOverMessage("/A/sentinel.mid")), SingleInstance::Claim::HandedOver);
    ASSERT_TRUE(processUntil([&] { return first.pendingCount() >= 1; }));
    EXPECT_EQ(first.takeMessages(), (std::vector<HandOverMessage>{{"restore", "/A/sentinel.mid"}}));
}

// The program itself, offscreen, with folders of its own and no JACK server.
class SingleInstanceProgram : public testing::Test {
protected:
    void SetUp() override
    {
        root = QDir(qEnvironmentVariable("HOME")).filePath("program");
        QDir().mkpath(root);
        environment = QProcessEnvironment::systemEnvironment();
        for (const char* folder : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME",
                                   "XDG_RUNTIME_DIR"}) {
            const QString path = QDir(root).filePath(folder);
            QDir().mkpath(path);
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                            | QFileDevice::ExeOwner);
            environment.insert(folder, path);
        }
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("JACK_DEFAULT_SERVER", QString("rz-no-server-%1").arg(getpid()));
        environment.insert("JACK_NO_START_SERVER", "1");
        server = QDir(environment.value("XDG_RUNTIME_DIR")).filePath("devurizoraz");
    }

    void TearDown() override
    {
        for (QProcess* process : processes) {
            if (process->state() != QProcess::NotRunning) {
                ::kill(pid_t(process->processId()), SIGKILL);
                process->waitForFinished(5000);
            }
            delete process;
        }
    }

    QProcess* launch(const QStringList& arguments, const QString& folder = {})
    {
        auto* process = new QProcess;
        processes.push_back(process);
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(folder.isEmpty() ? root : folder);
        process->start(RZ_PROGRAM_PATH, arguments);
        EXPECT_TRUE(process->waitForStarted(5000));
        return process;
    }

    // The program with a file argument given as raw bytes (octal escapes of
    // printf), which a QStringList cannot carry when they are not UTF-8.
    QProcess* launchWithRawFile(const QStringList& arguments, const QString& printfFile)
    {
        QString script = QStringLiteral("exec \"$0\"");
        for (const QString& argument : arguments)
            script += " '" + argument + "'";
        script += " \"$(printf '" + printfFile + "')\"";
        auto* process = new QProcess;
        processes.push_back(process);
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(root);
        process->start("/bin/sh", {"-c", script, RZ_PROGRAM_PATH});
        EXPECT_TRUE(process->waitForStarted(5000));
        return process;
    }

    // A whole copy of the program may take this long to start, hand over and
    // end on a loaded machine; how fast it is, bench/ measures.
    static constexpr int kCopyMs = 15000;
    // The first copy waits for a second one: past the second's own bound, so
    // a slow second copy still finds it.
    static inline const QString kFirstCopyMs = QString::number(2 * kCopyMs);

    static QString finish(QProcess* process, int ms = kCopyMs)
    {
        EXPECT_TRUE(process->waitForFinished(ms));
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
        return QString::fromLocal8Bit(process->readAllStandardOutput()).trimmed();
    }

    bool serverUp(int ms = 5000) const
    {
        return processUntil([&] { return QFile::exists(server); }, ms);
    }

    // A Standard MIDI File of one empty track.
    QString writeSmallSong(const QString& name) const
    {
        static const unsigned char kBytes[] = {
            'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0, 120,
            'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
        const QString path = QDir(root).filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(kBytes), sizeof kBytes);
        return path;
    }

    QString root;
    QString server;
    QProcessEnvironment environment;
    std::vector<QProcess*> processes;
};

TEST_F(SingleInstanceProgram, ASecondCopyHandsItsFileOverAndEndsWithoutAWindow)
{
    const QString song = writeSmallSong("small.mid");
    QProcess* first = launch({"--test-exit-after", kFirstCopyMs, "--test-exit-on-open"});
    ASSERT_TRUE(serverUp());
    QProcess* second = launch({"small.mid"}, root); // relative: made absolute before it goes
    EXPECT_EQ(finish(second), "") << "the second copy showed no window";
    EXPECT_EQ(finish(first), "DEVU Rizoraz DO4 - [" + song + "]");
}

// "caf\351 song.mid" is Latin-1, not UTF-8: the bytes reach the file
// system as given, from the command line and through a second copy.
TEST_F(SingleInstanceProgram, NonUtf8Argument)
{
    const std::filesystem::path folder = QFile::encodeName(root).toStdString();
    std::filesystem::rename(QFile::encodeName(writeSmallSong("small.mid")).toStdString(),
                            folder / "caf\351 song.mid");
    const QString printfName = QStringLiteral("caf\\351 song.mid");
    const QString opened = "DEVU Rizoraz DO4 - [";
    auto expectOpened = [&](const QString& caption) {
        EXPECT_TRUE(caption.startsWith(opened) && caption.endsWith(" song.mid]"))
            << caption.toStdString();
    };

    expectOpened(finish(launchWithRawFile({"--test-exit-after", "1500"}, printfName)));

    QProcess* first = launch({"--test-exit-after", kFirstCopyMs, "--test-exit-on-open"});
    ASSERT_TRUE(serverUp());
    EXPECT_EQ(finish(launchWithRawFile({}, printfName)), "");
    expectOpened(finish(first));
}

TEST_F(SingleInstanceProgram, ACopyStartedAfterAKilledOneRuns)
{
    QProcess* killed = launch({"--test-exit-after", "60000"});
    ASSERT_TRUE(serverUp());
    ::kill(pid_t(killed->processId()), SIGKILL);
    ASSERT_TRUE(killed->waitForFinished(5000));
    ASSERT_TRUE(QFile::exists(server)) << "the killed copy left its socket";
    QProcess* next = launch({"--test-exit-after", "300"});
    EXPECT_EQ(finish(next), "DEVU Rizoraz DO4");
}

TEST_F(SingleInstanceProgram, TwoCopiesStartedTogetherLeaveOneRunning)
{
    QProcess* one = launch({"--test-exit-after", "2500"});
    QProcess* two = launch({"--test-exit-after", "2500"});
    const QStringList captions = {finish(one), finish(two)};
    EXPECT_EQ(captions.count("DEVU Rizoraz DO4"), 1) << captions.join("|").toStdString();
    EXPECT_EQ(captions.count(""), 1);
}

} // namespace
} // namespace rz
