// Fuzz target of the song file reader and writer: opens the bytes as a song
// with "AutoProps" on and off, and as an ".rsd" document, plays every track
// through the play cursor, saves the song and opens the saved bytes again,
// which must hold the same system-exclusive data.
// Without libFuzzer, main() replays the fixture folder given as its argument
// and runs a seeded mutation sweep; a watchdog fails any case over 2 s.
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
#include <thread>
#include <vector>

#include "core/profile.h"
#include "core/prompt.h"
#include "song/describe_song.h"
#include "song/smf_reader.h"
#include "song/smf_writer.h"
#include "song/song_doc.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_song_host.h"

namespace rz {
namespace {

// Answers every question as a cancelling user would.
class SilentPrompt : public IPrompt {
public:
    void message(std::string_view, PromptIcon) override {} // nobody reads it
    PromptAnswer askYesNo(std::string_view, PromptIcon) override { return PromptAnswer::No; }
    PromptAnswer askOkCancel(std::string_view, PromptIcon) override { return PromptAnswer::Cancel; }
    PromptAnswer askYesNoCancel(std::string_view, PromptIcon) override { return PromptAnswer::Cancel; }
    std::optional<std::filesystem::path> chooseSavePath(std::string_view, const std::filesystem::path&,
                                                        std::string_view) override
    {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> chooseOpenPath(std::string_view, const std::filesystem::path&,
                                                        std::string_view) override
    {
        return std::nullopt;
    }
    std::vector<std::filesystem::path> chooseOpenPaths(std::string_view, const std::filesystem::path&,
                                                       std::string_view) override
    {
        return {};
    }
    std::optional<std::filesystem::path> chooseFolder(std::string_view, const std::filesystem::path&) override
    {
        return std::nullopt;
    }
    std::optional<Color> chooseColor(Color) override { return std::nullopt; }
    std::optional<FontChoice> chooseFont(const FontChoice&) override { return std::nullopt; }
};

void playEveryTrack(CSongDoc& song)
{
    RawEvent raw;
    for (auto& track : song.tracks) {
        track->RewindReader();
        while (track->ReadNextEvent(raw)) {
        }
    }
}

[[noreturn]] void fail(const char* what, const std::string& reason)
{
    std::fprintf(stderr, "fuzz_smf: %s: %s\n", what, reason.c_str());
    std::abort();
}

// The system-exclusive blocks of the song in track order, one a line. The
// writer must keep each whole: a block it splits or merges loses the events
// after it when the saved file is read.
std::string describeSysex(const CSongDoc& song)
{
    std::string text;
    char hex[4];
    for (const auto& track : song.tracks) {
        for (const CMidiEvent& event : track->events) {
            if (event.kind() != 0xF0 && event.kind() != 0xF7)
                continue;
            for (uint8_t byte : event.data.bytes()) {
                std::snprintf(hex, sizeof hex, "%02x ", byte);
                text += hex;
            }
            text += '\n';
        }
    }
    return text;
}

// Every song that opens can be saved, and what is saved opens again with the
// same system-exclusive data.
void saveAndReopen(const CSongDoc& song, const SongContext& context)
{
    std::vector<uint8_t> saved;
    std::string reason;
    if (!BuildSongFile(song, saved, reason))
        fail("a song that opened cannot be saved", reason);
    CSongDoc again(context);
    if (!OpenSongBytes(again, saved, SongFileKind{}, reason))
        fail("the saved bytes do not open again", reason);
    const std::string difference = firstDifference(describeSysex(song), describeSysex(again));
    if (!difference.empty())
        fail("the saved bytes open with other system-exclusive data", difference);
}

void openOnce(std::span<const uint8_t> bytes, bool autoProps, SongFileKind kind)
{
    MemoryProfile profile;
    profile.writeInt("OpenOptions", "SplitPatches", bytes.empty() ? 0 : bytes.back() & 1);
    SilentPrompt prompt;
    FakeSongHost host;
    host.autoPropsFlag = autoProps;
    FakeEngineLink engine;
    const SongContext context{.profile = profile, .prompt = prompt, .host = host, .engine = engine};
    CSongDoc song(context);
    std::string reason;
    if (OpenSongBytes(song, bytes, kind, reason)) {
        playEveryTrack(song);
        saveAndReopen(song, context);
    }
}

} // namespace
} // namespace rz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    const rz::SongFileKind kind{.karaoke = size % 3 == 1, .rss = size % 3 == 2};
    rz::openOnce(bytes, true, kind);
    rz::openOnce(bytes, false, kind);
    // Any bytes are ".rsd" records, so every import builds a whole song: one
    // input in eight keeps the sweep short.
    if (size % 8 == 0)
        rz::openOnce(bytes, size % 16 == 0, rz::SongFileKind{.rsd = true});
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
            std::fprintf(stderr, "fuzz_smf: case %d ran longer than 2 s; input in fuzz_smf_slow_case.mid\n",
                         g_caseNumber.load());
            std::ofstream("fuzz_smf_slow_case.mid", std::ios::binary)
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
// changed to boundary values, lengths made huge, ranges cut, copied or added.
std::vector<uint8_t> mutate(std::vector<uint8_t> input, std::mt19937& random)
{
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    static constexpr uint8_t kBoundary[] = {0x00, 0x01, 0x2F, 0x7F, 0x80, 0x81, 0xF0, 0xF7, 0xFF};
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
        case 2:
            for (size_t i = 0; i < 4 && at + i < input.size(); ++i)
                input[at + i] = pick(2) == 0 ? 0xFF : 0x7F;
            break;
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
        std::fprintf(stderr, "usage: fuzz_smf FIXTURE_FOLDER [CASES]\n");
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
        std::fprintf(stderr, "fuzz_smf: no fixtures in %s\n", argv[1]);
        return 2;
    }
    std::thread guard(watchdog);
    int number = 0;
    for (const auto& path : paths) {
        seeds.push_back(readFile(path));
        runCase(number++, seeds.back());
    }
    std::mt19937 random(20240611);
    for (int i = 0; i < cases; ++i)
        runCase(number++, mutate(seeds[random() % seeds.size()], random));
    g_done = true;
    guard.join();
    std::printf("fuzz_smf: %zu fixtures and %d mutated cases passed\n", paths.size(), cases);
    return 0;
}
#endif
