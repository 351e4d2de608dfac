#include "platform/midi_alsa_client.h"

#include "core/log.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace rz {

namespace {

std::mutex g_instanceMutex;
std::weak_ptr<AlsaSeqClient> g_instance;

// Kernel cells for our output; a variable-length event takes one per 28
// bytes, and 2000 is the most a client may have.
constexpr int kOutputPoolCells = 2000;

constexpr unsigned kOutputCaps = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
constexpr unsigned kInputCaps = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;

constexpr const char* kSequencerDevice = "/dev/snd/seq";

std::string alsaReason(const std::string& what, int code)
{
    return what + ": " + snd_strerror(code);
}

} // namespace

std::shared_ptr<AlsaSeqClient> AlsaSeqClient::acquire()
{
    std::lock_guard lock(g_instanceMutex);
    if (std::shared_ptr<AlsaSeqClient> client = g_instance.lock())
        return client;
    // Without the device there is no sequencer; asking alsa-lib anyway
    // would only make it complain on standard error.
    if (access(kSequencerDevice, F_OK) != 0)
        return nullptr;
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0)
        return nullptr;
    snd_seq_set_client_name(seq, "DEVU Rizoraz");
    snd_seq_set_client_pool_output(seq, kOutputPoolCells);
    std::shared_ptr<AlsaSeqClient> client(new AlsaSeqClient(seq));
    g_instance = client;
    return client;
}

AlsaSeqClient::AlsaSeqClient(snd_seq_t* seq) : m_seq(seq), m_clientId(snd_seq_client_id(seq))
{
}

AlsaSeqClient::~AlsaSeqClient()
{
    stopReader();
    snd_seq_close(m_seq);
}

std::vector<AlsaPortInfo> AlsaSeqClient::ports(bool destinations) const
{
    std::lock_guard lock(m_output);
    const unsigned wanted = destinations ? kOutputCaps : kInputCaps;
    std::vector<AlsaPortInfo> ports;
    snd_seq_client_info_t* client;
    snd_seq_port_info_t* port;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(m_seq, client) >= 0) {
        const int id = snd_seq_client_info_get_client(client);
        if (id == SND_SEQ_CLIENT_SYSTEM || id == m_clientId)
            continue;
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(m_seq, port) >= 0) {
            if ((snd_seq_port_info_get_capability(port) & wanted) != wanted)
                continue;
            ports.push_back({snd_seq_port_info_get_name(port), id, snd_seq_port_info_get_port(port),
                             (snd_seq_port_info_get_type(port) & SND_SEQ_PORT_TYPE_HARDWARE) != 0});
        }
    }
    return ports;
}

int AlsaSeqClient::createPort(bool output, std::string& error)
{
    std::lock_guard lock(m_output);
    // Our output port is read by the destination, our input port written by the source.
    const unsigned caps = output ? kInputCaps : kOutputCaps;
    const int port = snd_seq_create_simple_port(m_seq, output ? "out" : "in", caps,
                                                SND_SEQ_PORT_TYPE_MIDI_GENERIC |
                                                    SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0)
        error = alsaReason("cannot create a sequencer port", port);
    return port;
}

void AlsaSeqClient::deletePort(int port)
{
    std::lock_guard lock(m_output);
    if (port >= 0)
        snd_seq_delete_simple_port(m_seq, port);
}

std::string AlsaSeqClient::connectTo(int ourPort, int client, int port)
{
    std::lock_guard lock(m_output);
    const int result = snd_seq_connect_to(m_seq, ourPort, client, port);
    return result < 0 ? alsaReason("cannot subscribe", result) : std::string();
}

std::string AlsaSeqClient::connectFrom(int ourPort, int client, int port)
{
    std::lock_guard lock(m_output);
    const int result = snd_seq_connect_from(m_seq, ourPort, client, port);
    return result < 0 ? alsaReason("cannot subscribe", result) : std::string();
}

int AlsaSeqClient::sendDirect(snd_seq_event_t& event)
{
    std::lock_guard lock(m_output);
    return snd_seq_event_output_direct(m_seq, &event);
}

