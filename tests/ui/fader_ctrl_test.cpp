#include "int_extremes.h"
#include "mouse_events.h"
#include "recording_status_prompt.h"
#include "res/command_ids.h"
#include "ui/bitmap_catalog.h"
#include "ui/fader_ctrl.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace rz {
namespace {

class FaderHarness : public testing::Test {
protected:
    // The frame's volume fader (145 x 15, thumb 9 wide) or tempo fader
    // (15 x 145, thumb 9 high).
    FaderCtrl& makeFader(bool vertical, QSize size = {})
    {
        fader = vertical ? new FaderCtrl(bitmap_id::kTempoFaderBackground,
                                         bitmap_id::kTempoFaderThumb, FaderCtrl::kVertical,
                                         &parent, kIdTempoAdjust)
                         : new FaderCtrl(bitmap_id::kVolumeFaderBackground,
                                         bitmap_id::kVolumeFaderThumb, 0, &parent, kIdVolumeAdjust);
        fader->resize(size.isValid() ? size : vertical ? QSize(15, 145) : QSize(145, 15));
        fader->show();
        parent.show();
        changes = std::make_unique<QSignalSpy>(fader, &FaderCtrl::changed);
        return *fader;
    }

    QWidget parent;
    FaderCtrl* fader = nullptr;
    std::unique_ptr<QSignalSpy> changes;
};

using FaderCtrlPaging = FaderHarness;

TEST_F(FaderCtrlPaging, PageStepsStopAtBothEnds)
{
    const struct {
        bool vertical;
        int32_t start;
        QPoint click;
        int32_t after;
    } cases[] = {
        {false, 95, {144, 7}, 100}, {false, 5, {0, 7}, 0},
        {true, 95, {7, 0}, 100},    {true, 5, {7, 144}, 0}, // maximum at the top
        {false, 50, {144, 7}, 60},  {true, 50, {7, 144}, 40},
    };
    for (const auto& c : cases) {
        makeFader(c.vertical);
        fader->setPos(c.start);
        mouse::press(fader, c.click);
        mouse::release(fader, c.click);
        EXPECT_EQ(fader->pos(), c.after) << c.vertical << " from " << c.start;
        EXPECT_EQ(changes->count(), 1);
        mouse::press(fader, c.click);
        mouse::release(fader, c.click);
        if (c.after == 0 || c.after == 100) {
            EXPECT_EQ(changes->count(), 1) << "a step that changes nothing notifies nothing";
        }
    }
}

TEST_F(FaderCtrlPaging, RepeatsAfterFiveTicksUntilTheThumbReachesThePointer)
{
    makeFader(false);
    fader->setPos(0);
    const QPoint at(100, 7);
    mouse::press(fader, at);
    EXPECT_EQ(fader->pos(), 10);
    for (int i = 0; i < 5; ++i)
        fader->tick();
    EXPECT_EQ(fader->pos(), 10);
    for (int i = 0; i < 20; ++i)
        fader->tick();
    EXPECT_TRUE(fader->thumbRect().contains(at));
    const int32_t reached = fader->pos();
    mouse::release(fader, at);
    EXPECT_FALSE(fader->isRepeating());
    fader->tick();
    EXPECT_EQ(fader->pos(), reached);
    EXPECT_EQ(changes->count(), reached / 10);
}

using FaderCtrlValue = FaderHarness;

TEST_F(FaderCtrlValue, SetPosNeverNotifiesAndStaysInRange)
{
    makeFader(false);
    fader->setRange(0, 16383);
    fader->setPos(8000);
    EXPECT_EQ(fader->pos(), 8000);
    fader->setPos(99999); // a bad stored volume
    EXPECT_EQ(fader->pos(), 16383);
    fader->setPos(-5);
    EXPECT_EQ(fader->pos(), 0);
    EXPECT_EQ(changes->count(), 0);
    EXPECT_EQ(fader->setPageSize(128), 10);
}

TEST_F(FaderCtrlValue, DragFollowsTheMouseAndUpIsMoreOnAVerticalFader)
{
    makeFader(false);
    fader->setPos(0);
    const QPoint grip = fader->thumbRect().center();
    mouse::press(fader, grip);
    EXPECT_TRUE(fader->isDragging());
    mouse::dragTo(fader, grip + QPoint(72, 0)); // half of 144 pixels
    EXPECT_EQ(fader->pos(), 50);
    mouse::dragTo(fader, grip + QPoint(72, 9)); // across: no change, no notification
    mouse::release(fader, grip + QPoint(72, 9));
    EXPECT_EQ(changes->count(), 1);

    makeFader(true);
    fader->setRange(-1000, 1000);
    fader->setPos(0);
    const QPoint tempo = fader->thumbRect().center();
    mouse::press(fader, tempo);
    mouse::dragTo(fader, tempo - QPoint(0, 36));
    EXPECT_EQ(fader->pos(), 500);
    mouse::dragTo(fader, tempo + QPoint(0, 500));
    EXPECT_EQ(fader->pos(), -1000);
    mouse::release(fader, tempo);
    EXPECT_EQ(changes->count(), 2);
}

TEST_F(FaderCtrlValue, SurvivesBadRangesAndSizes)
{
    const struct {
        int32_t min, max, page, pos;
        QSize size;
    } cases[] = {
        {100, 0, 10, 50, {145, 15}},             // maximum below minimum
        {0, 100, 0, 50, {145, 15}},              // page 0
        {0, 100, kIntMax, 50, {145, 15}},        // page above the range
        {kIntMin, kIntMax, kIntMax, 0, {145, 15}},
        {kIntMin, kIntMax, 1000, kIntMax, {145, 15}},
        {0, 100, 10, 50, {1, 15}},               // one pixel long
        {0, 100, 10, 50, {5, 15}},               // shorter than its thumb
        {0, 100, 10, 50, {0, 0}},
    };
    for (const auto& c : cases) {
        makeFader(false, c.size);
        fader->setRange(c.min, c.max);
        fader->setPageSize(c.page);
        fader->setPos(c.pos);
        for (const QPoint at : {QPoint(0, 7), QPoint(144, 7), fader->thumbRect().center()}) {
            mouse::press(fader, at);
            for (int i = 0; i < 8; ++i)
                fader->tick();
            mouse::dragTo(fader, at + QPoint(60, 0));
            mouse::dragTo(fader, at - QPoint(300, 0));
            mouse::release(fader, at);
        }
        fader->grab();
        EXPECT_GE(fader->pos(), fader->rangeMin());
        EXPECT_LE(fader->pos(), fader->rangeMax());
        EXPECT_GE(fader->thumbRect().left(), 0) << c.size.width();
        delete fader;
    }
}

TEST_F(FaderCtrlValue, OnePixelFaderCannotBeDragged)
{
    makeFader(false, QSize(1, 15));
    fader->setPos(50);
    mouse::press(fader, QPoint(0, 7));
    mouse::dragTo(fader, QPoint(80, 7));
    mouse::release(fader, QPoint(80, 7));
    EXPECT_EQ(fader->pos(), 50);
    EXPECT_EQ(changes->count(), 0);
}

TEST_F(FaderCtrlValue, HoverShowsItsPromptAndLeavingRestoresTheIdlePrompt)
{
    RecordingStatusPrompt prompt;
    makeFader(false);
    mouse::hover(fader, QPoint(3, 3));
    mouse::hover(fader, QPoint(4, 3));
    EXPECT_EQ(prompt.prompts, std::vector<uint32_t>{kIdVolumeAdjust});
    mouse::leave(fader);
    EXPECT_EQ(prompt.shown(), kIdlePromptId);
}

} // namespace
} // namespace rz
