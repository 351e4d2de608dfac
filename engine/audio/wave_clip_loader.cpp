#include "engine/audio/wave_clip_loader.h"

#include "core/log.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <utility>

#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"
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

WaveClipLoader::WaveClipLoader(std::function<uint32_t()> engineRate, std::chrono::milliseconds lockWait,
                               std::chrono::milliseconds quietLoad)
    : m_engineRate(std::move(engineRate)), m_lockWait(lockWait), m_quietLoad(quietLoad)
{
}

std::shared_ptr<const AudioClipSamples> WaveClipLoader::readSamples(const std::string& fileName,
                                                                    std::string& reason)
{
    using Clock = std::chrono::steady_clock;
    const std::unique_ptr<WaveFileLoad> load = WaveFileLoad::start(clipPath(fileName), m_engineRate(), reason);
    if (!load || !load->readUntil(Clock::now() + m_quietLoad, reason))
        return nullptr;
    if (load->done())
        return load->samples();
    if (!m_slowLoad)
        return load->readUntil(Clock::time_point::max(), reason) ? load->samples() : nullptr;
    bool failed = false;
    const bool finished = m_slowLoad([&](double* progress) {
        failed = failed || !load->readUntil(Clock::now() + kStepTime, reason);
        *progress = load->fraction();
        return failed || load->done() ? 0 : 1;
    });
    if (finished && load->done())
        return load->samples();
    if (!failed)
        reason = fileName + ": the load was cancelled";
    return nullptr;
}

bool WaveClipLoader::loadSamples(CAudioClip& clip)
{
    if (clip.loaded && clip.samples)
        return true;
    std::string reason;
    std::shared_ptr<const AudioClipSamples> samples = readSamples(clip.fileName, reason);
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

uint32_t WaveClipLoader::renderForDrawing(const CAudioClip& clip, int64_t firstFrame, float* left,
                                          float* right, uint32_t frames)
{
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    if (!clip.loaded || !clip.samples || firstFrame < 0)
        return 0;
    // Only what is left of one pass, so a block at the clip's end stays inside it.
    const int64_t remaining = std::max<int64_t>(clip.samples->frameCount() - firstFrame, 0);
    const uint32_t wanted = uint32_t(std::min<int64_t>(remaining, frames));
    return Render(clip, firstFrame, ChannelBuffers{left, right}, wanted);
}

uint32_t WaveClipLoader::framesPerSecond(const CAudioClip& clip)
{
    return clip.loaded && clip.samples ? clip.samples->format.sampleRate : 0;
}

} // namespace rz
