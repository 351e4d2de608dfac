#include "engine/audio/audio_grabber_jack.h"

#include "core/ascii_case.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <system_error>

namespace rz {
namespace {

// How often the helper thread looks into the ring.
constexpr auto kPollInterval = std::chrono::milliseconds(10);

int16_t toSample(float x)
{
    const float clamped = x > 1.0f ? 1.0f : (x < -1.0f ? -1.0f : (x == x ? x : 0.0f));
    return int16_t(clamped * 32767.0f);
}

} // namespace

std::vector<std::string> JackCaptureDevice::inputPairs(const JackMidiClient& client)
{
    std::vector<std::string> physical;
    for (const JackMidiPortInfo& port : client.audioPorts(false))
        if (port.physical)
            physical.push_back(port.name);
    std::vector<std::string> pairs;
    for (size_t i = 0; i < physical.size(); i += 2)
        pairs.push_back(physical[i] + " + " + physical[std::min(i + 1, physical.size() - 1)]);
    return pairs;
}

JackCaptureDevice::~JackCaptureDevice()
{
    stop();
}

bool JackCaptureDevice::start(const std::string& inputName, Deliver deliver, Ended ended, std::string& error)
{
    stop();
    m_deliver = std::move(deliver);
    m_ended = std::move(ended);
    for (jack_port_t*& port : m_ports) {
        port = m_client->registerAudioPort(false);
        if (!port) {
            error = "cannot register a JACK capture port";
            stop();
            return false;
        }
    }
    if (!connectPair(inputName, error)) {
        stop();
        return false;
    }
    m_stop.store(false, std::memory_order_relaxed);
    m_gone.store(false, std::memory_order_relaxed);
    try {
        m_thread = std::thread([this] { run(); });
    } catch (const std::system_error& e) {
        error = std::string("cannot start the capture thread: ") + e.what();
        stop();
        return false;
    }
    m_added = m_client->addUser(this);
    if (!m_added) {
        error = "the JACK client serves too many devices";
        stop();
        return false;
    }
    return true;
}

bool JackCaptureDevice::connectPair(const std::string& inputName, std::string& error)
{
    const std::vector<std::string> pairs = inputPairs(*m_client);
    if (pairs.empty() && inputName.empty())
        return true;
    const auto chosen = inputName.empty() ? pairs.begin()
                                          : std::find_if(pairs.begin(), pairs.end(), [&](const std::string& p) {
                                                return EqualIgnoringAsciiCase(p, inputName);
                                            });
    if (chosen == pairs.end()) {
        error = "JACK has no input \"" + inputName + "\"";
        return false;
    }
    const size_t plus = chosen->find(" + ");
    const std::string sources[2] = {chosen->substr(0, plus), chosen->substr(plus + 3)};
    for (int side = 0; side < 2; ++side) {
        error = m_client->connect(sources[side], jack_port_name(m_ports[side]));
        if (!error.empty())
            return false;
    }
    return true;
}

void JackCaptureDevice::stop()
{
    if (m_added)
        m_client->removeUser(this);
    m_added = false;
    m_stop.store(true, std::memory_order_release);
    if (m_thread.joinable())
        m_thread.join();
    for (jack_port_t*& port : m_ports) {
        if (port && !m_client->gone())
            m_client->unregisterPort(port);
        port = nullptr;
    }
    m_ring.drain();
}

std::vector<std::string> JackCaptureDevice::portNames() const
{
    std::vector<std::string> names;
    for (jack_port_t* port : m_ports)
        if (port)
            names.push_back(jack_port_name(port));
    return names;
}

// Runs on the JACK process thread; never waits.
void JackCaptureDevice::process(const JackCycle& cycle)
{
    const auto* left = static_cast<const float*>(jack_port_get_buffer(m_ports[0], cycle.nframes));
    const auto* right = static_cast<const float*>(jack_port_get_buffer(m_ports[1], cycle.nframes));
    if (!left || !right)
        return;
    for (jack_nframes_t start = 0; start < cycle.nframes; start += kBlockFrames) {
        Block block;
        block.frames = std::min<uint32_t>(kBlockFrames, cycle.nframes - start);
        for (uint32_t i = 0; i < block.frames; ++i) {
            block.samples[2 * i] = toSample(left[start + i]);
            block.samples[2 * i + 1] = toSample(right[start + i]);
        }
        m_ring.push(block);
    }
}

// Runs on a JACK thread; never waits.
void JackCaptureDevice::serverGone()
{
    m_gone.store(true, std::memory_order_release);
}

// The helper thread: gathers the ring's blocks into tenths of a second.
void JackCaptureDevice::run()
{
    const size_t periodFrames = std::max<size_t>(kBlockFrames, m_client->sampleRate() / 10);
    std::vector<int16_t> period;
    period.reserve(2 * (periodFrames + kBlockFrames));
    while (!m_stop.load(std::memory_order_acquire)) {
        while (const Block* block = m_ring.front()) {
            period.insert(period.end(), block->samples, block->samples + 2 * block->frames);
            m_ring.pop();
            if (period.size() >= 2 * periodFrames) {
                m_deliver(reinterpret_cast<const uint8_t*>(period.data()), period.size() * sizeof(int16_t));
                period.clear();
            }
        }
        if (m_gone.load(std::memory_order_acquire)) {
            if (m_ended)
                m_ended("the JACK server shut down");
            return;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

} // namespace rz
