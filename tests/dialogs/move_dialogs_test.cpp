// The move and measure-number dialogs: what moves by the selection's kind,
// what each method enables, the ticks and tracks they answer, and the
// measure labels they take or refuse.

#include "dialogs/move_dlg.h"
#include "dialogs/move_models.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/selection.h"
#include "tests/dialogs/dialog_controls.h"
#include "tests/dialogs/dialog_song.h"
#include "tests/song/song_builder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace rz {
namespace {

// A 4/4 song at `timeBase` with user tracks "Piano" and "Bass".
struct TwoTrackSong : DialogSong {
    explicit TwoTrackSong(int timeBase = 480) : DialogSong(timeBase, {{4, 4, 1}, {4, 4, 2}})
    {
        test::addUserTrack(*song).name = "Piano";
        test::addUserTrack(*song).name = "Bass";
    }
};

TEST(MoveDialogs, WhatMovesFollowsTheSelectionKind)
{
    const struct {
        uint32_t kind;
        bool cues, events, tempos, enabled;
    } kCases[] = {
        {kSelectTimeRange, true, true, true, true},
        {kSelectEvents, false, true, false, false},
        {kSelectAudioClip, false, true, false, false},
        {kSelectTempo, false, false, true, false},
        {kSelectCues, true, false, false, false},
        {kSelectCues | kSelectEvents, true, true, false, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.kind);
        TwoTrackSong s;
        s.song->selectionKind = c.kind;
        CMoveDlg dialog(*s.song, 0);
        const bool cues = c.cues;
        EXPECT_EQ(child<QCheckBox>(dialog, "cues1012")->isChecked(), cues);
        EXPECT_EQ(child<QCheckBox>(dialog, "events1002")->isChecked(), c.events);
        EXPECT_EQ(child<QCheckBox>(dialog, "tempos1016")->isChecked(), c.tempos);
        for (const char* box : {"cues1012", "events1002", "tempos1016", "offset1111"})
            EXPECT_EQ(child(dialog, box)->isEnabled(), c.enabled) << box;
        dialog.accept();
        EXPECT_EQ(dialog.params().cues, cues);
        EXPECT_EQ(dialog.params().events, c.events);
        EXPECT_EQ(dialog.params().tempos, c.tempos);
    }
}

TEST(MoveDialogs, EachMethodEnablesItsOwnFields)
{
    const char* const kFields[] = {"offset1153", "units1158", "target1155", "percent1159",
                                   "durations1156", "track1340", "mixdown1157"};
    const struct {
        const char* radio;
        MoveMethod method;
        std::set<std::string> enabled;
    } kCases[] = {
        {"offset1039", MoveMethod::Offset, {"offset1153", "units1158"}},
        {"absolute1037", MoveMethod::AbsoluteTime, {"target1155"}},
        {"percent1038", MoveMethod::Percentage, {"percent1159", "durations1156"}},
        {"tracks1040", MoveMethod::ChangeTracks, {"track1340", "mixdown1157"}},
    };
    TwoTrackSong s;
    s.song->selectionKind = kSelectEvents;
    CMoveDlg dialog(*s.song, 0);
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.radio);
        child<QAbstractButton>(dialog, c.radio)->click();
        for (const char* field : kFields)
            EXPECT_EQ(child(dialog, field)->isEnabled(), c.enabled.count(field) != 0) << field;
        dialog.accept();
        EXPECT_EQ(dialog.params().method, c.method);
        EXPECT_EQ(s.fixture.profile.readInt("Defaults", "SlideMethod", -1), int(c.method));
    }
}

TEST(MoveDialogs, SelectionOffsetIsAPercentOfAQuarterInTicks)
{
    const struct {
        uint32_t kind;
        bool on;
        int32_t ticks;
    } kCases[] = {{kSelectTimeRange, true, 120}, {kSelectTimeRange, false, 0}, {kSelectEvents, true, 0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.on);
        TwoTrackSong s(480);
        s.song->selectionKind = c.kind;
        s.fixture.profile.writeInt("Defaults", "OffsetTime", c.on);
        s.fixture.profile.writeInt("Defaults", "OffsetTimeTicks", 25);
        CMoveDlg dialog(*s.song, 0);
        EXPECT_EQ(child(dialog, "offset1010")->isEnabled(), c.on && c.kind == kSelectTimeRange);
        dialog.accept();
        EXPECT_EQ(dialog.params().offset, c.ticks);
        EXPECT_EQ(s.fixture.profile.readInt("Defaults", "OffsetTimeTicks", -1), 25) << "stored as typed";
    }
}

