#pragma once

#include "res/default_accel_map.h"
#include "ui/command_target.h"
#include "ui/key_translation.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rz {

// Flag of a record whose key is a virtual-key code (set in every record the
// program writes).
inline constexpr uint8_t kAccelVirtualKey = 1;

// A keyboard accelerator map: records {flags, key, command} in stored order.
class AccelTable {
public:
    AccelTable() = default;
    explicit AccelTable(std::vector<AccelRecordData> records) : m_records(std::move(records)) {}

    // Stored bytes: 6 per record, little-endian; a partial record at the end
    // is ignored.
    static AccelTable fromBytes(std::span<const uint8_t> bytes);
    // The built-in "Default" map.
    static AccelTable defaultMap();

    std::vector<uint8_t> toBytes() const;
    const std::vector<AccelRecordData>& records() const { return m_records; }
    bool empty() const { return m_records.empty(); }

    // The command of the first record that matches the key and exactly its
    // Shift, Ctrl and Alt state.
    std::optional<CommandId> find(const KeyStroke& key) const;

private:
    std::vector<AccelRecordData> m_records;
};

} // namespace rz
