// What the main frame asks of the program. GUI thread.

#include "app/frame_calls.h"

#include "app/display_options.h"
#include "app/view_slots.h"
#include "core/engine_link.h"
#include "set/set_document.h"
#include "song/song_doc.h"

namespace rz {

bool FrameCalls::stepBeatBack()
{
    CSongDoc* song = m_seams.currentSong();
    if (!song)
        return false;
    song->StepBeatBack();
    return true;
}

bool FrameCalls::stepBeatForward()
{
    CSongDoc* song = m_seams.currentSong();
    if (!song)
        return false;
    song->StepBeatForward();
    return true;
}

void FrameCalls::stopSequencer()
{
    m_seams.engine().Stop(false);
}

bool FrameCalls::setHasFile() const
{
    const SetDocument* set = m_seams.set();
    return set && set->hasFile();
}

bool FrameCalls::saveModifiedSet()
{
    SetDocument* set = m_seams.set();
    return !set || set->SaveModified();
}

void FrameCalls::markSetModified()
{
    if (SetDocument* set = m_seams.set())
        set->setModified();
    m_seams.updateTitle();
}

void FrameCalls::releaseSetView()
{
    delete m_seams.views.slot(ViewSlots::kLive);
    m_seams.views.setSlot(ViewSlots::kLive, nullptr);
}

bool FrameCalls::performanceMode() const
{
    return m_seams.display.performanceMode();
}

} // namespace rz
