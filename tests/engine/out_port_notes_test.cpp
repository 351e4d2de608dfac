#include "out_port_fixture.h"

#include "tests/support/fake_instrument.h"

#include <thread>

namespace rz {
namespace {

using OutPortNotes = OutPortFixture;

struct NoteCase {
    const char* name;
    std::vector<uint32_t> messages;
    Hex expected;
};

TEST_F(OutPortNotes, NoteOffIsSentOnlyForANoteSoundingOnItsTag)
{
    const NoteCase cases[] = {
        {"never played", {noteOff(0, 60)}, {}},
        {"never played, as velocity 0", {noteOn(0, 60, 0)}, {}},
        {"another tag", {noteOn(0, 60, 100, 3), noteOff(0, 60, 4)}, {"90 3C 64"}},
        {"another channel", {noteOn(0, 60, 100), noteOff(1, 60)}, {"90 3C 64"}},
        {"same tag, 8n", {noteOn(0, 60, 100, 3), noteOff(0, 60, 3)}, {"90 3C 64", "90 3C 00"}},
        {"same tag, 9n velocity 0",
         {noteOn(2, 61, 90, 7), noteOn(2, 61, 0, 7)},
         {"92 3D 5A", "92 3D 00"}},
        {"released once only",
         {noteOn(0, 60, 100), noteOff(0, 60), noteOff(0, 60)},
         {"90 3C 64", "90 3C 00"}},
        {"two strikes, two releases",
         {noteOn(0, 60, 100), noteOn(0, 60, 80), noteOff(0, 60), noteOff(0, 60), noteOff(0, 60)},
         {"90 3C 64", "90 3C 50", "90 3C 00", "90 3C 00"}},
        {"tag never sent", {noteOn(0, 60, 100, 0xFF)}, {"90 3C 64"}},
    };
    for (const NoteCase& c : cases) {
        port->AllNotesOff();
        EXPECT_EQ(sentBy([&] { send(c.messages); }), c.expected) << c.name;
    }
}

TEST_F(OutPortNotes, AllNotesOffLiftsSustainThenEndsNotesLastToFirst)
{
    send({ctrl(0, 64, 127), ctrl(1, 64, 0), noteOn(0, 60, 100, 1), noteOn(0, 62, 100, 2),
          noteOn(1, 64, 100, 0xFF)});
    EXPECT_EQ(sentBy([&] { port->AllNotesOff(); }),
              (Hex{"B0 40 00", "91 40 00", "90 3E 00", "90 3C 00"}));
    EXPECT_EQ(port->controllerValue(0, 64), 0);
    EXPECT_TRUE(port->heldNotes().empty());
    EXPECT_EQ(sentBy([&] { port->AllNotesOff(); }), Hex{});
}

TEST_F(OutPortNotes, FreedSlotIsReusedAndListOrderKept)
{
    send({noteOn(0, 60, 100), noteOn(0, 62, 100), noteOff(0, 60), noteOn(0, 64, 100)});
    EXPECT_EQ(port->heldNotes(), (std::vector<uint32_t>{noteOn(0, 64, 100), noteOn(0, 62, 100)}));
}

TEST_F(OutPortNotes, FreeStuckNotesOnAFreshPortSendsOnlyAllSoundOff)
{
    const Hex sentNow = sentBy([&] { port->FreeStuckNotes(); });
    ASSERT_EQ(sentNow.size(), 16u);
    for (int channel = 0; channel < 16; ++channel) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "B%X 78 00", channel);
        EXPECT_EQ(sentNow[size_t(channel)], expected);
    }
}

TEST_F(OutPortNotes, FreeStuckNotesSweepsTheKeysPlayedSinceTheReset)
{
    send({noteOn(2, 62, 100), noteOff(2, 62), noteOn(2, 60, 100)});
    const Hex sentNow = sentBy([&] { port->FreeStuckNotes(); });
    const Hex channel2(sentNow.begin() + 2, sentNow.begin() + 6);
    EXPECT_EQ(channel2, (Hex{"B2 78 00", "92 3C 00", "92 3D 00", "92 3E 00"}));
    EXPECT_EQ(sentNow.size(), 16u + 3u);

    port->Reset();
    EXPECT_EQ(sentBy([&] { port->FreeStuckNotes(); }).size(), 16u);
}

