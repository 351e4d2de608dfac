// The event transforms, key signatures, meters and controller series in the
// whole program: each command is greyed by its rule, sits in its menu,
// opens the program's own dialog over the main frame, makes one edit, and
// Undo takes it back.

#include "tests/app/app_test_fixture.h"
#include "modal_dialog.h"
#include "app/menu_bar.h"
#include "dialogs/insert_cc_dlg.h"
#include "dialogs/key_meter_dlg.h"
#include "dialogs/note_value_box.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "dialogs/transform_dlg.h"
#include "res/command_ids.h"
#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/selection.h"
#include "song/track.h"
#include "tests/song/song_builder.h"
#include "ui/command_router.h"
#include "views/track/track_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace rz {
namespace {

class TransformCommands : public AppFixture {
protected:
    // The current song at 120 per quarter in 4/4: "Piano" with C4 notes
    // near each measure's start (0, 490, 960, 1450; velocity 90, 100 ticks)
    // and "Bass" with four equal expression values; the real track list.
    CSongDoc& startSong()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        start();
        CSongDoc& song = addSong("A");
        auto piano = std::make_unique<CTrack>();
        piano->name = "Piano";
        for (int32_t tick : {0, 490, 960, 1450})
            piano->events.push_back(test::note(tick, 60, 90, 100));
        auto bass = std::make_unique<CTrack>();
        bass->name = "Bass";
        bass->channel = 1;
        for (int32_t tick : {0, 10, 20, 30})
            bass->events.push_back(test::controller(tick, 11, 64, 1));
        song.tracks.insert(song.tracks.end() - 1, std::move(piano));
        song.tracks.insert(song.tracks.end() - 1, std::move(bass));
        RebuildPlayImages(song, false);
        song.UpdateSongEnd();
        song.RecalcTempoTimes();
        song.ExtendMeasureMap();
        song.RecomputeMeasureStarts();
        app->SetCurrentSong(&song);
        return song;
    }

    static void selectRange(CSongDoc& song, int32_t from, int32_t to)
    {
        ++song.selectionStamp;
        song.selectionKind = kSelectTimeRange;
        song.selectionFrom = from;
        song.selectionTo = to;
    }

    static void selectEvents(CSongDoc& song, size_t track)
    {
        ++song.selectionStamp;
        song.selectionKind = kSelectEvents;
        for (CMidiEvent& event : song.tracks[track]->events)
            event.selectionStamp = song.selectionStamp;
    }

    QAction* menuItem(CommandId id)
    {
        const std::vector<QAction*> found = app->frame()->menuBar()->commandActions(id);
        EXPECT_FALSE(found.empty()) << "no menu item for " << id;
        return found.empty() ? nullptr : found.front();
    }

    // Picks the command's menu item while `answer` works its dialog; false
    // when none showed.
    template <class Dialog>
    bool runFromMenu(CommandId id, const std::function<void(Dialog&)>& answer)
    {
        QAction* item = menuItem(id);
        if (!item)
            return false;
        // Opening the menu brings its items up to date, as for a user.
        emit qobject_cast<QMenu*>(item->parent())->aboutToShow();
        EXPECT_TRUE(item->isEnabled()) << id;
        return answerModal<Dialog>([&] { item->trigger(); },
                                   [&](Dialog& dialog) {
                                       EXPECT_EQ(dialog.parentWidget(), app->frame());
                                       EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
                                       answer(dialog);
                                   });
    }

    static void typeInto(QLineEdit* field, const char* text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }

