#pragma once

// Libraries that bring many others along (FFmpeg, FluidSynth) live in
// modules of our own, loaded on first use with dlopen: a start that does not
// need them pays nothing for them, in time or memory. A module is built with
// the program by the same compiler, so C++ types cross the boundary; its one
// exported function answers a table whose version the caller checks.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace rz {

struct LoadedModule {
    void* handle = nullptr;      // kept for the life of the process
    const void* table = nullptr; // what the entry answered; null on failure
    std::string problem;         // why no module was loaded
};

// Where a module may be: beside the program as installed (`relative` to the
// program's folder), then `built`, where this build put it (the test
// programs' way to it).
std::vector<std::filesystem::path> modulePlaces(const std::filesystem::path& relative,
                                                const std::filesystem::path& built);

// Loads the first of `places` that loads, calls its `entry` and keeps the
// table when `accepts` it. Never on a realtime thread.
LoadedModule loadModule(const std::vector<std::filesystem::path>& places, const char* entry,
                        const std::function<bool(const void* table)>& accepts);

} // namespace rz
