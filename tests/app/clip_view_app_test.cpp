#include "tests/app/app_test_fixture.h"

#include "app/main_frame.h"
#include "app/menu_bar.h"
#include "res/command_ids.h"
#include "res/main_menu.h"
#include "song/describe_song.h"
#include "song/selection.h"
#include "tests/song/song_builder.h"
#include "ui/command_router.h"
#include "ui/zoom_scroll_bar.h"
#include "views/clip/clip_view.h"
#include "views/pane_view.h"
#include "views/track/track_view.h"

#include <QMenu>

namespace rz {
namespace {

// The real clip view, noting what the song looked like each time its worker
// was stopped.
class NotingClipView : public ClipView {
public:
    using ClipView::ClipView;
    std::vector<std::string> songAtStops;
    void stopOverviewWorker() override
    {
        if (song())
            songAtStops.push_back(DescribeSong(*song()));
        ClipView::stopOverviewWorker();
    }
};

// The application with the real track list and clip view, wired as the
// program wires them, and a current song of 40 tracks, 100 measures long.
class ClipViewApp : public AppFixture {
protected:
    void startWithClipView()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            TrackViewContext context = app->trackViewContext();
            followTrackList(context, [this] { return clipView(); });
            return new TrackView(context, request.topLevel, request.parent);
        });
        viewFactory.registerView(ViewKind::Clip, [this](const ViewRequest& request) -> SongView* {
            ClipViewContext context;
            context.sink = [this](CommandId id) { return app->router().execute(id); };
            context.audioEffects = [this] {
                return audioEffectNames(app->frame()->menuBar()->subMenu("&Edit", kAudioEffectMenu));
            };
            return new NotingClipView(context, request.parent);
        });
        start();
        song = &addSong("A");
        for (int i = 0; i < 40; ++i)
            test::addUserTrack(*song).events = {test::note(i * 10, 60, 90, 40)};
        song->endTick = 100 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        app->SetCurrentSong(song);
        clipView()->resize(600, 300);
        app->trackView()->resize(400, 300);
        song->UpdateViews();
    }

    NotingClipView* clipView() const { return dynamic_cast<NotingClipView*>(app->views().slot(ViewSlots::kClip)); }

    CSongDoc* song = nullptr;
};

TEST_F(ClipViewApp, AtStartTheEditorPaneHoldsTheClipViewAndItsItemIsChecked)
{
    startWithClipView();
    ASSERT_NE(clipView(), nullptr);
    SongView* editor = nullptr;
    app->views().currentViews(&editor, nullptr);
    EXPECT_EQ(editor, clipView());
    EXPECT_EQ(clipView()->paneId(), pane_id::kEditor);
    EXPECT_EQ(clipView()->song(), song);
    const CmdUi ui = app->router().update(kIdViewClipsAndCues);
    EXPECT_TRUE(ui.enabled);
    EXPECT_TRUE(ui.checked);
}

TEST_F(ClipViewApp, ScrollingTheTrackListScrollsTheClipViewWhoseBarStandsInForTheList)
{
    startWithClipView();
    TrackView* tracks = dynamic_cast<TrackView*>(app->trackView());
    ASSERT_NE(tracks, nullptr);
    ASSERT_EQ(clipView()->lanes().firstRow, 0);
    tracks->setTopRow(7);
    EXPECT_EQ(clipView()->lanes().firstRow, 7);
    tracks->setTopRow(3);
    EXPECT_EQ(clipView()->lanes().firstRow, 3);
    const auto bars = tracks->findChildren<ZoomScrollBar*>();
    const bool verticalHidden = std::any_of(bars.begin(), bars.end(), [](ZoomScrollBar* bar) {
        return bar->geometry().height() > bar->geometry().width() && bar->isHidden();
    });
    EXPECT_TRUE(verticalHidden);
}

TEST_F(ClipViewApp, TheClipMenuListsTheProgramsAudioEffects)
{
    startWithClipView();
    QMenu* effects = app->frame()->menuBar()->subMenu("&Edit", kAudioEffectMenu);
    ASSERT_NE(effects, nullptr);
    effects->insertAction(effects->actions().value(0), new QAction("&1 Echo", effects));
    song->selectionKind = kSelectAudioClip;
    QMenu* menu = clipView()->contextMenuAt(QPoint(10, 100));
    ASSERT_NE(menu, nullptr);
    ASSERT_FALSE(menu->actions().isEmpty());
    QMenu* sub = menu->actions().front()->menu();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->title(), "Audio effect");
    QStringList texts;
    for (QAction* action : sub->actions())
        texts << action->text();
    EXPECT_EQ(texts, (QStringList{"&1 Echo", "More..."}));
    song->selectionKind = 0;
    menu = clipView()->contextMenuAt(QPoint(10, 100));
    EXPECT_EQ(menu->actions().front()->text(), "Insert Cue...");
}

TEST_F(ClipViewApp, EditUndoStopsTheWorkerBeforeTheSongChanges)
{
    startWithClipView();
    const std::string before = DescribeSong(*song);
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackList;
    record->label = "Delete Tracks";
    record->tracks = std::make_unique<CTrackList>();
    record->tracks->sourceRows = {1};
    auto& stops = clipView()->songAtStops;
    stops.clear();
    ASSERT_EQ(song->ApplyEdit(std::move(record)), ApplyResult::Applied);
    ASSERT_FALSE(stops.empty());
    EXPECT_TRUE(stops.front() == before) << "stopped only after the delete";
    const std::string afterDelete = DescribeSong(*song);
    stops.clear();
    ASSERT_TRUE(app->router().execute(kIdEditUndo));
    ASSERT_FALSE(stops.empty());
    EXPECT_TRUE(stops.front() == afterDelete) << "stopped only after the undo";
    EXPECT_EQ(song->tracks.size(), 42u);
    EXPECT_TRUE(clipView()->workerRunning());
}

} // namespace
} // namespace rz
