#pragma once

#include <cstdint>

#include "res/command_strings.h" // kIdlePromptId

namespace rz {

// The main frame's status line as the owner-drawn controls see it: hovering
// a control shows its command's prompt, moving over one clears the status
// text. GUI thread.
class IStatusPrompt {
public:
    virtual ~IStatusPrompt() = default;

    // Shows the prompt string of `id` in pane 0.
    virtual void setPromptId(uint32_t id) = 0;
    // Empties pane 1 (the pointer-position text).
    virtual void clearStatusText() = 0;
};

// The main frame registers its status line here while it exists; the
// controls call nothing while none is registered. GUI thread.
inline IStatusPrompt*& mainStatusPromptSlot()
{
    static IStatusPrompt* prompt = nullptr;
    return prompt;
}
inline IStatusPrompt* mainStatusPrompt() { return mainStatusPromptSlot(); }
inline void setMainStatusPrompt(IStatusPrompt* prompt) { mainStatusPromptSlot() = prompt; }

} // namespace rz
