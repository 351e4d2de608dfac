// What the track list reaches of the application. GUI thread.

#include "app/app.h"

#include "app/main_frame.h"
#include "res/command_ids.h"
#include "ui/command_router.h"
#include "views/track/track_view.h"

#include <algorithm>

namespace rz {

TrackViewContext App::trackViewContext()
{
    TrackViewContext context;
    context.profile = m_profile;
    context.host = &m_songHost;
    context.keys = m_keys.get();
    context.router = m_router.get();
    context.setHeaderZoom = [this](int zoom) { m_display.setHeaderZoom(zoom); };
    context.updateAllViews = [this] {
        if (!m_currentSong)
            BroadcastToViews();
        if (m_set)
            m_set->updateSetViews();
    };
    context.repaintEditors = [this] {
        SongView* editor = nullptr;
        SongView* controller = nullptr;
        m_views.currentViews(&editor, &controller);
        for (SongView* view : {editor, controller})
            if (view)
                view->update();
    };
    context.startFrameTimer = [this](int id, int ms) {
        if (m_frame)
            m_frame->timers().start(id, ms);
    };
    context.sendToFrame = [this](CommandId id) { return m_router->execute(id); };
    context.activate = [this](CommandTarget* view, bool focused) {
        SongView* editor = nullptr;
        SongView* controller = nullptr;
        m_views.currentViews(&editor, &controller);
        if (focused) {
            m_router->setActiveView(view);
            return;
        }
        if (m_router->activeView() != view)
            return;
        // Back to the editor view, or the controller view without one.
        SongView* next = editor ? editor : controller;
        m_router->setActiveView(dynamic_cast<CommandTarget*>(next));
    };
    return context;
}

TrackView* App::trackView() const
{
    return dynamic_cast<TrackView*>(m_views.slot(ViewSlots::kTrack));
}

} // namespace rz
