#include "ui/bitmap_catalog.h"
#include "ui/port_icons.h"

#include <QColor>

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(PortIcons, TheStripHoldsFiveCellsOnMagentaAndEachIconIsKeyed)
{
    const QImage& strip = BitmapCatalog::image(bitmap_id::kPortIcons);
    ASSERT_EQ(strip.size(), QSize(kPortIconWidth * kPortIconCount, kPortIconHeight));
    EXPECT_EQ(strip.pixelColor(0, 0), QColor(255, 0, 255));
    EXPECT_TRUE(portIcon(0).toImage().pixelColor(8, 7).alpha() == 0) << "cell 0 is blank";
    for (int icon = 1; icon < kPortIconCount; ++icon) {
        const QImage cell = portIcon(icon).toImage();
        ASSERT_EQ(cell.size(), QSize(kPortIconWidth, kPortIconHeight)) << icon;
        EXPECT_EQ(cell.pixelColor(0, 0).alpha(), 0) << icon << ": the corner is keyed out";
        EXPECT_EQ(cell.pixelColor(7, 7).alpha(), 255) << icon << ": the middle is drawn";
    }
    EXPECT_TRUE(portIcon(kPortIconCount).isNull());
}

} // namespace
} // namespace rz
