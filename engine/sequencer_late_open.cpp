// The ports that open after start-up (the built-in synthesizer), and the
// tracks linked again once they have. GUI thread.
#include "engine/sequencer.h"

#include "engine/gui_posts.h"

#include <algorithm>
#include <utility>

namespace rz {

void CSequencer::keepForLateOpen(std::vector<std::shared_ptr<COutPort>> late)
{
    if (late.empty())
        return;
    m_latePorts = std::move(late);
    m_portsLoading.store(true, std::memory_order_release);
}

void CSequencer::openLatePorts()
{
    if (m_latePorts.empty() || shuttingDown())
        return;
    m_lateOpen = std::make_unique<LatePortOpen>(
        m_services.gui, std::exchange(m_latePorts, {}),
        [this](std::vector<LatePortOpen::Result> results) { lateOpenDone(std::move(results)); });
}

// A port the Ports dialog dropped meanwhile is closed again. The songs' ports
// get their resets and the current song its chase, as after a port change,
// unless the transport runs already.
void CSequencer::lateOpenDone(std::vector<LatePortOpen::Result> results)
{
    m_lateOpen.reset();
    const std::shared_ptr<const SequencerPorts> table = ports();
    for (const LatePortOpen::Result& result : results) {
        const bool listed = std::find(table->outputs.begin(), table->outputs.end(), result.port)
                            != table->outputs.end();
        if (!listed)
            result.port->Close();
        else if (!result.opened)
            reportOpenFailure(result.port->name(), result.error);
    }
    m_portsLoading.store(false, std::memory_order_release);
    relinkAllSongTracks();
    if (transportState() == TransportState::Stopped)
        ReapplyPortSettings();
    if (m_portsReady)
        m_portsReady();
}

void CSequencer::relinkAllSongTracks()
{
    m_services.toGui.UpdateTrackSynths();
    relinkCurrentSongTracks();
}

} // namespace rz
