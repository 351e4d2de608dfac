#pragma once

namespace rz {

class App;

// Registers the engine's setup dialogs with the application (Setup > MIDI
// ports, Synchronization, Waveform Audio); each opens over the program's own sequencer and does nothing
// without one. Also the notice the event dialog shows while it receives.
void registerEngineDialogs(App& app);

} // namespace rz
