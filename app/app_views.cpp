// The current song and the views that follow it: which song is current, the
// refresh pass, the initial-update broadcast and the torn-off windows' list.
// GUI thread; every change of attachment holds the SongMutex. A wait that
// times out skips the work and retries it 100 ms later: nothing is done
// without the lock.

#include "app/app.h"

#include "app/engine_calls.h"
#include "app/main_frame.h"
#include "engine/sequencer.h"
#include "set/set_document.h"
#include "ui/command_router.h"
#include "ui/gui_thread.h"

#include <QTimer>

namespace rz {

// The work the lock's time-out skipped runs again shortly; requests that
// gather meanwhile run once.
void App::requestRetry(const char* what)
{
    (void)what;
    if (m_retryPending)
        return;
    m_retryPending = true;
    QTimer::singleShot(kLockRetryMs, this, [this] {
        m_retryPending = false;
        if (m_retrySetSong) {
            CSongDoc* song = m_retrySong;
            if (song == nullptr || m_set->contains(song))
                SetCurrentSong(song);
            else
                m_retrySetSong = false;
        }
        if (m_retryUpdate)
            UpdateAllViews();
    });
}

void App::SetCurrentSong(CSongDoc* song)
{
    RZ_ASSERT_GUI_THREAD();
    {
        LockGuard guard(SongMutex(), "SetCurrentSong", m_options.lockWait);
        if (!guard) {
            m_retrySetSong = true;
            m_retrySong = song;
            requestRetry("SetCurrentSong");
            return;
        }
        m_retrySetSong = false;
        CSongDoc* old = m_currentSong;
        if (old)
            m_views.detachAll(*old);
        if (song) {
            m_views.attachAll(*song);
            m_currentSong = song;
            if (m_sequencer)
                m_sequencer->setCurrentSong(song);
            m_set->setCurrent(song);
            m_set->EnforceMaxSetSize(song);
            m_set->UpdateTotals();
        } else if (old) {
            m_currentSong = nullptr;
            if (m_sequencer)
                m_sequencer->setCurrentSong(nullptr);
            m_set->setCurrent(nullptr);
            BroadcastToViews();
        }
    }
    UpdateTitle();
    if (m_frame)
        m_frame->QWidget::update();
    m_engineCalls->transportChanged();
}

void App::BroadcastToViews()
{
    m_views.initialUpdate();
    m_engine->RebuildThruTracks();
}

void App::UpdateAllViews()
{
    RZ_ASSERT_GUI_THREAD();
    LockGuard guard(SongMutex(), "UpdateAllViews", m_options.lockWait);
    if (!guard) {
        m_retryUpdate = true;
        requestRetry("UpdateAllViews");
        return;
    }
    m_retryUpdate = false;
    OnSongChanged();
    if (m_currentSong)
        followPlaybackPass(m_views);
    if (SongView* live = m_views.slot(ViewSlots::kLive))
        live->follow();
}

// The engine's timer grows the measure map while a take runs past its end;
// here the views that show it only repaint.
void App::OnSongChanged()
{
    RZ_ASSERT_GUI_THREAD();
    repaintTransportPanel();
    SongView* controller = nullptr;
    m_views.currentViews(nullptr, &controller);
    if (controller && m_engine->recording())
        controller->update();
}

void App::RemoveWindow(SongView* window)
{
    LockGuard guard(SongMutex(), "RemoveWindow", m_options.lockWait);
    if (!guard)
        return;
    auto& windows = m_views.extraWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (it->view == window) {
            windows.erase(std::next(it).base());
            break;
        }
    }
    if (auto* target = dynamic_cast<CommandTarget*>(window))
        m_router->clearFocusedTopLevel(target);
}

// At close: the pane views, the track view and every torn-off window from
// the last to the first; the set tree goes with the frame.
void App::destroyViews()
{
    {
        LockGuard guard(SongMutex(), "destroyViews", m_options.lockWait);
        if (m_currentSong)
            m_views.detachAll(*m_currentSong);
    }
    m_views.destroyAll();
    m_router->setActiveView(nullptr);
    m_router->setFocusedTopLevel(nullptr);
}

void App::repaintClipView()
{
    if (SongView* clips = m_views.slot(ViewSlots::kClip))
        clips->update();
}

// The lane views read the frame's tools at each press; without a frame the
// defaults hold.
EditTools App::frameTools() const
{
    if (!m_frame)
        return {};
    const StaffToolState& tools = m_frame->staffTools();
    return EditTools{.tool = tools.tool,
                     .line = tools.line,
                     .snap = tools.grid,
                     .gridValue = tools.gridResolution,
                     .noteLength = tools.duration};
}

} // namespace rz
