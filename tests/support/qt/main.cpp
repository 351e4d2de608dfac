// The Qt tests' main: each run (CTest runs every case on its own) gets its
// own HOME and XDG folders before QApplication reads them, and the offscreen
// platform with a fixed 1600x1000, 96 dpi screen whatever platform the
// caller's environment names: the tests' pixel positions rely on that screen.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <sys/stat.h>

namespace {

std::filesystem::path makeRunFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "rz-app-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return {};
    const std::filesystem::path root = pattern;
    const struct {
        const char* variable;
        const char* folder;
    } kFolders[] = {
        {"HOME", "home"},
        {"XDG_CONFIG_HOME", "config"},
        {"XDG_DATA_HOME", "data"},
        {"XDG_CACHE_HOME", "cache"},
        {"XDG_STATE_HOME", "state"},
        {"XDG_RUNTIME_DIR", "runtime"},
    };
    for (const auto& [variable, folder] : kFolders) {
        const std::filesystem::path path = root / folder;
        std::filesystem::create_directories(path);
        setenv(variable, path.c_str(), 1);
    }
    chmod((root / "runtime").c_str(), 0700); // Qt refuses a runtime folder others can read
    return root;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path runFolder = makeRunFolder();
    if (runFolder.empty())
        return 2;
    const std::string platform = std::string("offscreen:configfile=") + RZ_TEST_SCREENS_JSON;
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    int status = 0;
    {
        QApplication app(argc, argv);
        testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(runFolder, ignored);
    return status;
}
