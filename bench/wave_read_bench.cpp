// ReadWaveFile over a 256 MB wave of 16-bit stereo at 44.1 kHz, as a clip
// is loaded: once with its samples written out and once as a sparse file
// (a hole the system reads as zeros). The file stays in the page cache, so
// the figure (bytes_per_second, in MB/s) is the reader's own cost, which
// for a load of any size must stay near that of a plain read of the file.
#include <benchmark/benchmark.h>

#include "engine/audio/wave_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace rz {
namespace {

constexpr uint64_t kDataBytes = 256ull << 20;

std::vector<uint8_t> waveHeader(uint32_t dataBytes)
{
    std::vector<uint8_t> header(44);
    std::copy_n("RIFF", 4, header.begin());
    PutLe32(header.data() + 4, 36 + dataBytes);
    std::copy_n("WAVEfmt ", 8, header.begin() + 8);
    PutLe32(header.data() + 16, 16);
    const auto format = FormatChunkBytes(WaveFormat{});
    std::copy(format.begin(), format.end(), header.begin() + 20);
    std::copy_n("data", 4, header.begin() + 36);
    PutLe32(header.data() + 40, dataBytes);
    return header;
}

// A wave file in the temporary folder, removed when the program ends.
class BenchWave {
public:
    explicit BenchWave(bool sparse)
        : m_path(std::filesystem::temp_directory_path()
                 / ("rz-wave-bench-" + std::to_string(::getpid()) + (sparse ? "-sparse.wav" : ".wav")))
    {
        const std::vector<uint8_t> header = waveHeader(uint32_t(kDataBytes));
        std::ofstream out(m_path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
        if (!sparse) {
            std::vector<char> block(1 << 20);
            for (size_t i = 0; i < block.size(); ++i)
                block[i] = char(i * 7);
            for (uint64_t written = 0; written < kDataBytes; written += block.size())
                out.write(block.data(), std::streamsize(block.size()));
        }
        out.close();
        std::filesystem::resize_file(m_path, header.size() + kDataBytes);
    }
    ~BenchWave()
    {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

void readWave(benchmark::State& state, const BenchWave& wave)
{
    for (auto _ : state) {
        std::string reason;
        auto samples = ReadWaveFile(wave.path(), 44100, reason);
        if (!samples) {
            state.SkipWithError(reason.c_str());
            return;
        }
        benchmark::DoNotOptimize(samples->samples.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations() * kDataBytes));
}

void BM_ReadWave256MB(benchmark::State& state)
{
    static const BenchWave wave(false);
    readWave(state, wave);
}
BENCHMARK(BM_ReadWave256MB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_ReadSparseWave256MB(benchmark::State& state)
{
    static const BenchWave wave(true);
    readWave(state, wave);
}
BENCHMARK(BM_ReadSparseWave256MB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
