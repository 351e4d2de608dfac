// What the program costs while it waits and while it plays: the whole
// program started offscreen on a fresh account with a big song (64 tracks,
// 250,000 notes), measured from /proc of the child for 10 s stopped and, in
// a second run, for 10 s playing; stopped once more with the level marker's
// bounce switched off, so that nothing on screen follows the beat while the
// transport stands (the engine's idle timer then rests). Prints CPU
// milliseconds a second and wake-ups (context switches of all its threads)
// a second for each, and the threads that woke most. Goals: stopped at most 5 ms/s and 50 wake-ups/s.
//   idle_cost [PROGRAM]   another build of the program to measure
// Runs on whatever JACK server the environment names (none: no JACK ports).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kTracks = 64;
constexpr int kNotesPerTrack = 250'000 / kTracks + 1;
constexpr int kTicksPerQuarter = 480;
constexpr auto kSettle = 3s;  // the song read and the window up
constexpr auto kMeasure = 10s;

void putVarLen(std::string& out, uint32_t value)
{
    uint8_t bytes[5];
    int count = 0;
    do {
        bytes[count++] = uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(char(bytes[--count] | 0x80));
    out.push_back(char(bytes[0]));
}

void putTrack(std::string& file, const std::string& body)
{
    const uint32_t size = uint32_t(body.size());
    file += "MTrk";
    for (int shift = 24; shift >= 0; shift -= 8)
        file.push_back(char((size >> shift) & 0xFF));
    file += body;
}

// An eighth note every eighth on every track, each track on its own pitch walk.
std::string bigSong()
{
    std::string file{"MThd\0\0\0\6\0\1", 10};
    file.push_back(char((kTracks + 1) >> 8));
    file.push_back(char((kTracks + 1) & 0xFF));
    file.push_back(char(kTicksPerQuarter >> 8));
    file.push_back(char(kTicksPerQuarter & 0xFF));
    putTrack(file, std::string("\x00\xFF\x51\x03\x07\xA1\x20\x00\xFF\x2F\x00", 11));
    constexpr uint32_t kEighth = kTicksPerQuarter / 2;
    for (int t = 0; t < kTracks; ++t) {
        std::string body;
        const char channel = char(t % 16);
        for (int n = 0; n < kNotesPerTrack; ++n) {
            const char pitch = char(36 + (n * 7 + t) % 48);
            putVarLen(body, n == 0 ? 0 : 10);
            body += {char(0x90 | channel), pitch, 80};
            putVarLen(body, kEighth - 10);
            body += {char(0x80 | channel), pitch, 0};
        }
        body += std::string("\x00\xFF\x2F\x00", 4);
        putTrack(file, body);
    }
    return file;
}

std::string songPath()
{
    const fs::path folder = fs::temp_directory_path() / "rz-idle-cost";
    fs::create_directories(folder);
    const fs::path path = folder / "big.mid";
    if (!fs::exists(path)) {
        const std::string bytes = bigSong();
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }
    return path.string();
}

struct Sample {
    double cpuMs = 0;
    std::map<std::string, uint64_t> wakesByThread; // "tid name" -> context switches
    uint64_t wakes() const
    {
        uint64_t sum = 0;
        for (const auto& [name, count] : wakesByThread)
            sum += count;
        return sum;
    }
};

std::string readAll(const fs::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// utime and stime of the whole process (its dead threads too), in ms.
double cpuMsOf(pid_t pid)
{
    const std::string stat = readAll("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    uint64_t utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15)
            stime = std::stoull(field);
    }
    return double(utime + stime) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

uint64_t statusValue(const std::string& status, const std::string& key)
{
    const size_t at = status.find(key + ":");
    return at == std::string::npos ? 0 : std::strtoull(status.c_str() + at + key.size() + 1, nullptr, 10);
}

Sample sample(pid_t pid)
{
    Sample s;
    s.cpuMs = cpuMsOf(pid);
    std::error_code error;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        const std::string status = readAll(task.path() / "status");
        std::string name = readAll(task.path() / "comm");
        if (!name.empty() && name.back() == '\n')
            name.pop_back();
        s.wakesByThread[task.path().filename().string() + " " + name] =
            statusValue(status, "voluntary_ctxt_switches") + statusValue(status, "nonvoluntary_ctxt_switches");
    }
    return s;
}

pid_t spawnProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& home)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!entry.starts_with("HOME=") && !entry.starts_with("XDG_") && !entry.starts_with("QT_QPA_PLATFORM="))
            env.push_back(entry);
    }
    env.push_back("HOME=" + home);
    env.push_back("XDG_RUNTIME_DIR=" + home);
    env.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

