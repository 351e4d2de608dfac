// The cue kind list: its items, their kinds and the flags drawn beside them.

#include "dialogs/cue_type_combo.h"

#include "song/cue.h"
#include "views/cue_flag_painter.h"

#include <QAbstractItemView>
#include <QImage>
#include <QPainter>
#include <QStyleOptionViewItem>

#include <gtest/gtest.h>

namespace rz {
namespace {

QRgb rgbOf(Color c)
{
    return qRgb(colorRed(c), colorGreen(c), colorBlue(c));
}

// Distinct, clearly coloured fills by kind.
Color kindColor(int kind)
{
    return makeColor(20 + 20 * uint32_t(kind), 200 - 15 * uint32_t(kind), 90);
}

// One list item painted as the open list paints it, on white.
QImage paintItem(CueTypeCombo& combo, int index)
{
    QImage image(200, CueTypeCombo::kItemHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = image.rect();
    option.state = QStyle::State_Enabled;
    option.palette = combo.palette();
    combo.view()->itemDelegate()->paint(&painter, option, combo.model()->index(index, 0));
    return image;
}

class CueTypeComboFlags : public testing::Test {
protected:
    void SetUp() override
    {
        setCueFlagPaintHook(&CueFlagPainter::paintKindSample);
        combo.FillCueTypes();
        combo.setColorSource(kindColor);
    }
    void TearDown() override { setCueFlagPaintHook({}); }

    CueTypeCombo combo;
};

TEST_F(CueTypeComboFlags, IndexSevenIsKindEightWithItsFlag)
{
    EXPECT_EQ(combo.kindAt(7), kCueAdvanceCut);
    const QImage item = paintItem(combo, 7);
    // Inside the flag, between its border and the kind image.
    EXPECT_EQ(item.pixel(1, 8), rgbOf(kindColor(kCueAdvanceCut)));
    // The kind image sits two pixels in.
    EXPECT_NE(item.pixel(8, 7), rgbOf(kindColor(kCueAdvanceCut)));
    EXPECT_EQ(paintItem(combo, 0).pixel(1, 8), rgbOf(kindColor(kCueMarker)));
}

TEST_F(CueTypeComboFlags, KindNineSelectsIndexEight)
{
    EXPECT_EQ(combo.findData(kCueAdvance), 8);
    combo.setCurrentIndex(combo.findData(kCueAdvance));
    EXPECT_EQ(combo.kindAt(combo.currentIndex()), kCueAdvance);
    EXPECT_EQ(paintItem(combo, 8).pixel(1, 8), rgbOf(kindColor(kCueAdvance)));
    EXPECT_EQ(combo.findData(kCueUnused7), -1);
}

} // namespace
} // namespace rz
