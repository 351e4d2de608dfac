#pragma once

#include <cstdint>

namespace rz {

// Quarter-note lengths in microseconds.
inline constexpr uint32_t kBpm120 = 500000;
inline constexpr uint32_t kBpm60 = 1000000;

} // namespace rz
