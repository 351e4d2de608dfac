#include "plain_driver.h"

#include <algorithm>
#include <csignal>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

namespace rz::fuzz {
namespace {

constexpr int kSweepCases = 20000;
// A case is slow when it has used this much processor time; wall time alone
// would fail a sound case on a machine busy with other work. AddressSanitizer
// makes every allocation several times dearer.
#if defined(__SANITIZE_ADDRESS__)
constexpr auto kCaseLimit = std::chrono::seconds(10);
#else
constexpr auto kCaseLimit = std::chrono::seconds(2);
#endif
// A case that waits instead of computing is caught by the wall clock.
constexpr auto kCaseWallLimit = std::chrono::seconds(60);

std::atomic<int64_t> g_caseStart{0}; // steady-clock ns of the running case; 0 none
std::atomic<int64_t> g_caseCpuStart{0}; // process CPU ns at the case's start
std::atomic<int> g_caseNumber{-1};
std::atomic<bool> g_done{false};
const std::vector<uint8_t>* g_caseInput = nullptr; // read by the watchdog only before it exits

int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The watchdog sleeps, so the process's CPU time is the case's.
int64_t cpuNowNs()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

void watchdog(const PlainDriver& driver)
{
    while (!g_done.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const int64_t start = g_caseStart.load();
        const int64_t cpuStart = g_caseCpuStart.load();
        const bool overCpu = cpuNowNs() - cpuStart > std::chrono::nanoseconds(kCaseLimit).count();
        const bool overWall = nowNs() - start > std::chrono::nanoseconds(kCaseWallLimit).count();
        if (start != 0 && (overCpu || overWall)) {
            const std::string saved = std::string(driver.name) + "_slow_case" + driver.slowCaseExtension;
            std::fprintf(stderr, "%s: case %d ran longer than %d s of CPU (or 60 s); input in %s\n", driver.name,
                         g_caseNumber.load(), int(kCaseLimit.count()), saved.c_str());
            std::ofstream(saved, std::ios::binary)
                .write(reinterpret_cast<const char*>(g_caseInput->data()), std::streamsize(g_caseInput->size()));
            std::_Exit(2);
        }
    }
}

char g_failedCasePath[256] = {};

// A case that aborts or crashes leaves its input behind, so it can be
// replayed; only async-signal-safe calls here.
void saveFailedCase(int signal)
{
    const std::vector<uint8_t>* input = g_caseInput;
    if (input != nullptr && g_failedCasePath[0] != 0) {
        const int fd = ::open(g_failedCasePath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            [[maybe_unused]] const ssize_t written = ::write(fd, input->data(), input->size());
            ::close(fd);
        }
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void runCase(int number, const std::vector<uint8_t>& input)
{
    g_caseInput = &input;
    g_caseNumber = number;
    g_caseCpuStart = cpuNowNs();
    g_caseStart = nowNs();
    LLVMFuzzerTestOneInput(input.data(), input.size());
    g_caseStart = 0;
}

std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// One to eight edits of the kinds that reach a reader's checks: bytes
// changed to boundary values, lengths made huge or zero, ranges cut, copied
// or added.
std::vector<uint8_t> mutate(std::vector<uint8_t> input, std::span<const uint8_t> boundary, std::mt19937& random)
{
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    for (size_t edits = 1 + pick(8); edits-- > 0;) {
        const size_t at = input.empty() ? 0 : pick(input.size());
        switch (pick(6)) {
        case 0:
            if (!input.empty())
                input[at] = uint8_t(random());
            break;
        case 1:
            if (!input.empty() && !boundary.empty())
                input[at] = boundary[pick(boundary.size())];
            break;
        case 2: {
            const uint8_t fill = pick(3) == 0 ? 0x00 : (pick(2) == 0 ? 0xFF : 0x7F);
            for (size_t i = 0; i < 4 && at + i < input.size(); ++i)
                input[at + i] = fill;
            break;
        }
        case 3:
            if (!input.empty())
                input.erase(input.begin() + std::ptrdiff_t(at),
                            input.begin() + std::ptrdiff_t(std::min(input.size(), at + 1 + pick(16))));
            break;
        case 4: {
            const size_t length = std::min(input.size() - at, 1 + pick(64));
            std::vector<uint8_t> copy(input.begin() + std::ptrdiff_t(at),
                                      input.begin() + std::ptrdiff_t(at + length));
            input.insert(input.begin() + std::ptrdiff_t(input.empty() ? 0 : pick(input.size())),
                         copy.begin(), copy.end());
            break;
        }
        default:
            for (size_t i = 1 + pick(8); i-- > 0;)
                input.insert(input.begin() + std::ptrdiff_t(at), uint8_t(random()));
            break;
        }
    }
    return input;
}

} // namespace

int runPlainDriver(const PlainDriver& driver, int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FIXTURE_FOLDER [CASES]\n", driver.name);
        return 2;
    }
    const int cases = argc > 2 ? std::atoi(argv[2]) : kSweepCases;
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.is_regular_file())
            paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    if (paths.empty()) {
        std::fprintf(stderr, "%s: no fixtures in %s\n", driver.name, argv[1]);
        return 2;
    }
    std::snprintf(g_failedCasePath, sizeof g_failedCasePath, "%s_failed_case%s", driver.name,
                  driver.slowCaseExtension);
    for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE})
        std::signal(signal, saveFailedCase);
    std::thread guard(watchdog, std::cref(driver));
    std::vector<std::vector<uint8_t>> seeds;
    int number = 0;
    for (const auto& path : paths) {
        seeds.push_back(readFile(path));
        runCase(number++, seeds.back());
    }
    std::mt19937 random(driver.seed);
    for (int i = 0; i < cases; ++i)
        runCase(number++, mutate(seeds[random() % seeds.size()], driver.boundaryBytes, random));
    g_done = true;
    guard.join();
    std::printf("%s: %zu fixtures and %d mutated cases passed\n", driver.name, paths.size(), cases);
    return 0;
}

} // namespace rz::fuzz
