#pragma once

#include "platform/ladspa.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rz {

// "filterdata" in the user's data folder: $XDG_DATA_HOME, or ~/.local/share
// when that is unset, empty or relative.
std::filesystem::path filterDataFolderFor(std::string_view xdgDataHome, std::string_view home);
std::filesystem::path filterDataFolder();
// Where the plug-in scan keeps its marks: the program's own data folder.
std::filesystem::path pluginMarkFolder();

// The named settings of one plug-in, in "<UniqueID>-<Label>.ini": one
// section per preset, its name escaped so any typed name comes back as it
// was, and the section "last used" for the settings of the last OK. Values
// are keyed by port index and name. The file is foreign input: unknown keys
// are ignored and values clamped to their ports. Each change rewrites the
// file through a temporary one, so a failed write loses nothing. GUI thread.
class FilterPresetStore {
public:
    explicit FilterPresetStore(const LadspaPluginInfo& plugin);

    // Reads the store in `folder`, creating the folder and an empty store
    // when missing. False with a reason when it can be neither read nor made.
    bool open(const std::filesystem::path& folder, std::string& reason);
    bool isOpen() const { return !m_file.empty(); }
    const std::filesystem::path& file() const { return m_file; }

    // The presets' names, sorted; "last used" is none of them.
    std::vector<std::string> presetNames() const;
    bool hasPreset(std::string_view name) const;

    // Sets the values the preset holds (by index into the plug-in's
    // controls) and leaves the others; false when there is no such preset.
    bool loadPreset(std::string_view name, std::vector<float>& values) const;
    bool loadLastUsed(std::vector<float>& values) const;

    // Creates or replaces a preset.
    bool savePreset(std::string_view name, std::span<const float> values, std::string& reason);
    bool saveLastUsed(std::span<const float> values, std::string& reason);
    bool removePreset(std::string_view name, std::string& reason);

    // The section a preset name is stored under, and back.
    static std::string presetSection(std::string_view name);
    static std::optional<std::string> presetName(std::string_view section);

private:
    using Values = std::vector<std::pair<std::string, std::string>>; // key, value
    struct Section {
        std::string name;
        Values values;
    };

    bool load(std::string_view section, std::vector<float>& values) const;
    bool save(std::string_view section, std::span<const float> values, std::string& reason);
    bool write(std::string& reason) const;
    void parse(std::string_view text);

    std::vector<LadspaControl> m_controls; // as the plug-in lists them; outputs are not stored
    std::string m_fileName;
    std::filesystem::path m_file;
    std::vector<Section> m_sections;
};

} // namespace rz
