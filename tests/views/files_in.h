#pragma once

#include <cstddef>
#include <filesystem>

namespace rz {

// How many entries `folder` holds.
inline size_t filesIn(const std::filesystem::path& folder)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

} // namespace rz
