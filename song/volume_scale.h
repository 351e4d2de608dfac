#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace rz {

inline constexpr int kMaxMasterVolume = 16383;

// What scales every CC7 a track sends besides the track's own percent.
struct VolumeScale {
    double relative = 1.0;           // the song's relative volume
    int master = kMaxMasterVolume;   // the sequencer's master volume, 0..16383
};

// A CC7 value as it reaches the port: track percent x relative volume x
// master volume, rounded, 0..127.
inline int ScaleVolume(int value, int trackPercent, const VolumeScale& scale)
{
    const double scaled = std::floor(double(trackPercent) * scale.relative * double(scale.master)
                                         * double(value) / (100.0 * kMaxMasterVolume)
                                     + 0.5);
    return int(std::clamp(scaled, 0.0, 127.0));
}

} // namespace rz
