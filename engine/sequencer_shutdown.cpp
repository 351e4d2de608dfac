#include "engine/sequencer.h"

#include "core/engine_timer.h"

namespace rz {

// The timer, the inputs and the audio devices stop before the refresh pass
// ends, so that no engine or device thread asks a refresh of a pass that is
// gone. GUI thread.
void CSequencer::Shutdown()
{
    m_shuttingDown.store(true, std::memory_order_release);
    m_deviceWatch.reset();
    m_deviceWatchToken.reset();
    m_lateOpen.reset();
    m_latePorts.clear();
    m_portsLoading.store(false, std::memory_order_release);
    if (m_initialised.exchange(false, std::memory_order_acq_rel)) {
        Stop(false);
        m_services.timer.stopAndWait();
        closeInputs();
        CloseAudioEngines();
        m_refresh.reset();
    }
    CloseAudioEngines();
    closeInputs();
    m_io.thru.store(std::make_shared<const ThruTracks>());
    const std::shared_ptr<const SequencerPorts> table =
        m_io.ports.exchange(std::make_shared<const SequencerPorts>());
    for (const std::shared_ptr<COutPort>& port : table->outputs)
        port->Close();
}

void CSequencer::closeInputs()
{
    for (const std::unique_ptr<CMidiIn>& input : m_io.inputs)
        input->Close();
    m_io.inputs.clear();
}

} // namespace rz
