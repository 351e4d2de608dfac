#pragma once

#include "core/file_association.h"

#include <filesystem>
#include <string>
#include <vector>

namespace rz {

// The desktop's associations as freedesktop files: our desktop entry in
// $XDG_DATA_HOME/applications, the set type's definition in
// $XDG_DATA_HOME/mime/packages, and the defaults of the MIME-apps rules
// (mimeapps.list files, then mimeinfo.cache). Only our own line of the
// user's mimeapps.list is ever changed. GUI thread.
class XdgAssociationStore final : public IAssociationStore {
public:
    // `program`: the absolute path the desktop entry starts.
    explicit XdgAssociationStore(std::filesystem::path program);

    void install() override;
    std::optional<AssociationOwner> owner(AssociatedType type) override;
    bool takeOver(AssociatedType type) override;

    static const char* mimeType(AssociatedType type);
    // What our files hold; public for the tests.
    std::string desktopEntryText() const;
    static std::string setTypeDefinition();

private:
    std::vector<std::filesystem::path> mimeAppsLists() const;
    std::vector<std::filesystem::path> applicationFolders() const;
    std::optional<AssociationOwner> installedEntry(const std::string& desktopId) const;

    std::filesystem::path m_program;
    std::filesystem::path m_configHome;
    std::filesystem::path m_dataHome;
    std::vector<std::filesystem::path> m_configDirs;
    std::vector<std::filesystem::path> m_dataDirs;
    std::vector<std::string> m_desktops; // $XDG_CURRENT_DESKTOP, lower case
};

} // namespace rz
