#include "app/maps/map_transfer.h"

#include "core/input_file.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/prompt.h"
#include "song/fs.h"


namespace rz {
namespace {

// Map files hold a few kilobytes; a larger one is not a map file.
constexpr std::uintmax_t kMaxMapFileBytes = 64u << 20;

std::filesystem::path lastFolder(const MapTransfer& kind, IProfile& profile,
                                 const std::filesystem::path& defaultFolder)
{
    const std::string folder = readSettingText(profile, kind.folder);
    return folder.empty() ? defaultFolder : std::filesystem::path(folder);
}

void rememberFolder(const MapTransfer& kind, IProfile& profile, const std::filesystem::path& file)
{
    writeSettingText(profile, kind.folder, file.parent_path().string());
}

std::optional<std::vector<uint8_t>> readFile(const std::filesystem::path& path, std::string& reason)
{
    return ReadWholeFileBytes(path, kMaxMapFileBytes, reason);
}

} // namespace

void exportMaps(const MapTransfer& kind, const std::vector<NamedMap>& maps, IPrompt& prompt,
                IProfile& profile, const std::filesystem::path& defaultFolder)
{
    const auto path = prompt.chooseSavePath(kind.exportTitle,
                                            lastFolder(kind, profile, defaultFolder), kind.filter);
    if (!path)
        return;
    rememberFolder(kind, profile, *path);
    std::string reason, backupProblem;
    if (!WriteFileAtomic(*path, writeMapFile(maps, kind.recordBytes), {}, reason, backupProblem))
        prompt.message(path->string() + ": " + reason, PromptIcon::Stop);
}

bool importMaps(const MapTransfer& kind, std::vector<NamedMap>& maps, IPrompt& prompt,
                IProfile& profile, const std::filesystem::path& defaultFolder)
{
    const auto path = prompt.chooseOpenPath(kind.importTitle,
                                            lastFolder(kind, profile, defaultFolder), kind.filter);
    if (!path)
        return false;
    rememberFolder(kind, profile, *path);
    std::string reason;
    std::optional<std::vector<NamedMap>> read;
    if (const auto bytes = readFile(*path, reason))
        read = readMapFile(*bytes, kind.recordBytes, reason);
    if (!read) {
        prompt.message(path->string() + ": " + reason, PromptIcon::Stop);
        return false;
    }
    return mergeImportedMaps(maps, *read, kind.protectedName, prompt) > 0;
}

} // namespace rz
