#pragma once

#include <cstdint>

namespace rz {

// The engine's tempo multiplier: 100000 plays the song at its own tempo.
inline constexpr int32_t kNormalMultiplier = 100000;
// Half and twice the song's tempo: every multiplier is held between them.
inline constexpr int32_t kMinMultiplier = 50000;
inline constexpr int32_t kMaxMultiplier = 200000;

} // namespace rz