// Rows: 0 the conductor, 1 and 2 the user tracks, 3 the empty last row.
TEST(MoveDialogs, AGreyedSelectedTracksOnlyAnswersFalse)
{
    const struct {
        uint32_t kind;
        std::set<int> selected;
        int current;
        bool enabled;
    } kCases[] = {
        {kSelectTimeRange, {1}, 1, true},
        {kSelectTimeRange, {1}, 0, true},
        {kSelectTimeRange, {}, 1, false},
        {kSelectTimeRange, {1}, 3, false},
        {kSelectTimeRange, {1}, -1, false},
        {kSelectEvents, {1}, 1, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.kind << " rows " << c.selected.size() << " current " << c.current);
        TwoTrackSong s;
        s.song->selectionKind = c.kind;
        s.fixture.trackRows.selected = c.selected;
        s.fixture.trackRows.current = c.current;
        CMoveDlg dialog(*s.song, 0);
        auto* box = child<QCheckBox>(dialog, "selected1310");
        EXPECT_TRUE(box->isChecked()) << "\"SelTracksOnly\" defaults to on";
        EXPECT_EQ(box->isEnabled(), c.enabled);
        dialog.accept();
        EXPECT_EQ(dialog.params().selectedTracksOnly, c.enabled);
    }
}

TEST(MoveDialogs, TheTrackListNamesUserTracksAndAnswersIndexPlusOne)
{
    const struct {
        int32_t stored;
        int index;
    } kCases[] = {{0, 0}, {1, 1}, {2, 0}, {-1, 0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.stored);
        TwoTrackSong s;
        s.fixture.profile.writeInt("Defaults", "SlideTrackNum", c.stored);
        CMoveDlg dialog(*s.song, 0);
        auto* tracks = child<QComboBox>(dialog, "track1340");
        ASSERT_EQ(tracks->count(), 2);
        EXPECT_EQ(tracks->itemText(0), "1: Piano");
        EXPECT_EQ(tracks->itemText(1), "2: Bass");
        EXPECT_EQ(tracks->currentIndex(), c.index);
        dialog.accept();
        EXPECT_EQ(dialog.params().targetTrack, c.index + 1);
    }
    DialogSong empty(480, {{4, 4, 1}});
    CMoveDlg dialog(*empty.song, 0);
    EXPECT_EQ(child<QComboBox>(dialog, "track1340")->count(), 0);
    dialog.accept();
    EXPECT_EQ(dialog.params().targetTrack, 0) << "no track for the edit to move to";
}

TEST(MoveDialogs, UnitsAndTargetPositionStartAsTheCallerAndProfileSay)
{
    TwoTrackSong s;
    s.fixture.profile.writeInt("Defaults", "SlideUnits", 12);
    s.fixture.profile.writeInt("Defaults", "SlidePercent", 1001);
    CMoveDlg dialog(*s.song, 2400);
    auto* units = child<QComboBox>(dialog, "units1158");
    ASSERT_EQ(units->count(), 13);
    EXPECT_EQ(units->itemText(0), "Ticks");
    EXPECT_EQ(units->itemText(1), "Measures");
    EXPECT_EQ(units->itemText(2), "Thirty-second triplet");
    EXPECT_EQ(units->currentText(), "Whole note");
    EXPECT_EQ(dialog.targetCtrl()->tick(), 2400);
    EXPECT_EQ(child<QLineEdit>(dialog, "percent1159")->text(), "100") << "out of range reads as the default";
}

