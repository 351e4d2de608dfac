#include "int_extremes.h"
#include "mouse_events.h"
#include "recording_status_prompt.h"
#include "res/command_ids.h"
#include "ui/bitmap_push_button.h"
#include "ui/color_ref.h"
#include "ui/zoom_scroll_bar.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace rz {
namespace {

constexpr int kButtons = ZoomScrollBar::kButtonLength;

class ScrollBarHarness : public testing::Test {
protected:
    // A horizontal bar with a `track`-pixel track, 17 high.
    ZoomScrollBar& makeBar(uint32_t style, int track)
    {
        bar = new ZoomScrollBar(style, &parent);
        const int buttons = (style & ZoomScrollBar::kZoomButtons) ? 4 : 2;
        const int length = track + buttons * kButtons;
        bar->resize(bar->isVertical() ? QSize(17, length) : QSize(length, 17));
        bar->show();
        parent.show();
        QObject::connect(bar, &ZoomScrollBar::scrolled, [this](int code) { codes.push_back(code); });
        return *bar;
    }

    void setRange(int32_t min, int32_t max, int32_t page, int32_t pos = 0)
    {
        bar->setScrollInfo({min, max, page, pos, 0},
                           ZoomScrollBar::kRange | ZoomScrollBar::kPage | ZoomScrollBar::kPos);
    }

    QWidget parent;
    ZoomScrollBar* bar = nullptr;
    std::vector<int> codes;
};

using ZoomScrollBarPosition = ScrollBarHarness;

TEST_F(ZoomScrollBarPosition, ClampsToTheLimitThePageLeaves)
{
    const struct {
        int32_t min, max, page, requested, pos, limit;
    } cases[] = {
        {0, 100, 10, 500, 91, 91},
        {0, 100, 10, -5, 0, 91},
        {0, 100, 10, 40, 40, 91},
        {0, 5, 10, 3, 0, 0},                        // page above the range
        {0, 100, 0, 500, 100, 100},                 // page 0 still stops at the maximum
        {0, 100, -7, 500, 100, 100},                // a negative page counts as 0
        {50, 10, 10, 7, 50, 50},                    // maximum below minimum becomes the minimum
        {kIntMin, kIntMax, 0, kIntMax, kIntMax, kIntMax},
        {kIntMin, kIntMax, 10, kIntMax, kIntMax - 9, kIntMax - 9},
        {kIntMin, kIntMax, kIntMax, kIntMin, kIntMin, 1},
        {0, 100, kIntMax, 50, 0, 0},
        {kIntMax, kIntMax, 1, 0, kIntMax, kIntMax},
    };
    makeBar(0, 100);
    for (const auto& c : cases) {
        setRange(c.min, c.max, c.page);
        const int32_t before = bar->scrollPos();
        EXPECT_EQ(bar->setScrollPos(c.requested), before);
        EXPECT_EQ(bar->scrollPos(), c.pos) << c.min << ".." << c.max << " page " << c.page;
        EXPECT_EQ(bar->trackPos(), c.pos);
        EXPECT_EQ(bar->scrollLimit(), c.limit) << c.min << ".." << c.max << " page " << c.page;
    }
}

TEST_F(ZoomScrollBarPosition, ScrollInfoSetsOnlyWhatItsMaskNames)
{
    makeBar(0, 100);
    setRange(0, 100, 10, 50);
    EXPECT_FALSE(bar->setScrollInfo({0, 10, 5, 3, 0}, 0));
    EXPECT_FALSE(bar->setScrollInfo({0, 10, 5, 3, 0}, ZoomScrollBar::kTrackPos));
    EXPECT_EQ(bar->scrollPos(), 50);

    EXPECT_TRUE(bar->setScrollInfo({0, 0, 20, 0, 0}, ZoomScrollBar::kPage));
    const ScrollInfo info = bar->scrollInfo(ZoomScrollBar::kPage | ZoomScrollBar::kPos);
    EXPECT_EQ(info.page, 20);
    EXPECT_EQ(info.pos, 50);
    EXPECT_EQ(info.max, 0); // not asked for

    int32_t min = -1;
    int32_t max = -1;
    bar->scrollRange(min, max);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 100);
}

TEST_F(ZoomScrollBarPosition, ShrinkingTheRangeKeepsThePositionInside)
{
    makeBar(0, 100);
    setRange(0, 1000, 10, 900);
    bar->setScrollInfo({0, 100, 0, 0, 0}, ZoomScrollBar::kRange);
    EXPECT_EQ(bar->scrollPos(), 91);
    EXPECT_EQ(bar->trackPos(), 91);
    EXPECT_LE(bar->thumbRect().right(), bar->trackRect().right());
}

