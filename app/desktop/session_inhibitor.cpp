#include "app/desktop/session_inhibitor.h"

#include "core/profile.h"
#include "core/settings.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>

#include <cstdio>

namespace rz {
namespace {

const char* const kReason = "Performing live";

QDBusMessage screenSaverCall(const QString& method)
{
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.ScreenSaver"),
                                          QStringLiteral("/org/freedesktop/ScreenSaver"),
                                          QStringLiteral("org.freedesktop.ScreenSaver"), method);
}

class DBusSessionBus : public ISessionBus {
public:
    bool connected() const override
    {
        return QDBusConnection::sessionBus().isConnected() ||
               QDBusConnection::systemBus().isConnected();
    }

    std::optional<uint32_t> inhibitScreenSaver(const QString& application,
                                               const QString& reason) override
    {
        QDBusMessage call = screenSaverCall(QStringLiteral("Inhibit"));
        call << application << reason;
        const QDBusReply<uint32_t> reply = QDBusConnection::sessionBus().call(call);
        if (!reply.isValid())
            return std::nullopt;
        return reply.value();
    }

    void uninhibitScreenSaver(uint32_t cookie) override
    {
        QDBusMessage call = screenSaverCall(QStringLiteral("UnInhibit"));
        call << cookie;
        QDBusConnection::sessionBus().call(call);
    }

    bool takeSleepBlock(const QString& who, const QString& why) override
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
        call << QStringLiteral("sleep") << who << why << QStringLiteral("block");
        const QDBusReply<QDBusUnixFileDescriptor> reply = QDBusConnection::systemBus().call(call);
        if (!reply.isValid() || !reply.value().isValid())
            return false;
        m_sleepBlock = reply.value(); // the block lasts while this descriptor is open
        return true;
    }

    void releaseSleepBlock() override { m_sleepBlock = QDBusUnixFileDescriptor(); }

private:
    QDBusUnixFileDescriptor m_sleepBlock;
};

} // namespace

std::unique_ptr<ISessionBus> makeDBusSessionBus()
{
    return std::make_unique<DBusSessionBus>();
}

SessionInhibitor::SessionInhibitor(IProfile& profile, ISessionBus& bus)
    : m_profile(profile), m_bus(bus)
{
    reloadSettings();
}

SessionInhibitor::~SessionInhibitor()
{
    m_active = false;
    m_noScreenSave = false;
    m_noSuspend = false;
    updateScreenSaver();
    updateSleep();
}

void SessionInhibitor::setWindowActive(bool active)
{
    m_active = active;
    updateScreenSaver();
}

void SessionInhibitor::reloadSettings()
{
    m_noScreenSave = readSetting(m_profile, settings::kNoScreenSave) != 0;
    m_noSuspend = readSetting(m_profile, settings::kNoSuspend) != 0;
    updateScreenSaver();
    updateSleep();
}

// Reports a missing bus once, the first time it is needed.
bool SessionInhibitor::busUsable()
{
    if (m_bus.connected())
        return true;
    if (!m_reported)
        std::fputs("no D-Bus: the screen saver and system sleep are not held off\n", stderr);
    m_reported = true;
    return false;
}

void SessionInhibitor::updateScreenSaver()
{
    const bool wanted = m_active && m_noScreenSave;
    if (wanted && !m_cookie && busUsable())
        m_cookie = m_bus.inhibitScreenSaver(QCoreApplication::applicationName(),
                                            QString::fromLatin1(kReason));
    else if (!wanted && m_cookie) {
        m_bus.uninhibitScreenSaver(*m_cookie);
        m_cookie.reset();
    }
}

void SessionInhibitor::updateSleep()
{
    if (m_noSuspend && !m_sleepBlocked && busUsable())
        m_sleepBlocked = m_bus.takeSleepBlock(QCoreApplication::applicationName(),
                                              QString::fromLatin1(kReason));
    else if (!m_noSuspend && m_sleepBlocked) {
        m_bus.releaseSleepBlock();
        m_sleepBlocked = false;
    }
}

} // namespace rz
