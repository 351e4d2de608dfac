#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace rz {

class IProfile;

// The desktop services that keep the screen saver and system sleep away.
class ISessionBus {
public:
    virtual ~ISessionBus() = default;

    // False when neither bus can be reached.
    virtual bool connected() const = 0;
    // The screen saver's cookie, or nothing when it refused.
    virtual std::optional<uint32_t> inhibitScreenSaver(const QString& application,
                                                       const QString& reason) = 0;
    virtual void uninhibitScreenSaver(uint32_t cookie) = 0;
    // Takes the login manager's sleep block and holds its descriptor;
    // false when it refused.
    virtual bool takeSleepBlock(const QString& who, const QString& why) = 0;
    // Closes the held descriptor, which ends the block.
    virtual void releaseSleepBlock() = 0;
};

// The session and system D-Bus: org.freedesktop.ScreenSaver and
// org.freedesktop.login1.
std::unique_ptr<ISessionBus> makeDBusSessionBus();

// Keeps the screen saver away while the main window is active and
// "OSoptions" "noscreensave" is set, and system sleep away while
// "OSoptions" "nosuspend" is set. Without a bus it does nothing, after one
// line to standard error. The bus must outlive it. GUI thread.
class SessionInhibitor {
public:
    SessionInhibitor(IProfile& profile, ISessionBus& bus);
    ~SessionInhibitor();
    SessionInhibitor(const SessionInhibitor&) = delete;
    SessionInhibitor& operator=(const SessionInhibitor&) = delete;

    // The main window became active or inactive.
    void setWindowActive(bool active);
    // Re-reads both options (after the options dialog).
    void reloadSettings();

    bool screenSaverInhibited() const { return m_cookie.has_value(); }
    bool sleepBlocked() const { return m_sleepBlocked; }

private:
    bool busUsable();
    void updateScreenSaver();
    void updateSleep();

    IProfile& m_profile;
    ISessionBus& m_bus;
    bool m_active = false;
    bool m_noScreenSave = false;
    bool m_noSuspend = false;
    bool m_reported = false;
    bool m_sleepBlocked = false;
    std::optional<uint32_t> m_cookie;
};

} // namespace rz
