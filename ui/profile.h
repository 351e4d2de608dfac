#pragma once

#include "core/profile.h"

#include <QString>

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QSettings;
class QTemporaryDir;

namespace rz {

// The settings profile over a QSettings INI file. A section path
// "PortsToUse\MIDIOUT\3" becomes nested groups. Section and value names
// compare case-insensitively: the first spelling written is kept and any
// spelling finds it. Value names may hold any character ("/", "\", "%", "=");
// they are escaped so each stays one value. Safe to call from any thread.
class Profile : public IProfile {
public:
    // The user's settings file.
    Profile();
    // A given INI file, for tests and tools.
    explicit Profile(const std::filesystem::path& iniFile);
    ~Profile() override;
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    int32_t readInt(std::string_view section, std::string_view name,
                    int32_t defaultValue) const override;
    std::string readString(std::string_view section, std::string_view name,
                           std::string_view defaultValue) const override;
    std::optional<std::vector<uint8_t>> readBinary(std::string_view section,
                                                   std::string_view name) const override;
    void writeInt(std::string_view section, std::string_view name, int32_t value) override;
    void writeString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    void writeBinary(std::string_view section, std::string_view name,
                     const std::vector<uint8_t>& value) override;
    std::vector<ValueName> valueNames(std::string_view section) const override;
    void removeValue(std::string_view section, std::string_view name) override;
    void removeSection(std::string_view section) override;

    // Writes pending changes to the file; false when the file can't be written.
    bool sync();
    // Where a settings file that could not be read was moved at start, if any.
    std::optional<std::filesystem::path> setAsidePath() const { return m_setAside; }
    // Why the settings file cannot be written, found when it was opened
    // (it is a folder, a read-only file, or its folder cannot be written);
    // nothing when it can.
    std::optional<std::string> writeProblem() const { return m_writeProblem; }

private:
    void open(const QString& path);
    void setAside(const QString& path);
    // Default settings in a scratch file of their own, never saved.
    void useScratch();
    QVariant value(std::string_view section, std::string_view name) const;
    void setValue(std::string_view section, std::string_view name, const QVariant& value);
    // The stored spelling of an existing group path, or nothing.
    std::optional<QString> findGroup(std::string_view section) const;
    // The stored spelling where parts exist, the given spelling below that.
    QString groupForWrite(std::string_view section) const;
    std::optional<QString> findKey(const QString& group, std::string_view name) const;
    QStringList childGroups(const QString& group) const;
    QStringList childKeys(const QString& group) const;

    mutable std::mutex m_mutex;
    std::unique_ptr<QTemporaryDir> m_scratch; // only when a bad file could not be moved
    std::unique_ptr<QSettings> m_settings;    // destroyed first: it writes on destruction
    std::optional<std::filesystem::path> m_setAside;
    std::optional<std::string> m_writeProblem;
};

// Far more than every setting the program has.
inline constexpr uint64_t kMaxSettingsFileBytes = 16u << 20;

// Why a settings file (or its lock) cannot be read without waiting or
// reading without end: a FIFO, a device, a folder or a file past the cap,
// as "<file>: <reason>". Nothing when it is a regular file or missing.
// Looks without blocking; any thread.
std::optional<std::string> settingsFileRefusal(const std::filesystem::path& file);

// Escapes "%", "/" and "\" so a name stays one QSettings key or group.
QString escapeProfileName(std::string_view name);
std::string unescapeProfileName(const QString& stored);

} // namespace rz
