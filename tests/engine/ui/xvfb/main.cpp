// The editor-window tests need a real X11 window: they run under Xvfb on
// the xcb platform, each run with its own HOME and XDG folders.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "rz-xvfb-test-XXXXXX").string();
    if (mkdtemp(pattern.data())) {
        for (const char* variable :
             {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
            const std::filesystem::path path = std::filesystem::path(pattern) / variable;
            std::filesystem::create_directories(path);
            std::filesystem::permissions(path, std::filesystem::perms::owner_all);
            setenv(variable, path.c_str(), 1);
        }
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(pattern);
    return result;
}