using ZoomScrollBarThumb = ScrollBarHarness;

TEST_F(ZoomScrollBarThumb, HasNoThumbWhenThePageCoversTheRange)
{
    makeBar(0, 100);
    setRange(0, 5, 10);
    EXPECT_TRUE(bar->thumbRect().isEmpty());
    const QImage shot = bar->grab().toImage();
    const QPoint middle = bar->trackRect().center();
    EXPECT_EQ(toColorRef(shot.pixelColor(middle)), 0xB9A5A3u);

    mouse::press(bar, middle);
    mouse::release(bar, middle);
    EXPECT_TRUE(codes.empty());
}

TEST_F(ZoomScrollBarThumb, IsEightPixelsWhenTheRangeIsLarge)
{
    makeBar(0, 100);
    setRange(0, 999, 10);
    const QRect thumb = bar->thumbRect();
    EXPECT_EQ(thumb.width(), 8);
    EXPECT_EQ(thumb.left(), kButtons);
    const QImage shot = bar->grab().toImage();
    EXPECT_EQ(toColorRef(shot.pixelColor(thumb.center())), ShadeColor(0x38140C, 200));
    EXPECT_EQ(toColorRef(shot.pixelColor(thumb.right() + 10, 8)), 0xB9A5A3u);
}

TEST_F(ZoomScrollBarThumb, SpansTheTrackInProportionToPosition)
{
    makeBar(0, 100);
    setRange(0, 100, 50, 51); // thumb 50 of 100 pixels, at the far end
    EXPECT_EQ(bar->thumbRect(), QRect(kButtons + 50, 0, 50, 17));
    bar->setScrollPos(0);
    EXPECT_EQ(bar->thumbRect(), QRect(kButtons, 0, 50, 17));
}

TEST_F(ZoomScrollBarThumb, StaysInsideTheTrackForExtremeRanges)
{
    const struct {
        int32_t min, max, page, pos;
    } cases[] = {
        {kIntMin, kIntMax, 0, kIntMax}, {kIntMin, kIntMax, 1, kIntMin}, {kIntMin, kIntMax, kIntMax, 0},
        {kIntMax - 1, kIntMax, 1, kIntMax}, {kIntMin, kIntMin + 1, 1, kIntMin}, {0, 1, 1, 1},
    };
    for (const uint32_t style : {0u, ZoomScrollBar::kVertical | ZoomScrollBar::kZoomButtons}) {
        makeBar(style, 100);
        for (const auto& c : cases) {
            setRange(c.min, c.max, c.page, c.pos);
            const QRect thumb = bar->thumbRect();
            EXPECT_FALSE(thumb.isEmpty()) << c.min << ".." << c.max << " page " << c.page;
            EXPECT_TRUE(bar->trackRect().contains(thumb)) << c.min << ".." << c.max;
            bar->grab();
        }
    }
}

using ZoomScrollBarDrag = ScrollBarHarness;

TEST_F(ZoomScrollBarDrag, ReportsEveryMoveAndTheEndAndIgnoresSetScrollPos)
{
    makeBar(0, 100);
    setRange(0, 100, 10); // thumb 10 px at x 17..26
    const QPoint grip = bar->thumbRect().center();
    mouse::press(bar, grip);
    EXPECT_TRUE(bar->isDragging());
    mouse::dragTo(bar, grip + QPoint(10, 0));
    EXPECT_EQ(bar->trackPos(), 10); // 10 px of 100 over a range of 101, rounded
    EXPECT_EQ(bar->scrollPos(), 0);
    mouse::dragTo(bar, grip + QPoint(10, 3)); // across the axis: same position, still reported
    EXPECT_EQ(bar->setScrollPos(70), 0);
    EXPECT_EQ(bar->scrollPos(), 0);
    EXPECT_EQ(bar->trackPos(), 10);
    mouse::dragTo(bar, grip + QPoint(500, 0));
    EXPECT_EQ(bar->trackPos(), 91);
    mouse::release(bar, grip + QPoint(500, 0));
    EXPECT_FALSE(bar->isDragging());
    EXPECT_EQ(bar->scrollPos(), 91);
    EXPECT_EQ(codes, (std::vector<int>{5, 5, 5, 4}));
}

