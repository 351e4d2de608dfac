// The setup commands through the router: the Options sheet is always there;
// the dialogs other libraries register are grey until they do.

#include "res/command_ids.h"
#include "tests/app/command_enable_table.h"

namespace rz::test {
namespace {

// Grey until the engine's dialogs register (they do in the program).
const EnableCase kSetupCases[] = {
    {kIdOptions, kAlways}, {kIdRecordOptions, kAlways}, {kIdPlaybackOptions, kAlways},
    {kIdSynthPatchNames, kNever}, {kIdMidiPorts, kNever}, {kIdSynchronization, kNever},
    {kIdAudioDevices, kNever}, {kIdSoundFontBanks, kNever},
};

class SetupEnable : public CommandEnableFixture, public testing::WithParamInterface<size_t> {};

TEST_P(SetupEnable, FollowsTransportPerformanceAndSong)
{
    check(kSetupCases[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(Table, SetupEnable, testing::Range(size_t(0), std::size(kSetupCases)));

using SetupDialogCommands = AppFixture;

// A registered dialog enables its command, which opens it; a cancelled
// MIDI ports dialog leaves the song's views alone.
TEST_F(SetupDialogCommands, ARegisteredDialogOpensThroughTheRouter)
{
    start();
    int opened = 0;
    app->setupDialogs().registerDialog(kIdMidiPorts, [&opened] {
        ++opened;
        return false;
    });
    EXPECT_TRUE(app->router().update(kIdMidiPorts).enabled);
    EXPECT_FALSE(app->router().update(kIdSynchronization).enabled);
    EXPECT_TRUE(app->router().execute(kIdMidiPorts));
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(app->router().execute(kIdSynchronization));
}

} // namespace
} // namespace rz::test
