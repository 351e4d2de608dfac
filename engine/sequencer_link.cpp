// What song code asks of the engine.
#include "engine/sequencer.h"

#include "song/audio_clip.h"

#include <algorithm>

namespace rz {

void CSequencer::setTransportState(TransportState state)
{
    LockGuard guard(TransportMutex(), "setTransportState", m_options.lockWait);
    if (guard)
        m_transport.setState(state);
}

int CSequencer::outputMapSize() const
{
    return int(ports()->outputMap.size());
}

int CSequencer::outputMapEntry(int portNumber) const
{
    const std::shared_ptr<const SequencerPorts> table = ports();
    if (portNumber < 0 || size_t(portNumber) >= table->outputMap.size())
        return -1;
    const int index = table->outputMap[size_t(portNumber)];
    return index >= 0 && size_t(index) < table->outputs.size() ? index : -1;
}

// The ports live until Shutdown, which runs after every timer has stopped.
IMidiOut* CSequencer::openOutPort(int index)
{
    const std::shared_ptr<const SequencerPorts> table = ports();
    if (index < 0 || size_t(index) >= table->outputs.size())
        return nullptr;
    return table->outputs[size_t(index)].get();
}

int CSequencer::outPortCount() const
{
    return int(ports()->outputs.size());
}

const CCue* CSequencer::activeVamp() const
{
    return m_transport.vamp.load(std::memory_order_acquire);
}

int CSequencer::vampRepetitionsLeft() const
{
    return m_transport.vampRepetitionsLeft.load(std::memory_order_acquire);
}

NextStop CSequencer::nextStop() const
{
    return m_transport.nextStop();
}

void CSequencer::setNextStop(const NextStop& stop)
{
    NextStop kept = stop;
    holdJumpInOuterVamp(kept);
    keepHeldJumpAhead(kept);
    m_transport.setNextStop(kept);
}

// Every open instrument port of that name takes the state.
void CSequencer::setInstrumentState(std::string_view instrumentName,
                                    std::span<const uint8_t> state)
{
    for (const std::shared_ptr<COutPort>& port : ports()->outputs) {
        if (port->isInstrument() && port->isOpen() && port->name() == instrumentName)
            port->instrument()->setChunk(state);
    }
}

void CSequencer::clearClipPlayLists()
{
    m_audio.clipPlayList.clear();
    m_audio.clipTrackList.clear();
}

bool CSequencer::clipInPlayList(const CAudioClip& clip) const
{
    return std::find(m_audio.clipPlayList.begin(), m_audio.clipPlayList.end(), &clip) != m_audio.clipPlayList.end();
}

void CSequencer::appendClipToPlayLists(CAudioClip& clip, CTrack& track)
{
    m_audio.clipPlayList.push_back(&clip);
    m_audio.clipTrackList.push_back(&track);
}

void CSequencer::reserveClipPlayLists(size_t clips)
{
    LockGuard guard(AudioMutex(), "reserveClipPlayLists", m_options.lockWait);
    if (!guard)
        return;
    m_audio.clipPlayList.reserve(clips);
    m_audio.clipTrackList.reserve(clips);
}

void CSequencer::clipTimeToSample(CAudioClip& clip, double time)
{
    m_services.audio.clipTimeToSample(clip, time);
}

} // namespace rz
