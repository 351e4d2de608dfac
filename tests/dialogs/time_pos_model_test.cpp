// The position control's model: what a tick shows against the measure map,
// how typed fields and steps move it, and that damaged or odd maps and text
// neither crash nor overflow.

#include "dialogs/field_values.h"
#include "dialogs/time_pos_model.h"
#include "tests/dialogs/dialog_song.h"

#include <gtest/gtest.h>

#include <string>

namespace rz {
namespace {

std::string timeText(const TimePosModel& model)
{
    return model.text(TimeField::Measure) + ":" + model.text(TimeField::Beat) + ":"
           + model.text(TimeField::Tick);
}

// Types the three fields in order, as the user would, and leaves the measure.
int32_t typed(const CSongDoc& song, const std::string& measure, const std::string& beat, const std::string& tick)
{
    TimePosModel model(song, TimePosModel::kNoPosition);
    model.edit(TimeField::Measure, measure);
    model.edit(TimeField::Beat, beat);
    model.edit(TimeField::Tick, tick);
    model.commitMeasure();
    return model.tick();
}

TEST(TimePosModel, EveryPositionShowsAndTypesBackToItself)
{
    DialogSong s = mixedSong();
    const struct {
        int32_t tick;
        const char* text;
    } kCases[] = {
        {0, "1:1:0"},        {479, "1:4:119"},    {480, "2A:1:0"},   {700, "2A:2:100"},
        {900, "3:2:0"},      {1199, "3:6:59"},    {1200, "B:1:0"},   {1500, "B:2:60"},
        {1920, "12:1:0"},    {2399, "12:4:119"},  // past the map: the last meter goes on
        {3360, "15:1:0"},    {3490, "15:2:10"},
    };
    for (const auto& c : kCases) {
        const TimePosModel model(*s.song, c.tick);
        EXPECT_EQ(timeText(model), c.text) << c.tick;
        const std::string text = c.text;
        const size_t a = text.find(':');
        const size_t b = text.find(':', a + 1);
        EXPECT_EQ(typed(*s.song, text.substr(0, a), text.substr(a + 1, b - a - 1), text.substr(b + 1)), c.tick)
            << c.text;
    }
}

TEST(TimePosModel, TypedMeasuresPastTheMapAndLabelsThatMatchNothing)
{
    DialogSong s = mixedSong();
    const struct {
        const char* measure;
        int32_t expected; // from tick 700
    } kCases[] = {
        {"15", 3360},              // typing resets beat and tick: the measure's first tick
        {"11A", 700},              // no such label and 11 is not past 12: unchanged
        {"5", 700},
        {"", 700},
        {"A", 700},
        {"-3", 700},
        {"99999999", kMaxDialogTick}, // saturates instead of overflowing
        {"9999999999999999999999999999999999999999", kMaxDialogTick},
        {"B", 1200},
        {"2A", 480},
    };
    for (const auto& c : kCases) {
        TimePosModel model(*s.song, 700);
        model.edit(TimeField::Measure, c.measure);
        EXPECT_EQ(timeText(model).substr(timeText(model).find(':')), ":1:0") << c.measure;
        model.commitMeasure();
        EXPECT_EQ(model.tick(), c.expected) << c.measure;
        if (c.expected == 700) {
            EXPECT_EQ(timeText(model), "2A:2:100") << "the old text comes back";
        }
    }
}

TEST(TimePosModel, StepsMoveByTickBeatAndMeasure)
{
    DialogSong s = mixedSong();
    s.song->setPosition(900);
    const struct {
        int32_t from;
        TimeField field;
        bool up;
        int32_t expected;
    } kCases[] = {
        {0, TimeField::Tick, false, 0},       // tick down at 0 stays
        {0, TimeField::Tick, true, 1},
        {0, TimeField::Beat, false, 0},       // beat down at the song's start stays
        {480, TimeField::Beat, false, 360},   // at a measure start: one beat of the measure before
        {1200, TimeField::Beat, false, 1140}, // ... in that measure's meter (6/8)
        {700, TimeField::Beat, false, 600},   // mid-beat: back to the beat's start
        {600, TimeField::Beat, false, 480},
        {700, TimeField::Beat, true, 720},
        {1500, TimeField::Beat, true, 1680},  // 3/2: a beat is a half note
        {0, TimeField::Measure, false, 0},    // measure down at the first measure
        {480, TimeField::Measure, false, 0},
        {1200, TimeField::Measure, false, 840},
        {1500, TimeField::Measure, false, 1200},
        {1500, TimeField::Measure, true, 1920},
        {2400, TimeField::Measure, true, 2880}, // past the map in the last meter
        {3361, TimeField::Measure, false, 3360},
        {3360, TimeField::Measure, false, 2640}, // past the map: less the entry before the last
        {-1, TimeField::Tick, true, 900},     // from no position: the song's position, no step
        {-1, TimeField::Beat, false, 900},
        {-1, TimeField::Measure, true, 900},
        {kMaxDialogTick, TimeField::Measure, true, kMaxDialogTick},
        {kMaxDialogTick, TimeField::Tick, true, kMaxDialogTick},
    };
    for (const auto& c : kCases) {
        TimePosModel model(*s.song, c.from);
        if (c.up)
            model.stepUp(c.field);
        else
            model.stepDown(c.field);
        EXPECT_EQ(model.tick(), c.expected) << c.from << " field " << int(c.field) << (c.up ? " up" : " down");
    }
}

TEST(TimePosModel, ALabelSharedByTwoMeasuresIsSoughtOnFromThePosition)
{
    DialogSong s(120, {{4, 4, 1}, {4, 4, 2}, {4, 4, 1}, {4, 4, 2}});
    const struct {
        int32_t from;
        const char* label;
        int32_t expected;
    } kCases[] = {
        {0, "2", 480},
        {1000, "2", 1440},
        {1500, "1", 0}, // round from the start after the map's end
        {1500, "2", 1440}, // the measure holding the position is tried first
        {-1, "1", 0},
    };
    for (const auto& c : kCases) {
        TimePosModel model(*s.song, c.from);
        model.edit(TimeField::Measure, c.label);
        model.commitMeasure();
        EXPECT_EQ(model.tick(), c.expected) << c.from << " " << c.label;
    }
}

// A beat outside the meter becomes 1 wherever it is typed; a tick of a whole
// beat or more is dropped when typed with the measure or in the tick field,
// but taken as typed together with a beat.
TEST(TimePosModel, TypedBeatsAndTicksAreHeldAsTheirFieldAsks)
{
    DialogSong s = mixedSong(); // 2A is 3/4 at 480
    const struct {
        TimeField left;
        const char* beat;
        const char* tick;
        int32_t expected;
    } kCases[] = {
        {TimeField::Measure, "0", "10", 490},
        {TimeField::Measure, "4", "10", 490},
        {TimeField::Measure, "3", "120", 720},
        {TimeField::Measure, "3", "-5", 720},
        {TimeField::Beat, "0", "10", 490},
        {TimeField::Beat, "4", "0", 480},
        {TimeField::Beat, "2", "150", 750},   // the tick as typed
        {TimeField::Tick, "2", "120", 600},   // a whole beat: dropped
        {TimeField::Tick, "5", "0", 960},     // the beat as typed
        {TimeField::Tick, "0", "0", 360},
        {TimeField::Tick, "x", "y", 360},
    };
    for (const auto& c : kCases) {
        TimePosModel model(*s.song, 480);
        if (c.left == TimeField::Measure)
            model.edit(TimeField::Measure, "2A");
        model.edit(TimeField::Beat, c.beat);
        model.edit(TimeField::Tick, c.tick);
        model.commit(c.left);
        EXPECT_EQ(model.tick(), c.expected) << int(c.left) << " " << c.beat << " " << c.tick;
    }
}

TEST(TimePosModel, AnEmptyFieldLeftWithoutAPositionKeepsNone)
{
    DialogSong s = mixedSong();
    TimePosModel model(*s.song, TimePosModel::kNoPosition);
    EXPECT_EQ(timeText(model), "::");
    for (TimeField field : {TimeField::Measure, TimeField::Beat, TimeField::Tick}) {
        model.commit(field);
        EXPECT_EQ(model.tick(), TimePosModel::kNoPosition);
    }
    model.setTick(-5);
    EXPECT_EQ(timeText(model), "::");
}

TEST(TimePosModel, MeasureOnlyShowsAndTakesWholeMeasures)
{
    DialogSong s = mixedSong();
    TimePosModel model(*s.song, 700, true);
    EXPECT_EQ(timeText(model), "2A::");
    model.edit(TimeField::Measure, "3");
    EXPECT_EQ(timeText(model), "3::");
    model.commitMeasure();
    EXPECT_EQ(model.tick(), 840);
    model.edit(TimeField::Measure, "14");
    model.commitMeasure();
    EXPECT_EQ(model.tick(), 2880);
}

TEST(TimePosModel, TinyTimeBasesHugeMetersAndEmptyMapsSurvive)
{
    const struct {
        const char* name;
        DialogSong song;
    } kSongs[] = {
        {"PPQN 6 in 1/64", DialogSong(6, {{3, 64, 1}, {1, 64, 2}})},
        {"PPQN 3, one entry", DialogSong(3, {{4, 4, 1}})},
        {"32/1", DialogSong(120, {{32, 1, 1}, {1, 64, 2}})},
        {"empty map", DialogSong(120, {})},
    };
    const char* kTexts[] = {"", "-", "A", "0", "1", "2", "99999999", "9999999999999999999999999999999999999999"};
    for (const auto& [name, song] : kSongs) {
        for (int32_t from : {-1, 0, 1, 5, 100000, kMaxDialogTick}) {
            for (TimeField field : {TimeField::Measure, TimeField::Beat, TimeField::Tick}) {
                for (bool up : {false, true}) {
                    TimePosModel model(*song.song, from);
                    up ? model.stepUp(field) : model.stepDown(field);
                    EXPECT_GE(model.tick(), song.song->measureMap.empty() ? from : 0) << name;
                    EXPECT_LE(model.tick(), kMaxDialogTick) << name;
                }
                for (const char* text : kTexts) {
                    TimePosModel model(*song.song, from);
                    model.edit(field, text);
                    model.commit(field);
                    EXPECT_LE(model.tick(), kMaxDialogTick) << name << " " << text;
                    if (song.song->measureMap.empty()) {
                        EXPECT_EQ(model.tick(), from < 0 ? -1 : from) << name;
                    } else if (from >= 0) {
                        EXPECT_GE(model.tick(), 0) << name;
                    }
                }
            }
        }
    }
    DialogSong tiny(6, {{3, 64, 1}, {1, 64, 2}}); // measures of one tick
    TimePosModel model(*tiny.song, 5);
    EXPECT_EQ(timeText(model), "6:1:0");
    model.stepDown(TimeField::Measure);
    EXPECT_EQ(model.tick(), 4);
    model.edit(TimeField::Measure, "2");
    model.commitMeasure();
    EXPECT_EQ(model.tick(), 1);
}

TEST(TimePosModel, TheControlIsThreeFieldsWideAtTheScreensDpi)
{
    EXPECT_EQ(TimePosModel::widthAt(96), 3 * (36 + 4 + 12));
    EXPECT_EQ(TimePosModel::widthAt(144), 3 * (54 + 6 + 12));
    EXPECT_EQ(TimePosModel::heightAt(144), 30);
}

} // namespace
} // namespace rz
