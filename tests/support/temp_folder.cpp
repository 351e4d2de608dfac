#include "tests/support/temp_folder.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

namespace rz {

TempFolder::TempFolder(std::string_view prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / prefix).string() + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr)
        throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
    m_path = name.data();
}

TempFolder::~TempFolder()
{
    std::error_code error;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 error);
    std::filesystem::remove_all(m_path, error);
}

std::vector<std::string> TempFolder::files() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace rz
