#include "ui/profile.h"

#include "core/input_file.h"
#include "ui/local_path.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <system_error>

#include <signal.h>
#include <unistd.h>

namespace rz {
namespace {

// QSettings writes itself back from its thread's event loop; that write
// takes the profile's lock like every other access.
class LockedSettings : public QSettings {
public:
    LockedSettings(const QString& path, std::mutex& mutex)
        : QSettings(path, QSettings::IniFormat), m_mutex(mutex)
    {
    }

protected:
    bool event(QEvent* event) override
    {
        const std::lock_guard lock(m_mutex);
        return QSettings::event(event);
    }

private:
    std::mutex& m_mutex;
};

const QString kOrganization = QStringLiteral("Vozuzuzuziv Software");
const QString kApplication = QStringLiteral("DEVU Rizoraz");

QString joinGroup(const QString& group, const QString& child)
{
    return group.isEmpty() ? child : group + QLatin1Char('/') + child;
}

// ASCII letters only, like profileKey(): names are the program's own.
bool sameName(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        const auto lower = [](char16_t c) { return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c; };
        if (lower(x) != lower(y))
            return false;
    }
    return true;
}

std::optional<QString> findIn(const QStringList& children, const QString& wanted)
{
    for (const QString& child : children)
        if (sameName(child, wanted))
            return child;
    return std::nullopt;
}

QStringList sectionParts(std::string_view section)
{
    QStringList parts;
    size_t start = 0;
    while (start <= section.size()) {
        const size_t end = std::min(section.find('\\', start), section.size());
        if (end > start)
            parts.append(escapeProfileName(section.substr(start, end - start)));
        start = end + 1;
    }
    return parts;
}

std::optional<int32_t> parseInt(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    int32_t parsed = 0;
    const char* end = bytes.constData() + bytes.size();
    const auto [ptr, ec] = std::from_chars(bytes.constData(), end, parsed);
    if (ec != std::errc() || ptr != end || bytes.isEmpty())
        return std::nullopt;
    return parsed;
}

bool isBinary(const QVariant& v)
{
    return v.typeId() == QMetaType::QByteArray;
}

// QSettings only finds out when it writes, and then says nothing.
std::optional<std::string> unwritableReason(const std::filesystem::path& file)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (std::filesystem::is_directory(status))
        return file.string() + " is a folder";
    if (std::filesystem::exists(status)) {
        if (::access(file.c_str(), W_OK) == 0)
            return std::nullopt;
        return file.string() + ": " + std::generic_category().message(errno);
    }
    // A missing file is made with its folders: the nearest existing one decides.
    std::filesystem::path folder = file.parent_path();
    while (!folder.empty() && folder != folder.root_path() && !std::filesystem::exists(folder, error))
        folder = folder.parent_path();
    if (folder.empty())
        folder = ".";
    if (std::filesystem::is_directory(folder, error) && ::access(folder.c_str(), W_OK | X_OK) == 0)
        return std::nullopt;
    return "the folder " + folder.string() + " cannot be written";
}


// A kill while the settings are written leaves QSettings' lock file beside
// them, sometimes still empty; every later save would wait on it. One whose
// owner is gone, or that names no owner, is removed before the first read.
void removeStaleLock(const QString& iniPath)
{
    const QString lockPath = iniPath + QStringLiteral(".lock");
    if (!QFileInfo::exists(lockPath))
        return;
    QLockFile lock(lockPath);
    qint64 pid = 0;
    QString host, application;
    const bool named = lock.getLockInfo(&pid, &host, &application);
    const bool ownerGone = named && host == QSysInfo::machineHostName() && pid > 0
        && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
    if (!named || ownerGone)
        lock.removeStaleLockFile();
}

// Where QSettings keeps the user's file of our names. Asking a QSettings
// would read that file, and the company's and the system's beside it, first.
QString userSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
           + kOrganization + QLatin1Char('/') + kApplication + QStringLiteral(".ini");
}

} // namespace

