#pragma once

// A JACK client for tests: records what reaches its MIDI input with the
// absolute frame of each event, sends what a test queues on its MIDI output,
// and can echo its input to its output. Its process callback never waits for
// the test's thread: on a busy machine a preempted reader holding the lock
// would make the callback miss its cycle and lose what the server handed it.
// It counts the cycles it missed and the server's xruns, so that a test can
// tell its own hiccup from a fault of the code under test.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <jack/jack.h>
#include <jack/midiport.h>

namespace rz {

class JackTestClient {
public:
    struct Received {
        std::vector<uint8_t> bytes;
        uint64_t frame = 0; // jack_last_frame_time of its cycle + its offset
        // Its cycle as the server timed it, and its offset in it.
        jack_time_t cycleStartUsecs = 0;
        jack_time_t cycleNextUsecs = 0;
        jack_nframes_t cycleFrames = 0;
        jack_nframes_t offset = 0;

        // The moment it sounds on the JACK clock, through its cycle's times.
        double jackUsecs() const
        {
            const double cycleUs = double(cycleNextUsecs) - double(cycleStartUsecs);
            return double(cycleStartUsecs) + double(offset) * cycleUs / double(cycleFrames);
        }
        // The frame of its cycle that a JACK time maps to, unrounded.
        double frameOf(double jackUs) const
        {
            const double cycleUs = double(cycleNextUsecs) - double(cycleStartUsecs);
            return (jackUs - double(cycleStartUsecs)) * double(cycleFrames) / cycleUs;
        }
    };

    explicit JackTestClient(const char* name = "rz-test")
    {
        jack_status_t status{};
        m_client = jack_client_open(name, JackNoStartServer, &status);
        if (!m_client)
            return;
        m_in = jack_port_register(m_client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        m_out = jack_port_register(m_client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        jack_set_process_callback(m_client, &JackTestClient::processThunk, this);
        jack_set_xrun_callback(m_client, &JackTestClient::xrunThunk, this);
        m_active = m_in && m_out && jack_activate(m_client) == 0;
    }
    ~JackTestClient()
    {
        if (m_client) {
            if (m_active)
                jack_deactivate(m_client);
            jack_client_close(m_client);
        }
    }
    JackTestClient(const JackTestClient&) = delete;
    JackTestClient& operator=(const JackTestClient&) = delete;

    bool ok() const { return m_active; }
    std::string inPort() const { return m_in ? jack_port_name(m_in) : ""; }
    std::string outPort() const { return m_out ? jack_port_name(m_out) : ""; }
    jack_client_t* handle() const { return m_client; }

    void setEcho(bool echo) { m_echo.store(echo); }
    // Sent as one event in a coming cycle, after the ones queued before it.
    void queue(std::vector<uint8_t> bytes)
    {
        std::lock_guard lock(m_mutex);
        m_outgoing.push_back(std::move(bytes));
    }
    std::vector<Received> received() const
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }
    bool waitForCount(size_t count, std::chrono::milliseconds timeout) const
    {
        std::unique_lock lock(m_mutex);
        return m_arrived.wait_for(lock, timeout, [&] { return m_received.size() >= count; });
    }
    // Cycles this client missed plus xruns the server reported, since it
    // started: what it received may then lack what the server dropped.
    uint64_t disturbances() const { return m_missed.load() + m_xruns.load(); }

private:
    static int processThunk(jack_nframes_t nframes, void* self)
    {
        static_cast<JackTestClient*>(self)->process(nframes);
        return 0;
    }
    static int xrunThunk(void* self)
    {
        static_cast<JackTestClient*>(self)->m_xruns.fetch_add(1);
        return 0;
    }
    // Test code: growing vectors in the callback are acceptable here, a wait
    // for the test's thread is not.
    void process(jack_nframes_t nframes)
    {
        void* in = jack_port_get_buffer(m_in, nframes);
        void* out = jack_port_get_buffer(m_out, nframes);
        jack_midi_clear_buffer(out);
        const jack_nframes_t cycleStart = jack_last_frame_time(m_client);
        if (m_cycles++ > 0 && cycleStart != m_lastStart + m_lastFrames)
            m_missed.fetch_add(1);
        m_lastStart = cycleStart;
        m_lastFrames = nframes;
        jack_nframes_t firstFrame = 0;
        jack_time_t startUsecs = 0;
        jack_time_t nextUsecs = 0;
        float periodUsecs = 0;
        jack_get_cycle_times(m_client, &firstFrame, &startUsecs, &nextUsecs, &periodUsecs);
        const bool echo = m_echo.load();
        const uint32_t count = jack_midi_get_event_count(in);
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, in, i) != 0)
                continue;
            m_pending.push_back({std::vector<uint8_t>(event.buffer, event.buffer + event.size),
                                 uint64_t(cycleStart) + event.time, startUsecs, nextUsecs, nframes,
                                 event.time});
            if (echo)
                jack_midi_event_write(out, event.time, event.buffer, event.size);
        }
        std::unique_lock lock(m_mutex, std::try_to_lock);
        if (!lock.owns_lock())
            return; // a later cycle hands over what came and sends what waits
        while (!m_outgoing.empty()) {
            const std::vector<uint8_t>& bytes = m_outgoing.front();
            if (jack_midi_event_write(out, nframes - 1, bytes.data(), bytes.size()) != 0)
                break;
            m_outgoing.pop_front();
        }
        if (m_pending.empty())
            return;
        m_received.insert(m_received.end(), std::make_move_iterator(m_pending.begin()),
                          std::make_move_iterator(m_pending.end()));
        m_pending.clear();
        lock.unlock();
        m_arrived.notify_all();
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_in = nullptr;
    jack_port_t* m_out = nullptr;
    bool m_active = false;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    std::atomic<bool> m_echo{false};
    std::deque<std::vector<uint8_t>> m_outgoing;
    std::vector<Received> m_received;
    // The callback's own: what came while the test's thread held the lock.
    std::vector<Received> m_pending;
    uint64_t m_cycles = 0;
    uint64_t m_lastStart = 0;
    uint64_t m_lastFrames = 0;
    std::atomic<uint64_t> m_missed{0};
    std::atomic<uint64_t> m_xruns{0};
};

} // namespace rz
