#include "engine/vst_loader.h"

#include "engine/sequencer.h"

namespace rz {

uint32_t SequencerVstHost::msClock() const
{
    const CSequencer* sequencer = m_sequencer.load(std::memory_order_acquire);
    return sequencer ? sequencer->msClock() : 0;
}

const HostTimeInfo& SequencerVstHost::timeInfo() const
{
    const CSequencer* sequencer = m_sequencer.load(std::memory_order_acquire);
    return sequencer ? sequencer->hostTimeInfo() : m_unattached;
}

} // namespace rz
