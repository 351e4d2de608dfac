#pragma once

#include <string>
#include <vector>

namespace rz {

// One ALSA PCM device as the device hints name it.
struct AlsaPcmDevice {
    std::string name;         // what snd_pcm_open takes, e.g. "hw:CARD=PCH,DEV=0"
    std::string friendlyName; // the first line of its description, else the name
};

// The ALSA PCM devices that can capture (`capture`) or play; a device whose
// hint gives no direction serves both. Never fails: no sound card or no
// hints is an empty list.
std::vector<AlsaPcmDevice> listAlsaPcmDevices(bool capture);

} // namespace rz
