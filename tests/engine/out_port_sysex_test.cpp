#include "out_port_fixture.h"

#include "tests/support/fake_instrument.h"

#include <chrono>
#include <utility>

namespace rz {
namespace {

using OutPortSysEx = OutPortFixture;
using Bytes = std::vector<uint8_t>;
using Values = std::vector<std::pair<DeviceValue, int>>;

constexpr DeviceValue kAllDeviceValues[] = {
    DeviceValue::MasterVolume,   DeviceValue::MasterFineTuning, DeviceValue::MasterCoarseTuning,
    DeviceValue::ReverbType,     DeviceValue::ReverbTime,       DeviceValue::ChorusType,
    DeviceValue::ChorusRate,     DeviceValue::ChorusDepth,      DeviceValue::ChorusFeedback,
    DeviceValue::ChorusSendToReverb,
};

struct SysExCase {
    const char* name;
    Bytes bytes;
    Values values; // every other device value stays unset
};

const SysExCase kDeviceControlCases[] = {
    {"master volume", {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7},
     {{DeviceValue::MasterVolume, 12800}}},
    {"master fine tuning", {0xF0, 0x7F, 0x7F, 0x04, 0x03, 0x05, 0x40, 0xF7},
     {{DeviceValue::MasterFineTuning, 8197}}},
    {"master coarse tuning", {0xF0, 0x7F, 0x10, 0x04, 0x04, 0x00, 0x42, 0xF7},
     {{DeviceValue::MasterCoarseTuning, 0x42 * 128}}},
    {"reverb type 4",
     {0xF0, 0x7F, 0x7F, 0x04, 0x05, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x04, 0xF7},
     {{DeviceValue::ReverbType, 4}, {DeviceValue::ReverbTime, 64}}},
    {"reverb type 8",
     {0xF0, 0x7F, 0x7F, 0x04, 0x05, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x08, 0xF7},
     {{DeviceValue::ReverbType, 8}, {DeviceValue::ReverbTime, 50}}},
    {"reverb time",
     {0xF0, 0x7F, 0x7F, 0x04, 0x05, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x30, 0xF7},
     {{DeviceValue::ReverbTime, 0x30}}},
    {"chorus type 2",
     {0xF0, 0x7F, 0x7F, 0x04, 0x05, 0x01, 0x01, 0x01, 0x01, 0x02, 0x00, 0x02, 0xF7},
     {{DeviceValue::ChorusType, 2},
      {DeviceValue::ChorusRate, 3},
      {DeviceValue::ChorusDepth, 19},
      {DeviceValue::ChorusFeedback, 8},
      {DeviceValue::ChorusSendToReverb, 0}}},
    {"chorus send to reverb",
     {0xF0, 0x7F, 0x7F, 0x04, 0x05, 0x01, 0x01, 0x01, 0x01, 0x02, 0x04, 0x21, 0xF7},
     {{DeviceValue::ChorusSendToReverb, 0x21}}},
};

void expectDeviceValues(const COutPort& port, const Values& expected, const std::string& name)
{
    for (DeviceValue which : kAllDeviceValues) {
        int wanted = -1;
        for (const auto& [value, number] : expected)
            if (value == which)
                wanted = number;
        EXPECT_EQ(port.deviceValue(which), wanted) << name << ", value " << int(which);
    }
}

TEST_F(OutPortSysEx, UniversalDeviceControlSetsTheDeviceValuesAndIsSent)
{
    for (const SysExCase& c : kDeviceControlCases) {
        port->Reset();
        device->clear();
        EXPECT_EQ(port->SendSysEx(c.bytes.data(), c.bytes.size()), SysExResult::Delivered);
        expectDeviceValues(*port, c.values, c.name);
        EXPECT_EQ(sent(), Hex{hexBytes(c.bytes)}) << c.name;
    }
}

TEST_F(OutPortSysEx, EveryF7ClosedPrefixChangesNothingAndIsStillSent)
{
    for (const SysExCase& c : kDeviceControlCases) {
        for (size_t kept = 1; kept + 1 < c.bytes.size(); ++kept) {
            Bytes prefix(c.bytes.begin(), c.bytes.begin() + std::ptrdiff_t(kept));
            prefix.push_back(0xF7);
            port->Reset();
            device->clear();
            port->SendSysEx(prefix.data(), prefix.size());
            expectDeviceValues(*port, {}, std::string(c.name) + " cut at " + std::to_string(kept));
            EXPECT_EQ(sent(), Hex{hexBytes(prefix)});
        }
    }
}

TEST_F(OutPortSysEx, AStatusByteInsideTheDataEndsIt)
{
    const Bytes bytes = {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x90, 0x64, 0xF7};
    port->SendSysEx(bytes.data(), bytes.size());
    EXPECT_EQ(port->deviceValue(DeviceValue::MasterVolume), -1);
}

TEST_F(OutPortSysEx, DestinationSettingsFillTheirChannelsRow)
{
    const Bytes pressure = {0xF0, 0x7F, 0x7F, 0x09, 0x01, 0x13, 0x00, 0x40, 0x02, 0x7F, 0xF7};
    const Bytes control = {0xF0, 0x7F, 0x7F, 0x09, 0x03, 0x02, 0x4A, 0x00, 0x50, 0xF7};
    port->SendSysEx(pressure.data(), pressure.size());
    port->SendSysEx(control.data(), control.size());
    const int pressureRow[] = {0x00, 0x40, 0x02, 0x7F, -1, -1};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(port->destination(DestinationTable::ChannelPressure, 3, i), pressureRow[i]);
        EXPECT_EQ(port->destination(DestinationTable::KeyPressure, 3, i), -1);
    }
    const int controlRow[] = {0x4A, 0x00, 0x50, -1, -1, -1, -1};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(port->destination(DestinationTable::ControlChange, 2, i), controlRow[i]);
}

TEST_F(OutPortSysEx, ALongDestinationMessageFillsOnlyTheCapacity)
{
    for (uint8_t subId : {uint8_t(1), uint8_t(2), uint8_t(3)}) {
        Bytes bytes = {0xF0, 0x7F, 0x7F, 0x09, subId, 0x05};
        while (bytes.size() < 199)
            bytes.push_back(uint8_t(bytes.size() & 0x7F));
        bytes.push_back(0xF7);
        port->Reset();
        EXPECT_EQ(port->SendSysEx(bytes.data(), bytes.size()), SysExResult::Delivered);

        const auto table = subId == 1   ? DestinationTable::ChannelPressure
                           : subId == 2 ? DestinationTable::KeyPressure
                                        : DestinationTable::ControlChange;
        const size_t capacity = subId == 3 ? 7 : 6;
        for (size_t i = 0; i < capacity; ++i)
            EXPECT_EQ(port->destination(table, 5, i), 6 + int(i)) << "sub-ID " << int(subId);
        EXPECT_EQ(port->destination(table, 5, capacity), -1);
        for (auto other : {DestinationTable::ChannelPressure, DestinationTable::KeyPressure,
                           DestinationTable::ControlChange}) {
            EXPECT_EQ(port->destination(other, 6, 0), -1);
            if (other != table) {
                EXPECT_EQ(port->destination(other, 5, 0), -1);
            }
        }
    }
}

TEST_F(OutPortSysEx, ADestinationMessageWithoutItsChannelChangesNothing)
{
    const Bytes bytes = {0xF0, 0x7F, 0x7F, 0x09, 0x01, 0xF7};
    port->SendSysEx(bytes.data(), bytes.size());
    for (int channel = 0; channel < 16; ++channel)
        EXPECT_EQ(port->destination(DestinationTable::ChannelPressure, channel, 0), -1);
}

TEST_F(OutPortSysEx, OtherMessagesAreSentAsGivenWithoutTouchingTheCaches)
{
    const Bytes escaped = {0xF7, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64};
    const Bytes realTime = {0xF0, 0x7E, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7};
    EXPECT_EQ(port->SendSysEx(escaped.data(), escaped.size()), SysExResult::Delivered);
    EXPECT_EQ(port->SendSysEx(realTime.data(), realTime.size()), SysExResult::Delivered);
    EXPECT_EQ(sent(), (Hex{hexBytes(escaped), hexBytes(realTime)}));
    EXPECT_EQ(port->deviceValue(DeviceValue::MasterVolume), -1);

    EXPECT_EQ(port->SendSysEx(escaped.data(), 0), SysExResult::Empty);
    EXPECT_EQ(port->SendSysEx(nullptr, 4), SysExResult::Empty);
    EXPECT_EQ(device->messages().size(), 2u);
    EXPECT_EQ(device->messages()[0].timeout, kSysExTimeout);
}

TEST_F(OutPortSysEx, AMessageLargerThanTheDeviceTakesIsRefusedWhole)
{
    device->setMaxLongMessageBytes(7);
    const Bytes& volume = kDeviceControlCases[0].bytes;
    EXPECT_EQ(port->SendSysEx(volume.data(), volume.size()), SysExResult::TooLarge);
    EXPECT_EQ(sent(), Hex{});
    EXPECT_EQ(port->deviceValue(DeviceValue::MasterVolume), -1);
}

TEST_F(OutPortSysEx, DeviceFailuresAreReportedAndTheCachesStillTaken)
{
    const Bytes& volume = kDeviceControlCases[0].bytes;
    device->setLongResult(LongSendResult::TimedOut);
    EXPECT_EQ(port->SendSysEx(volume.data(), volume.size()), SysExResult::TimedOut);

    device->setGone();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port->SendSysEx(volume.data(), volume.size()), SysExResult::Failed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(device->messages().size(), 1u);
    EXPECT_EQ(port->deviceValue(DeviceValue::MasterVolume), 12800);
}

TEST_F(OutPortSysEx, AnInstrumentPortTakesTheCachesAndSendsNothing)
{
    auto fake = std::make_unique<FakeInstrument>();
    FakeInstrument* instrument = fake.get();
    COutPort instrumentPort("/plugins/piano.so", std::move(fake));
    ASSERT_TRUE(instrumentPort.Open());
    const Bytes& chorus = kDeviceControlCases[6].bytes;
    EXPECT_EQ(instrumentPort.SendSysEx(chorus.data(), chorus.size()), SysExResult::CachedOnly);
    expectDeviceValues(instrumentPort, kDeviceControlCases[6].values, "instrument");
    instrumentPort.SendGMOn();
    EXPECT_TRUE(instrument->queued().empty());
}

} // namespace
} // namespace rz
