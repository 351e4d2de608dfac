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
    rig.wnd.setAccidentalPainter([](QPainter&, QPointF, int, bool) {}); // the bars alone
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
    EXPECT_EQ(drawn[0], std::make_pair(true, g.accidentalAnchor(0)));
    EXPECT_EQ(drawn[1], std::make_pair(false, g.accidentalAnchor(kSlotC)));
    EXPECT_EQ(image.pixel(drawn[0].second.toPoint() + QPoint(1, 1)), qRgb(255, 0, 0));
}

// The columns a slot owns, from its left edge up to the next slot's.
bool inSlot(const Geometry& g, int slot, double x)
{
    return x >= g.left + slot * g.unit && x < g.left + (slot + 1) * g.unit;
}

// Each sign belongs to its own letter: in its slot, clear of its pedal's
// bar, never over the neighbour's letter.
TEST(HarpPedal, EachSignStandsOverItsOwnLetterClearOfTheBar)
{
    for (const QSize size : {kSize, QSize(240, 120)}) {
        SCOPED_TRACE(size.width());
        HarpPedalWnd wnd;
        wnd.resize(size);
        uint32_t state = 0;
        for (int slot = 0; slot < kSlots; ++slot)
            if (kSlotPitchClass[size_t(slot)] >= 0)
                state = withPosition(state, kSlotPitchClass[size_t(slot)], slot % 2 ? kFlat : kSharp);
        wnd.setState(state);
        std::vector<QPointF> anchors;
        wnd.setAccidentalPainter([&](QPainter&, QPointF at, int, bool) { anchors.push_back(at); });
        wnd.grab();
        const Geometry g(size);
        size_t next = 0;
        for (int slot = 0; slot < kSlots; ++slot) {
            if (kSlotPitchClass[size_t(slot)] < 0)
                continue;
            ASSERT_LT(next, anchors.size());
            const QPointF at = anchors[next++];
            EXPECT_TRUE(inSlot(g, slot, at.x())) << "slot " << slot << " sign at x " << at.x();
            EXPECT_GT(at.x(), g.bar(slot, kSharp).right()) << "slot " << slot;
            EXPECT_LT(at.y(), g.letterCentre(slot).y()) << "over the letter";
        }
    }
}

// The text signs' ink: a D sharp changes only the D slot's columns.
TEST(HarpPedal, TheDefaultSignsAreDrawnWithoutAHookInTheirOwnSlot)
{
    const QSize dialogSize(240, 120);
    HarpPedalWnd wnd;
    wnd.resize(dialogSize);
    wnd.setState(0);
    const QImage plain = wnd.grab().toImage();
    wnd.setState(withPosition(0, 2, kSharp));
    const QImage signs = wnd.grab().toImage();
    const Geometry g(dialogSize);
    const int barRight = g.bar(0, kSharp).right();
    bool signDrawn = false;
    for (int y = 0; y < dialogSize.height(); ++y)
        for (int x = 0; x < dialogSize.width(); ++x) {
            if (plain.pixel(x, y) == signs.pixel(x, y))
                continue;
            EXPECT_TRUE(inSlot(g, 0, x)) << "ink at " << x << "," << y;
            signDrawn = signDrawn || (x > barRight + 1 && y > 2 * g.row);
        }
    EXPECT_TRUE(signDrawn) << "a sharp beside the D's bar";
}

} // namespace
} // namespace rz::harp_pedals
