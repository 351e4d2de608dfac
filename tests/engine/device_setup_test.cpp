// The Device Setup rules: fader values to and from text, the universal
// messages each control sends, the type defaults, the tuning arithmetic and
// the settings inserted into a song.

#include "engine/device_setup.h"
#include "song/undo_record.h"
#include "tests/engine/out_port_fixture.h"
#include "tests/song/song_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace rz {
namespace {

class DeviceSetup : public OutPortFixture {
protected:
    DeviceSetupModel model{port.get()};
};

TEST_F(DeviceSetup, TypedReverbTimeIsStoredWithoutSendingAndBadTextIsSafe)
{
    device->clear();
    EXPECT_EQ(model.faderTyped(DeviceFader::ReverbTime, " 2.5"), 77);
    EXPECT_EQ(port->deviceValue(DeviceValue::ReverbTime), 77);
    EXPECT_TRUE(sent().empty());

    const struct {
        const char* text;
        int fader;
    } kCases[] = {{"-1", 0}, {"0", 0}, {"abc", -1}, {"", -1}, {"1e300", 127}, {"nan", -1}};
    for (const auto& c : kCases) {
        EXPECT_EQ(model.faderTyped(DeviceFader::ReverbTime, c.text), c.fader) << c.text;
        EXPECT_EQ(port->deviceValue(DeviceValue::ReverbTime), c.fader) << c.text;
    }
    EXPECT_TRUE(sent().empty());
}

TEST_F(DeviceSetup, FaderTextsGoBothWays)
{
    EXPECT_EQ(deviceFaderText(DeviceFader::ReverbTime, 40), "1.0");
    EXPECT_EQ(deviceFaderText(DeviceFader::ChorusRate, 10), " 1.2");
    EXPECT_EQ(deviceFaderText(DeviceFader::ChorusDepth, 15), "5.0");
    EXPECT_EQ(deviceFaderText(DeviceFader::MasterVolume, 100), "100");
    EXPECT_EQ(deviceFaderText(DeviceFader::ChorusFeedback, -1), "");
    for (DeviceFader fader : {DeviceFader::ChorusRate, DeviceFader::ChorusSendToReverb,
                              DeviceFader::ChorusFeedback, DeviceFader::ChorusDepth,
                              DeviceFader::MasterVolume})
        EXPECT_EQ(deviceFaderFromText(fader, deviceFaderText(fader, 64)), 64);
    EXPECT_EQ(model.faderTyped(DeviceFader::MasterVolume, "100"), 100);
    EXPECT_EQ(port->deviceValue(DeviceValue::MasterVolume), 100 * 128 + 127);
}

TEST_F(DeviceSetup, ChoosingAReverbTypeSendsItAndMovesTheTimeFader)
{
    const Hex sentHex = sentBy([&] { EXPECT_EQ(model.reverbTypeChosen(1), 50); });
    EXPECT_EQ(sentHex, Hex{"F0 7F 7F 04 05 01 01 01 01 01 00 01 F7"});
    EXPECT_EQ(kReverbTypeItems[effectTypeItemIndex(kReverbTypeItems, 1)].text,
              std::string("1: Medium Room (10m)"));
}

TEST_F(DeviceSetup, ACachedPlateTypeSelectsItsItem)
{
    const std::vector<uint8_t> plate = reverbTypeMessage(8);
    port->SendSysEx(plate.data(), plate.size());
    EXPECT_EQ(model.cachedReverbType(), 8);
    EXPECT_EQ(kReverbTypeItems[effectTypeItemIndex(kReverbTypeItems, model.cachedReverbType())].text,
              std::string("8: Plate Simulation"));
    EXPECT_EQ(effectTypeItemIndex(kReverbTypeItems, -1), 0u);
    EXPECT_EQ(effectTypeItemIndex(kReverbTypeItems, 6), 0u) << "an unknown type shows the empty item";
}

TEST_F(DeviceSetup, TheVolumeFaderSendsTheMasterVolume)
{
    EXPECT_EQ(sentBy([&] { model.faderMoved(DeviceFader::MasterVolume, 100, -1, -1); }),
              Hex{"F0 7F 7F 04 01 7F 64 F7"});
    EXPECT_EQ(model.cachedFader(DeviceFader::MasterVolume), 100);
}

TEST_F(DeviceSetup, AnUnsetFaderSendsItsTypesDefaultAndStaysUnset)
{
    EXPECT_EQ(sentBy([&] { model.faderMoved(DeviceFader::ChorusFeedback, -1, -1, 5); }),
              Hex{"F0 7F 7F 04 05 01 01 01 01 02 03 70 F7"});
    EXPECT_EQ(port->deviceValue(DeviceValue::ChorusFeedback), -1);
    EXPECT_EQ(sentBy([&] { model.faderMoved(DeviceFader::MasterVolume, -1, -1, -1); }),
              Hex{"F0 7F 7F 04 01 7F 7F F7"});
}

TEST_F(DeviceSetup, TheEmptyChorusItemSendsTypeTwoAndUnsetsFourFaders)
{
    model.chorusTypeChosen(4);
    EXPECT_EQ(port->deviceValue(DeviceValue::ChorusFeedback), 64);
    std::array<int, 4> faders{};
    const Hex sentHex = sentBy([&] { faders = model.chorusTypeChosen(-1); });
    EXPECT_EQ(sentHex, Hex{"F0 7F 7F 04 05 01 01 01 01 02 00 02 F7"});
    EXPECT_EQ(faders, (std::array<int, 4>{-1, -1, -1, -1}));
    for (DeviceValue value : {DeviceValue::ChorusType, DeviceValue::ChorusRate,
                              DeviceValue::ChorusDepth, DeviceValue::ChorusFeedback,
                              DeviceValue::ChorusSendToReverb})
        EXPECT_EQ(port->deviceValue(value), -1);
    EXPECT_EQ(model.chorusTypeChosen(5), (std::array<int, 4>{1, 0, 112, 5}));
}

TEST_F(DeviceSetup, FineTuningStaysWithinFourteenBits)
{
    EXPECT_EQ(model.fineTyped("-100"), 0);
    EXPECT_EQ(model.fineStepped(false), 0);
    EXPECT_EQ(port->deviceValue(DeviceValue::MasterFineTuning), 0);
    EXPECT_EQ(model.fineTyped("500"), 16383);
    EXPECT_EQ(sentBy([&] { EXPECT_EQ(model.fineStepped(true), 16383); }),
              Hex{"F0 7F 7F 04 03 7F 7F F7"});
    EXPECT_EQ(sentBy([&] { EXPECT_EQ(model.fineTyped(""), -1); }), Hex{"F0 7F 7F 04 03 00 40 F7"});
    EXPECT_EQ(port->deviceValue(DeviceValue::MasterFineTuning), -1) << "unset sends the centre";
    EXPECT_EQ(model.fineStepped(true), 8193);
}

TEST_F(DeviceSetup, CoarseTuningStepsWholeSemitonesAndShowsHundredths)
{
    EXPECT_EQ(model.coarseStepped(true, "+1.00"), (2 + 64) * 128);
    EXPECT_EQ(coarseTuningText(model.coarseTuning()), "+2.00");
    EXPECT_EQ(model.coarseTyped("-0.5"), 8128);
    EXPECT_EQ(coarseTuningText(8128), "-0.50");
    EXPECT_EQ(model.coarseStepped(false, "-64.00"), 0);
    EXPECT_EQ(model.coarseStepped(true, "+64.00"), 16383);
    EXPECT_EQ(fineTuningText(8192), "+0.00");
    EXPECT_EQ(fineTuningText(0), "-100.00");
}

TEST_F(DeviceSetup, WithoutAPortNothingIsSentOrStored)
{
    DeviceSetupModel missing(nullptr);
    device->clear();
    missing.faderMoved(DeviceFader::MasterVolume, 100, -1, -1);
    EXPECT_EQ(missing.faderTyped(DeviceFader::ReverbTime, "2.5"), -1);
    EXPECT_EQ(missing.reverbTypeChosen(1), -1);
    EXPECT_EQ(missing.fineStepped(true), -1);
    EXPECT_EQ(missing.cachedFader(DeviceFader::ChorusRate), -1);
    EXPECT_TRUE(sent().empty());
}

class DeviceSetupEvents : public ::testing::Test {
protected:
    CTrack& addTrack(int port, size_t at)
    {
        auto track = std::make_unique<CTrack>();
        track->port = port;
        CTrack& added = *track;
        song->tracks.insert(song->tracks.begin() + std::ptrdiff_t(at), std::move(track));
        return added;
    }
    std::vector<std::vector<uint8_t>> sysExAtZero(const CTrack& track) const
    {
        std::vector<std::vector<uint8_t>> found;
        for (const CMidiEvent& event : track.events) {
            if (event.tick == 0 && event.kind() == 0xF0)
                found.emplace_back(event.data.bytes().begin(), event.data.bytes().end());
        }
        return found;
    }

    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
};

TEST_F(DeviceSetupEvents, WithNoTrackOnThePortNothingChanges)
{
    addTrack(0, 1);
    PortSetupValues values;
    values.volume = 100;
    EXPECT_EQ(BuildPortSetupEventsRecord(*song, 3, values), nullptr);
}

TEST_F(DeviceSetupEvents, ASecondInsertReplacesTheFirst)
{
    CTrack& target = addTrack(2, 1);
    CTrack& other = addTrack(2, 2);
    CMidiEvent note;
    note.message = 0x403C90;
    note.tick = 0;
    other.events.push_back(std::move(note));
    PortSetupValues values;
    values.volume = 100;
    values.reverbType = 1;
    values.fineTuning = 8192;
    ASSERT_EQ(song->ApplyEdit(BuildPortSetupEventsRecord(*song, 2, values)), ApplyResult::Applied);
    values.volume = 90;
    values.reverbType = -1;
    ASSERT_EQ(song->ApplyEdit(BuildPortSetupEventsRecord(*song, 2, values)), ApplyResult::Applied);

    const std::vector<std::vector<uint8_t>> expected{
        {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 90, 0xF7},
        {0xF0, 0x7F, 0x7F, 0x04, 0x03, 0x00, 0x40, 0xF7}};
    EXPECT_EQ(sysExAtZero(target), expected);
    EXPECT_EQ(other.events.size(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Port Setup Events");
}

} // namespace
} // namespace rz
