#pragma once

#include <cstdint>

namespace rz {

// a * b / c with a 64-bit intermediate, rounded half away from zero.
// Returns -1 when c is 0 or the result does not fit in 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

} // namespace rz
