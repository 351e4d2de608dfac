// The whole program started offscreen on a fresh account (an empty HOME of
// its own each run), as a new user starts it:
//   StartEmpty       until the window shows (the caption line that
//                    --test-exit-after 0 prints); goal 100 ms median, peak
//                    memory 70 MB at most (peak_mb)
//   StartLargeFile   the same with smf_read_bench's 1.3 M-event file given;
//                    goal 250 ms
//   ExitAfterPlay    a short song played to its end, then the window closed:
//                    from the caption line to the process's end; goal 300 ms
// Each start is paired with a start of the baseline, a bare Qt main window
// started the same way just before it, so that both see the same load; the
// starts print both medians, their ratio x_bare (goal: at most 2) and the
// peak memory. BareWindow alone gives the baseline's own figures.
// Runs on whatever JACK server the environment names (none: no JACK ports).
// `--program=PATH` measures another build of the program.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double windowMs = 0;  // spawn to the caption line
    double exitMs = 0;    // the caption line to the process's end
    double peakMb = 0;
    bool ok = false;
};

// A fresh account: HOME, its runtime folder (the single-instance socket)
// and the rest of the XDG folders under it.
std::vector<std::string> freshEnvironment(const std::string& home)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.starts_with("HOME=") || entry.starts_with("XDG_") || entry.starts_with("QT_QPA_PLATFORM="))
            continue;
        env.push_back(entry);
    }
    env.push_back("HOME=" + home);
    env.push_back("XDG_RUNTIME_DIR=" + home);
    env.push_back("QT_QPA_PLATFORM=offscreen");
    return env;
}

// Reads the child's standard output until a whole line came; false at its end.
bool readLine(int fd)
{
    char c = 0;
    while (true) {
        const ssize_t got = read(fd, &c, 1);
        if (got <= 0)
            return false;
        if (c == '\n')
            return true;
    }
}

std::string& programPath()
{
    static std::string path = RZ_PROGRAM_PATH;
    return path;
}

Run runProgram(const std::vector<std::string>& arguments, const std::string& program = programPath())
{
    Run run;
    char folder[] = "/tmp/rz-startup-XXXXXX";
    if (!mkdtemp(folder))
        return run;
    std::vector<std::string> env = freshEnvironment(folder);
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return run;
    }
    const bool shown = readLine(out[0]);
    const auto captioned = Clock::now();
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto ended = Clock::now();
    close(out[0]);
    std::filesystem::remove_all(folder);
    run.windowMs = std::chrono::duration<double, std::milli>(captioned - start).count();
    run.exitMs = std::chrono::duration<double, std::milli>(ended - captioned).count();
    run.peakMb = double(usage.ru_maxrss) / 1024.0;
    run.ok = shown && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

std::string benchFolder()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "rz-startup-bench";
    std::filesystem::create_directories(folder);
    return folder.string();
}

// smf_read_bench's test file, made once.
std::string largeFile()
{
    const std::string path = benchFolder() + "/large.mid";
    if (!std::filesystem::exists(path)) {
        const std::string command = std::string(RZ_SMF_READ_BENCH_PATH) + " --generate " + path + " > /dev/null";
        if (std::system(command.c_str()) != 0)
            return {};
    }
    return path;
}

// Half a second: one quarter note at 120 per minute on the piano.
std::string shortSong()
{
    const std::string path = benchFolder() + "/short.mid";
    const unsigned char bytes[] = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0,
        'M', 'T', 'r', 'k', 0, 0, 0, 23,
        0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,
        0x00, 0xC0, 0x00,
        0x00, 0x90, 60, 100,
        0x83, 0x60, 0x80, 60, 0,
        0x00, 0xFF, 0x2F, 0x00};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    return path;
}

void report(benchmark::State& state, const std::vector<Run>& runs)
{
    double peak = 0;
    for (const Run& run : runs)
        peak = std::max(peak, run.peakMb);
    state.counters["peak_mb"] = peak;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measureStart(benchmark::State& state, const std::vector<std::string>& arguments)
{
    std::vector<Run> runs;
    std::vector<double> times;
    std::vector<double> bareTimes;
    for (auto _ : state) {
        const Run bare = runProgram({}, RZ_BARE_WINDOW_PATH);
        const Run run = runProgram(arguments);
        if (!run.ok || !bare.ok) {
            state.SkipWithError("the program or the bare window did not start and end cleanly");
            return;
        }
        state.SetIterationTime(run.windowMs / 1000.0);
        runs.push_back(run);
        times.push_back(run.windowMs);
        bareTimes.push_back(bare.windowMs);
    }
    report(state, runs);
    const double bare = median(bareTimes);
    state.counters["median_ms"] = median(times);
    state.counters["bare_ms"] = bare;
    state.counters["x_bare"] = bare > 0 ? median(times) / bare : 0;
}

void BareWindow(benchmark::State& state)
{
    std::vector<Run> runs;
    for (auto _ : state) {
        const Run run = runProgram({}, RZ_BARE_WINDOW_PATH);
        if (!run.ok) {
            state.SkipWithError("the bare window did not start and end cleanly");
            return;
        }
        state.SetIterationTime(run.windowMs / 1000.0);
        runs.push_back(run);
    }
    report(state, runs);
}

void StartEmpty(benchmark::State& state)
{
    measureStart(state, {"--test-exit-after", "0"});
}

void StartLargeFile(benchmark::State& state)
{
    const std::string file = largeFile();
    if (file.empty()) {
        state.SkipWithError("cannot make the large file");
        return;
    }
    measureStart(state, {"--test-exit-after", "0", file});
}

// The song ends after half a second; the window closes at 1.5 s.
void ExitAfterPlay(benchmark::State& state)
{
    const std::string song = shortSong();
    std::vector<Run> runs;
    for (auto _ : state) {
        const Run run = runProgram({"--test-play", "--test-exit-after", "1500", song});
        if (!run.ok) {
            state.SkipWithError("the program did not start and end cleanly");
            return;
        }
        state.SetIterationTime(run.exitMs / 1000.0);
        runs.push_back(run);
    }
    report(state, runs);
}

} // namespace

// The starts run their runs in one repetition, so that the medians and
// their ratio come from the same runs.
BENCHMARK(BareWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(StartEmpty)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(StartLargeFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(ExitAfterPlay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with("--program="))
            programPath() = std::string(argument.substr(10));
        else
            rest.push_back(argv[i]);
    }
    int count = int(rest.size());
    benchmark::Initialize(&count, rest.data());
    if (benchmark::ReportUnrecognizedArguments(count, rest.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
