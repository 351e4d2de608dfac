// Settings changed while the program runs (the Options sheet's OK).

#include "engine/sequencer.h"

#include "core/smpte_time.h"
#include "platform/midi_output_latency.h"

namespace rz {

// The timer and input threads read the published value, one whole value per
// tick or message, so they never see half of a change.
void CSequencer::applySettings(const SequencerSettings& settings)
{
    m_liveSettings.store(std::make_shared<const SequencerSettings>(settings));
    applyOutputLatency(settings);
}

// The tick and the follower read the four values together from the one
// published snapshot.
void CSequencer::setSyncOptions(const SyncOptions& sync)
{
    SequencerSettings settings = *liveSettings();
    settings.sync = sync;
    m_liveSettings.store(std::make_shared<const SequencerSettings>(std::move(settings)));
    setDefaultSmpteRate(sync.smpteRate);
}

// One latency for every device, so the ports stay aligned.
void CSequencer::applyOutputLatency(const SequencerSettings& settings)
{
    setMidiOutputLatency(std::chrono::milliseconds(settings.outputLatencyMs));
}

} // namespace rz