// A queue on the system timer; its time 0 is placed on the steady clock
// from one reading of its status beside the steady clock.
bool AlsaSeqClient::startQueue()
{
    std::lock_guard lock(m_output);
    const int queue = snd_seq_alloc_named_queue(m_seq, "DEVU Rizoraz output");
    if (queue < 0)
        return false;
    snd_seq_queue_status_t* status = nullptr;
    if (snd_seq_start_queue(m_seq, queue, nullptr) < 0 || snd_seq_drain_output(m_seq) < 0
        || snd_seq_queue_status_malloc(&status) < 0) {
        snd_seq_free_queue(m_seq, queue);
        return false;
    }
    const bool read = snd_seq_get_queue_status(m_seq, queue, status) >= 0;
    const auto steady = std::chrono::steady_clock::now().time_since_epoch();
    if (read) {
        const snd_seq_real_time_t* at = snd_seq_queue_status_get_real_time(status);
        const int64_t queueNs = int64_t(at->tv_sec) * 1'000'000'000 + int64_t(at->tv_nsec);
        m_queueZeroNs = std::chrono::duration_cast<std::chrono::nanoseconds>(steady).count() - queueNs;
        m_queue = queue;
    } else {
        snd_seq_free_queue(m_seq, queue);
    }
    snd_seq_queue_status_free(status);
    return read;
}

bool AlsaSeqClient::prepareOutputQueue()
{
    std::call_once(m_queueMade, [this] {
        if (!startQueue())
            writeLog("ALSA sequencer: no output queue whose clock can be read; events go out at once");
    });
    return m_queue >= 0;
}

void AlsaSeqClient::scheduleAt(snd_seq_event_t& event, int64_t steadyNs)
{
    if (!prepareOutputQueue())
        return;
    const int64_t queueNs = std::max(steadyNs - m_queueZeroNs, int64_t(0));
    snd_seq_real_time_t time{unsigned(queueNs / 1'000'000'000), unsigned(queueNs % 1'000'000'000)};
    snd_seq_ev_schedule_real(&event, m_queue, 0, &time);
}

int AlsaSeqClient::drainOutput()
{
    std::lock_guard lock(m_output);
    return snd_seq_drain_output(m_seq);
}

bool AlsaSeqClient::addSink(int ourPort, AlsaEventSink* sink)
{
    std::lock_guard lock(m_sinksMutex);
    m_sinks[ourPort] = sink;
    if (m_reader.joinable())
        return true;
    m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_stopFd < 0) {
        m_sinks.erase(ourPort);
        return false;
    }
    m_reader = std::thread([this] { readerLoop(); });
    return true;
}

void AlsaSeqClient::removeSink(int ourPort)
{
    bool last = false;
    {
        std::lock_guard lock(m_sinksMutex); // waits for a sink that is running
        m_sinks.erase(ourPort);
        last = m_sinks.empty();
    }
    if (last)
        stopReader();
}

void AlsaSeqClient::stopReader()
{
    if (!m_reader.joinable())
        return;
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(m_stopFd, &one, sizeof one);
    m_reader.join();
    ::close(m_stopFd);
    m_stopFd = -1;
}

void AlsaSeqClient::readerLoop()
{
    const int count = snd_seq_poll_descriptors_count(m_seq, POLLIN);
    std::vector<pollfd> fds(size_t(count) + 1);
    snd_seq_poll_descriptors(m_seq, fds.data(), unsigned(count), POLLIN);
    fds[size_t(count)] = {m_stopFd, POLLIN, 0};
    for (;;) {
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            return;
        if (fds[size_t(count)].revents & POLLIN)
            return;
        readPending();
    }
}

void AlsaSeqClient::readPending()
{
    for (;;) {
        snd_seq_event_t* event = nullptr;
        const int result = snd_seq_event_input(m_seq, &event);
        if (result == -ENOSPC) {
            m_overruns.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        if (result < 0 || !event)
            return;
        std::lock_guard lock(m_sinksMutex);
        const auto sink = m_sinks.find(event->dest.port);
        if (sink != m_sinks.end())
            sink->second->deliver(*event);
    }
}

} // namespace rz