TEST_F(OutPortNotes, ReleaseHeldNotesEndsOnlyPreviews)
{
    send({noteOn(0, 60, 100, 3), noteOn(0, 62, 100, 0xFF), noteOn(1, 64, 100, 0xFF)});
    EXPECT_EQ(sentBy([&] { port->ReleaseHeldNotes(); }), (Hex{"90 3E 00", "91 40 00"}));
    EXPECT_EQ(port->heldNotes(), std::vector<uint32_t>{noteOn(0, 60, 100, 3)});
    EXPECT_EQ(sentBy([&] { send({noteOff(0, 62, 0xFF), noteOff(0, 60, 3)}); }), Hex{"90 3C 00"});
}

TEST_F(OutPortNotes, CallerChannelsKeysAndDataAreMasked)
{
    EXPECT_EQ(sentBy([&] { port->SendShort(0x90u | 0xBCu << 8 | 0xE4u << 16); }), Hex{"90 3C 64"});
    EXPECT_EQ(sentBy([&] { port->SendShort(noteOff(0, 0xBC)); }), Hex{"90 3C 00"});
    EXPECT_EQ(sentBy([&] { port->SendShort(ctrl(0, 0x87, 0xFF)); }), Hex{"B0 07 7F"});
    EXPECT_EQ(port->controllerValue(0, 7), 127);
    EXPECT_EQ(sentBy([&] { port->SendRpn(0x13, 5, 64); }), rpnBytes(3, 5, 64));
    EXPECT_EQ(sentBy([&] { port->SendBankProgram(0xC4, 0x7FFF, 0x85, false); }),
              (Hex{"B4 00 7F", "B4 20 7F", "C4 05"}));
}

TEST_F(OutPortNotes, NothingWithoutAStatusByteReachesTheDevice)
{
    // An NRPN (0x2n) only exists inside the song; F0 and F7 cannot be short.
    const Hex sentNow = sentBy([&] {
        port->SendShort(0x20u | 5u << 8 | 100u << 16);
        port->SendShort(0x3C);
        port->SendRaw(0xF0);
        port->SendRaw(0xF7);
        port->SendShort(0xF8);
        port->SendRaw(0x00F2u | 0x01u << 8 | 0x02u << 16);
    });
    EXPECT_EQ(sentNow, (Hex{"F8", "F2 01 02"}));
}

TEST_F(OutPortNotes, ASemaphoreTimeoutSkipsTheMessageAndKeepsTheList)
{
    port->setLockWait(std::chrono::milliseconds(20));
    ASSERT_TRUE(port->semaphore().tryAcquire());
    std::thread other([&] { port->SendShort(noteOn(0, 60, 100)); });
    other.join();
    port->semaphore().release();

    EXPECT_EQ(port->semaphore().timeoutCount(), 1u);
    EXPECT_EQ(sent(), Hex{});
    EXPECT_EQ(sentBy([&] { port->SendShort(noteOff(0, 60)); }), Hex{});
}

TEST_F(OutPortNotes, SelectPatchAuditionsWithTheNotesOwnTag)
{
    const uint32_t note = noteOn(3, 60, 100, 0xFF);
    EXPECT_EQ(sentBy([&] { port->SelectPatch((130 << 8) | 17, note, true); }),
              (Hex{"B3 07 7F", "B3 00 01", "B3 20 02", "C3 11", "93 3C 64", "93 3C 00"}));
    EXPECT_TRUE(port->heldNotes().empty());
    EXPECT_EQ(port->bank(3), 130);
    EXPECT_EQ(port->program(3), 17);
}

TEST_F(OutPortNotes, InstrumentPortQueuesWhatADevicePortWouldSend)
{
    auto fake = std::make_unique<FakeInstrument>();
    FakeInstrument* instrument = fake.get();
    COutPort instrumentPort("/plugins/strings.so", std::move(fake));
    instrumentPort.SendShort(noteOn(0, 60, 100, 4));
    EXPECT_TRUE(instrument->queued().empty()) << "not loaded yet";

    ASSERT_TRUE(instrumentPort.Open());
    instrumentPort.SendShort(noteOn(0, 60, 100, 4));
    instrumentPort.SendShort(noteOff(0, 60, 4));
    instrumentPort.SendShort(programChange(1, 9));
    EXPECT_EQ(instrument->queued(), (std::vector<uint32_t>{0x643C90, 0x3C90, 0x09C1}));
}

} // namespace
} // namespace rz
