#include "core/muldiv.h"

#include <cstdlib>
#include <limits>

namespace rz {

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t product = int64_t(a) * int64_t(b);
    const bool negative = (product < 0) != (c < 0);
    // |a*b| <= 2^62 and |c| <= 2^31, so the magnitudes fit unsigned 64 bits.
    const uint64_t num = product < 0 ? uint64_t(-product) : uint64_t(product);
    const uint64_t den = c < 0 ? uint64_t(-int64_t(c)) : uint64_t(c);
    const uint64_t quotient = (num + den / 2) / den;
    if (negative) {
        if (quotient > uint64_t(std::numeric_limits<int32_t>::max()) + 1)
            return -1;
        return int32_t(-int64_t(quotient));
    }
    if (quotient > uint64_t(std::numeric_limits<int32_t>::max()))
        return -1;
    return int32_t(quotient);
}

} // namespace rz
