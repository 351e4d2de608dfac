#include "app/main_frame_hit_test.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(FrameHitTest, ZonesOfARestoredAndAMaximisedWindow)
{
    const QSize size(1000, 700);
    const struct {
        QPoint at;
        bool maximised;
        FrameZone zone;
    } cases[] = {
        {{500, 0}, false, FrameZone::Caption},
        {{500, 31}, false, FrameZone::Caption},
        {{999, 10}, false, FrameZone::Caption}, // the caption wins over the right edge
        {{500, 32}, false, FrameZone::Client},
        {{995, 300}, false, FrameZone::Right},
        {{994, 300}, false, FrameZone::Client},
        {{500, 695}, false, FrameZone::Bottom},
        {{500, 694}, false, FrameZone::Client},
        {{999, 699}, false, FrameZone::BottomRight},
        {{985, 686}, false, FrameZone::BottomRight}, // 15 + 14 = 29
        {{985, 685}, false, FrameZone::Client},      // 15 + 15 = 30
        {{999, 660}, false, FrameZone::Right},
        {{999, 680}, false, FrameZone::BottomRight}, // 1 + 20
        {{0, 300}, false, FrameZone::Client},
        {{995, 300}, true, FrameZone::Client},
        {{999, 699}, true, FrameZone::Client},
        {{500, 10}, true, FrameZone::Caption},
        {{1000, 300}, false, FrameZone::Outside},
        {{-1, 300}, false, FrameZone::Outside},
        {{500, 700}, false, FrameZone::Outside},
    };
    for (const auto& c : cases)
        EXPECT_EQ(frameHitTest(size, c.at, c.maximised), c.zone)
            << c.at.x() << "," << c.at.y() << (c.maximised ? " maximised" : "");
}

TEST(FrameHitTest, EachZoneHasItsCursor)
{
    EXPECT_EQ(frameZoneCursor(FrameZone::Right, false, false), Qt::SizeHorCursor);
    EXPECT_EQ(frameZoneCursor(FrameZone::Bottom, false, false), Qt::SizeVerCursor);
    EXPECT_EQ(frameZoneCursor(FrameZone::BottomRight, false, false), Qt::SizeFDiagCursor);
    EXPECT_EQ(frameZoneCursor(FrameZone::Caption, false, false), Qt::OpenHandCursor);
    EXPECT_EQ(frameZoneCursor(FrameZone::Caption, false, true), Qt::ClosedHandCursor);
    EXPECT_EQ(frameZoneCursor(FrameZone::Caption, true, false), Qt::ArrowCursor);
    EXPECT_EQ(frameZoneCursor(FrameZone::Client, false, false), Qt::ArrowCursor);
}

} // namespace
} // namespace rz
