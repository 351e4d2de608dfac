// The time code control's model: what a time shows at each rate, how typed
// and stepped fields compose back, and when the parent is told.

#include "core/smpte_time.h"
#include "dialogs/smpte_edit_model.h"

#include <gtest/gtest.h>

#include <string>

namespace rz {
namespace {

const double kDropFrameUs = 1'000'000.0 / 29.97;
const double kFrame30Us = 1'000'000.0 / 30.0;

std::string smpteText(const SmpteEditModel& model)
{
    return model.text(SmpteField::Hours) + ":" + model.text(SmpteField::Minutes) + ":"
           + model.text(SmpteField::Seconds) + ":" + model.text(SmpteField::Frames);
}

void type(SmpteEditModel& model, int hours, int minutes, int seconds, int frames)
{
    model.edit(SmpteField::Hours, std::to_string(hours));
    model.edit(SmpteField::Minutes, std::to_string(minutes));
    model.edit(SmpteField::Seconds, std::to_string(seconds));
    model.edit(SmpteField::Frames, std::to_string(frames));
}

TEST(SmpteEditModel, DropFrameTimesShowStandardLabelsAndComposeBack)
{
    const struct {
        int64_t frame;
        const char* text;
    } kCases[] = {
        {0, "0:0:0:0"}, {1800, "0:1:0:2"}, {1827, "0:1:0:29"}, {1828, "0:1:1:0"},
        {17982, "0:10:0:0"}, {107892, "1:0:0:0"},
    };
    for (const auto& c : kCases) {
        SmpteEditModel model(double(c.frame) * kDropFrameUs, kSmpteRate30Drop);
        EXPECT_EQ(smpteText(model), c.text) << c.frame;
        EXPECT_FALSE(model.commit()) << "nothing typed: no change";
        EXPECT_NEAR(model.time(), double(c.frame) * kDropFrameUs, 1e-3) << c.frame;
    }
}

TEST(SmpteEditModel, TypedFieldsCarryIntoTheNextField)
{
    const struct {
        int rate;
        int fields[4];
        double expected;
        const char* text;
    } kCases[] = {
        {kSmpteRate30Drop, {0, 0, 59, 30}, 1800 * kDropFrameUs, "0:1:0:2"},
        {kSmpteRate30Drop, {0, 1, 0, 0}, 1800 * kDropFrameUs, "0:1:0:2"},
        {kSmpteRate30, {0, 0, 0, 30}, 1'000'000.0, "0:0:1:0"},
        {kSmpteRateMs, {0, 0, 1, 999}, 1'999'000.0, "0:0:1:999"},
        {kSmpteRate30, {-2, 0, 0, 5}, 5 * kFrame30Us, "0:0:0:5"}, // negative hours are 0
        {kSmpteRate25, {0, 0, -5, 0}, 0.0, "0:0:0:0"},           // a total below 0 is 0
    };
    for (const auto& c : kCases) {
        SmpteEditModel model(0.0, c.rate);
        type(model, c.fields[0], c.fields[1], c.fields[2], c.fields[3]);
        model.commit();
        EXPECT_NEAR(model.time(), c.expected, 1e-3) << c.text;
        EXPECT_EQ(smpteText(model), c.text);
    }
}

TEST(SmpteEditModel, StepsCarryAndBorrowThroughTheComposition)
{
    const struct {
        int rate;
        double from;
        SmpteField field;
        bool up;
        const char* text;
        bool told;
    } kCases[] = {
        {kSmpteRate30, 60'000'000.0, SmpteField::Seconds, false, "0:0:59:0", true},
        {kSmpteRate30Drop, 1800 * kDropFrameUs, SmpteField::Seconds, false, "0:0:59:2", true},
        {kSmpteRate30Drop, 1799 * kDropFrameUs, SmpteField::Frames, true, "0:1:0:2", true},
        {kSmpteRate30Drop, 1800 * kDropFrameUs, SmpteField::Frames, false, "0:0:59:29", true},
        {kSmpteRate30, 0.0, SmpteField::Hours, false, "0:0:0:0", false}, // hours down at 0 stays
        {kSmpteRate30, 0.0, SmpteField::Frames, false, "0:0:0:0", false},
        {kSmpteRate24, 59 * 1'000'000.0, SmpteField::Seconds, true, "0:1:0:0", true},
    };
    for (const auto& c : kCases) {
        SmpteEditModel model(c.from, c.rate);
        const bool told = c.up ? model.stepUp(c.field) : model.stepDown(c.field);
        EXPECT_EQ(smpteText(model), c.text) << c.text;
        EXPECT_EQ(told, c.told) << c.text;
    }
}

TEST(SmpteEditModel, AFieldLeftUnchangedTellsNoOneButDropsTheSubframes)
{
    const double halfFrameOn = 7.5 * kFrame30Us;
    SmpteEditModel model(halfFrameOn, kSmpteRate30);
    EXPECT_EQ(smpteText(model), "0:0:0:7");
    EXPECT_FALSE(model.commit());
    EXPECT_NEAR(model.time(), 7 * kFrame30Us, 1e-6);
}

TEST(SmpteEditModel, HalfAMicrosecondBeforeAFrameShowsThatFrame)
{
    SmpteEditModel model(7 * kFrame30Us - 0.5, kSmpteRate30);
    EXPECT_EQ(model.text(SmpteField::Frames), "7");
}

TEST(SmpteEditModel, ANegativeTimeLeavesTheFieldsAlone)
{
    SmpteEditModel none(-1.0, kSmpteRate30);
    EXPECT_EQ(smpteText(none), ":::");
    EXPECT_FALSE(none.commit()) << "all fields empty";
    SmpteEditModel model(2'000'000.0, kSmpteRate30);
    model.setTime(-1.0);
    EXPECT_EQ(smpteText(model), "0:0:2:0");
}

TEST(SmpteEditModel, AnyTextComposesWithoutOverflow)
{
    const char* kTexts[] = {"", "-", "abc", "-0", "9999999999999999999999999999999999999999",
                            "-9999999999999999999999999999999999999999", "12x"};
    for (int rate = 0; rate < kSmpteRateCount; ++rate) {
        for (const char* text : kTexts) {
            for (SmpteField field : {SmpteField::Hours, SmpteField::Minutes, SmpteField::Seconds,
                                     SmpteField::Frames}) {
                SmpteEditModel model(1'000'000.0, rate);
                model.edit(field, text);
                model.commit();
                EXPECT_GE(model.time(), 0.0) << rate << " " << text;
                EXPECT_LE(model.time(), kMaxSmpteTimeUs) << rate << " " << text;
                model.edit(field, text);
                model.stepUp(field);
                EXPECT_GE(model.time(), 0.0);
            }
        }
    }
}

TEST(SmpteEditModel, RatesOutsideTheTableAreHeld)
{
    EXPECT_EQ(SmpteEditModel(0.0, 9).rate(), kSmpteRateMs);
    EXPECT_EQ(SmpteEditModel(0.0, -1).rate(), defaultSmpteRate());
    SmpteEditModel model(1'000'000.0, kSmpteRate30);
    model.setRate(kSmpteRate25);
    EXPECT_EQ(smpteText(model), "0:0:1:0");
    EXPECT_EQ(model.time(), 1'000'000.0) << "a new rate changes the display, not the time";
}

} // namespace
} // namespace rz
