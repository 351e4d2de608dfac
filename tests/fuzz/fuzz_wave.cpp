// Fuzz target of the wave file reader: reads the bytes as a clip's file and,
// when they load, mixes and draws the clip across its whole length. Without
// libFuzzer, main() replays the fixture folder given as its argument and runs
// a seeded mutation sweep; a watchdog fails any case over 2 s.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "engine/audio_clip_mix.h"
#include "engine/audio_clip_samples.h"
#include "engine/wave_file.h"

namespace rz {
namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_wave: %s\n", what);
    std::abort();
}

void playWhole(const std::shared_ptr<const AudioClipSamples>& samples, size_t size)
{
    if (samples->frameCount() * samples->format.blockAlign > int64_t(size))
        fail("more frames than the file has bytes");
    CAudioClip clip;
    clip.samples = samples;
    clip.loaded = true;
    clip.number = 2;
    clip.length = WaveDuration(samples->frameCount(), samples->format.sampleRate);
    std::vector<float> left(512), right(512);
    const ChannelBuffers buffers{left.data(), right.data()};
    clip.position = -7;
    while (clip.position < TotalFrames(clip))
        Mix(clip, buffers, 512, 1.0f, 0.5f);
    for (int64_t start = -100; start < TotalFrames(clip); start += 512)
        Render(clip, start, buffers, 512);
    for (float sample : left)
        if (!(sample >= -1.0f && sample <= 1.0f))
            fail("a mixed sample left full scale");
}

} // namespace
} // namespace rz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string reason;
    const auto samples = rz::ReadWaveBytes(std::span<const uint8_t>(data, size), 44100, reason);
    if (samples)
        rz::playWhole(samples, size);
    else if (reason.empty())
        rz::fail("a refused file has no reason");
    return 0;
}

#ifndef RZ_LIBFUZZER
namespace {

constexpr int kSweepCases = 20000;
constexpr auto kCaseLimit = std::chrono::seconds(2);

std::atomic<int64_t> g_caseStart{0}; // steady-clock ns of the running case; 0 none
std::atomic<int> g_caseNumber{-1};
std::atomic<bool> g_done{false};
const std::vector<uint8_t>* g_caseInput = nullptr; // read by the watchdog only before it exits

int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void watchdog()
{
    while (!g_done.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const int64_t start = g_caseStart.load();
        if (start != 0 && nowNs() - start > std::chrono::nanoseconds(kCaseLimit).count()) {
            std::fprintf(stderr, "fuzz_wave: case %d ran longer than 2 s; input in fuzz_wave_slow_case.wav\n",
                         g_caseNumber.load());
            std::ofstream("fuzz_wave_slow_case.wav", std::ios::binary)
                .write(reinterpret_cast<const char*>(g_caseInput->data()), std::streamsize(g_caseInput->size()));
            std::_Exit(2);
        }
    }
}

void runCase(int number, const std::vector<uint8_t>& input)
{
    g_caseInput = &input;
    g_caseNumber = number;
    g_caseStart = nowNs();
    LLVMFuzzerTestOneInput(input.data(), input.size());
    g_caseStart = 0;
}

std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// One to eight edits of the kinds that reach the reader's checks: bytes
// changed to boundary values, sizes made huge, odd or zero, ranges cut,
// copied or added.
std::vector<uint8_t> mutate(std::vector<uint8_t> input, std::mt19937& random)
{
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    static constexpr uint8_t kBoundary[] = {0x00, 0x01, 0x02, 0x03, 0x10, 0x11, 0x7F, 0x80, 0xFE, 0xFF};
    for (size_t edits = 1 + pick(8); edits-- > 0;) {
        const size_t at = input.empty() ? 0 : pick(input.size());
        switch (pick(6)) {
        case 0:
            if (!input.empty())
                input[at] = uint8_t(random());
            break;
        case 1:
            if (!input.empty())
                input[at] = kBoundary[pick(sizeof kBoundary)];
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

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_wave FIXTURE_FOLDER [CASES]\n");
        return 2;
    }
    const int cases = argc > 2 ? std::atoi(argv[2]) : kSweepCases;
    std::vector<std::vector<uint8_t>> seeds;
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.is_regular_file())
            paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    if (paths.empty()) {
        std::fprintf(stderr, "fuzz_wave: no fixtures in %s\n", argv[1]);
        return 2;
    }
    std::thread guard(watchdog);
    int number = 0;
    for (const auto& path : paths) {
        seeds.push_back(readFile(path));
        runCase(number++, seeds.back());
    }
    std::mt19937 random(20240917);
    for (int i = 0; i < cases; ++i)
        runCase(number++, mutate(seeds[random() % seeds.size()], random));
    g_done = true;
    guard.join();
    std::printf("fuzz_wave: %zu fixtures and %d mutated cases passed\n", paths.size(), cases);
    return 0;
}
#endif
