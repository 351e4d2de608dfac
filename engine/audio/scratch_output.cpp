#include "engine/audio/scratch_output.h"

#include "song/fs.h"

#include <system_error>

namespace rz {

bool keepScratchOutput(const std::filesystem::path& scratch, const std::filesystem::path& target,
                       std::string& reason)
{
    std::error_code error;
    const std::filesystem::path place = SaveTarget(target);
    const auto old = std::filesystem::status(place, error);
    if (!error && std::filesystem::exists(old))
        std::filesystem::permissions(scratch, old.permissions(), error);
    error.clear();
    std::filesystem::rename(scratch, place, error);
    if (error) {
        reason = error.message();
        dropScratchOutput(scratch);
        return false;
    }
    return true;
}

void dropScratchOutput(const std::filesystem::path& scratch)
{
    std::error_code ignored;
    std::filesystem::remove(scratch, ignored);
}

} // namespace rz
