#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "song/midi_event.h"

namespace rz {
namespace {

std::vector<uint8_t> bytesOf(const CMidiEvent& e)
{
    const auto b = e.data.bytes();
    return {b.begin(), b.end()};
}

TEST(EventData, NewEventIsEmptyWithNoSpelling)
{
    const CMidiEvent e;
    EXPECT_EQ(e.message, 0u);
    EXPECT_EQ(e.value2, 0);
    EXPECT_TRUE(e.data.empty());
    EXPECT_EQ(e.spelling, -1);
}

TEST(EventData, SetDataWithSysexFlagAddsF0)
{
    const uint8_t raw[] = {0x41, 0x10, 0xF7};
    CMidiEvent e;
    e.message = 0xF0;
    e.SetData(raw, true);
    EXPECT_EQ(e.value2, 4);
    EXPECT_EQ(bytesOf(e), (std::vector<uint8_t>{0xF0, 0x41, 0x10, 0xF7}));

    e.SetData(raw, false);
    EXPECT_EQ(e.value2, 3);
    EXPECT_EQ(bytesOf(e), (std::vector<uint8_t>{0x41, 0x10, 0xF7}));

    e.SetData({}, false);
    EXPECT_EQ(e.value2, 0);
    EXPECT_TRUE(e.data.empty());
}

TEST(EventData, TextSetters)
{
    CMidiEvent text;
    text.SetText("Hi", false);
    EXPECT_EQ(text.message, kTextMessage);
    EXPECT_EQ(text.value2, 2);

    CMidiEvent lyric;
    lyric.SetMetaText(5, "la\xE9", true); // bytes kept as they are
    EXPECT_EQ(lyric.message, 0x5FFu);
    EXPECT_EQ(bytesOf(lyric), (std::vector<uint8_t>{'l', 'a', 0xE9, 0}));

    CMidiEvent note;
    note.message = 0x403C90;
    note.SetText("x", false);
    EXPECT_EQ(note.message, 0x403C90u); // only a message still 0 becomes text

    const uint8_t tempo[] = {0x07, 0xA1, 0x20};
    CMidiEvent meta;
    meta.SetMetaData(0x51, tempo);
    EXPECT_EQ(meta.message, 0x51FFu);
    EXPECT_EQ(meta.value2, 3);
}

TEST(EventData, CopyOwnsItsBytes)
{
    CMidiEvent source;
    source.SetMetaText(1, "abc");
    CMidiEvent copy = source;
    copy.data.byteBlock()->at(0) = 'X';
    EXPECT_EQ(bytesOf(source), (std::vector<uint8_t>{'a', 'b', 'c'}));

    CMidiEvent target;
    target.SetMetaText(1, "old");
    CMidiEvent empty;
    target = empty;
    EXPECT_TRUE(target.data.empty());
}

TEST(EventData, CopyOwnsItsClip)
{
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = "C:\\songs\\WaveData\\take.wav";
    clip->length = 12345;
    CMidiEvent source;
    source.SetClip(std::move(clip));
    EXPECT_EQ(source.message, kAudioClipMessage);

    CMidiEvent copy;
    copy = source;
    ASSERT_NE(copy.clip(), nullptr);
    EXPECT_NE(copy.clip(), source.clip());
    copy.clip()->fileName = "other.wav";
    EXPECT_EQ(source.clip()->fileName, "C:\\songs\\WaveData\\take.wav");
    EXPECT_EQ(copy.clip()->length, 12345);

    copy.Clear();
    EXPECT_EQ(copy.clip(), nullptr);
    EXPECT_NE(source.clip(), nullptr);

    CMidiEvent moved = std::move(source);
    EXPECT_NE(moved.clip(), nullptr);
}

} // namespace
} // namespace rz
