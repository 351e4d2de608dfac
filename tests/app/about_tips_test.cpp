#include "app/about_dlg.h"

#include "app/app.h"
#include "app/main_frame.h"
#include "core/profile.h"
#include "core/tips.h"
#include "tests/app/gui_events.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace rz {
namespace {

TEST(AboutBox, ShowsTheProjectVersion)
{
    const int patch = RZ_TEST_VERSION_PATCH + 0;
    const QString expected = QStringLiteral("DEVU Rizoraz\u00AE DO4 (release %1.%2.%3)")
                                 .arg(RZ_TEST_VERSION_MAJOR)
                                 .arg(RZ_TEST_VERSION_MINOR, 2, 10, QLatin1Char('0'))
                                 .arg(patch, 2, 10, QLatin1Char('0'));
    CAboutDlg dialog(App::GetExeFileVersion(), QStringLiteral("https://example.invalid"));
    EXPECT_EQ(dialog.versionLabel()->text(), expected);
    EXPECT_EQ(aboutVersionLine(40203), QStringLiteral("DEVU Rizoraz\u00AE DO4 (release 4.02.03)"));
}

TEST(AboutBox, EmptyHomepageHidesTheAddressAndItsUnderline)
{
    CAboutDlg with(10000, QStringLiteral("https://example.invalid"));
    with.show();
    EXPECT_TRUE(with.addressLabel()->isVisible());
    EXPECT_TRUE(with.underscoreLabel()->text().startsWith('_'));
    CAboutDlg without(10000, QString());
    without.show();
    EXPECT_FALSE(without.addressLabel()->isVisible());
    EXPECT_FALSE(without.underscoreLabel()->isVisible());
}

TEST(AboutBox, UnderscoresReachTheAddressLessTwoPixels)
{
    const struct {
        int address, underscore, count;
    } cases[] = {{100, 7, 14}, {100, 14, 7}, {100, 7, 14}, {23, 7, 3}, {24, 7, 4}, {0, 7, 1},
                 {50, 0, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(underscoreCount(c.address, c.underscore), c.count)
            << c.address << " / " << c.underscore;
        EXPECT_GE(c.count * std::max(c.underscore, 0), std::min(c.address - 2, c.count * c.underscore));
    }
}

// The program's splash shows for four seconds; the test shortens the wait.
TEST(Splash, ClosesByItselfAfterItsShowTime)
{
    EXPECT_EQ(CSplashWnd::kShowMs, 4000);
    QPointer<CSplashWnd> program = new CSplashWnd;
    EXPECT_EQ(program->showMs(), CSplashWnd::kShowMs);
    delete program.data();

    constexpr int kShortMs = 400;
    QPointer<CSplashWnd> splash = new CSplashWnd(kShortMs);
    QElapsedTimer shown;
    shown.start();
    ASSERT_TRUE(splash->Create());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_TRUE(processUntil([&] { return splash.isNull(); }, 15000));
    EXPECT_GE(shown.elapsed(), kShortMs - 50);
}

TEST(Splash, ClickClosesIt)
{
    QPointer<CSplashWnd> splash = new CSplashWnd;
    ASSERT_TRUE(splash->Create());
    QTest::mouseClick(splash, Qt::LeftButton);
    EXPECT_TRUE(processUntil([&] { return splash.isNull() || !splash->isVisible(); }, 2000));
    delete splash.data();
}

class TipOfTheDayDialog : public testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path()
                 / ("rz_tipdlg_" + std::to_string(::getpid()) + "_"
                    + testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        file = folder / "tips.txt";
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::filesystem::path file;
    MemoryProfile profile;
};

TEST_F(TipOfTheDayDialog, NextTipWrapsAround)
{
    std::ofstream(file) << "; tips\nOne\nTwo\n";
    TipOfTheDay tips(profile, file);
    CTipDlg dialog(tips);
    EXPECT_EQ(dialog.tipLabel()->text(), "One");
    EXPECT_TRUE(dialog.nextTip()->isEnabled());
    dialog.nextTip()->click();
    EXPECT_EQ(dialog.tipLabel()->text(), "Two");
    dialog.nextTip()->click();
    EXPECT_EQ(dialog.tipLabel()->text(), "One");
}

TEST_F(TipOfTheDayDialog, MissingFileGreysNextTip)
{
    TipOfTheDay tips(profile, file);
    CTipDlg dialog(tips);
    EXPECT_EQ(dialog.tipLabel()->text(), kTipsFileMissing);
    EXPECT_FALSE(dialog.nextTip()->isEnabled());
}

TEST_F(TipOfTheDayDialog, UncheckingStoresStartUpOne)
{
    std::ofstream(file) << "One\n";
    {
        TipOfTheDay tips(profile, file);
        CTipDlg dialog(tips);
        EXPECT_TRUE(dialog.showAtStartup()->isChecked());
        dialog.showAtStartup()->setChecked(false);
        dialog.accept();
    }
    EXPECT_EQ(profile.readInt("Tip", "StartUp", 0), 1);
}

TEST_F(TipOfTheDayDialog, PaintsTheStripAndTheWhiteArea)
{
    std::ofstream(file) << "One\n";
    TipOfTheDay tips(profile, file);
    CTipDlg dialog(tips);
    dialog.resize(420, 240);
    const QImage image = dialog.grab().toImage();
    EXPECT_EQ(image.pixelColor(12 + 30, 240 - 48 - 10), QColor(206, 204, 209));
    EXPECT_EQ(image.pixelColor(420 - 20, 240 - 48 - 4), QColor(Qt::white));
    EXPECT_NE(image.pixelColor(5, 5), QColor(Qt::white));
}

// The program run unattended, offscreen, with an empty home: the first tip
// of the shipped file goes to standard error.
TEST(TipOfTheDayProgram, UnattendedRunPrintsTheFirstTip)
{
    const QString root = QDir(qEnvironmentVariable("HOME")).filePath("tip-program");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* folder :
         {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
        const QString path = QDir(root).filePath(folder);
        QDir().mkpath(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                        | QFileDevice::ExeOwner);
        environment.insert(folder, path);
    }
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("JACK_DEFAULT_SERVER", QString("rz-no-server-%1").arg(getpid()));
    environment.insert("JACK_NO_START_SERVER", "1");
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(RZ_PROGRAM_PATH, {"--test-exit-after", "3000"});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0);
    const QByteArray errors = program.readAllStandardError();
    EXPECT_TRUE(errors.contains("Press Space to start playing the current song, and Space again "
                                "to stop it.\n"))
        << errors.constData();
}

} // namespace
} // namespace rz
