// "Port Setup" of one input: the thru choices and what OK stores.

#include "engine/ui/in_port_setup_dlg.h"

#include "engine/midi_in.h"
#include "tests/engine/midi_input_fixture.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

namespace rz {
namespace {

class InPortSetup : public MidiInputTest {};

TEST_F(InPortSetup, DuplicateOutputsAppearOnceAndTheStoredOneIsChosen)
{
    profile.writeString("MIDIInPorts", "Keyboard", "drums");
    CSequencer& engine = start();
    CInPortSetupDlg dialog("Keyboard", {"Synth", "Drums", "Synth", ""}, engine, profile);
    QComboBox* port = dialog.portCombo();
    ASSERT_EQ(port->count(), 2);
    EXPECT_EQ(port->currentText(), "Drums");
    EXPECT_TRUE(dialog.echoBox()->isChecked());
    EXPECT_TRUE(port->isEnabled());
    dialog.echoBox()->setChecked(false);
    EXPECT_FALSE(port->isEnabled());
}

TEST_F(InPortSetup, OkSetsTheRunningInputsThruAndAnAbsentInputStillGetsItsValue)
{
    devices.addOutput("Synth");
    devices.addOutput("Drums");
    CSequencer& engine = start();
    {
        CInPortSetupDlg dialog("Keyboard", {"Synth", "Drums"}, engine, profile);
        dialog.echoBox()->setChecked(true);
        dialog.portCombo()->setCurrentIndex(1);
        emit dialog.portCombo()->activated(1);
        dialog.accept();
    }
    EXPECT_EQ(profile.readString("MIDIInPorts", "Keyboard", "unset"), "Drums");
    EXPECT_EQ(engine.input(0).thruPort(), 1);
    CInPortSetupDlg absent("Unplugged", {"Synth"}, engine, profile);
    absent.accept();
    EXPECT_EQ(profile.readString("MIDIInPorts", "Unplugged", "unset"), "");
}

} // namespace
} // namespace rz
