#include "app/main_frame.h"
#include "core/profile.h"
#include "recording_frame_host.h"
#include "ui/command_router.h"
#include "ui/font_substitutions.h"
#include "ui/menu_style.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QImage>

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(FontSubstitution, TheProgramsFacesMapOntoInstalledOnes)
{
    installFontSubstitutions();
    const struct {
        const char* family;
        const char* face;
    } cases[] = {
        {"Tahoma", "DejaVu Sans"},          {"Verdana", "DejaVu Sans"},
        {"Arial", "Liberation Sans"},       {"Times New Roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"}, {"OCR A Extended", "DejaVu Sans Mono"},
        {"Arial Narrow", "DejaVu Sans Condensed"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QFontInfo(QFont(c.family)).family(), c.face) << c.family;
    // Qt keeps the names in lower case.
    EXPECT_EQ(QFont::substitutes("Arial Narrow"),
              (QStringList{"dejavu sans condensed", "liberation sans"}));
}

TEST(FontSubstitution, NegativeHeightsArePixelSizes)
{
    const QFont font = programFont("Verdana", -15);
    EXPECT_EQ(font.pixelSize(), 15);
    EXPECT_EQ(programFont("Tahoma", -13, 600).weight(), QFont::DemiBold);
    EXPECT_GT(programFont("Arial", 16).pixelSize(), 10);
    EXPECT_LT(programFont("Arial", 16).pixelSize(), 16);
}

// Writes main.png into the test's working folder (the build tree) for a
// person to look at; checks a few pixels.
TEST(MainFrameScreenshot, WritesTheMainWindow)
{
    MemoryProfile profile;
    CommandRouter router;
    RecordingFrameHost host;
    MainFrame frame(profile, router, host);
    frame.setWindowTitle("DEVU Rizoraz - Untitled");
    frame.setGeometry(0, 0, 1600, 1000);
    frame.show();
    QApplication::processEvents();
    const QImage shot = frame.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(1600, 1000));
    const QString path = QDir::current().filePath("main.png");
    EXPECT_TRUE(shot.save(path)) << path.toStdString();

    EXPECT_EQ(shot.pixelColor(800, 800), QColor(Qt::white));            // the editor pane
    EXPECT_EQ(shot.pixelColor(700, 985), QColor(Qt::black));            // the status bar
    EXPECT_NE(shot.pixelColor(300, 15), shot.pixelColor(800, 800));     // the caption
}

} // namespace
} // namespace rz
