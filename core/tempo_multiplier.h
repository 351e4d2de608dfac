#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace rz {

// The engine's tempo multiplier: 100000 plays the song at its own tempo.
inline constexpr int32_t kNormalMultiplier = 100000;
// Half and twice the song's tempo. Every writer (fader, tempo commands,
// external control, pitch-bend tempo, conductor tap, song activation) keeps
// the multiplier within them: the engine's one setter clamps what it gets.
inline constexpr int32_t kMinMultiplier = 50000;
inline constexpr int32_t kMaxMultiplier = 200000;

// A computed multiplier held within the range, truncated; NaN gives the
// minimum, so no arithmetic can carry the engine outside it.
inline int32_t clampMultiplier(double multiplier)
{
    if (std::isnan(multiplier))
        return kMinMultiplier;
    return int32_t(std::clamp(multiplier, double(kMinMultiplier), double(kMaxMultiplier)));
}

} // namespace rz
