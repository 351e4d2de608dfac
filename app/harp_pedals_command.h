#pragma once

#include <vector>

namespace rz {

class App;
class CSongDoc;
class IEngineLink;

// The tracks of `song` whose pedals Adjust > Harp pedals sets: the MIDI
// tracks the engine echoes input to, in the engine's order.
std::vector<int> harpTrackNumbers(const IEngineLink& engine, const CSongDoc& song);

// Registers Adjust > Harp pedals with the application's setup dialogs: the
// pedal dialog opens on the first harp track's word and OK gives it to
// every harp track.
void registerHarpPedalsDialog(App& app);

} // namespace rz
