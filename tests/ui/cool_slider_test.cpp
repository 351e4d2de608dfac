#include "mouse_events.h"
#include "ui/color_ref.h"
#include "ui/cool_slider.h"

#include <QImage>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <limits>

namespace rz {
namespace {

class SliderHarness : public testing::Test {
protected:
    CoolSlider& makeSlider(QSize size, int32_t value)
    {
        slider = new CoolSlider(&parent, 1024, value);
        slider->resize(size);
        slider->show();
        parent.show();
        return *slider;
    }

    QWidget parent;
    CoolSlider* slider = nullptr;
};

using CoolSliderColour = SliderHarness;

TEST_F(CoolSliderColour, BodyRunsFromGreenThroughYellowToRed)
{
    const struct {
        int32_t value;
        QColor body;
    } cases[] = {
        {-1, QColor(128, 128, 128)}, {0, QColor(24, 158, 8)},     {63, QColor(239, 231, 49)},
        {64, QColor(239, 231, 49)},  {127, QColor(239, 24, 16)},  {128, QColor(128, 128, 128)},
        {std::numeric_limits<int32_t>::min(), QColor(128, 128, 128)},
    };
    makeSlider({20, 120}, 0);
    for (const auto& c : cases) {
        slider->setPos(c.value);
        EXPECT_EQ(fromColorRef(CoolSlider::bodyColor(c.value)), c.body) << c.value;
        // A point of the bar clear of the grip and the frames.
        const QPoint probe(12, slider->thumbRect().top() > 60 ? 30 : 100);
        const QImage shot = slider->grab().toImage();
        EXPECT_EQ(shot.pixelColor(probe), c.body) << c.value;
        EXPECT_EQ(shot.pixelColor(0, 0), QColor(0x30, 0x30, 0x30)) << c.value;
    }
}

TEST_F(CoolSliderColour, UnsetValueShowsNoGrip)
{
    makeSlider({20, 120}, 100);
    const QPoint ridge = slider->thumbRect().center() + QPoint(0, 2);
    EXPECT_EQ(slider->grab().toImage().pixelColor(ridge), QColor(Qt::black));
    slider->setPos(-1);
    EXPECT_EQ(slider->grab().toImage().pixelColor(ridge), QColor(128, 128, 128));
}

using CoolSliderDrag = SliderHarness;

TEST_F(CoolSliderDrag, VerticalSliderSpansItsTravel)
{
    makeSlider({20, 120}, 100);
    EXPECT_EQ(slider->travel(), 99);
    QSignalSpy steps(slider, &CoolSlider::dragStep);
    QSignalSpy ends(slider, &CoolSlider::dragEnd);
    mouse::press(slider, QPoint(10, 60));
    mouse::dragTo(slider, QPoint(10, -40));
    EXPECT_EQ(slider->pos(), 127);
    EXPECT_EQ(slider->thumbRect().top(), 1);
    mouse::dragTo(slider, QPoint(10, 400));
    EXPECT_EQ(slider->pos(), 0);
    EXPECT_EQ(slider->lastChange(), -127);
    EXPECT_EQ(slider->thumbRect().bottom(), 119);
    mouse::release(slider, QPoint(10, 400));
    EXPECT_EQ(steps.count(), 3); // the press jumps the grip too
    EXPECT_EQ(ends.count(), 1);
    EXPECT_EQ(slider->cursor().shape(), Qt::SizeVerCursor);
}

TEST_F(CoolSliderDrag, HorizontalSliderGrowsToTheRight)
{
    makeSlider({120, 20}, -1);
    EXPECT_TRUE(slider->isHorizontal());
    EXPECT_EQ(slider->travel(), 99);
    mouse::press(slider, QPoint(500, 10));
    EXPECT_EQ(slider->pos(), 127);
    EXPECT_EQ(slider->lastChange(), 128);
    mouse::dragTo(slider, QPoint(10 + 1 + 50, 10)); // edge 51: 50 of 99 pixels
    EXPECT_EQ(slider->pos(), 50 * 127 / 99);
    mouse::release(slider, QPoint(61, 10));
    EXPECT_EQ(slider->cursor().shape(), Qt::SizeHorCursor);
}

TEST_F(CoolSliderDrag, SquareSlidersCannotBeDragged)
{
    for (const QSize size : {QSize(20, 20), QSize(20, 21), QSize(21, 20), QSize(20, 19), QSize(0, 0),
                             QSize(1, 1)}) {
        makeSlider(size, 64);
        QSignalSpy steps(slider, &CoolSlider::dragStep);
        QSignalSpy ends(slider, &CoolSlider::dragEnd);
        mouse::press(slider, QPoint(5, 5));
        mouse::dragTo(slider, QPoint(0, 0));
        mouse::dragTo(slider, QPoint(30, 30));
        mouse::release(slider, QPoint(30, 30));
        slider->grab();
        EXPECT_EQ(slider->pos(), 64) << size.width() << "x" << size.height();
        EXPECT_EQ(steps.count() + ends.count(), 0) << size.width() << "x" << size.height();
        delete slider;
    }
}

TEST_F(CoolSliderDrag, SetPosNotifiesNothingButRepaintsTheParentsValueArea)
{
    makeSlider({20, 120}, 0);
    QSignalSpy steps(slider, &CoolSlider::dragStep);
    QSignalSpy ends(slider, &CoolSlider::dragEnd);
    slider->setValueArea(QRect(40, 0, 30, 20));
    slider->setPos(127);
    slider->setPos(-1);
    EXPECT_EQ(steps.count() + ends.count(), 0);
    EXPECT_EQ(slider->pos(), -1);
}

} // namespace
} // namespace rz
