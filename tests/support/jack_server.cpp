#include "tests/support/jack_server.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rz {

namespace {

using namespace std::chrono_literals;

std::atomic<int> g_serverCount{0};

// Runs `argv` as a child with its output going to `output`; the child gets
// SIGTERM when the thread that started it ends, which lets a server leave
// JACK's registry tidy. Returns the child's PID, or -1.
pid_t spawn(const std::vector<std::string>& argv, const std::string& output)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(127); // the parent died before the line above
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in >= 0)
        dup2(in, STDIN_FILENO);
    if (out >= 0) {
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
    }
    execv(args[0], args.data());
    _exit(127);
}

// The child's exit status, or -1 when it did not end within `wait`.
int waitForExit(pid_t pid, std::chrono::milliseconds wait)
{
    const auto giveUp = std::chrono::steady_clock::now() + wait;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (done < 0)
            return 255;
        if (std::chrono::steady_clock::now() >= giveUp)
            return -1;
        std::this_thread::sleep_for(10ms);
    }
}

// SIGTERM (and SIGCONT, should a test have stopped it), then SIGKILL after
// 2 s. True when it ended on SIGTERM.
bool terminate(pid_t pid)
{
    ::kill(pid, SIGTERM);
    ::kill(pid, SIGCONT);
    if (waitForExit(pid, 2s) >= 0)
        return true;
    ::kill(pid, SIGKILL);
    waitForExit(pid, 2s);
    return false;
}

std::string logPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / (name + ".jackd.log")).string();
}

std::string lastLines(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    std::string all = text.str();
    return all.size() > 600 ? all.substr(all.size() - 600) : all;
}

std::vector<std::string> serverCommand(const std::string& jackd, const std::string& name,
                                       bool realtime = false, JackDummyPorts ports = {})
{
    // A client answer may take longer than the default half second on a busy
    // machine; the server would then throw the client out ("CheckRes error").
    return {jackd, "-n", name, realtime ? "-R" : "-r", "-t", std::to_string(JackServer::kClientTimeoutMs),
            "-d", "dummy", "-r",
            std::to_string(JackServer::kSampleRate), "-p", std::to_string(JackServer::kPeriodFrames),
            "-C", std::to_string(ports.capture), "-P", std::to_string(ports.playback)};
}

// Runs jack_wait until the server answers; false after 5 s. jack_wait tries
// once a second, so it starts when the server's socket is there. Its client
// gets a name of its own: two clients of one name opening on two servers at
// once break each other's sockets.
bool waitUntilUp(const std::string& jackWait, const std::string& name)
{
    const std::filesystem::path socket =
        "/dev/shm/jack_" + name + "_" + std::to_string(getuid()) + "_0";
    const auto giveUp = std::chrono::steady_clock::now() + 5s;
    while (!std::filesystem::exists(socket) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(10ms);
    const std::string client = "rz-wait-" + std::to_string(getpid());
    const pid_t waiter =
        spawn({jackWait, "-s", name, "-n", client, "-w", "-t", "5"}, "/dev/null");
    if (waiter < 0)
        return false;
    const int status = waitForExit(waiter, 10s);
    if (status < 0) {
        ::kill(waiter, SIGKILL);
        waitForExit(waiter, 1s);
    }
    return status == 0;
}

// The semaphore files that clients of a server that went before them leave
// in /dev/shm.
void removeClientSemaphores(const std::string& name)
{
    std::error_code error;
    const std::string marker = "_" + name + "_";
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
        const std::string file = entry.path().filename().string();
        if (file.rfind("jack_sem.", 0) == 0 && file.find(marker) != std::string::npos)
            std::filesystem::remove(entry.path(), error);
    }
}

// True when a jackd of that name runs: its command line holds "-n name".
bool serverRuns(const std::string& name)
{
    const std::string needle = std::string("-n") + '\0' + name + '\0';
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        if (text.str().find(needle) != std::string::npos)
            return true;
    }
    return false;
}

// A server that died without stopping (a test killed on its time-out) keeps
// its slot in JACK's registry, and after eight of them no server starts on
// the machine. A slot is freed when a server of the same name comes and goes:
// do that for our own test servers that no longer run.
void reclaimStaleServers(const std::string& jackd, const std::string& jackWait)
{
    std::ifstream file("/dev/shm/jack-shm-registry", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string registry = text.str();
    const std::string prefix = "jack-" + std::to_string(getuid()) + ":rz-";
    for (size_t at = registry.find(prefix); at != std::string::npos;
         at = registry.find(prefix, at + 1)) {
        const size_t begin = at + prefix.size() - 3;
        const size_t end = registry.find(':', begin);
        if (end == std::string::npos || end - begin > 64)
            continue;
        const std::string name = registry.substr(begin, end - begin);
        if (serverRuns(name))
            continue;
        const pid_t again = spawn(serverCommand(jackd, name), "/dev/null");
        if (again > 0) {
            waitUntilUp(jackWait, name);
            terminate(again);
        }
    }
}

} // namespace

std::string findOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/bin:/bin";
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string dir(rest.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::unique_ptr<JackServer> JackServer::start(std::string& error, bool realtime, JackDummyPorts ports)
{
    const std::string jackd = findOnPath("jackd");
    const std::string jackWait = findOnPath("jack_wait");
    if (jackd.empty() || jackWait.empty()) {
        error = "jackd or jack_wait is missing: install the Debian package jackd2";
        return nullptr;
    }
    for (int attempt = 0;; ++attempt) {
        const std::string name = "rz-" + std::to_string(getpid()) + "-" +
                                 std::to_string(g_serverCount.fetch_add(1) + 1);
        const pid_t pid = spawn(serverCommand(jackd, name, realtime, ports), logPath(name));
        if (pid < 0) {
            error = "cannot start jackd";
            return nullptr;
        }
        std::unique_ptr<JackServer> server(new JackServer(name, pid));
        if (waitUntilUp(jackWait, name)) {
            setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
            return server;
        }
        error = "jackd " + name + " did not come up within 5 s: " + lastLines(logPath(name));
        if (attempt > 0 || error.find("Too many servers already active") == std::string::npos)
            return nullptr;
        server.reset();
        reclaimStaleServers(jackd, jackWait);
    }
}

JackServer::~JackServer()
{
    stop();
}

void JackServer::stop()
{
    if (m_pid <= 0)
        return;
    const bool clean = terminate(m_pid);
    m_pid = -1;
    if (!clean) {
        // A killed server keeps its slot in JACK's registry until a server of
        // the same name comes and goes.
        const std::string jackd = findOnPath("jackd");
        const std::string jackWait = findOnPath("jack_wait");
        const pid_t again = spawn(serverCommand(jackd, m_name), "/dev/null");
        if (again > 0) {
            waitUntilUp(jackWait, m_name);
            terminate(again);
        }
    }
    removeClientSemaphores(m_name);
    std::error_code error;
    std::filesystem::remove(logPath(m_name), error);
}

} // namespace rz
