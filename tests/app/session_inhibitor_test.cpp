#include "app/desktop/session_inhibitor.h"

#include "app/main_frame.h"
#include "core/profile.h"
#include "recording_frame_host.h"
#include "ui/command_router.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rz {
namespace {

class FakeSessionBus : public ISessionBus {
public:
    bool connected() const override { return online; }
    std::optional<uint32_t> inhibitScreenSaver(const QString&, const QString&) override
    {
        calls.push_back("Inhibit");
        return nextCookie;
    }
    void uninhibitScreenSaver(uint32_t cookie) override
    {
        calls.push_back("UnInhibit " + std::to_string(cookie));
    }
    bool takeSleepBlock(const QString&, const QString&) override
    {
        calls.push_back("sleep block");
        return sleepGranted;
    }
    void releaseSleepBlock() override { calls.push_back("sleep release"); }

    bool online = true;
    std::optional<uint32_t> nextCookie = 42;
    bool sleepGranted = true;
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

TEST(SessionInhibit, ScreenSaverHeldOffWhileActiveAndTheOptionIsSet)
{
    MemoryProfile profile;
    profile.writeInt("OSoptions", "noscreensave", 1);
    FakeSessionBus bus;
    SessionInhibitor inhibitor(profile, bus);
    EXPECT_TRUE(bus.calls.empty()); // not active yet
    inhibitor.setWindowActive(true);
    inhibitor.setWindowActive(true);
    EXPECT_TRUE(inhibitor.screenSaverInhibited());
    inhibitor.setWindowActive(false);
    inhibitor.setWindowActive(false);
    EXPECT_EQ(bus.calls, (Calls{"Inhibit", "UnInhibit 42"}));
    EXPECT_FALSE(inhibitor.screenSaverInhibited());

    inhibitor.setWindowActive(true);
    profile.writeInt("OSoptions", "noscreensave", 0);
    inhibitor.reloadSettings();
    EXPECT_EQ(bus.calls, (Calls{"Inhibit", "UnInhibit 42", "Inhibit", "UnInhibit 42"}));
}

TEST(SessionInhibit, WithoutTheOptionActivationAsksNothing)
{
    MemoryProfile profile;
    FakeSessionBus bus;
    SessionInhibitor inhibitor(profile, bus);
    inhibitor.setWindowActive(true);
    inhibitor.setWindowActive(false);
    EXPECT_TRUE(bus.calls.empty());
}

TEST(SessionInhibit, SleepBlockHeldWhileTheOptionIsSetAndReleasedAtTheEnd)
{
    MemoryProfile profile;
    profile.writeInt("OSoptions", "nosuspend", 1);
    FakeSessionBus bus;
    {
        SessionInhibitor inhibitor(profile, bus);
        EXPECT_TRUE(inhibitor.sleepBlocked());
        inhibitor.setWindowActive(true); // activation does not matter for sleep
        inhibitor.reloadSettings();
        profile.writeInt("OSoptions", "nosuspend", 0);
        inhibitor.reloadSettings();
        EXPECT_FALSE(inhibitor.sleepBlocked());
        profile.writeInt("OSoptions", "nosuspend", 1);
        inhibitor.reloadSettings();
    }
    EXPECT_EQ(bus.calls, (Calls{"sleep block", "sleep release", "sleep block", "sleep release"}));
}

TEST(SessionInhibit, ARefusalIsNotHeldAndNoBusMeansNothingAtAll)
{
    MemoryProfile profile;
    profile.writeInt("OSoptions", "noscreensave", 1);
    profile.writeInt("OSoptions", "nosuspend", 1);
    FakeSessionBus refusing;
    refusing.nextCookie.reset();
    refusing.sleepGranted = false;
    {
        SessionInhibitor inhibitor(profile, refusing);
        inhibitor.setWindowActive(true);
        EXPECT_FALSE(inhibitor.screenSaverInhibited());
        EXPECT_FALSE(inhibitor.sleepBlocked());
        inhibitor.setWindowActive(false);
    }
    EXPECT_EQ(refusing.calls, (Calls{"sleep block", "Inhibit"}));

    FakeSessionBus offline;
    offline.online = false;
    testing::internal::CaptureStderr();
    {
        SessionInhibitor inhibitor(profile, offline);
        inhibitor.setWindowActive(true);
        inhibitor.setWindowActive(false);
        inhibitor.setWindowActive(true);
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(offline.calls.empty());
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

TEST(SessionInhibit, TheMainWindowsActivationDrivesIt)
{
    MemoryProfile profile;
    profile.writeInt("OSoptions", "noscreensave", 1);
    FakeSessionBus bus;
    SessionInhibitor inhibitor(profile, bus);
    CommandRouter router;
    RecordingFrameHost host;
    MainFrame frame(profile, router, host);
    frame.setSessionInhibitor(&inhibitor);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    EXPECT_TRUE(inhibitor.screenSaverInhibited());
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(inhibitor.screenSaverInhibited());
    EXPECT_EQ(bus.calls, (Calls{"Inhibit", "UnInhibit 42"}));
}

} // namespace
} // namespace rz
