// "Waveform audio" over the real device probe on a dummy JACK server of the
// test's own with three ports each way: alone (RUN_SERIAL), as every JACK test.

#include "engine/audio_options_model.h"
#include "engine/ui/audio_options_dlg.h"
#include "tests/engine/engine_jack_fixture.h"

#include <QComboBox>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace rz {
namespace {

class AudioOptionsDialogJack : public EngineJackTest {
protected:
    void SetUp() override
    {
        std::string error;
        m_server = JackServer::start(error, true, JackDummyPorts{.capture = 3, .playback = 3});
        ASSERT_TRUE(m_server) << error;
        profile.writeInt("AudioOptions", "RTenable", 1);
        profile.writeInt("AudioOptions", "RToutput", AudioOptionsModel::kLowLatency);
        startEngine(timer);
        ASSERT_NE(engine->previewSlot(), nullptr) << "the audio engines did not open";
    }

    std::map<std::string, std::string> storedOptions()
    {
        std::map<std::string, std::string> values;
        for (const IProfile::ValueName& value : profile.valueNames("AudioOptions"))
            values[value.name] = profile.readString("AudioOptions", value.name, "");
        return values;
    }

    // Runs the dialog as Setup > Waveform Audio does, `answer` ending it;
    // true when the engines stayed closed meanwhile.
    template <class Answer>
    bool runDialog(Answer answer)
    {
        bool closed = false;
        editAudioOptions(*engine, prompt, [&] {
            closed = engine->previewSlot() == nullptr;
            SystemAudioDeviceProbe probe;
            CAudioOptionsDlg dialog(profile, probe);
            answer(dialog);
        });
        return closed;
    }

    static QComboBox* outputChannels(CAudioOptionsDlg& dialog)
    {
        return dialog.findChild<QComboBox*>("channels1036");
    }

    ManualEngineTimer timer;
};

TEST_F(AudioOptionsDialogJack, ThreeOutputsGiveOnePairAndOkWritesIt)
{
    SystemAudioDeviceProbe probe;
    EXPECT_EQ(probe.openLowLatency(0).outputs.size(), 3u);
    const bool closed = runDialog([](CAudioOptionsDlg& dialog) {
        ASSERT_TRUE(dialog.model().channelsOpen());
        QComboBox* channels = outputChannels(dialog);
        ASSERT_NE(channels, nullptr);
        ASSERT_EQ(channels->count(), 2);
        EXPECT_EQ(channels->itemText(0), "Not specified");
        EXPECT_EQ(channels->itemText(1), "system:playback_1 + system:playback_2");
        EXPECT_TRUE(channels->isEnabled());
        channels->setCurrentIndex(1);
        emit channels->activated(1);
        dialog.accept();
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(profile.readInt("AudioOptions", "RToutput", 0), AudioOptionsModel::kLowLatency);
    EXPECT_EQ(profile.readString("AudioOptions", "AsioChnOut", "unset"), "system:playback_1");
    EXPECT_EQ(profile.readInt("AudioOptions", "RTbuffer", 0), int(JackServer::kPeriodFrames));
    EXPECT_EQ(profile.readInt("AudioOptions", "RTrate", 0), int(JackServer::kSampleRate));
    EXPECT_NE(engine->previewSlot(), nullptr) << "the engine did not reload";
}

TEST_F(AudioOptionsDialogJack, CancelWritesNothingAndStillReloadsTheEngine)
{
    const auto before = storedOptions();
    const bool closed = runDialog([](CAudioOptionsDlg& dialog) {
        QComboBox* channels = outputChannels(dialog);
        ASSERT_NE(channels, nullptr);
        ASSERT_EQ(channels->count(), 2);
        channels->setCurrentIndex(1);
        emit channels->activated(1);
        dialog.reject();
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(storedOptions(), before);
    EXPECT_NE(engine->previewSlot(), nullptr) << "the engine did not reload";
}

} // namespace
} // namespace rz
