// The Synchronization and SysEx receive dialogs.

#include "engine/ui/sync_dlg.h"
#include "engine/ui/sysex_receive_dlg.h"

#include "core/smpte_time.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/support/eventually.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace rz {
namespace {

class SyncDialog : public SequencerTest {
protected:
    void TearDown() override
    {
        setDefaultSmpteRate(3); // the rate is program-wide
        SequencerTest::TearDown();
    }
};

TEST_F(SyncDialog, MasterListsTheOutputsThenUnknownPortsAndOkSetsTheEngine)
{
    for (const char* name : {"A", "B", "C"})
        devices.addOutput(name);
    CSequencer& engine = make();
    engine.Init();
    CSyncDlg dialog(engine, profile);
    auto* port = dialog.findChild<QComboBox*>("port1172");
    ASSERT_NE(port, nullptr);
    EXPECT_FALSE(port->isEnabled()); // independent
    dialog.findChild<QRadioButton*>("mode1166")->click();
    ASSERT_EQ(port->count(), 17);
    EXPECT_EQ(port->itemText(0), "All ports");
    EXPECT_EQ(port->itemText(3), "2: C");
    EXPECT_EQ(port->itemText(4), "3: ?");
    EXPECT_EQ(port->itemText(16), "15: ?");
    port->setCurrentIndex(2);
    dialog.findChild<QRadioButton*>("smpte1169")->click();
    dialog.accept();
    EXPECT_EQ(engine.syncOptions().masterSlave, 1);
    EXPECT_EQ(engine.syncOptions().port, 2);
    EXPECT_EQ(profile.readInt("SyncOptions", "SMPTE", -1), 1);
    EXPECT_EQ(defaultSmpteRate(), 1);
}

TEST(SysexReceive, TheCounterShowsTheOwnersCount)
{
    std::atomic<int> received{0};
    CSysexReceiveDlg dialog(received);
    EXPECT_EQ(dialog.countText(), "0");
    received = 1234;
    EXPECT_TRUE(eventually([&] {
        QCoreApplication::processEvents();
        return dialog.countText() == "1234";
    }));
}

} // namespace
} // namespace rz
