#pragma once
// App builds them before the engine and destroys them after it.

#include <memory>

namespace rz {

class EngineTimer;
class EngineToGui;
class IAudioEngines;
class IEngineHost;
class IEngineSetLink;
class IEngineTimer;
class IEngineViews;
class IMidiDeviceSource;
class IVstEditorWindows;
class MidiSystem;
class QtGuiThreadQueue;
class SequencerVstHost;
class VstInstrumentLoader;

// What the sequencer is built from in the program: the GUI queue and the
// engine's posts to it, the MIDI devices, the instruments, the timer and the
// audio engines. Tests bring their own devices or timer; none of it exists
// when a test brings an engine of its own. GUI thread.
struct EngineParts {
    // `devices` and `timer` stand in for the system's when not null.
    EngineParts(IEngineHost& host, IEngineSetLink& set, IEngineViews& views,
                IMidiDeviceSource* devices, IEngineTimer* timer);
    ~EngineParts();
    EngineParts(const EngineParts&) = delete;
    EngineParts& operator=(const EngineParts&) = delete;

    std::unique_ptr<QtGuiThreadQueue> guiPost;
    std::unique_ptr<EngineToGui> posts;
    std::unique_ptr<MidiSystem> midiSystem;
    std::unique_ptr<IMidiDeviceSource> ownDevices;
    std::unique_ptr<SequencerVstHost> vstHost; // what the instruments see of the engine
    std::unique_ptr<IVstEditorWindows> vstEditors; // the instruments' editor windows
    std::unique_ptr<VstInstrumentLoader> instruments;
    std::unique_ptr<EngineTimer> ownTimer;
    std::unique_ptr<IAudioEngines> audio;
    IMidiDeviceSource& devices;
    IEngineTimer& timer;
};

} // namespace rz
