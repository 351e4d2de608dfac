#include "platform/midi_alsa_in.h"

#include <chrono>
#include <utility>

namespace rz {

AlsaMidiInDevice::AlsaMidiInDevice(AlsaPortInfo source, std::string displayName,
                                   MidiDeviceKind kind)
    : m_source(std::move(source)), m_displayName(std::move(displayName)), m_kind(kind)
{
}

AlsaMidiInDevice::~AlsaMidiInDevice()
{
    close();
}

bool AlsaMidiInDevice::open(IMidiInHandler* handler)
{
    close();
    m_lastError.clear();
    if (!handler)
        return failOpen("no handler");
    m_handler = handler;
    m_client = AlsaSeqClient::acquire();
    if (!m_client)
        return failOpen("the ALSA sequencer is not available");
    if (!m_decoder.valid())
        return failOpen("cannot create the MIDI event decoder");
    reset();
    std::string error;
    m_port = m_client->createPort(false, error);
    if (m_port < 0)
        return failOpen(std::move(error));
    if (!m_client->addSink(m_port, this))
        return failOpen("cannot start the MIDI input thread");
    error = m_client->connectFrom(m_port, m_source.client, m_source.port);
    if (!error.empty())
        return failOpen(std::move(error));
    m_open.store(true);
    return true;
}

bool AlsaMidiInDevice::failOpen(std::string reason)
{
    close();
    m_lastError = std::move(reason);
    return false;
}

bool AlsaMidiInDevice::start()
{
    if (!isOpen())
        return false;
    m_started.store(true, std::memory_order_release);
    return true;
}

void AlsaMidiInDevice::stop()
{
    m_started.store(false, std::memory_order_release);
}

void AlsaMidiInDevice::reset()
{
    std::lock_guard lock(m_decoding);
    m_decoder.reset();
    m_parser.reset();
}

void AlsaMidiInDevice::close()
{
    m_open.store(false);
    m_started.store(false);
    if (m_client) {
        if (m_port >= 0) {
            m_client->removeSink(m_port);
            m_client->deletePort(m_port);
        }
        m_client.reset();
    }
    m_port = -1;
    m_handler = nullptr;
}

bool AlsaMidiInDevice::isOpen() const
{
    return m_open.load(std::memory_order_acquire);
}

uint64_t AlsaMidiInDevice::droppedCount() const
{
    return m_client ? m_client->overrunCount() : 0;
}

void AlsaMidiInDevice::deliver(const snd_seq_event_t& event)
{
    if (!m_started.load(std::memory_order_acquire))
        return;
    std::lock_guard lock(m_decoding);
    m_decoder.decode(event, std::chrono::steady_clock::now(), m_parser, *m_handler);
}

} // namespace rz
