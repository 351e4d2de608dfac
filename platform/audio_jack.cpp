#include "platform/audio_jack.h"

#include "core/ascii_case.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace rz {

namespace {

float* portBuffer(jack_port_t* port, jack_nframes_t frames)
{
    return static_cast<float*>(jack_port_get_buffer(port, frames));
}

} // namespace

std::unique_ptr<JackAudioDevice> JackAudioDevice::open(IAudioRenderer& renderer, bool withInput,
                                                       std::string& error)
{
    std::shared_ptr<JackMidiClient> client = JackMidiClient::acquire();
    if (!client) {
        error = "No JACK server is running.";
        return nullptr;
    }
    std::unique_ptr<JackAudioDevice> device(new JackAudioDevice(client, renderer));
    for (jack_port_t*& port : device->m_outputs)
        port = client->registerAudioPort(true);
    if (withInput) {
        for (jack_port_t*& port : device->m_inputs)
            port = client->registerAudioPort(false);
    }
    const bool inputsMissing = withInput && (!device->m_inputs[0] || !device->m_inputs[1]);
    if (!device->m_outputs[0] || !device->m_outputs[1] || inputsMissing) {
        error = "The JACK server refused our audio ports.";
        return nullptr;
    }
    device->m_blockFrames.store(client->bufferSize(), std::memory_order_release);
    if (!client->addUser(device.get())) {
        error = "The JACK client serves too many devices.";
        return nullptr;
    }
    device->m_user = true;
    return device;
}

JackAudioDevice::JackAudioDevice(std::shared_ptr<JackMidiClient> client, IAudioRenderer& renderer)
    : m_client(std::move(client)), m_renderer(renderer)
{
}

JackAudioDevice::~JackAudioDevice()
{
    if (m_user)
        m_client->removeUser(this);
    for (jack_port_t* port : {m_outputs[0], m_outputs[1], m_inputs[0], m_inputs[1]}) {
        if (port)
            m_client->unregisterPort(port);
    }
}

std::vector<std::string> JackAudioDevice::portNames(bool outputs) const
{
    std::vector<std::string> names;
    for (jack_port_t* port : outputs ? m_outputs : m_inputs) {
        if (port)
            names.push_back(jack_port_name(port));
    }
    return names;
}

std::string JackAudioDevice::connectOutputs(std::string_view channel)
{
    return connectPair(channel, true);
}

std::string JackAudioDevice::connectInputs(std::string_view channel)
{
    if (!hasInput())
        return "No JACK audio input is open.";
    return connectPair(channel, false);
}

// Our outputs go to other clients' inputs and the other way round.
std::string JackAudioDevice::connectPair(std::string_view channel, bool outputs)
{
    if (gone())
        return "the JACK server has gone";
    const std::vector<JackMidiPortInfo> ports = m_client->audioPorts(outputs);
    std::vector<std::string> pair;
    for (size_t i = 0; i < ports.size() && pair.size() < 2; ++i) {
        if (channel.empty() ? ports[i].physical : (!pair.empty() || EqualIgnoringAsciiCase(ports[i].name, channel)))
            pair.push_back(ports[i].name);
    }
    if (pair.empty())
        return channel.empty() ? "No physical audio port to connect to."
                               : "No audio port is named " + std::string(channel) + ".";
    const std::vector<std::string> ours = portNames(outputs);
    for (size_t i = 0; i < ours.size(); ++i) {
        const std::string& theirs = pair[std::min(i, pair.size() - 1)];
        const std::string error =
            outputs ? m_client->connect(ours[i], theirs) : m_client->connect(theirs, ours[i]);
        if (!error.empty())
            return error;
    }
    return {};
}

JackAudioDevice::Connections JackAudioDevice::connections() const
{
    Connections connections;
    jack_port_t* const ours[] = {m_outputs[0], m_outputs[1], m_inputs[0], m_inputs[1]};
    for (size_t i = 0; i < connections.size(); ++i)
        connections[i] = m_client->connectionsOf(ours[i]);
    return connections;
}

void JackAudioDevice::restoreConnections(const Connections& connections)
{
    for (size_t i = 0; i < connections.size(); ++i) {
        const bool output = i < 2;
        jack_port_t* port = output ? m_outputs[i] : m_inputs[i - 2];
        if (!port)
            continue;
        const std::string ours = jack_port_name(port);
        for (const std::string& theirs : connections[i]) {
            if (output)
                m_client->connect(ours, theirs);
            else
                m_client->connect(theirs, ours);
        }
    }
}

void JackAudioDevice::process(const JackCycle& cycle)
{
    if (m_gone.load(std::memory_order_acquire))
        return;
    const jack_nframes_t frames = cycle.nframes;
    float* left = portBuffer(m_outputs[0], frames);
    float* right = portBuffer(m_outputs[1], frames);
    uint32_t inputs = hasInput() ? 2 : 0;
    // A cycle that does not start where the last one ended means we were
    // late: the server ran cycles without us, or ran us twice for one. It is
    // counted, not made up: that output is gone, and a clip goes on after
    // the gap.
    if (cycle.framed && m_framed && cycle.firstFrame != m_nextFrame)
        m_outOfStep.fetch_add(1, std::memory_order_relaxed);
    m_nextFrame = cycle.firstFrame + frames;
    m_framed = cycle.framed;
    if (hasInput()) {
        std::memcpy(left, portBuffer(m_inputs[0], frames), frames * sizeof(float));
        std::memcpy(right, portBuffer(m_inputs[1], frames), frames * sizeof(float));
    }
    m_renderer.renderAudio(left, right, frames, inputs);
    m_rendered.fetch_add(1, std::memory_order_relaxed);
}

void JackAudioDevice::serverGone()
{
    m_gone.store(true, std::memory_order_release);
}

// Nothing of ours is sized by the period: the ports' buffers are the
// server's. The renderer hears of it, for what it sizes by the block.
void JackAudioDevice::bufferSizeChanged(jack_nframes_t frames)
{
    m_blockFrames.store(frames, std::memory_order_release);
    m_renderer.blockFramesChanged(frames);
}

} // namespace rz
