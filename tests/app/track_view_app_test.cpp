#include "tests/app/app_test_fixture.h"

#include "res/command_ids.h"
#include "song/track.h"
#include "ui/command_router.h"
#include "views/track/track_view.h"

namespace rz {
namespace {

// The application with the real track list in its pane.
class TrackViewApp : public AppFixture {
protected:
    void startWithTrackView()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        start();
    }

    CSongDoc& songWithTracks(const std::string& title, int count)
    {
        CSongDoc& song = addSong(title);
        for (int i = 0; i < count; ++i)
            song.tracks.insert(song.tracks.end() - 1, std::make_unique<CTrack>());
        return song;
    }
};

TEST_F(TrackViewApp, ASongSeesTheViewsSelectionThroughItsTrackRows)
{
    startWithTrackView();
    CSongDoc& song = songWithTracks("A", 4);
    app->SetCurrentSong(&song);
    TrackView* view = app->trackView();
    ASSERT_NE(view, nullptr);
    ASSERT_NE(song.context().trackRows, nullptr);
    view->SelectRow(2, true);
    view->SelectRow(3, false);
    const ITrackRows& rows = *song.context().trackRows;
    EXPECT_EQ(rows.GetFirstSelected(), 2);
    EXPECT_EQ(rows.GetNextSelected(2), 3);
    EXPECT_TRUE(rows.IsRowSelected(3));
    EXPECT_FALSE(rows.currentRowMode());
    EXPECT_EQ(app->views().trackViewRows()->selectedRows, (std::vector<int>{2, 3}));
}

TEST_F(TrackViewApp, SoloReachesTheTrackViewFromTheApplication)
{
    startWithTrackView();
    CSongDoc& song = songWithTracks("A", 3);
    app->SetCurrentSong(&song);
    app->trackView()->SelectRow(1, true);
    EXPECT_TRUE(app->router().update(kIdSolo).enabled);
    EXPECT_TRUE(app->router().execute(kIdSolo));
    EXPECT_EQ(song.tracks[2]->playEnabled, 0);
    EXPECT_EQ(song.tracks[1]->playEnabled, 1);
    EXPECT_TRUE(app->router().execute(kIdUnsolo));
    EXPECT_EQ(song.tracks[2]->playEnabled, 1);
}

TEST_F(TrackViewApp, PerformanceModeMovesInFirstAndBack)
{
    startWithTrackView();
    app->setPerformanceMode(true);
    EXPECT_EQ(app->trackView()->columns().columnAt(0), kColumnIn);
    app->setPerformanceMode(false);
    EXPECT_EQ(app->trackView()->columns().columnAt(0), kColumnTrack);
}

TEST_F(TrackViewApp, WithoutATrackViewSongsSeeNoRows)
{
    start();
    CSongDoc& song = songWithTracks("A", 2);
    ASSERT_NE(song.context().trackRows, nullptr);
    EXPECT_EQ(song.context().trackRows->GetFirstSelected(), -1);
    EXPECT_EQ(song.context().trackRows->currentRow(), -1);
    EXPECT_FALSE(app->router().update(kIdSolo).enabled);
}

} // namespace
} // namespace rz
