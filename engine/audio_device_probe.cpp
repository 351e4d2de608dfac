// The devices the audio options list: ALSA's PCM hints and the JACK server.

#include "engine/audio_options_model.h"

#include "platform/midi_jack_client.h"

#include <cstdlib>
#include <memory>

namespace rz {

namespace {

std::vector<std::string> physicalPorts(const JackMidiClient& client, bool playback)
{
    std::vector<std::string> names;
    for (const JackMidiPortInfo& port : client.audioPorts(playback)) {
        if (port.physical)
            names.push_back(port.name);
    }
    return names;
}

} // namespace

std::vector<AlsaPcmDevice> SystemAudioDeviceProbe::devices(bool capture)
{
    return listAlsaPcmDevices(capture);
}

// The server keeps its own period; the block length asked for only matters
// to drivers that take one.
LowLatencyChannels SystemAudioDeviceProbe::openLowLatency(uint32_t)
{
    LowLatencyChannels channels;
    std::shared_ptr<JackMidiClient> client = JackMidiClient::acquire();
    if (!client || client->gone())
        return channels;
    const char* server = std::getenv("JACK_DEFAULT_SERVER");
    channels.server = server && *server ? server : "default";
    channels.opened = true;
    channels.inputs = physicalPorts(*client, false);
    channels.outputs = physicalPorts(*client, true);
    channels.sampleRate = client->sampleRate();
    channels.blockFrames = client->bufferSize();
    return channels;
}

} // namespace rz
