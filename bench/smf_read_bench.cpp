// Reads a Standard MIDI File into a song with all of OpenSong's work
// (splitting, pairing, folding, play images), repeatedly, and prints the
// median time per read and the process's peak memory. Each read is followed
// by a run of the "midicsv" converter on the same file, when it is installed,
// so both see the same machine load; the last line then also gives its
// median and the ratio of the two: "median_ms <ms> peak_mb <MB>
// midicsv_ms <ms> ratio <read / midicsv>".
//
//   smf_read_bench FILE [RUNS]
//   smf_read_bench --generate FILE [EVENTS]   writes a format 1 test file
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

#include "core/profile.h"
#include "core/prompt.h"
#include "song/smf_reader.h"
#include "song/song_doc.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_song_host.h"

namespace {

class QuietPrompt : public rz::IPrompt {
public:
    void message(std::string_view, rz::PromptIcon) override {}
    rz::PromptAnswer askYesNo(std::string_view, rz::PromptIcon) override { return rz::PromptAnswer::No; }
    rz::PromptAnswer askOkCancel(std::string_view, rz::PromptIcon) override { return rz::PromptAnswer::Cancel; }
    rz::PromptAnswer askYesNoCancel(std::string_view, rz::PromptIcon) override
    {
        return rz::PromptAnswer::Cancel;
    }
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
    std::optional<rz::Color> chooseColor(rz::Color) override { return std::nullopt; }
    std::optional<rz::FontChoice> chooseFont(const rz::FontChoice&) override { return std::nullopt; }
};

void appendVarLen(std::vector<uint8_t>& out, uint32_t v)
{
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = uint8_t(v & 0x7F);
        v >>= 7;
    } while (v != 0);
    while (n-- > 0)
        out.push_back(uint8_t(groups[n] | (n > 0 ? 0x80 : 0)));
}

void appendChunk(std::vector<uint8_t>& file, const char* id, const std::vector<uint8_t>& body)
{
    file.insert(file.end(), id, id + 4);
    for (int shift = 24; shift >= 0; shift -= 8)
        file.push_back(uint8_t(body.size() >> shift));
    file.insert(file.end(), body.begin(), body.end());
}

// Sixteen tracks of running-status notes (note-offs as velocity 0), a few
// controllers and programs, `events` channel events in all.
int generate(const char* path, long events)
{
    constexpr int kTracks = 16;
    std::mt19937 random(7);
    std::vector<uint8_t> file;
    appendChunk(file, "MThd", {0, 1, 0, kTracks + 1, 0x01, 0xE0});
    appendChunk(file, "MTrk", {0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0, 0xFF, 0x58, 4, 4, 2, 24, 8,
                               0, 0xFF, 0x2F, 0});
    for (int t = 0; t < kTracks; ++t) {
        std::vector<uint8_t> body = {0, 0xFF, 0x03, 4, 'T', 'r', 'k', uint8_t('A' + t)};
        const uint8_t channel = uint8_t(t);
        body.insert(body.end(), {0, uint8_t(0xC0 | channel), uint8_t(t * 5), 0, uint8_t(0xB0 | channel), 7, 100});
        body.insert(body.end(), {0, uint8_t(0x90 | channel)});
        const long notes = events / kTracks / 2;
        for (long i = 0; i < notes; ++i) {
            const uint8_t key = uint8_t(36 + random() % 48);
            if (i > 0)
                appendVarLen(body, 1 + random() % 60);
            body.insert(body.end(), {key, uint8_t(40 + random() % 80)});
            appendVarLen(body, 1 + random() % 100);
            body.insert(body.end(), {key, 0});
        }
        body.insert(body.end(), {0, 0xFF, 0x2F, 0});
        appendChunk(file, "MTrk", body);
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                               std::streamsize(file.size()));
    std::printf("wrote %s: %zu bytes, %ld channel events\n", path, file.size(), events);
    return 0;
}

// Milliseconds one "midicsv FILE /dev/null" takes; negative when it cannot run.
double timeConverter(const char* path)
{
    char program[] = "midicsv";
    char devNull[] = "/dev/null";
    std::string file = path;
    char* args[] = {program, file.data(), devNull, nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, nullptr, nullptr, args, environ) != 0)
        return -1.0;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1.0;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::string(argv[1]) == "--generate")
        return generate(argv[2], argc > 3 ? std::atol(argv[3]) : 1300000);
    if (argc < 2) {
        std::fprintf(stderr, "usage: smf_read_bench FILE [RUNS] | --generate FILE [EVENTS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    rz::MemoryProfile profile;
    QuietPrompt prompt;
    rz::FakeSongHost host;
    rz::FakeEngineLink engine;
    const rz::SongContext context{.profile = profile, .prompt = prompt, .host = host, .engine = engine};
    std::vector<double> times;
    std::vector<double> converterTimes;
    size_t tracks = 0;
    for (int i = 0; i < runs; ++i) {
        rz::CSongDoc song(context);
        std::string reason;
        const auto start = std::chrono::steady_clock::now();
        const bool opened = rz::OpenSong(song, argv[1], reason);
        const auto stop = std::chrono::steady_clock::now();
        if (!opened) {
            std::fprintf(stderr, "cannot open %s: %s\n", argv[1], reason.c_str());
            return 1;
        }
        tracks = song.tracks.size();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        if (const double converter = timeConverter(argv[1]); converter >= 0.0)
            converterTimes.push_back(converter);
    }
    std::printf("%s: %zu tracks, %d reads\n", argv[1], tracks, runs);
    const double read = median(times);
    if (converterTimes.size() != times.size()) {
        std::printf("median_ms %.1f peak_mb %.1f\n", read, peakMegabytes());
        return 0;
    }
    const double converter = median(converterTimes);
    std::printf("median_ms %.1f peak_mb %.1f midicsv_ms %.1f ratio %.3f\n", read, peakMegabytes(), converter,
                read / converter);
    return 0;
}
