#pragma once

// Wave files in a temporary folder and the plug-ins the effect tests use:
// ladspa-sdk's examples and our own misbehaving one.

#include "engine/audio/audio_filter.h"
#include "engine/audio/wave_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

namespace rz::test {

inline constexpr uint32_t kFilterRate = 44100;
// The folders the effect tests work in.
using rz::TempFolder;

// Interleaved 16-bit stereo frames into an engine-format wave file.
inline void writeStereoWave(const std::filesystem::path& path, std::span<const int16_t> samples,
                            uint32_t rate = kFilterRate)
{
    WaveFormat format;
    format.sampleRate = rate;
    format.bytesPerSecond = rate * 4;
    CWaveWriter writer;
    std::string reason;
    ASSERT_TRUE(writer.Create(path, format, reason)) << reason;
    const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
    ASSERT_TRUE(writer.Write(std::span(bytes, samples.size() * 2), reason)) << reason;
    ASSERT_TRUE(writer.Close(reason)) << reason;
}

inline std::vector<int16_t> readStereoWave(const std::filesystem::path& path)
{
    std::string reason;
    const auto wave = ReadWaveFile(path, kFilterRate, reason);
    EXPECT_TRUE(wave) << reason;
    return wave ? wave->samples : std::vector<int16_t>{};
}

// A stereo ramp over the whole 16-bit range, left and right apart.
inline std::vector<int16_t> rampSamples(size_t frames)
{
    std::vector<int16_t> samples(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        samples[2 * i] = int16_t(-32768 + int32_t(i * 65535 / std::max<size_t>(frames - 1, 1)));
        samples[2 * i + 1] = int16_t(int32_t(i % 2000) * 16 - 16000);
    }
    return samples;
}

inline const LadspaCatalog& testCatalog()
{
    static const LadspaCatalog catalog = [] {
        LadspaCatalog scanned;
        scanned.scan({"/usr/lib/ladspa", RZ_TEST_LADSPA_DIR}, kFilterRate);
        return scanned;
    }();
    return catalog;
}

inline std::unique_ptr<LadspaFilter> makeFilter(const std::string& id)
{
    auto plugin = testCatalog().find(id);
    EXPECT_TRUE(plugin) << id;
    return plugin ? std::make_unique<LadspaFilter>(plugin, kFilterRate) : nullptr;
}

inline constexpr const char* kAmpMono = "{ladspa:1048:amp_mono}";
inline constexpr const char* kAmpStereo = "{ladspa:1049:amp_stereo}";
inline constexpr const char* kDelay = "{ladspa:1043:delay_5s}";
inline constexpr const char* kWild = "{ladspa:990001:wild_mono}";
inline constexpr const char* kSlow = "{ladspa:990002:slow_mono}";

} // namespace rz::test
