#include "platform/midi_jack_client.h"

#include "core/log.h"
#include "platform/midi_output_latency.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <jack/midiport.h>

namespace rz {

namespace {

// The engine's output latency follows the server's period.
void tellOutputPeriod(jack_nframes_t frames, uint32_t sampleRate)
{
    if (sampleRate > 0)
        setMidiOutputPeriod(std::chrono::microseconds(int64_t(frames) * 1000000 / sampleRate));
}

std::mutex g_instanceMutex;
std::weak_ptr<JackMidiClient> g_instance;

// Only while probing for a server: libjack reports a missing server as an
// error, but for us no server is simply no JACK ports.
std::atomic<int> g_quietJackErrors{0};

void jackError(const char* message)
{
    if (g_quietJackErrors.load(std::memory_order_relaxed) == 0)
        writeLog(std::string("JACK: ") + message);
}

// An open the caller no longer waits for, or its result.
struct PendingOpen {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    jack_client_t* client = nullptr;
};

// Clients whose server died. libjack's threads may still call into a dead
// client (a notice already read from its socket), so such a client lives as
// long as the process does; deliberately never freed.
std::mutex g_deadMutex;
std::vector<std::shared_ptr<JackMidiClient>>& deadClients()
{
    static auto* dead = new std::vector<std::shared_ptr<JackMidiClient>>;
    return *dead;
}

// A process cycle or notice that began on a dead client before it was known
// dead may still be running; a new client opened meanwhile lets libjack free
// what a notice reads, and a user or listener freed meanwhile is used after
// it. Such a callback gets this long to end.
constexpr auto kDeadCallbackWait = std::chrono::milliseconds(100);

// After a server died, libjack can keep a lock that its own ended thread
// held, and every later open waits on it forever. So the open runs on a
// thread of its own and the caller waits at most this long; a late client
// is closed by that thread.
constexpr auto kOpenDeadline = std::chrono::seconds(10);

jack_client_t* openClientQuietly()
{
    jack_set_error_function(jackError);
    jack_set_info_function([](const char*) {});
    auto pending = std::make_shared<PendingOpen>();
    g_quietJackErrors.fetch_add(1);
    std::thread([pending] {
        jack_status_t status{};
        jack_client_t* client = jack_client_open(kJackClientName, JackNoStartServer, &status);
        std::unique_lock lock(pending->mutex);
        if (pending->abandoned) {
            lock.unlock();
            if (client)
                jack_client_close(client);
            return;
        }
        pending->client = client;
        pending->finished = true;
        pending->done.notify_one();
    }).detach();
    std::unique_lock lock(pending->mutex);
    const bool finished = pending->done.wait_for(lock, kOpenDeadline, [&] { return pending->finished; });
    g_quietJackErrors.fetch_sub(1);
    if (!finished) {
        pending->abandoned = true;
        writeLog("JACK: opening a client did not finish; JACK is taken as not running");
        return nullptr;
    }
    return pending->client;
}

} // namespace

std::shared_ptr<JackMidiClient> JackMidiClient::acquire()
{
    std::lock_guard lock(g_instanceMutex);
    std::shared_ptr<JackMidiClient> client = g_instance.lock();
    if (client && !client->m_gone.load()) {
        if (client->m_clockUnread.load(std::memory_order_relaxed)
            && !client->m_toldClockUnread.exchange(true))
            writeLog("JACK: the cycle times cannot be read; messages are placed from now");
        return client;
    }
    if (client) {
        const auto giveUp = std::chrono::steady_clock::now() + kDeadCallbackWait;
        while (client->m_inNotice.load() > 0 && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    jack_client_t* handle = openClientQuietly();
    if (!handle)
        return nullptr;
    client.reset(new JackMidiClient(handle));
    if (!client->activate())
        return nullptr;
    g_instance = client;
    return client;
}

JackMidiClient::JackMidiClient(jack_client_t* client)
    : m_client(client), m_sampleRate(jack_get_sample_rate(client)),
      m_bufferSize(jack_get_buffer_size(client))
{
    tellOutputPeriod(m_bufferSize.load(), m_sampleRate);
}

JackMidiClient::~JackMidiClient()
{
    // Deactivating first ends the process callback before anything it reads goes.
    // After the server died, closing can wait forever on a lock the
    // library's own ended thread held, and closing on another thread races
    // the next client's opening: such a handle is left as it is, one per
    // server that died.
    if (!gone()) {
        jack_deactivate(m_client);
        jack_client_close(m_client);
    }
    setMidiOutputPeriod(std::chrono::microseconds(0));
}

bool JackMidiClient::activate()
{
    jack_set_process_callback(m_client, processThunk, this);
    jack_on_info_shutdown(m_client, shutdownThunk, this);
    jack_set_buffer_size_callback(m_client, bufferSizeThunk, this);
    jack_set_port_registration_callback(m_client, portRegistrationThunk, this);
    return jack_activate(m_client) == 0;
}

int JackMidiClient::processThunk(jack_nframes_t nframes, void* self)
{
    static_cast<JackMidiClient*>(self)->processCycle(nframes);
    return 0;
}

void JackMidiClient::shutdownThunk(jack_status_t, const char*, void* self)
{
    auto* client = static_cast<JackMidiClient*>(self);
    // Sequentially consistent with the notice's check and acquire()'s: a
    // notice either sees the client dead or is waited for.
    client->m_gone.store(true);
    if (std::shared_ptr<JackMidiClient> kept = client->weak_from_this().lock()) {
        std::lock_guard dead(g_deadMutex);
        deadClients().push_back(std::move(kept));
    }
    std::lock_guard lock(client->m_registry);
    for (std::atomic<JackPortUser*>& slot : client->m_users) {
        if (JackPortUser* user = slot.load())
            user->serverGone();
    }
}

int JackMidiClient::bufferSizeThunk(jack_nframes_t frames, void* self)
{
    auto* client = static_cast<JackMidiClient*>(self);
    client->m_bufferSize.store(frames, std::memory_order_release);
    tellOutputPeriod(frames, client->m_sampleRate);
    std::lock_guard lock(client->m_registry);
    for (std::atomic<JackPortUser*>& slot : client->m_users) {
        if (JackPortUser* user = slot.load())
            user->bufferSizeChanged(frames);
    }
    return 0;
}

// Our own ports come and go as the engine opens its devices: only other
// clients' ports are news.
void JackMidiClient::portRegistrationThunk(jack_port_id_t id, int, void* self)
{
    auto* client = static_cast<JackMidiClient*>(self);
    // Sequentially consistent with removeListener(), as the process cycle
    // is with removeUser().
    client->m_inNotice.fetch_add(1);
    if (client->m_gone.load()) {
        // What the notice would read may already be freed.
        client->m_inNotice.fetch_sub(1);
        return;
    }
    jack_port_t* port = jack_port_by_id(client->m_client, id);
    if (!port || !jack_port_is_mine(client->m_client, port)) {
        for (std::atomic<JackPortListener*>& slot : client->m_listeners) {
            if (JackPortListener* listener = slot.load())
                listener->portsChanged();
        }
    }
    client->m_inNotice.fetch_sub(1);
}

void JackMidiClient::processCycle(jack_nframes_t nframes)
{
    // Sequentially consistent with removeUser(): either it sees this cycle
    // running, or this cycle sees the user's slot already empty.
    m_inProcess.store(true);
    JackCycle cycle;
    cycle.nframes = nframes;
    cycle.sampleRate = m_sampleRate;
    jack_nframes_t firstFrame = 0;
    jack_time_t nextUsecs = 0;
    if (jack_get_cycle_times(m_client, &firstFrame, &cycle.startUsecs, &nextUsecs, &cycle.periodUsecs) != 0) {
        // The cycle's times cannot be read: the cycle starts now, and the
        // next user-side call says so once.
        cycle.periodUsecs = m_sampleRate > 0 ? float(nframes) * 1e6f / float(m_sampleRate) : 0.0f;
        cycle.startUsecs = jack_get_time();
        nextUsecs = cycle.startUsecs + jack_time_t(cycle.periodUsecs);
        m_clockUnread.store(true, std::memory_order_relaxed);
    } else {
        cycle.firstFrame = firstFrame;
        cycle.framed = true;
    }
    cycle.nextUsecs = nextUsecs;
    for (std::atomic<JackPortUser*>& slot : m_users) {
        if (JackPortUser* user = slot.load())
            user->process(cycle);
    }
    m_cycles.fetch_add(1);
    m_inProcess.store(false);
}

std::vector<JackMidiPortInfo> JackMidiClient::midiPorts(bool destinations) const
{
    return ports(JACK_DEFAULT_MIDI_TYPE, destinations);
}

std::vector<JackMidiPortInfo> JackMidiClient::audioPorts(bool destinations) const
{
    return ports(JACK_DEFAULT_AUDIO_TYPE, destinations);
}

std::vector<JackMidiPortInfo> JackMidiClient::ports(const char* type, bool destinations) const
{
    std::vector<JackMidiPortInfo> ports;
    const unsigned long flags = destinations ? JackPortIsInput : JackPortIsOutput;
    const char** names = jack_get_ports(m_client, nullptr, type, flags);
    if (!names)
        return ports;
    for (const char** name = names; *name; ++name) {
        jack_port_t* port = jack_port_by_name(m_client, *name);
        if (!port || jack_port_is_mine(m_client, port))
            continue;
        ports.push_back({*name, (jack_port_flags(port) & JackPortIsPhysical) != 0});
    }
    jack_free(names);
    return ports;
}

jack_port_t* JackMidiClient::registerPort(bool output)
{
    return registerTyped(JACK_DEFAULT_MIDI_TYPE, "midi", output);
}

jack_port_t* JackMidiClient::registerAudioPort(bool output)
{
    return registerTyped(JACK_DEFAULT_AUDIO_TYPE, "audio", output);
}

jack_port_t* JackMidiClient::registerTyped(const char* type, const char* prefix, bool output)
{
    std::lock_guard lock(m_registry);
    if (gone())
        return nullptr;
    const std::string name = std::string(prefix) + (output ? "_out_" : "_in_") +
                             std::to_string(m_nextPortNumber++);
    return jack_port_register(m_client, name.c_str(), type,
                              output ? JackPortIsOutput : JackPortIsInput, 0);
}

void JackMidiClient::unregisterPort(jack_port_t* port)
{
    std::lock_guard lock(m_registry);
    if (port && !gone())
        jack_port_unregister(m_client, port);
}

std::string JackMidiClient::connect(const std::string& source, const std::string& destination)
{
    if (gone())
        return "the JACK server has gone";
    const int result = jack_connect(m_client, source.c_str(), destination.c_str());
    if (result == 0 || result == EEXIST)
        return {};
    return "cannot connect " + source + " to " + destination;
}

std::vector<std::string> JackMidiClient::connectionsOf(jack_port_t* port) const
{
    std::vector<std::string> names;
    if (!port || gone())
        return names;
    const char** linked = jack_port_get_all_connections(m_client, port);
    if (!linked)
        return names;
    for (const char** name = linked; *name; ++name)
        names.emplace_back(*name);
    jack_free(linked);
    return names;
}

bool JackMidiClient::addUser(JackPortUser* user)
{
    std::lock_guard lock(m_registry);
    for (std::atomic<JackPortUser*>& slot : m_users) {
        if (!slot.load()) {
            slot.store(user);
            return true;
        }
    }
    return false;
}

void JackMidiClient::removeUser(JackPortUser* user)
{
    std::lock_guard lock(m_registry);
    for (std::atomic<JackPortUser*>& slot : m_users) {
        if (slot.load() == user)
            slot.store(nullptr);
    }
    // A cycle that began before the slot emptied may still hold the user:
    // wait for it to end. A server that has gone runs no more cycles; the
    // one it was in, if any, gets a short while.
    const uint64_t cycle = m_cycles.load();
    const auto giveUp = std::chrono::steady_clock::now() + kDeadCallbackWait;
    while (m_inProcess.load() && m_cycles.load() == cycle &&
           (!gone() || std::chrono::steady_clock::now() < giveUp))
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

bool JackMidiClient::addListener(JackPortListener* listener)
{
    std::lock_guard lock(m_registry);
    for (std::atomic<JackPortListener*>& slot : m_listeners) {
        if (!slot.load()) {
            slot.store(listener);
            return true;
        }
    }
    return false;
}

void JackMidiClient::removeListener(JackPortListener* listener)
{
    std::lock_guard lock(m_registry);
    for (std::atomic<JackPortListener*>& slot : m_listeners) {
        if (slot.load() == listener)
            slot.store(nullptr);
    }
    // A notice that began before the slot emptied may still hold the
    // listener; a listener never waits, so this is short. A gone server
    // sends no more notices; the one under way gets a short while.
    const auto giveUp = std::chrono::steady_clock::now() + kDeadCallbackWait;
    while (m_inNotice.load() > 0 && (!gone() || std::chrono::steady_clock::now() < giveUp))
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

} // namespace rz