std::optional<std::string> settingsFileRefusal(const std::filesystem::path& file)
{
    std::error_code missing;
    if (std::filesystem::symlink_status(file, missing).type() == std::filesystem::file_type::not_found)
        return std::nullopt;
    std::string reason;
    if (InputFile::open(file, kMaxSettingsFileBytes, reason))
        return std::nullopt;
    return file.string() + ": " + reason;
}

QString escapeProfileName(std::string_view name)
{
    QString escaped;
    for (const QChar c : QString::fromUtf8(name.data(), qsizetype(name.size()))) {
        if (c == QLatin1Char('%'))
            escaped += QStringLiteral("%25");
        else if (c == QLatin1Char('/'))
            escaped += QStringLiteral("%2F");
        else if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("%5C");
        else
            escaped += c;
    }
    return escaped;
}

std::string unescapeProfileName(const QString& stored)
{
    QString name;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QStringView code = QStringView(stored).mid(i, 3);
        if (code.compare(u"%25", Qt::CaseInsensitive) == 0)
            name += QLatin1Char('%');
        else if (code.compare(u"%2F", Qt::CaseInsensitive) == 0)
            name += QLatin1Char('/');
        else if (code.compare(u"%5C", Qt::CaseInsensitive) == 0)
            name += QLatin1Char('\\');
        else {
            name += stored[i];
            continue;
        }
        i += 2;
    }
    return name.toStdString();
}

Profile::Profile()
{
    open(userSettingsPath());
}

Profile::Profile(const std::filesystem::path& iniFile)
{
    open(qtPath(iniFile));
}

Profile::~Profile() = default;

void Profile::open(const QString& path)
{
    const std::filesystem::path file = localPath(path);
    m_writeProblem = unwritableReason(file);
    // QSettings would wait for a writer on a FIFO and read a device forever,
    // and every save reads the lock file beside the settings first.
    std::filesystem::path lock = file;
    lock += ".lock";
    for (const std::filesystem::path& read : {file, lock}) {
        if (const std::optional<std::string> refusal = settingsFileRefusal(read)) {
            std::fprintf(stderr, "Settings could not be read (%s); starting with default settings that "
                                 "will not be saved.\n",
                         refusal->c_str());
            m_writeProblem = refusal;
            useScratch();
            return;
        }
    }
    removeStaleLock(path);
    m_settings = std::make_unique<LockedSettings>(path, m_mutex);
    if (m_settings->status() == QSettings::FormatError)
        setAside(path);
}

// A file QSettings can't parse would be rewritten without the parts it
// skipped; keep it aside for the user and start from defaults.
void Profile::setAside(const QString& path)
{
    m_settings.reset();
    const std::filesystem::path from = localPath(path);
    std::filesystem::path to = from;
    to += ".bad";
    std::error_code error;
    std::filesystem::rename(from, to, error);
    if (!error) {
        m_setAside = to;
        std::fprintf(stderr, "Settings file %s could not be read (format error); moved to %s, "
                             "starting with default settings.\n",
                     from.c_str(), to.c_str());
        m_settings = std::make_unique<LockedSettings>(path, m_mutex);
        return;
    }
    std::fprintf(stderr, "Settings file %s could not be read (format error) nor moved aside (%s); "
                         "starting with default settings that will not be saved.\n",
                 from.c_str(), error.message().c_str());
    useScratch();
}

void Profile::useScratch()
{
    m_scratch = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<LockedSettings>(
        m_scratch->filePath(QStringLiteral("settings.ini")), m_mutex);
}

QStringList Profile::childGroups(const QString& group) const
{
    m_settings->beginGroup(group);
    QStringList children = m_settings->childGroups();
    m_settings->endGroup();
    return children;
}

QStringList Profile::childKeys(const QString& group) const
{
    m_settings->beginGroup(group);
    QStringList children = m_settings->childKeys();
    m_settings->endGroup();
    return children;
}

std::optional<QString> Profile::findGroup(std::string_view section) const
{
    QString group;
    for (const QString& part : sectionParts(section)) {
        const std::optional<QString> stored = findIn(childGroups(group), part);
        if (!stored)
            return std::nullopt;
        group = joinGroup(group, *stored);
    }
    return group;
}

