#include "tests/app/app_test_fixture.h"

#include "core/settings.h"
#include "res/command_ids.h"
#include "tests/song/song_builder.h"
#include "ui/command_router.h"
#include "ui/zoom_scroll_bar.h"
#include "views/clip/clip_view.h"
#include "views/clip/clock_view.h"
#include "views/pane_view.h"
#include "views/graph/tempo_view.h"
#include "views/track/track_view.h"

namespace rz {
namespace {

// The application with the real track list, clip view, tempo view and
// clock-time view, the lanes following the list as the program wires them,
// and a current song of 40 tracks, 100 measures long.
class TimeViewApp : public AppFixture {
protected:
    void startWithClipView()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            TrackViewContext context = app->trackViewContext();
            followTrackList(context, [this]() -> EditViewBase* {
                if (EditViewBase* clip = clipView())
                    return clip;
                return timeView();
            });
            return new TrackView(context, request.topLevel, request.parent);
        });
        registerClipView(viewFactory, ClipViewContext{});
        registerTempoView(viewFactory, [this](CommandId id) { return app->router().execute(id); });
        TimeViewContext context;
        context.profile = &profile;
        registerTimeView(viewFactory, context);
        start();
        song = &addSong("A");
        for (int i = 0; i < 40; ++i)
            test::addUserTrack(*song).events = {test::note(i * 10, 60, 90, 40)};
        song->endTick = 100 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        app->SetCurrentSong(song);
        app->trackView()->resize(400, 300);
        song->UpdateViews();
    }

    // The view request runs from the frame's timer.
    bool showTimeView()
    {
        if (!app->router().execute(kIdViewWaveform) || !processUntil([this] { return timeView() != nullptr; }))
            return false;
        timeView()->resize(600, 300);
        song->UpdateViews();
        return true;
    }

    ClipView* clipView() const { return dynamic_cast<ClipView*>(app->views().slot(ViewSlots::kClip)); }
    TimeView* timeView() const { return dynamic_cast<TimeView*>(app->views().slot(ViewSlots::kTime)); }
    TempoView* tempoView() const { return dynamic_cast<TempoView*>(app->views().slot(ViewSlots::kTempo)); }

    CSongDoc* song = nullptr;
};

TEST_F(TimeViewApp, ViewTimeReplacesTheClipViewInTheEditorPaneAndIsChecked)
{
    startWithClipView();
    ASSERT_NE(clipView(), nullptr);
    ASSERT_TRUE(app->router().update(kIdViewWaveform).enabled);
    EXPECT_FALSE(app->router().update(kIdViewWaveform).checked);
    ASSERT_TRUE(showTimeView());
    SongView* editor = nullptr;
    app->views().currentViews(&editor, nullptr);
    EXPECT_EQ(editor, timeView());
    EXPECT_EQ(clipView(), nullptr);
    EXPECT_EQ(timeView()->paneId(), pane_id::kEditor);
    EXPECT_EQ(timeView()->song(), song);
    EXPECT_TRUE(app->router().update(kIdViewWaveform).checked);
    EXPECT_FALSE(app->router().update(kIdViewClipsAndCues).checked);
}

TEST_F(TimeViewApp, ZoomingTimeHereLeavesTheProgramsZoomAndTheTempoViewAlone)
{
    startWithClipView();
    ASSERT_TRUE(showTimeView());
    ASSERT_NE(tempoView(), nullptr);
    const int programZoom = app->display().timeZoom();
    const int32_t tempoGrid = tempoView()->scale().axis.gridTicks;
    emit timeView()->horizontalBar()->zoomCommand(kIdZoomInTime);
    emit timeView()->horizontalBar()->zoomCommand(kIdZoomInTime);
    EXPECT_EQ(timeView()->zoomIndex(), ClockAxis::kDefaultZoom + 2);
    EXPECT_EQ(app->display().timeZoom(), programZoom);
    EXPECT_EQ(tempoView()->scale().axis.gridTicks, tempoGrid);
    profile.writeInt("DisplayOptions", "XZoom", programZoom);
    // Back to the clip view: the clock-time view goes and writes its zoom.
    ASSERT_TRUE(app->router().execute(kIdViewClipsAndCues));
    ASSERT_TRUE(processUntil([this] { return clipView() != nullptr; }));
    EXPECT_EQ(timeView(), nullptr);
    EXPECT_EQ(readSetting(profile, settings::kDisplayXZoomTime), ClockAxis::kDefaultZoom + 2);
    EXPECT_EQ(readSetting(profile, settings::kDisplayXZoom), programZoom);
}

TEST_F(TimeViewApp, ScrollingTheTrackListsRowsScrollsItsLanes)
{
    startWithClipView();
    ASSERT_TRUE(showTimeView());
    TrackView* tracks = app->trackView();
    ASSERT_EQ(timeView()->lanes().firstRow, 0);
    tracks->setTopRow(7);
    EXPECT_EQ(timeView()->lanes().firstRow, 7);
    tracks->setTopRow(3);
    EXPECT_EQ(timeView()->lanes().firstRow, 3);
}

} // namespace
} // namespace rz
