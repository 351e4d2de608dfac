// Sample arithmetic of audio clips: where a clip plays, mixing it into the
// engine's float buffers and rendering it for drawing.
#include "engine/audio/audio_clip_mix.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/audio/audio_clip_samples.h"

namespace rz {
namespace {

constexpr int64_t kUnitsPerSecond = 10'000'000; // 100-ns units

float clampUnit(float x)
{
    return std::min(std::max(x, -1.0f), 1.0f);
}

// a * b / c truncated, with a 128-bit product; callers keep c > 0.
int64_t mulDivWide(int64_t a, int64_t b, int64_t c)
{
    return int64_t(static_cast<__int128>(a) * b / c);
}

// The runs below are the render's inner loops: unit-stride, branch-free and
// on buffers that do not overlap, so the compiler vectorizes them.
void mixMono(const int16_t* __restrict in, int64_t count, float* __restrict left,
             float* __restrict right, float gainLeft, float gainRight)
{
    for (int64_t k = 0; k < count; ++k) {
        const float sample = SampleToFloat(in[k]);
        left[k] = clampUnit(sample * gainLeft + left[k]);
        right[k] = clampUnit(sample * gainRight + right[k]);
    }
}

void mixStereo(const int16_t* __restrict in, int64_t count, float* __restrict left,
               float* __restrict right, float gainLeft, float gainRight)
{
    for (int64_t k = 0; k < count; ++k) {
        left[k] = clampUnit(SampleToFloat(in[2 * k]) * gainLeft + left[k]);
        right[k] = clampUnit(SampleToFloat(in[2 * k + 1]) * gainRight + right[k]);
    }
}

// Adds `count` frames from frame `first` of the samples into the buffers.
void mixRun(const AudioClipSamples& clip, int64_t first, int64_t count, float* left, float* right,
            float gainLeft, float gainRight)
{
    const int16_t* in = clip.samples.data() + size_t(first) * clip.format.channels;
    if (clip.format.channels == 1)
        mixMono(in, count, left, right, gainLeft, gainRight);
    else if (clip.format.channels == 2)
        mixStereo(in, count, left, right, gainLeft, gainRight);
    else
        for (int64_t k = 0; k < count; ++k, in += clip.format.channels) {
            left[k] = clampUnit(SampleToFloat(in[0]) * gainLeft + left[k]);
            right[k] = clampUnit(SampleToFloat(in[1]) * gainRight + right[k]);
        }
}

void storeRun(const AudioClipSamples& clip, int64_t first, int64_t count, float* left, float* right)
{
    const size_t channels = clip.format.channels;
    const int16_t* in = clip.samples.data() + size_t(first) * channels;
    const size_t second = channels > 1 ? 1 : 0;
    for (int64_t k = 0; k < count; ++k, in += channels) {
        left[k] = SampleToFloat(in[0]);
        right[k] = SampleToFloat(in[second]);
    }
}

// Frames from position p that lie inside one pass of the clip, at most `want`.
int64_t runInside(int64_t p, int64_t frameCount, int64_t total, int64_t want)
{
    return std::min({want, frameCount - p % frameCount, total - p});
}

} // namespace

int64_t WaveDuration(int64_t frames, uint32_t rate)
{
    return rate == 0 ? 0 : mulDivWide(frames, kUnitsPerSecond, rate);
}

int64_t TotalFrames(const CAudioClip& clip)
{
    if (!clip.samples)
        return 0;
    return clip.samples->frameCount() * std::max(clip.number, int32_t(0));
}

void TimeToSample(CAudioClip& clip, double microseconds)
{
    if (!clip.samples || clip.length <= 0)
        return;
    const double units = microseconds * 10.0;
    if (!(units < double(std::numeric_limits<int64_t>::max())))
        return;
    const int64_t t = units <= 0.0 ? int64_t(std::max(units, -1e18)) : int64_t(units);
    const __int128 end = static_cast<__int128>(clip.length) * std::max(clip.number, int32_t(0));
    if (t >= end)
        return;
    const WaveFormat& format = clip.samples->format;
    if (format.blockAlign == 0)
        return;
    clip.repeatIndex = t < 0 ? 0 : int32_t(t / clip.length);
    clip.position = mulDivWide(format.bytesPerSecond, t, kUnitsPerSecond) / format.blockAlign;
}

void Mix(CAudioClip& clip, ChannelBuffers buffers, uint32_t frames, float gainLeft, float gainRight)
{
    const int64_t total = TotalFrames(clip);
    int64_t p = clip.position;
    int64_t done = 0;
    while (done < frames) {
        const int64_t want = frames - done;
        if (p < 0 || p >= total) {
            const int64_t gap = p < 0 ? std::min(-p, want) : want;
            p += gap;
            done += gap;
            continue;
        }
        const int64_t frameCount = clip.samples->frameCount();
        const int64_t run = runInside(p, frameCount, total, want);
        mixRun(*clip.samples, p % frameCount, run, buffers.left + done, buffers.right + done,
               gainLeft, gainRight);
        p += run;
        done += run;
    }
    clip.position = p;
}

uint32_t Fill(CAudioClip& clip, ChannelBuffers buffers, uint32_t frames, bool clear)
{
    if (clear) {
        std::fill_n(buffers.left, frames, 0.0f);
        std::fill_n(buffers.right, frames, 0.0f);
    }
    const int64_t left = TotalFrames(clip) - clip.position;
    if (left <= 0)
        return 0;
    const uint32_t n = uint32_t(std::min<int64_t>(frames, left));
    Mix(clip, buffers, n, 1.0f, 1.0f);
    return n;
}

void Advance(CAudioClip& clip, int64_t frames)
{
    clip.position += frames;
}

uint32_t Render(const CAudioClip& clip, int64_t start, ChannelBuffers buffers, uint32_t frames)
{
    const int64_t total = TotalFrames(clip);
    const int64_t first = std::max<int64_t>(start, 0);
    const int64_t end = std::min<int64_t>(start + int64_t(frames), total);
    uint32_t stored = 0;
    for (int64_t p = first; p < end;) {
        const int64_t frameCount = clip.samples->frameCount();
        const int64_t run = runInside(p, frameCount, total, end - p);
        const int64_t slot = p - start;
        storeRun(*clip.samples, p % frameCount, run, buffers.left + slot, buffers.right + slot);
        stored += uint32_t(run);
        p += run;
    }
    return stored;
}

} // namespace rz
