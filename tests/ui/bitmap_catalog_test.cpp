#include "ui/bitmap_catalog.h"

#include <QColor>

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(BitmapCatalog, ButtonStripsHoldFourFramesOfTheirSize)
{
    const struct {
        int id;
        QSize frame;
        bool magentaCorner;
    } cases[] = {
        {bitmap_id::kArrowUp, {17, 17}, false},  {bitmap_id::kArrowRight, {17, 17}, false},
        {bitmap_id::kZoomIn, {17, 17}, false},   {bitmap_id::kClose, {16, 16}, true},
        {bitmap_id::kRestore, {16, 16}, true},   {bitmap_id::kPlayStop, {50, 50}, true},
        {bitmap_id::kRecord, {30, 30}, true},    {bitmap_id::kTempo100, {22, 14}, true},
    };
    for (const auto& c : cases) {
        const QImage& strip = BitmapCatalog::image(c.id);
        EXPECT_EQ(strip.size(), QSize(c.frame.width() * kButtonFrames, c.frame.height())) << c.id;
        for (int frame = 0; frame < kButtonFrames; ++frame)
            EXPECT_EQ(strip.pixelColor(frame * c.frame.width(), 0) == QColor(255, 0, 255),
                      c.magentaCorner)
                << c.id << " frame " << frame;
    }
}

TEST(BitmapCatalog, PaintsOnceAndKnowsOnlyItsIds)
{
    EXPECT_EQ(&BitmapCatalog::image(bitmap_id::kGridNotes), &BitmapCatalog::image(bitmap_id::kGridNotes));
    EXPECT_EQ(BitmapCatalog::image(bitmap_id::kGridNotes).size(), QSize(9 * 16, 16));
    EXPECT_TRUE(BitmapCatalog::image(12345).isNull());
    EXPECT_FALSE(BitmapCatalog::contains(12345));
    EXPECT_TRUE(BitmapCatalog::contains(bitmap_id::kVolumeFaderThumb));
}

} // namespace
} // namespace rz
