#pragma once

#include <set>
#include <string>

#include "core/clip_loader.h"
#include "tests/support/call_log.h"

namespace rz {

// Marks clips loaded or released and records each call with the clip's file
// name; clips whose names are in `unreadable` fail to load.
class FakeClipLoader : public IClipLoader {
public:
    CallLog log;
    std::set<std::string> unreadable;

    bool loadSamples(CAudioClip& clip) override;
    void releaseSamples(CAudioClip& clip) override;
};

} // namespace rz
