#pragma once

#include "platform/audio_renderer.h"
#include "platform/midi_jack_client.h"

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// The low-latency audio device: two output and, when asked, two input audio
// ports of ours on the program's one JACK client. The JACK process callback
// renders each period straight into our output ports; there is no worker
// thread between, which would only add a period. The rate and the period
// are the server's.
class JackAudioDevice final : public JackPortUser {
public:
    // The device rendering through `renderer` from now on, or null with the
    // reason. GUI thread.
    static std::unique_ptr<JackAudioDevice> open(IAudioRenderer& renderer, bool withInput,
                                                 std::string& error);
    // Once it returns the callback no longer renders.
    ~JackAudioDevice() override;
    JackAudioDevice(const JackAudioDevice&) = delete;
    JackAudioDevice& operator=(const JackAudioDevice&) = delete;

    uint32_t sampleRate() const { return m_client->sampleRate(); }
    // Frames per period, as the server last said.
    uint32_t blockFrames() const { return m_blockFrames.load(std::memory_order_acquire); }
    bool gone() const { return m_gone.load(std::memory_order_acquire) || m_client->gone(); }
    bool hasInput() const { return m_inputs[0] != nullptr; }
    // Our ports' full names ("client:port"), left then right.
    std::vector<std::string> portNames(bool outputs) const;

    // Connects our outputs (or inputs) to the other client's audio port
    // named `channel`, case ignored, and the one listed after it; an empty
    // name takes the first two physical ports. Empty on success, else why.
    std::string connectOutputs(std::string_view channel);
    std::string connectInputs(std::string_view channel);

    // The other clients' ports each of ours is connected to: outputs left
    // and right, then inputs left and right.
    using Connections = std::array<std::vector<std::string>, 4>;
    Connections connections() const;
    // Connects ours again as `connections` had them; a port that has gone
    // since is passed over.
    void restoreConnections(const Connections& connections);

    // JackPortUser. JACK threads; never wait.
    void process(const JackCycle& cycle) override;
    void serverGone() override;
    void bufferSizeChanged(jack_nframes_t frames) override;

    // Periods rendered so far. Any thread.
    uint64_t renderedBlocks() const { return m_rendered.load(std::memory_order_relaxed); }
    // Cycles that did not start where the one before ended, so far: we were
    // late, and input of the server's cycles was missed or heard twice. Any
    // thread.
    uint64_t outOfStepCycles() const { return m_outOfStep.load(std::memory_order_relaxed); }

private:
    JackAudioDevice(std::shared_ptr<JackMidiClient> client, IAudioRenderer& renderer);
    std::string connectPair(std::string_view channel, bool outputs);

    std::shared_ptr<JackMidiClient> m_client;
    IAudioRenderer& m_renderer;
    jack_port_t* m_outputs[2] = {nullptr, nullptr};
    jack_port_t* m_inputs[2] = {nullptr, nullptr};
    std::atomic<uint32_t> m_blockFrames{0};
    std::atomic<bool> m_gone{false};
    std::atomic<uint64_t> m_rendered{0};
    std::atomic<uint64_t> m_outOfStep{0};
    // The first frame the next cycle should start at. JACK thread.
    jack_nframes_t m_nextFrame = 0;
    bool m_framed = false;
    bool m_user = false;
};

} // namespace rz
