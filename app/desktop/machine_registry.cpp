#include "app/desktop/machine_registry.h"

#include "ui/local_path.h"

#include <QSettings>

namespace rz {

namespace {

QString key(const std::string& section, const std::string& name)
{
    return QString::fromStdString(section) + '/' + QString::fromStdString(name);
}

// Applies `change` and writes the file; false when the file refused it.
template <typename Change>
bool writeSettings(const std::filesystem::path& file, Change&& change)
{
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
    if (m_file.empty()) {
        const QSettings system(QSettings::IniFormat, QSettings::SystemScope,
                               QString::fromStdString(m_company), QString::fromStdString(program));
        m_file = localPath(system.fileName());
    }
}

bool MachineRegistry::RegOpenOrCreateKey(bool* writable) const
{
    const QSettings settings(qtPath(m_file), QSettings::IniFormat);
    if (writable)
        *writable = settings.isWritable();
    return settings.status() == QSettings::NoError;
}

bool MachineRegistry::RegOpenSection(const std::string& section) const
{
    QSettings settings(qtPath(m_file), QSettings::IniFormat);
    return settings.childGroups().contains(QString::fromStdString(section)) || settings.isWritable();
}

uint32_t MachineRegistry::RegReadDword(const std::string& section, const std::string& name,
                                       uint32_t fallback) const
{
    const QSettings settings(qtPath(m_file), QSettings::IniFormat);
    bool ok = false;
    const uint32_t value = settings.value(key(section, name)).toUInt(&ok);
    return ok ? value : fallback;
}

std::string MachineRegistry::RegReadString(const std::string& section, const std::string& name,
                                           const std::string& fallback) const
{
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
