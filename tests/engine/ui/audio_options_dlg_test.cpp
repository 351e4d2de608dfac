// "Waveform audio" over fake devices: what OK and Cancel leave behind.

#include "engine/ui/audio_options_dlg.h"

#include "core/profile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace rz {
namespace {

class FakeProbe final : public IAudioDeviceProbe {
public:
    std::vector<AlsaPcmDevice> devices(bool) override { return {{"hw:A", "Card A"}, {"hw:B", "Card B"}}; }
    LowLatencyChannels openLowLatency(uint32_t) override { return jack; }
    LowLatencyChannels jack{true, "default", {"system:capture_1", "system:capture_2"},
                            {"system:playback_1", "system:playback_2", "system:playback_3"}, 48000, 1024};
};

template <class T>
T* child(QWidget& dialog, const char* name)
{
    T* found = dialog.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

TEST(AudioOptionsDialog, EnablingJackOffersThePairsAndOkWritesTheChoice)
{
    MemoryProfile profile;
    FakeProbe probe;
    CAudioOptionsDlg dialog(profile, probe);
    auto* enable = child<QCheckBox>(dialog, "enable1132");
    auto* outputChannels = child<QComboBox>(dialog, "channels1036");
    EXPECT_FALSE(child<QRadioButton>(dialog, "out1411")->isEnabled());
    enable->setChecked(true);
    child<QRadioButton>(dialog, "out1411")->click();
    ASSERT_EQ(outputChannels->count(), 2);
    EXPECT_EQ(outputChannels->itemText(1), "system:playback_1 + system:playback_2");
    EXPECT_TRUE(outputChannels->isEnabled());
    EXPECT_FALSE(child<QComboBox>(dialog, "buffer1021")->isEnabled()); // the server's
    outputChannels->setCurrentIndex(1);
    emit outputChannels->activated(1);
    dialog.accept();
    EXPECT_EQ(profile.readInt("AudioOptions", "RTenable", 0), 1);
    EXPECT_EQ(profile.readInt("AudioOptions", "RToutput", 0), 2);
    EXPECT_EQ(profile.readString("AudioOptions", "AsioChnOut", "unset"), "system:playback_1");
    EXPECT_EQ(profile.readInt("AudioOptions", "RTbuffer", 0), 1024);
}

TEST(AudioOptionsDialog, ATypedBlockLengthIsStoredAndCancelWritesNothing)
{
    MemoryProfile profile;
    FakeProbe probe;
    {
        CAudioOptionsDlg dialog(profile, probe);
        child<QCheckBox>(dialog, "enable1132")->setChecked(true);
        child<QComboBox>(dialog, "buffer1021")->setEditText("1000");
        dialog.reject();
    }
    EXPECT_TRUE(profile.valueNames("AudioOptions").empty());
    CAudioOptionsDlg dialog(profile, probe);
    child<QComboBox>(dialog, "buffer1021")->setEditText("1000");
    dialog.accept();
    EXPECT_EQ(profile.readInt("AudioOptions", "RTbuffer", 0), 1000);
}

} // namespace
} // namespace rz
