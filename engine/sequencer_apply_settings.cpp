// Settings changed while the program runs (the Options sheet's OK).

#include "engine/sequencer.h"

namespace rz {

// The timer and input threads read the published value, one whole value per
// tick or message, so they never see half of a change.
void CSequencer::applySettings(const SequencerSettings& settings)
{
    m_liveSettings.store(std::make_shared<const SequencerSettings>(settings));
}

} // namespace rz
