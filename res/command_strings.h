#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace rz {

// The status-bar texts of the program's commands: "prompt\nshort name".
// The short name is what tool tips and the accelerator-map editor show.
struct CommandString {
    uint32_t id = 0;
    std::string_view text;
};

// The idle prompts: the status bar shows these when no command is pointed at.
inline constexpr uint32_t kIdlePromptId = 57345;
inline constexpr uint32_t kPerformanceIdlePromptId = 61501;

// Every entry, sorted by id.
std::span<const CommandString> commandStrings();

// The whole string of `id`, or "" when it has none.
std::string_view commandString(uint32_t id);
// The part before the first "\n" (the whole string when there is none).
std::string_view commandPrompt(uint32_t id);
// The part after the first "\n", or "" when there is none.
std::string_view commandShortName(uint32_t id);

} // namespace rz