TEST(MoveDialogs, MeasureLabelsParseOrAreRefused)
{
    const struct {
        const char* text;
        std::optional<MeasureLabel> label;
    } kCases[] = {
        {" 12A ", MeasureLabel{12, 'A'}},
        {"12", MeasureLabel{12, 0}},
        {"0A", MeasureLabel{0, 'A'}},
        {"A", MeasureLabel{0, 'A'}},
        {"12a", MeasureLabel{12, 'A'}},
        {"65535", MeasureLabel{65535, 0}},
        {"A12", std::nullopt},
        {"1A2", std::nullopt},
        {"12AB", std::nullopt},
        {"0", std::nullopt},
        {"00", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"70000", std::nullopt},
        {"65536B", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"-5", std::nullopt},
        {"1 2", std::nullopt},
        {"\xC3\x89", std::nullopt}, // a letter, but not ASCII
    };
    for (const auto& c : kCases)
        EXPECT_EQ(parseMeasureLabel(c.text), c.label) << '"' << c.text << '"';
}

TEST(MoveDialogs, MeasureNumbersOpenOnTheCurrentMeasuresLabel)
{
    const struct {
        int32_t position;
        const char* label;
    } kCases[] = {{0, "1"}, {500, "2A"}, {1300, "B"}, {2000, "12C"}};
    for (const auto& c : kCases) {
        DialogSong s = mixedSong();
        s.song->measureMap[4].letter = 'c'; // shown in upper case
        s.song->setPosition(c.position);
        CInsertMeasureNumbersDlg dialog(*s.song);
        EXPECT_EQ(dialog.labelEdit()->text(), c.label) << c.position;
    }
}

TEST(MoveDialogs, AMalformedLabelKeepsTheDialogOpenWithTheStopIcon)
{
    DialogSong s = mixedSong();
    CInsertMeasureNumbersDlg dialog(*s.song);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    for (const char* wrong : {"1A2", "70000", ""}) {
        dialog.labelEdit()->clear();
        QTest::keyClicks(dialog.labelEdit(), wrong);
        s.fixture.prompt.expectMessage("Your number is not in a supported format.");
        dialog.accept();
        EXPECT_EQ(s.fixture.prompt.prompts().back().icon, PromptIcon::Stop);
        EXPECT_TRUE(dialog.isVisible()) << wrong;
        EXPECT_TRUE(dialog.labelEdit()->hasFocus()) << wrong;
    }
    EXPECT_TRUE(s.fixture.profile.valueNames("Defaults").empty());
    dialog.labelEdit()->clear();
    QTest::keyClicks(dialog.labelEdit(), " 12a ");
    EXPECT_EQ(dialog.labelEdit()->text(), " 12A ");
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.params().number, 12);
    EXPECT_EQ(dialog.params().letter, 'A');
}

TEST(MoveDialogs, TheCountIsKeptUnderItsOwnSpelling)
{
    DialogSong s = mixedSong();
    MemoryProfile& profile = s.fixture.profile;
    {
        CInsertMeasureNumbersDlg dialog(*s.song);
        EXPECT_EQ(dialog.countEdit()->text(), "999");
        EXPECT_TRUE(child<QAbstractButton>(dialog, "slide1037")->isChecked());
    }
    profile.writeInt("Defaults", "NumberCouunt", 40);
    profile.writeInt("Defaults", "NumberInsert", 1);
    CInsertMeasureNumbersDlg dialog(*s.song);
    EXPECT_EQ(dialog.countEdit()->text(), "40");
    EXPECT_TRUE(child<QAbstractButton>(dialog, "overwrite1038")->isChecked());
    dialog.countEdit()->setText("7");
    child<QAbstractButton>(dialog, "slide1037")->click();
    dialog.accept();
    EXPECT_EQ(dialog.params().count, 7);
    EXPECT_EQ(dialog.params().method, MeasureNumberMethod::Slide);
    EXPECT_EQ(profile.readInt("Defaults", "NumberCouunt", -1), 7);
    EXPECT_EQ(profile.readInt("Defaults", "NumberInsert", -1), 0);
    EXPECT_EQ(profile.readInt("Defaults", "NumberCount", -1), -1);
}

} // namespace
} // namespace rz
