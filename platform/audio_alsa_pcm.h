#pragma once

#include <string>

#include <alsa/asoundlib.h>

namespace rz {

// Where an ALSA PCM is found: a device name, looked up in the system's
// configuration or, when `configuration` holds text, in that configuration
// alone (tests define "null" and "file" devices inline this way).
struct AlsaPcmTarget {
    std::string device = "default";
    std::string configuration;
};

// Opens the PCM for `stream`; null with the reason.
snd_pcm_t* openAlsaPcm(const AlsaPcmTarget& target, snd_pcm_stream_t stream, std::string& error);

// Asks for interleaved stereo in `format` at the rate, period and three
// periods nearest the requests, and writes the granted ones back. Empty on
// success, else why.
std::string setAlsaHwParams(snd_pcm_t* pcm, snd_pcm_format_t format, unsigned& rate,
                            snd_pcm_uframes_t& periodFrames);

// Puts the calling thread under SCHED_FIFO when the system grants it.
void tryRealtimePriority(int priority);

} // namespace rz