QString Profile::groupForWrite(std::string_view section) const
{
    QString group;
    bool existing = true;
    for (const QString& part : sectionParts(section)) {
        std::optional<QString> stored;
        if (existing)
            stored = findIn(childGroups(group), part);
        existing = stored.has_value();
        group = joinGroup(group, stored.value_or(part));
    }
    return group;
}

std::optional<QString> Profile::findKey(const QString& group, std::string_view name) const
{
    return findIn(childKeys(group), escapeProfileName(name));
}

QVariant Profile::value(std::string_view section, std::string_view name) const
{
    const std::optional<QString> group = findGroup(section);
    if (!group)
        return {};
    const std::optional<QString> key = findKey(*group, name);
    return key ? m_settings->value(joinGroup(*group, *key)) : QVariant();
}

void Profile::setValue(std::string_view section, std::string_view name, const QVariant& value)
{
    const QString group = groupForWrite(section);
    const QString key = findKey(group, name).value_or(escapeProfileName(name));
    m_settings->setValue(joinGroup(group, key), value);
}

int32_t Profile::readInt(std::string_view section, std::string_view name,
                         int32_t defaultValue) const
{
    const std::lock_guard lock(m_mutex);
    const QVariant v = value(section, name);
    if (!v.isValid() || isBinary(v))
        return defaultValue;
    if (v.typeId() == QMetaType::Int)
        return v.toInt();
    return parseInt(v.toString()).value_or(defaultValue);
}

std::string Profile::readString(std::string_view section, std::string_view name,
                                std::string_view defaultValue) const
{
    const std::lock_guard lock(m_mutex);
    const QVariant v = value(section, name);
    if (!v.isValid() || isBinary(v))
        return std::string(defaultValue);
    // An unquoted "a, b" typed into the file reads back as a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", ")).toStdString();
    return v.toString().toStdString();
}

std::optional<std::vector<uint8_t>> Profile::readBinary(std::string_view section,
                                                        std::string_view name) const
{
    const std::lock_guard lock(m_mutex);
    const QVariant v = value(section, name);
    if (!isBinary(v))
        return std::nullopt;
    const QByteArray bytes = v.toByteArray();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void Profile::writeInt(std::string_view section, std::string_view name, int32_t value)
{
    const std::lock_guard lock(m_mutex);
    setValue(section, name, QVariant(int(value)));
}

void Profile::writeString(std::string_view section, std::string_view name,
                          std::string_view value)
{
    const std::lock_guard lock(m_mutex);
    setValue(section, name, QString::fromUtf8(value.data(), qsizetype(value.size())));
}

void Profile::writeBinary(std::string_view section, std::string_view name,
                          const std::vector<uint8_t>& value)
{
    const std::lock_guard lock(m_mutex);
    setValue(section, name,
             QByteArray(reinterpret_cast<const char*>(value.data()), qsizetype(value.size())));
}

std::vector<IProfile::ValueName> Profile::valueNames(std::string_view section) const
{
    const std::lock_guard lock(m_mutex);
    std::vector<ValueName> names;
    const std::optional<QString> group = findGroup(section);
    if (!group)
        return names;
    for (const QString& key : childKeys(*group))
        names.push_back({unescapeProfileName(key),
                         isBinary(m_settings->value(joinGroup(*group, key)))});
    return names;
}

void Profile::removeValue(std::string_view section, std::string_view name)
{
    const std::lock_guard lock(m_mutex);
    const std::optional<QString> group = findGroup(section);
    if (!group)
        return;
    if (const std::optional<QString> key = findKey(*group, name))
        m_settings->remove(joinGroup(*group, *key));
}

void Profile::removeSection(std::string_view section)
{
    const std::lock_guard lock(m_mutex);
    const std::optional<QString> group = findGroup(section);
    if (group && !group->isEmpty())
        m_settings->remove(*group);
}

bool Profile::sync()
{
    const std::lock_guard lock(m_mutex);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

} // namespace rz
