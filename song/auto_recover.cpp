#include "song/auto_recover.h"

#include <system_error>

namespace rz {

std::filesystem::path AutoRecoverPath(const std::filesystem::path& songPath)
{
    std::filesystem::path copy = songPath;
    copy += ".sav";
    return copy;
}

bool hasAutoRecoverCopy(const std::filesystem::path& songPath)
{
    if (songPath.empty() || songPath.native().find('\0') != std::string::npos)
        return false;
    std::error_code error;
    return std::filesystem::symlink_status(AutoRecoverPath(songPath), error).type()
        == std::filesystem::file_type::regular;
}

bool deleteAutoRecoverCopy(const std::filesystem::path& songPath)
{
    if (!hasAutoRecoverCopy(songPath))
        return true;
    std::error_code error;
    std::filesystem::remove(AutoRecoverPath(songPath), error);
    return !error;
}

} // namespace rz
