#include "app/desktop/xdg_association_store.h"

#include "core/ascii_case.h"
#include "core/input_file.h"
#include "core/key_file.h"
#include "core/log.h"
#include "song/fs.h"
#include "ui/local_path.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace rz {

namespace {

constexpr const char* kSetMimeType = "application/x-devu-rizoraz-set";
constexpr const char* kMidiMimeType = "audio/midi";
constexpr const char* kDefaultsGroup = "Default Applications";
constexpr const char* kPackageFile = "devu-rizoraz.xml";
// Foreign files larger than this are not read (nor rewritten): the files
// concerned hold a few lines.
constexpr uint64_t kMaxReadBytes = 1 << 20;

std::filesystem::path homeFolder(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    if (value && *value == '/')
        return value;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/") / fallback;
}

std::vector<std::filesystem::path> folderList(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    std::string list = value && *value ? value : fallback;
    std::vector<std::filesystem::path> folders;
    std::stringstream stream(list);
    std::string item;
    while (std::getline(stream, item, ':')) {
        if (!item.empty() && item.front() == '/')
            folders.emplace_back(item);
    }
    return folders;
}

std::optional<std::string> readSmallFile(const std::filesystem::path& path)
{
    std::string ignored; // an unreadable key file is one to leave alone
    return ReadWholeFile(path, kMaxReadBytes, ignored);
}

// Writes our file when it is missing or holds something else; true when written.
bool writeIfStale(const std::filesystem::path& path, const std::string& text)
{
    if (readSmallFile(path) == text)
        return false;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::string reason, backupProblem;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    if (!WriteFileAtomic(path, {bytes, text.size()}, {}, reason, backupProblem)) {
        writeLog("Could not write " + path.string() + ": " + reason);
        return false;
    }
    return true;
}

} // namespace

XdgAssociationStore::XdgAssociationStore(std::filesystem::path program)
    : m_program(std::move(program)), m_configHome(homeFolder("XDG_CONFIG_HOME", ".config")),
      m_dataHome(homeFolder("XDG_DATA_HOME", ".local/share")),
      m_configDirs(folderList("XDG_CONFIG_DIRS", "/etc/xdg")),
      m_dataDirs(folderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
{
    if (const char* desktops = std::getenv("XDG_CURRENT_DESKTOP")) {
        std::stringstream stream(desktops);
        std::string name;
        while (std::getline(stream, name, ':')) {
            name = AsciiLower(std::move(name));
            if (!name.empty() && name.find('/') == std::string::npos)
                m_desktops.push_back(name);
        }
    }
}

const char* XdgAssociationStore::mimeType(AssociatedType type)
{
    return type == AssociatedType::Set ? kSetMimeType : kMidiMimeType;
}

std::string XdgAssociationStore::desktopEntryText() const
{
    return std::string("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=DEVU Rizoraz\n"
                       "Comment=Play MIDI songs and sets live\n"
                       "Exec=") +
           desktopExecArgument(m_program.string()) +
           " %f\n"
           "MimeType=" +
           kSetMimeType + ";" + kMidiMimeType +
           ";\n"
           "Terminal=false\n"
           "Categories=AudioVideo;Audio;Midi;\n";
}

std::string XdgAssociationStore::setTypeDefinition()
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                       "  <mime-type type=\"") +
           kSetMimeType +
           "\">\n"
           "    <comment>DEVU Rizoraz Set</comment>\n"
           "    <glob pattern=\"*.set\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

void XdgAssociationStore::install()
{
    const std::filesystem::path applications = m_dataHome / "applications";
    const std::filesystem::path mime = m_dataHome / "mime";
    if (writeIfStale(applications / kOurDesktopId, desktopEntryText()))
        QProcess::startDetached(QStringLiteral("update-desktop-database"),
                                {qtPath(applications)});
    if (writeIfStale(mime / "packages" / kPackageFile, setTypeDefinition()))
        QProcess::startDetached(QStringLiteral("update-mime-database"),
                                {qtPath(mime)});
}

// The lists in the order the MIME-apps rules give them precedence.
std::vector<std::filesystem::path> XdgAssociationStore::mimeAppsLists() const
{
    std::vector<std::filesystem::path> lists;
    auto addFolder = [&](const std::filesystem::path& folder) {
        for (const std::string& desktop : m_desktops)
            lists.push_back(folder / (desktop + "-mimeapps.list"));
        lists.push_back(folder / "mimeapps.list");
    };
    addFolder(m_configHome);
    for (const std::filesystem::path& folder : m_configDirs)
        addFolder(folder);
    addFolder(m_dataHome / "applications");
    for (const std::filesystem::path& folder : m_dataDirs)
        addFolder(folder / "applications");
    return lists;
}

std::vector<std::filesystem::path> XdgAssociationStore::applicationFolders() const
{
    std::vector<std::filesystem::path> folders{m_dataHome / "applications"};
    for (const std::filesystem::path& folder : m_dataDirs)
        folders.push_back(folder / "applications");
    return folders;
}

// A desktop id names a file in an applications folder; a '-' in it may
// stand for a subfolder, which we do not follow (no association we meet
// needs it).
std::optional<AssociationOwner> XdgAssociationStore::installedEntry(const std::string& desktopId) const
{
    if (desktopId.empty() || desktopId.find('/') != std::string::npos || desktopId.front() == '.')
        return std::nullopt;
    for (const std::filesystem::path& folder : applicationFolders()) {
        const std::optional<std::string> text = readSmallFile(folder / desktopId);
        if (!text)
            continue;
        const std::optional<std::string> name = keyFileValue(*text, "Desktop Entry", "Name");
        return AssociationOwner{desktopId, name.value_or(desktopId)};
    }
    return std::nullopt;
}

std::optional<AssociationOwner> XdgAssociationStore::owner(AssociatedType type)
{
    const char* mime = mimeType(type);
    for (const std::filesystem::path& list : mimeAppsLists()) {
        const std::optional<std::string> text = readSmallFile(list);
        if (!text)
            continue;
        for (const std::string& id : keyFileList(*text, kDefaultsGroup, mime)) {
            if (std::optional<AssociationOwner> found = installedEntry(id))
                return found;
        }
    }
    for (const std::filesystem::path& folder : applicationFolders()) {
        const std::optional<std::string> text = readSmallFile(folder / "mimeinfo.cache");
        if (!text)
            continue;
        for (const std::string& id : keyFileList(*text, "MIME Cache", mime)) {
            if (std::optional<AssociationOwner> found = installedEntry(id))
                return found;
        }
    }
    return std::nullopt;
}

bool XdgAssociationStore::takeOver(AssociatedType type)
{
    const std::filesystem::path list = SaveTarget(m_configHome / "mimeapps.list");
    std::error_code error;
    const bool exists = std::filesystem::exists(list, error);
    const std::optional<std::string> text = exists ? readSmallFile(list) : std::string();
    if (!text)
        return false;
    const std::optional<std::string> changed =
        setKeyFileValue(*text, kDefaultsGroup, mimeType(type), std::string(kOurDesktopId) + ";");
    if (!changed) {
        writeLog(list.string() + " is not a key file; the association is left as it is");
        return false;
    }
    if (*changed == *text)
        return true;
    std::filesystem::create_directories(m_configHome, error);
    std::string reason, backupProblem;
    const auto* bytes = reinterpret_cast<const uint8_t*>(changed->data());
    if (!WriteFileAtomic(list, {bytes, changed->size()}, {}, reason, backupProblem)) {
        writeLog("Could not write " + list.string() + ": " + reason);
        return false;
    }
    return true;
}

} // namespace rz
