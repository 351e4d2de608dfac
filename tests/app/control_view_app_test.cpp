#include "tests/app/app_test_fixture.h"

#include "modal_dialog.h"
#include "core/song_host.h"
#include "dialogs/select_controller_dlg.h"
#include "res/command_ids.h"
#include "song/clipboard.h"
#include "song/selection.h"
#include "song/undo_record.h"
#include "tests/song/song_builder.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "ui/command_router.h"
#include "views/graph/control_view.h"
#include "views/pane_view.h"
#include "views/graph/tempo_view.h"
#include "views/track/track_view.h"

#include <QComboBox>
#include <QPointer>

namespace rz {
namespace {

// The application with the real track list, tempo view and controller
// view, and a current song of 100 measures whose first track, selected,
// holds modulation and pitch-bend events; a second track is empty.
class ControlViewApp : public AppFixture {
protected:
    void startWithControlView(bool scripted = true)
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        registerTempoView(viewFactory, [this](CommandId id) { return app->router().execute(id); });
        registerControlView(viewFactory, [this](CommandId id) { return app->router().execute(id); });
        start();
        SongContext context = app->set().songContext();
        if (scripted)
            context.editDialogs = &dialogs;
        auto made = std::make_unique<CSongDoc>(context);
        made->InitNewSong();
        made->title = "A";
        song = app->set().AddSong(std::move(made));
        test::addUserTrack(*song).events = {test::controller(100, 1, 10), test::controller(200, 1, 20),
                                            test::channelEvent(300, midi::kPitchBend, 0, 64),
                                            test::controller(600, 1, 30)};
        test::addUserTrack(*song);
        song->endTick = 100 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        app->SetCurrentSong(song);
        app->trackView()->SelectRow(1, true);
    }

    // The view request runs from the frame's timer.
    bool show(CommandId id, ControlKind kind)
    {
        return app->router().execute(id) && processUntil([this, kind] {
                   return control() && control()->kind().status == kind.status
                          && control()->kind().number == kind.number;
               });
    }

    ControlView* control() const { return dynamic_cast<ControlView*>(app->views().slot(ViewSlots::kControl)); }
    TempoView* tempo() const { return dynamic_cast<TempoView*>(app->views().slot(ViewSlots::kTempo)); }

