#pragma once

#include "core/map_file.h"
#include "engine/sequencer_inputs.h"
#include "ui/accel_table.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class IProfile;
struct Setting;

// A map store's rows of the settings table: the family of named maps and,
// in the same section, the map in use and the on switch.
struct MapRows {
    const Setting& maps;
    const Setting& useWhich;
    const Setting& enabled;
};

// Named maps kept as one binary value each in a profile section, beside
// "UseWhich" (the map in use) and "Enabled". Values are read whole; a
// trailing partial record is ignored.
class MapStore {
public:
    MapStore(IProfile& profile, MapRows rows, size_t recordBytes);

    // Every binary value of the section, in the profile's order.
    std::vector<NamedMap> readMaps() const;
    std::string useWhich() const;
    bool enabled() const;
    // Replaces the section: every map from the last to the first, then
    // "UseWhich" (when not empty) and "Enabled".
    void write(std::span<const NamedMap> maps, std::string_view useWhich, bool enabled);

protected:
    IProfile& m_profile;
    MapRows m_rows;
    size_t m_recordBytes;
};

// The keyboard accelerator maps ("AccelMap4"). "Default" is always the
// built-in map, whatever the profile holds under that name.
class AccelMapStore : public MapStore {
public:
    static constexpr const char* kDefaultMap = "Default";

    explicit AccelMapStore(IProfile& profile);

    // The stored maps with "Default" first when the profile has none.
    std::vector<NamedMap> readMaps() const;
    // The map "UseWhich" names, empty when accelerators are off or the map
    // is missing.
    AccelTable selectedTable() const;
};

// What the accelerator maps dialog allows for the typed map name and the
// number of selected rows: the built-in map is never changed.
struct AccelMapButtons {
    bool saveMap = false;   // a new map under a new name
    bool deleteMap = false;
    bool add = false;
    bool edit = false;
    bool remove = false;
};
AccelMapButtons accelMapButtons(std::span<const NamedMap> maps, std::string_view typedName,
                                int selectedRows);

// The external control maps ("KeyMap"), 32-bit entries.
class ControlMapStore : public MapStore {
public:
    explicit ControlMapStore(IProfile& profile);

    // The entries of the map "UseWhich" names; empty when control is off.
    KeyMap selectedMap() const;
};

} // namespace rz
