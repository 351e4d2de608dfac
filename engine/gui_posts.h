#pragma once

// Engine threads call the application through EngineToGui, which runs each call on the GUI thread.

#include "core/engine_host.h"
#include "core/engine_set_link.h"
#include "core/engine_views.h"
#include "core/gui_post.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

namespace rz {

// The engine's way to the GUI. Every call may be made from any thread and
// never waits: made on the GUI thread it runs at once, as it would from a
// GUI command (so Advance still sees CancelAdvance's effect); made on any
// other thread it is posted and returns, and runs later on the GUI thread in
// the order posted. The application implements only the GUI-thread side
// (IEngineHost, IEngineSetLink, IEngineViews).
//
// Posting allocates, so the playback tick does not call here: it sets
// RefreshPoster bits, and the GUI's refresh handler makes these calls.
class EngineToGui {
public:
    // `guiThread` is the thread on which `gui` runs the posted calls.
    EngineToGui(IGuiThreadQueue& gui, std::thread::id guiThread, IEngineHost& host,
             IEngineSetLink& set, IEngineViews& views);
    // On the GUI thread. Calls still queued then do nothing when they run.
    ~EngineToGui();
    EngineToGui(const EngineToGui&) = delete;
    EngineToGui& operator=(const EngineToGui&) = delete;

    bool onGuiThread() const { return std::this_thread::get_id() == m_guiThread; }

    // The transport changed.
    void transportChanged();
    // A received song select for song 0..127; false, sending nothing, for another
    // number.
    bool selectSetSong(int songNumber);
    // External control: a key-map entry matched the MIDI message.
    void externalControlPress(uint32_t entry, uint32_t message);
    // External control: the held control was released.
    void externalControlRelease();
    // External control: tempo by pitch bend.
    void tempoBend(uint32_t bendMessage);
    void setFrameTimer(FrameTimer timer);
    // The Play/Cue command, routed like a menu choice.
    void playCue();
    // The engine's tempo multiplier changed; the GUI reads it from there.
    void tempoMultiplierChanged();
    void CancelAdvance(bool step);
    void OnSongChanged();
    void UpdateAllViews();
    void DrawSpectrum(double beatPhase);
    void LearnMidi(uint32_t deviceId, uint32_t message);

    void startCueTimer();
    void setCurrentItem(SetItemHandle item);
    void RefreshMarkerStates();
    void UpdateTrackSynths();
    void clearAttachedFlags();

    // Any thread; never waits.
    CSongDoc* songOfItem(SetItemHandle item) const;

    // GUI thread only, holding the SongMutex: runs the follow-playback pass.
    // False, touching no view, on any other thread or without the lock.
    bool followPlayback();
    // GUI thread only; nothing on any other thread.
    std::optional<TrackViewRows> trackViewRows() const;

private:
    struct Shared;

    template <class Call>
    void toGui(Call call);

    IGuiThreadQueue& m_gui;
    const std::thread::id m_guiThread;
    std::shared_ptr<Shared> m_shared;
};

} // namespace rz
