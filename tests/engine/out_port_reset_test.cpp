#include "out_port_fixture.h"

#include "engine/reset_sysex.h"

#include <optional>

namespace rz {
namespace {

using OutPortReset = OutPortFixture;
using Bytes = std::vector<uint8_t>;

TEST(OutPortResetSysex, ReadsOnlyUpperCaseBytesWithStatusBytesAtTheEnds)
{
    struct Case {
        const char* text;
        std::optional<Bytes> bytes;
    };
    const Case cases[] = {
        {"F0 41 10 42 12 40 00 7F 00 41 F7",
         Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}},
        {"  F0 7E 7F  09 01 F7 \r\n", Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
        {"F0 7E 7F\r\n09 01\nF7", Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
        {"7E 7F    09", Bytes{0x7E, 0x7F, 0x09}},
        {"f0 7e 7f 09 01 f7", std::nullopt},
        {"F0 7e 7F 09 01 F7", std::nullopt},
        {"7E F0 09 01 F7", std::nullopt},
        {"F0 7E F7 09 01 F7", std::nullopt},
        {"F7 7E 09 01 F0", std::nullopt},
        {"F0 7E 80 F7", std::nullopt},
        {"F0 7E7F 09 F7", std::nullopt},
        {"F0 7 E 09 F7", std::nullopt},
        {"F0 0x7E F7", std::nullopt},
        {"F0 7E\t7F F7", std::nullopt},
        {"", std::nullopt},
        {" \r\n ", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseResetSysex(c.text), c.bytes) << '"' << c.text << '"';
}

TEST_F(OutPortReset, AMalformedUserMessageSendsNothingAndAValidOneIsExact)
{
    EXPECT_EQ(sentBy([&] { port->SendSynthReset(64, "f0 7e 7f 09 01 f7"); }), Hex{});
    EXPECT_EQ(sentBy([&] { port->SendSynthReset(64, "F0 7E 7F 09 F0 F7"); }), Hex{});
    EXPECT_EQ(sentBy([&] { port->SendSynthReset(64, "F0 7E 7F\r\n09 01 F7"); }),
              Hex{"F0 7E 7F 09 01 F7"});
    EXPECT_EQ(sentBy([&] { port->SendSynthReset(0, "F0 7E 7F 09 01 F7"); }), Hex{});
}

Hex toEveryChannel(const char* controllerAndValue)
{
    Hex messages;
    for (int channel = 0; channel < 16; ++channel) {
        char text[16];
        std::snprintf(text, sizeof text, "B%X %s", channel, controllerAndValue);
        messages.push_back(text);
    }
    return messages;
}

TEST_F(OutPortReset, EveryTechnologyBitSendsInItsOrderThenTheCachesReset)
{
    send({ctrl(0, 7, 50), noteOn(0, 60, 100), programChange(0, 3)});
    Hex expected = {"90 3C 00", "B0 07 64", "F0 7E 7F 09 01 F7",
                    "F0 41 10 42 12 40 00 7F 00 41 F7", "F0 43 10 4C 00 00 7E 00 F7",
                    "F0 7F 7F 04 01 00 64 F7"};
    for (const std::string& message : toEveryChannel("78 00"))
        expected.push_back(message);
    for (const std::string& message : toEveryChannel("79 00"))
        expected.push_back(message);

    EXPECT_EQ(sentBy([&] { port->SendSynthReset(0x7F, "F0 7F 7F 04 01 00 64 F7"); }), expected);
    EXPECT_EQ(port->controllerValue(0, 7), -1);
    EXPECT_EQ(port->program(0), -1);
    EXPECT_EQ(port->deviceValue(DeviceValue::MasterVolume), -1);
    EXPECT_TRUE(port->heldNotes().empty());
}

TEST_F(OutPortReset, TheThreePublishedResetsAreExact)
{
    EXPECT_EQ(sentBy([&] {
                  port->SendGMOn();
                  port->SendGSReset();
                  port->SendXGOn();
              }),
              (Hex{"F0 7E 7F 09 01 F7", "F0 41 10 42 12 40 00 7F 00 41 F7",
                   "F0 43 10 4C 00 00 7E 00 F7"}));
}

TEST_F(OutPortReset, ResetUnsetsEveryCacheSoTheFirstOfEachKindIsSent)
{
    send({ctrl(4, 10, 20), programChange(4, 8), 0x0540A4, 0x30D4, 0x1040E4, rpnEvent(4, 0, 300),
          noteOn(4, 70, 100)});
    const uint8_t volume[] = {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7};
    port->SendSysEx(volume, sizeof volume);
    port->Reset();
    EXPECT_EQ(port->controllerValue(4, 10), -1);
    EXPECT_EQ(port->program(4), -1);
    EXPECT_EQ(port->bank(4), -1);
    EXPECT_EQ(port->keyPressure(4, 0x40), -1);
    EXPECT_EQ(port->channelPressure(4), -1);
    EXPECT_EQ(port->pitchBend(4), -1);
    EXPECT_EQ(port->rpnValue(4, 0), -1);
    EXPECT_EQ(port->deviceValue(DeviceValue::MasterVolume), -1);
    EXPECT_TRUE(port->heldNotes().empty());
    EXPECT_EQ(sentBy([&] { port->SendShort(rpnEvent(4, 0, 300)); }), rpnBytes(4, 0, 300));
}

} // namespace
} // namespace rz
