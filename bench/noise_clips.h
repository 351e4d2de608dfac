#pragma once

// Clips for the mixing benchmarks: ten seconds of stereo noise-like samples
// each, looped four times, all loaded.

#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"

#include <memory>
#include <vector>

namespace rz {

inline std::vector<CAudioClip> makeNoiseClips(int count)
{
    constexpr int64_t kFrames = 441000;
    constexpr uint32_t kRate = 44100;
    std::vector<CAudioClip> clips(static_cast<size_t>(count));
    uint32_t seed = 1;
    for (CAudioClip& clip : clips) {
        auto samples = std::make_shared<AudioClipSamples>();
        samples->samples.resize(2 * kFrames);
        for (int16_t& value : samples->samples) {
            seed = seed * 1664525 + 1013904223;
            value = int16_t(seed >> 16);
        }
        clip.number = 4;
        clip.length = WaveDuration(kFrames, kRate) * clip.number;
        clip.samples = std::move(samples);
        clip.loaded = true;
    }
    return clips;
}

} // namespace rz
