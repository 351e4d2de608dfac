#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "song/event_format.h"

namespace rz {
namespace {

CMidiEvent message(uint32_t m, int32_t value2 = 0)
{
    CMidiEvent e;
    e.message = m;
    e.value2 = value2;
    return e;
}

// An RPN event: parameter number and 14-bit value.
CMidiEvent rpn(uint32_t parameter, uint32_t value)
{
    return message(0x10 | parameter << 8 | value << 16);
}

CMidiEvent meta(uint8_t type, std::vector<uint8_t> bytes)
{
    CMidiEvent e;
    e.SetMetaData(type, bytes);
    return e;
}

CMidiEvent sysex12()
{
    const std::vector<uint8_t> bytes = {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7, 0xAB};
    CMidiEvent e;
    e.message = 0xF0;
    e.SetData(bytes, true);
    return e;
}

CMidiEvent clipEvent(const char* path)
{
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = path;
    CMidiEvent e;
    e.SetClip(std::move(clip));
    return e;
}

TEST(EventValueText, EachKindShowsItsValue)
{
    struct Case {
        CMidiEvent event;
        std::string text;
    } cases[] = {
        {message(0x403C90), "64"},
        {message(0x2A3CA0), "42"},
        {message(0x7F07B0), "127"},
        {message(0x0055D0), "85"},
        {message(0x0000E0), "-8192"},
        {message(0x4000E0), "0"},
        {message(0x7F7FE0), "8191"},
        {message(0x403C80), ""},
        {message(0x05C0), ""},
        {message(0x0005), ""},
        {message(0x0030), ""},
        {rpn(0, 2 * 128 + 64), "2.64"},
        {rpn(0, 2 * 128 + 50), "2.50"},
        {rpn(0, 2 * 128 + 120), "3.20"}, // an LSB past 99 cents carries
        {rpn(5, 2 * 128 + 64), "2.50"},
        {rpn(5, 128), "1.00"},
        {rpn(1, 8192), "+0.00"},
        {rpn(1, 0), "-100.00"},
        {rpn(1, 12288), "+50.00"},
        {rpn(1, 8191), "-0.01"},
        {rpn(2, 64 * 128), "64"},
        {rpn(3, 300), "300 (2/44)"},
        {rpn(6, 16383), "16383 (127/127)"},
        {message(0x0621, 300), "300 (2/44)"},
        {meta(1, {'V', 'e', 'r', 's', 'e'}), "Verse"},
        {meta(5, {'l', 'a', 0}), "la"},
        {meta(0x51, {0x07, 0xA1, 0x20}), "07 A1 20"},
        {sysex12(), "F0 41 10 42 12 40 00 7F 00 41..."},
        {clipEvent("C:\\songs\\WaveData\\take_2.wav"), "take_2.wav"},
        {clipEvent("take.wav"), "take.wav"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatEventValue(c.event), c.text) << std::hex << c.event.message;
}

TEST(EventValueText, BendRangeKeepsCentsInItsLsb)
{
    const struct {
        int64_t cents;
        int32_t value;
        const char* text;
    } cases[] = {
        {250, 2 * 128 + 50, "2.50"},
        {200, 2 * 128, "2.00"},
        {1, 1, "0.01"},
        {-30, 0, "0.00"},
        {99'999, 127 * 128 + 99, "127.99"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BendRangeFromCents(c.cents), c.value) << c.cents;
        EXPECT_EQ(FormatBendRange(c.value), c.text) << c.cents;
    }
}

TEST(NoteNameText, SpellsUnderTheKeyAndItsOverride)
{
    struct Case {
        int32_t signature;
        uint8_t key;
        int8_t spelling;
        std::string text;
    } cases[] = {
        {0, 60, -1, "C4 (60)"},
        {0, 61, -1, "Db4 (61)"},
        {1, 66, -1, "F#4 (66)"},
        {-2, 70, -1, "Bb4 (70)"},
        {0, 61, 3, "C#4 (61)"},
        {0, 60, 0, "D'4 (60)"},
        {0, 60, 2, "C4 (60)"},
        // A spelling the pitch class does not have falls back to the default.
        {0, 60, 1, "C4 (60)"},
        {0, 61, 2, "Db4 (61)"},
        // The octave is that of the written letter.
        {0, 60, 3, "B#3 (60)"},
        {0, 59, 1, "Cb4 (59)"},
        {0, 61, 4, "Bx3 (61)"},
        {7, 60, -1, "B#3 (60)"},
        {-7, 59, -1, "Cb4 (59)"},
        {0, 0, 3, "B#-2 (0)"},
        {0, 127, -1, "G9 (127)"},
    };
    for (const auto& c : cases) {
        CMidiEvent e = message(0x400090 | uint32_t(c.key) << 8);
        e.spelling = c.spelling;
        EXPECT_EQ(FormatNoteName(e, c.signature), c.text)
            << int(c.key) << " in " << c.signature << " spelled " << int(c.spelling);
    }
}

} // namespace
} // namespace rz
