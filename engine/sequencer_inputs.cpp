#include "engine/sequencer_inputs.h"

namespace rz {

KeyMap ParseKeyMap(std::span<const uint8_t> bytes)
{
    KeyMap entries;
    entries.reserve(bytes.size() / 4);
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        entries.push_back(uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8
                          | uint32_t(bytes[at + 2]) << 16 | uint32_t(bytes[at + 3]) << 24);
    }
    return entries;
}

} // namespace rz
