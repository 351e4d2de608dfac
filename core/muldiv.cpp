#include "core/muldiv.h"

#include <limits>

namespace rz {

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    // |a * b| <= 2^62, so the 64-bit form cannot overflow.
    const int64_t result = mulDiv64(a, b, c);
    if (result < std::numeric_limits<int32_t>::min() || result > std::numeric_limits<int32_t>::max())
        return -1;
    return int32_t(result);
}

} // namespace rz
