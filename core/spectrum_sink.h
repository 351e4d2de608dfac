#pragma once

#include <cstddef>

namespace rz {

// Takes every block the audio output plays, for the spectrum display.
class ISpectrumSink {
public:
    virtual ~ISpectrumSink() = default;

    // Two channel buffers of `frames` samples each, full scale +-1.0.
    // Audio thread; never waits, never allocates.
    virtual void ComputeSpectrum(const float* left, const float* right, size_t frames) = 0;
};

} // namespace rz
