#include "engine/sequencer.h"

#include "engine/audio/wave_disk_writer.h"

#include <algorithm>

namespace rz {

CSequencer::CSequencer(const SequencerServices& services, SequencerOptions options)
    : m_services(services), m_options(options)
{
    m_audio.clipPlayList.reserve(16);
    m_audio.clipTrackList.reserve(16);
}

CSequencer::~CSequencer()
{
    Shutdown();
}

void CSequencer::setTempoMultiplier(int32_t multiplier)
{
    m_transport.tempoMultiplier.store(std::clamp(multiplier, kMinMultiplier, kMaxMultiplier),
                                      std::memory_order_release);
}

void CSequencer::setPreviewVelocity(int velocity)
{
    m_io.previewVelocity.store(std::clamp(velocity, 0, 127), std::memory_order_release);
}

void CSequencer::setKeyMaps(const KeyMap& entries)
{
    std::vector<KeyMap> perInput(m_io.inputs.size());
    for (uint32_t entry : entries) {
        const size_t input = size_t(keyMapInput(entry));
        if (input < perInput.size())
            perInput[input].push_back(entry);
    }
    for (size_t i = 0; i < m_io.inputs.size(); ++i)
        m_io.inputs[i]->setKeyMap(std::move(perInput[i]));
}

} // namespace rz
