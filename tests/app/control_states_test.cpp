#include "app/control_states.h"
#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "app_test_fixture.h"
#include "core/profile.h"
#include "recording_frame_host.h"
#include "tests/support/qt/scripted_target.h"
#include "ui/bitmap_catalog.h"
#include "ui/bitmap_push_button.h"
#include "ui/command_router.h"

#include <QAction>

#include <gtest/gtest.h>

namespace rz {
namespace {

using Button = MainFrame::Button;

// A frame whose application target allows every command of the tool bar
// and the transport buttons.
class ControlStatesFrame : public testing::Test {
protected:
    ControlStatesFrame()
    {
        for (const ToolButtonState& s : toolBarStates(ControlContext{}, StaffToolState{}))
            target.accepts(s.id);
        router.setApplication(&target);
        frame = std::make_unique<MainFrame>(profile, router, host);
        frame->setCommandTargets({&target});
    }
    ~ControlStatesFrame() override { router.setApplication(nullptr); }

    QAction* action(CommandId id) const { return frame->toolBar()->action(id); }
    BitmapPushButton* button(Button which) const { return frame->button(which); }
    void refresh()
    {
        frame->updateTransportButtons();
        frame->UpdateToolbarButtons();
    }

    MemoryProfile profile;
    CommandRouter router;
    RecordingFrameHost host;
    std::vector<std::string> log;
    ScriptedTarget target{"app", log};
    std::unique_ptr<MainFrame> frame;
};

TEST_F(ControlStatesFrame, EveryStateModeSongAndSetFile)
{
    const TransportState states[] = {TransportState::Stopped, TransportState::Playing,
                                     TransportState::Paused, TransportState::Starting};
    for (TransportState state : states)
        for (bool performance : {false, true})
            for (bool song : {false, true})
                for (bool setFile : {false, true}) {
                    SCOPED_TRACE(testing::Message() << "state " << int(state) << " perf "
                                                    << performance << " song " << song
                                                    << " set file " << setFile);
                    host.performance = performance;
                    host.context = {};
                    host.context.state = state;
                    host.context.hasSong = song;
                    host.context.setHasFile = setFile;
                    host.context.clickOn = true;
                    host.context.setViewActive = true;
                    host.context.setItemSelected = true;
                    host.context.setItemTopLevel = true;
                    refresh();
                    const bool stopped = state == TransportState::Stopped;
                    const bool playing = state == TransportState::Playing ||
                                         state == TransportState::Starting;
                    const bool open = stopped && !performance;
                    EXPECT_EQ(button(Button::PlayStop)->isEnabled(), song);
                    EXPECT_EQ(button(Button::Stop)->isEnabled(), song);
                    EXPECT_EQ(button(Button::Pause)->isEnabled(), song);
                    EXPECT_EQ(button(Button::PlayStop)->isPressed(), playing);
                    EXPECT_EQ(button(Button::Stop)->isPressed(), stopped);
                    EXPECT_EQ(button(Button::Pause)->isPressed(),
                              state == TransportState::Paused);
                    EXPECT_EQ(button(Button::TransposeUp)->isEnabled(), song && open);
                    EXPECT_EQ(button(Button::TransposeDown)->isEnabled(), song && open);
                    BitmapPushButton* record = button(Button::Record);
                    if (performance) {
                        EXPECT_EQ(record->bitmapId(), bitmap_id::kClickOnOff);
                        EXPECT_EQ(record->dlgCtrlId(), kIdClickOnOff);
                        EXPECT_TRUE(record->isEnabled());
                        EXPECT_TRUE(record->isPressed());
                    } else {
                        EXPECT_EQ(record->bitmapId(), bitmap_id::kRecord);
                        EXPECT_EQ(record->dlgCtrlId(), kIdRecord);
                        EXPECT_EQ(record->isEnabled(), song && stopped);
                        EXPECT_FALSE(record->isPressed());
                    }
                    EXPECT_EQ(action(kIdPerformanceMode)->isChecked(), performance);
                    EXPECT_EQ(action(kIdEditMode)->isChecked(), !performance);
                    EXPECT_EQ(action(kIdFileNew)->isEnabled(), open);
                    EXPECT_EQ(action(kIdFileOpen)->isEnabled(), open);
                    EXPECT_EQ(action(kIdSelect)->isEnabled(), song && !performance);
                    EXPECT_EQ(action(kIdEditCopy)->isEnabled(), open);
                    EXPECT_EQ(action(kIdEditCut)->isEnabled(), open && setFile);
                }
}

TEST_F(ControlStatesFrame, ARuleAndTheCommandMustBothAllowAButton)
{
    host.context.hasSong = true;
    refresh();
    EXPECT_TRUE(action(kIdFileNew)->isEnabled());
    target.updates(kIdFileNew, disabledUi());
    refresh();
    EXPECT_FALSE(action(kIdFileNew)->isEnabled());
}

TEST_F(ControlStatesFrame, StaffToolsFollowTheFramesToolState)
{
    host.context.hasSong = true;
    StaffToolState& tools = frame->staffTools();
    tools.tool = 1;
    tools.noteType = -1; // the wedge: no dots or triplets
    tools.dotted = true;
    tools.lyricTool = 2;
    refresh();
    EXPECT_FALSE(action(kIdSelect)->isChecked());
    EXPECT_TRUE(action(kIdDraw)->isChecked());
    EXPECT_TRUE(action(kIdWedge)->isChecked());
    EXPECT_FALSE(action(kIdQuarterNote)->isChecked());
    EXPECT_TRUE(action(kIdDotted)->isChecked());
    EXPECT_FALSE(action(kIdDotted)->isEnabled());
    EXPECT_FALSE(action(kIdAccidental)->isEnabled()); // no staff view
    EXPECT_FALSE(action(kIdHighlightLines)->isVisible()); // no lyric view
    host.context.lyricView = true;
    host.context.staffView = true;
    refresh();
    EXPECT_TRUE(action(kIdHighlightLines)->isVisible());
    EXPECT_TRUE(action(kIdHighlightLines)->isChecked());
    EXPECT_TRUE(action(kIdAccidental)->isEnabled());
}

// A new prompt refreshes the tool bar at once, without waiting for the idle pass.
TEST_F(ControlStatesFrame, APromptChangeRefreshesTheToolBar)
{
    frame->setPromptId(kIdFileNew);
    EXPECT_FALSE(action(kIdSelect)->isEnabled());
    host.context.hasSong = true;
    frame->setPromptId(kIdFileOpen);
    EXPECT_TRUE(action(kIdSelect)->isEnabled());
}

using ControlStatesApp = AppFixture;

TEST_F(ControlStatesApp, WithoutASongTheTransportButtonsAreDisabled)
{
    start();
    MainFrame* frame = app->frame();
    for (Button which : {Button::PlayStop, Button::Stop, Button::Pause, Button::TransposeUp,
                         Button::TransposeDown, Button::Record})
        EXPECT_FALSE(frame->button(which)->isEnabled()) << int(which);
    CSongDoc& song = addSong("One");
    app->SetCurrentSong(&song);
    EXPECT_TRUE(frame->button(Button::PlayStop)->isEnabled());
    EXPECT_TRUE(frame->button(Button::TransposeUp)->isEnabled());

    app->transport().setClickOn(true);
    app->setPerformanceMode(true);
    EXPECT_EQ(frame->button(Button::Record)->dlgCtrlId(), kIdClickOnOff);
    EXPECT_TRUE(frame->button(Button::Record)->isPressed());
    EXPECT_FALSE(frame->button(Button::TransposeUp)->isEnabled());
    app->setPerformanceMode(false);
    EXPECT_EQ(frame->button(Button::Record)->dlgCtrlId(), kIdRecord);
    EXPECT_EQ(frame->button(Button::Record)->bitmapId(), bitmap_id::kRecord);
}

} // namespace
} // namespace rz
