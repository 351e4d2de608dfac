#include "ui/program_data.h"

#include <system_error>

namespace rz {

std::filesystem::path programDataPath(const std::filesystem::path& programFolder, std::string_view name)
{
    std::error_code error;
    const std::filesystem::path beside = programFolder / name;
    if (std::filesystem::exists(beside, error))
        return beside;
    const std::filesystem::path installed = (programFolder / kInstalledDataFolder / name).lexically_normal();
    if (std::filesystem::exists(installed, error))
        return installed;
    return beside;
}

} // namespace rz
