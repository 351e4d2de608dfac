#include "platform/midi_alsa_out.h"

#include "core/midi_bytes.h"
#include "platform/midi_output_latency.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

namespace rz {

namespace {

// What one system-exclusive event may carry: our kernel pool holds 2000
// cells of 28 bytes, and other events need room beside it.
constexpr size_t kMaxSysExEventBytes = 32 * 1024;

} // namespace

AlsaMidiOutDevice::AlsaMidiOutDevice(AlsaPortInfo destination, std::string displayName,
                                     MidiDeviceKind kind)
    : m_destination(std::move(destination)), m_displayName(std::move(displayName)), m_kind(kind)
{
}

AlsaMidiOutDevice::~AlsaMidiOutDevice()
{
    close();
}

bool AlsaMidiOutDevice::open()
{
    close();
    m_lastError.clear();
    m_client = AlsaSeqClient::acquire();
    if (!m_client)
        return failOpen("the ALSA sequencer is not available");
    if (!m_encoder.valid())
        return failOpen("cannot create the MIDI event encoder");
    std::string error;
    m_port = m_client->createPort(true, error);
    if (m_port < 0)
        return failOpen(std::move(error));
    error = m_client->connectTo(m_port, m_destination.client, m_destination.port);
    if (!error.empty())
        return failOpen(std::move(error));
    m_client->prepareOutputQueue();
    m_open.store(true);
    return true;
}

bool AlsaMidiOutDevice::failOpen(std::string reason)
{
    close();
    m_lastError = std::move(reason);
    return false;
}

void AlsaMidiOutDevice::close()
{
    m_open.store(false);
    if (m_client) {
        m_client->deletePort(m_port);
        m_client.reset();
    }
    m_port = -1;
}

bool AlsaMidiOutDevice::isOpen() const
{
    return m_open.load(std::memory_order_acquire);
}

void AlsaMidiOutDevice::address(snd_seq_event_t& event) const
{
    snd_seq_ev_set_source(&event, m_port);
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
}

// Scheduled on the client's queue at the stamp plus the output latency.
void AlsaMidiOutDevice::sendShort(std::span<const uint8_t> bytes, TickTime stamp)
{
    const int64_t due = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            stamp.time_since_epoch() + midiOutputLatency())
                            .count();
    if (!isOpen() || bytes.empty() || bytes.size() > 3 || midi::isDataByte(bytes[0]))
        return;
    std::lock_guard lock(m_encoding);
    m_latestShortDueNs = std::max(m_latestShortDueNs, due);
    m_encoder.reset(); // each message stands alone: no running status across sends
    m_encoder.encode(bytes, [&](const snd_seq_event_t& encoded) {
        snd_seq_event_t event = encoded;
        address(event);
        m_client->scheduleAt(event, due);
        m_client->sendDirect(event);
    });
}

LongSendResult AlsaMidiOutDevice::sendLong(std::span<const uint8_t> bytes,
                                           std::chrono::milliseconds timeout)
{
    if (!isOpen() || bytes.empty() || bytes.size() > maxLongMessageBytes())
        return LongSendResult::Failed;
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    snd_seq_ev_set_sysex(&event, static_cast<unsigned>(bytes.size()),
                         const_cast<uint8_t*>(bytes.data()));
    address(event);
    const int64_t soonest = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                std::chrono::steady_clock::now().time_since_epoch() + midiOutputLatency())
                                .count();
    {
        std::lock_guard lock(m_encoding);
        m_client->scheduleAt(event, std::max(soonest, m_latestShortDueNs));
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const int result = m_client->sendDirect(event);
        if (result >= 0)
            break;
        if (result != -EAGAIN)
            return LongSendResult::Failed;
        if (std::chrono::steady_clock::now() >= deadline)
            return LongSendResult::TimedOut;
        std::this_thread::sleep_for(std::chrono::milliseconds(1)); // the kernel queue is full
    }
    m_client->drainOutput();
    return LongSendResult::Delivered;
}

size_t AlsaMidiOutDevice::maxLongMessageBytes() const
{
    return kMaxSysExEventBytes;
}

} // namespace rz
