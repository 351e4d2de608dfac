#pragma once

#include <cstdint>

namespace rz {

// a * b / c rounded half away from zero, in 64 bits; 0 when c is 0. Callers
// keep |a * b| inside 64 bits (a pixel count times a 32-bit range does).
constexpr int64_t mulDiv64(int64_t a, int64_t b, int64_t c)
{
    if (c == 0)
        return 0;
    const int64_t product = a * b;
    const bool negative = (product < 0) != (c < 0);
    const uint64_t num = product < 0 ? uint64_t(0) - uint64_t(product) : uint64_t(product);
    const uint64_t den = c < 0 ? uint64_t(0) - uint64_t(c) : uint64_t(c);
    const uint64_t quotient = (num + den / 2) / den;
    return negative ? int64_t(uint64_t(0) - quotient) : int64_t(quotient);
}

// a * b / c with a 64-bit intermediate, rounded half away from zero.
// Returns -1 when c is 0 or the result does not fit in 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

} // namespace rz
