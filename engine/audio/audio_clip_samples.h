#pragma once

#include <cstdint>
#include <vector>

namespace rz {

inline constexpr uint16_t kWaveFormatPcm = 0x0001;
inline constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

// A wave file's format record: the 16 bytes of a "fmt " chunk and the
// extra-size word that follows them in longer ones.
struct WaveFormat {
    uint16_t formatTag = kWaveFormatPcm;
    uint16_t channels = 2;
    uint32_t sampleRate = 44100;       // Hz
    uint32_t bytesPerSecond = 176400;
    uint16_t blockAlign = 4;           // bytes per frame
    uint16_t bitsPerSample = 16;
    uint16_t extraSize = 0;
};

// The samples of a loaded clip. Never changes once filled, so copies of a
// clip share it and the audio threads read it without a lock of its own.
class AudioClipSamples {
public:
    std::vector<int16_t> samples; // frames of format.channels interleaved samples
    WaveFormat format;
    std::vector<uint8_t> extra;   // the file's "bext" chunk, or empty

    int64_t frameCount() const
    {
        return format.channels == 0 ? 0 : int64_t(samples.size() / format.channels);
    }
};

} // namespace rz
