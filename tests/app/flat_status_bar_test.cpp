#include "app/flat_status_bar.h"

#include <QImage>

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(FlatStatusBar, PartsEndAtTheirDistancesFromTheRightAndCollapseWhenNarrow)
{
    const struct {
        int width;
        int ends[4];
    } cases[] = {
        {1120, {610, 920, 1020, 1120}},
        {509, {0, 309, 409, 509}},
        {150, {0, 0, 50, 150}},
        {0, {0, 0, 0, 0}},
    };
    QWidget parent;
    FlatStatusBar bar(&parent);
    for (const auto& c : cases) {
        bar.resize(c.width, 24);
        int left = 0;
        for (int i = 0; i < FlatStatusBar::kParts; ++i) {
            const QRect part = bar.partRect(i);
            EXPECT_EQ(part.left(), left) << c.width << " part " << i;
            EXPECT_EQ(part.left() + part.width(), c.ends[i]) << c.width << " part " << i;
            EXPECT_GE(part.width(), 0);
            left = c.ends[i];
        }
    }
}

TEST(FlatStatusBar, PaintsWhiteTextOnBlackInsideEachPart)
{
    QWidget parent;
    FlatStatusBar bar(&parent);
    bar.resize(1120, 24);
    bar.setPartText(0, "&Ready");
    bar.setPartText(3, "12:34");
    bar.setPartText(7, "ignored");
    EXPECT_EQ(bar.partText(0), "&Ready"); // no prefix processing: kept as given
    EXPECT_EQ(bar.partText(7), QString());
    const QImage picture = bar.grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(picture.pixelColor(1, 20), QColor(Qt::black)); // left of the 2-pixel inset
    auto bright = [&](QRect area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (picture.pixelColor(x, y).lightness() > 200)
                    return true;
        return false;
    };
    EXPECT_TRUE(bright(QRect(2, 2, 80, 20)));
    EXPECT_TRUE(bright(QRect(1022, 2, 90, 20)));
    EXPECT_FALSE(bright(QRect(610, 0, 300, 24))); // part 1 is empty
}

} // namespace
} // namespace rz
