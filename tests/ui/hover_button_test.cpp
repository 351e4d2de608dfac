#include "mouse_events.h"
#include "recording_status_prompt.h"
#include "ui/bitmap_catalog.h"
#include "ui/hover_button.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace rz {
namespace {

class HoverButtonTest : public testing::Test {
protected:
    HoverButtonTest()
    {
        button = new HoverButton(299, bitmap_id::kRecord, bitmap_id::kStop, &parent);
        button->show();
        parent.show();
    }

    RecordingStatusPrompt prompt;
    QWidget parent;
    HoverButton* button = nullptr;
};

TEST_F(HoverButtonTest, FiresAtThePressAndAgainOnADoubleClick)
{
    QSignalSpy fired(button, &HoverButton::command);
    mouse::press(button, QPoint(5, 5));
    EXPECT_EQ(fired.count(), 1);
    EXPECT_TRUE(button->isDown());
    mouse::release(button, QPoint(5, 5));
    EXPECT_FALSE(button->isDown());
    EXPECT_EQ(fired.count(), 1);

    mouse::doubleClick(button, QPoint(5, 5));
    EXPECT_EQ(fired.count(), 3);
    EXPECT_EQ(fired.at(0).at(0).toUInt(), 299u);
}

TEST_F(HoverButtonTest, ShowsItsPromptAndAHandWhileEnabled)
{
    EXPECT_EQ(button->size(), BitmapCatalog::image(bitmap_id::kRecord).size());
    mouse::hover(button, QPoint(5, 5));
    mouse::hover(button, QPoint(6, 5));
    EXPECT_EQ(prompt.prompts, std::vector<uint32_t>{299});
    mouse::leave(button);
    EXPECT_EQ(prompt.shown(), kIdlePromptId);
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    button->setEnabled(false);
    EXPECT_EQ(button->cursor().shape(), Qt::ArrowCursor);
}

} // namespace
} // namespace rz
