#include "song/seek_point.h"

namespace rz {

bool SetKeyedValue(uint32_t message, uint32_t mask, int32_t tick, std::vector<uint32_t>& messages,
                   std::vector<int32_t>& ticks)
{
    for (size_t i = messages.size(); i-- > 0;) {
        if ((messages[i] & mask) == (message & mask)) {
            messages[i] = message;
            ticks[i] = tick;
            return false;
        }
    }
    messages.push_back(message);
    ticks.push_back(tick);
    return true;
}

} // namespace rz
