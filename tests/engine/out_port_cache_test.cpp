#include "out_port_fixture.h"

namespace rz {
namespace {

using OutPortCache = OutPortFixture;

TEST_F(OutPortCache, TheSameRpnValueTwiceIsSentOnce)
{
    EXPECT_EQ(sentBy([&] { port->SendShort(rpnEvent(2, 0, 256)); }), rpnBytes(2, 0, 256));
    EXPECT_EQ(sentBy([&] { port->SendShort(rpnEvent(2, 0, 256)); }), Hex{});
    EXPECT_EQ(sentBy([&] { port->SendShort(rpnEvent(2, 0, 1200)); }), rpnBytes(2, 0, 1200));
    EXPECT_EQ(port->rpnValue(2, 0), 1200);
    EXPECT_EQ(sentBy([&] { port->SendShort(rpnEvent(2, 3, 64)); }), Hex{}) << "not a cached RPN";
}

TEST_F(OutPortCache, AProgramChangeUnsetsRpn0)
{
    send({rpnEvent(0, 0, 256), rpnEvent(0, 5, 64), programChange(0, 4)});
    EXPECT_EQ(port->rpnValue(0, 0), -1);
    EXPECT_EQ(port->rpnValue(0, 5), 64);
    EXPECT_EQ(sentBy([&] { port->SendShort(rpnEvent(0, 0, 256)); }), rpnBytes(0, 0, 256));
}

TEST_F(OutPortCache, BankSelectUnsetsTheProgramAndTheProgramTakesTheBank)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> before; // then CC0 or CC32 unsets, then program 9
        uint32_t bankSelect;
        int bank;
    };
    const Case cases[] = {
        {"CC0 alone", {}, ctrl(5, 0, 2), 256},
        {"CC32 alone", {}, ctrl(5, 32, 3), 3},
        {"CC0 then CC32", {ctrl(5, 0, 2)}, ctrl(5, 32, 3), 259},
    };
    for (const Case& c : cases) {
        port->Reset();
        send(c.before);
        port->SendShort(programChange(5, 4));
        ASSERT_EQ(port->program(5), 4) << c.name;
        port->SendShort(c.bankSelect);
        EXPECT_EQ(port->program(5), -1) << c.name;
        port->SendShort(programChange(5, 9));
        EXPECT_EQ(port->program(5), 9) << c.name;
        EXPECT_EQ(port->bank(5), c.bank) << c.name;
    }
    port->Reset();
    EXPECT_EQ(port->bank(5), -1);
}

TEST_F(OutPortCache, DataEntryCompletesOnlyAFullySelectedRpn)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> messages;
        int rpn0;
    };
    const Case cases[] = {
        {"complete", {ctrl(0, 101, 0), ctrl(0, 100, 0), ctrl(0, 6, 3), ctrl(0, 38, 5)}, 3 * 128 + 5},
        {"CC100 unknown", {ctrl(0, 101, 0), ctrl(0, 6, 3), ctrl(0, 38, 5)}, -1},
        {"CC101 unknown", {ctrl(0, 100, 0), ctrl(0, 6, 3), ctrl(0, 38, 5)}, -1},
        {"CC6 unknown", {ctrl(0, 101, 0), ctrl(0, 100, 0), ctrl(0, 38, 5)}, -1},
        {"another RPN", {ctrl(0, 101, 0), ctrl(0, 100, 3), ctrl(0, 6, 3), ctrl(0, 38, 5)}, -1},
        {"CC38 ends the selection",
         {ctrl(0, 101, 0), ctrl(0, 100, 0), ctrl(0, 6, 2), ctrl(0, 38, 0), ctrl(0, 6, 9), ctrl(0, 38, 9)},
         256},
    };
    for (const Case& c : cases) {
        port->Reset();
        send(c.messages);
        EXPECT_EQ(port->rpnValue(0, 0), c.rpn0) << c.name;
    }
    port->Reset();
    send({ctrl(0, 101, 0), ctrl(0, 100, 0), ctrl(0, 6, 2), ctrl(0, 38, 0)});
    EXPECT_EQ(sentBy([&] { port->SendShort(rpnEvent(0, 0, 256)); }), Hex{});
}

TEST_F(OutPortCache, ResetChannelStateRestoresTheDefaultsOnce)
{
    send({ctrl(1, 7, 50), ctrl(1, 11, 90), ctrl(1, 10, 10), ctrl(1, 91, 0), ctrl(1, 74, 10), ctrl(1, 1, 5),
          ctrl(1, 0, 3), ctrl(1, 38, 4), ctrl(1, 96, 9), ctrl(1, 100, 2), 0x1040E1, 0x30D1,
          rpnEvent(1, 0, 1200), rpnEvent(1, 5, 64)});
    EXPECT_EQ(sentBy([&] { port->ResetChannelState(); }),
              (Hex{"B1 01 00", "B1 07 64", "B1 0A 40", "B1 0B 7F", "B1 4A 40", "B1 5B 28",
                   "E1 00 40", "D1 00", "B1 65 00", "B1 64 00", "B1 06 02", "B1 26 00"}));
    EXPECT_EQ(port->controllerValue(1, 7), 100);
    EXPECT_EQ(port->controllerValue(1, 0), 3);
    EXPECT_EQ(port->pitchBend(1), 8192);
    EXPECT_EQ(port->channelPressure(1), 0);
    EXPECT_EQ(port->rpnValue(1, 0), 256);
    EXPECT_EQ(sentBy([&] { port->ResetChannelState(); }), Hex{});
}

