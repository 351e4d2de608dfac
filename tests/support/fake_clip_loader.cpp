#include "tests/support/fake_clip_loader.h"

#include <algorithm>

#include "song/audio_clip.h"

namespace rz {

bool FakeClipLoader::loadSamples(CAudioClip& clip)
{
    log.record("loadSamples", clip.fileName);
    clip.loaded = unreadable.count(clip.fileName) == 0;
    return clip.loaded;
}

void FakeClipLoader::releaseSamples(CAudioClip& clip)
{
    log.record("releaseSamples", clip.fileName);
    clip.loaded = false;
    clip.samples.reset();
}

uint32_t FakeClipLoader::renderForDrawing(const CAudioClip& clip, int64_t firstFrame, float* left, float* right,
                                          uint32_t frames)
{
    if (beforeRender)
        beforeRender(firstFrame);
    ++renders;
    const int64_t total = clip.length * int64_t(rate) / 10000000;
    uint32_t stored = 0;
    for (uint32_t i = 0; i < frames; ++i) {
        const int64_t frame = firstFrame + i;
        const bool inside = frame >= 0 && frame < total;
        left[i] = right[i] = inside ? sample(frame) : 0.0f;
        stored += inside ? 1 : 0;
    }
    framesRendered += stored;
    return stored;
}

uint32_t FakeClipLoader::framesPerSecond(const CAudioClip& clip)
{
    return clip.loaded ? rate : 0;
}

} // namespace rz
