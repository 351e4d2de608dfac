// The current song and the one set of views that moves from song to song:
// detach and attach orders, the refresh pass, the initial-update broadcast
// and the torn-off windows' list. GUI thread; every change of attachment
// holds the SongMutex. A wait that times out skips the work and retries it
// 100 ms later: nothing is done without the lock.

#include "app/app.h"

#include "app/main_frame.h"
#include "engine/sequencer.h"
#include "set/set_document.h"
#include "ui/command_router.h"
#include "ui/gui_thread.h"

#include <QTimer>

#include <limits>

namespace rz {
namespace {

constexpr int kRetryMs = 100;

constexpr App::Slot kEditorSlots[] = {App::kClip, App::kEvent, App::kStaff, App::kPiano,
                                      App::kLyric, App::kTime, App::kVelocity};
constexpr App::Slot kControllerSlots[] = {App::kTempo, App::kControl, App::kSlider};

// Detach order; the clip and clock-time views stop their overview worker
// before they let go of the song.
constexpr App::Slot kDetachOrder[] = {App::kClip,   App::kEvent,  App::kStaff, App::kPiano,
                                      App::kTempo,  App::kControl, App::kSlider, App::kLyric,
                                      App::kVelocity, App::kTime,  App::kTrack};
constexpr App::Slot kAttachOrder[] = {App::kTrack, App::kClip,  App::kTempo, App::kControl,
                                      App::kSlider, App::kStaff, App::kPiano, App::kEvent,
                                      App::kLyric, App::kTime,  App::kVelocity};

} // namespace

void App::GetCurrentViews(SongView** editor, SongView** controller) const
{
    if (editor) {
        *editor = nullptr;
        for (Slot s : kEditorSlots)
            if (slot(s)) {
                *editor = slot(s);
                break;
            }
    }
    if (controller) {
        *controller = nullptr;
        for (Slot s : kControllerSlots)
            if (slot(s)) {
                *controller = slot(s);
                break;
            }
    }
}

// The work the lock's time-out skipped runs again shortly; requests that
// gather meanwhile run once.
void App::requestRetry(const char* what)
{
    (void)what;
    if (m_retryPending)
        return;
    m_retryPending = true;
    QTimer::singleShot(kRetryMs, this, [this] {
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
            detachAll(*old);
        if (song) {
            attachAll(*song);
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
    transportChanged();
}

void App::detachAll(CSongDoc& song)
{
    for (Slot s : kDetachOrder) {
        SongView* view = slot(s);
        if (!view)
            continue;
        if (s == kClip || s == kTime)
            view->stopOverviewWorker();
        if (view->song() == &song)
            view->detach();
    }
    for (const ExtraWindow& window : m_extraWindows)
        if (window.view && window.view->song() == &song)
            window.view->detach();
    song.FreeTrackCaches();
}

void App::attachAll(CSongDoc& song)
{
    for (Slot s : kAttachOrder)
        if (SongView* view = slot(s))
            view->attach(song);
    for (auto it = m_extraWindows.rbegin(); it != m_extraWindows.rend(); ++it)
        if (it->view)
            it->view->attach(song);
}

void App::BroadcastToViews()
{
    if (SongView* track = slot(kTrack))
        track->initialUpdate();
    SongView* editor = nullptr;
    SongView* controller = nullptr;
    GetCurrentViews(&editor, &controller);
    if (editor)
        editor->initialUpdate();
    if (controller)
        controller->initialUpdate();
    for (const ExtraWindow& window : m_extraWindows)
        if (window.view)
            window.view->initialUpdate();
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
        followPlaybackPass(*this);
    if (SongView* live = slot(kLive))
        live->follow();
}

// The engine's timer grows the measure map while a take runs past its end;
// here the views that show it only repaint.
void App::OnSongChanged()
{
    RZ_ASSERT_GUI_THREAD();
    repaintTransportPanel();
    SongView* controller = nullptr;
    GetCurrentViews(nullptr, &controller);
    if (controller && m_engine->recording())
        controller->update();
}

void App::RemoveWindow(SongView* window)
{
    LockGuard guard(SongMutex(), "RemoveWindow", m_options.lockWait);
    if (!guard)
        return;
    for (auto it = m_extraWindows.rbegin(); it != m_extraWindows.rend(); ++it) {
        if (it->view == window) {
            m_extraWindows.erase(std::next(it).base());
            break;
        }
    }
    if (auto* target = dynamic_cast<CommandTarget*>(window))
        m_router->clearFocusedTopLevel(target);
}

void App::updateSongViews(CSongDoc& song, const void* senderView, uint32_t hint)
{
    for (const auto& view : m_slots)
        if (view && view->song() == &song && view.data() != senderView)
            view->songUpdate(hint);
    for (const ExtraWindow& window : m_extraWindows)
        if (window.view && window.view->song() == &song && window.view.data() != senderView)
            window.view->songUpdate(hint);
}

void App::stopOverviewWorkers()
{
    for (Slot s : {kClip, kTime})
        if (SongView* view = slot(s))
            view->stopOverviewWorker();
}

void App::raiseTornOffWindows()
{
    for (const ExtraWindow& window : m_extraWindows)
        if (window.view)
            window.view->raise();
}

// At close: the pane views, the track view and every torn-off window from
// the last to the first; the set tree goes with the frame.
void App::destroyViews()
{
    {
        LockGuard guard(SongMutex(), "destroyViews", m_options.lockWait);
        if (m_currentSong)
            detachAll(*m_currentSong);
    }
    for (size_t s = 0; s < m_slots.size(); ++s) {
        if (s != kLive)
            delete m_slots[s].data();
        m_slots[s] = nullptr;
    }
    while (!m_extraWindows.empty()) {
        const QPointer<SongView> view = m_extraWindows.back().view;
        m_extraWindows.pop_back();
        delete view.data();
    }
    m_router->setActiveView(nullptr);
    m_router->setFocusedTopLevel(nullptr);
}

void App::repaintClipView()
{
    if (SongView* clips = slot(kClip))
        clips->update();
}

// The lane views read the frame's tools at each press; without a frame the
// defaults hold.
EditTools App::editTools() const
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
