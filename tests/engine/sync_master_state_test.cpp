// The synchronisation master's Start/Stop pairing on its own.

#include "engine/sync_master.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(SyncMasterState, StartGoesOnlyWhileNoneIsOutAndStopOnlyAfterOne)
{
    SyncMaster master;
    EXPECT_FALSE(master.takeStop()) << "no Stop before a Start";
    EXPECT_TRUE(master.takeStart());
    EXPECT_FALSE(master.takeStart()) << "one Start at a time";
    EXPECT_TRUE(master.takeStop());
    EXPECT_FALSE(master.takeStop());
    EXPECT_TRUE(master.takeStart());
}

} // namespace
} // namespace rz
