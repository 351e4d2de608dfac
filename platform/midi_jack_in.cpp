#include "platform/midi_jack_in.h"
#include "core/midi_bytes.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include <jack/midiport.h>

namespace rz {

namespace {

using namespace std::chrono;

int64_t jackMinusSteadyUs()
{
    const int64_t steadyUs = duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<int64_t>(jack_get_time()) - steadyUs;
}

// How often the dispatcher looks for the end without being woken.
constexpr milliseconds kDispatchPoll{100};

} // namespace

JackMidiInDevice::JackMidiInDevice(std::string source, std::string displayName,
                                   MidiDeviceKind kind)
    : m_source(std::move(source)), m_displayName(std::move(displayName)), m_kind(kind)
{
}

JackMidiInDevice::~JackMidiInDevice()
{
    close();
}

bool JackMidiInDevice::open(IMidiInHandler* handler)
{
    close();
    m_lastError.clear();
    if (!handler)
        return failOpen("no handler");
    m_handler = handler;
    m_client = JackMidiClient::acquire();
    if (!m_client)
        return failOpen("no JACK server is running");
    m_port = m_client->registerPort(false);
    if (!m_port)
        return failOpen("cannot register a JACK MIDI port");
    m_ring.drain();
    m_parser.reset();
    m_droppingEvent = false;
    m_jackMinusSteadyUs = jackMinusSteadyUs();
    m_gone.store(false);
    m_started.store(false);
    m_quit.store(false);
    m_resetRequested.store(false);
    m_dispatcher = std::thread([this] { dispatchLoop(); });
    if (!m_client->addUser(this))
        return failOpen("too many JACK MIDI devices are open");
    std::string refused = m_client->connect(m_source, jack_port_name(m_port));
    if (!refused.empty())
        return failOpen(std::move(refused));
    m_open.store(true);
    return true;
}

bool JackMidiInDevice::failOpen(std::string reason)
{
    close();
    m_lastError = std::move(reason);
    return false;
}

bool JackMidiInDevice::start()
{
    if (!isOpen())
        return false;
    m_started.store(true, std::memory_order_release);
    return true;
}

void JackMidiInDevice::stop()
{
    m_started.store(false, std::memory_order_release);
}

void JackMidiInDevice::reset()
{
    m_resetRequested.store(true, std::memory_order_release);
    m_wakeup.post();
}

void JackMidiInDevice::close()
{
    m_open.store(false);
    m_started.store(false);
    if (m_client) {
        m_client->removeUser(this);
        m_client->unregisterPort(m_port);
        m_port = nullptr;
        m_client.reset();
    }
    if (m_dispatcher.joinable()) {
        m_quit.store(true);
        m_wakeup.post();
        m_dispatcher.join();
    }
    m_handler = nullptr;
}

bool JackMidiInDevice::isOpen() const
{
    return m_open.load(std::memory_order_acquire) && !m_gone.load(std::memory_order_acquire);
}

void JackMidiInDevice::serverGone()
{
    m_gone.store(true, std::memory_order_release);
}

void JackMidiInDevice::process(const JackCycle& cycle)
{
    void* buffer = jack_port_get_buffer(m_port, cycle.nframes);
    if (!m_started.load(std::memory_order_acquire))
        return;
    const uint32_t count = jack_midi_get_event_count(buffer);
    bool queued = false;
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0)
            continue;
        const double jackUs = double(cycle.startUsecs) +
                              double(event.time) * 1e6 / double(cycle.sampleRate);
        const int64_t stampNs = std::llround((jackUs - double(m_jackMinusSteadyUs)) * 1000.0);
        queueEvent(event.buffer, event.size, stampNs);
        queued = true;
    }
    if (queued)
        m_wakeup.post();
}

void JackMidiInDevice::queueEvent(const uint8_t* bytes, size_t size, int64_t stampNs)
{
    const size_t slots = (size + kSlotBytes - 1) / kSlotBytes;
    if (!m_ring.hasRoomFor(slots)) {
        m_ring.countDropped();
        return;
    }
    for (size_t offset = 0; offset < size; offset += kSlotBytes) {
        Slot slot;
        slot.stampNs = stampNs;
        slot.first = offset == 0;
        slot.size = static_cast<uint8_t>(std::min(kSlotBytes, size - offset));
        std::copy(bytes + offset, bytes + offset + slot.size, slot.bytes);
        m_ring.push(slot);
    }
}

void JackMidiInDevice::dispatchLoop()
{
    while (!m_quit.load(std::memory_order_acquire)) {
        m_wakeup.waitUntil(steady_clock::now() + kDispatchPoll);
        if (m_resetRequested.exchange(false)) {
            m_ring.drain();
            m_parser.reset();
            m_droppingEvent = false;
        }
        while (const Slot* slot = m_ring.front()) {
            if (m_quit.load(std::memory_order_acquire))
                return;
            dispatchSlot(*slot);
            m_ring.pop();
        }
    }
}

void JackMidiInDevice::dispatchSlot(const Slot& slot)
{
    if (slot.first) {
        // A JACK event is one message; one that does not start with a status
        // byte can only continue a system-exclusive message.
        m_droppingEvent = midi::isDataByte(slot.bytes[0]) && !m_parser.inSysEx();
        if (m_droppingEvent)
            m_statusless.fetch_add(1, std::memory_order_relaxed);
    }
    if (m_droppingEvent || !m_started.load(std::memory_order_acquire))
        return;
    const TickTime stamp{duration_cast<steady_clock::duration>(nanoseconds(slot.stampNs))};
    m_parser.feed(std::span<const uint8_t>(slot.bytes, slot.size), stamp, *m_handler);
}

} // namespace rz
