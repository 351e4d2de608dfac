#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/clip_loader.h"
#include "core/locks.h"

namespace rz {

class AudioClipSamples;

// Loads clips from their wave files for the song. GUI thread.
//
// The file is read first, without a lock. Only then, under the AudioMutex
// (which the render holds while it mixes), does the clip get its samples,
// its loaded flag and its length; the block it held before is freed after the
// lock is released, on this thread, never on an audio thread. A wait on the
// lock that times out changes nothing.
//
// A file that takes longer than `quietLoad` to read goes on in steps that
// the slow-load progress runs, which shows them with a Cancel button; a
// cancelled clip stays silent.
class WaveClipLoader final : public IClipLoader {
public:
    // Runs the steps, each reading for about kStepTime, while it shows their
    // progress: `step` answers nonzero with the fraction done (0..1) while
    // the load runs, 0 once it has ended. False when the user cancelled.
    using SlowLoadProgress = std::function<bool(const std::function<int(double*)>& step)>;
    static constexpr std::chrono::milliseconds kStepTime{100};

    // `engineRate` gives the rate the engine runs at; files at another rate
    // are refused.
    explicit WaveClipLoader(std::function<uint32_t()> engineRate,
                            std::chrono::milliseconds lockWait = kLockWait,
                            std::chrono::milliseconds quietLoad = std::chrono::seconds(1));

    // Without one, a slow load reads on to its end.
    void setSlowLoadProgress(SlowLoadProgress progress) { m_slowLoad = std::move(progress); }

    bool loadSamples(CAudioClip& clip) override;
    void releaseSamples(CAudioClip& clip) override;
    uint32_t renderForDrawing(const CAudioClip& clip, int64_t firstFrame, float* left, float* right,
                              uint32_t frames) override;
    uint32_t framesPerSecond(const CAudioClip& clip) override;

    // Why the last clip that failed to load failed, for the log.
    const std::string& lastFailure() const { return m_lastFailure; }

private:
    std::shared_ptr<const AudioClipSamples> readSamples(const std::string& fileName, std::string& reason);

    std::function<uint32_t()> m_engineRate;
    std::chrono::milliseconds m_lockWait;
    std::chrono::milliseconds m_quietLoad;
    SlowLoadProgress m_slowLoad;
    std::string m_lastFailure;
};

} // namespace rz
