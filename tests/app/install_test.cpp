// `cmake --install` of this build into a folder of its own: the installed
// program finds its tips and its manual under share/.

#include "app/startup_steps.h"
#include "core/profile.h"
#include "core/tips.h"
#include "ui/help_opener.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace rz {
namespace {

namespace fs = std::filesystem;

TEST(Install, TheInstalledProgramFindsItsTipsAndItsManual)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    QProcess install;
    install.start(RZ_CMAKE_COMMAND, {"--install", RZ_BUILD_DIR, "--prefix", prefix.path()});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

    const fs::path root = prefix.path().toStdString();
    const fs::path program = root / RZ_INSTALL_BINDIR;
    ASSERT_TRUE(fs::is_regular_file(program / "devu-rizoraz"));
    const fs::path tips = tipsFile(program);
    EXPECT_EQ(tips, root / "share" / "devu-rizoraz" / "tips.txt");
    MemoryProfile profile;
    const TipOfTheDay tip(profile, tips);
    EXPECT_NE(tip.text(), kTipsFileMissing);
    EXPECT_TRUE(fs::is_regular_file(helpFolderFor(program) / "Welcome.htm"));
}

} // namespace
} // namespace rz
