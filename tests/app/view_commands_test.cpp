// The view commands through the router: their enable rules, and the staff
// and lyric tools with the typed duration.

#include "app/flat_tool_bar.h"
#include "app/note_duration.h"
#include "res/command_ids.h"
#include "tests/app/command_enable_table.h"
#include "ui/flat_combo_box_ex.h"

#include <QLineEdit>
#include <QTest>

namespace rz::test {
namespace {

// No view kind is registered, so the view commands stay grey.
const EnableCase kViewCases[] = {
    {kIdViewPowerSpectrum, kAlways}, {kIdMidiMeasureBeat, kAlways},
    {kIdViewBouncingMetronome, kAlways}, {kIdViewClipsAndCues, kNever}, {kIdViewStaff, kNever},
    {kIdViewTempoMap, kNever}, {kIdViewFaders, kNever}, {kIdViewPitchWheel, kNever},
    {kIdViewExpression, kNever}, {kIdViewMeterKey, kAlways}, {kIdViewSongTime, kAlways},
    {kIdSelect, kAlways}, {kIdWholeNote, kAlways}, {kIdDotted, kAlways}, {kIdGrid, kAlways},
    {kIdDrawFreeHand, kAlways}, {kIdShowObjectGrid, kAlways},
};

class ViewEnable : public CommandEnableFixture, public testing::WithParamInterface<size_t> {};

TEST_P(ViewEnable, FollowsTransportPerformanceAndSong)
{
    check(kViewCases[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(Table, ViewEnable, testing::Range(size_t(0), std::size(kViewCases)));

class StaffTools : public AppFixture {
protected:
    void startWithSong(uint16_t timeBase)
    {
        start();
        CSongDoc& song = addSong("A");
        song.timeBase = timeBase;
        app->SetCurrentSong(&song);
    }
};

TEST(NoteDuration, TypedTicksGiveTheirNoteValue)
{
    const struct {
        int32_t ticks;
        NoteValue value;
    } cases[] = {
        {360, {3, true, false}}, {320, {2, false, true}}, {1920, {0, false, false}},
        {1000, {1, false, false}}, {100, {5, true, false}}, {40, {5, false, true}},
        {10, {5, false, false}},
    };
    for (const auto& c : cases) {
        const NoteValue v = noteValueOf(c.ticks, 480);
        EXPECT_EQ(v.type, c.value.type) << c.ticks;
        EXPECT_EQ(v.dotted, c.value.dotted) << c.ticks;
        EXPECT_EQ(v.triplet, c.value.triplet) << c.ticks;
    }
}

TEST_F(StaffTools, NoteValuesSetDurationGridAndPublishTheLength)
{
    startWithSong(480);
    FlatToolBar* bar = app->frame()->toolBar();
    EXPECT_TRUE(app->router().execute(kIdEighthNote));
    EXPECT_EQ(bar->durationField()->text(), "240");
    EXPECT_EQ(bar->gridBox()->selectedValue(), 120);
    EXPECT_EQ(app->frame()->staffTools().tool, 1);
    EXPECT_EQ(published.currentNoteLength(), 240);
    EXPECT_TRUE(app->router().execute(kIdDotted));
    EXPECT_EQ(bar->durationField()->text(), "360");
    EXPECT_EQ(published.currentNoteLength(), 360);
    EXPECT_TRUE(app->router().execute(kIdQuarterNote));
    EXPECT_TRUE(app->router().execute(kIdTriplet));
    EXPECT_EQ(bar->durationField()->text(), "320");
    EXPECT_EQ(bar->gridBox()->selectedValue(), 160);
    EXPECT_TRUE(app->router().execute(kIdSelect));
    EXPECT_EQ(profile.readInt("StaffView", "Tool", -1), 0);
    EXPECT_TRUE(app->router().execute(kIdBouncingBall + 2));
    EXPECT_EQ(profile.readInt("LyricView", "Tool", -1), 2);
}

TEST_F(StaffTools, MarkToolsSwitchToDrawAndKeepTheDuration)
{
    startWithSong(480);
    const StaffToolState& tools = app->frame()->staffTools();
    EXPECT_TRUE(app->router().execute(kIdEighthNote));
    for (const CommandId id : {kIdTextChords, kIdPedal, kIdWedge}) {
        EXPECT_TRUE(app->router().execute(kIdSelect));
        EXPECT_TRUE(app->router().execute(id));
        EXPECT_EQ(tools.tool, 1) << id;
        EXPECT_EQ(tools.noteType, int(id) - int(kIdWholeNote)) << id;
        EXPECT_EQ(tools.duration, 240) << id;
    }
}

TEST_F(StaffTools, ATypedDurationDerivesTheNoteValue)
{
    startWithSong(480);
    QLineEdit* field = app->frame()->toolBar()->durationField();
    field->setText("");
    for (const char c : std::string("100"))
        QTest::keyClick(field, c);
    const StaffToolState& tools = app->frame()->staffTools();
    EXPECT_EQ(tools.noteType, 5);
    EXPECT_TRUE(tools.dotted);
    EXPECT_EQ(tools.duration, 100);
    EXPECT_EQ(published.currentNoteLength(), 100);
}

} // namespace
} // namespace rz::test
