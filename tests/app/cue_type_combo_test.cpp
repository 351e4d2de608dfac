#include "dialogs/cue_type_combo.h"
#include "app_test_fixture.h"

#include "song/cue.h"
#include "views/cue_flag_painter.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace rz {
namespace {

QRgb rgbOf(Color c)
{
    return qRgb(colorRed(c), colorGreen(c), colorBlue(c));
}

struct FlagRender {
    QImage image{240, 40, QImage::Format_RGB32};
    QRect flag;
};

FlagRender renderFlag(const CCue& cue, uint32_t stamp, Color fill)
{
    FlagRender out;
    out.image.fill(Qt::white);
    QPainter painter(&out.image);
    const QFontMetrics metrics(CueFlagPainter::flagFont());
    out.flag = CueFlagPainter::GetFlagRect(cue, metrics, 20, 180, 10);
    CueFlagPainter::DrawFlag(painter, cue, out.flag, 20, 180, stamp, fill, ColorLuminance(fill));
    return out;
}

TEST(CueTypeComboDrawFlag, ShowsTheFillAndTheOutlineWhenTheStampMatches)
{
    CCue cue;
    cue.kind = kCueVamp;
    cue.selectionStamp = 5;
    const Color fill = makeColor(40, 160, 220);
    FlagRender plain = renderFlag(cue, 4, fill);
    EXPECT_EQ(plain.flag, QRect(QPoint(12, 10), QPoint(187, 23)));
    EXPECT_EQ(plain.image.pixel(60, 14), rgbOf(fill));
    EXPECT_EQ(plain.image.pixel(12, 10), rgbOf(ShadeColor(fill, 180))); // raised border
    EXPECT_EQ(plain.image.pixel(100, 24), rgbOf(ShadeColor(fill, 110))); // second span line

    FlagRender selected = renderFlag(cue, 5, fill);
    EXPECT_EQ(selected.image.pixel(12, 10), qRgb(0, 0, 0));
    EXPECT_EQ(selected.image.pixel(14, 12), qRgb(0, 0, 0)); // a handle inside
    EXPECT_EQ(selected.image.pixel(60, 14), rgbOf(fill));
    // A cue marked never-selected ignores the stamp.
    cue.selectedState = -1;
    EXPECT_EQ(renderFlag(cue, 5, fill).image.pixel(12, 10), rgbOf(ShadeColor(fill, 180)));
}

TEST(CueTypeComboDrawFlag, AKindOutsideTheTableDrawsAsAMarker)
{
    CCue marker;
    CCue stray;
    stray.kind = 42;
    const Color fill = makeColor(200, 200, 40);
    EXPECT_EQ(renderFlag(stray, 0, fill).image, renderFlag(marker, 0, fill).image);
    EXPECT_NE(renderFlag(stray, 0, fill).image.pixel(20, 14), rgbOf(fill)); // the Marker image
}

TEST(CueTypeComboDrawFlag, AFlagThatWouldStartLeftOfTheViewStartsAtZero)
{
    CCue cue;
    const QFontMetrics metrics(CueFlagPainter::flagFont());
    const QRect rect = CueFlagPainter::GetFlagRect(cue, metrics, 2, 2, 0);
    EXPECT_EQ(rect.left(), 0);
    EXPECT_EQ(rect.right() + 1, 16);
    cue.name = "Chorus";
    EXPECT_EQ(CueFlagPainter::GetFlagWidth(cue, metrics),
              metrics.horizontalAdvance("Chorus") + CueFlagPainter::kLabelExtra);
    EXPECT_EQ(CueFlagPainter::GetFlagRect(cue, metrics, 30, 30, 0).left(), 22);
}

class CueTypeComboApp : public AppFixture {};

TEST_F(CueTypeComboApp, TheProgramInstallsTheFlagPainter)
{
    setCueFlagPaintHook({});
    start();
    EXPECT_TRUE(bool(cueFlagPaintHook()));
    setCueFlagPaintHook({});
}

} // namespace
} // namespace rz
