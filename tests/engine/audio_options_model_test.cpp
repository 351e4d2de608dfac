// The "Waveform audio" options: what OK writes and which values load.

#include "engine/audio_options_model.h"

#include "core/profile.h"
#include "tests/engine/sequencer_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

class FakeAudioProbe final : public IAudioDeviceProbe {
public:
    std::vector<AlsaPcmDevice> devices(bool capture) override { return capture ? capture_ : playback; }
    LowLatencyChannels openLowLatency(uint32_t blockFrames) override
    {
        askedBlock = blockFrames;
        ++opens;
        return jack;
    }

    std::vector<AlsaPcmDevice> playback{{"hw:A", "Card A"}, {"hw:B", "Card B"}};
    std::vector<AlsaPcmDevice> capture_{{"hw:A", "Card A"}};
    LowLatencyChannels jack{true, "default", {"system:capture_1", "system:capture_2"},
                            {"system:playback_1", "system:playback_2", "system:playback_3"}, 48000, 256};
    uint32_t askedBlock = 0;
    int opens = 0;
};

class AudioOptionsModelTest : public ::testing::Test {
protected:
    AudioOptionsModel& loaded()
    {
        model.load();
        return model;
    }
    int stored(const char* name) { return profile.readInt("AudioOptions", name, -999); }
    std::string storedText(const char* name) { return profile.readString("AudioOptions", name, "unset"); }

    MemoryProfile profile;
    FakeAudioProbe probe;
    AudioOptionsModel model{profile, probe};
};

TEST_F(AudioOptionsModelTest, AlsaKindsLeaveTheJackChannelsUntouched)
{
    for (int kind : {0, 1}) {
        SCOPED_TRACE(kind);
        profile.writeInt("AudioOptions", "RTenable", 1);
        profile.writeInt("AudioOptions", "RToutput", kind);
        profile.writeString("AudioOptions", "AsioChnIn", "keep in");
        profile.writeString("AudioOptions", "AsioChnOut", "keep out");
        loaded().ok();
        EXPECT_EQ(storedText("AsioChnIn"), "keep in");
        EXPECT_EQ(storedText("AsioChnOut"), "keep out");
        EXPECT_EQ(stored("RToutput"), kind);
    }
}

TEST_F(AudioOptionsModelTest, AnInputPairWithNoOutputPairWritesTheFirstNameAndAnEmptyOutput)
{
    profile.writeInt("AudioOptions", "RTenable", 1);
    profile.writeInt("AudioOptions", "RToutput", 2);
    profile.writeString("AudioOptions", "AsioChnOut", "system:playback_1");
    loaded().setInputKind(AudioOptionsModel::kLowLatency);
    // Three outputs give one pair: an odd last channel is not offered.
    ASSERT_EQ(model.channelPairs(false),
              (std::vector<std::string>{"Not specified", "system:playback_1 + system:playback_2"}));
    EXPECT_EQ(model.channelPair(false), 1); // the stored first channel selects its pair
    model.setChannelPair(true, 1);
    model.setChannelPair(false, 0);
    model.ok();
    EXPECT_EQ(storedText("AsioChnIn"), "system:capture_1");
    EXPECT_EQ(storedText("AsioChnOut"), "");
    EXPECT_EQ(stored("RTinput"), 2);
}

TEST_F(AudioOptionsModelTest, ATypedBlockLengthIsStoredAndOnlyValuesOutsideTheListsRangeAreClamped)
{
    struct Case {
        const char* typed;
        int stored;
    };
    const Case cases[] = {
        {"1000", 1000}, {"0", 64}, {"100000", 11025}, {"441 samples (10.00 msec)", 441},
        {"", 441}, // nothing typed keeps the last value
    };
    loaded();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        model.setBlockText(c.typed);
        model.ok();
        EXPECT_EQ(stored("RTbuffer"), c.stored);
    }
    model.setBlockText("1000");
    EXPECT_EQ(model.blockSizeIndex(), -1);
    EXPECT_EQ(AudioOptionsModel::blockLabel(441, 44100), "441 samples (10.00 msec)");
}