void printTopThreads(const Sample& before, const Sample& after, double seconds)
{
    std::vector<std::pair<double, std::string>> rates;
    for (const auto& [name, count] : after.wakesByThread) {
        const auto old = before.wakesByThread.find(name);
        const uint64_t was = old == before.wakesByThread.end() ? 0 : old->second;
        rates.emplace_back(double(count - was) / seconds, name);
    }
    std::sort(rates.rbegin(), rates.rend());
    for (size_t i = 0; i < std::min<size_t>(rates.size(), 5); ++i)
        if (rates[i].first >= 1)
            std::printf("    %-28s %8.1f wake-ups/s\n", rates[i].second.c_str(), rates[i].first);
}

// Settings the program finds on its fresh account, as INI text.
void writeSettings(const fs::path& home, const std::string& settings)
{
    if (settings.empty())
        return;
    const fs::path folder = home / ".config" / "Vozuzuzuziv Software";
    fs::create_directories(folder);
    std::ofstream(folder / "DEVU Rizoraz.ini") << settings;
}

bool measure(const std::string& label, const std::string& program, std::vector<std::string> arguments,
             const std::string& settings = {})
{
    char folder[] = "/tmp/rz-idle-cost-XXXXXX";
    if (!mkdtemp(folder))
        return false;
    writeSettings(folder, settings);
    const auto exitAfter = std::chrono::duration_cast<std::chrono::milliseconds>(kSettle + kMeasure + 1s);
    arguments.insert(arguments.begin(), {"--test-exit-after", std::to_string(exitAfter.count())});
    const pid_t pid = spawnProgram(program, arguments, folder);
    if (pid < 0) {
        fs::remove_all(folder);
        return false;
    }
    std::this_thread::sleep_for(kSettle);
    const Sample before = sample(pid);
    const auto started = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(kMeasure);
    const Sample after = sample(pid);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    int status = 0;
    waitpid(pid, &status, 0);
    fs::remove_all(folder);
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::printf("%-10s %7.1f CPU ms/s %8.1f wake-ups/s%s\n", label.c_str(), (after.cpuMs - before.cpuMs) / seconds,
                double(after.wakes() - before.wakes()) / seconds, ok ? "" : "  (did not end cleanly)");
    printTopThreads(before, after, seconds);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string program = argc > 1 ? argv[1] : RZ_PROGRAM_PATH;
    const std::string song = songPath();
    double load[3] = {};
    if (getloadavg(load, 3) > 0)
        std::printf("load average %.2f %.2f %.2f on %u cores\n", load[0], load[1], load[2],
                    std::thread::hardware_concurrency());
    std::printf("%s, %d tracks, %d notes\n", program.c_str(), kTracks, kTracks * kNotesPerTrack);
    const bool stopped = measure("stopped", program, {song});
    // The level marker without its bounce: nothing on screen follows the beat.
    const bool still = measure("no bounce", program, {song}, "[DisplayOptions]\nBouncngBall=0\n");
    const bool playing = measure("playing", program, {"--test-play", song});
    return stopped && still && playing ? EXIT_SUCCESS : EXIT_FAILURE;
}
