#pragma once

// A JACK client for audio tests: records what reaches its two audio inputs
// with the absolute frame of each cycle, and plays a sine on its two audio
// outputs whose value depends only on the absolute frame. It counts the
// cycles it missed (its own stamps jump) and the server's xruns, so that a
// test can tell its own source's hiccup on a busy machine from a fault of
// the code under test. Its process callback never waits for the test's
// thread: on a busy machine a preempted reader holding the lock would make
// it miss its cycle.

#include <atomic>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include <jack/jack.h>

namespace rz {

class JackAudioTestClient {
public:
    static constexpr double kSineHz = 441.0;
    static constexpr float kSineLevel = 0.5f;

    explicit JackAudioTestClient(const char* name = "rz-audio")
    {
        jack_status_t status{};
        m_client = jack_client_open(name, JackNoStartServer, &status);
        if (!m_client)
            return;
        m_in[0] = jack_port_register(m_client, "in_l", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        m_in[1] = jack_port_register(m_client, "in_r", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        m_out[0] = jack_port_register(m_client, "out_l", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        m_out[1] = jack_port_register(m_client, "out_r", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        m_rate = jack_get_sample_rate(m_client);
        jack_set_process_callback(m_client, &JackAudioTestClient::processThunk, this);
        jack_set_xrun_callback(m_client, &JackAudioTestClient::xrunThunk, this);
        m_active = m_in[0] && m_in[1] && m_out[0] && m_out[1] && jack_activate(m_client) == 0;
    }
    ~JackAudioTestClient()
    {
        if (m_client) {
            if (m_active)
                jack_deactivate(m_client);
            jack_client_close(m_client);
        }
    }
    JackAudioTestClient(const JackAudioTestClient&) = delete;
    JackAudioTestClient& operator=(const JackAudioTestClient&) = delete;

    bool ok() const { return m_active; }
    std::string port(const char* shortName) const
    {
        return std::string(jack_get_client_name(m_client)) + ":" + shortName;
    }
    jack_client_t* handle() const { return m_client; }

    // The sine's value at an absolute frame.
    float sineAt(uint64_t frame) const
    {
        const double phase = double(frame % m_rate) * kSineHz / double(m_rate);
        return float(kSineLevel * std::sin(2.0 * M_PI * phase));
    }
    void setSine(bool on) { m_sine.store(on); }
    // Starts recording afresh; the recording begins at frame `first()`.
    void record()
    {
        std::lock_guard lock(m_mutex);
        m_left.clear();
        m_right.clear();
        m_blocks.clear();
        m_first = 0;
        m_take.fetch_add(1);
    }
    // One recorded cycle: where it starts in the recording, and whether this
    // client missed a cycle or the server reported an xrun since the one
    // recorded before it.
    struct Block {
        size_t offset = 0;
        bool disturbed = false;
    };
    struct Recording {
        uint64_t first = 0; // absolute frame of the first recorded sample
        std::vector<float> left;
        std::vector<float> right;
        std::vector<Block> blocks;
    };
    Recording recording() const
    {
        std::lock_guard lock(m_mutex);
        return {m_first, m_left, m_right, m_blocks};
    }
    // Cycles this client missed plus xruns the server reported, since it
    // started.
    uint64_t disturbances() const { return m_missed.load() + m_xruns.load(); }
    size_t recordedFrames() const
    {
        std::lock_guard lock(m_mutex);
        return m_left.size();
    }

private:
    static int processThunk(jack_nframes_t nframes, void* self)
    {
        static_cast<JackAudioTestClient*>(self)->process(nframes);
        return 0;
    }
    static int xrunThunk(void* self)
    {
        static_cast<JackAudioTestClient*>(self)->m_xruns.fetch_add(1);
        return 0;
    }
    // Test code: growing vectors in the callback are acceptable here, a wait
    // for the test's thread is not.
    void process(jack_nframes_t nframes)
    {
        const uint64_t start = jack_last_frame_time(m_client);
        const auto* inLeft = static_cast<const float*>(jack_port_get_buffer(m_in[0], nframes));
        const auto* inRight = static_cast<const float*>(jack_port_get_buffer(m_in[1], nframes));
        auto* outLeft = static_cast<float*>(jack_port_get_buffer(m_out[0], nframes));
        auto* outRight = static_cast<float*>(jack_port_get_buffer(m_out[1], nframes));
        if (m_cycles > 0 && start != m_lastStart + m_lastFrames)
            m_missed.fetch_add(1);
        ++m_cycles;
        m_lastStart = start;
        m_lastFrames = nframes;
        const bool sine = m_sine.load();
        for (jack_nframes_t i = 0; i < nframes; ++i)
            outLeft[i] = outRight[i] = sine ? sineAt(start + i) : 0.0f;
        const uint64_t take = m_take.load();
        if (take != m_pendingTake) {
            m_pending = {};
            m_pendingTake = take;
        }
        if (take == 0)
            return; // not recording
        if (m_pending.left.empty())
            m_pending.first = start;
        const uint64_t disturbances = m_missed.load() + m_xruns.load();
        m_pending.blocks.push_back({m_pending.left.size(), disturbances != m_disturbancesAtLastBlock});
        m_disturbancesAtLastBlock = disturbances;
        m_pending.left.insert(m_pending.left.end(), inLeft, inLeft + nframes);
        m_pending.right.insert(m_pending.right.end(), inRight, inRight + nframes);
        std::unique_lock lock(m_mutex, std::try_to_lock);
        if (!lock.owns_lock() || m_take.load() != take)
            return; // a later cycle hands it over
        if (m_left.empty())
            m_first = m_pending.first;
        for (Block block : m_pending.blocks) {
            block.offset += m_left.size();
            m_blocks.push_back(block);
        }
        m_left.insert(m_left.end(), m_pending.left.begin(), m_pending.left.end());
        m_right.insert(m_right.end(), m_pending.right.begin(), m_pending.right.end());
        m_pending.left.clear();
        m_pending.right.clear();
        m_pending.blocks.clear();
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_in[2] = {nullptr, nullptr};
    jack_port_t* m_out[2] = {nullptr, nullptr};
    uint32_t m_rate = 44100;
    bool m_active = false;
    mutable std::mutex m_mutex;
    std::atomic<bool> m_sine{false};
    // Counts record() calls; 0 until the first, while nothing is recorded.
    std::atomic<uint64_t> m_take{0};
    uint64_t m_first = 0;
    std::vector<float> m_left;
    std::vector<float> m_right;
    std::vector<Block> m_blocks;
    // The callback's own: what it recorded while the test's thread held the
    // lock, for the take it was recorded in.
    Recording m_pending;
    uint64_t m_pendingTake = 0;
    uint64_t m_cycles = 0;
    uint64_t m_lastStart = 0;
    uint64_t m_lastFrames = 0;
    std::atomic<uint64_t> m_missed{0};
    std::atomic<uint64_t> m_xruns{0};
    uint64_t m_disturbancesAtLastBlock = 0;
};

} // namespace rz
