// What the event properties dialog reads and builds without Qt: typed note
// names, values in each kind's unit, patches, durations, data bytes, and the
// finished event of every kind.

#include "dialogs/event_props_model.h"
#include "song/event_format.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

constexpr auto Note = EventKindIndex::Note;
constexpr auto Controller = EventKindIndex::Controller;
constexpr auto Patch = EventKindIndex::PatchChange;
constexpr auto Pitch = EventKindIndex::PitchWheel;
constexpr auto Rpn = EventKindIndex::Rpn;
constexpr auto Nrpn = EventKindIndex::Nrpn;

EventPropsModel modelOf(EventKindIndex kind)
{
    RememberedFields remembered;
    remembered.kind = kind;
    return EventPropsModel(EventPropsRequest{}, remembered);
}

TEST(EventPropsParse, NoteNamesTypedInTheNumberField)
{
    const struct {
        const char* text;
        int32_t previous;
        int32_t note;
    } kCases[] = {
        {"C4", 0, 60}, {"c#4", 0, 61}, {"Bb3", 0, 58}, {"A-1", 0, 9}, {"G", 60, 67}, {"G", 30, 31}, {"64", 0, 64},
    };
    for (const auto& c : kCases) {
        EventPropsModel model = modelOf(Note);
        model.chooseNumber(c.previous);
        model.startTypingNumber();
        EXPECT_FALSE(model.number()) << "typing unsets the number until it is read";
        model.typeNumber(c.text, 0, BankStyle{});
        EXPECT_EQ(model.number(), c.note) << c.text;
    }
}

TEST(EventPropsParse, ADataByteNumberTypedAbove127IsHeldAt127)
{
    const struct {
        EventKindIndex kind;
        const char* text;
        int32_t number;
    } kCases[] = {{Note, "200", 127}, {Controller, "200", 127}, {Controller, "300", 127}, {Controller, "3/5", 5}};
    for (const auto& c : kCases) {
        EventPropsModel model = modelOf(c.kind);
        model.startTypingNumber();
        model.typeNumber(c.text, 0, BankStyle{});
        EXPECT_EQ(model.number(), c.number) << int(c.kind) << " " << c.text;
    }
}

