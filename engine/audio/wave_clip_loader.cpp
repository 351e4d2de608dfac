#include "engine/audio/wave_clip_loader.h"

#include "core/log.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <utility>

#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/wave_file.h"
#include "song/audio_clip.h"

namespace rz {
namespace {

// Stored names may use either separator.
std::filesystem::path clipPath(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    return std::filesystem::path(name);
}

} // namespace

WaveClipLoader::WaveClipLoader(std::function<uint32_t()> engineRate, std::chrono::milliseconds lockWait)
    : m_engineRate(std::move(engineRate)), m_lockWait(lockWait)
{
}

bool WaveClipLoader::loadSamples(CAudioClip& clip)
{
    if (clip.loaded && clip.samples)
        return true;
    std::string reason;
    std::shared_ptr<const AudioClipSamples> samples =
        ReadWaveFile(clipPath(clip.fileName), m_engineRate(), reason);
    if (!samples) {
        // The song opens with the clip silent; the log says which and why.
        m_lastFailure = reason;
        writeLog("Audio clip left silent: " + reason);
        return false;
    }
    const int64_t length = WaveDuration(samples->frameCount(), samples->format.sampleRate);
    std::shared_ptr<const AudioClipSamples> old; // freed after the lock, here
    LockGuard guard(AudioMutex(), "loadSamples", m_lockWait);
    if (!guard) {
        m_lastFailure = clip.fileName + ": the audio lock is busy";
        return false;
    }
    old = std::exchange(clip.samples, std::move(samples));
    clip.loaded = true;
    clip.length = length;
    return true;
}

void WaveClipLoader::releaseSamples(CAudioClip& clip)
{
    std::shared_ptr<const AudioClipSamples> old; // freed after the lock, here
    LockGuard guard(AudioMutex(), "releaseSamples", m_lockWait);
    if (!guard)
        return;
    old = std::move(clip.samples);
    clip.loaded = false;
}

} // namespace rz
