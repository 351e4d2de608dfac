#include "ui/flat_combo_box_ex.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(FlatComboBoxEx, SelectsByGridValueOrNothing)
{
    FlatComboBoxEx box;
    ASSERT_EQ(box.count(), 9);
    const int values[] = {240, 160, 120, 80, 60, 40, 30, 20, 15};
    for (int i = 0; i < 9; ++i) {
        box.selectByValue(values[i]);
        EXPECT_EQ(box.currentIndex(), i);
        EXPECT_EQ(box.selectedValue(), values[i]);
        EXPECT_FALSE(box.itemIcon(i).isNull());
    }
    box.selectByValue(48); // a quintuplet length
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_FALSE(box.selectedValue().has_value());
}

TEST(FlatComboBoxEx, NoteImagesHaveWhiteKeyedOut)
{
    FlatComboBoxEx box;
    const QImage image = box.itemIcon(0).pixmap(QSize(16, 16)).toImage();
    ASSERT_EQ(image.size(), QSize(16, 16));
    EXPECT_EQ(image.pixelColor(15, 15).alpha(), 0); // white corner
    EXPECT_EQ(image.pixelColor(7, 8), QColor(Qt::black)); // the stem
}

} // namespace
} // namespace rz
