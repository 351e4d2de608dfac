#pragma once

namespace rz {

class CTrack;
class IPortLink;
class IProfile;
class ISynthLookup;

// Reads the track's numbered output port entry ("PortsToUse\MIDIOUT\%d":
// "drums", "synth", "port"), finds its open port through the engine's output
// map and the synth's "Technology". A waveform track gets no port. Without a
// synth table the technology is the default. GUI thread.
void LookupPortSynth(CTrack& track, const IProfile& profile, IPortLink& engine,
                     const ISynthLookup* synths);

} // namespace rz
