// Where a new set or song goes, and the empty set file.
#include "set/new_document_target.h"

#include "core/file_names.h"
#include "core/prompt.h"
#include "set/set_document.h"
#include "set/set_file.h"
#include "song/fs.h"

namespace rz {

std::variant<std::filesystem::path, std::string> resolveNewTarget(int kind, std::string name,
                                                                  std::string location)
{
    SanitizeFileName(name);
    while (location.size() > 1 && location.back() == '/')
        location.pop_back();
    std::error_code error;
    if (location.empty() || !std::filesystem::is_directory(location, error))
        return std::string(kInvalidLocation);
    const std::filesystem::path folder(location);
    if (kind != int(NewDocumentKind::EmptySet)) {
        std::filesystem::path song = folder / (name + ".mid");
        if (std::filesystem::exists(song, error))
            return std::string(kTargetExists);
        return song;
    }
    const std::filesystem::path setFolder = folder / name;
    std::filesystem::path setPath = setFolder / (name + ".set");
    // Checked before the folder is made, so a refusal leaves nothing behind.
    if (std::filesystem::exists(setPath, error))
        return std::string(kTargetExists);
    std::filesystem::create_directories(setFolder, error);
    if (!std::filesystem::is_directory(setFolder, error))
        return std::string(kCannotCreateFolder);
    return setPath;
}

bool createEmptySet(SetDocument& set, const std::filesystem::path& path)
{
    const std::vector<uint8_t> bytes = encodeSetFile({}, false);
    std::string reason;
    std::string backupProblem;
    if (!WriteFileAtomic(path, bytes, {}, reason, backupProblem)) {
        set.songContext().prompt.message("Unable to save " + path.string() + ":\n" + reason,
                                         PromptIcon::Warning);
        return false;
    }
    return set.OnOpenDocument(path);
}

} // namespace rz