    ScriptedEditDialogs dialogs;
    CSongDoc* song = nullptr;
};

TEST_F(ControlViewApp, PitchWheelMapReplacesTheTempoViewMadeAtStartAndIsChecked)
{
    startWithControlView();
    ASSERT_NE(tempo(), nullptr);
    ASSERT_TRUE(app->router().update(kIdViewPitchWheel).enabled);
    EXPECT_FALSE(app->router().update(kIdViewPitchWheel).checked);
    ASSERT_TRUE(show(kIdViewPitchWheel, {midi::kPitchBend, 0}));
    SongView* controller = nullptr;
    app->views().currentViews(nullptr, &controller);
    EXPECT_EQ(controller, control());
    EXPECT_EQ(tempo(), nullptr);
    EXPECT_EQ(control()->paneId(), pane_id::kController);
    EXPECT_EQ(control()->song(), song);
    EXPECT_EQ(control()->laneTracks(), (std::vector<int>{1}));
    EXPECT_TRUE(app->router().update(kIdViewPitchWheel).checked);
    EXPECT_FALSE(app->router().update(kIdViewModWheel).checked);
    const ControllerLanes lanes = song->context().host.controllerLanes(*song);
    ASSERT_EQ(lanes.lanes.size(), 1u);
    ASSERT_EQ(lanes.lanes[0].points.size(), 1u);
    EXPECT_EQ(lanes.lanes[0].points[0].value, 8192);
}

TEST_F(ControlViewApp, CopyTimeOfTheLanesAndPasteOnASelectedTrackIsOneUndoStep)
{
    startWithControlView();
    ASSERT_TRUE(show(kIdViewModWheel, {midi::kControlChange, 1}));
    song->selectionKind = kSelectTimeRange;
    song->selectionFrom = 0;
    song->selectionTo = 480;
    dialogs.copyTimeAnswer = CopyTimeParams{.mode = CopyTimeMode::Controllers, .offset = 0};
    ASSERT_TRUE(app->router().execute(kIdEditCopy));
    const AppClipboard& board = song->context().host.clipboard();
    EXPECT_EQ(board.kind, kClipboardEvents);
    ASSERT_EQ(board.events.size(), 2u) << "the lane's points inside the range";
    EXPECT_EQ(midi::secondDataByte(board.events[1].message), 20);

    app->trackView()->SelectRow(2, true);
    song->selectionKind = 0;
    dialogs.pasteEventsAnswer =
        PasteEventsParams{.firstCopy = 960, .secondCopy = 960, .copies = 1, .target = PasteTarget::SelectedTracks};
    const size_t steps = song->undoList.size();
    ASSERT_TRUE(app->router().execute(kIdEditPaste));
    ASSERT_EQ(song->undoList.size(), steps + 1);
    const auto& pasted = song->tracks[2]->events;
    ASSERT_EQ(pasted.size(), 2u);
    EXPECT_EQ(pasted[0].message, midi::controlChange(0, 1, 10));
    EXPECT_EQ(pasted[1].tick - pasted[0].tick, 100);
    ASSERT_TRUE(song->Undo());
    EXPECT_TRUE(song->tracks[2]->events.empty());
}

// The edit may come from the view's own mouse handler: a new view would
// delete the one still handling it.
TEST_F(ControlViewApp, AControllerEditKeepsTheViewShowingTheLaneAndPicksItsController)
{
    startWithControlView();
    ASSERT_TRUE(show(kIdViewModWheel, {midi::kControlChange, 1}));
    const QPointer<ControlView> shown = control();
    for (const int number : {1, 7}) {
        auto record = std::make_unique<CUndoRecord>();
        record->flags = kUndoEvents | kUndoControllerEdit;
        record->label = "Move controllers";
        record->events = std::make_unique<CEventList>();
        record->events->sortKeys = {placedOn(1)};
        record->events->events = {test::controller(960, number, 50)};
        ASSERT_EQ(song->ApplyEdit(std::move(record)), ApplyResult::Applied);
        ASSERT_FALSE(shown.isNull()) << number;
        EXPECT_EQ(control(), shown.data());
        EXPECT_EQ(control()->kind().number, number);
    }
}

TEST_F(ControlViewApp, OtherControllerMapIsGreyWithoutItsDialog)
{
    startWithControlView();
    dialogs.missing = {EditDialog::SelectController};
    EXPECT_TRUE(app->router().update(kIdViewModWheel).enabled);
    EXPECT_FALSE(app->router().update(kIdViewOtherController).enabled);
}

TEST_F(ControlViewApp, OtherControllerMapRunsTheProgramsDialog)
{
    startWithControlView(false);
    ASSERT_TRUE(app->router().update(kIdViewOtherController).enabled);
    EXPECT_TRUE(answerModal<CSelectControllerDlg>([&] { app->router().execute(kIdViewOtherController); },
                                                  [](CSelectControllerDlg& dialog) {
                                                      dialog.list()->setCurrentIndex(
                                                          dialog.list()->findText("Volume (7)"));
                                                      dialog.accept();
                                                  }));
    EXPECT_TRUE(processUntil([this] {
        return control() && control()->kind().status == midi::kControlChange && control()->kind().number == 7;
    }));
}

TEST_F(ControlViewApp, OtherControllerMapShowsTheControllerTheDialogAnswers)
{
    startWithControlView();
    ASSERT_TRUE(app->router().update(kIdViewOtherController).enabled);
    dialogs.selectControllerAnswer = 0x07B0;
    ASSERT_TRUE(show(kIdViewOtherController, {midi::kControlChange, 7}));
    EXPECT_EQ(dialogs.log.count("selectController"), 1u);
    EXPECT_EQ(control()->kind().name(), "CC7");
}

} // namespace
} // namespace rz