TEST_F(AudioOptionsModelTest, AnAlsaOutputTurnsAJackInputBackToTheDefault)
{
    profile.writeInt("AudioOptions", "RTenable", 1);
    profile.writeInt("AudioOptions", "RToutput", 2);
    profile.writeInt("AudioOptions", "RTinput", 2);
    loaded();
    ASSERT_EQ(model.inputKind(), 2);
    EXPECT_TRUE(model.enabling().passthrough);
    model.setOutputKind(1);
    EXPECT_EQ(model.inputKind(), 0);
    EXPECT_FALSE(model.enabling().lowLatencyInput);
    model.setInputKind(2); // the radio is disabled; refused all the same
    EXPECT_EQ(model.inputKind(), 0);
}

TEST_F(AudioOptionsModelTest, OutOfRangeValuesReadAsTheirDefaults)
{
    profile.writeInt("AudioOptions", "RToutput", 3);
    profile.writeInt("AudioOptions", "RTinput", -1);
    profile.writeInt("AudioOptions", "RTrate", 22050);
    profile.writeInt("AudioOptions", "RTdevice", 2);
    profile.writeInt("AudioOptions", "RECdevice", 7);
    loaded();
    EXPECT_EQ(model.outputKind(), 0);
    EXPECT_EQ(model.inputKind(), 0);
    EXPECT_EQ(model.sampleRate(), 44100);
    EXPECT_EQ(model.device(false), 0);
    EXPECT_EQ(model.device(true), 0);
}

TEST_F(AudioOptionsModelTest, TheStoredDeviceNameWinsOverItsIndexAndIsWrittenBack)
{
    profile.writeInt("AudioOptions", "RTdevice", 0);
    profile.writeString("AudioOptions", "RTclsid", "hw:B");
    profile.writeString("AudioOptions", "RECclsid", "hw:gone");
    loaded();
    EXPECT_EQ(model.device(false), 1);
    EXPECT_EQ(model.device(true), 0);
    model.ok();
    EXPECT_EQ(stored("RTdevice"), 1);
    EXPECT_EQ(storedText("RTclsid"), "hw:B");
    EXPECT_EQ(storedText("RECclsid"), "hw:A");
}

TEST_F(AudioOptionsModelTest, WithJackTheServerGivesRateAndBlockAndAFailedOpenDisablesTheChannels)
{
    profile.writeInt("AudioOptions", "RTenable", 1);
    profile.writeInt("AudioOptions", "RToutput", 2);
    loaded();
    EXPECT_EQ(probe.askedBlock, 2205u);
    EXPECT_EQ(model.sampleRate(), 48000);
    EXPECT_EQ(model.blockSize(), 256);
    EXPECT_FALSE(model.enabling().blockSize);
    EXPECT_FALSE(model.enabling().sampleRate);
    EXPECT_TRUE(model.enabling().outputChannels);

    probe.jack = {};
    model.fillChannels();
    EXPECT_FALSE(model.enabling().outputChannels);
    EXPECT_FALSE(model.enabling().inputChannels);
    EXPECT_TRUE(model.enabling().blockSize);
    profile.writeString("AudioOptions", "AsioChnOut", "kept");
    model.ok(); // a server that did not open writes no channels
    EXPECT_EQ(storedText("AsioChnOut"), "kept");
}

TEST_F(AudioOptionsModelTest, DisabledAudioEnablesNothingButTheRate)
{
    loaded();
    const AudioOptionsModel::Enabling e = model.enabling();
    EXPECT_FALSE(e.kinds || e.outputDevice || e.inputDevice || e.lowLatencyDriver || e.blockSize
                 || e.passthrough);
    EXPECT_TRUE(e.sampleRate);
    EXPECT_EQ(probe.opens, 0);
}

class AudioOptionsCommand : public SequencerTest {};

TEST_F(AudioOptionsCommand, TheEnginesStayClosedWhileTheDialogRunsAndReloadAfterwards)
{
    profile.writeInt("AudioOptions", "RTenable", 1);
    CSequencer& engine = make();
    engine.Init();
    const size_t opensBefore = audio.opened.size();
    const int closesBefore = audio.closes;
    audio.answerError = "The ALSA device is busy.";
    prompt.expectMessage("The ALSA device is busy.");
    editAudioOptions(engine, prompt, [&] {
        EXPECT_GT(audio.closes, closesBefore);
        EXPECT_EQ(audio.opened.size(), opensBefore);
        profile.writeInt("AudioOptions", "RTbuffer", 441);
    });
    ASSERT_EQ(audio.opened.size(), opensBefore + 1);
    EXPECT_EQ(audio.opened.back().blockSize, 441u);
    EXPECT_EQ(prompt.prompts().back().icon, PromptIcon::Warning);
}

} // namespace
} // namespace rz
