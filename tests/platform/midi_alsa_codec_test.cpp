// MIDI bytes through the ALSA sequencer's event encoder and decoder and back
// through our parser. Needs no sequencer device.

#include "platform/midi_alsa_codec.h"
#include "platform/midi_stream_parser.h"
#include "tests/platform/midi_in_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace rz {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes sysEx(size_t length)
{
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i % 0x80);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

Bytes joined(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct RoundTrip {
    std::vector<std::string> calls;  // what the handler got
    size_t sysExEvents = 0;          // SND_SEQ_EVENT_SYSEX events on the way
    Bytes sysExBytes;                // the system-exclusive pieces, joined
};

RoundTrip roundTrip(const Bytes& wire, size_t sysExChunkBytes = 256)
{
    AlsaEventEncoder encoder(sysExChunkBytes);
    AlsaEventDecoder decoder;
    EXPECT_TRUE(encoder.valid() && decoder.valid());
    MidiStreamParser parser;
    MidiInRecorder recorder;
    RoundTrip result;
    encoder.encode(wire, [&](const snd_seq_event_t& event) {
        if (event.type == SND_SEQ_EVENT_SYSEX)
            ++result.sysExEvents;
        decoder.decode(event, TickTime{}, parser, recorder);
    });
    result.calls = recorder.summary();
    for (const MidiInRecorder::Call& call : recorder.calls()) {
        if (call.kind == MidiInRecorder::Call::Piece)
            result.sysExBytes.insert(result.sysExBytes.end(), call.bytes.begin(), call.bytes.end());
    }
    return result;
}

struct CodecCase {
    const char* what;
    Bytes wire;
    std::vector<std::string> expected;
};

TEST(MidiAlsaCodec, ShortMessagesSurviveTheRoundTrip)
{
    const std::vector<CodecCase> cases = {
        {"note-on", {0x90, 0x3C, 0x40}, {"short 403C90"}},
        {"running status", {0x91, 0x3C, 0x40, 0x3E, 0x41, 0x3C, 0x00},
         {"short 403C91", "short 413E91", "short 003C91"}},
        {"note-off keeps its status", {0x82, 0x3C, 0x22}, {"short 223C82"}},
        {"program change and channel pressure", {0xC3, 0x05, 0xD3, 0x40},
         {"short 0005C3", "short 0040D3"}},
        {"controller", {0xB0, 0x07, 0x64}, {"short 6407B0"}},
        {"pitch bend", {0xE5, 0x00, 0x40}, {"short 4000E5"}},
        {"stray data bytes first", {0x3C, 0x40, 0x90, 0x3C, 0x40}, {"short 403C90"}},
        {"real-time between data bytes", {0x90, 0x3C, 0xF8, 0x40}, {"short 0000F8", "short 403C90"}},
        {"song position", {0xF2, 0x10, 0x20}, {"short 2010F2"}},
    };
    for (const CodecCase& c : cases)
        EXPECT_EQ(roundTrip(c.wire).calls, c.expected) << c.what;
}

TEST(MidiAlsaCodec, SysExInPiecesIsJoinedUpToF7)
{
    const Bytes message = sysEx(3000);
    const RoundTrip result = roundTrip(message, 256);
    EXPECT_GT(result.sysExEvents, 1u) << "the encoder should split it";
    EXPECT_EQ(result.sysExBytes, message);
    EXPECT_EQ(result.calls, (std::vector<std::string>{"piece 1024", "piece 1024", "piece 952 last"}));
}

TEST(MidiAlsaCodec, RealTimeByteInsideSysExLeavesItWhole)
{
    const Bytes message = sysEx(20);
    Bytes wire(message.begin(), message.begin() + 10);
    wire.push_back(0xF8);
    wire.insert(wire.end(), message.begin() + 10, message.end());
    const RoundTrip result = roundTrip(wire);
    EXPECT_EQ(result.sysExBytes, message);
    EXPECT_EQ(result.calls, (std::vector<std::string>{"short 0000F8", "piece 20 last"}));
}

TEST(MidiAlsaCodec, SysExCutByAStatusByteNeverPassesAsWhole)
{
    const Bytes noteOn = {0x90, 0x3C, 0x40};
    // Within one chunk the encoder drops the unfinished message itself.
    EXPECT_EQ(roundTrip(joined({{0xF0, 0x7E, 0x7F, 0x09}, noteOn}), 256).calls,
              std::vector<std::string>{"short 403C90"});
    // Chunks already out are followed by the error notice.
    Bytes unfinished = sysEx(600);
    unfinished.pop_back();
    const RoundTrip result = roundTrip(joined({unfinished, noteOn}), 256);
    ASSERT_GE(result.calls.size(), 2u);
    EXPECT_EQ(result.calls[result.calls.size() - 2], "error cut");
    EXPECT_EQ(result.calls.back(), "short 403C90");
    for (const std::string& call : result.calls)
        EXPECT_EQ(call.find("last"), std::string::npos) << call;
}

} // namespace
} // namespace rz
