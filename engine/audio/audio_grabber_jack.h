#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/midi_jack_client.h"
#include "platform/midi_ring.h"

namespace rz {

// Capture from two input ports of our JACK client. The process callback
// converts each period to 16-bit stereo and pushes it into a ring; a helper
// thread of its own hands it on in blocks of a tenth of a second.
class JackCaptureDevice : public JackPortUser {
public:
    // Runs on the helper thread.
    using Deliver = std::function<void(const uint8_t* bytes, size_t size)>;
    using Ended = std::function<void(const std::string& error)>;

    // The pairs of physical capture ports, "a + b", of the server's client.
    static std::vector<std::string> inputPairs(const JackMidiClient& client);

    explicit JackCaptureDevice(std::shared_ptr<JackMidiClient> client) : m_client(std::move(client)) {}
    ~JackCaptureDevice() override;

    // Registers the ports, connects them to the pair named `inputName` (case
    // ignored; the first pair when empty; none when the server has none) and
    // starts. False with the reason.
    bool start(const std::string& inputName, Deliver deliver, Ended ended, std::string& error);
    void stop();
    uint32_t sampleRate() const { return m_client->sampleRate(); }
    std::vector<std::string> portNames() const;

    void process(const JackCycle& cycle) override;
    void serverGone() override;

private:
    static constexpr size_t kBlockFrames = 256;
    struct Block {
        uint32_t frames = 0;
        int16_t samples[2 * kBlockFrames];
    };

    void run();
    bool connectPair(const std::string& inputName, std::string& error);

    std::shared_ptr<JackMidiClient> m_client;
    jack_port_t* m_ports[2] = {nullptr, nullptr};
    bool m_added = false;
    SpscRing<Block, 256> m_ring; // about 1.5 s at 44.1 kHz
    Deliver m_deliver;
    Ended m_ended;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_gone{false};
};

} // namespace rz
