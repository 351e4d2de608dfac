#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "song/cue.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_song_host.h"

namespace rz {
namespace {

CCue makeCue(int kind, int32_t time, int32_t secondTime, std::string name = {}, int repeat = 0)
{
    CCue cue;
    cue.kind = kind;
    cue.time = time;
    cue.secondTime = secondTime;
    cue.name = std::move(name);
    cue.repeatCount = repeat;
    return cue;
}

TEST(CueLabel, ShowsTheRepeatCountOfVampAndAdvanceKinds)
{
    const struct {
        int kind;
        const char* name;
        int repeat;
        const char* label;
    } cases[] = {
        {kCueVamp, "Chorus", 3, "Chorus (3x)"},
        {kCueVamp, "", 3, "(3x)"},
        {kCueVamp, "Chorus", 0, "Chorus"},
        {kCueAdvanceCut, "Out", 2, "Out (2x)"},
        {kCueAdvance, "", 1, "(1x)"},
        {kCueMarker, "Intro", 3, "Intro"},
        {kCueUnused7, "Seven", 3, "Seven"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(makeCue(c.kind, 0, 0, c.name, c.repeat).GetLabel(), c.label) << c.kind;
}

TEST(CueTime, AdLibSortsByItsSecondTime)
{
    EXPECT_EQ(makeCue(kCueAdLib, 100, 400).GetTime(), 400);
    EXPECT_EQ(makeCue(kCueVamp, 400, 100).GetTime(), 400);
    EXPECT_EQ(makeCue(kCueSkip, 100, 900).GetTime(), 100);
}

CCue parse(int kind, std::array<uint8_t, 4> v, std::string_view name, int32_t tick)
{
    return cueFromStoredRecord(kind, std::span<const uint8_t, 4>(v),
                               {reinterpret_cast<const uint8_t*>(name.data()), name.size()}, tick);
}

TEST(CueStoredRecord, VampNameCarriesItsCounts)
{
    const CCue cue = parse(kCueVamp, {0x00, 0x01, 0, 0}, "2||1||Bridge", 1000);
    EXPECT_EQ(cue.repeatCount, 2);
    EXPECT_EQ(cue.secondCount, 1);
    EXPECT_EQ(cue.name, "Bridge");
    EXPECT_EQ(cue.time, 1000);
    EXPECT_EQ(cue.secondTime, 1000 - 128);
}

TEST(CueStoredRecord, TimesFollowTheKind)
{
    // v = 5 + 3 x 128 + 1 x 128^3
    const std::array<uint8_t, 4> v = {5, 3, 0, 1};
    const int32_t value = 5 + 3 * 128 + 128 * 128 * 128;
    const struct {
        int kind;
        int32_t time, secondTime;
    } cases[] = {
        {kCueVamp, 3000000, 3000000 - value},
        {kCueAdvance, 3000000, 3000000 - value},
        {kCueAdLib, 3000000 - value, 3000000},
        {kCueSkip, 3000000, 3000000 + value},
        {kCueFermata, 3000000, 3000000 + value},
    };
    for (const auto& c : cases) {
        const CCue cue = parse(c.kind, v, "x", 3000000);
        EXPECT_EQ(cue.time, c.time) << c.kind;
        EXPECT_EQ(cue.secondTime, c.secondTime) << c.kind;
    }
}

TEST(CueStoredRecord, CountsAreReadOnlyForVampLikeKindsAndWhenWellFormed)
{
    const std::array<uint8_t, 4> zero = {0, 0, 0, 0};
    EXPECT_EQ(parse(kCueMarker, zero, "2||1||Bridge", 0).name, "2||1||Bridge");
    const CCue onlyCount = parse(kCueAdvanceCut, zero, "4||Out", 0);
    EXPECT_EQ(onlyCount.repeatCount, 4);
    EXPECT_EQ(onlyCount.secondCount, 0);
    EXPECT_EQ(onlyCount.name, "Out");
    const CCue notNumber = parse(kCueVamp, zero, "a||b", 0);
    EXPECT_EQ(notNumber.repeatCount, 0);
    EXPECT_EQ(notNumber.name, "a||b");
    EXPECT_EQ(parse(kCueVamp, zero, "-3||x", 0).name, "-3||x");
}

TEST(CueStoredRecord, KindOutsideTheTableIsAMarker)
{
    for (int kind : {10, 12, -1, 255}) {
        const CCue cue = parse(kind, {1, 0, 0, 0}, "2||x", 50);
        EXPECT_EQ(cue.kind, kCueMarker) << kind;
        EXPECT_EQ(cue.secondTime, 51);
        EXPECT_EQ(cue.name, "2||x");
    }
}

TEST(CueStoredRecord, NameStopsAtAZeroAndAt127Bytes)
{
    const std::array<uint8_t, 4> zero = {0, 0, 0, 0};
    EXPECT_EQ(parse(kCueMarker, zero, std::string_view("Intro\0junk", 10), 0).name, "Intro");
    EXPECT_EQ(parse(kCueMarker, zero, std::string(300, 'n'), 0).name.size(), 127u);
}

TEST(CueInsertPos, OrdersByEffectiveTimeThenEarlierTime)
{
    CueList cues;
    insertCueInOrder(cues, std::make_unique<CCue>(makeCue(kCueMarker, 100, 100, "m100")));
    insertCueInOrder(cues, std::make_unique<CCue>(makeCue(kCueVamp, 500, 200, "v500")));
    insertCueInOrder(cues, std::make_unique<CCue>(makeCue(kCueAdLib, 50, 300, "a300")));
    insertCueInOrder(cues, std::make_unique<CCue>(makeCue(kCueSkip, 500, 900, "s500")));
    insertCueInOrder(cues, std::make_unique<CCue>(makeCue(kCueMarker, 100, 100, "m100b")));
    std::vector<std::string> order;
    for (const auto& cue : cues)
        order.push_back(cue->name);
    EXPECT_EQ(order, (std::vector<std::string>{"m100", "m100b", "a300", "v500", "s500"}));

    EXPECT_EQ(FindCueInsertPos(cues, makeCue(kCueMarker, 0, 0)), 0);
    EXPECT_EQ(FindCueInsertPos(cues, makeCue(kCueVamp, 500, 100)), 3); // earlier start: before v500
    EXPECT_EQ(FindCueInsertPos(cues, makeCue(kCueVamp, 500, 300)), 4);
    EXPECT_EQ(FindCueInsertPos(cues, makeCue(kCueMarker, 500, 500)), 5); // equal: after s500
    EXPECT_EQ(FindCueInsertPos(cues, makeCue(kCueMarker, 9999, 9999)), 5);
    EXPECT_EQ(FindCueInsertPos(CueList{}, makeCue(kCueMarker, 1, 1)), 0);
}

TEST(CueColors, KindColourLightenedForTheRunningVamp)
{
    FakeSongHost host;
    FakeEngineLink engine;
    host.cueColors[kCueVamp] = makeColor(40, 40, 200);
    host.cueColors[kCueMarker] = makeColor(250, 250, 250);
    const CCue vamp = makeCue(kCueVamp, 960, 0, "V", 3);
    Color fill = 0, text = 0;

    vamp.GetColors(host, engine, fill, text);
    EXPECT_EQ(fill, host.cueColors[kCueVamp]);
    EXPECT_EQ(text, 0xFFFFFFu);

    engine.vamp = &vamp;
    engine.state = TransportState::Playing;
    engine.repetitionsLeft = 2;
    vamp.GetColors(host, engine, fill, text);
    EXPECT_EQ(fill, ShadeColor(host.cueColors[kCueVamp], 150));

    engine.repetitionsLeft = 1;
    vamp.GetColors(host, engine, fill, text);
    EXPECT_EQ(fill, host.cueColors[kCueVamp]);

    CCue stray = makeCue(kCueMarker, 0, 0);
    stray.kind = 42; // set around the readers
    stray.GetColors(host, engine, fill, text);
    EXPECT_EQ(fill, host.cueColors[kCueMarker]);
    EXPECT_EQ(text, 0u);
}

} // namespace
} // namespace rz
