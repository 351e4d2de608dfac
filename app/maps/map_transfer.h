#pragma once

#include "core/map_file.h"
#include "core/settings.h"

#include <filesystem>
#include <string>
#include <vector>

namespace rz {

class IPrompt;
class IProfile;

// What differs between the accelerator and the control maps' Export and
// Import.
struct MapTransfer {
    const char* exportTitle;   // "Export accelerator maps..."
    const char* importTitle;   // "Import accelerator maps..."
    const char* filter;        // "Accelerator map data files (*.dat)"
    const Setting& folder;     // where the last folder is kept: "Dirs" "Accelmaps"
    size_t recordBytes;
    const char* protectedName; // the built-in map an import never replaces; may be ""
};

inline constexpr MapTransfer kAccelMapTransfer{
    "Export accelerator maps...", "Import accelerator maps...",
    "Accelerator map data files (*.dat)", settings::kDirsAccelMaps, kAccelRecordBytes, "Default"};
inline constexpr MapTransfer kControlMapTransfer{
    "Export control maps...", "Import control maps...", "Control map data files (*.dat)",
    settings::kDirsKeyMaps, kControlRecordBytes, ""};

// Asks for a file and writes every map to it. A failed write is reported
// by name; the old file stays.
void exportMaps(const MapTransfer& kind, const std::vector<NamedMap>& maps, IPrompt& prompt,
                IProfile& profile, const std::filesystem::path& defaultFolder);

// Asks for a file and merges its maps into `maps` (asking before each
// overwrite). A file that cannot be read changes no map and is reported
// with the reason. True when a map was added or replaced.
bool importMaps(const MapTransfer& kind, std::vector<NamedMap>& maps, IPrompt& prompt,
                IProfile& profile, const std::filesystem::path& defaultFolder);

} // namespace rz
