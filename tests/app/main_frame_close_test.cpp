#include "app/main_frame.h"
#include "core/profile.h"
#include "recording_frame_host.h"
#include "ui/command_router.h"
#include "ui/fader_ctrl.h"
#include "views/pane_view.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace rz {
namespace {

struct MainFrameClose : testing::Test {
    MemoryProfile profile;
    CommandRouter router;
    RecordingFrameHost host;
};

TEST_F(MainFrameClose, CancelAtTheSaveQuestionKeepsTheWindowAndTheAudio)
{
    host.saveAnswer = false;
    MainFrame frame(profile, router, host);
    frame.show();
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"stopSequencer", "saveModifiedSet"}));
    EXPECT_FALSE(host.called("closeAudioEngines"));
    EXPECT_TRUE(host.startupComplete());
    EXPECT_NE(frame.pane(pane_id::kSetTree), nullptr);
    EXPECT_TRUE(profile.valueNames("Defaults").empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainFrameClose, GoingOnClosesTheEnginesAfterTheQuestionThenHandsOver)
{
    MainFrame frame(profile, router, host);
    frame.volumeFader()->setPos(9000);
    frame.staffTools().noteType = 4;
    frame.staffTools().dotted = true;
    frame.show();
    frame.close();
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"stopSequencer", "saveModifiedSet", "closeAudioEngines",
                                        "releaseSetView", "clearStartupComplete",
                                        "finishClose"}));
    EXPECT_EQ(frame.pane(pane_id::kSetTree), nullptr);
    EXPECT_EQ(profile.readInt("Defaults", "Volume", -1), 9000);
    EXPECT_EQ(profile.readInt("StaffView", "NoteType", -1), 4);
    EXPECT_EQ(profile.readInt("StaffView", "NoteDotted", -1), 1);
    EXPECT_EQ(profile.readInt("StaffView", "NoteTriplet", -1), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainFrameClose, WithoutASetNothingIsAskedAndATypedDurationIsNotStored)
{
    host.setOpen = false;
    profile.writeInt("StaffView", "NoteType", 3);
    MainFrame frame(profile, router, host);
    frame.staffTools().noteType = -1; // a duration was typed
    frame.close();
    EXPECT_FALSE(host.called("saveModifiedSet"));
    EXPECT_TRUE(host.called("closeAudioEngines"));
    EXPECT_TRUE(host.called("finishClose"));
    EXPECT_EQ(profile.readInt("StaffView", "NoteType", -1), 3);
}

} // namespace
} // namespace rz
