// Songs the builder must take without a crash, a hang or a wrong place.

#include <gtest/gtest.h>

#include <bit>
#include <random>

#include "song/cue.h"
#include "tests/staff/model/staff_song.h"
#include "tests/support/fake_synth_lookup.h"

namespace rz::test {
namespace {

// Every element lies in its measure and every head names a note record.
void expectConsistent(const StaffModel& model, const CSongDoc& song)
{
    ASSERT_EQ(model.measures.size(), song.measureMap.size());
    for (const CStaffTrack& staff : model.staves) {
        for (const auto& voice : staff.voices) {
            for (const auto& element : voice->notes) {
                ASSERT_GE(element->measure, 0);
                ASSERT_LT(size_t(element->measure), model.measures.size());
                const CStaffMeasure& m = model.measures[size_t(element->measure)];
                EXPECT_GE(element->tick, m.song.start);
                EXPECT_LE(int64_t(element->tick), int64_t(m.song.start) + m.song.length);
                EXPECT_GE(element->x, m.x);
                EXPECT_LE(element->x, m.x + m.leadIn + m.laidOutWidth);
                for (const CStaffItem& item : element->items)
                    ASSERT_LT(size_t(item.span), staff.spans.size());
            }
        }
        for (const CStaffText& text : staff.texts)
            ASSERT_LT(size_t(text.measure), model.measures.size());
    }
}

TEST(StaffModelBadInput, SmallTimeBasesStillQuantise)
{
    for (int timeBase : {1, 2, 3, 5, 6, 12}) {
        StaffSong s(timeBase, {{4, 4}, {7, 16}, {3, 4}});
        for (int resolution : {0, 1, 2}) {
            s.settings.resolution = resolution;
            CTrack& t = s.track();
            for (int tick = 0; tick < 12 * timeBase; tick += std::max(timeBase / 3, 1))
                t.events.push_back(note(tick, uint8_t(60 + tick % 12), 90, timeBase / 2 + 1));
        }
        const StaffModel model = s.build();
        ASSERT_EQ(model.staves.size(), 3u) << timeBase;
        for (const CStaffTrack& staff : model.staves) {
            EXPECT_FALSE(staff.spans.empty()) << timeBase;
            for (const CStaffTuplet& group : staff.groups) {
                EXPECT_GE(group.gridUnit, 1) << timeBase;
                EXPECT_GE(group.unitSpan, 1) << timeBase;
            }
        }
        expectConsistent(model, *s.song);
    }
}

TEST(StaffModelBadInput, AVeryLongMeasurePlacesItsNotesInside)
{
    // 255/1 at the largest time base: 33 million ticks, far wider in pixels
    // times ticks than 32 bits hold.
    StaffSong s(32767, {{255, 1}});
    s.settings.staffSize = 56;
    const int32_t length = s.song->measureMap[0].length;
    CTrack& t = s.track();
    t.events.push_back(note(0, 60, 90, 32767));
    t.events.push_back(note(length - 4 * 32767, 62, 90, 4 * 32767));
    const StaffModel model = s.build();
    expectConsistent(model, *s.song);
    const CStaffMeasure& m = model.measures[0];
    const CStaffNote* last = nullptr;
    for (const auto& voice : model.staves[0].voices)
        for (const auto& element : voice->notes)
            if (!element->rest && (!last || element->tick > last->tick))
                last = element.get();
    ASSERT_TRUE(last);
    EXPECT_GT(last->tick, length - 5 * 32767);
    EXPECT_EQ(last->x, m.leadIn + int(int64_t(last->tick) * m.laidOutWidth / length));
}

TEST(StaffModelBadInput, NotesPastTheEndAreCutAtTheEnd)
{
    StaffSong s(480, {{4, 4}, {4, 4}});
    s.settings.fill = false;
    CTrack& t = s.track();
    t.events.push_back(note(1440, 60, 90, 0x7FFFFFF0));
    t.events.push_back(note(3830, 62, 90, 480)); // rounds to the song's end
    t.events.push_back(textEvent(3835, "end", 5));
    t.events.push_back(note(5000, 64, 90, 480)); // after the last measure
    const StaffModel model = s.build();
    expectConsistent(model, *s.song);
    const auto& spans = model.staves[0].spans;
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].duration, 3840 - 1440);
    EXPECT_EQ(linesOf(DumpStaffModel(model), "voice"),
              "voice 0 @0 x 44..104: 720:48r| 1440:16|[-6] 1920:64~|[-6]");
    ASSERT_EQ(model.staves[0].texts.size(), 1u);
    EXPECT_EQ(model.staves[0].texts[0].measure, 1);
}

