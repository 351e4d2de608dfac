#include "platform/alsa_pcm_devices.h"

#include <cstdlib>
#include <memory>

#include <alsa/asoundlib.h>

namespace rz {

namespace {

// A hint value, which ALSA hands over for us to free; null reads as empty.
std::string takeHint(const void* hint, const char* id)
{
    std::unique_ptr<char, decltype(&std::free)> value(snd_device_name_get_hint(hint, id), &std::free);
    return value ? std::string(value.get()) : std::string();
}

} // namespace

std::vector<AlsaPcmDevice> listAlsaPcmDevices(bool capture)
{
    std::vector<AlsaPcmDevice> devices;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || !hints)
        return devices;
    const std::string wanted = capture ? "Input" : "Output";
    for (void** hint = hints; *hint; ++hint) {
        const std::string name = takeHint(*hint, "NAME");
        if (name.empty() || name == "null")
            continue;
        const std::string direction = takeHint(*hint, "IOID");
        if (!direction.empty() && direction != wanted)
            continue;
        std::string description = takeHint(*hint, "DESC");
        description = description.substr(0, description.find('\n'));
        devices.push_back({name, description.empty() ? name : description});
    }
    snd_device_name_free_hint(hints);
    return devices;
}

} // namespace rz
