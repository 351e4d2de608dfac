#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "core/clip_loader.h"
#include "tests/support/call_log.h"

namespace rz {

// Marks clips loaded or released and records each call with the clip's file
// name; clips whose names are in `unreadable` fail to load.
//
// For drawing it gives synthetic samples: `sample(frame)` on both channels at
// `rate` frames per second, over `length` (100-ns units) of the clip. Set these
// before a worker starts; the worker's thread only reads them.
class FakeClipLoader : public IClipLoader {
public:
    CallLog log;
    std::set<std::string> unreadable;
    uint32_t rate = 4800;
    std::function<float(int64_t frame)> sample = [](int64_t) { return 0.5f; };
    // Called on the rendering thread before each render, with its first frame.
    std::function<void(int64_t firstFrame)> beforeRender;
    std::atomic<int> renders{0};
    std::atomic<int64_t> framesRendered{0};

    bool loadSamples(CAudioClip& clip) override;
    void releaseSamples(CAudioClip& clip) override;
    uint32_t renderForDrawing(const CAudioClip& clip, int64_t firstFrame, float* left, float* right,
                              uint32_t frames) override;
    uint32_t framesPerSecond(const CAudioClip& clip) override;
};

} // namespace rz
