#include <gtest/gtest.h>

#include <vector>

#include "song/track.h"

namespace rz {
namespace {

TEST(TrackDefaults, NewTrackMatchesTheSongDefaults)
{
    const CTrack track;
    EXPECT_EQ(track.flags, 0x18AEu);
    EXPECT_EQ(track.name, "(new track)");
    EXPECT_EQ(track.volume, 100);
    EXPECT_EQ(track.inputChannel, -1);
    EXPECT_EQ(track.color, 0x0EF0FFu);
    EXPECT_EQ(track.textColor, 0u); // light yellow takes black text
    EXPECT_EQ(track.nextTick, kEndTick);
    EXPECT_FALSE(track.HasInitialSettings());

    CTrack dark;
    dark.setColor(0x400000);
    EXPECT_EQ(dark.textColor, 0xFFFFFFu);
}

TEST(TrackSettings, HasInitialSettingsSeesEachKindOfSetting)
{
    auto with = [](auto change) {
        CTrack track;
        change(track);
        return track.HasInitialSettings();
    };
    EXPECT_TRUE(with([](CTrack& t) { t.bank = 0; }));
    EXPECT_TRUE(with([](CTrack& t) { t.patch = 0; }));
    EXPECT_TRUE(with([](CTrack& t) { t.initialControllers[13] = 0; }));
    EXPECT_TRUE(with([](CTrack& t) { t.rpnValues[3] = 256; }));
    EXPECT_TRUE(with([](CTrack& t) { t.channelPressureDest[5] = 64; }));
    EXPECT_FALSE(with([](CTrack& t) { t.keyPressureDest[0] = 64; }));
    EXPECT_FALSE(with([](CTrack& t) { t.volume = 50; }));
}

TEST(TrackSettings, MapPitchShowsTheTransposedKey)
{
    struct Case {
        int32_t key, signature, expected;
    } cases[] = {
        {0, 3, 3},   {12, -4, -4}, {-24, 7, 7}, // whole octaves: unchanged
        {2, 0, -2},  // C down a tone: B flat
        {-2, 0, 2},  // C up a tone: D
        {1, 2, -5},  // D down a semitone: D flat
        {7, -7, 4},  // C flat down a fifth: E
        {3, 5, -4},  // B down a minor third: A flat
        {14, 0, -2}, // more than an octave down
        {2, 9, 9},   // no such key signature: left alone
    };
    for (const auto& c : cases) {
        CTrack track;
        track.key = c.key;
        EXPECT_EQ(track.MapPitch(c.signature), c.expected) << c.key << " " << c.signature;
    }
}

TEST(ChaseList, SetKeyedValueKeepsOneEntryPerKey)
{
    constexpr uint32_t kControllerMask = 0xFFFF; // kind and controller number
    std::vector<uint32_t> messages;
    std::vector<int32_t> ticks;
    EXPECT_TRUE(SetKeyedValue(0x4007B0, kControllerMask, 0, messages, ticks));
    EXPECT_TRUE(SetKeyedValue(0x200AB0, kControllerMask, 5, messages, ticks));
    EXPECT_TRUE(SetKeyedValue(0x5007B1, kControllerMask, 6, messages, ticks)); // other channel
    EXPECT_FALSE(SetKeyedValue(0x7F07B0, kControllerMask, 9, messages, ticks));
    EXPECT_EQ(messages, (std::vector<uint32_t>{0x7F07B0, 0x200AB0, 0x5007B1}));
    EXPECT_EQ(ticks, (std::vector<int32_t>{9, 5, 6}));

    EXPECT_TRUE(SetKeyedValue(0x05C0, 0xFF, 10, messages, ticks)); // program, by kind only
    EXPECT_FALSE(SetKeyedValue(0x09C0, 0xFF, 11, messages, ticks));
    EXPECT_EQ(messages.back(), 0x09C0u);
    EXPECT_EQ(ticks.back(), 11);
}

TEST(ClipSearch, FindClipAtTimeFindsTheLastItemStartingBefore)
{
    CTrack track;
    EXPECT_EQ(track.FindClipAtTime(100), -1);
    for (int32_t start : {0, 100, 200, 300}) {
        CTrackItem item;
        item.start = start;
        track.items.push_back(item);
    }
    struct Case {
        int32_t cursor, time, index;
    } cases[] = {
        {0, 0, 0},   {0, 150, 1}, {3, 150, 1}, {99, 150, 1}, {-5, 250, 2},
        {0, 100, 0}, {2, 101, 1}, {0, 1000, 3}, {3, -10, 0},
    };
    for (const auto& c : cases) {
        track.itemCursor = c.cursor;
        EXPECT_EQ(track.FindClipAtTime(c.time), c.index) << c.cursor << " " << c.time;
        if (c.time != 0) {
            EXPECT_EQ(track.itemCursor, c.index);
        }
    }
}

} // namespace
} // namespace rz
