// The maps' commands through the router: their dialogs are always there.

#include "res/command_ids.h"
#include "tests/app/command_enable_table.h"

namespace rz::test {
namespace {

const EnableCase kMapCases[] = {
    {kIdExternalControl, kAlways}, {kIdKeyboardAccelerators, kAlways},
};

class MapEnable : public CommandEnableFixture, public testing::WithParamInterface<size_t> {};

TEST_P(MapEnable, FollowsTransportPerformanceAndSong)
{
    check(kMapCases[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(Table, MapEnable, testing::Range(size_t(0), std::size(kMapCases)));

} // namespace
} // namespace rz::test
