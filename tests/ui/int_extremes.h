#pragma once

#include <cstdint>
#include <limits>

namespace rz {

// The ends of a 32-bit range, for the controls' extreme ranges and positions.
inline constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
inline constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

} // namespace rz
