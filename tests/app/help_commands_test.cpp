// The help commands through the router: always enabled.

#include "res/command_ids.h"
#include "tests/app/command_enable_table.h"

namespace rz::test {
namespace {

const EnableCase kHelpCases[] = {
    {kIdHelpContents, kAlways}, {kIdHelpSearch, kAlways}, {kIdMidiAssociationWebSite, kAlways},
    {kIdTipOfTheDay, kAlways}, {kIdCheckForUpdate, kAlways}, {kIdAppAbout, kAlways},
};

class HelpEnable : public CommandEnableFixture, public testing::WithParamInterface<size_t> {};

TEST_P(HelpEnable, FollowsTransportPerformanceAndSong)
{
    check(kHelpCases[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(Table, HelpEnable, testing::Range(size_t(0), std::size(kHelpCases)));

} // namespace
} // namespace rz::test
