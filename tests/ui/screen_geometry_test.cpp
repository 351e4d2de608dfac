#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace rz {
namespace {

TEST(TestHarness, GivesEachRunItsOwnFoldersAndAFixedScreen)
{
    const char* home = std::getenv("HOME");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(home && runtime);
    EXPECT_NE(std::string(home).find("rz-app-test-"), std::string::npos);
    const auto perms = std::filesystem::status(runtime).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms::owner_all);

    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->geometry(), QRect(0, 0, 1600, 1000));
    EXPECT_DOUBLE_EQ(screen->logicalDotsPerInch(), 96.0);
}

} // namespace
} // namespace rz
