// Device Setup offscreen: what it opens on, what its controls send, and
// what OK returns and inserts.

#include "engine/device_setup.h"
#include "engine/ui/port_setup_dlg.h"
#include "song/undo_record.h"
#include "tests/engine/sequencer_fixture.h"
#include "ui/cool_slider.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

namespace rz {
namespace {

class PortSetupDialog : public SequencerTest {
protected:
    void SetUp() override
    {
        devices.addOutput("USB MIDI");
        profile.writeString("PortsToUse\\MIDIOUT\\0", "port", "USB MIDI");
        make().Init();
    }

    std::unique_ptr<CPortSetupDlg> open(NumberedPort record, CSongDoc* current = nullptr)
    {
        return std::make_unique<CPortSetupDlg>(
            0, std::move(record), *sequencer,
            std::vector<SynthChoice>{{33, "General MIDI"}, {7, "Module"}}, current);
    }

    std::vector<std::string> sentSysEx()
    {
        std::vector<std::string> found;
        for (const std::string& hex : output("USB MIDI").sentHex())
            if (hex.starts_with("F0"))
                found.push_back(hex);
        return found;
    }
};

TEST_F(PortSetupDialog, AMissingPortDisablesTheDeviceControlsOnly)
{
    const auto dialog = open({"Unplugged", 7, 512});
    EXPECT_EQ(dialog->windowTitle(), "0: Unplugged");
    EXPECT_FALSE(dialog->portPresent());
    EXPECT_FALSE(dialog->fader(DeviceFader::MasterVolume)->isEnabled());
    EXPECT_FALSE(dialog->faderEdit(DeviceFader::ReverbTime)->isEnabled());
    EXPECT_FALSE(dialog->reverbCombo()->isEnabled());
    EXPECT_FALSE(dialog->spinButton(true, true)->isEnabled());
    EXPECT_FALSE(dialog->insertCheck()->isEnabled());
    EXPECT_FALSE(dialog->synthDatabaseButton()->isEnabled()) << "no patch-name editor yet";
    EXPECT_TRUE(dialog->synthCombo()->isEnabled());
    EXPECT_EQ(dialog->synthCombo()->currentText(), "Module");
    EXPECT_TRUE(dialog->drumCheck(9)->isChecked());
    EXPECT_TRUE(dialog->drumCheck(9)->isEnabled());
}

TEST_F(PortSetupDialog, OpensOnTheCachedSettingsAndSendsWhatTheControlsChange)
{
    COutPort& port = *sequencer->ports()->outputs[0];
    const std::vector<uint8_t> plate = reverbTypeMessage(8);
    port.SendSysEx(plate.data(), plate.size());
    const std::vector<uint8_t> fine = tuningMessage(false, 8192 + 4096);
    port.SendSysEx(fine.data(), fine.size());
    const auto dialog = open({"usb midi", 33, 512});
    ASSERT_TRUE(dialog->portPresent());
    EXPECT_EQ(dialog->reverbCombo()->currentText(), "8: Plate Simulation");
    EXPECT_EQ(dialog->fader(DeviceFader::ReverbTime)->pos(), 50);
    EXPECT_EQ(dialog->faderEdit(DeviceFader::ReverbTime)->text(), "1.3");
    EXPECT_EQ(dialog->fineEdit()->text(), "+50.00");
    EXPECT_EQ(dialog->coarseEdit()->text(), "");
    output("USB MIDI").clear();

    dialog->fader(DeviceFader::MasterVolume)->setPos(100);
    dialog->OnFaderNotify(DeviceFader::MasterVolume, true);
    EXPECT_EQ(dialog->faderEdit(DeviceFader::MasterVolume)->text(), "100");
    dialog->reverbCombo()->setCurrentIndex(2);
    emit dialog->reverbCombo()->activated(2);
    EXPECT_EQ(dialog->fader(DeviceFader::ReverbTime)->pos(), 50);
    dialog->faderEdit(DeviceFader::ReverbTime)->setText("2.5");
    emit dialog->faderEdit(DeviceFader::ReverbTime)->editingFinished();
    EXPECT_EQ(dialog->fader(DeviceFader::ReverbTime)->pos(), 77);
    dialog->spinButton(true, true)->click();
    EXPECT_EQ(dialog->coarseEdit()->text(), "+1.00");
    EXPECT_EQ(sentSysEx(), (std::vector<std::string>{"F0 7F 7F 04 01 7F 64 F7",
                                                     "F0 7F 7F 04 05 01 01 01 01 01 00 01 F7",
                                                     "F0 7F 7F 04 04 00 41 F7"}));
}

// Nothing sent to the port yet: every value field and both type lists say
// what the device plays meanwhile instead of showing nothing.
TEST_F(PortSetupDialog, ANewPortShowsWhatTheDevicePlaysMeanwhile)
{
    const auto dialog = open({"USB MIDI", 33, 512});
    ASSERT_TRUE(dialog->portPresent());
    EXPECT_EQ(dialog->reverbCombo()->currentText(), "(device default) 4: Large Concert Hall");
    EXPECT_EQ(dialog->chorusCombo()->currentText(), "(device default) 2: Chorus 3");
    for (size_t i = 0; i < kDeviceFaderCount; ++i) {
        const QLineEdit* edit = dialog->faderEdit(DeviceFader(i));
        EXPECT_EQ(edit->text(), "") << i << ": nothing cached";
        EXPECT_FALSE(edit->placeholderText().trimmed().isEmpty()) << i;
    }
    EXPECT_EQ(dialog->faderEdit(DeviceFader::MasterVolume)->placeholderText(), "127");
}

TEST_F(PortSetupDialog, OkReturnsTheSynthAndDrumsAndInsertsTheSettings)
{
    CSongDoc& doc = makeSong();
    auto track = std::make_unique<CTrack>();
    track->port = 0;
    CTrack& target = *track;
    doc.tracks.insert(doc.tracks.begin() + 1, std::move(track));
    const auto dialog = open({"USB MIDI", 33, 0}, &doc);
    ASSERT_TRUE(dialog->insertCheck()->isEnabled());
    dialog->fader(DeviceFader::MasterVolume)->setPos(90);
    dialog->insertCheck()->setChecked(true);
    dialog->synthCombo()->setCurrentIndex(-1);
    dialog->drumCheck(15)->setChecked(true);
    dialog->accept();

    EXPECT_EQ(dialog->record(), (NumberedPort{"USB MIDI", -1, 0x8000}));
    ASSERT_EQ(target.events.size(), 1u);
    const std::span<const uint8_t> bytes = target.events[0].data.bytes();
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()),
              (std::vector<uint8_t>{0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 90, 0xF7}));
    EXPECT_EQ(doc.undoList.back()->label, "Port Setup Events");
}

} // namespace
} // namespace rz
