// "Insert tempo change..." and "Insert a series of tempo changes...": typed
// and stepped tempos held to what a song stores, taps on the program clock,
// the range's average, and beats typed or played from another thread.

#include "dialogs/insert_tempo_dlg.h"
#include "dialogs/tempo_series_dlg.h"

#include "core/ms_clock.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/selection.h"
#include "tests/dialogs/dialog_controls.h"
#include "tests/song/song_fixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace rz {
namespace {

// The program clock, moved by hand, for one test.
class ClockFixture : public testing::Test {
protected:
    ClockFixture() { setProgramClock(&clock); }
    ~ClockFixture() override { setProgramClock(nullptr); }

    void SetUp() override
    {
        song->timeBase = 480;
        song->endTick = 16 * 480;
        song->ExtendMeasureMap();
    }
    void setTempos(std::initializer_list<TempoEntry> entries)
    {
        song->tempoMap.assign(entries);
        song->RecalcTempoTimes();
    }
    static void showActive(QDialog& dialog)
    {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    ManualMsClock clock{1000};
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
};

using InsertTempo = ClockFixture;

TEST_F(InsertTempo, TypedTempoIsHeldToWhatASongStores)
{
    const struct {
        const char* field;
        const char* text;
        const char* bpm;
        const char* micros;
    } kCases[] = {
        {"startBpm1024", "400", "360.00", "166666"},
        {"startBpm1024", "0", "3.58", "16759776"},
        {"startBpm1024", "x", "3.58", "16759776"},
        {"startBpm1024", "120", "120.00", "500000"},
        {"startUsec1025", "60000000", "3.58", "16777215"},
        {"startUsec1025", "1", "360.00", "166666"},
    };
    for (const auto& c : kCases) {
        CInsertTempoDlg dialog(*song);
        showActive(dialog);
        typeInto(child<QLineEdit>(dialog, c.field), c.text);
        EXPECT_EQ(child<QLineEdit>(dialog, "startBpm1024")->text(), c.bpm) << c.text;
        EXPECT_EQ(child<QLineEdit>(dialog, "startUsec1025")->text(), c.micros) << c.text;
        EXPECT_EQ(dialog.result().startTempo, QByteArray(c.micros).toUInt()) << c.text;
    }
}

TEST_F(InsertTempo, ATypedMicrosecondValueSurvivesAFocusPassThroughTheBpmField)
{
    CInsertTempoDlg dialog(*song);
    showActive(dialog);
    typeInto(child<QLineEdit>(dialog, "startUsec1025"), "500001");
    QLineEdit* bpm = child<QLineEdit>(dialog, "startBpm1024");
    bpm->setFocus();
    QTest::keyClick(bpm, Qt::Key_Tab);
    EXPECT_EQ(child<QLineEdit>(dialog, "startUsec1025")->text(), "500001");
    dialog.accept();
    EXPECT_EQ(dialog.result().startTempo, 500001u);
}

TEST_F(InsertTempo, StepsMoveByOneUnitWithinTheLimits)
{
    CInsertTempoDlg dialog(*song);
    showActive(dialog);
    auto* bpm = child<SpinEdit>(dialog, "startBpm1024");
    emit bpm->stepRequested(true);
    EXPECT_EQ(bpm->text(), "120.01");
    EXPECT_EQ(dialog.result().startTempo, 499958u);
    auto* micros = child<SpinEdit>(dialog, "startUsec1025");
    typeInto(micros, "166666");
    emit micros->stepRequested(false);
    EXPECT_EQ(micros->text(), "166666");
}

TEST_F(InsertTempo, TwoTapsHalfASecondApartGiveTheirTempoAtTheMetronomesClick)
{
    for (const auto& [clocks, tempo] : {std::pair{24, 500000u}, std::pair{36, 333333u}, std::pair{0, 500000u}}) {
        song->measureMap[0].clocksPerClick = uint8_t(clocks);
        CInsertTempoDlg dialog(*song);
        showActive(dialog);
        // The first tap a press on the tap box, which is the dialog's own background.
        const QGroupBox* box = dialog.findChild<QGroupBox*>();
        ASSERT_NE(box, nullptr);
        clock.set(0);
        QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, box->geometry().center());
        clock.set(500);
        dialog.tap();
        EXPECT_EQ(dialog.result().startTempo, tempo) << clocks;
    }
}

TEST_F(InsertTempo, AnUnevenTapRestartsTheRunAndKeepsTheTempo)
{
    CInsertTempoDlg dialog(*song);
    for (uint32_t at : {0u, 500u, 1000u}) {
        clock.set(at);
        dialog.tap();
    }
    EXPECT_EQ(dialog.result().startTempo, 500000u);
    clock.set(1600); // 600 ms against a mean of 533
    dialog.tap();
    EXPECT_EQ(dialog.result().startTempo, 500000u);
    clock.set(2300); // a new run: 700 ms from the restart
    dialog.tap();
    EXPECT_EQ(dialog.result().startTempo, 700000u);
}

TEST_F(InsertTempo, ATapExactlyTenSecondsOldStaysInTheRun)
{
    // Taps at 0, 1100, 2100 .. 9100, then one 10,000 or 10,001 ms after the
    // first: kept, the first makes the mean 1000 ms; dropped, 8901 / 9 = 989.
    const auto lastTapTempo = [&](uint32_t last) {
        CInsertTempoDlg dialog(*song);
        for (uint32_t at : {0u, 1100u, 2100u, 3100u, 4100u, 5100u, 6100u, 7100u, 8100u, 9100u}) {
            clock.set(at);
            dialog.tap();
        }
        clock.set(last);
        dialog.tap();
        return dialog.result().startTempo;
    };
    EXPECT_EQ(lastTapTempo(10'000), 1'000'000u);
    EXPECT_EQ(lastTapTempo(10'001), 989'000u);
}

TEST_F(InsertTempo, TheClockWrappingGivesNoFalseTap)
{
    CInsertTempoDlg dialog(*song);
    clock.set(0xFFFFFF00u);
    dialog.tap();
    clock.set(0xFFFFFF00u + 500); // wraps past zero
    dialog.tap();
    EXPECT_EQ(dialog.result().startTempo, 500000u);
    clock.set(0xFFFFFF00u + 1000);
    dialog.tap();
    EXPECT_EQ(dialog.result().startTempo, 500000u);
}

TEST_F(InsertTempo, TheAverageWeighsEachTempoByItsTicks)
{
    setTempos({TempoEntry{0, 500000, 0}, TempoEntry{480, 1000000, 0}});
    song->selectionKind = kSelectTimeRange;
    song->selectionFrom = 0;
    song->selectionTo = 960;
    CInsertTempoDlg dialog(*song);
    EXPECT_EQ(child<QLineEdit>(dialog, "average1028")->text(), "90.00");
    EXPECT_TRUE(child<QLineEdit>(dialog, "endBpm1026")->isEnabled());
    child<QAbstractButton>(dialog, "useAve1425")->click();
    const TempoInsert insert = dialog.result();
    EXPECT_EQ(insert.startTick, 0);
    EXPECT_EQ(insert.endTick, 960);
    EXPECT_EQ(insert.startTempo, 666666u);
    EXPECT_EQ(insert.endTempo, 666666u);
}

TEST_F(InsertTempo, WithoutARangeTheEndFollowsTheStart)
{
    song->setPosition(480);
    CInsertTempoDlg dialog(*song);
    EXPECT_FALSE(child<QLineEdit>(dialog, "endBpm1026")->isEnabled());
    EXPECT_FALSE(child<QAbstractButton>(dialog, "return1239")->isEnabled());
    EXPECT_TRUE(child<QLineEdit>(dialog, "average1028")->text().isEmpty());
    showActive(dialog);
    typeInto(child<QLineEdit>(dialog, "startBpm1024"), "100");
    const TempoInsert insert = dialog.result();
    EXPECT_EQ(insert.startTick, 480);
    EXPECT_EQ(insert.endTick, 480);
    EXPECT_EQ(insert.endTempo, insert.startTempo);
    EXPECT_EQ(insert.startTempo, 600000u);
}

TEST_F(InsertTempo, ATapWithTheEndFieldFocusedSetsTheEndTempo)
{
    song->selectionKind = kSelectTimeRange;
    song->selectionFrom = 0;
    song->selectionTo = 960;
    CInsertTempoDlg dialog(*song);
    showActive(dialog);
    child<CTimePosCtrl>(dialog, "end125")->field(TimeField::Beat)->setFocus();
    clock.set(0);
    dialog.tap();
    clock.set(400);
    dialog.tap();
    EXPECT_EQ(dialog.result().endTempo, 400000u);
    EXPECT_EQ(dialog.result().startTempo, 500000u);
}

// ---- the series

class TempoSeries : public ClockFixture {
protected:
    void SetUp() override
    {
        ClockFixture::SetUp();
        fixture.profile.writeInt("Defaults", "TempoResolution", 6); // eighths
    }
    // Runs the queued steps each beat leaves.
    static void settle() { QCoreApplication::processEvents(); }
};

TEST_F(TempoSeries, EighthBeatsAQuarterSecondApartAreQuartersOfHalfASecond)
{
    setTempos({TempoEntry{0, 600000, 0}});
    CTempoSeriesDlg dialog(*song);
    auto* count = child<QLineEdit>(dialog, "count1041");
    for (int i = 0; i < 3; ++i) {
        dialog.beat(uint32_t(i * 250));
        settle();
        EXPECT_EQ(count->text(), QString::number(i));
        EXPECT_FALSE(child<QComboBox>(dialog, "beatSize1146")->isEnabled());
    }
    const auto entries = dialog.entries();
    ASSERT_EQ(entries.size(), 3u);
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].tick, int32_t(i * 240));
        EXPECT_DOUBLE_EQ(entries[i].time, double(i) * 250'000.0);
    }
    EXPECT_EQ(entries[0].tempo, 500000u);
    EXPECT_EQ(entries[1].tempo, 500000u);
    EXPECT_EQ(entries[2].tempo, 600000u); // the map's, at the last beat
    EXPECT_EQ(song->position(), 480);     // the song followed the beats
}

TEST_F(TempoSeries, ALongGapIsHeldToTheSlowestTempo)
{
    CTempoSeriesDlg dialog(*song);
    dialog.beat(0);
    dialog.beat(40'000);
    dialog.beat(40'000 + 0xFFFFFFFFu); // a wrap of the clock backwards is another long gap
    EXPECT_EQ(dialog.entries()[0].tempo, 16'777'215u);
}

TEST_F(TempoSeries, TypedCharactersAreBeats)
{
    CTempoSeriesDlg dialog(*song);
    showActive(dialog);
    auto* typing = child<QLineEdit>(dialog, "beats1043");
    clock.set(5000);
    QTest::keyClick(typing, Qt::Key_A);
    clock.set(5250);
    QTest::keyClick(typing, Qt::Key_Space);
    settle();
    ASSERT_EQ(dialog.entries().size(), 2u);
    EXPECT_EQ(dialog.entries()[0].tempo, 500000u);
    EXPECT_EQ(dialog.beatCount(), 1);
}

TEST_F(TempoSeries, NotesFromAnotherThreadArriveInOrderOnTheGuiThread)
{
    CTempoSeriesDlg dialog(*song);
    const std::shared_ptr<ITempoTapSink> sink = dialog.tapSink();
    constexpr int kNotes = 200;
    std::thread input([&] {
        for (int i = 0; i < kNotes; ++i)
            sink->OnMidiTap(uint32_t(10'000 + i * 250));
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (dialog.entries().size() < size_t(kNotes) && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    input.join();
    settle();
    const auto entries = dialog.entries();
    ASSERT_EQ(entries.size(), size_t(kNotes));
    for (int i = 0; i < kNotes; ++i) {
        EXPECT_DOUBLE_EQ(entries[size_t(i)].time, (10'000.0 + i * 250) * 1000.0) << i;
        EXPECT_EQ(entries[size_t(i)].tick, i * 240) << i;
    }
    EXPECT_EQ(dialog.beatCount(), kNotes - 1);
}

TEST_F(TempoSeries, ABeatSentAfterTheDialogWentIsDropped)
{
    std::shared_ptr<ITempoTapSink> sink;
    {
        CTempoSeriesDlg dialog(*song);
        sink = dialog.tapSink();
    }
    sink->OnMidiTap(1);
    settle(); // nothing runs on a dialog that is gone
    SUCCEED();
}

TEST_F(TempoSeries, PlayingNotesHoldsStartingAndClosingStopsTheEngine)
{
    fixture.profile.writeInt("Defaults", "TempoPlayMIDI", 1);
    for (const bool ok : {true, false}) {
        fixture.engine.log = {};
        fixture.engine.state = TransportState::Stopped;
        CTempoSeriesDlg dialog(*song);
        EXPECT_EQ(fixture.engine.state, TransportState::Starting);
        dialog.beat(0);
        settle();
        ok ? dialog.accept() : dialog.reject();
        const auto& calls = fixture.engine.log.calls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front(), "PauseAsStarting()");
        EXPECT_EQ(calls.back(), "Stop(0)") << ok;
    }
}

TEST_F(TempoSeries, AlignModeStartsPlaybackAtTheFirstBeat)
{
    fixture.profile.writeInt("Defaults", "TempoAlign", 1);
    CTempoSeriesDlg dialog(*song);
    EXPECT_TRUE(dialog.alignAudio());
    EXPECT_FALSE(child<QAbstractButton>(dialog, "playMidi1176")->isEnabled());
    dialog.beat(0);
    settle();
    EXPECT_EQ(fixture.engine.log.count("Advance"), 1u);
    dialog.beat(500);
    settle();
    EXPECT_EQ(fixture.engine.log.count("Advance"), 1u);
    // The engine stopped at the song's end: no more beats.
    EXPECT_FALSE(child<QLineEdit>(dialog, "beats1043")->isEnabled());
}

TEST_F(TempoSeries, EachDialogsHelpOpensItsTopic)
{
    std::string opened;
    const auto help = [&](std::string_view topic) { opened = topic; };
    const auto pressHelp = [](QDialog& dialog) {
        auto* box = dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(box, nullptr);
        box->button(QDialogButtonBox::Help)->click();
    };
    CInsertTempoDlg insert(*song);
    insert.setHelpOpener(help);
    pressHelp(insert);
    EXPECT_EQ(opened, "::/Tempo.htm#INSERT");
    CTempoSeriesDlg series(*song);
    series.setHelpOpener(help);
    pressHelp(series);
    EXPECT_EQ(opened, "::/Tempo.htm#SERIES");
}

} // namespace
} // namespace rz
