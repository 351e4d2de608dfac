#include "core/byte_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace rz {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kHuge = std::numeric_limits<size_t>::max();

TEST(ByteReader, ReadsBigAndLittleEndianIntegers)
{
    const Bytes data = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x01, 0x02,
                        0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    ByteReader r(data);
    EXPECT_EQ(r.u8(), 0x12);
    EXPECT_EQ(r.u16be(), 0x3456);
    EXPECT_EQ(r.u24be(), 0x789ABCu);
    EXPECT_EQ(r.u32be(), 0xDEF00102u);
    EXPECT_EQ(r.u16le(), 0x0403);
    EXPECT_EQ(r.u32le(), 0x08070605u);
    EXPECT_TRUE(r.atEnd());
    EXPECT_FALSE(r.failureOffset());
}

TEST(ByteReader, ReadingToTheExactEndSucceedsOnePastFails)
{
    const Bytes data = {1, 2, 3, 4, 5, 6};
    ByteReader r(data);
    ASSERT_TRUE(r.skip(2));
    EXPECT_EQ(r.u32be(), 0x03040506u);
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_FALSE(r.u8());
    EXPECT_FALSE(r.peekU8());
    EXPECT_EQ(r.failureOffset(), 6u);

    ByteReader s(data);
    ASSERT_TRUE(s.skip(3));
    EXPECT_FALSE(s.u32be());  // needs 4, 3 left
    EXPECT_FALSE(s.u32le());
    EXPECT_FALSE(s.u24be() && s.u8()); // 3 bytes fit; the 7th does not
    EXPECT_EQ(s.position(), 6u);
    EXPECT_EQ(s.failureOffset(), 3u); // the first failure is kept
}

TEST(ByteReader, AFailedReadDoesNotMove)
{
    const Bytes data = {0xAA, 0xBB, 0xCC};
    ByteReader r(data);
    ASSERT_TRUE(r.skip(1));
    EXPECT_FALSE(r.u24be());
    EXPECT_FALSE(r.bytes(3));
    EXPECT_FALSE(r.skip(3));
    EXPECT_EQ(r.position(), 1u);
    EXPECT_EQ(r.u16be(), 0xBBCC); // the bytes are still there
}

TEST(ByteReader, BlocksAreViewsIntoTheInput)
{
    const Bytes data = {1, 2, 3, 4, 5};
    ByteReader r(data);
    ASSERT_TRUE(r.skip(1));
    const auto block = r.bytes(3);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->data(), data.data() + 1);
    EXPECT_EQ(block->size(), 3u);
    EXPECT_TRUE(r.bytes(1));
    EXPECT_TRUE(r.bytes(0)); // an empty block at the end is fine
    EXPECT_FALSE(r.bytes(1));
}

TEST(ByteReader, LengthsNearTheTopOfSizeTDoNotWrap)
{
    // pos + len would wrap to a small number and pass a naive check.
    const Bytes data(16, 0);
    ByteReader r(data);
    ASSERT_TRUE(r.skip(2));
    EXPECT_FALSE(r.bytes(kHuge));
    EXPECT_FALSE(r.bytes(kHuge - 1));
    EXPECT_FALSE(r.skip(kHuge));
    EXPECT_FALSE(r.seek(kHuge));
    EXPECT_FALSE(r.bytes(0xFFFFFFFFu));
    EXPECT_EQ(r.position(), 2u);
}

TEST(ByteReader, SeekStaysInsideTheBytes)
{
    const Bytes data = {9, 8, 7};
    ByteReader r(data, 0x100);
    EXPECT_TRUE(r.seek(3));
    EXPECT_TRUE(r.atEnd());
    EXPECT_FALSE(r.seek(4));
    EXPECT_EQ(r.failureOffset(), 0x103u);
    EXPECT_TRUE(r.seek(1));
    EXPECT_EQ(r.offset(), 0x101u);
    EXPECT_EQ(r.peekU8(), 8);
    EXPECT_EQ(r.position(), 1u); // peeking does not move
}

struct VarLenCase {
    const char* name;
    Bytes bytes;
    std::optional<uint32_t> value;
    size_t position; // after the read
};

