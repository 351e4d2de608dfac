#pragma once

#include <filesystem>
#include <string_view>

namespace rz {

// The settings folder that holds the profile INI: "Vozuzuzuziv Software"
// under $XDG_CONFIG_HOME, or under ~/.config when that is unset, empty or
// relative. Both arguments may be empty.
std::filesystem::path settingsFolderFor(std::string_view xdgConfigHome, std::string_view home);

// "dr.sqlite" in the user's settings folder, from the environment.
std::filesystem::path defaultSynthDatabasePath();

} // namespace rz
