#include "tests/app/app_test_fixture.h"

#include "app/flat_status_bar.h"
#include "app/main_frame.h"
#include "tests/support/qt/mouse_events.h"

#include "res/command_ids.h"
#include "song/selection.h"
#include "tests/song/song_builder.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "ui/command_router.h"
#include "views/pane_view.h"
#include "views/piano/piano_roll_view.h"
#include "views/graph/tempo_view.h"
#include "views/track/track_view.h"

#include <QTest>

namespace rz {
namespace {

// The application with the real track list, tempo view and piano roll, and
// a current song of 200 measures whose first track, selected, holds a
// note; its edit dialogs are scripted.
class PianoRollApp : public AppFixture {
protected:
    void startWithPianoRoll()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        registerTempoView(viewFactory, [this](CommandId id) { return app->router().execute(id); });
        registerPianoRollView(viewFactory, [this](CommandId id) { return app->router().execute(id); });
        start();
        SongContext context = app->set().songContext();
        context.editDialogs = &dialogs;
        auto made = std::make_unique<CSongDoc>(context);
        made->InitNewSong();
        made->title = "A";
        song = app->set().AddSong(std::move(made));
        test::addUserTrack(*song).events = {test::note(100, 60, 90, 40)};
        song->endTick = 200 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        app->SetCurrentSong(song);
        app->trackView()->SelectRow(1, true);
        app->display().setTimeZoom(ISongDisplayOptions::kMaxTimeZoom);
    }

    // The view request runs from the frame's timer.
    bool showPianoRoll()
    {
        return app->router().execute(kIdViewPianoRoll) && processUntil([this] { return piano() != nullptr; });
    }

    PianoRollView* piano() const { return dynamic_cast<PianoRollView*>(app->views().slot(ViewSlots::kPiano)); }
    TempoView* tempo() const { return dynamic_cast<TempoView*>(app->views().slot(ViewSlots::kTempo)); }

    ScriptedEditDialogs dialogs;
    CSongDoc* song = nullptr;
};

TEST_F(PianoRollApp, ViewPianoRollIsEnabledShowsTheViewAndIsChecked)
{
    startWithPianoRoll();
    ASSERT_TRUE(app->router().update(kIdViewPianoRoll).enabled);
    ASSERT_TRUE(showPianoRoll());
    SongView* editor = nullptr;
    app->views().currentViews(&editor, nullptr);
    EXPECT_EQ(editor, piano());
    EXPECT_EQ(piano()->paneId(), pane_id::kEditor);
    EXPECT_EQ(piano()->song(), song);
    EXPECT_TRUE(app->router().update(kIdViewPianoRoll).checked);
    EXPECT_EQ(piano()->shownTracks(), (std::vector<int>{1}));
}

TEST_F(PianoRollApp, HoveringThePlotShowsThePointerTextInTheStatusLine)
{
    startWithPianoRoll();
    ASSERT_TRUE(showPianoRoll());
    const QRect plot = piano()->plotRect();
    ASSERT_FALSE(plot.isEmpty());
    mouse::hover(piano(), plot.center());
    const QString text = app->frame()->statusBar()->partText(1);
    EXPECT_TRUE(text.contains(" @ ")) << text.toStdString(); // not cleared by the frame behind the view
}

TEST_F(PianoRollApp, TheTempoViewTakesItsOriginAndLeftEdge)
{
    startWithPianoRoll();
    ASSERT_TRUE(showPianoRoll());
    ASSERT_NE(tempo(), nullptr);
    piano()->resize(800, 300);
    tempo()->resize(800, 200);
    song->UpdateViews();
    ASSERT_GT(piano()->maxOrigin(), 500);
    piano()->setScrollOrigin(500, true);
    EXPECT_EQ(tempo()->linkOrigin(), 500);
    EXPECT_EQ(tempo()->plotRect().left(), piano()->plotRect().left());
}

TEST_F(PianoRollApp, ARightClickOnANoteRunsEditPropertiesThroughTheSong)
{
    startWithPianoRoll();
    ASSERT_TRUE(showPianoRoll());
    piano()->resize(800, 400);
    song->UpdateViews();
    piano()->scrollRowsTo(PianoLayout::rowOfKey(72));
    const QPoint note(piano()->axis().xOfTick(110), piano()->rows().yOfKey(60) + 3);
    QTest::mouseClick(piano(), Qt::RightButton, Qt::NoModifier, note);
    EXPECT_EQ(song->selectionKind, kSelectEvents);
    EXPECT_EQ(dialogs.log.count("eventProperties"), 1u);
}

} // namespace
} // namespace rz
