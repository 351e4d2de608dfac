#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace rz {

// One record of a stored accelerator map: 6 bytes, little-endian
// {flags, 0, key, command}. Flags: 1 virtual key, 4 Shift, 8 Ctrl, 16 Alt.
struct AccelRecordData {
    uint8_t flags = 0;
    uint16_t key = 0;
    uint16_t command = 0;
};

// The built-in "Default" map, in stored order (81 records).
std::span<const AccelRecordData> defaultAccelRecords();

// The same records as the 486 stored bytes.
std::vector<uint8_t> defaultAccelMapBytes();

} // namespace rz