TEST(ByteReader, VariableLengthQuantities)
{
    const VarLenCase cases[] = {
        {"zero", {0x00}, 0, 1},
        {"one byte max", {0x7F, 0x55}, 0x7F, 1},
        {"two bytes", {0x81, 0x00}, 0x80, 2},
        {"two bytes max", {0xFF, 0x7F}, 0x3FFF, 2},
        {"three bytes", {0x81, 0x80, 0x00}, 0x4000, 3},
        {"four bytes max", {0xFF, 0xFF, 0xFF, 0x7F}, 0x0FFFFFFF, 4},
        {"redundant leading 0x80 within four", {0x80, 0x80, 0x80, 0x01}, 1, 4},
        {"five bytes refused", {0x81, 0x80, 0x80, 0x80, 0x00}, std::nullopt, 0},
        {"five bytes of all ones refused", {0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, std::nullopt, 0},
        {"truncated after one", {0x81}, std::nullopt, 0},
        {"truncated after three", {0x81, 0x80, 0x80}, std::nullopt, 0},
        {"empty", {}, std::nullopt, 0},
    };
    for (const auto& c : cases) {
        ByteReader r(c.bytes, 0x40);
        EXPECT_EQ(r.varLen(), c.value) << c.name;
        EXPECT_EQ(r.position(), c.position) << c.name;
        EXPECT_EQ(r.failureOffset().has_value(), !c.value.has_value()) << c.name;
        if (!c.value) {
            EXPECT_EQ(r.failureOffset(), 0x40u) << c.name; // where the quantity starts
        }
    }
}

TEST(ByteReader, VariableLengthQuantityTruncatedByTheEndOfAChunk)
{
    // The continuation byte lies outside the chunk's body.
    const Bytes data = {'M', 'T', 'r', 'k', 0, 0, 0, 1, 0x81, 0x00};
    ByteReader file(data);
    auto chunk = file.smfChunk();
    ASSERT_TRUE(chunk);
    EXPECT_FALSE(chunk->body.varLen());
    EXPECT_EQ(chunk->body.failureOffset(), 8u);
    EXPECT_EQ(chunk->body.endOffset(), 9u);
}

Bytes smfFile()
{
    return {
        'M', 'T', 'h', 'd', 0x00, 0x00, 0x00, 0x06, // header chunk, 6 bytes
        0x00, 0x01, 0x00, 0x02, 0x01, 0xE0,         // format 1, 2 tracks, 480 ppq
        'M', 'T', 'r', 'k', 0x00, 0x00, 0x00, 0x04, // track, 4 bytes
        0x00, 0xFF, 0x2F, 0x00,                     // end of track
        'M', 'T', 'r', 'k', 0x00, 0x00, 0x00, 0x00, // empty track at the very end
    };
}

TEST(ByteReader, WalksBigEndianChunks)
{
    const Bytes data = smfFile();
    ByteReader file(data);

    auto header = file.smfChunk();
    ASSERT_TRUE(header);
    EXPECT_TRUE(header->idIs("MThd"));
    EXPECT_FALSE(header->idIs("MTrk"));
    EXPECT_EQ(header->body.size(), 6u);
    EXPECT_EQ(header->body.offset(), 8u);
    EXPECT_EQ(header->body.u16be(), 1);
    EXPECT_EQ(header->body.u16be(), 2);
    EXPECT_EQ(header->body.u16be(), 480);
    EXPECT_FALSE(header->body.u8()); // the body ends where the chunk ends
    EXPECT_EQ(header->body.failureOffset(), 14u);
    EXPECT_FALSE(file.failureOffset()); // a body's failure is its own

    auto track = file.smfChunk();
    ASSERT_TRUE(track);
    EXPECT_TRUE(track->idIs("MTrk"));
    EXPECT_EQ(track->body.offset(), 22u);
    EXPECT_EQ(track->body.endOffset(), 26u);

    auto empty = file.smfChunk();
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->body.size(), 0u);
    EXPECT_TRUE(file.atEnd());
    EXPECT_FALSE(file.smfChunk());
}

TEST(ByteReader, WalksLittleEndianRiffChunks)
{
    const Bytes data = {
        'R', 'I', 'F', 'F', 0x0E, 0x00, 0x00, 0x00, // 14 bytes
        'R', 'M', 'I', 'D',
        'd', 'a', 't', 'a', 0x02, 0x00, 0x00, 0x00, 0xAB, 0xCD,
    };
    ByteReader file(data);
    auto riff = file.riffChunk();
    ASSERT_TRUE(riff);
    EXPECT_TRUE(riff->idIs("RIFF"));
    EXPECT_TRUE(file.atEnd());
    const auto form = riff->body.bytes(4);
    ASSERT_TRUE(form);
    EXPECT_EQ(std::string(form->begin(), form->end()), "RMID");
    auto inner = riff->body.riffChunk();
    ASSERT_TRUE(inner);
    EXPECT_TRUE(inner->idIs("data"));
    EXPECT_EQ(inner->body.offset(), 20u);
    EXPECT_EQ(inner->body.u16le(), 0xCDAB);
}

struct BadChunkCase {
    const char* name;
    Bytes bytes;
    bool bigEndian;
};

TEST(ByteReader, RefusesChunksLongerThanTheBytesLeft)
{
    const BadChunkCase cases[] = {
        {"one byte short", {'M', 'T', 'r', 'k', 0, 0, 0, 3, 1, 2}, true},
        {"length near 2^32", {'M', 'T', 'r', 'k', 0xFF, 0xFF, 0xFF, 0xFA, 1, 2}, true},
        {"riff length near 2^32", {'R', 'I', 'F', 'F', 0xFA, 0xFF, 0xFF, 0xFF, 1, 2}, false},
        {"riff length read big-endian", {'d', 'a', 't', 'a', 2, 0, 0, 0, 1, 2}, true},
        {"header cut short", {'M', 'T', 'r', 'k', 0, 0, 0}, true},
        {"nothing left", {}, false},
    };
    for (const auto& c : cases) {
        ByteReader r(c.bytes, 0x1000);
        const auto chunk = c.bigEndian ? r.smfChunk() : r.riffChunk();
        EXPECT_FALSE(chunk) << c.name;
        EXPECT_EQ(r.position(), 0u) << c.name;
        EXPECT_EQ(r.failureOffset(), 0x1000u) << c.name; // at the chunk's header
    }
}

TEST(ByteReader, ChunkOffsetsStayFileOffsetsWhenNested)
{
    const Bytes data = {
        0xEE, 0xEE,                                           // bytes before the chunk
        'R', 'I', 'F', 'F', 0x0A, 0x00, 0x00, 0x00,
        'd', 'a', 't', 'a', 0x04, 0x00, 0x00, 0x00, 1, 2,     // claims 4, holds 2
    };
    ByteReader file(data);
    ASSERT_TRUE(file.skip(2));
    auto riff = file.riffChunk();
    ASSERT_TRUE(riff);
    EXPECT_FALSE(riff->body.riffChunk());
    EXPECT_EQ(riff->body.failureOffset(), 10u);
    EXPECT_EQ(riff->body.endOffset(), 20u);
}

} // namespace
} // namespace rz
