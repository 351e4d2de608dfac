// The values typed into dialog fields: typed percentages, 14-bit numbers, note
// names in both styles, durations, time code against the song's offset,
// tempos within what a song holds, note units and the controller list.

#include "dialogs/field_values.h"
#include "song/controller_names.h"
#include "song/tempo_map.h"
#include "tests/dialogs/dialog_song.h"
#include "tests/support/fake_synth_lookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace rz {
namespace {

TEST(DialogHelpers, PercentOfAQuarterRoundsHalvesAwayAndTruncates)
{
    const struct {
        int64_t quarter, percent, ticks;
    } kCases[] = {{120, 50, 60}, {96, 25, 24}, {120, 0, 0}, {480, 1, 5}, {120, -50, -59}, {96, 200, 192}};
    for (const auto& c : kCases)
        EXPECT_EQ(percentToTicks(c.quarter, c.percent), c.ticks) << c.quarter << " " << c.percent;
}

TEST(DialogHelpers, FourteenBitNumbersTypedEitherWay)
{
    const struct {
        const char* text;
        int32_t msb, lsb, value;
    } kCases[] = {
        {"3/5", 3, 5, 389},     {" 100", 0, 100, 100}, {"389", 3, 5, 389},
        {"127", 0, 127, 127},   {"2/200", 2, 127, 383}, {"-4", 0, 0, 0},
        {"x", 0, 0, 0},         {"99999999999999999999", 16777215, 127, 16383},
        {"200/5", 200, 5, 127 * 128 + 5},
    };
    for (const auto& c : kCases) {
        const std::optional<Number14> n = parse14(c.text);
        ASSERT_TRUE(n) << c.text;
        EXPECT_EQ(n->msb, c.msb) << c.text;
        EXPECT_EQ(n->lsb, c.lsb) << c.text;
        EXPECT_EQ(n->value(), c.value) << c.text;
    }
    EXPECT_FALSE(parse14(""));
    EXPECT_FALSE(parse14("   "));
}

TEST(DialogHelpers, NoteNamesInTheEventAndFindStyles)
{
    constexpr auto E = NoteNameStyle::Event;
    constexpr auto F = NoteNameStyle::Find;
    const struct {
        const char* text;
        int32_t previous;
        NoteNameStyle style;
        std::optional<int32_t> note;
    } kCases[] = {
        {"C4", 0, E, 60},   {"c#4", 0, E, 61}, {"Bb3", 0, E, 58},  {"A-1", 0, E, 9},
        {"G", 60, E, 67},   {"G", 0, E, 7},    {"BB3", 0, E, 58},  {"E x4", 0, E, 66},
        {"C'' 4", 0, E, 58}, {"60", 0, E, 60},  {"200", 0, E, 127}, {"3/5", 0, E, 5},   {"H", 0, E, std::nullopt},
        {"", 0, E, std::nullopt}, {"A9", 0, E, std::nullopt}, {"Cb-1", 0, E, std::nullopt},
        {"C4", 0, F, 60},   {"e4", 0, F, 64},  {"H", 0, F, 0},     {"BB3", 0, F, 11},
        {"Bb3", 0, F, 58},  {"200", 0, F, 200}, {"A9", 0, F, 0},   {"", 0, F, 0},
        {"C99999999999999999999", 0, E, std::nullopt},
    };
    for (const auto& c : kCases) {
        const std::optional<ParsedNote> parsed = parseNoteName(c.text, c.previous, c.style);
        ASSERT_EQ(parsed.has_value(), c.note.has_value()) << c.text;
        if (c.note) {
            EXPECT_EQ(parsed->note, *c.note) << c.text << (c.style == F ? " (find)" : " (event)");
        }
    }
    // The spelling typed is kept unless it is the key's own.
    EXPECT_EQ(parseNoteName("Bb3", 0, NoteNameStyle::Event)->spelling, -1);
    EXPECT_EQ(parseNoteName("A#3", 0, NoteNameStyle::Event)->spelling, 3);
    EXPECT_EQ(parseNoteName("F#4", 0, NoteNameStyle::Event, 1)->spelling, -1);
    EXPECT_EQ(parseNoteName("Gb4", 0, NoteNameStyle::Event, 1)->spelling, 1);
    EXPECT_EQ(noteNameText(60), "C4 (60)");
    EXPECT_EQ(noteNameText(0), "C-1 (0)");
}

TEST(DialogHelpers, DurationsAsTicksBeatsOrBeatsAndTicks)
{
    const struct {
        const char* text;
        int32_t ticks;
    } kCases[] = {
        {"1.5", 720}, {"2:010", 970}, {"-30", 30}, {"30", 30}, {"-1.5", 720}, {"0.001", 0},
        {"x", 0},     {"1e400.", 480},  {"99999999999999999999", INT32_MAX}, {"99999999:0", INT32_MAX},
        {"99999999999.5", INT32_MAX},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(parseDuration(c.text, 480), c.ticks) << c.text;
    EXPECT_FALSE(parseDuration(" ", 480));
    EXPECT_EQ(formatDuration(720, 480), "1:240");
    EXPECT_EQ(formatDuration(970, 480), "2:010");
    EXPECT_EQ(formatDuration(479, 480), "479");
}

TEST(DialogHelpers, OnABeatCountsFromTheMeasuresOwnStart)
{
    DialogSong s = mixedSong(); // 6/8 at 840
    EXPECT_TRUE(isOnBeat(s.song->measureMap, 120, 900));
    EXPECT_FALSE(isOnBeat(s.song->measureMap, 120, 960 - 30));
    EXPECT_TRUE(isOnBeat(s.song->measureMap, 120, 2400 + 120)); // past the map
    EXPECT_FALSE(isOnBeat(s.song->measureMap, 120, -1));
}

TEST(DialogHelpers, TimeCodeOfATickAddsTheSongsOffsetAndATimeBeforeItIsTickZero)
{
    DialogSong s = mixedSong(); // 120 per quarter at 500000 µs a quarter
    s.song->smpteOffset = CSmpteTime::fromFields(3, 0, 0, 10, 0, 0);
    EXPECT_DOUBLE_EQ(smpteTimeOfTick(*s.song, 240), 11'000'000.0);
    EXPECT_EQ(tickOfSmpteTime(*s.song, 11'000'000.0), 240);
    EXPECT_EQ(tickOfSmpteTime(*s.song, 10'000'000.0), 0);
    EXPECT_EQ(tickOfSmpteTime(*s.song, 2'000'000.0), 0) << "before the offset";
    EXPECT_EQ(tickOfSmpteTime(*s.song, 1e300), kMaxDialogTick);
}

TEST(DialogHelpers, TemposStayWithinWhatASongHolds)
{
    const struct {
        const char* text;
        int32_t hundredths;
        int32_t micros;
    } kCases[] = {
        {"0", 358, 16'759'776}, {"x", 358, 16'759'776}, {"120", 12'000, 500'000},
        {"500", 36'000, 166'666}, {"3.57", 358, 16'759'776}, {"99.999", 9'999, 600'060},
        {"99999999999999999999", 36'000, 166'666}, {"-5", 358, 16'759'776},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(parseBpm(c.text), c.hundredths) << c.text;
        EXPECT_EQ(microsFromBpm(parseBpm(c.text)), c.micros) << c.text;
    }
    EXPECT_EQ(formatBpm(358), "3.58");
    EXPECT_EQ(formatBpm(12000), "120.00");
    EXPECT_EQ(bpmFromMicros(kMaxTempo), 358);
    EXPECT_EQ(bpmFromMicros(60'000'000), 358);
    EXPECT_EQ(bpmFromMicros(1), 36'000);
    EXPECT_EQ(parseMicros("60000000"), int32_t(kMaxTempo));
    EXPECT_EQ(parseMicros("5"), 166'666);
    // What a dialog shows is what the song keeps.
    for (int32_t h = kMinBpmHundredths; h <= kMaxBpmHundredths; h += 7)
        EXPECT_EQ(clampTempo(uint32_t(microsFromBpm(h))), uint32_t(microsFromBpm(h)));
}

TEST(DialogHelpers, NoteUnitsRunFromThirtySecondTripletToWhole)
{
    EXPECT_STREQ(kNoteUnits.front().name, "Thirty-second triplet");
    EXPECT_EQ(noteUnitTicks(kNoteUnits.front().value, 120), 10);
    EXPECT_EQ(noteUnitTicks(kNoteUnits.back().value, 96), 384);
    EXPECT_EQ(noteUnitTicks(10, 6), 1) << "never 0 ticks at a tiny time base";
    EXPECT_TRUE(std::is_sorted(kNoteUnits.begin(), kNoteUnits.end(),
                               [](const NoteUnit& a, const NoteUnit& b) { return a.value < b.value; }));
}

bool sortedNoCase(const std::vector<ComboItem>& items)
{
    return std::is_sorted(items.begin(), items.end(), [](const ComboItem& a, const ComboItem& b) {
        return std::lexicographical_compare(a.text.begin(), a.text.end(), b.text.begin(), b.text.end(),
                                            [](char x, char y) { return std::tolower(x) < std::tolower(y); });
    });
}

TEST(DialogHelpers, WithoutASynthTheProgramsNamedControllersAreListed)
{
    const std::vector<ComboItem> items = controllerItems(nullptr, 0, 98, 127);
    EXPECT_TRUE(sortedNoCase(items));
    for (const ComboItem& item : items) {
        EXPECT_TRUE(item.data >= 1 && item.data <= 97) << item.text;
        EXPECT_NE(item.data, 6);
        EXPECT_NE(item.data, 32);
        EXPECT_NE(item.data, 38);
        EXPECT_EQ(item.text, controllerName(item.data));
        EXPECT_GT(item.text.size(), 5u) << "unnamed controllers are left out";
    }
    const auto has = [&](int data) {
        return std::any_of(items.begin(), items.end(), [&](const ComboItem& i) { return i.data == data; });
    };
    EXPECT_TRUE(has(1) && has(7) && has(10) && has(64) && has(97));
    EXPECT_FALSE(has(3) || has(98) || has(121));
    EXPECT_TRUE(controllerItems(nullptr, 0, 1, 0).size() > items.size()) << "an empty range skips nothing more";
}

TEST(DialogHelpers, ASynthsOwnControllerNamesReplaceTheProgramsList)
{
    FakeSynthLookup synths;
    synths.ccNames[{5, 74}] = "  74-Cutoff";
    synths.ccNames[{5, 7}] = "volume";
    synths.ccNames[{6, 1}] = "Other synth";
    const std::vector<ComboItem> items = controllerItems(&synths, 5, 98, 127);
    EXPECT_EQ(items, (std::vector<ComboItem>{{"Cutoff (74)", 74}, {"volume (7)", 7}}));
    EXPECT_EQ(controllerItems(&synths, 9, 98, 127), controllerItems(nullptr, 0, 98, 127));
}

TEST(DialogHelpers, InsertSortedPlacesAsASortedComboWould)
{
    std::vector<ComboItem> items;
    EXPECT_EQ(insertSorted(items, {"beta", 1}), 0u);
    EXPECT_EQ(insertSorted(items, {"Alpha", 2}), 0u);
    EXPECT_EQ(insertSorted(items, {"gamma", 3}), 2u);
    EXPECT_EQ(insertSorted(items, {"BETA", 4}), 2u) << "after an equal text";
}

TEST(DialogHelpers, RangedFieldsAndTheirMessage)
{
    EXPECT_EQ(rangeMessage(1, 99), "Please enter an integer between 1 and 99.");
    EXPECT_EQ(rangedField(" 5 ", 1, 99), 5);
    EXPECT_FALSE(rangedField("100", 1, 99));
    EXPECT_FALSE(rangedField("5x", 1, 99));
    EXPECT_EQ(typedNumber("  -12abc"), -12);
    EXPECT_EQ(typedNumber("9999999999999999999999"), INT32_MAX);
    EXPECT_EQ(typedNumber("abc"), 0);
}

} // namespace
} // namespace rz
