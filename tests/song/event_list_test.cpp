#include <gtest/gtest.h>

#include <vector>

#include "song/event_list.h"

namespace rz {
namespace {

CMidiEvent at(int32_t tick, int32_t id)
{
    CMidiEvent e;
    e.tick = tick;
    e.value2 = id;
    return e;
}

TEST(EventListInsert, KeepsSortKeysThenTicksInOrder)
{
    CEventList list;
    const struct {
        int32_t tick, id;
        uint32_t sortKey;
    } inserts[] = {
        {50, 1, 0x02000000}, {10, 2, 0x01000000}, {40, 3, 0x02000000},
        {40, 4, 0x02000000}, {60, 5, 0x01000000}, {0, 6, 0x03000000},
    };
    for (const auto& i : inserts) {
        const CMidiEvent e = at(i.tick, i.id);
        list.Insert(&e, i.sortKey, kNoSourceKey);
    }
    std::vector<int32_t> ids;
    for (const auto& e : list.events)
        ids.push_back(e.value2);
    EXPECT_EQ(ids, (std::vector<int32_t>{2, 5, 3, 4, 1, 6}));
    EXPECT_EQ(list.sortKeys, (std::vector<uint32_t>{0x01000000, 0x01000000, 0x02000000, 0x02000000,
                                                    0x02000000, 0x03000000}));
    EXPECT_TRUE(list.sourceKeys.empty());
}

TEST(EventListInsert, SourceKeysAloneAreKeptAscending)
{
    CEventList list;
    for (uint32_t key : {0x02000005u, 0x01000000u, 0x02000001u, 0x01000000u})
        list.Insert(nullptr, 0, key);
    EXPECT_EQ(list.sourceKeys,
              (std::vector<uint32_t>{0x01000000, 0x01000000, 0x02000001, 0x02000005}));
    EXPECT_TRUE(list.events.empty());
    EXPECT_FALSE(list.empty());
}

TEST(EventListInsert, HoldsItsOwnCopies)
{
    CEventList list;
    CMidiEvent e = at(0, 1);
    e.SetMetaText(1, "abc");
    list.Insert(&e, 0, 0);
    e.data.byteBlock()->at(0) = 'X';
    EXPECT_EQ(list.events[0].data.bytes()[0], 'a');
}

} // namespace
} // namespace rz
