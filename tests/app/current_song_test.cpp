#include "app_test_fixture.h"

#include "core/locks.h"

#include <future>
#include <thread>

namespace rz {
namespace {

class CurrentSong : public AppFixture {
protected:
    // A track view, a clip editor, a tempo controller, and torn off: a lyric
    // window then a staff window.
    void startWithViews()
    {
        registerView(ViewKind::Track, "track");
        registerView(ViewKind::Clip, "clip");
        registerView(ViewKind::Tempo, "tempo");
        registerView(ViewKind::Lyric, "lyric");
        registerView(ViewKind::Staff, "staff");
        start();
        a = &addSong("A");
        b = &addSong("B");
        app->SetCurrentSong(a);
        for (int id : {1, 10, 25, 20})
            app->frame()->timers().fire(id);
        ASSERT_EQ(app->views().extraWindows().size(), 2u);
        log.clear();
    }

    std::vector<SongView*> allViews() const
    {
        std::vector<SongView*> views;
        for (int s = 0; s < ViewSlots::kSlotCount; ++s)
            if (SongView* view = app->views().slot(ViewSlots::Slot(s)))
                views.push_back(view);
        for (const auto& window : app->views().extraWindows())
            views.push_back(window.view);
        return views;
    }

    CSongDoc* a = nullptr;
    CSongDoc* b = nullptr;
};

TEST_F(CurrentSong, SwitchingSongsMovesEveryViewTrackViewFirstExtraWindowsReversed)
{
    startWithViews();
    app->SetCurrentSong(b);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "detach clip", "detach tempo", "detach track", "detach lyric",
                       "detach staff", "attach track B", "attach clip B", "attach tempo B",
                       "attach staff B", "attach lyric B"}));
    for (SongView* view : allViews())
        EXPECT_EQ(view->song(), b);
    EXPECT_EQ(app->currentSong(), b);
    EXPECT_EQ(app->set().current(), b);
    EXPECT_NE(app->frame()->windowTitle().indexOf("[B]"), -1);
}

TEST_F(CurrentSong, NoSongBroadcastsTheInitialUpdateOnceAndNothingTwice)
{
    startWithViews();
    engine.log.clear();
    app->SetCurrentSong(nullptr);
    for (SongView* view : allViews())
        EXPECT_EQ(view->song(), nullptr);
    for (const char* name : {"track", "clip", "tempo", "lyric", "staff"})
        EXPECT_EQ(std::count(log.begin(), log.end(), std::string("initial ") + name), 1) << name;
    EXPECT_EQ(engine.log.count("RebuildThruTracks"), 1u);

    log.clear();
    engine.log.clear();
    app->SetCurrentSong(nullptr);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(engine.log.count("RebuildThruTracks"), 0u);
    EXPECT_EQ(app->frame()->windowTitle(), "DEVU Rizoraz DO4");
}

TEST_F(CurrentSong, RefreshFollowsTheViewsInOrderThenExtraWindowsFromTheLast)
{
    startWithViews();
    app->UpdateAllViews();
    EXPECT_EQ(log, (std::vector<std::string>{"follow tempo", "follow clip", "follow track",
                                             "follow staff", "follow lyric"}));
}

TEST_F(CurrentSong, RemovingAWindowNotInTheListChangesNothing)
{
    startWithViews();
    RecordingView stranger("stranger", log, nullptr);
    app->RemoveWindow(&stranger);
    ASSERT_EQ(app->views().extraWindows().size(), 2u);
    app->RemoveWindow(app->views().extraWindows()[0].view);
    ASSERT_EQ(app->views().extraWindows().size(), 1u);
    EXPECT_EQ(app->views().extraWindows()[0].kind, ViewSlots::kExtraStaff);
}

TEST_F(CurrentSong, ClosingATornOffWindowTakesItOffTheList)
{
    startWithViews();
    app->views().extraWindows()[1].view->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app->views().extraWindows().size(), 1u);
    EXPECT_EQ(app->views().extraWindows()[0].kind, ViewSlots::kExtraLyric);
}

// The engine's timer grows the map while a take runs; a pass of the views
// must not touch it, recording or not.
TEST_F(CurrentSong, ARefreshPassWhileRecordingLeavesTheMeasureMapToTheEngine)
{
    start();
    CSongDoc& song = addSong("A");
    app->SetCurrentSong(&song);
    const MeasureRec last = song.measureMap.back();
    const size_t measures = song.measureMap.size();
    const int32_t end = song.measureMapEnd;
    song.setPosition(last.start + 1);

    for (const bool recording : {false, true}) {
        engine.isRecording = recording;
        app->OnSongChanged();
        EXPECT_EQ(song.measureMap.size(), measures) << recording;
        EXPECT_EQ(song.measureMapEnd, end) << recording;
    }
}

// While another thread holds the song lock the switch waits for it and runs
// once it is free; it never attaches views without the lock.
TEST_F(CurrentSong, ASwitchThatMissesTheLockRunsLaterWithIt)
{
    startWithViews();
    std::promise<void> locked;
    std::promise<void> release;
    std::thread holder([&] {
        LockGuard guard(SongMutex(), "test holder");
        locked.set_value();
        release.get_future().wait();
    });
    locked.get_future().wait();
    app->SetCurrentSong(b);
    EXPECT_EQ(app->currentSong(), a);
    EXPECT_TRUE(log.empty());
    release.set_value();
    holder.join();
    EXPECT_TRUE(processUntil([&] { return app->currentSong() == b; }));
    EXPECT_EQ(log.front(), "detach clip");
    for (SongView* view : allViews())
        EXPECT_EQ(view->song(), b);
}

// A request for the editor view already shown keeps it, attached.
TEST_F(CurrentSong, ARequestForTheShownEditorViewKeepsIt)
{
    startWithViews();
    SongView* before = nullptr;
    app->views().currentViews(&before, nullptr);
    ASSERT_NE(before, nullptr);
    app->frame()->timers().fire(1);
    SongView* after = nullptr;
    app->views().currentViews(&after, nullptr);
    EXPECT_EQ(after, before);
    EXPECT_EQ(created["clip"], 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "destroy clip"), 0);
    EXPECT_EQ(after->song(), a);
}

TEST_F(CurrentSong, AViewRequestReplacesTheEditorViewAndLeavesTheController)
{
    registerView(ViewKind::Time, "time");
    startWithViews();
    app->frame()->timers().fire(7);
    SongView* editor = nullptr;
    SongView* controller = nullptr;
    app->views().currentViews(&editor, &controller);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(static_cast<RecordingView*>(editor)->name(), "time");
    EXPECT_EQ(app->views().slot(ViewSlots::kClip), nullptr);
    EXPECT_EQ(created["clip"], 1); // made at start; the request of timer 1 kept it
    EXPECT_NE(std::find(log.begin(), log.end(), "destroy clip"), log.end());
    EXPECT_EQ(editor->song(), a);
    EXPECT_EQ(static_cast<RecordingView*>(controller)->name(), "tempo");
}

} // namespace
} // namespace rz
