#include "tests/app/app_test_fixture.h"

#include "res/command_ids.h"
#include "tests/song/song_builder.h"
#include "ui/command_router.h"
#include "views/clip/clip_view.h"
#include "views/graph/control_view.h"
#include "views/graph/tempo_view.h"
#include "views/piano/piano_roll_view.h"
#include "views/track/track_view.h"

namespace rz {
namespace {

// The application with the real track list, clip view, piano roll, tempo
// and controller views, and a current song of 200 measures whose first
// track, selected, holds a note and a modulation event.
class LinkedLanesApp : public AppFixture {
protected:
    void startWithLanes()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        const auto sink = [this](CommandId id) { return app->router().execute(id); };
        registerClipView(viewFactory, ClipViewContext{});
        registerTempoView(viewFactory, sink);
        registerControlView(viewFactory, sink);
        registerPianoRollView(viewFactory, sink);
        start();
        song = &addSong("A");
        test::addUserTrack(*song).events = {test::note(100, 60, 90, 40), test::controller(200, 1, 64)};
        song->endTick = 200 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        app->SetCurrentSong(song);
        app->trackView()->SelectRow(1, true);
        app->display().setTimeZoom(ISongDisplayOptions::kMaxTimeZoom);
    }

    template <class View>
    View* show(CommandId id, ViewSlots::Slot slot)
    {
        if (!app->router().execute(id) || !processUntil([&] { return dynamic_cast<View*>(app->views().slot(slot)); }))
            return nullptr;
        return dynamic_cast<View*>(app->views().slot(slot));
    }
    // Both panes as wide as the frame makes them, the song laid out again.
    void sizePanes(EditViewBase& editor, EditViewBase& controller)
    {
        editor.resize(800, 300);
        controller.resize(800, 160);
        song->UpdateViews();
    }
    // The x of a tick in the frame: the panes stand at one x.
    static int frameX(const EditViewBase& view, int32_t tick) { return view.x() + view.axis().xOfTick(tick); }

    CSongDoc* song = nullptr;
};

// Bar 9 and every other tick lie at one x in both panes, at the start of
// the song and scrolled.
TEST_F(LinkedLanesApp, ThePianoRollAndAControllerViewShareOneLeftEdgeAndOrigin)
{
    startWithLanes();
    auto* piano = show<PianoRollView>(kIdViewPianoRoll, ViewSlots::kPiano);
    ASSERT_NE(piano, nullptr);
    for (CommandId id : {kIdViewModWheel, kIdViewPitchWheel, kIdViewExpression}) {
        SCOPED_TRACE(id);
        auto* control = show<ControlView>(id, ViewSlots::kControl);
        ASSERT_NE(control, nullptr);
        sizePanes(*piano, *control);
        ASSERT_EQ(piano->x(), control->x());
        piano->setScrollOrigin(0, true);
        const int32_t bar9 = song->measureMap[8].start;
        EXPECT_EQ(control->plotRect().left(), piano->plotRect().left());
        EXPECT_EQ(frameX(*control, bar9), frameX(*piano, bar9));
        piano->setScrollOrigin(300, true);
        EXPECT_EQ(control->origin(), piano->origin());
        const int32_t shown = piano->axis().tickOfX(piano->plotRect().center().x());
        EXPECT_EQ(frameX(*control, shown), frameX(*piano, shown));
    }
}

// After the piano roll scrolled, the clip view that replaces it and the
// tempo view below draw each tick at one x at once.
TEST_F(LinkedLanesApp, AViewSwitchKeepsTheTempoViewOnTheNewEditorsAxis)
{
    startWithLanes();
    auto* piano = show<PianoRollView>(kIdViewPianoRoll, ViewSlots::kPiano);
    ASSERT_NE(piano, nullptr);
    auto* tempo = dynamic_cast<TempoView*>(app->views().slot(ViewSlots::kTempo));
    ASSERT_NE(tempo, nullptr);
    sizePanes(*piano, *tempo);
    ASSERT_GT(piano->maxOrigin(), 500);
    piano->setScrollOrigin(500, true);
    ASSERT_EQ(tempo->origin(), 500);
    auto* clip = show<ClipView>(kIdViewClipsAndCues, ViewSlots::kClip);
    ASSERT_NE(clip, nullptr);
    sizePanes(*clip, *tempo);
    EXPECT_EQ(clip->origin(), tempo->origin());
    EXPECT_EQ(tempo->plotRect().left(), clip->plotRect().left());
    const int32_t shown = clip->axis().tickOfX(clip->plotRect().center().x());
    EXPECT_EQ(frameX(*tempo, shown), frameX(*clip, shown));
}

} // namespace
} // namespace rz
