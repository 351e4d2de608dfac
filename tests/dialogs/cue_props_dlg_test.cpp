// "Cue properties..." and "Insert cue...": where it opens, what each kind
// enables, the order each kind needs, OK's refusals and time code form.

#include "dialogs/cue_props_dlg.h"

#include "dialogs/cue_props_model.h"
#include "dialogs/cue_type_combo.h"
#include "dialogs/field_values.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/cue.h"
#include "song/selection.h"
#include "tests/song/song_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace rz {
namespace {

class CueProps : public testing::Test {
protected:
    static CuePropsParams cue(int kind, int32_t stop, int32_t restart)
    {
        CuePropsParams p;
        p.kind = kind;
        p.time = stop;
        p.secondTime = restart;
        return p;
    }
    static void selectKind(CCuePropsDlg& dialog, int kind)
    {
        dialog.kindList()->setCurrentIndex(dialog.kindList()->findData(kind));
    }
    static std::pair<int32_t, int32_t> ticks(const CCuePropsDlg& dialog)
    {
        return {dialog.stopPosition()->tick(), dialog.restartPosition()->tick()};
    }
    static QString shown(const CSmpteEdit* edit)
    {
        return edit->field(SmpteField::Hours)->text() + ":" + edit->field(SmpteField::Minutes)->text() + ":"
               + edit->field(SmpteField::Seconds)->text() + ":" + edit->field(SmpteField::Frames)->text();
    }

    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
};

TEST_F(CueProps, InsertingOpensOnAMarkerAtTheSelectionOrThePosition)
{
    song->setPosition(960);
    CuePropsParams inserting;
    inserting.inserting = true;
    inserting.kind = kCueVamp; // ignored
    {
        CCuePropsDlg dialog(*song, inserting, false);
        EXPECT_EQ(dialog.windowTitle(), "Insert cue...");
        EXPECT_EQ(dialog.kindList()->currentData().toInt(), kCueMarker);
        EXPECT_EQ(ticks(dialog), std::make_pair(960, 960));
        EXPECT_FALSE(dialog.stopPosition()->isEnabled());
        EXPECT_FALSE(dialog.playTimesEdit()->isEnabled());
        dialog.accept();
        const CuePropsParams p = dialog.params();
        EXPECT_EQ(p.kind, kCueMarker);
        EXPECT_EQ(p.time, 960);
        EXPECT_EQ(p.secondTime, 960);
    }
    song->selectionKind = kSelectTimeRange;
    song->selectionFrom = 240;
    song->selectionTo = 720;
    CCuePropsDlg dialog(*song, inserting, false);
    EXPECT_EQ(ticks(dialog), std::make_pair(240, 720));
}

TEST_F(CueProps, EachKindEnablesItsFieldsAndPutsThePositionsInItsOrder)
{
    CCuePropsDlg dialog(*song, cue(kCueCaesura, 100, 400), false);
    EXPECT_EQ(dialog.windowTitle(), "Cue properties...");
    EXPECT_EQ(ticks(dialog), std::make_pair(100, 400));
    EXPECT_TRUE(dialog.stopPosition()->isEnabled());
    selectKind(dialog, kCueVamp);
    EXPECT_EQ(ticks(dialog), std::make_pair(400, 100));
    EXPECT_TRUE(dialog.playTimesEdit()->isEnabled());
    EXPECT_TRUE(dialog.endingBarsEdit()->isEnabled());
    selectKind(dialog, kCueAdvance);
    EXPECT_EQ(ticks(dialog), std::make_pair(400, 100)); // already in a vamp's order
    EXPECT_TRUE(dialog.playTimesEdit()->isEnabled());
    EXPECT_FALSE(dialog.endingBarsEdit()->isEnabled());
    selectKind(dialog, kCueCaesura);
    EXPECT_EQ(ticks(dialog), std::make_pair(100, 400));
    EXPECT_FALSE(dialog.playTimesEdit()->isEnabled());
}

TEST_F(CueProps, OkRefusesPositionsInTheWrongOrderForTheKind)
{
    struct Case {
        int kind;
        int32_t stop, restart;
        const char* message; // null: accepted
    };
    const Case cases[] = {
        {kCueCaesura, 200, 200, nullptr},      {kCueVamp, 200, 200, kVampOrder},
        {kCueCaesura, 300, 200, kStopAfterRestart}, {kCueHoldCut, 100, 200, nullptr},
        {kCueVamp, 400, 200, nullptr},         {kCueAdvanceCut, 200, 400, kVampOrder},
        {kCueMarker, 500, 200, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " " << c.stop << " / " << c.restart);
        CCuePropsDlg dialog(*song, cue(c.kind, 0, 0), false);
        dialog.stopPosition()->setTick(c.stop);
        dialog.restartPosition()->setTick(c.restart);
        if (c.message)
            fixture.prompt.expectMessage(c.message);
        dialog.accept();
        fixture.prompt.verifyAllUsed();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.message == nullptr);
        if (!c.message) {
            const CuePropsParams p = dialog.params();
            EXPECT_EQ(p.kind, c.kind);
            EXPECT_EQ(p.time, c.kind == kCueMarker ? c.restart : c.stop); // a Marker stops where it restarts
            EXPECT_EQ(p.secondTime, c.restart);
        }
    }
}

TEST_F(CueProps, CountsAboveTheRangeAreRefused)
{
    CCuePropsDlg dialog(*song, cue(kCueVamp, 400, 100), false);
    dialog.playTimesEdit()->setValue(1000);
    fixture.prompt.expectMessage("between 0 and 999");
    dialog.accept();
    fixture.prompt.verifyAllUsed();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.playTimesEdit()->setValue(999);
    dialog.endingBarsEdit()->setValue(2);
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.params().repeatCount, 999);
    EXPECT_EQ(dialog.params().secondCount, 2);
}

TEST_F(CueProps, TimeCodeFormShowsTheOffsetAndAnswersTicks)
{
    song->smpteOffset = CSmpteTime::fromFields(kSmpteRate30, 1, 0, 0, 0, 0);
    CCuePropsDlg dialog(*song, cue(kCueCaesura, 0, 0), true);
    ASSERT_NE(dialog.stopTime(), nullptr);
    EXPECT_EQ(dialog.stopPosition(), nullptr);
    EXPECT_EQ(shown(dialog.stopTime()), "1:0:0:0");
    EXPECT_EQ(shown(dialog.restartTime()), "1:0:0:0");
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.params().time, 0);
    EXPECT_EQ(dialog.params().secondTime, 0);

    // Before the offset is the song's start; one second in is two quarters.
    CCuePropsDlg moved(*song, cue(kCueCaesura, 0, 0), true);
    moved.stopTime()->setTime(30 * 60 * 1e6);
    moved.restartTime()->setTime(3601 * 1e6);
    moved.accept();
    ASSERT_EQ(moved.result(), QDialog::Accepted);
    EXPECT_EQ(moved.params().time, 0);
    EXPECT_EQ(moved.params().secondTime, 240);
}

TEST_F(CueProps, AnUntouchedLabelKeepsItsBytes)
{
    CuePropsParams start = cue(kCueSkip, 100, 200);
    start.name = "Caf\xE9"; // Windows-1252
    CCuePropsDlg dialog(*song, start, false);
    EXPECT_EQ(dialog.labelEdit()->text(), QString::fromUtf8("Caf\u00E9"));
    dialog.accept();
    EXPECT_EQ(dialog.params().name, start.name);
}

} // namespace
} // namespace rz
