// The MIDI vocabulary's predicates at the edges of each class of byte, so a
// call site asking `isNoteOn(m)` gets what a mask and a literal gave.

#include "core/midi_bytes.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace rz {
namespace {

TEST(MidiBytes, StatusClassesMeetAtTheirEdges)
{
    const struct {
        uint8_t byte;
        bool status, channel, system, realTime;
    } cases[] = {
        {0x00, false, false, false, false}, {0x7F, false, false, false, false},
        {0x80, true, true, false, false},   {0xEF, true, true, false, false},
        {0xF0, true, false, true, false},   {0xF7, true, false, true, false},
        {0xF8, true, false, true, true},    {0xFF, true, false, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(midi::isStatusByte(c.byte), c.status) << int(c.byte);
        EXPECT_EQ(midi::isDataByte(c.byte), !c.status) << int(c.byte);
        EXPECT_EQ(midi::isChannelStatus(c.byte), c.channel) << int(c.byte);
        EXPECT_EQ(midi::isSystemStatus(c.byte), c.system) << int(c.byte);
        EXPECT_EQ(midi::isRealTime(c.byte), c.realTime) << int(c.byte);
    }
}

TEST(MidiBytes, KindPredicatesIgnoreTheChannelAndTheDataBytes)
{
    // A message word: status in the low byte, tags and data above it.
    const uint32_t noteOnCh16 = 0x01'40'3C'9F;
    const uint32_t silentNoteOn = midi::noteOn(3, 60, 0);
    const uint32_t sustain = midi::controlChange(15, cc::kSustain, 127);
    EXPECT_TRUE(midi::isNoteOn(noteOnCh16));
    EXPECT_TRUE(midi::isNoteOn(silentNoteOn)) << "velocity 0 keeps the note-on kind";
    EXPECT_TRUE(midi::isNote(0x83));
    EXPECT_FALSE(midi::isNote(0xA0));
    EXPECT_TRUE(midi::isController(sustain));
    EXPECT_FALSE(midi::isController(midi::programChange(0, 0x7F)));
    EXPECT_EQ(midi::channelOf(noteOnCh16), 15);
    EXPECT_EQ(midi::firstDataByte(noteOnCh16), 0x3C);
    EXPECT_EQ(midi::secondDataByte(noteOnCh16), 0x40);
    EXPECT_EQ(midi::onChannel(midi::kPitchBend, 17), 0xE1) << "the channel keeps four bits";
}

} // namespace
} // namespace rz