TEST(EventPropsParse, ValuesInEachKindsUnit)
{
    const struct {
        EventKindIndex kind;
        int32_t number;
        const char* text;
        std::optional<int32_t> value;
    } kCases[] = {
        {Rpn, 1, "50", 12288},    {Rpn, 1, "0", 8192},     {Nrpn, 300, "3/5", 389},
        {Pitch, 0, "-8192", 0},   {Pitch, 0, "0", 8192},   {Pitch, 0, "8191", 16383},
        {Pitch, 0, "-20000", 0},  {Rpn, 0, "2.5", 306},    {Rpn, 5, "2.5", 320},
        {Rpn, 2, "12", 12 * 128}, {Rpn, 3, "389", 389},    {Nrpn, 0, "200/5", 127 * 128 + 5},
        {Controller, 7, "100", 100}, {Controller, 7, "300", 127}, {Note, 60, "200", 127}, {Controller, 7, "  ", std::nullopt},
        {Patch, 0, "5", std::nullopt},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(parseEventValue(c.kind, c.number, c.text), c.value) << int(c.kind) << " " << c.number << " " << c.text;
    // The cents rule of the bend range reads back as typed.
    EXPECT_EQ(FormatBendRange(*parseRpnValue(0, "2.5")), "2.50");
}

TEST(EventPropsParse, PatchesWithAndWithoutABank)
{
    const BankStyle normal{0};
    const BankStyle msbOnly{ISynthLookup::kTechBankMsbOnly | ISynthLookup::kTechPatchesFromZero};
    const struct {
        const char* text;
        BankStyle style;
        std::optional<int32_t> number;
    } kCases[] = {
        {"1", normal, 0 - 128},           {"128", normal, 127 - 128},  {"0", normal, 0 - 128},
        {"2/3,5", normal, 259 * 128 + 4}, {"127/0,1", normal, 16256 * 128}, {"200/0,1", normal, 16256 * 128},
        {"3,0", msbOnly, 384 * 128},      {"  ", normal, std::nullopt},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(parsePatch(c.text, c.style), c.number) << c.text;
}

TEST(EventPropsParse, DurationsAt480InFourFour)
{
    const struct {
        const char* text;
        int32_t ticks;
    } kCases[] = {{"1.5", 720}, {"2:010", 970}, {"-30", 30}, {"240", 240}, {"", -1}};
    for (const auto& c : kCases) {
        EventPropsModel model = modelOf(Note);
        model.typeDuration(c.text, 480);
        EXPECT_EQ(model.duration(), c.ticks) << c.text;
    }
}

TEST(EventPropsParse, HexDataTokens)
{
    const struct {
        const char* text;
        bool sysex;
        std::vector<uint8_t> bytes;
        const char* badToken; // null: accepted
    } kCases[] = {
        {"f0 7e 7f 09 01 f7", true, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, nullptr},
        {" F0  41\r\n10 F7 ", true, {0xF0, 0x41, 0x10, 0xF7}, nullptr},
        {"7E F0 7F", true, {}, "F0"},
        {"F0 F7 01", true, {}, "F7"},
        {"F0 80 F7", true, {}, "80"},
        {"00 7", true, {}, "7"},
        {"00 123", true, {}, "123"},
        {"0g", false, {}, "0G"},
        {"07 A1 20", false, {0x07, 0xA1, 0x20}, nullptr},
        {"FD 00", false, {0xFD, 0x00}, nullptr},
    };
    for (const auto& c : kCases) {
        const HexData hex = parseHexData(c.text, c.sysex);
        EXPECT_EQ(hex.ok, c.badToken == nullptr) << c.text;
        if (c.badToken) {
            EXPECT_EQ(hex.token, c.badToken) << c.text;
            EXPECT_EQ(std::string_view(c.text).substr(hex.start, hex.length).size(), hex.token.size()) << c.text;
        } else {
            EXPECT_EQ(hex.bytes, c.bytes) << c.text;
        }
    }
    EXPECT_EQ(hexText(std::vector<uint8_t>{0xF0, 0x0A, 0xF7}), "F0 0A F7");
}

TEST(EventPropsParse, BuildsEachKind)
{
    const std::vector<uint8_t> sysex{0xF0, 0x7E, 0xF7};
    const std::vector<uint8_t> tempo{0x07, 0xA1, 0x20};
    const struct {
        const char* name;
        EventFields fields;
        std::optional<uint32_t> message;
        int32_t value2 = 0;
    } kCases[] = {
        {"note", {Note, 1, 0, 3, 60, 100, 240, 3, {}}, 0x643C93u, 240},
        {"note without duration", {Note, 1, 0, 3, 60, 100, -1, -1, {}}, std::nullopt},
        {"aftertouch", {EventKindIndex::Aftertouch, 1, 0, 0, 61, 5, -1, -1, {}}, 0x053DA0u},
        {"controller", {Controller, 1, 0, 2, 11, 127, -1, -1, {}}, 0x7F0BB2u},
        {"controller without track", {Controller, 0, 0, 2, 11, 127, -1, -1, {}}, std::nullopt},
        {"controller without position", {Controller, 1, -1, 2, 11, 127, -1, -1, {}}, std::nullopt},
        {"no bank, program 127", {Patch, 1, 0, 0, 127 - 128, -1, -1, -1, {}}, 0x7FC0u, -1},
        {"drum bank 127/0", {Patch, 1, 0, 0, 16256 * 128 + 0, -1, -1, -1, {}}, 0xC0u, 16256},
        {"bank 16383", {Patch, 1, 0, 0, 16383 * 128 + 5, -1, -1, -1, {}}, 0x05C0u, 16383},
        {"patch unset", {Patch, 1, 0, 0, std::nullopt, -1, -1, -1, {}}, std::nullopt},
        {"channel pressure", {EventKindIndex::ChannelPressure, 1, 0, 1, std::nullopt, 64, -1, -1, {}}, 0x40D1u},
        {"pitch wheel", {Pitch, 1, 0, 0, std::nullopt, 16383, -1, -1, {}}, 0x7F7FE0u},
        {"system exclusive", {EventKindIndex::SystemExclusive, 1, 0, 5, std::nullopt, -1, -1, -1, sysex}, 0xF0u},
        {"system exclusive empty", {EventKindIndex::SystemExclusive, 1, 0, 5, std::nullopt, -1, -1, -1, {}},
         std::nullopt},
        {"meta tempo", {EventKindIndex::Meta, 1, 0, 0, 81, -1, -1, -1, tempo}, 0x51FFu},
        {"meta without type", {EventKindIndex::Meta, 1, 0, 0, std::nullopt, -1, -1, -1, tempo}, std::nullopt},
        {"rpn", {Rpn, 1, 0, 4, 0, 306, -1, -1, {}}, 0x1320010u},
        {"rpn number 200", {Rpn, 1, 0, 4, 200, 306, -1, -1, {}}, std::nullopt},
        {"nrpn", {Nrpn, 1, 0, 4, 389, 1000, -1, -1, {}}, 0x18520u, 1000},
    };
    for (const auto& c : kCases) {
        const std::optional<BuiltEvent> built = buildEvent(c.fields);
        ASSERT_EQ(built.has_value(), c.message.has_value()) << c.name;
        if (!built)
            continue;
        EXPECT_EQ(built->message, *c.message) << c.name;
        EXPECT_EQ(built->value2, c.value2) << c.name;
        EXPECT_EQ(built->data, std::vector<uint8_t>(c.fields.data.begin(), c.fields.data.end())) << c.name;
        EXPECT_EQ(built->accidental, c.fields.kind == Note ? c.fields.accidental : -1) << c.name;
    }
}

TEST(EventPropsParse, UndefinedNumbersKeepTheirText)
{
    EXPECT_EQ(undefinedNumberText(Controller, 3, -1, 0, {}), "3 (undefined)");
    EXPECT_EQ(undefinedNumberText(Rpn, 389, -1, 0, {}), "389 (3/5) (undefined)");
    EXPECT_EQ(undefinedNumberText(Patch, 5 - 128, -1, 0, {}), "(undefined) [6]");
    EXPECT_EQ(undefinedNumberText(Patch, 16256 * 128 + 1, -1, 0, {}), "(undefined) [16256 (127/0),2]");
}

} // namespace
} // namespace rz