TEST(StaffModelBadInput, RandomSongsBuild)
{
    std::mt19937 random(20261210);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const char* kTexts[] = {"@DR;", "@DR;1", "@DR;1;;;", "@DR;2;-99999999999;x", "@DR;3;",
                            "@DR;3;-2147483648", "@DR;9;1;2", "@DR;1;1;2;3;4;5;6;7;8;9",
                            "", "/", "-", "{", "la", "@DR;2;300;12"};
    FakeSynthLookup synths;
    synths.drumNotations[{0, -1, -1, 40}] = DrumNotation{99, -99, 99, 9};
    for (int round = 0; round < 300; ++round) {
        const unsigned seed = unsigned(random());
        SCOPED_TRACE("seed " + std::to_string(seed));
        random.seed(seed);
        const int timeBase = pick(0, 3) == 0 ? pick(1, 12) : pick(1, 960);
        std::vector<Meter> meters;
        for (int m = pick(1, 5); m > 0; --m)
            meters.push_back({pick(0, 9) == 0 ? 255 : pick(1, 13), 1 << pick(0, 6), pick(-9, 9)});
        StaffSong s(timeBase, {});
        for (const Meter& meter : meters) {
            MeasureRec rec;
            rec.setMeter(meter.numerator, std::countr_zero(unsigned(meter.denominator)));
            rec.key = int8_t(meter.key);
            s.song->measureMap.push_back(rec);
        }
        const int32_t end = RecomputeMeasureStarts(s.song->measureMap, timeBase);
        s.settings = {pick(4, 60), pick(0, 1) == 1, pick(0, 1) == 1, pick(-1, 3), pick(0, 3) == 0};
        s.synths = pick(0, 1) ? &synths : nullptr;
        for (int tracks = pick(1, 3); tracks > 0; --tracks) {
            CTrack& t = s.track(pick(-1, 8));
            t.notationValue = pick(-70, 70);
            t.key = pick(-12, 12);
            t.synth = pick(-1, 0);
            std::vector<CMidiEvent> events;
            for (int e = pick(0, 40); e > 0; --e) {
                const int32_t tick = pick(0, end + end / 4 + 1);
                switch (pick(0, 5)) {
                case 0: events.push_back(controller(tick, 64, uint8_t(pick(0, 127)))); break;
                case 1: events.push_back(textEvent(tick, kTexts[pick(0, 13)], uint8_t(pick(0, 1) ? 1 : 5))); break;
                default: {
                    CMidiEvent n = note(tick, uint8_t(pick(0, 127)), uint8_t(pick(1, 127)),
                                        pick(0, 3) == 0 ? pick(0, 0x7FFFFFFF) : pick(0, 4 * timeBase));
                    n.spelling = int8_t(pick(-1, 9));
                    n.notation = uint8_t(pick(0, 3) == 0 ? 255 : pick(0, 2));
                    events.push_back(n);
                }
                }
            }
            std::stable_sort(events.begin(), events.end(),
                             [](const CMidiEvent& a, const CMidiEvent& b) { return a.tick < b.tick; });
            t.events = std::move(events);
        }
        for (int c = pick(0, 3); c > 0; --c) {
            auto cue = std::make_unique<CCue>();
            cue->kind = pick(0, 9);
            cue->time = pick(0, end + 100);
            cue->secondTime = pick(0, end + 100);
            s.song->cues.push_back(std::move(cue));
        }
        const StaffModel model = s.build();
        expectConsistent(model, *s.song);
        if (HasFailure())
            return;
    }
}

} // namespace
} // namespace rz::test
