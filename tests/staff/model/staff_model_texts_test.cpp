// Lyrics, text markers, drum heads, cue marks and the lead sheet.

#include <gtest/gtest.h>

#include "song/cue.h"
#include "staff/model/staff_print_plan.h"
#include "tests/staff/model/staff_song.h"
#include "tests/support/fake_synth_lookup.h"

namespace rz::test {
namespace {

std::vector<std::string> textsOf(const CStaffTrack& staff, int kind)
{
    std::vector<std::string> texts;
    for (const CStaffText& t : staff.texts)
        if (t.kind == kind)
            texts.push_back(t.text);
    return texts;
}

TEST(StaffModelTexts, LyricsJoinSyllablesAndWords)
{
    StaffSong s(480, {{4, 4}, {4, 4}});
    CTrack& t = s.track();
    for (const auto& [tick, text] : std::vector<std::pair<int, std::string>>{
             {0, "Hel"}, {480, "lo"}, {960, "/dear"}, {1440, std::string(1, '\0')},
             {1920, "{chorus}"}, {2400, "@T title"}, {2880, "\rfriend"}}) {
        CMidiEvent lyric;
        lyric.tick = tick;
        lyric.SetMetaText(5, text);
        t.events.push_back(lyric);
    }
    const StaffModel model = s.build();
    EXPECT_EQ(textsOf(model.staves[0], kLyricText),
              (std::vector<std::string>{"Hel- ", "lo ", "dear- ", "-- ", "friend"}));
}

TEST(StaffModelTexts, ALyricJustBeforeTheBarLineBelongsToTheNextMeasure)
{
    const struct {
        int tick;
        int shownAt;
        int measure;
    } kCases[] = {{1910, 1920, 1}, {1860, 1860, 0}, {3830, 3830, 1}};
    for (const auto& c : kCases) {
        StaffSong s(480, {{4, 4}, {4, 4}});
        s.track().events.push_back(textEvent(c.tick, "la", 5));
        const StaffModel model = s.build();
        ASSERT_EQ(model.staves[0].texts.size(), 1u) << c.tick;
        const CStaffText& lyric = model.staves[0].texts[0];
        EXPECT_EQ(lyric.tick, c.shownAt) << c.tick;
        EXPECT_EQ(lyric.measure, c.measure) << c.tick;
        EXPECT_EQ(model.staves[0].content[size_t(c.measure)] & kHasLyrics, kHasLyrics) << c.tick;
        EXPECT_EQ(model.measures[size_t(c.measure)].valueFlags & kHasLyrics, kHasLyrics) << c.tick;
    }
}

TEST(StaffModelTexts, CrowdedLyricsArePushedRight)
{
    StaffSong s;
    CTrack& t = s.track();
    t.events.push_back(textEvent(0, "long", 5));
    t.events.push_back(textEvent(60, "er", 5));
    t.events.push_back(textEvent(1440, "end", 5));
    const StaffModel model = s.build();
    const auto& texts = model.staves[0].texts;
    ASSERT_EQ(texts.size(), 3u);
    // "long- " loses its hyphen and "er" starts where "long" ends.
    EXPECT_EQ(texts[0].text, "long");
    EXPECT_TRUE(texts[1].pushed);
    EXPECT_EQ(texts[1].x, texts[0].x + 4 * s.metrics.charWidth);
    EXPECT_FALSE(texts[2].pushed);
}

// A low note in the second bar: on one line every syllable sits as low as
// that bar's, on lines of a bar each keeps its own.
TEST(StaffModelTexts, LyricsOfALineShareOneBaseline)
{
    StaffSong s(480, {{4, 4}, {4, 4}, {4, 4}});
    CTrack& t = s.track();
    for (int m = 0; m < 3; ++m) {
        t.events.push_back(note(m * 1920, m == 1 ? 48 : 67, 90, 1900));
        t.events.push_back(textEvent(m * 1920, "la", 5));
    }
    StaffModel model = s.build();
    const auto lyricPositions = [&] {
        std::vector<int> positions;
        for (const CStaffText& text : model.staves[0].texts)
            if (text.kind == kLyricText)
                positions.push_back(text.position);
        return positions;
    };
    const std::vector<int> own = lyricPositions();
    ASSERT_EQ(own.size(), 3u);
    ASSERT_LT(own[1], own[0]);
    // Printed, the three bars share a system and so one baseline.
    StaffPrintInput in;
    in.screenStaffSize = s.settings.staffSize;
    s.song->endTick = 3 * 1920;
    const StaffPrintPlan plan = planStaffPrint(model, *s.song, in, s.metrics);
    ASSERT_EQ(plan.systemStarts.size(), 1u);
    std::vector<int> printed;
    for (const CStaffText& text : plan.model.staves[0].texts)
        if (text.kind == kLyricText)
            printed.push_back(text.position);
    EXPECT_EQ(printed, (std::vector<int>{own[1], own[1], own[1]}));
    const int starts[] = {0};
    AlignLyricBaselines(model, starts);
    EXPECT_EQ(lyricPositions(), (std::vector<int>{own[1], own[1], own[1]}));
    const int bars[] = {0, 1, 2};
    AlignLyricBaselines(model, bars);
    EXPECT_EQ(lyricPositions(), own);
}

// A pedal pressed and released under a crescendo: both marks sit below the
// wedge instead of on it, and the staff's band reaches down to them.
TEST(StaffModelTexts, PedalMarksStackUnderAWedge)
{
    StaffSong s(480, {{4, 4}, {4, 4}});
    CTrack& t = s.track();
    t.events.push_back(note(0, 67, 90, 1900));
    t.events.push_back(textEvent(0, "@DR;3;1920"));
    t.events.push_back(controller(480, 64, 127));
    t.events.push_back(controller(1440, 64, 0));
    t.events.push_back(controller(2400, 64, 127)); // no wedge over this one
    const StaffModel model = s.build();
    const CStaffTrack& staff = model.staves[0];
    const CStaffText* wedge = nullptr;
    std::vector<const CStaffText*> pedals;
    for (const CStaffText& text : staff.texts) {
        if (text.kind == kWedgeText)
            wedge = &text;
        if (text.kind == kPedalDownText || text.kind == kPedalUpText)
            pedals.push_back(&text);
    }
    ASSERT_NE(wedge, nullptr) << DumpStaffModel(model);
    ASSERT_EQ(pedals.size(), 3u) << DumpStaffModel(model);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_LE(pedals[i]->position, wedge->position - 6) << i;
        EXPECT_GE(pedals[i]->position, staff.bottomExtent + 4) << i;
    }
    EXPECT_GT(pedals[2]->position, pedals[0]->position); // nothing to clear
}

TEST(StaffModelTexts, MarkersKeepTheirWholeText)
{
    const struct {
        const char* marker;
        int kind;
        std::string text;
        std::array<uint8_t, 6> grid;
        uint32_t content;
    } kCases[] = {
        {"@DR;2;1;Allegro; ma non troppo", 2, "Allegro; ma non troppo", {1, 134, 134, 134, 134, 134},
         kHasExpression},
        {"@DR;2;0;3 times", 2, "3 times", {0, 134, 134, 134, 134, 134}, kHasExpression},
        {"@DR;2;0;3", 2, "3", {0, 134, 134, 134, 134, 134}, kHasExpression},
        {"@DR;2;soft", 2, "soft", {0, 134, 134, 134, 134, 134}, kHasExpression},
        {"@DR;1;134;134;134;134;134;134;Maj|C;7", 1, "Maj|C;7", {134, 134, 134, 134, 134, 134},
         kHasChordSymbol},
        {"@DR;1;136;144;999;-1;134;Maj|G", 1, "Maj|G", {136, 144, 134, 134, 134, 134},
         kHasChordSymbol | kHasChordGrid},
        {"@DR;1;136;x;Maj|G", 1, "x;Maj|G", {136, 134, 134, 134, 134, 134},
         kHasChordSymbol | kHasChordGrid},
        {"@DR;3;-960", 3, "", {134, 134, 134, 134, 134, 134}, kHasExpression},
    };
    for (const auto& c : kCases) {
        StaffSong s;
        s.track().events.push_back(textEvent(480, c.marker));
        const StaffModel model = s.build();
        ASSERT_EQ(model.staves[0].texts.size(), 1u) << c.marker;
        const CStaffText& text = model.staves[0].texts[0];
        EXPECT_EQ(text.kind, c.kind) << c.marker;
        EXPECT_EQ(text.text, c.text) << c.marker;
        EXPECT_EQ(text.grid, c.grid) << c.marker;
        EXPECT_EQ(model.staves[0].content[0], c.content) << c.marker;
    }
}

TEST(StaffModelTexts, AWedgeSpansPixelsToItsEnd)
{
    StaffSong s(480, {{4, 4}, {4, 4}});
    CTrack& t = s.track();
    t.events.push_back(textEvent(480, "@DR;3;-1920"));
    t.events.push_back(textEvent(960, "@DR;3;99999999"));
    const StaffModel model = s.build();
    const auto& texts = model.staves[0].texts;
    ASSERT_EQ(texts.size(), 2u);
    const CStaffMeasure& second = model.measures[1];
    EXPECT_EQ(texts[0].wedgeLength, -(second.x + second.leadIn + second.contentWidth / 4 - texts[0].x));
    // A wedge past the song's end stops at the end.
    EXPECT_EQ(texts[1].wedgeLength, second.x + second.leadIn + second.contentWidth - texts[1].x);
}

// Eighth triplets draw a digit two steps past their beam, about three
// steps high: a chord symbol over upward stems and a syllable under
// downward ones move that far out beyond where straight eighths put them.
TEST(StaffModelTexts, ChordSymbolsAndLyricsClearATripletsDigit)
{
    const struct {
        int pitch;
        int kind;
        int way; // +1 the text sits above the staff, -1 below
    } kCases[] = {{67, kChordSymbolText, 1}, {74, kLyricText, -1}};
    for (const auto& c : kCases) {
        int position[2] = {};
        for (const int step : {240, 160}) {
            StaffSong s;
            CTrack& t = s.track();
            t.events.push_back(textEvent(0, c.kind == kLyricText ? "la" : "@DR;1;134;134;134;134;134;134;|Em",
                                         c.kind == kLyricText ? 5 : 1));
            for (int i = 0; i < 3; ++i)
                t.events.push_back(note(i * step, uint8_t(c.pitch), 90, step - 10));
            const StaffModel model = s.build();
            ASSERT_FALSE(model.staves[0].texts.empty()) << c.pitch;
            position[step == 160] = model.staves[0].texts[0].position;
        }
        EXPECT_GE(c.way * (position[1] - position[0]), 3) << c.pitch;
    }
}

TEST(StaffModelTexts, OnlyDigitsAloneAreDynamics)
{
    const struct {
        const char* text;
        int index;
    } kCases[] = {{"0", 0},       {"3", 3},     {"12", 12}, {"13", -1}, {"3 times", -1},
                  {"", -1},       {"f", -1},    {"-1", -1}, {"012", 12}, {"99999999999", -1},
                  {" 3", -1}};
    for (const auto& c : kCases)
        EXPECT_EQ(DynamicIndex(c.text), c.index) << '"' << c.text << '"';
}

TEST(StaffModelTexts, DrumHeadsComeFromTheDatabaseOrTheDefaults)
{
    FakeSynthLookup synths;
    for (int circle = 1; circle <= 3; ++circle)
        synths.drumNotations[{5, 0, 0, 36 + circle}] = DrumNotation{4, circle, circle, 1};
    synths.drumNotations[{5, 0, 0, 41}] = DrumNotation{9, 0, 0, 0};
    StaffSong s;
    s.synths = &synths;
    CTrack& t = s.track(kDrumMapClef);
    t.synth = 5;
    t.bank = 0;
    t.patch = 0;
    for (uint8_t n : {37, 38, 39, 41, 42, 60})
        t.events.push_back(note(0, n, 90, 480));
    const StaffModel model = s.build();
    const CStaffTrack& staff = model.staves[0];
    const struct {
        int note;
        int head;
        bool circled;
    } kCases[] = {{37, 12, true}, {38, 20, false}, {39, 28, true}, {41, 0, false},
                  {42, 12, true}};
    for (const auto& c : kCases) {
        const int head = staff.percussionHead[size_t(c.note)];
        EXPECT_EQ(head, c.head) << c.note;
        EXPECT_EQ(percussionHeadKind(head), c.head < 0 ? 7 : c.head & 7) << c.note;
        EXPECT_EQ(percussionHeadCircled(head), c.circled) << c.note;
    }
    EXPECT_EQ(staff.percussionHead[60], -1);
    // An unmapped note sits below the staff with an oval head.
    EXPECT_NE(linesOf(DumpStaffModel(model), "voice").find("[-6,0,1@12,2@20,3@28,5@12]"),
              std::string::npos)
        << DumpStaffModel(model);

    s.synths = nullptr;
    const StaffModel defaults = s.build();
    EXPECT_EQ(defaults.staves[0].percussionHead[38], 0);
    EXPECT_EQ(defaults.staves[0].percussionHead[42], 12);
}

// A rock groove: hi-hat eighths, kick on 1 and 3, snare on 2 and 4. The
// hands stem up and the kick down, so the hi-hat's beam stays clear of the
// snare heads, and the circled hi-hat heads keep apart.
TEST(StaffModelTexts, DrumHandsStemUpFeetDownAndCirclesKeepApart)
{
    StaffSong s;
    s.metrics.fontUnit = 40;
    CTrack& t = s.track(kDrumMapClef);
    for (int i = 0; i < 8; ++i) {
        if (i % 4 == 0)
            t.events.push_back(note(i * 240, 36, 90, 480));
        if (i % 4 == 2)
            t.events.push_back(note(i * 240, 38, 90, 480));
        t.events.push_back(note(i * 240, 42, 90, 240));
    }
    const StaffModel model = s.build();
    const CStaffTrack& staff = model.staves[0];
    const auto pitchOf = [&](const CStaffItem& item) { return staff.spans[size_t(item.span)].pitch; };
    std::vector<const CStaffNote*> hats;
    int kicks = 0;
    for (const auto& voice : staff.voices)
        for (const auto& n : voice->notes) {
            if (n->rest || n->items.empty())
                continue;
            bool kickOnly = true, hat = false;
            for (const CStaffItem& item : n->items) {
                kickOnly &= pitchOf(item) == 36;
                hat |= pitchOf(item) == 42;
            }
            if (kickOnly) {
                ++kicks;
                EXPECT_TRUE(n->stemDown) << n->tick << "\n" << DumpStaffModel(model);
            } else {
                EXPECT_FALSE(n->stemDown) << n->tick << "\n" << DumpStaffModel(model);
            }
            if (hat)
                hats.push_back(n.get());
        }
    EXPECT_EQ(kicks, 2) << DumpStaffModel(model);
    ASSERT_EQ(hats.size(), 8u);
    const int circled = s.metrics.noteheadWidth() + 2 * (s.metrics.musicFontUnit() / 8 + 2);
    for (size_t i = 1; i < hats.size(); ++i)
        EXPECT_GE(hats[i]->x - hats[i - 1]->x, circled) << i;
}

TEST(StaffModelTexts, PercussionHeadReadsOnlyKnownFields)
{
    const struct {
        DrumNotation notation;
        int head;
    } kCases[] = {{{4, 0, 1, 0}, 12}, {{4, 0, 2, 0}, 20}, {{4, 0, 3, 0}, 28},
                  {{9, 0, 1, 0}, 8},  {{-1, 0, 0, 0}, 0}, {{3, 0, 7, 1}, 3}};
    for (const auto& c : kCases)
        EXPECT_EQ(PercussionHead(c.notation), c.head) << c.notation.head << "/" << c.notation.circle;
}

TEST(StaffModelTexts, CueMarksGoOnEveryStaff)
{
    StaffSong s(480, {{4, 4}, {4, 4}});
    s.track(kGrandStaff);
    const auto cue = [&](int kind, int time, int second = 0) {
        auto c = std::make_unique<CCue>();
        c->kind = kind;
        c->time = time;
        c->secondTime = second;
        s.song->cues.push_back(std::move(c));
    };
    cue(kCueFermata, 480);
    cue(kCueAdLib, 960);
    cue(kCueHoldCut, 1440, 2400);
    cue(kCueVamp, 3840, 0);
    const StaffModel model = s.build();
    const auto kinds = [](const CStaffTrack& staff) {
        std::vector<int> k;
        for (const CStaffText& t : staff.texts)
            k.push_back(t.kind);
        return k;
    };
    EXPECT_EQ(kinds(model.staves[0]), (std::vector<int>{18, 21, 18, 17}));
    EXPECT_EQ(kinds(model.staves[1]), (std::vector<int>{18, 18, 17}));
    EXPECT_EQ(model.measures[0].headerFlags, kRepeatStart);
    EXPECT_EQ(model.measures[1].headerFlags, kRepeatEnd);
}

TEST(StaffModelTexts, ALeadSheetGathersTextTracksOnTheMelody)
{
    StaffSong s;
    CTrack& chords = s.track();
    chords.events.push_back(textEvent(0, "@DR;1;134;134;134;134;134;134;Maj|C"));
    chords.events.push_back(textEvent(960, "@DR;1;134;134;134;134;134;134;Maj|G"));
    CTrack& melody = s.track();
    melody.events.push_back(note(0, 72, 90, 960));
    melody.events.push_back(textEvent(480, "la", 5));
    melody.events.push_back(note(960, 74, 90, 960));
    s.settings.leadSheet = true;
    const StaffModel model = s.build();
    ASSERT_EQ(model.staves.size(), 1u);
    EXPECT_EQ(model.staves[0].track, 2);
    std::vector<std::pair<int, int>> texts;
    for (const CStaffText& t : model.staves[0].texts)
        texts.emplace_back(t.kind, t.tick);
    EXPECT_EQ(texts, (std::vector<std::pair<int, int>>{{1, 0}, {4, 480}, {1, 960}}));
    EXPECT_EQ(model.staves[0].content[0], kHasChordSymbol | kHasLyrics);

    s.settings.leadSheet = false;
    EXPECT_EQ(s.build().staves.size(), 2u);
}

} // namespace
} // namespace rz::test
