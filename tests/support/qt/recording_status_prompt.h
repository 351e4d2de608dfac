#pragma once

#include "ui/status_prompt.h"

#include <cstdint>
#include <vector>

namespace rz {

// Records the prompt calls of the controls, registered as the main frame's
// status line for its lifetime.
class RecordingStatusPrompt : public IStatusPrompt {
public:
    RecordingStatusPrompt() { setMainStatusPrompt(this); }
    ~RecordingStatusPrompt() override { setMainStatusPrompt(nullptr); }

    void setPromptId(uint32_t id) override { prompts.push_back(id); }
    void clearStatusText() override { ++clears; }

    // The prompt the status line shows now; 0 before any call.
    uint32_t shown() const { return prompts.empty() ? 0 : prompts.back(); }

    std::vector<uint32_t> prompts;
    int clears = 0;
};

} // namespace rz
