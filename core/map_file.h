#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class IPrompt;

// One named map as the maps dialogs, the profile and map files hold it: the
// name in UTF-8 and the records' bytes, whole records only.
struct NamedMap {
    std::string name;
    std::vector<uint8_t> records;

    bool operator==(const NamedMap&) const = default;
};

// Record sizes of the two kinds of map file.
inline constexpr size_t kAccelRecordBytes = 6;
inline constexpr size_t kControlRecordBytes = 4;

// A map file: u32 version (1), u32 count, then per map an archive string
// name, u32 record count and the records; little-endian. Maps are written
// from the last of `maps` to the first, as the dialogs list them.
std::vector<uint8_t> writeMapFile(std::span<const NamedMap> maps, size_t recordBytes);

// The maps of a file in file order, or nothing with `reason` set. Every
// count is checked against the bytes left before anything is allocated.
// Names decode as UTF-8 when valid, else as Windows-1252.
std::optional<std::vector<NamedMap>> readMapFile(std::span<const uint8_t> bytes,
                                                 size_t recordBytes, std::string& reason);

// Position of the map named `name` (compared as the profile compares value
// names), or nothing.
std::optional<size_t> findMap(std::span<const NamedMap> maps, std::string_view name);

// Adds the imported maps to `maps`. A map of an existing name replaces it
// only when the user answers Yes; `protectedName` (the built-in map, when
// not empty) is never touched. Returns how many maps were added or replaced.
size_t mergeImportedMaps(std::vector<NamedMap>& maps, const std::vector<NamedMap>& imported,
                         std::string_view protectedName, IPrompt& prompt);

} // namespace rz