TEST_F(OutPortCache, ResendChannelStateSendsEveryKnownValueAndChangesNothing)
{
    send({ctrl(2, 121, 0), ctrl(2, 0, 1), ctrl(2, 32, 2), programChange(2, 5), ctrl(2, 7, 90),
          ctrl(2, 64, 127), ctrl(2, 99, 1), 0x2040A2, 0x30D2, 0x1040E2, rpnEvent(2, 2, 8000)});
    const int programBefore = port->program(2);
    EXPECT_EQ(sentBy([&] { port->ResendChannelState(); }),
              (Hex{"B2 00 01", "B2 20 02", "C2 05", "B2 07 5A", "B2 40 7F", "A2 40 20",
                   "D2 30", "E2 40 10", "B2 65 00", "B2 64 02", "B2 06 3E", "B2 26 40"}));
    EXPECT_EQ(port->program(2), programBefore);
    EXPECT_EQ(port->bank(2), 130);
    EXPECT_EQ(port->controllerValue(2, 64), 127);
    EXPECT_EQ(port->rpnValue(2, 2), 8000);
}

// A song's reset-all-controllers returns modulation, expression, the
// pedals, bend and pressure to their defaults: the cache forgets them, so
// Resend does not bring them back; volume, pan, bank and program stay.
TEST_F(OutPortCache, ResetAllControllersForgetsWhatItResets)
{
    send({ctrl(4, 0, 1), programChange(4, 5), ctrl(4, 7, 90), ctrl(4, 10, 20), ctrl(4, 1, 30),
          ctrl(4, 11, 40), ctrl(4, 64, 127), ctrl(4, 66, 127), 0x1040E4, 0x30D4, ctrl(3, 1, 9)});
    port->SendShort(ctrl(4, 121, 0));
    for (const int cleared : {1, 11, 64, 66})
        EXPECT_EQ(port->controllerValue(4, cleared), -1) << "CC " << cleared;
    EXPECT_EQ(port->pitchBend(4), -1);
    EXPECT_EQ(port->channelPressure(4), -1);
    EXPECT_EQ(port->controllerValue(4, 7), 90);
    EXPECT_EQ(port->controllerValue(4, 10), 20);
    EXPECT_EQ(port->program(4), 5);
    EXPECT_EQ(port->controllerValue(3, 1), 9) << "another channel";
    EXPECT_EQ(sentBy([&] { port->ResendChannelState(); }),
              (Hex{"B3 01 09", "B4 00 01", "C4 05", "B4 07 5A", "B4 0A 14"}));
}

TEST_F(OutPortCache, UnscaledVolumeStartsAt100AndSurvivesReset)
{
    for (int channel = 0; channel < 16; ++channel)
        EXPECT_EQ(port->unscaledVolume(channel), 100);
    port->setUnscaledVolume(3, 90);
    port->Reset();
    EXPECT_EQ(port->unscaledVolume(3), 90);
    port->setUnscaledVolume(3, 300);
    EXPECT_EQ(port->unscaledVolume(3), 127);
}

TEST_F(OutPortCache, SendBankProgramSendsThroughTheCache)
{
    send({noteOn(0, 60, 100)});
    EXPECT_EQ(sentBy([&] { port->SendBankProgram(0x91, 300, 7, true); }),
              (Hex{"90 3C 00", "B1 00 02", "B1 20 2C", "C1 07"}));
    EXPECT_EQ(port->bank(1), 300);
    EXPECT_EQ(port->program(1), 7);
    EXPECT_EQ(sentBy([&] { port->SendBankProgram(0x91, -1, -1, false); }), Hex{});
}

TEST_F(OutPortCache, SendRpnIgnoresNegativeValuesAndCachesTheFourKnownRpns)
{
    EXPECT_EQ(sentBy([&] { port->SendRpn(0, 0, -1); }), Hex{});
    EXPECT_EQ(sentBy([&] { port->SendRpn(0, 1, 8192); }), rpnBytes(0, 1, 8192));
    EXPECT_EQ(port->rpnValue(0, 1), 8192);
    EXPECT_EQ(sentBy([&] { port->SendRpn(0, 3, 20000); }), rpnBytes(0, 3, 16383));
    EXPECT_EQ(port->rpnValue(0, 3), -1);
}

} // namespace
} // namespace rz
