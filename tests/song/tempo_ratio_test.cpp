// Writing a tempo multiplier into the tempo map, over the whole song or a
// range, and refusing a result a song cannot hold.

#include "song/tempo_insert.h"
#include "tests/song/clipboard_fixture.h"

#include <gtest/gtest.h>

namespace rz::test {
namespace {

TempoMap mapOf(std::initializer_list<std::pair<int32_t, uint32_t>> entries)
{
    TempoMap map;
    for (const auto& [tick, tempo] : entries)
        map.push_back(TempoEntry{tick, tempo, 0.0});
    return map;
}

std::vector<std::pair<int32_t, uint32_t>> entriesOf(const CTempoSet& set)
{
    std::vector<std::pair<int32_t, uint32_t>> entries;
    for (const TempoEntry& e : set.entries)
        entries.emplace_back(e.tick, e.tempo);
    return entries;
}

using Entries = std::vector<std::pair<int32_t, uint32_t>>;

TEST(TempoRatio, WholeSongScalesEveryEntry)
{
    const std::optional<CTempoSet> set =
        BuildTempoRatioSet(mapOf({{0, 500000}, {960, 400000}}), 110000, TempoRatioRange{}, 3840);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->removeKeys, (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(entriesOf(*set), (Entries{{0, 454545}, {960, 363636}}));
}

TEST(TempoRatio, RangesScaleFromTheirStartAndRestoreAtTheirEnd)
{
    const TempoMap map = mapOf({{0, 500000}, {480, 400000}, {1920, 600000}});
    const struct {
        const char* what;
        int32_t from, to;
        std::vector<uint32_t> removed;
        Entries entries;
    } kCases[] = {
        {"inside one tempo", 120, 360, {}, {{120, 454545}, {360, 500000}}},
        {"either order", 360, 120, {}, {{120, 454545}, {360, 500000}}},
        {"starting on an entry", 480, 960, {1}, {{480, 363636}, {960, 400000}}},
        {"across an entry", 240, 960, {1}, {{240, 454545}, {480, 363636}, {960, 400000}}},
        {"ending on an entry", 240, 480, {}, {{240, 454545}}},
        {"ending at the map's end", 2000, 3840, {}, {{2000, 545454}}},
        {"ending past the map's end", 2000, 9000, {}, {{2000, 545454}}},
        {"one tick", 240, 240, {}, {{240, 454545}}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        const std::optional<CTempoSet> set =
            BuildTempoRatioSet(map, 110000, TempoRatioRange{false, c.from, c.to}, 3840);
        ASSERT_TRUE(set);
        EXPECT_EQ(set->removeKeys, c.removed);
        EXPECT_EQ(entriesOf(*set), c.entries);
    }
}

TEST(TempoRatio, AnyTempoOutsideWhatASongHoldsRefusesAll)
{
    const TempoMap map = mapOf({{0, 500000}, {960, 16'000'000}});
    const struct {
        const char* what;
        int32_t multiplier;
        TempoRatioRange range;
        bool refused;
    } kCases[] = {
        {"faster than 360 beats a minute", 400000, {}, true},
        {"slower than a song stores", 90000, {}, true},
        {"the slow entry left out", 90000, {false, 0, 480}, false},
        {"the slow entry in range", 90000, {false, 480, 1200}, true},
        {"a multiplier of 0", 0, {}, true},
        {"a negative multiplier", -100000, {}, true},
        {"at the fastest", 300000, {false, 0, 480}, false},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(!BuildTempoRatioSet(map, c.multiplier, c.range, 3840), c.refused) << c.what;
}

struct TempoRatioSong : ClipboardFixture, testing::Test {};

TEST_F(TempoRatioSong, AppliedAndUndone)
{
    std::unique_ptr<CSongDoc> song = songAt(120, {"Piano"});
    song->tracks[1]->events = {note(0, 60, 90, 100), note(960, 62, 90, 100)};
    settle(*song);
    const std::string before = DescribeSong(*song);
    std::optional<CTempoSet> set = BuildTempoRatioSet(song->tempoMap, 110000, {}, song->measureMapEnd);
    ASSERT_TRUE(set);
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTempo;
    record->label = "Apply tempo ratio";
    record->tempo = std::make_unique<CTempoSet>(std::move(*set));
    ASSERT_EQ(song->ApplyEdit(std::move(record)), ApplyResult::Applied);
    ASSERT_EQ(song->tempoMap.size(), 1u);
    EXPECT_EQ(song->tempoMap[0].tempo, 454545u);
    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

} // namespace
} // namespace rz::test
