#include "ui/color_ref.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace rz {
namespace {

constexpr Color kMagenta = 0xFF00FF;

QImage filled(int w, int h, QColor colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(colour);
    return image;
}

TEST(ColorRef, ConvertsBlueInTheHighByte)
{
    const struct {
        Color ref;
        QColor colour;
    } cases[] = {
        {0x38140C, QColor(12, 20, 56)},
        {0xD1CCCE, QColor(206, 204, 209)},
        {0x0EF0FF, QColor(255, 240, 14)},
        {0x000000, QColor(0, 0, 0)},
        {0xFFFFFF, QColor(255, 255, 255)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fromColorRef(c.ref), c.colour) << std::hex << c.ref;
        EXPECT_EQ(toColorRef(c.colour), c.ref) << std::hex << c.ref;
    }
    EXPECT_EQ(fromColorRef(0xAB38140C), QColor(12, 20, 56)); // top byte ignored
    EXPECT_EQ(toColorRef(QColor(12, 20, 56, 7)), 0x38140Cu); // alpha dropped
}

TEST(TransparentBitmap, KeyOnlyImageLeavesTargetAndSourceUnchanged)
{
    QImage target = filled(20, 20, QColor(10, 20, 30));
    const QImage source = filled(8, 8, fromColorRef(kMagenta));
    const QImage sourceBefore = source.copy();
    {
        QPainter painter(&target);
        DrawTransparentBitmap(painter, source, QPoint(4, 4), kMagenta);
    }
    for (const QPoint p : {QPoint(4, 4), QPoint(7, 8), QPoint(11, 11), QPoint(0, 0)})
        EXPECT_EQ(target.pixelColor(p), QColor(10, 20, 30)) << p.x() << "," << p.y();
    EXPECT_EQ(source, sourceBefore);
}

TEST(TransparentBitmap, DrawsEveryPixelThatIsNotExactlyTheKey)
{
    QImage target = filled(20, 20, QColor(10, 20, 30));
    QImage source = filled(4, 4, fromColorRef(kMagenta), QImage::Format_ARGB32);
    source.setPixelColor(0, 0, QColor(255, 0, 254)); // one step from the key
    source.setPixelColor(3, 3, QColor(0, 0, 255));
    const QImage sourceBefore = source.copy();
    {
        QPainter painter(&target);
        DrawTransparentBitmap(painter, source, QPoint(2, 5), kMagenta);
    }
    EXPECT_EQ(target.pixelColor(2, 5), QColor(255, 0, 254));
    EXPECT_EQ(target.pixelColor(5, 8), QColor(0, 0, 255));
    EXPECT_EQ(target.pixelColor(3, 6), QColor(10, 20, 30)); // key pixel
    EXPECT_EQ(target.pixelColor(6, 5), QColor(10, 20, 30)); // right of the image
    EXPECT_EQ(source, sourceBefore);
}

} // namespace
} // namespace rz
