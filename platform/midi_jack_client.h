#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <jack/jack.h>

namespace rz {

// Our one JACK client's name; the server may add a suffix when it is taken.
inline constexpr const char* kJackClientName = "DEVU Rizoraz";

// The timing of one process cycle, as the process callback sees it.
struct JackCycle {
    jack_nframes_t nframes = 0;
    jack_time_t startUsecs = 0; // JACK time of the cycle's first frame
    float periodUsecs = 0;      // length of one period
    uint32_t sampleRate = 0;    // frames per second
    jack_time_t nextUsecs = 0;  // JACK time of the next cycle's first frame
    jack_nframes_t firstFrame = 0; // the server's frame count at the cycle's start
    bool framed = false;           // firstFrame could be read
};

// A device whose port the process callback serves.
class JackPortUser {
public:
    virtual ~JackPortUser() = default;
    // Runs on the JACK process thread; never waits.
    virtual void process(const JackCycle& cycle) = 0;
    // The server shut down. Runs on a JACK thread; never waits.
    virtual void serverGone() = 0;
    // The server's period changed to `frames`. Runs on a JACK thread while no
    // process cycle runs, so buffers are re-allocated here, never in process().
    virtual void bufferSizeChanged(jack_nframes_t frames) { (void)frames; }
};

// Told when another client registers or unregisters a port.
class JackPortListener {
public:
    virtual ~JackPortListener() = default;
    // Runs on a JACK notification thread; never waits.
    virtual void portsChanged() = 0;
};

struct JackMidiPortInfo {
    std::string name; // "client:port"
    bool physical = false;
};

// The program's one JACK client, shared by enumeration and every JACK
// device. It never starts a server and follows JACK_DEFAULT_SERVER. When the
// server goes away the client is marked gone for good and kept, unfreed, for
// libjack's late calls; the next acquire() opens a fresh one. Callable from
// any thread except the process callback.
class JackMidiClient : public std::enable_shared_from_this<JackMidiClient> {
public:
    // The live client, opened on first use; null when no server answers.
    static std::shared_ptr<JackMidiClient> acquire();
    ~JackMidiClient();
    JackMidiClient(const JackMidiClient&) = delete;
    JackMidiClient& operator=(const JackMidiClient&) = delete;

    // MIDI ports of other clients: the ones we can send to (their inputs)
    // when `destinations`, else the ones we can read from.
    std::vector<JackMidiPortInfo> midiPorts(bool destinations) const;
    // The same for audio ports.
    std::vector<JackMidiPortInfo> audioPorts(bool destinations) const;

    // Registers a MIDI port of ours with a unique short name; null on failure.
    jack_port_t* registerPort(bool output);
    // Registers an audio port of ours the same way.
    jack_port_t* registerAudioPort(bool output);
    void unregisterPort(jack_port_t* port);
    // Connects two ports by full name; empty on success, else the reason.
    std::string connect(const std::string& source, const std::string& destination);
    // The full names of the ports `port` is connected to.
    std::vector<std::string> connectionsOf(jack_port_t* port) const;

    // From now on the process callback serves `user`; false when full.
    bool addUser(JackPortUser* user);
    // On return neither the process callback nor the shutdown notice runs on
    // `user`, and neither ever will.
    void removeUser(JackPortUser* user);

    // From now on port registrations of other clients reach `listener`;
    // false when full.
    bool addListener(JackPortListener* listener);
    // On return the listener is not being told, and never will be.
    void removeListener(JackPortListener* listener);

    // The server shut down or threw us out.
    bool gone() const { return m_gone.load(std::memory_order_acquire); }
    jack_client_t* handle() const { return m_client; }
    uint32_t sampleRate() const { return m_sampleRate; }
    // Frames per period, as the server last said.
    uint32_t bufferSize() const { return m_bufferSize.load(std::memory_order_acquire); }
    // Process cycles run so far; changes every period while the server runs.
    uint64_t cycleCount() const { return m_cycles.load(std::memory_order_acquire); }

private:
    static constexpr size_t kMaxUsers = 64;

    explicit JackMidiClient(jack_client_t* client);
    bool activate();
    static int processThunk(jack_nframes_t nframes, void* self);
    static void shutdownThunk(jack_status_t code, const char* reason, void* self);
    static int bufferSizeThunk(jack_nframes_t frames, void* self);
    static void portRegistrationThunk(jack_port_id_t port, int registered, void* self);
    std::vector<JackMidiPortInfo> ports(const char* type, bool destinations) const;
    jack_port_t* registerTyped(const char* type, const char* prefix, bool output);
    void processCycle(jack_nframes_t nframes);

    jack_client_t* m_client;
    uint32_t m_sampleRate = 0;
    std::atomic<uint32_t> m_bufferSize{0};
    std::array<std::atomic<JackPortUser*>, kMaxUsers> m_users{};
    std::atomic<bool> m_inProcess{false};
    static constexpr size_t kMaxListeners = 8;
    std::array<std::atomic<JackPortListener*>, kMaxListeners> m_listeners{};
    std::atomic<int> m_inNotice{0}; // port-registration notices running
    std::atomic<uint64_t> m_cycles{0};
    std::atomic<bool> m_gone{false};
    std::mutex m_registry; // serialises port registration and user changes
    uint32_t m_nextPortNumber = 1;
    std::atomic<bool> m_clockUnread{false}; // a cycle fell back to now
    std::atomic<bool> m_toldClockUnread{false};
};

} // namespace rz
