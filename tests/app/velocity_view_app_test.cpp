#include "tests/app/app_test_fixture.h"

#include "res/command_ids.h"
#include "song/selection.h"
#include "tests/song/song_builder.h"
#include "tests/support/qt/mouse_events.h"
#include "ui/command_router.h"
#include "views/pane_view.h"
#include "views/piano/piano_roll_view.h"
#include "views/graph/tempo_view.h"
#include "views/track/track_view.h"
#include "views/piano/velocity_view.h"

#include <QTest>

namespace rz {
namespace {

// The application with the real track list, tempo view, piano roll and
// velocity view, a recording clip view, and a current song of 200 measures
// whose first track, selected, holds a note of velocity 64.
class VelocityViewApp : public AppFixture {
protected:
    void startWithVelocityView()
    {
        registerView(ViewKind::Clip, "clip");
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        const auto sink = [this](CommandId id) { return app->router().execute(id); };
        registerTempoView(viewFactory, sink);
        registerPianoRollView(viewFactory, sink);
        registerVelocityView(viewFactory, sink);
        start();
        song = &addSong("A");
        test::addUserTrack(*song).events = {test::note(100, 60, 64, 40)};
        song->endTick = 200 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        app->SetCurrentSong(song);
        app->trackView()->SelectRow(1, true);
        app->display().setTimeZoom(ISongDisplayOptions::kMaxTimeZoom);
    }

    // The view request runs from the frame's timer.
    bool show(CommandId id, ViewSlots::Slot slot)
    {
        return app->router().execute(id) && processUntil([&] { return app->views().slot(slot) != nullptr; });
    }
    SongView* editor() const
    {
        SongView* view = nullptr;
        app->views().currentViews(&view, nullptr);
        return view;
    }
    VelocityView* velocity() const
    {
        return dynamic_cast<VelocityView*>(app->views().slot(ViewSlots::kVelocity));
    }
    TempoView* tempo() const { return dynamic_cast<TempoView*>(app->views().slot(ViewSlots::kTempo)); }

    CSongDoc* song = nullptr;
};

TEST_F(VelocityViewApp, ViewVelocityReplacesTheClipViewInTheEditorPaneAndIsChecked)
{
    startWithVelocityView();
    ASSERT_TRUE(show(kIdViewClipsAndCues, ViewSlots::kClip));
    ASSERT_NE(dynamic_cast<const RecordingView*>(editor()), nullptr) << "the clip view first";
    ASSERT_TRUE(app->router().update(kIdViewVelocity).enabled);
    EXPECT_FALSE(app->router().update(kIdViewVelocity).checked);
    ASSERT_TRUE(show(kIdViewVelocity, ViewSlots::kVelocity));
    EXPECT_EQ(editor(), velocity());
    EXPECT_EQ(velocity()->paneId(), pane_id::kEditor);
    EXPECT_EQ(velocity()->song(), song);
    EXPECT_TRUE(app->router().update(kIdViewVelocity).checked);
    EXPECT_FALSE(app->router().update(kIdViewClipsAndCues).checked);
    EXPECT_EQ(velocity()->shownTracks(), (std::vector<int>{1}));
}

TEST_F(VelocityViewApp, AVelocityDragIsOneUndoStepThatEditUndoReverts)
{
    startWithVelocityView();
    ASSERT_TRUE(show(kIdViewVelocity, ViewSlots::kVelocity));
    velocity()->resize(800, 400);
    song->UpdateViews();
    velocity()->scrollRowsTo(30);
    const QPoint head = VelocityEdits::tickValueToPoint(velocity()->geometryNow(), 100, 64);
    ASSERT_TRUE(velocity()->plotRect().contains(head));
    const size_t steps = song->undoList.size();
    mouse::press(velocity(), head);
    mouse::dragTo(velocity(), head - QPoint(0, 40));
    mouse::dragTo(velocity(), head - QPoint(0, 80));
    mouse::release(velocity(), head - QPoint(0, 80));
    const int dragged = song->tracks[1]->events[0].data2();
    EXPECT_GT(dragged, 64);
    ASSERT_EQ(song->undoList.size(), steps + 1);
    EXPECT_EQ(song->undoList.back()->label, "Drag Velocity");
    ASSERT_TRUE(app->router().execute(kIdEditUndo));
    EXPECT_EQ(song->tracks[1]->events[0].data2(), 64);
}

TEST_F(VelocityViewApp, TheTempoViewTakesItsOriginAndLeftEdge)
{
    startWithVelocityView();
    ASSERT_TRUE(show(kIdViewVelocity, ViewSlots::kVelocity));
    ASSERT_NE(tempo(), nullptr);
    velocity()->resize(800, 300);
    tempo()->resize(800, 200);
    song->UpdateViews();
    ASSERT_GT(velocity()->maxOrigin(), 500);
    velocity()->setScrollOrigin(500, true);
    EXPECT_EQ(tempo()->linkOrigin(), 500);
    EXPECT_EQ(tempo()->plotRect().left(), velocity()->plotRect().left());
}

TEST_F(VelocityViewApp, ThePianoRollsRowZoomIsTheVelocityViewsRowHeight)
{
    startWithVelocityView();
    ASSERT_TRUE(show(kIdViewPianoRoll, ViewSlots::kPiano));
    auto* piano = dynamic_cast<PianoRollView*>(app->views().slot(ViewSlots::kPiano));
    ASSERT_NE(piano, nullptr);
    ASSERT_TRUE(piano->zoomRows(true));
    ASSERT_EQ(piano->rows().rowHeight, 12);
    ASSERT_TRUE(show(kIdViewVelocity, ViewSlots::kVelocity));
    EXPECT_EQ(velocity()->layout().rows.rowHeight, 12);
}

} // namespace
} // namespace rz
