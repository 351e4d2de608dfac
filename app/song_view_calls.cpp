// What songs ask of the views. GUI thread.

#include "app/song_view_calls.h"

#include "app/main_frame.h"
#include "app/view_slots.h"
#include "ui/command_router.h"
#include "views/events/event_view.h"
#include "views/song_view.h"
#include "views/view_factory.h"

#include <QApplication>

namespace rz {

void SongViewCalls::updateSongViews(CSongDoc& song, const void* senderView, uint32_t hint)
{
    m_seams.views.updateSongViews(song, senderView, hint);
}

void SongViewCalls::stopOverviewWorkers()
{
    m_seams.views.stopOverviewWorkers();
}

void SongViewCalls::setWaitCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

// The controller pane's view when it is the one in `slot`; else null. Such a
// view stays: the edit that asks for it may come from it, and a new one would
// delete it under its own mouse handler.
SongView* SongViewCalls::shownController(int slot) const
{
    SongView* controller = nullptr;
    m_seams.views.currentViews(nullptr, &controller);
    return controller && controller == m_seams.views.slot(ViewSlots::Slot(slot)) ? controller : nullptr;
}

void SongViewCalls::activateTempoView(CSongDoc&)
{
    if (shownController(ViewSlots::kTempo))
        return; // it was updated with the other views
    if (MainFrame* frame = m_seams.frame())
        frame->timers().fire(int(ViewKind::Tempo));
}

void SongViewCalls::activateEditorView(CSongDoc&)
{
    SongView* editor = nullptr;
    m_seams.views.currentViews(&editor, nullptr);
    m_seams.router().setActiveView(dynamic_cast<CommandTarget*>(editor));
    if (editor)
        editor->setFocus();
}

void SongViewCalls::activateTrackView(CSongDoc&)
{
    SongView* track = m_seams.views.slot(ViewSlots::kTrack);
    m_seams.router().setActiveView(dynamic_cast<CommandTarget*>(track));
    if (track)
        track->setFocus();
}

void SongViewCalls::showControllerView(CSongDoc&, int kind, int controller)
{
    m_seams.views.setController(kind, controller);
    if (SongView* shown = shownController(ViewSlots::kControl)) {
        shown->setControllerChoice(kind, controller);
        return;
    }
    if (MainFrame* frame = m_seams.frame())
        frame->timers().fire(int(ViewKind::Control));
}

ControllerLanes SongViewCalls::controllerLanes(CSongDoc& song)
{
    const SongView* view = m_seams.views.slot(ViewSlots::kControl);
    return view && view->song() == &song ? view->controllerLanes() : ControllerLanes{};
}

void SongViewCalls::clearEventListSelection(CSongDoc& song)
{
    if (auto* list = dynamic_cast<EventView*>(m_seams.views.slot(ViewSlots::kEvent)); list && list->song() == &song)
        list->clearSelection();
}

void SongViewCalls::raiseTornOffWindows()
{
    m_seams.views.raiseTornOffWindows();
}

} // namespace rz
