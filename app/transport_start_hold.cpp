// A start pressed while the built-in synthesizer still loads its SoundFont
// waits for it, so the song's first notes are not lost. GUI thread.
#include "app/transport_commands.h"

#include "core/engine_link.h"
#include "res/command_ids.h"

namespace rz {

namespace {

constexpr const char* kWaitingForSoundFont =
    "Loading the built-in synthesizer's SoundFont; the song starts as soon as it is ready.";

} // namespace

bool TransportCommands::holdStartForPorts(CommandId id)
{
    const bool loading = m_seams.portsLoading && m_seams.portsLoading();
    if (!loading) {
        m_heldStart = 0;
        return false;
    }
    if (id == kIdStop || id == kIdPause || (id == kIdPlayStop && m_heldStart != 0)) {
        m_heldStart = 0; // the wait ends with the start it held
        if (m_seams.statusText)
            m_seams.statusText({});
        return id == kIdPlayStop;
    }
    const bool starts = id == kIdPlay || id == kIdPlayThrough || id == kIdPlayPause
                        || (id == kIdPlayStop && m_seams.advanceCountdown() == 0);
    if (!starts || m_seams.engine().transportState() != TransportState::Stopped)
        return false;
    m_heldStart = id;
    if (m_seams.statusText)
        m_seams.statusText(kWaitingForSoundFont);
    return true;
}

void TransportCommands::portsReady()
{
    const CommandId held = m_heldStart;
    m_heldStart = 0;
    if (held == 0)
        return;
    if (m_seams.statusText)
        m_seams.statusText({});
    onTransport(held);
}

} // namespace rz
