// The staff view's print commands: when they are offered, and the refusal
// of a score taller than a page.

#include <gtest/gtest.h>

#include "res/command_ids.h"
#include "staff/model/staff_print_plan.h"
#include "tests/staff/view/staff_rig.h"

namespace rz::test {
namespace {

constexpr CommandId kPrintCommands[] = {kIdFilePrint, kIdFilePrintDirect, kIdFilePrintPreview};

bool enabled(StaffView& view, CommandId id)
{
    CmdUi ui;
    EXPECT_TRUE(view.update(id, ui)) << id;
    return ui.enabled;
}

TEST(StaffPrintCommands, EnabledWhenStoppedOutsidePerformanceWithAStaff)
{
    const struct {
        const char* name;
        TransportState state;
        bool performance;
        bool staff;
        bool enabled;
    } cases[] = {
        {"stopped", TransportState::Stopped, false, true, true},
        {"playing", TransportState::Playing, false, true, false},
        {"paused", TransportState::Paused, false, true, false},
        {"performance mode", TransportState::Stopped, true, true, false},
        {"no staff", TransportState::Stopped, false, false, false},
    };
    for (const auto& c : cases) {
        StaffRig rig(4);
        if (c.staff)
            rig.fillQuarters(rig.addTrack());
        StaffViewContext context = rig.context();
        context.performanceMode = [&c] { return c.performance; };
        rig.view = std::make_unique<StaffView>(context, false, false, nullptr);
        rig.view->resize(800, 400);
        rig.view->attach(*rig.song);
        rig.view->initialUpdate();
        rig.fixture.engine.state = c.state;
        for (CommandId id : kPrintCommands)
            EXPECT_EQ(enabled(*rig.view, id), c.enabled) << c.name << " " << id;
    }
}

TEST(StaffPrintCommands, ChordSymbolsFollowTheChordFontOfTheOptions)
{
    StaffRig rig(2);
    rig.fillQuarters(rig.addTrack());
    rig.fixture.profile.writeString("StaffView", "ChordFont", "DejaVu Serif");
    rig.fixture.profile.writeInt("StaffView", "ChordWeight", 700);
    StaffView& view = rig.open();
    const StaffPrintPlan plan = view.printPlan(QSize(21000, 29700));
    EXPECT_EQ(plan.chordFace, "DejaVu Serif");
    EXPECT_EQ(plan.chordWeight, 700);
}

TEST(StaffPrintCommands, TallScoreIsRefusedOnceAndTheScreenKeepsItsModel)
{
    StaffRig rig(4);
    for (int i = 0; i < 14; ++i)
        rig.fillQuarters(rig.addTrack());
    StaffView& view = rig.open();
    // A4 at the default size: the staves need more than one page.
    ASSERT_TRUE(view.printPlan(QSize(21000, 29700)).refused);
    const std::string before = DumpStaffModel(view.model());
    const int rebuilds = view.rebuildCount();
    for (CommandId id : kPrintCommands) {
        rig.fixture.prompt.expectMessage("Sorry, all staves will not fit onto one page.  Try another staff or paper size.");
        EXPECT_TRUE(view.handle(id));
        rig.fixture.prompt.verifyAllUsed();
    }
    EXPECT_EQ(rig.fixture.prompt.prompts().size(), 3u);
    for (const PromptRecord& record : rig.fixture.prompt.prompts())
        EXPECT_EQ(record.icon, PromptIcon::Stop);
    EXPECT_EQ(DumpStaffModel(view.model()), before);
    EXPECT_EQ(view.rebuildCount(), rebuilds);
}

} // namespace
} // namespace rz::test
