// Closing the main window: stop, ask the set's save question, and only when
// the user goes on close the audio engines, write the close-time settings
// and hand over to the application's shut-down.

#include "app/main_frame.h"

#include "app/frame_host.h"
#include "core/profile.h"
#include "core/settings.h"
#include "ui/fader_ctrl.h"
#include "views/pane_view.h"

#include <QApplication>
#include <QCloseEvent>

namespace rz {
namespace {

// Restores the cursor however the close ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

// The audio engines close only after the save question: a Cancel leaves the
// program running with its audio as it was. The window is destroyed by the
// application's shut-down, so the event itself is always refused.
void MainFrame::closeEvent(QCloseEvent* event)
{
    event->ignore();
    const WaitCursor wait;
    m_host.stopSequencer();
    if (m_host.hasOpenSet() && !m_host.saveModifiedSet())
        return;
    m_host.closeAudioEngines();
    if (pane(pane_id::kSetTree)) {
        removePane(pane_id::kSetTree);
        m_host.releaseSetView();
    }
    m_host.clearStartupComplete();
    writeCloseSettings();
    m_host.finishClose();
}

void MainFrame::writeCloseSettings()
{
    writeSetting(m_profile, settings::kDefaultsVolume, m_volumeFader->pos());
    if (m_staffTools.noteType >= 0)
        writeSetting(m_profile, settings::kStaffNoteType, m_staffTools.noteType);
    writeSetting(m_profile, settings::kStaffNoteDotted, m_staffTools.dotted ? 1 : 0);
    writeSetting(m_profile, settings::kStaffNoteTriplet, m_staffTools.triplet ? 1 : 0);
    writeSetting(m_profile, settings::kStaffNoteAccidents, m_staffTools.accidentals ? 1 : 0);
}

} // namespace rz
