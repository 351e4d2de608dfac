#include "song/auto_recover.h"

#include <system_error>

namespace rz {

std::filesystem::path AutoRecoverPath(const std::filesystem::path& songPath)
{
    std::filesystem::path copy = songPath;
    copy += ".sav";
    return copy;
}

bool deleteAutoRecoverCopy(const std::filesystem::path& songPath)
{
    if (songPath.empty())
        return true;
    std::error_code error;
    std::filesystem::remove(AutoRecoverPath(songPath), error);
    return !error;
}

} // namespace rz
