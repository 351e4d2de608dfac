#pragma once

#include <filesystem>
#include <string_view>

namespace rz {

// Where an installation keeps the program's data (the manual, the tips),
// relative to the program's folder; a build lays them beside the program.
inline constexpr const char* kInstalledDataFolder = "../share/devu-rizoraz";

// The data file or folder `name` for a program in `programFolder`: the one
// beside the program (a build), else the installed one; the one beside it
// when neither exists.
std::filesystem::path programDataPath(const std::filesystem::path& programFolder, std::string_view name);

} // namespace rz
