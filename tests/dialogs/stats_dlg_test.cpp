// "Stats": the histogram drawn as columns on white, scaled to the largest bin.

#include "dialogs/stats_dlg.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

int columnHeight(const QImage& image, int x, QRgb color)
{
    int height = 0;
    for (int y = 0; y < image.height(); ++y)
        height += image.pixel(x, y) == color ? 1 : 0;
    return height;
}

TEST(StatsPicture, NoNotesIsAWhitePicture)
{
    const QImage image = levelImage(LevelBins{});
    ASSERT_EQ(image.size(), QSize(256, 128));
    QImage white(image.size(), image.format());
    white.fill(Qt::white);
    EXPECT_EQ(image, white);
}

TEST(StatsPicture, ColumnsAreScaledToTheLargestAndRedAboveBinTwoHundred)
{
    LevelBins bins{};
    bins[198] = 1000;
    bins[252] = 500;
    bins[10] = 1; // tiny, still one pixel
    const QImage image = levelImage(bins);
    EXPECT_EQ(columnHeight(image, 198, qRgb(0, 0, 0)), 128);
    EXPECT_EQ(columnHeight(image, 252, qRgb(255, 0, 0)), 64);
    EXPECT_EQ(columnHeight(image, 10, qRgb(0, 0, 0)), 2);
    EXPECT_EQ(columnHeight(image, 11, qRgb(255, 255, 255)), 128);
}

} // namespace
} // namespace rz
