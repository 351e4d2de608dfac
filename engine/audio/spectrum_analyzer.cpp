#include "engine/audio/spectrum_analyzer.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace rz {
namespace {

// Bins per band, lowest first, from bin 0: a bin each up to about 1.1 kHz
// at 44.1 kHz, then ever wider bands.
constexpr std::array<int, SpectrumAnalyzer::kBands> kBandBins = {
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 5, 8, 15, 30, 150,
};
static_assert([] {
    int sum = 0;
    for (int bins : kBandBins)
        sum += bins;
    return sum <= int(SpectrumAnalyzer::kBins);
}());

// The input's full scale (sum of both channels) times this is the FFT's input.
constexpr double kInputScale = 16384.0;
// A bin's magnitude times this is its level.
constexpr double kLevelScale = 0.0001;

// 1 - ((k - N/2) / (N/2))^2, computed per sample: a table would be the
// only memory the window needs and is not worth its cache lines.
double welch(size_t k)
{
    constexpr double half = double(SpectrumAnalyzer::kFftSize / 2);
    const double x = (double(k) - half) / half;
    return 1.0 - x * x;
}

int levelOf(double magnitude)
{
    const double level = std::floor(magnitude * kLevelScale);
    // Also true for NaN: a level never leaves the range.
    if (!(level < double(SpectrumAnalyzer::kMaxLevel)))
        return SpectrumAnalyzer::kMaxLevel;
    return std::max(int(level), 0);
}

} // namespace

SpectrumAnalyzer::SpectrumAnalyzer()
{
    m_samples = fftw_alloc_real(kFftSize);
    auto* spectrum = fftw_alloc_complex(kBins + 1);
    if (m_samples == nullptr || spectrum == nullptr) {
        fftw_free(m_samples);
        fftw_free(spectrum);
        throw std::bad_alloc();
    }
    m_spectrum = spectrum;
    std::fill_n(m_samples, kFftSize, 0.0);
    m_plan = fftw_plan_dft_r2c_1d(int(kFftSize), m_samples, spectrum, FFTW_ESTIMATE);
    for (std::atomic<int>& level : m_levels)
        level.store(0, std::memory_order_relaxed);
}

SpectrumAnalyzer::~SpectrumAnalyzer()
{
    fftw_destroy_plan(static_cast<fftw_plan>(m_plan));
    fftw_free(m_spectrum);
    fftw_free(m_samples);
}

void SpectrumAnalyzer::ComputeSpectrum(const float* left, const float* right, size_t frames)
{
    if (left == nullptr || right == nullptr)
        return;
    for (size_t n = 0; n < frames; ++n) {
        const double sum = double(left[n]) + double(right[n]);
        m_samples[m_fill] = std::isfinite(sum) ? sum * kInputScale * welch(m_fill) : 0.0;
        if (++m_fill == kFftSize) {
            transform();
            m_fill = 0;
        }
    }
}

// fftw_execute on the plan's own buffers is thread-safe and allocates nothing.
void SpectrumAnalyzer::transform()
{
    fftw_execute(static_cast<fftw_plan>(m_plan));
    const auto* bins = static_cast<const fftw_complex*>(m_spectrum);
    size_t bin = 0;
    for (int band = 0; band < kBands; ++band) {
        double loudest = 0.0;
        for (int i = 0; i < kBandBins[size_t(band)]; ++i, ++bin) {
            const double re = bins[bin][0];
            const double im = bins[bin][1];
            loudest = std::max(loudest, std::sqrt(re * re + im * im));
        }
        m_levels[size_t(band)].store(levelOf(loudest), std::memory_order_relaxed);
    }
}

int SpectrumAnalyzer::level(int band) const
{
    if (band < 0 || band >= kBands)
        return 0;
    return m_levels[size_t(band)].load(std::memory_order_relaxed);
}

std::array<int, SpectrumAnalyzer::kBands> SpectrumAnalyzer::levels() const
{
    std::array<int, kBands> result{};
    for (int band = 0; band < kBands; ++band)
        result[size_t(band)] = level(band);
    return result;
}

} // namespace rz
