#include <gtest/gtest.h>

#include <vector>

#include "song/event_order.h"
#include "song/track.h"

namespace rz {
namespace {

CMidiEvent at(int32_t tick, uint32_t message, int32_t value2 = 0)
{
    CMidiEvent e;
    e.tick = tick;
    e.message = message;
    e.value2 = value2;
    return e;
}

TEST(SameTickOrder, KindsRankFromMetaToNotes)
{
    // Ascending order at one tick, lowest first.
    const std::vector<uint32_t> ascending = {
        0x03FF,   // meta, type 3
        0x51FF,   // meta, type 0x51: by first data byte
        0x4003A0, // key pressure, key 3
        0x0621,   // NRPN 6
        0x4007B0, // controller 7
        0x0AB0,   // controller 10
        0x05C0,   // program
        0x40D0,   // channel pressure
        0x4000E0, // pitch bend
        0x3C0080, // note off
        0x7F0090, // note on, key 0
        0x0110,   // RPN 1
        0x403C90, // note on, key 60
    };
    for (size_t i = 1; i < ascending.size(); ++i)
        EXPECT_LT(orderKey(ascending[i - 1]), orderKey(ascending[i])) << "entry " << i;
    EXPECT_EQ(orderKey(0x0AB0), (2u << 16) | 0x0A00);
}

TEST(SameTickOrder, OrderedInsertPlacesByKindAmongEventsAtItsTick)
{
    const std::vector<CMidiEvent> events = {
        at(0, 0x403C90),  // 0: note
        at(10, 0x51FF),   // 1: meta
        at(10, 0x4007B0), // 2: controller 7
        at(10, 0x05C0),   // 3: program
        at(10, 0x403C90), // 4: note
        at(20, 0x403C90), // 5
    };
    struct Case {
        CMidiEvent event;
        size_t pos;
    } cases[] = {
        {at(10, 0x0AB0), 3},     // controller 10 after controller 7, before the program
        {at(10, 0x4000E0), 4},   // pitch bend after the program, before the note
        {at(10, 0x01FF), 1},     // meta type 1 first
        {at(10, 0x403C90), 5},   // an equal note after the note
        {at(5, 0x403C90), 1},    // between ticks
        {at(30, 0xB0), 6},       // at the end
        {at(-1, 0x90), 0},       // at the start
    };
    for (const auto& c : cases)
        EXPECT_EQ(orderedInsertPos(events, c.event), c.pos) << std::hex << c.event.message;
}

TEST(SameTickOrder, InsertEventSortedKeepsInsertionOrderAtOneTick)
{
    CTrack track;
    track.InsertEventSorted(at(20, 0x90));
    track.InsertEventSorted(at(10, 0x403C90, 1));
    track.InsertEventSorted(at(10, 0x4007B0, 2)); // a controller still goes after the note
    EXPECT_EQ(track.InsertEventSorted(at(0, 0xC0, 3)), 0u);
    ASSERT_EQ(track.events.size(), 4u);
    EXPECT_EQ(track.events[1].value2, 1);
    EXPECT_EQ(track.events[2].value2, 2);
    EXPECT_EQ(track.events[3].tick, 20);
}

} // namespace
} // namespace rz
