#include "ui/accel_table.h"

namespace rz {

AccelTable AccelTable::fromBytes(std::span<const uint8_t> bytes)
{
    std::vector<AccelRecordData> records;
    records.reserve(bytes.size() / 6);
    for (size_t at = 0; at + 6 <= bytes.size(); at += 6) {
        records.push_back({bytes[at], uint16_t(bytes[at + 2] | (bytes[at + 3] << 8)),
                           uint16_t(bytes[at + 4] | (bytes[at + 5] << 8))});
    }
    return AccelTable(std::move(records));
}

AccelTable AccelTable::defaultMap()
{
    const std::span<const AccelRecordData> records = defaultAccelRecords();
    return AccelTable(std::vector<AccelRecordData>(records.begin(), records.end()));
}

std::vector<uint8_t> AccelTable::toBytes() const
{
    std::vector<uint8_t> bytes;
    bytes.reserve(m_records.size() * 6);
    for (const AccelRecordData& r : m_records) {
        for (const uint8_t b : {r.flags, uint8_t(0), uint8_t(r.key & 0xFF), uint8_t(r.key >> 8),
                                uint8_t(r.command & 0xFF), uint8_t(r.command >> 8)})
            bytes.push_back(b);
    }
    return bytes;
}

std::optional<CommandId> AccelTable::find(const KeyStroke& key) const
{
    constexpr uint8_t kModifierMask = kKeyShift | kKeyCtrl | kKeyAlt;
    for (const AccelRecordData& r : m_records) {
        // Records without the virtual-key flag name a typed character; the
        // program never writes them and keys here are virtual keys.
        if (!(r.flags & kAccelVirtualKey))
            continue;
        if (r.key == key.vk && (r.flags & kModifierMask) == key.modifiers)
            return r.command;
    }
    return std::nullopt;
}

} // namespace rz
