// Fuzz target of the wave file reader: reads the bytes as a clip's file and,
// when they load, mixes and draws the clip across its whole length. Without
// libFuzzer, main() replays the fixture folder given as its argument and runs
// a seeded mutation sweep; a watchdog fails any case over 2 s.
#include "plain_driver.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"
#include "engine/audio/wave_file.h"

namespace rz {
namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_wave: %s\n", what);
    std::abort();
}

void playWhole(const std::shared_ptr<const AudioClipSamples>& samples, size_t size)
{
    if (samples->frameCount() * samples->format.blockAlign > int64_t(size))
        fail("more frames than the file has bytes");
    CAudioClip clip;
    clip.samples = samples;
    clip.loaded = true;
    clip.number = 2;
    clip.length = WaveDuration(samples->frameCount(), samples->format.sampleRate);
    std::vector<float> left(512), right(512);
    const ChannelBuffers buffers{left.data(), right.data()};
    clip.position = -7;
    while (clip.position < TotalFrames(clip))
        Mix(clip, buffers, 512, 1.0f, 0.5f);
    for (int64_t start = -100; start < TotalFrames(clip); start += 512)
        Render(clip, start, buffers, 512);
    for (float sample : left)
        if (!(sample >= -1.0f && sample <= 1.0f))
            fail("a mixed sample left full scale");
}

} // namespace
} // namespace rz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string reason;
    const auto samples = rz::ReadWaveBytes(std::span<const uint8_t>(data, size), 44100, reason);
    if (samples)
        rz::playWhole(samples, size);
    else if (reason.empty())
        rz::fail("a refused file has no reason");
    return 0;
}

#ifndef RZ_LIBFUZZER
int main(int argc, char** argv)
{
    static constexpr uint8_t kBoundary[] = {0x00, 0x01, 0x02, 0x03, 0x10, 0x11, 0x7F, 0x80, 0xFE, 0xFF};
    return rz::fuzz::runPlainDriver({"fuzz_wave", ".wav", kBoundary, 20240917}, argc, argv);
}
#endif