    template <class T = QWidget>
    static T* child(QWidget& dialog, const char* name)
    {
        T* found = dialog.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void expectUndoRestores(CSongDoc& song, const std::string& label, const std::string& before)
    {
        ASSERT_EQ(song.undoList.size(), 1u);
        EXPECT_EQ(song.undoList.back()->label, label);
        EXPECT_TRUE(app->router().execute(kIdEditUndo));
        EXPECT_EQ(firstDifference(before, DescribeSong(song)), "");
    }

    static std::vector<int32_t> ticksOf(const CTrack& track)
    {
        std::vector<int32_t> ticks;
        for (const CMidiEvent& e : track.events)
            ticks.push_back(e.tick);
        return ticks;
    }
};

TEST_F(TransformCommands, EachIsEnabledByItsRuleAndSitsInItsMenu)
{
    using Prepare = std::function<void(CSongDoc&, TrackView&)>;
    const Prepare events = [](CSongDoc& song, TrackView&) { selectEvents(song, 1); };
    // Row mode with no row flagged: no track is chosen.
    const Prepare nothing = [](CSongDoc& song, TrackView& rows) {
        song.selectionKind = 0;
        rows.SelectNone();
        rows.selection().setCurrentColumn(0);
    };
    const Prepare row = [](CSongDoc& song, TrackView& rows) {
        song.selectionKind = 0;
        rows.SelectRow(2, true);
    };
    const struct {
        CommandId id;
        const char* menu;
        Prepare prepare;
        bool enabledAtAll;
    } kCases[] = {
        {kIdTranspose, "&Edit", events, true},        {kIdQuantize, "&Edit", events, true},
        {kIdEditVelocities, "&Edit", events, true},   {kIdEditDuration, "&Edit", events, true},
        {kIdThinControllers, "&Edit", events, true},  {kIdRandomize, "&Edit", events, true},
        {kIdTranspose, "&Edit", nothing, false},      {kIdInsertKeySignature, "&Insert", nothing, true},
        {kIdInsertMeter, "&Insert", nothing, true},   {kIdInsertControllerSeries, "&Insert", row, true},
        {kIdInsertControllerSeries, "&Insert", nothing, false},
    };
    CSongDoc& song = startSong();
    for (const auto& c : kCases) {
        QAction* item = menuItem(c.id);
        ASSERT_NE(item, nullptr);
        auto* menu = qobject_cast<QMenu*>(item->parent());
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->title(), c.menu);
        for (const TransportState state : {TransportState::Stopped, TransportState::Playing, TransportState::Paused}) {
            for (const bool performance : {false, true}) {
                for (const bool current : {false, true}) {
                    engine.state = state;
                    app->setPerformanceMode(performance);
                    app->SetCurrentSong(current ? &song : nullptr);
                    // Attaching a song resets the track list's rows.
                    ASSERT_NE(app->trackView(), nullptr);
                    c.prepare(song, *app->trackView());
                    SCOPED_TRACE(testing::Message() << "command " << c.id << " state " << int(state)
                                                    << " performance " << performance << " song " << current);
                    const bool enabled =
                        c.enabledAtAll && current && state == TransportState::Stopped && !performance;
                    EXPECT_EQ(app->router().update(c.id).enabled, enabled);
                    if (!enabled) {
                        bool ran = false;
                        EXPECT_FALSE(answerModal<QDialog>([&] { ran = app->router().execute(c.id); },
                                                          [](QDialog& dialog) { dialog.reject(); }))
                            << "a greyed command opened its dialog";
                        EXPECT_FALSE(ran) << "a greyed command ran";
                    }
                }
            }
        }
    }
    engine.state = TransportState::Stopped;
    app->setPerformanceMode(false);
    app->SetCurrentSong(&song);
}

TEST_F(TransformCommands, TransposeByTwoMovesACToAD)
{
    CSongDoc& song = startSong();
    const std::string before = DescribeSong(song);
    selectEvents(song, 1);
    ASSERT_TRUE(runFromMenu<CTransposeDlg>(kIdTranspose, [](CTransposeDlg& dialog) {
        typeInto(dialog.halfStepsEdit(), "2");
        dialog.accept();
    }));
    for (const CMidiEvent& e : song.tracks[1]->events)
        EXPECT_EQ(e.data1(), 62);
    expectUndoRestores(song, "Transpose notes", before);
}

TEST_F(TransformCommands, QuantizeToEighthsMovesTheLateNotes)
{
    CSongDoc& song = startSong();
    const std::string before = DescribeSong(song);
    selectEvents(song, 1);
    ASSERT_TRUE(runFromMenu<CQuantizeDlg>(kIdQuantize, [](CQuantizeDlg& dialog) {
        dialog.resolutionBox()->setFocus();
        QTest::keyClick(dialog.resolutionBox(), 'q');
        QTest::keyClick(dialog.resolutionBox(), 'e');
        EXPECT_EQ(dialog.resolutionBox()->currentIndex(), 8);
        dialog.accept();
    }));
    EXPECT_EQ(ticksOf(*song.tracks[1]), (std::vector<int32_t>{0, 480, 960, 1440}));
    expectUndoRestores(song, "Quantize", before);
}

TEST_F(TransformCommands, VelocitiesAndDurationsChangeByTheirOffsets)
{
    CSongDoc& song = startSong();
    const std::string before = DescribeSong(song);
    selectEvents(song, 1);
    ASSERT_TRUE(runFromMenu<CVelocityDlg>(kIdEditVelocities, [](CVelocityDlg& dialog) {
        child<QAbstractButton>(dialog, "offsets1039")->click();
        typeInto(child<QLineEdit>(dialog, "value1052"), "10");
        dialog.accept();
    }));
    for (const CMidiEvent& e : song.tracks[1]->events)
        EXPECT_EQ(e.data2(), 100);
    expectUndoRestores(song, "Edit velocities", before);

    selectEvents(song, 1);
    ASSERT_TRUE(runFromMenu<CNoteDurationsDlg>(kIdEditDuration, [](CNoteDurationsDlg& dialog) {
        child<QAbstractButton>(dialog, "offset1039")->click();
        typeInto(child<QLineEdit>(dialog, "value1052"), "20");
        dialog.accept();
    }));
    for (const CMidiEvent& e : song.tracks[1]->events)
        EXPECT_EQ(e.value2, 120);
    ASSERT_EQ(song.undoList.size(), 1u) << "the velocities were undone";
    EXPECT_TRUE(app->router().execute(kIdEditUndo));
    EXPECT_EQ(firstDifference(before, DescribeSong(song)), "");
}

