#pragma once

// The GUI thread writes GuiToEngineValues; engine threads read them.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>

namespace rz {

// The fader the user drags in the slider view. Meanwhile playback does not
// send that controller (or that pressure or bend kind) on that port.
struct FaderDrag {
    int port = 0;           // output port index, 0..kMaxFaderDragPort
    uint8_t kind = 0;       // the kind byte of the events the fader sends
    uint8_t controller = 0; // controller number; unused for pressure and bend

    bool operator==(const FaderDrag&) const = default;
};

inline constexpr int kMaxFaderDragPort = 0x7FFF;
inline constexpr int32_t kMaxMasterFader = 16383;

// Values the GUI thread publishes and engine threads read. Each value is one
// atomic, so a reader never waits and never sees half a value; the fader drag
// packs its three fields into one word for that reason.
class GuiToEngineValues {
public:
    // The main frame's master volume fader, 0..16383; played on every tick.
    int32_t masterFader() const { return m_masterFader.load(std::memory_order_acquire); }
    // Clamped into 0..16383.
    void setMasterFader(int32_t value)
    {
        m_masterFader.store(std::clamp(value, int32_t(0), kMaxMasterFader),
                            std::memory_order_release);
    }

    // The note length chosen for step entry, in ticks; 0 until one is chosen.
    int32_t currentNoteLength() const { return m_noteLength.load(std::memory_order_acquire); }
    // A negative length is stored as 0.
    void setCurrentNoteLength(int32_t ticks)
    {
        m_noteLength.store(std::max(ticks, int32_t(0)), std::memory_order_release);
    }

    // The spectrum display is shown; audio engines compute it only then.
    bool spectrumShown() const { return m_spectrumShown.load(std::memory_order_acquire); }
    void setSpectrumShown(bool shown) { m_spectrumShown.store(shown, std::memory_order_release); }

    // Shift is held: a played note does not step the recording on.
    bool shiftHeld() const { return m_shiftHeld.load(std::memory_order_acquire); }
    void setShiftHeld(bool held) { m_shiftHeld.store(held, std::memory_order_release); }

    // The track view's patch list window is open: echoed note-ons then do not
    // send the track's initial controllers.
    bool patchListOpen() const { return m_patchListOpen.load(std::memory_order_acquire); }
    void setPatchListOpen(bool open) { m_patchListOpen.store(open, std::memory_order_release); }

    // A control-map entry dialog is learning: MIDI input goes to LearnMidi.
    bool controlMapLearning() const { return m_learning.load(std::memory_order_acquire); }
    void setControlMapLearning(bool on) { m_learning.store(on, std::memory_order_release); }

    // The metronome click is on ("Click on/off"); the playback tick reads it.
    bool clickOn() const { return m_clickOn.load(std::memory_order_acquire); }
    void setClickOn(bool on) { m_clickOn.store(on, std::memory_order_release); }

    // Nothing while no fader is dragged.
    std::optional<FaderDrag> faderDrag() const
    {
        const uint32_t word = m_faderDrag.load(std::memory_order_acquire);
        if (!(word & kDragging))
            return std::nullopt;
        return FaderDrag{int((word >> 16) & 0x7FFF), uint8_t(word >> 8), uint8_t(word)};
    }
    // False, changing nothing, for a port outside 0..kMaxFaderDragPort.
    bool setFaderDrag(const FaderDrag& drag)
    {
        if (drag.port < 0 || drag.port > kMaxFaderDragPort)
            return false;
        const uint32_t word = kDragging | uint32_t(drag.port) << 16
                              | uint32_t(drag.kind) << 8 | drag.controller;
        m_faderDrag.store(word, std::memory_order_release);
        return true;
    }
    void clearFaderDrag() { m_faderDrag.store(0, std::memory_order_release); }

    // External control is on: the inputs match their control map entries.
    // The engine sets it from the profile at start, the maps dialog after.
    bool externalControlOn() const { return m_externalControl.load(std::memory_order_acquire); }
    void setExternalControlOn(bool on) { m_externalControl.store(on, std::memory_order_release); }

private:
    static constexpr uint32_t kDragging = 1u << 31;

    std::atomic<int32_t> m_masterFader{kMaxMasterFader};
    std::atomic<int32_t> m_noteLength{0};
    std::atomic<bool> m_spectrumShown{false};
    std::atomic<bool> m_shiftHeld{false};
    std::atomic<bool> m_patchListOpen{false};
    std::atomic<bool> m_learning{false};
    std::atomic<uint32_t> m_faderDrag{0};
    std::atomic<bool> m_clickOn{false};
    std::atomic<bool> m_externalControl{true};
};

} // namespace rz
