#include "tests/support/fake_clip_loader.h"

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

} // namespace rz
