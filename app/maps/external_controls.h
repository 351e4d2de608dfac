#pragma once

#include "core/engine_host.h"

#include <functional>

class QWidget;

namespace rz {

class CommandRouter;
class FrameTimers;
class IEngineLink;
class TransportControls;

// What a matched control map entry reaches of the application.
struct ExternalControlSeams {
    CommandRouter& router;
    TransportControls& transport;
    std::function<IEngineLink&()> engine;
    // The frame's timers; null without a frame.
    std::function<FrameTimers*()> timers;
    // The views the arrow and Return controls press keys in; null when closed.
    std::function<QWidget*()> trackList;
    std::function<QWidget*()> setList;
};

// External control: what a matched control map entry does in the program.
// The MIDI input posts each match; everything here runs on the GUI thread
// in message order.
class ExternalControls {
public:
    explicit ExternalControls(ExternalControlSeams seams) : m_seams(std::move(seams)) {}

    // Runs the entry's action, starts or stops the auto-repeat, follows the
    // tempo and volume controls.
    void onControl(const ExternalControl& control);
    // The repeat timer's tick while a repeating control is held.
    void repeat();

private:
    void pressKey(QWidget* view, int key);
    void pitchBendTempo(uint32_t message);

    ExternalControlSeams m_seams;
    uint32_t m_controlEntry = 0; // the last control's map entry; 0 after a release
    int m_controlRepeat = 0;     // ticks until the held control repeats, negative
};

} // namespace rz
