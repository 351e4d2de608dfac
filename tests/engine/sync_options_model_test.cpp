// The Synchronization dialog's port list and its OK.

#include "engine/sync_options_model.h"

#include "core/smpte_time.h"
#include "tests/engine/midi_input_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

class SyncOptionsModelTest : public MidiInputTest {
protected:
    void TearDown() override
    {
        setDefaultSmpteRate(3); // the rate is program-wide
        MidiInputTest::TearDown();
    }
};

TEST_F(SyncOptionsModelTest, TheListHoldsAllPortsTheKnownPortsAndUnknownOnesUpTo15)
{
    for (const char* name : {"A", "B", "C"})
        devices.addOutput(name);
    SyncOptionsModel model(start());
    model.options().masterSlave = SyncOptionsModel::kMaster;
    const std::vector<std::string> master = model.portItems();
    ASSERT_EQ(master.size(), 17u);
    EXPECT_EQ(master[0], "All ports");
    EXPECT_EQ(master[1], "0: A");
    EXPECT_EQ(master[3], "2: C");
    EXPECT_EQ(master[4], "3: ?");
    EXPECT_EQ(master[16], "15: ?");
    EXPECT_TRUE(model.portsEnabled());

    model.options().masterSlave = SyncOptionsModel::kSlave;
    EXPECT_EQ(model.portItems()[1], "0: Keyboard");
    EXPECT_EQ(model.portItems()[2], "1: ?");

    model.options().masterSlave = SyncOptionsModel::kIndependent;
    EXPECT_EQ(model.portItems()[1], "0: ?");
    EXPECT_FALSE(model.portsEnabled());
}

TEST_F(SyncOptionsModelTest, OkSetsTheEngineAndWritesTheProfile)
{
    profile.writeInt("SyncOptions", "Port", 40); // past the list: the first item
    CSequencer& engine = start();
    SyncOptionsModel model(engine);
    EXPECT_EQ(model.portItem(), 0);
    model.options() = {.port = 2, .protocol = 1, .masterSlave = 1, .smpteRate = 1};
    model.ok(engine, profile);
    EXPECT_EQ(engine.syncOptions().port, 2);
    EXPECT_EQ(engine.syncOptions().smpteRate, 1);
    EXPECT_EQ(profile.readInt("SyncOptions", "Port", -1), 2);
    EXPECT_EQ(profile.readInt("SyncOptions", "Protocol", -1), 1);
    EXPECT_EQ(profile.readInt("SyncOptions", "MasterSlave", -1), 1);
    EXPECT_EQ(profile.readInt("SyncOptions", "SMPTE", -1), 1);
    EXPECT_EQ(defaultSmpteRate(), 1);
}

} // namespace
} // namespace rz
