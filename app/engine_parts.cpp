// The parts the program builds its engine from. GUI thread.

#include "app/engine_parts.h"

#include "engine/audio/audio_engines.h"
#include "engine/gui_posts.h"
#include "engine/instrument_loader.h"
#include "engine/sequencer_devices.h"
#include "engine/ui/vsti_dlg.h"
#include "engine/vst_loader.h"
#include "platform/engine_timer.h"
#include "platform/midi_system.h"
#include "ui/gui_post.h"

#include <thread>

namespace rz {
namespace {

std::unique_ptr<MidiSystem> systemUnless(IMidiDeviceSource* devices)
{
    return devices ? nullptr : std::make_unique<MidiSystem>();
}

} // namespace

EngineParts::EngineParts(IEngineHost& host, IEngineSetLink& set, IEngineViews& views,
                         IMidiDeviceSource* devicesGiven, IEngineTimer* timerGiven)
    : guiPost(std::make_unique<QtGuiThreadQueue>()),
      posts(std::make_unique<EngineToGui>(*guiPost, std::this_thread::get_id(), host, set, views)),
      midiSystem(systemUnless(devicesGiven)),
      ownDevices(midiSystem ? std::make_unique<MidiSystemDevices>(*midiSystem) : nullptr),
      vstHost(std::make_unique<SequencerVstHost>()),
      vstEditors(std::make_unique<VstEditorWindows>()),
      instruments(std::make_unique<VstInstrumentLoader>(*vstHost, vstEditors.get())),
      ownTimer(timerGiven ? nullptr : std::make_unique<EngineTimer>()),
      audio(std::make_unique<AudioEngines>()),
      devices(devicesGiven ? *devicesGiven : *ownDevices),
      timer(timerGiven ? *timerGiven : *ownTimer)
{
    if (midiSystem)
        midiSystem->openClientsInBackground(); // while the window is made
}

EngineParts::~EngineParts() = default;

} // namespace rz
