// The Ports dialog's changes to the engine's ports: instrument ports added
// and removed, and the numbered lists reopened. Every change publishes a new
// port snapshot whole and re-links what holds raw port pointers (the songs'
// tracks, the inputs' thru) before an old port can go. GUI thread.
#include "engine/sequencer.h"

#include "core/profile.h"
#include "engine/gui_posts.h"
#include "engine/instrument_loader.h"
#include "song/song_doc.h"
#include "song/track_ports.h"

#include <algorithm>
#include <cmath>

namespace rz {

namespace {

// The index of the first name equal to `name` ignoring case; -1 when none.
template <class Items, class NameOf>
int indexOfName(const Items& items, const std::string& name, NameOf nameOf)
{
    const std::string key = profileKey(name);
    for (size_t i = 0; i < items.size(); ++i) {
        if (profileKey(nameOf(items[i])) == key)
            return int(i);
    }
    return -1;
}

int indexOfPort(const SequencerPorts& ports, const COutPort* port)
{
    for (size_t i = 0; i < ports.outputs.size(); ++i) {
        if (ports.outputs[i].get() == port)
            return int(i);
    }
    return -1;
}

} // namespace

std::shared_ptr<COutPort> CSequencer::AddInstrumentPort(const std::filesystem::path& library,
                                                        std::string& error)
{
    auto port = std::make_shared<COutPort>(library, m_services.instruments.makeInstrument());
    if (!port->Open()) {
        error = port->openError();
        return nullptr;
    }
    // The chunk the render cuts blocks into; GUI thread, as its writer.
    port->instrument()->resetAudio(double(m_audio.format.sampleRate),
                                   int(m_audio.instrumentChunk));
    LockGuard guard(AudioMutex(), "AddInstrumentPort", m_options.lockWait);
    if (!guard) {
        error = "the audio engine is busy";
        port->Close();
        return nullptr;
    }
    const std::shared_ptr<const SequencerPorts> table = ports();
    const auto loads = std::count_if(table->outputs.begin(), table->outputs.end(),
                                     [&](const std::shared_ptr<COutPort>& other) {
                                         return other->isInstrument() && other->path() == library;
                                     });
    if (loads > 0)
        port->setName(port->name() + " [" + std::to_string(loads + 1) + "]");
    auto next = std::make_shared<SequencerPorts>(*table);
    next->outputs.push_back(port);
    m_io.ports.store(next);
    setRenderInstrumentsLocked(next);
    return port;
}

bool CSequencer::RemoveInstrumentPort(const COutPort& port)
{
    const std::shared_ptr<const SequencerPorts> table = ports();
    const int removed = indexOfPort(*table, &port);
    if (removed < 0 || !port.isInstrument())
        return false;
    Stop(false);
    const std::shared_ptr<COutPort> held = table->outputs[size_t(removed)];
    held->AllNotesOff();
    held->instrument()->showEditor({});
    auto next = std::make_shared<SequencerPorts>(*table);
    next->outputs.erase(next->outputs.begin() + removed);
    for (int& index : next->outputMap) {
        if (index == removed)
            index = -1;
        else if (index > removed)
            --index;
    }
    {
        // The audio block renders under this lock: none is inside the
        // instrument while the list changes and the instrument closes.
        LockGuard guard(AudioMutex(), "RemoveInstrumentPort", m_options.lockWait);
        if (!guard)
            return false;
        m_io.ports.store(next);
        setRenderInstrumentsLocked(next);
    }
    relinkAfterPortChange(*table, *next);
    LockGuard guard(AudioMutex(), "RemoveInstrumentPort", m_options.lockWait);
    if (guard)
        held->Close();
    return true;
}

// A port listed before and after stays open as it is: closing the built-in
// synthesizer would close its audio client, and reopening that can fail.
// Ports no longer listed close; newly listed or closed ones open.
void CSequencer::ReopenPorts(const std::vector<std::string>& outputNames,
                             const std::vector<std::string>& inputNames)
{
    Stop(false);
    const std::shared_ptr<const SequencerPorts> table = ports();
    auto next = std::make_shared<SequencerPorts>();
    next->outputs = table->outputs;
    std::vector<bool> listed(next->outputs.size(), false);
    for (const std::string& name : outputNames) {
        const int index =
            indexOfName(next->outputs, name, [](const auto& port) { return port->name(); });
        next->outputMap.push_back(index);
        if (index >= 0)
            listed[size_t(index)] = true;
    }
    for (size_t i = 0; i < next->outputs.size(); ++i) {
        COutPort& port = *next->outputs[i];
        if (port.isInstrument())
            continue;
        if (!listed[i])
            port.Close();
        else if (!port.isOpen() && !port.Open())
            reportOpenFailure(port.name(), port.openError());
    }
    std::vector<bool> listening(m_io.inputs.size(), false);
    for (const std::string& name : inputNames) {
        const int index =
            indexOfName(m_io.inputs, name, [](const auto& input) { return input->name(); });
        next->inputMap.push_back(index);
        if (index >= 0)
            listening[size_t(index)] = true;
    }
    for (size_t i = 0; i < m_io.inputs.size(); ++i) {
        CMidiIn& input = *m_io.inputs[i];
        if (!listening[i])
            input.Close();
        else if (!input.isOpen() && !input.Open())
            reportOpenFailure(input.name(), input.device().openError());
    }
    m_io.ports.store(next);
    relinkAfterPortChange(*table, *next);
}

// With the AudioMutex held: the audio block renders the instruments of
// `ports` from the next block on, last port first as the audio options
// build the list.
void CSequencer::setRenderInstrumentsLocked(std::shared_ptr<const SequencerPorts> ports)
{
    std::vector<IInstrument*> instruments;
    for (size_t i = ports->outputs.size(); i-- > 0;) {
        if (IInstrument* instrument = ports->outputs[i]->instrument())
            instruments.push_back(instrument);
    }
    m_audio.instruments.swap(instruments);
    m_audio.instrumentPorts = std::move(ports);
}

void CSequencer::relinkAfterPortChange(const SequencerPorts& previous, const SequencerPorts& next)
{
    for (const std::unique_ptr<CMidiIn>& input : m_io.inputs) {
        const int old = input->thruPort();
        if (old < 0 || size_t(old) >= previous.outputs.size())
            continue;
        const int now = indexOfPort(next, previous.outputs[size_t(old)].get());
        if (now >= 0) {
            input->setThruPort(now, next.outputs[size_t(now)].get());
            continue;
        }
        // The dispatch reads the thru port without a lock: the input stops
        // while the port it sends to goes.
        const bool listening = input->isOpen();
        input->Close();
        input->setThruPort(-1, nullptr);
        if (listening && !input->Open())
            reportOpenFailure(input->name(), input->device().openError());
    }
    m_services.toGui.UpdateTrackSynths();
    relinkCurrentSongTracks();
    RebuildThruTracks();
}

// The current song may stand outside the set the posts reach.
void CSequencer::relinkCurrentSongTracks()
{
    LockGuard guard(SongMutex(), "relinkCurrentSongTracks", m_options.lockWait);
    CSongDoc* song = guard ? currentSong() : nullptr;
    if (song == nullptr || song->tracks.size() < 3)
        return;
    for (size_t t = song->tracks.size() - 2; t >= 1; --t)
        LookupPortSynth(*song->tracks[t], m_services.profile, *this, m_services.synths);
}

} // namespace rz
