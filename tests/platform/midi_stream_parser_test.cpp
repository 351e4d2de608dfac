// Untrusted MIDI wire bytes into short messages and system-exclusive pieces.

#include "platform/midi_names.h"
#include "platform/midi_stream_parser.h"
#include "tests/platform/midi_in_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rz {
namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

Bytes sysEx(size_t length)
{
    Bytes bytes(length, 0x11);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Lines parse(const Bytes& wire, MidiStreamParser& parser)
{
    MidiInRecorder recorder;
    parser.feed(wire, TickTime{}, recorder);
    return recorder.summary();
}

Lines parse(const Bytes& wire)
{
    MidiStreamParser parser;
    return parse(wire, parser);
}

struct ParseCase {
    const char* what;
    Bytes wire;
    Lines expected;
};

TEST(MidiStreamParser, WireBytesBecomeMessages)
{
    const std::vector<ParseCase> cases = {
        {"running status", {0x90, 0x3C, 0x40, 0x3E, 0x00}, {"short 403C90", "short 003E90"}},
        {"stray data bytes are dropped", {0x01, 0x02, 0xC0, 0x05, 0x06}, {"short 0005C0", "short 0006C0"}},
        {"system common cancels running status", {0x90, 0x3C, 0x40, 0xF3, 0x02, 0x3E, 0x40},
         {"short 403C90", "short 0002F3"}},
        {"real time keeps running status", {0x90, 0x3C, 0xFE, 0x40, 0x3E, 0x41},
         {"short 0000FE", "short 403C90", "short 413E90"}},
        {"undefined status bytes start nothing", {0xF4, 0x01, 0xF5, 0xF9, 0xFD, 0xF6}, {"short 0000F6"}},
        {"a stray F7 starts nothing", {0xF7, 0x01}, {}},
        {"a status cuts an unfinished message", {0x90, 0x3C, 0xB0, 0x07, 0x64}, {"short 6407B0"}},
        {"tune request and song select", {0xF6, 0xF3, 0x05}, {"short 0000F6", "short 0005F3"}},
        {"a short system-exclusive message", {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, {"piece 6 last"}},
        {"F0 cut by a status byte", {0xF0, 0x7E, 0x90, 0x3C, 0x40}, {"error cut", "short 403C90"}},
        {"F0 cut by another F0", {0xF0, 0x01, 0xF0, 0x02, 0xF7}, {"error cut", "piece 3 last"}},
        {"real time inside system exclusive", {0xF0, 0x01, 0xF8, 0x02, 0xF7}, {"short 0000F8", "piece 4 last"}},
        {"exactly one full piece before F7", sysEx(1025), {"piece 1024", "piece 1 last"}},
        {"pieces of at most 1024 bytes", sysEx(2048), {"piece 1024", "piece 1024 last"}},
    };
    for (const ParseCase& c : cases)
        EXPECT_EQ(parse(c.wire), c.expected) << c.what;
}

TEST(MidiStreamParser, SysExNeverGrowsPast64KiB)
{
    MidiStreamParser parser;
    const Lines whole = parse(sysEx(kMaxSysExInputBytes), parser);
    ASSERT_EQ(whole.size(), 64u);
    EXPECT_EQ(whole.back(), "piece 1024 last");

    const Lines tooLong = parse(sysEx(kMaxSysExInputBytes + 1) + Bytes{0x90, 0x3C, 0x40}, parser);
    // 63 full pieces go; the 64th is held until the byte that passes the limit.
    ASSERT_EQ(tooLong.size(), 65u);
    EXPECT_EQ(tooLong[62], "piece 1024");
    EXPECT_EQ(tooLong[63], "error too long");
    EXPECT_EQ(tooLong[64], "short 403C90") << "the rest up to F7 is dropped, then all is well";
    EXPECT_FALSE(parser.inSysEx());
}

TEST(MidiStreamParser, EndlessSysExGivesOneNoticeAndStaysBounded)
{
    MidiStreamParser parser;
    MidiInRecorder recorder;
    const Bytes data(4096, 0x22);
    parser.feed(Bytes{0xF0}, TickTime{}, recorder);
    for (int i = 0; i < 64; ++i)
        parser.feed(data, TickTime{}, recorder); // 256 KiB without an F7
    const Lines lines = recorder.summary();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "error too long"), 1);
    EXPECT_EQ(lines.size(), 64u);
    EXPECT_TRUE(parser.inSysEx());
}

TEST(MidiStreamParser, ResetForgetsRunningStatusAndPartialSysEx)
{
    MidiStreamParser parser;
    parse({0x90, 0x3C, 0x40, 0xF0, 0x01}, parser);
    parser.reset();
    EXPECT_FALSE(parser.inSysEx());
    EXPECT_EQ(parse({0x3E, 0x40, 0xF7, 0x80, 0x3C, 0x00}, parser), Lines{"short 003C80"});
    EXPECT_EQ(parser.strayByteCount(), 2u);
}

TEST(MidiDeviceNames, RepeatsGetTheCountSoFarPlusOne)
{
    EXPECT_EQ(numberRepeatedNames({"X", "Y", "X", "X", "Y", "Z"}),
              (Lines{"X", "Y", "X (2)", "X (3)", "Y (2)", "Z"}));
    EXPECT_EQ(numberRepeatedNames({}), Lines{});
}

} // namespace
} // namespace rz
