#include "song/track_ports.h"

#include <string>

#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/synth_lookup.h"
#include "song/track.h"

namespace rz {

namespace {

IMidiOut* openPortFor(int portNumber, IPortLink& engine)
{
    if (portNumber < 0 || portNumber >= engine.outputMapSize())
        return nullptr;
    const int index = engine.outputMapEntry(portNumber);
    return index < 0 ? nullptr : engine.openOutPort(index);
}

} // namespace

void LookupPortSynth(CTrack& track, const IProfile& profile, IPortLink& engine,
                     const ISynthLookup* synths)
{
    if (track.type == kWaveTrack) {
        track.outputPort = nullptr;
        return;
    }
    const std::string port = std::to_string(track.port);
    track.drums = readSetting(profile, settings::kPortOutDrums, port);
    track.synth = readSetting(profile, settings::kPortOutSynth, port);
    track.portName = readSettingText(profile, settings::kPortOutName, port);
    track.outputPort = openPortFor(track.port, engine);
    track.technology = ISynthLookup::kDefaultTechnology;
    if (synths != nullptr)
        track.technology = synths->technology(track.synth).value_or(ISynthLookup::kDefaultTechnology);
}

} // namespace rz
