#include "app/desktop/machine_registry.h"

#include "ui/local_path.h"
#include "ui/profile.h"

#include <QSettings>
#include <QStandardPaths>

namespace rz {

namespace {

QString key(const std::string& section, const std::string& name)
{
    return QString::fromStdString(section) + '/' + QString::fromStdString(name);
}

// Where QSettings keeps the system-scope file of these names: the first
// folder of XDG_CONFIG_DIRS. Asking a QSettings would read that file, and
// the company's files of every such folder, first.
std::filesystem::path systemSettingsPath(const std::string& company, const std::string& program)
{
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    const QString folder = folders.size() > 1 ? folders[1] : QStringLiteral("/etc/xdg");
    return localPath(folder) / company / (program + ".ini");
}

// Applies `change` and writes the file; false when the file refused it.
template <typename Change>
bool writeSettings(const std::filesystem::path& file, Change&& change)
{
    if (settingsFileRefusal(file))
        return false;
    QSettings settings(qtPath(file), QSettings::IniFormat);
    if (!settings.isWritable())
        return false;
    change(settings);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

MachineRegistry::MachineRegistry(std::string company, const std::string& program,
                                 std::filesystem::path file)
    : m_company(std::move(company)), m_file(std::move(file))
{
    if (m_file.empty())
        m_file = systemSettingsPath(m_company, program);
}

// A FIFO or a device in place of the file is never opened: QSettings would
// wait for it for ever.
bool MachineRegistry::readable() const
{
    return !settingsFileRefusal(m_file);
}

bool MachineRegistry::RegOpenOrCreateKey(bool* writable) const
{
    if (writable)
        *writable = false;
    if (!readable())
        return false;
    const QSettings settings(qtPath(m_file), QSettings::IniFormat);
    if (writable)
        *writable = settings.isWritable();
    return settings.status() == QSettings::NoError;
}

bool MachineRegistry::RegOpenSection(const std::string& section) const
{
    if (!readable())
        return false;
    QSettings settings(qtPath(m_file), QSettings::IniFormat);
    return settings.childGroups().contains(QString::fromStdString(section)) || settings.isWritable();
}

uint32_t MachineRegistry::RegReadDword(const std::string& section, const std::string& name,
                                       uint32_t fallback) const
{
    if (!readable())
        return fallback;
    const QSettings settings(qtPath(m_file), QSettings::IniFormat);
    bool ok = false;
    const uint32_t value = settings.value(key(section, name)).toUInt(&ok);
    return ok ? value : fallback;
}

std::string MachineRegistry::RegReadString(const std::string& section, const std::string& name,
                                           const std::string& fallback) const
{
    if (!readable())
        return fallback;
    const QSettings settings(qtPath(m_file), QSettings::IniFormat);
    const QVariant value = settings.value(key(section, name));
    return value.isValid() ? value.toString().toStdString() : fallback;
}

bool MachineRegistry::RegWriteDword(const std::string& section, const std::string& name, uint32_t value)
{
    return writeSettings(m_file, [&](QSettings& s) { s.setValue(key(section, name), value); });
}

bool MachineRegistry::RegWriteString(const std::string& section, const std::optional<std::string>& name,
                                     const std::optional<std::string>& text)
{
    return writeSettings(m_file, [&](QSettings& s) {
        if (!name)
            s.remove(QString::fromStdString(section));
        else if (!text)
            s.remove(key(section, *name));
        else
            s.setValue(key(section, *name), QString::fromStdString(*text));
    });
}

} // namespace rz
