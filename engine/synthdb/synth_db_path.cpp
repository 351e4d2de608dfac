#include "engine/synthdb/synth_db_path.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace rz {

namespace {

constexpr std::string_view kCompanyFolder = "Vozuzuzuziv Software";
constexpr std::string_view kDatabaseFileName = "dr.sqlite";

std::string_view environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

// The password database's home folder, for a session without $HOME.
std::string passwordHome()
{
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

} // namespace

std::filesystem::path settingsFolderFor(std::string_view xdgConfigHome, std::string_view home)
{
    const std::filesystem::path configHome(xdgConfigHome);
    if (!xdgConfigHome.empty() && configHome.is_absolute())
        return configHome / kCompanyFolder;
    return std::filesystem::path(home) / ".config" / kCompanyFolder;
}

std::filesystem::path defaultSynthDatabasePath()
{
    std::string home(environment("HOME"));
    if (home.empty())
        home = passwordHome();
    return settingsFolderFor(environment("XDG_CONFIG_HOME"), home) / kDatabaseFileName;
}

} // namespace rz
