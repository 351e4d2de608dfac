#include "res/command_ids.h"
#include "ui/status_prompt_button.h"

#include "mouse_events.h"
#include "recording_status_prompt.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(StatusPromptButton, FiresOnThePressAndOnlyThere)
{
    QWidget parent;
    StatusPromptButton button(kIdOptions, "Options", &parent);
    button.resize(80, 24);
    QSignalSpy fired(&button, &StatusPromptButton::command);
    mouse::press(&button, QPoint(10, 10));
    EXPECT_EQ(fired.count(), 1);
    EXPECT_TRUE(button.isDown());
    mouse::release(&button, QPoint(10, 10));
    EXPECT_EQ(fired.count(), 1);
    EXPECT_FALSE(button.isDown());
    QTest::mouseClick(&button, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(fired.count(), 1);
    mouse::doubleClick(&button, QPoint(10, 10)); // two presses
    EXPECT_EQ(fired.count(), 3);
    EXPECT_EQ(fired.front().front().toUInt(), 32774u);
}

TEST(StatusPromptButton, HoverShowsItsPromptOnceAndLeavingTheIdlePrompt)
{
    RecordingStatusPrompt prompt;
    QWidget parent;
    StatusPromptButton button(kIdMidiPorts, "Ports", &parent);
    button.resize(80, 24);
    mouse::hover(&button, QPoint(5, 5));
    mouse::hover(&button, QPoint(6, 5));
    EXPECT_EQ(prompt.prompts, (std::vector<uint32_t>{kIdMidiPorts}));
    mouse::leave(&button);
    EXPECT_EQ(prompt.shown(), kIdlePromptId);
}

} // namespace
} // namespace rz
