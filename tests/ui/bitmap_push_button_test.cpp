#include "mouse_events.h"
#include "recording_status_prompt.h"
#include "res/command_ids.h"
#include "ui/bitmap_catalog.h"
#include "ui/bitmap_push_button.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace rz {
namespace {

constexpr QPoint kInside(8, 8);
constexpr QPoint kOutside(-30, 8);

class ButtonHarness : public testing::Test {
protected:
    ButtonHarness() { parent.resize(200, 100); }

    BitmapPushButton* makeButton(uint32_t command, int options, QPoint at = {0, 0},
                                 int bitmapId = bitmap_id::kArrowRight)
    {
        auto* button = new BitmapPushButton(bitmapId, at, &parent, command, options);
        button->show();
        parent.show();
        spies.push_back(std::make_unique<QSignalSpy>(button, &BitmapPushButton::command));
        return button;
    }
    int fired(int index = 0) const { return int(spies[index]->count()); }

    RecordingStatusPrompt prompt;
    QWidget parent;
    std::vector<std::unique_ptr<QSignalSpy>> spies;
};

using BitmapPushButtonFiring = ButtonHarness;

TEST_F(BitmapPushButtonFiring, RepeatButtonFiresAtThePressAndEveryTickAfterTheFifth)
{
    BitmapPushButton* button = makeButton(4097, BitmapPushButton::kRepeat);
    mouse::press(button, kInside);
    EXPECT_EQ(fired(), 1);
    EXPECT_TRUE(button->isRepeating());
    std::vector<int> firedAfterTick;
    for (int i = 0; i < 13; ++i) {
        button->tick();
        firedAfterTick.push_back(fired());
    }
    EXPECT_EQ(firedAfterTick, (std::vector<int>{1, 1, 1, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    mouse::release(button, kInside);
    EXPECT_FALSE(button->isRepeating());
    EXPECT_EQ(fired(), 9); // a repeat button does not fire again on release
}

TEST_F(BitmapPushButtonFiring, RepeatPausesWhileThePointerIsOff)
{
    BitmapPushButton* button = makeButton(4097, BitmapPushButton::kRepeat);
    mouse::hover(button, kInside);
    mouse::press(button, kInside);
    mouse::dragTo(button, kOutside);
    for (int i = 0; i < 10; ++i)
        button->tick();
    EXPECT_EQ(fired(), 1);
    mouse::dragTo(button, kInside);
    for (int i = 0; i < 6; ++i)
        button->tick();
    EXPECT_EQ(fired(), 2);
    mouse::release(button, kInside);
}

TEST_F(BitmapPushButtonFiring, PlainButtonFiresOnlyOnReleaseInside)
{
    BitmapPushButton* button = makeButton(kIdStop, 0);
    mouse::hover(button, kInside);
    mouse::press(button, kInside);
    mouse::dragTo(button, kOutside);
    mouse::release(button, kOutside);
    EXPECT_EQ(fired(), 0);

    mouse::hover(button, kInside);
    mouse::press(button, kInside);
    EXPECT_EQ(fired(), 0);
    mouse::release(button, kInside);
    EXPECT_EQ(fired(), 1);
    EXPECT_EQ(spies[0]->at(0).at(0).toUInt(), 32776u);
}

TEST_F(BitmapPushButtonFiring, LatchButtonFiresOnce)
{
    BitmapPushButton* button = makeButton(kIdRecord, BitmapPushButton::kLatch);
    mouse::click(button, kInside);
    mouse::click(button, kInside);
    EXPECT_EQ(fired(), 1);
    EXPECT_TRUE(button->isPressed());
    EXPECT_EQ(button->cursor().shape(), Qt::ArrowCursor);
    button->setPressed(false);
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    mouse::click(button, kInside);
    EXPECT_EQ(fired(), 2);
}

TEST_F(BitmapPushButtonFiring, SystemCommandWordSendsItsHighWord)
{
    BitmapPushButton* button = makeButton((0xF060u << 16) | 274u, 0, {0, 0}, bitmap_id::kClose);
    QSignalSpy system(button, &BitmapPushButton::systemCommand);
    mouse::click(button, kInside);
    ASSERT_EQ(system.count(), 1);
    EXPECT_EQ(system.at(0).at(0).value<uint16_t>(), 0xF060);
    EXPECT_EQ(fired(), 0);
}

TEST_F(BitmapPushButtonFiring, NewIdsAndBitmapsChangeTheCommandNotTheSize)
{
    BitmapPushButton* button = makeButton(kIdZoomInTime, 0, {0, 0}, bitmap_id::kZoomIn);
    button->setDlgCtrlId(kIdLargerHeaderFont);
    mouse::click(button, kInside);
    button->setBitmap(bitmap_id::kPlayStop, kIdPlayStop);
    EXPECT_EQ(button->size(), QSize(17, 17));
    mouse::click(button, kInside);
    ASSERT_EQ(fired(), 2);
    EXPECT_EQ(spies[0]->at(0).at(0).toUInt(), 61461u);
    EXPECT_EQ(spies[0]->at(1).at(0).toUInt(), 32881u);
}

using BitmapPushButtonLook = ButtonHarness;

TEST_F(BitmapPushButtonLook, ChoosesTheFrameFromItsState)
{
    BitmapPushButton* button = makeButton(4096, 0);
    const QImage& strip = BitmapCatalog::image(bitmap_id::kArrowRight);
    auto shows = [&](ButtonFrame frame) {
        EXPECT_EQ(button->currentFrame(), frame);
        // The frame's fill just inside its border.
        const QColor expected = strip.pixelColor(int(frame) * 17 + 2, 2);
        EXPECT_EQ(button->grab().toImage().pixelColor(2, 2), expected) << int(frame);
    };
    shows(ButtonFrame::Normal);
    mouse::hover(button, kInside);
    shows(ButtonFrame::Hover);
    mouse::press(button, kInside);
    shows(ButtonFrame::Pressed);
    mouse::dragTo(button, kOutside);
    shows(ButtonFrame::Normal);
    mouse::release(button, kOutside);
    button->setPressed(true);
    shows(ButtonFrame::Pressed);
    button->setEnabled(false);
    shows(ButtonFrame::Disabled);
}

TEST_F(BitmapPushButtonLook, TransparentButtonShowsTheParentThroughMagenta)
{
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(10, 200, 30));
    parent.setPalette(palette);
    BitmapPushButton* button =
        makeButton(kIdStop, BitmapPushButton::kTransparent, {20, 20}, bitmap_id::kClose);
    const QImage shot = parent.grab().toImage();
    EXPECT_EQ(shot.pixelColor(20, 20), QColor(10, 200, 30)); // magenta corner
    EXPECT_NE(shot.pixelColor(22, 22), QColor(10, 200, 30)); // the face
    EXPECT_NE(shot.pixelColor(22, 22), QColor(255, 0, 255));
    EXPECT_EQ(button->size(), QSize(16, 16));
}

using BitmapPushButtonHover = ButtonHarness;

TEST_F(BitmapPushButtonHover, SecondButtonsPromptStaysAndLeavingBothShowsTheIdlePrompt)
{
    for (const bool leaveFirst : {true, false}) {
        BitmapPushButton* a = makeButton(kIdStop, 0, {0, 0});
        BitmapPushButton* b = makeButton(kIdPlayStop, 0, {17, 0});
        mouse::hover(a, kInside);
        EXPECT_EQ(prompt.shown(), 32776u);
        if (leaveFirst)
            mouse::leave(a);
        mouse::hover(b, kInside);
        if (!leaveFirst)
            mouse::leave(a);
        EXPECT_EQ(prompt.shown(), 32881u) << leaveFirst;
        EXPECT_EQ(BitmapPushButton::hoverCount(), 1);
        mouse::leave(b);
        EXPECT_EQ(prompt.shown(), kIdlePromptId);
        EXPECT_EQ(BitmapPushButton::hoverCount(), 0);
        delete a;
        delete b;
    }
    EXPECT_GT(prompt.clears, 0); // moves clear the status text
}

TEST_F(BitmapPushButtonHover, DisablingOrDestroyingAHoveredButtonReleasesTheCount)
{
    BitmapPushButton* a = makeButton(kIdStop, 0, {0, 0});
    BitmapPushButton* b = makeButton(kIdPlayStop, 0, {17, 0});
    mouse::hover(a, kInside);
    mouse::hover(b, kInside);
    EXPECT_EQ(BitmapPushButton::hoverCount(), 2);
    a->setEnabled(false);
    EXPECT_EQ(BitmapPushButton::hoverCount(), 1);
    delete b;
    EXPECT_EQ(BitmapPushButton::hoverCount(), 0);
    mouse::leave(a); // a second leave takes nothing from the count
    EXPECT_EQ(BitmapPushButton::hoverCount(), 0);
}

TEST_F(BitmapPushButtonHover, ReleaseInsideEndsTheHoverUntilTheNextMove)
{
    BitmapPushButton* button = makeButton(kIdStop, 0);
    mouse::hover(button, kInside);
    mouse::click(button, kInside);
    EXPECT_EQ(BitmapPushButton::hoverCount(), 0);
    EXPECT_EQ(prompt.shown(), kIdlePromptId);
    mouse::hover(button, kInside);
    EXPECT_EQ(BitmapPushButton::hoverCount(), 1);
    EXPECT_EQ(prompt.shown(), 32776u);
}

} // namespace
} // namespace rz
