#include "tests/app/app_test_fixture.h"

#include "res/command_ids.h"
#include "song/track.h"
#include "song/undo_record.h"
#include "ui/command_router.h"
#include "views/track/track_view.h"
#include "tests/song/song_builder.h"
#include "tests/support/scripted_edit_dialogs.h"

namespace rz {
namespace {

// The application with the real track list, active, over a song of four
// tracks with scripted edit dialogs.
class TrackViewEditApp : public AppFixture {
protected:
    void SetUp() override
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        start();
        SongContext context = app->set().songContext();
        context.editDialogs = &dialogs;
        auto made = std::make_unique<CSongDoc>(context);
        made->InitNewSong();
        made->title = "A";
        song = app->set().AddSong(std::move(made));
        for (int i = 1; i <= 4; ++i) {
            CTrack& track = test::addUserTrack(*song);
            track.name = "T" + std::to_string(i);
            track.events = {test::note(480 * i, uint8_t(60 + i), 90, 240)};
        }
        app->SetCurrentSong(song);
        view = app->trackView();
        ASSERT_NE(view, nullptr);
        app->router().setActiveView(view);
    }

    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (size_t row = 1; row + 1 < song->tracks.size(); ++row)
            out.push_back(song->tracks[row]->name);
        return out;
    }

    ScriptedEditDialogs dialogs;
    CSongDoc* song = nullptr;
    TrackView* view = nullptr;
};

TEST_F(TrackViewEditApp, RowCopyThenPasteAddsTheTracksInOneStep)
{
    view->SelectRow(1, true);
    view->SelectRow(3, false);
    view->selection().RefreshSelection();
    ASSERT_TRUE(app->router().execute(kIdEditCopy));
    EXPECT_EQ(names(), (std::vector<std::string>{"T1", "T2", "T3", "T4"}));
    view->SelectRow(2, true);
    view->selection().RefreshSelection();
    ASSERT_TRUE(app->router().update(kIdEditPaste).enabled);
    const size_t steps = song->undoList.size();
    ASSERT_TRUE(app->router().execute(kIdEditPaste));
    EXPECT_EQ(names(), (std::vector<std::string>{"T1", "T1", "T3", "T2", "T3", "T4"}));
    ASSERT_EQ(song->undoList.size(), steps + 1);
    ASSERT_EQ(song->tracks[2]->events.size(), 1u);
    EXPECT_EQ(song->tracks[2]->events[0].tick, 480);
    EXPECT_EQ(song->tracks[3]->events[0].tick, 3 * 480);
    ASSERT_TRUE(song->Undo());
    EXPECT_EQ(names(), (std::vector<std::string>{"T1", "T2", "T3", "T4"}));
}

TEST_F(TrackViewEditApp, DeleteReachesTheTrackView)
{
    view->SelectRow(2, true);
    view->selection().RefreshSelection();
    ASSERT_TRUE(app->router().update(kIdDelete).enabled);
    ASSERT_TRUE(app->router().execute(kIdDelete));
    EXPECT_EQ(names(), (std::vector<std::string>{"T1", "T3", "T4"}));
    EXPECT_EQ(song->undoList.back()->label, "Delete Tracks");
}

TEST_F(TrackViewEditApp, TheSongsPropertiesOnSelectedTracksOpenTheTrackDialog)
{
    view->SelectRow(2, true);
    view->SelectRow(4, false);
    view->selection().RefreshSelection();
    TrackPropsParams answer;
    answer.velocityText = "7";
    dialogs.trackPropertiesAnswer = answer;
    // The song's own Edit > Properties with tracks selected, as when
    // another view is active.
    app->router().setActiveView(nullptr);
    song->OnEditProperties();
    EXPECT_EQ(dialogs.log.count("trackProperties"), 1u);
    EXPECT_EQ(song->tracks[2]->velocityOffset, 7);
    EXPECT_EQ(song->tracks[4]->velocityOffset, 7);
    EXPECT_EQ(song->tracks[3]->velocityOffset, 0);
    EXPECT_EQ(song->undoList.back()->label, "Edit Track Properties");
}

// A click into the list makes it take Delete; leaving it hands the
// commands back.
TEST_F(TrackViewEditApp, TheFocusedListTakesTheMenuCommands)
{
    app->router().setActiveView(nullptr);
    app->frame()->show();
    app->frame()->activateWindow();
    view->SelectRow(3, true);
    view->selection().RefreshSelection();
    view->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(processUntil([this] { return app->router().activeView() == view; }));
    ASSERT_TRUE(app->router().execute(kIdDelete));
    EXPECT_EQ(names(), (std::vector<std::string>{"T1", "T2", "T4"}));
    view->clearFocus();
    EXPECT_TRUE(processUntil([this] { return app->router().activeView() != view; }));
}

} // namespace
} // namespace rz