TEST_F(ZoomScrollBarDrag, VerticalBarFollowsTheMouseDownward)
{
    makeBar(ZoomScrollBar::kVertical, 100);
    setRange(0, 100, 10);
    const QPoint grip = bar->thumbRect().center();
    mouse::press(bar, grip);
    mouse::dragTo(bar, grip + QPoint(0, 50));
    mouse::release(bar, grip + QPoint(0, 50));
    EXPECT_EQ(bar->scrollPos(), 51); // 50 px of 100 over 101 values, rounded
    EXPECT_EQ(codes, (std::vector<int>{5, 4}));
}

TEST_F(ZoomScrollBarDrag, CoversTheFullThirtyTwoBitRange)
{
    makeBar(0, 100);
    setRange(kIntMin, kIntMax, 1 << 24, kIntMin);
    const QPoint grip = bar->thumbRect().center();
    mouse::press(bar, grip);
    mouse::dragTo(bar, grip + QPoint(1000, 0));
    EXPECT_EQ(bar->trackPos(), bar->scrollLimit());
    mouse::dragTo(bar, grip - QPoint(1000, 0));
    EXPECT_EQ(bar->trackPos(), kIntMin);
    mouse::release(bar, grip);
}

using ZoomScrollBarPaging = ScrollBarHarness;

TEST_F(ZoomScrollBarPaging, RepeatsAfterFiveTicksWhileThePointerStaysOnThatSide)
{
    const struct {
        int at;   // pixels into the track
        int code; // the page step reported
    } cases[] = {{90, ZoomScrollBar::kPageDown}, {5, ZoomScrollBar::kPageUp}};
    for (const auto& c : cases) {
        makeBar(0, 100);
        setRange(0, 100, 10, 45); // thumb around the middle
        codes.clear();
        const QPoint at(kButtons + c.at, 8);
        mouse::press(bar, at);
        EXPECT_EQ(codes, std::vector<int>{c.code});
        EXPECT_TRUE(bar->isRepeating());
        for (int i = 0; i < 5; ++i)
            bar->tick();
        EXPECT_EQ(codes.size(), 1u);
        bar->tick();
        EXPECT_EQ(codes, (std::vector<int>{c.code, c.code}));
        mouse::release(bar, at);
        EXPECT_FALSE(bar->isRepeating());
        EXPECT_EQ(codes.back(), ZoomScrollBar::kEndScroll);
    }
}

TEST_F(ZoomScrollBarPaging, StopsWhenTheThumbReachesThePointer)
{
    makeBar(0, 100);
    setRange(0, 100, 10, 0);
    // The parent moves the bar a page for every page step, as the views do.
    QObject::connect(bar, &ZoomScrollBar::scrolled, [this](int code) {
        if (code == ZoomScrollBar::kPageDown)
            bar->setScrollPos(bar->scrollPos() + 10);
    });
    const QPoint at(kButtons + 55, 8);
    mouse::press(bar, at);
    for (int i = 0; i < 30; ++i)
        bar->tick();
    EXPECT_TRUE(bar->thumbRect().contains(at));
    const auto pages = std::count(codes.begin(), codes.end(), int(ZoomScrollBar::kPageDown));
    EXPECT_EQ(pages, 5); // 0 -> 50: the thumb then covers x 67..76
    mouse::release(bar, at);
}

using ZoomScrollBarShort = ScrollBarHarness;

TEST_F(ZoomScrollBarShort, BarShorterThanItsButtonsIgnoresTheMouse)
{
    for (const uint32_t style : {ZoomScrollBar::kZoomButtons,
                                 ZoomScrollBar::kZoomButtons | ZoomScrollBar::kVertical, 0u}) {
        for (const int length : {30, 40, 34, 35}) {
            bar = new ZoomScrollBar(style, &parent);
            bar->resize(bar->isVertical() ? QSize(17, length) : QSize(length, 17));
            bar->show();
            parent.show();
            codes.clear();
            QObject::connect(bar, &ZoomScrollBar::scrolled,
                             [this](int code) { codes.push_back(code); });
            setRange(0, 100, 10, 50);
            for (int at = 0; at < length; at += 3) {
                const QPoint p = bar->isVertical() ? QPoint(8, at) : QPoint(at, 8);
                mouse::press(bar, p);
                mouse::dragTo(bar, p + QPoint(7, 7));
                mouse::release(bar, p + QPoint(7, 7));
                bar->tick();
            }
            bar->grab();
            const bool hasTrack = length > ((style & ZoomScrollBar::kZoomButtons) ? 68 : 34);
            if (!hasTrack) {
                EXPECT_TRUE(codes.empty()) << "length " << length << " style " << style;
            }
            EXPECT_FALSE(bar->isDragging());
            delete bar;
        }
    }
}

