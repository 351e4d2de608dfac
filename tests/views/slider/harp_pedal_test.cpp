#include "views/slider/harp_pedal_wnd.h"

#include "tests/support/qt/mouse_events.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

// Inside the diagram's namespace so its names read bare.
namespace rz::harp_pedals {
namespace {

constexpr QSize kSize(100, 60); // unit 10, row 10, left 10
constexpr int kSlotC = 1;
constexpr int kSlotGap = 3;
constexpr int kSlotA = 7;

QPoint centreOf(int slot, Position position)
{
    return Geometry(kSize).box(slot, position).center();
}

struct PedalRig {
    HarpPedalWnd wnd;
    PedalRig() { wnd.resize(kSize); }
    void click(int slot, Position position) { mouse::click(&wnd, centreOf(slot, position)); }
};

TEST(HarpPedal, StartsWithCFlatAndDSharp)
{
    PedalRig rig;
    EXPECT_EQ(rig.wnd.state(), 33u);
    EXPECT_EQ(positionOf(33, 0), kFlat);
    EXPECT_EQ(positionOf(33, 2), kSharp);
    EXPECT_EQ(positionOf(33, 4), kNatural);
}

TEST(HarpPedal, TheGapSlotChangesNothing)
{
    PedalRig rig;
    for (const Position position : {kFlat, kNatural, kSharp}) {
        rig.click(kSlotGap, position);
        EXPECT_EQ(rig.wnd.state(), 33u);
        EXPECT_FALSE(hitTest(kSize, centreOf(kSlotGap, position)));
    }
}

TEST(HarpPedal, ClickingABoxSetsItsPitchClassBits)
{
    PedalRig rig;
    rig.wnd.setState(0);
    rig.click(kSlotC, kFlat);
    EXPECT_EQ(rig.wnd.state() & 3u, 1u);
    rig.click(kSlotC, kNatural);
    EXPECT_EQ(rig.wnd.state() & 3u, 0u);
    rig.click(kSlotA, kSharp);
    EXPECT_EQ(rig.wnd.state() >> 18 & 3u, 2u);
    EXPECT_EQ(rig.wnd.state(), 2u << 18) << "nothing else moved";
}

TEST(HarpPedal, AHundredBySixtyWindowPaintsABarInEachSlot)
{
    PedalRig rig;
    rig.wnd.setState(withPosition(33, 9, kSharp)); // C flat, D and A sharp
    rig.wnd.setAccidentalPainter([](QPainter&, QPointF, int, bool) {}); // signs reach the next slot
    const QImage image = rig.wnd.grab().toImage();
    const Geometry g(kSize);
    for (int slot = 0; slot < kSlots; ++slot) {
        const int pitchClass = kSlotPitchClass[size_t(slot)];
        if (pitchClass < 0)
            continue; // the divider between the feet stands there
        for (const Position position : {kFlat, kNatural, kSharp}) {
            const QRect bar = g.bar(slot, position);
            // Off the natural line, which crosses every natural bar.
            const QPoint probe(bar.left(), bar.top() + 2);
            const bool expected = positionOf(rig.wnd.state(), pitchClass) == position;
            EXPECT_EQ(image.pixel(probe) == qRgb(0, 0, 0), expected) << "slot " << slot << " position " << position;
        }
    }
    EXPECT_EQ(image.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(45, 12), qRgb(0, 0, 0)) << "the divider";
    EXPECT_EQ(image.pixel(50, 20), qRgb(0, 0, 0)) << "the natural line";
}

TEST(HarpPedal, AHookSetByTheHostDrawsTheAccidentals)
{
    PedalRig rig;
    std::vector<std::pair<bool, QPointF>> drawn;
    rig.wnd.setAccidentalPainter([&](QPainter& painter, QPointF at, int height, bool sharp) {
        drawn.emplace_back(sharp, at);
        painter.fillRect(QRectF(at, QSizeF(3, height)), Qt::red);
    });
    const QImage image = rig.wnd.grab().toImage();
    ASSERT_EQ(drawn.size(), 2u) << "C flat and D sharp";
    const Geometry g(kSize);
    EXPECT_EQ(drawn[0], std::make_pair(true, QPointF(g.letterCentre(0).x() + 7, 25)));
    EXPECT_EQ(drawn[1], std::make_pair(false, QPointF(g.letterCentre(kSlotC).x() + 7, 25)));
    EXPECT_EQ(image.pixel(drawn[0].second.toPoint() + QPoint(1, 1)), qRgb(255, 0, 0));
}

TEST(HarpPedal, TheDefaultSignsAreDrawnWithoutAHook)
{
    PedalRig rig;
    rig.wnd.setState(0);
    const QImage plain = rig.wnd.grab().toImage();
    rig.wnd.setState(33);
    const QImage signs = rig.wnd.grab().toImage();
    const QRect around(QPoint(int(Geometry(kSize).letterCentre(0).x()) + 7, 25), QSize(8, 15));
    bool differs = false;
    for (int y = around.top(); y <= around.bottom(); ++y)
        for (int x = around.left(); x <= around.right(); ++x)
            differs = differs || plain.pixel(x, y) != signs.pixel(x, y);
    EXPECT_TRUE(differs) << "a sharp beside the D";
}

} // namespace
} // namespace rz::harp_pedals
