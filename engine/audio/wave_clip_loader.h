#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "core/clip_loader.h"
#include "core/locks.h"

namespace rz {

// Loads clips from their wave files for the song. GUI thread.
//
// The file is read first, without a lock. Only then, under the AudioMutex
// (which the render holds while it mixes), does the clip get its samples,
// its loaded flag and its length; the block it held before is freed after the
// lock is released, on this thread, never on an audio thread. A wait on the
// lock that times out changes nothing.
class WaveClipLoader final : public IClipLoader {
public:
    // `engineRate` gives the rate the engine runs at; files at another rate
    // are refused.
    explicit WaveClipLoader(std::function<uint32_t()> engineRate,
                            std::chrono::milliseconds lockWait = kLockWait);

    bool loadSamples(CAudioClip& clip) override;
    void releaseSamples(CAudioClip& clip) override;
    uint32_t renderForDrawing(const CAudioClip& clip, int64_t firstFrame, float* left, float* right,
                              uint32_t frames) override;
    uint32_t framesPerSecond(const CAudioClip& clip) override;

    // Why the last clip that failed to load failed, for the log.
    const std::string& lastFailure() const { return m_lastFailure; }

private:
    std::function<uint32_t()> m_engineRate;
    std::chrono::milliseconds m_lockWait;
    std::string m_lastFailure;
};

} // namespace rz
