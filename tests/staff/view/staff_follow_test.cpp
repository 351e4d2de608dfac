#include "tests/staff/view/staff_rig.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPaintEvent>

#include <thread>

namespace rz {
namespace {

using test::StaffRig;

int cursorAt(const StaffView& view, int32_t tick)
{
    const StaffModel& model = view.model();
    const CStaffMeasure& m = model.measures[size_t(measureOfTick(model, tick))];
    return int(m.x + m.leadIn + int64_t(tick - m.song.start) * m.laidOutWidth / m.song.length);
}

TEST(StaffFollow, StoppedInsideTheViewOnlyTheCursorMoves)
{
    StaffRig rig(40);
    rig.fillQuarters(rig.addTrack());
    StaffView& view = rig.open(false, {700, 300});
    rig.song->setPosition(rig.startOf(1));
    view.follow();
    EXPECT_EQ(view.originX(), 0);
    EXPECT_EQ(view.cursorX(), cursorAt(view, rig.startOf(1)));
    rig.song->setPosition(rig.startOf(2) + 240);
    view.follow();
    EXPECT_EQ(view.originX(), 0);
    EXPECT_EQ(view.lastFollowRedraw(), FollowRedraw::MoveLine);
    EXPECT_EQ(view.cursorX(), cursorAt(view, rig.startOf(2) + 240));
    EXPECT_GE(view.cursorClientX(), view.notationRect().left());
}

// Standing still, a position right of the middle but in sight moves only
// the cursor; one out of sight is brought to the middle.
TEST(StaffFollow, StoppedAPositionOutOfSightIsCentred)
{
    StaffRig rig(40);
    rig.fillQuarters(rig.addTrack());
    StaffView& view = rig.open(false, {700, 300});
    const int half = view.lines().visibleWidth / 2;
    int32_t inSight = rig.startOf(1);
    while (cursorAt(view, inSight) <= half + 10)
        inSight += 240;
    ASSERT_LT(cursorAt(view, inSight), view.lines().visibleWidth);
    rig.song->setPosition(inSight);
    view.follow();
    EXPECT_EQ(view.originX(), 0);
    EXPECT_EQ(view.lastFollowRedraw(), FollowRedraw::MoveLine);
    rig.song->setPosition(rig.startOf(20));
    view.follow();
    EXPECT_EQ(view.lastFollowRedraw(), FollowRedraw::Full);
    EXPECT_EQ(view.originX(), cursorAt(view, rig.startOf(20)) - half);
}

TEST(StaffFollow, AJumpOfMoreThanHalfTheViewRepaintsEverything)
{
    StaffRig rig(40);
    rig.fillQuarters(rig.addTrack());
    StaffView& view = rig.open(false, {700, 300});
    rig.fixture.engine.state = TransportState::Playing;
    const int half = view.lines().visibleWidth / 2;
    rig.song->setPosition(rig.startOf(20));
    view.follow();
    EXPECT_EQ(view.lastFollowRedraw(), FollowRedraw::Full);
    EXPECT_EQ(view.originX(), cursorAt(view, rig.startOf(20)) - half);
    // A small step on scrolls the pixels instead.
    rig.song->setPosition(rig.startOf(20) + 480);
    view.follow();
    EXPECT_EQ(view.lastFollowRedraw(), FollowRedraw::Scroll);
    EXPECT_EQ(view.originX(), cursorAt(view, rig.startOf(20) + 480) - half);
}

TEST(StaffFollow, NearTheEndTheOriginStopsAndTheCursorMovesOn)
{
    StaffRig rig(40);
    rig.fillQuarters(rig.addTrack());
    StaffView& view = rig.open(false, {700, 300});
    rig.fixture.engine.state = TransportState::Playing;
    rig.song->setPosition(rig.startOf(39) + 960);
    view.follow();
    EXPECT_EQ(view.originX(), view.lines().maxOriginX);
    EXPECT_GT(view.cursorX() - view.originX(), view.lines().visibleWidth / 2);
    EXPECT_GE(view.cursorClientX(), 0);
}

// The view starts toward the next line a quarter note before it and
// reaches it at its first beat.
TEST(StaffFollow, TheLeadSheetGlidesIntoTheNextLine)
{
    StaffRig rig(12);
    rig.fillQuarters(rig.addTrack());
    StaffView& view = rig.open(true, {400, 300});
    const StaffLines& lines = view.lines();
    ASSERT_GE(lines.lineCount(), 3);
    const int32_t next = rig.startOf(lines.lineStarts[2]);
    const int h = lines.lineHeight;
    const auto targetAt = [&](int32_t tick) {
        return leadSheetFollow(view.model(), lines, tick, 480, view.metrics().glyph, 0).targetY;
    };
    EXPECT_EQ(targetAt(next - 481), h);
    EXPECT_EQ(targetAt(next - 480), h);
    EXPECT_EQ(targetAt(next - 240), h + h / 2);
    EXPECT_EQ(targetAt(next), 2 * h);
    rig.song->setPosition(next);
    view.follow();
    EXPECT_EQ(view.playMeasure(), lines.lineStarts[2]);
    EXPECT_EQ(view.originY(),
              std::clamp(2 * h - (lines.visibleHeight / 2 - 2 * view.metrics().glyph), 0, lines.maxOriginY));
}

TEST(StaffFollow, FollowAndPaintRefuseOtherThreads)
{
    StaffRig rig(8);
    rig.fillQuarters(rig.addTrack());
    StaffView& view = rig.open(false, {600, 300});
    rig.song->setPosition(rig.startOf(5));
    std::thread other([&view] {
        view.follow();
        QPaintEvent paint(QRect(0, 0, 10, 10));
        QCoreApplication::sendEvent(&view, &paint);
    });
    other.join();
    EXPECT_EQ(view.offGuiThreadCalls(), 2);
    EXPECT_EQ(view.cursorX(), -1);
}

// Each view remembers the key and meter its own header column shows.
TEST(StaffFollow, TwoViewsKeepTheirOwnHeaderRecords)
{
    StaffRig rig(30, {{4, 4, 0}, {4, 4, 0}, {4, 4, 0}, {4, 4, 0}, {4, 4, 0}, {4, 4, 0}, {4, 4, 0},
                      {4, 4, 0}, {4, 4, 0}, {4, 4, 0}, {3, 4, -2}});
    rig.fillQuarters(rig.addTrack());
    StaffView& first = rig.open(false, {600, 300});
    StaffView second(rig.context(), false, false, nullptr);
    second.resize(600, 300);
    second.attach(*rig.song);
    second.initialUpdate();
    first.setHorzPos(first.model().measures[2].x);
    second.setHorzPos(second.model().measures[15].x);
    EXPECT_EQ(first.headerRecord(), (std::array<int, 3>{0, 4, 4}));
    EXPECT_EQ(second.headerRecord(), (std::array<int, 3>{-2, 3, 4}));
    first.setHorzPos(first.model().measures[3].x);
    EXPECT_EQ(first.headerRecord(), (std::array<int, 3>{0, 4, 4}));
    EXPECT_EQ(second.headerRecord(), (std::array<int, 3>{-2, 3, 4}));
}

TEST(StaffFollow, MeasuresRecordedPastTheEndAreCoveredBeforeFollowing)
{
    StaffRig rig(4);
    rig.fillQuarters(rig.addTrack());
    StaffView& view = rig.open(false, {600, 300});
    const int built = view.rebuildCount();
    ExtendMeasureMap(rig.song->measureMap, rig.startOf(3) + 6 * 1920);
    rig.song->setPosition(int32_t(rig.song->measureMap.back().start) + 100);
    view.follow();
    EXPECT_EQ(view.model().measures.size(), rig.song->measureMap.size());
    EXPECT_EQ(view.rebuildCount(), built);
    EXPECT_GT(view.cursorX(), view.model().measures[3].x);
    for (const CStaffTrack& staff : view.model().staves)
        EXPECT_EQ(staff.lowestVoice.size(), rig.song->measureMap.size());
    (void)rig.picture();
}

} // namespace
} // namespace rz
