#pragma once

#include "core/spectrum_sink.h"

#include <array>
#include <atomic>
#include <cstddef>

namespace rz {

// The 19-band spectrum of the played audio: 512 samples of the two channels'
// sum, Welch-windowed, through a real FFT; each band's level is its loudest
// bin, scaled to 0..200. The audio thread computes, any thread reads the
// levels; each level is one relaxed atomic, so a reader may see bands of two
// neighbouring blocks, never a torn or out-of-range value.
class SpectrumAnalyzer final : public ISpectrumSink {
public:
    static constexpr size_t kFftSize = 512;
    static constexpr size_t kBins = kFftSize / 2;
    static constexpr int kBands = 19;
    static constexpr int kMaxLevel = 200;

    // Makes the FFT plan. GUI thread only: FFTW's planner is not thread-safe.
    SpectrumAnalyzer();
    // GUI thread, after the audio thread stopped calling.
    ~SpectrumAnalyzer() override;
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    // Fills the buffer; every completed 512 samples set the levels. A
    // sample that is NaN or infinite counts as silence. Audio thread; no
    // lock, no allocation, no I/O.
    void ComputeSpectrum(const float* left, const float* right, size_t frames) override;

    // 0..kMaxLevel. Any thread.
    int level(int band) const;
    std::array<int, kBands> levels() const;

private:
    void transform();

    // Owned by the audio thread once made.
    double* m_samples = nullptr;  // kFftSize, FFTW-aligned
    void* m_spectrum = nullptr;   // kBins + 1 complex values, FFTW-aligned
    void* m_plan = nullptr;       // fftw_plan
    size_t m_fill = 0;
    std::array<std::atomic<int>, kBands> m_levels{};
};

} // namespace rz
