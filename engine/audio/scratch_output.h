#pragma once

#include <filesystem>
#include <string>

namespace rz {

// Audio written to a scratch file beside its target (ScratchPathFor) takes
// the target's place only once it is whole, so a failed write, a cancel or a
// kill never leaves the user's old file deleted or cut short. GUI thread.

// Renames the scratch file over the target (for a link, the file it names),
// with the permission bits of the file it replaces; the old file is never
// deleted first nor made writable. False with the reason, and the scratch
// file removed, when it cannot.
bool keepScratchOutput(const std::filesystem::path& scratch, const std::filesystem::path& target,
                       std::string& reason);

// Removes the scratch file of an output that is not kept.
void dropScratchOutput(const std::filesystem::path& scratch);

} // namespace rz