using ZoomScrollBarButtons = ScrollBarHarness;

TEST_F(ZoomScrollBarButtons, LaysOutArrowsAndZoomButtonsAtTheEnd)
{
    makeBar(ZoomScrollBar::kZoomButtons, 100); // 168 wide
    EXPECT_EQ(bar->arrowButton(1)->geometry(), QRect(0, 0, 17, 17));
    EXPECT_EQ(bar->arrowButton(2)->x(), 117);
    EXPECT_EQ(bar->zoomOutButton()->x(), 134);
    EXPECT_EQ(bar->zoomInButton()->x(), 151);
    EXPECT_EQ(bar->trackRect(), QRect(17, 0, 100, 17));

    makeBar(ZoomScrollBar::kVertical, 50); // 84 high
    EXPECT_EQ(bar->arrowButton(2)->geometry(), QRect(0, 67, 17, 17));
    EXPECT_EQ(bar->zoomInButton(), nullptr);
}

TEST_F(ZoomScrollBarButtons, ArrowsStepOneAndStopAtTheEnds)
{
    makeBar(0, 100);
    setRange(0, 100, 10, 90);
    BitmapPushButton* down = bar->arrowButton(2);
    mouse::press(down, QPoint(8, 8));
    mouse::release(down, QPoint(8, 8));
    EXPECT_EQ(bar->scrollPos(), 91);
    mouse::press(down, QPoint(8, 8));
    mouse::release(down, QPoint(8, 8));
    EXPECT_EQ(bar->scrollPos(), 91);
    bar->setScrollPos(0);
    BitmapPushButton* up = bar->arrowButton(1);
    mouse::press(up, QPoint(8, 8));
    mouse::release(up, QPoint(8, 8));
    EXPECT_EQ(bar->scrollPos(), 0);
    EXPECT_EQ(codes, (std::vector<int>{1, 1, 0}));
}

TEST_F(ZoomScrollBarButtons, EnableScrollBarSwitchesBothArrows)
{
    makeBar(0, 100);
    bar->enableScrollBar(3);
    EXPECT_FALSE(bar->arrowButton(1)->isEnabled());
    EXPECT_FALSE(bar->arrowButton(2)->isEnabled());
    bar->enableScrollBar(1); // only repaints
    EXPECT_FALSE(bar->arrowButton(1)->isEnabled());
    bar->enableScrollBar(0);
    EXPECT_TRUE(bar->arrowButton(1)->isEnabled());
    EXPECT_TRUE(bar->arrowButton(2)->isEnabled());
}

TEST_F(ZoomScrollBarButtons, ZoomButtonsPostTheirCurrentIds)
{
    std::vector<uint32_t> ids;
    for (const uint32_t style : {ZoomScrollBar::kZoomButtons,
                                 ZoomScrollBar::kZoomButtons | ZoomScrollBar::kVertical}) {
        makeBar(style, 100);
        QObject::connect(bar, &ZoomScrollBar::zoomCommand, [&ids](uint32_t id) { ids.push_back(id); });
        mouse::click(bar->zoomInButton(), QPoint(8, 8));
        EXPECT_TRUE(ids.empty() || ids.size() == 2); // posted, not sent
        QApplication::processEvents();
        mouse::click(bar->zoomOutButton(), QPoint(8, 8));
        QApplication::processEvents();
    }
    EXPECT_EQ(ids, (std::vector<uint32_t>{kIdZoomInTime, kIdZoomOutTime, kIdZoomInControllerScale, kIdZoomOutControllerScale}));

    bar->zoomInButton()->setDlgCtrlId(kIdLargerHeaderFont);
    mouse::click(bar->zoomInButton(), QPoint(8, 8));
    QApplication::processEvents();
    EXPECT_EQ(ids.back(), 61461u);

    bar->enableZoom(false, true);
    EXPECT_FALSE(bar->zoomInButton()->isEnabled());
    EXPECT_TRUE(bar->zoomOutButton()->isEnabled());
}

TEST_F(ZoomScrollBarButtons, MovingOverTheBarClearsTheStatusText)
{
    RecordingStatusPrompt prompt;
    makeBar(0, 100);
    mouse::hover(bar, QPoint(60, 8));
    EXPECT_EQ(prompt.clears, 1);
}

} // namespace
} // namespace rz