TEST_F(TransformCommands, ThinAndRandomizeChangeTheSelection)
{
    CSongDoc& song = startSong();
    const std::string before = DescribeSong(song);
    selectEvents(song, 2);
    ASSERT_TRUE(runFromMenu<CThinDlg>(kIdThinControllers, [](CThinDlg& dialog) {
        EXPECT_EQ(dialog.controllerBox()->currentData().toInt(), 11);
        dialog.accept();
    }));
    EXPECT_EQ(song.tracks[2]->events.size(), 1u) << "equal values thinned";
    expectUndoRestores(song, "Thin", before);

    selectEvents(song, 1);
    ASSERT_TRUE(runFromMenu<CRandomizeDlg>(kIdRandomize, [](CRandomizeDlg& dialog) {
        typeInto(child<QLineEdit>(dialog, "percent1011"), "50");
        typeInto(child<QLineEdit>(dialog, "value1012"), "30");
        dialog.accept();
    }));
    EXPECT_NE(DescribeSong(song), before);
    expectUndoRestores(song, "Randomize", before);
}

TEST_F(TransformCommands, InsertMeterOfThreeFourOverTwoMeasures)
{
    CSongDoc& song = startSong();
    const std::string before = DescribeSong(song);
    selectRange(song, 0, 960);
    ASSERT_TRUE(runFromMenu<CMeterDlg>(kIdInsertMeter, [](CMeterDlg& dialog) {
        EXPECT_EQ(dialog.fromCtrl()->tick(), 0);
        EXPECT_EQ(dialog.throughCtrl()->tick(), 480);
        EXPECT_FALSE(dialog.preview()->pixmap().isNull());
        typeInto(dialog.numeratorEdit(), "3");
        EXPECT_EQ(dialog.clickBox()->currentIndex(), 5);
        dialog.accept();
    }));
    ASSERT_GE(song.measureMap.size(), 3u);
    EXPECT_EQ(song.measureMap[0].numerator, 3);
    EXPECT_EQ(song.measureMap[1].numerator, 3);
    EXPECT_EQ(song.measureMap[1].start, 360);
    EXPECT_EQ(song.measureMap[2].numerator, 4);
    EXPECT_EQ(song.measureMap[0].clocksPerClick, 24);
    expectUndoRestores(song, "Insert Meter Change", before);
}

TEST_F(TransformCommands, InsertKeyOfThreeSharpsOverTheKeysRun)
{
    CSongDoc& song = startSong();
    const std::string before = DescribeSong(song);
    song.setPosition(0);
    ASSERT_TRUE(runFromMenu<CKeySigDlg>(kIdInsertKeySignature, [](CKeySigDlg& dialog) {
        dialog.keyBox()->setCurrentIndex(7 - 3);
        dialog.accept();
    }));
    for (const MeasureRec& m : song.measureMap)
        EXPECT_EQ(m.key, 3);
    expectUndoRestores(song, "Insert Key Change", before);
}

TEST_F(TransformCommands, SeriesGoesOntoTheSelectedTrack)
{
    CSongDoc& song = startSong();
    app->trackView()->SelectRow(1, true);
    const std::string before = DescribeSong(song);
    selectRange(song, 0, 960);
    ASSERT_TRUE(runFromMenu<CInsertCCDlg>(kIdInsertControllerSeries, [](CInsertCCDlg& dialog) {
        QComboBox* box = dialog.controllerBox();
        box->setCurrentIndex(box->findData(7));
        typeInto(dialog.firstValueEdit(), "0");
        typeInto(dialog.lastValueEdit(), "127");
        dialog.accept();
    }));
    int volumes = 0;
    for (const CMidiEvent& e : song.tracks[1]->events)
        volumes += (e.message & 0xFFF0) == 0x07B0;
    EXPECT_GT(volumes, 2);
    expectUndoRestores(song, "Insert Controller Change", before);
}

// A transform over a time range leaves the range selected, so the next
// transform's dialog offers the options of a time selection.
TEST_F(TransformCommands, QuantizeAfterATransposeOverARangeOffersTheRangesOptions)
{
    CSongDoc& song = startSong();
    selectRange(song, 0, 960);
    ASSERT_TRUE(runFromMenu<CTransposeDlg>(kIdTranspose, [](CTransposeDlg& dialog) {
        typeInto(child<QLineEdit>(dialog, "halfSteps1052"), "2");
        dialog.accept();
    }));
    EXPECT_EQ((song.tracks[1]->events[0].message >> 8) & 0x7F, 62u);
    EXPECT_EQ((song.tracks[1]->events[2].message >> 8) & 0x7F, 60u) << "outside the range";
    ASSERT_TRUE(runFromMenu<CQuantizeDlg>(kIdQuantize, [](CQuantizeDlg& dialog) {
        EXPECT_TRUE(child(dialog, "offset1111")->isEnabled());
        dialog.reject();
    }));
}

} // namespace
} // namespace rz
