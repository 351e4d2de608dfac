// The dispatch of one input's messages. Input dispatch thread: it takes no
// song or transport lock; the echo takes the ThruMutex and the ports their
// guards, and the sync hooks choose their own locking.
#include "core/midi_bytes.h"
#include "engine/midi_in.h"

#include "engine/gui_posts.h"
#include "engine/out_port.h"
#include "engine/sequencer.h"

namespace rz {

namespace {

constexpr uint32_t kSystemMessagesBit = 1u << 15; // of the record event filter
// Controllers that trigger an action but are never held, so never released.
constexpr int kUnheldController1 = 19;
constexpr int kUnheldController2 = 23;

} // namespace

void CMidiIn::onShortMessage(uint32_t message, TickTime stamp)
{
    MidiInProc(message, stamp);
}

// Pieces go to a capturing event properties dialog, then to synchronisation,
// when the record event filter passes system messages.
void CMidiIn::onSysExPiece(std::span<const uint8_t> bytes, bool last, TickTime stamp)
{
    if (!(m_engine.liveSettings()->eventFilter & kSystemMessagesBit))
        return;
    if (const auto capture = m_engine.m_io.sinks.eventCapture.get()) {
        switch (m_captureLimit.admit(bytes)) {
        case CaptureVerdict::Pass: capture->AddSysExChunk(bytes, last); break;
        case CaptureVerdict::Overflow: capture->PostSysExDone(); break;
        case CaptureVerdict::Drop: break;
        }
    }
    if (m_engine.initialised())
        m_engine.OnSyncSysEx(m_index, bytes, stamp);
}

void CMidiIn::onSysExError(SysExInputError, TickTime)
{
    if (const auto capture = m_engine.m_io.sinks.eventCapture.get())
        capture->PostSysExDone();
}

void CMidiIn::MidiInProc(uint32_t message, TickTime stamp)
{
    // Whatever this message makes the engine send leaves with its arrival time.
    TickTimeScope arrival(stamp);
    if (midi::isDataByte(message))
        return;
    if (COutPort* thru = m_thru.load(std::memory_order_acquire))
        thru->SendRaw(message);
    Candidate candidate = Candidate::None;
    if (updateTables(message, stamp, candidate))
        return;
    if (captureInDialog(message))
        return;
    if (m_engine.m_guiValues.externalControlOn() && candidate != Candidate::None
        && applyKeyMap(message, candidate))
        return;
    echo(message);
}

// The live tables. Bend on the tempo channel and system messages stop here;
// true then.
bool CMidiIn::updateTables(uint32_t message, TickTime stamp, Candidate& candidate)
{
    const uint8_t status = uint8_t(message);
    const int channel = status & 15;
    const int data1 = int(message >> 8) & 0x7F;
    const int data2 = int(message >> 16) & 0x7F;
    switch (midi::statusOf(status)) {
    case midi::kNoteOff: m_notes[size_t(cell(channel, data1))] = 0; candidate = Candidate::Note; break;
    case midi::kNoteOn:
        m_notes[size_t(cell(channel, data1))] = uint8_t(data2);
        candidate = Candidate::Note;
        break;
    case midi::kControlChange:
        m_controllers[size_t(cell(channel, data1))] = uint8_t(data2);
        candidate = Candidate::Controller;
        break;
    case midi::kProgramChange: candidate = Candidate::Program; break;
    case midi::kPitchBend: {
        const auto published = m_engine.liveSettings();
        const SequencerSettings& settings = *published;
        if ((settings.options & kOptionBendTempo)
            && (settings.tempoChannel < 0 || settings.tempoChannel == channel)) {
            m_engine.m_services.toGui.tempoBend(message & 0xFFFFFF);
            return true;
        }
        break;
    }
    case midi::kSysEx: m_engine.OnSyncInput(m_index, message & 0xFFFFFF, stamp); return true;
    default: break;
    }
    return false;
}

// A dialog that captures input takes the message; it is still echoed. True
// when one took it.
bool CMidiIn::captureInDialog(uint32_t message)
{
    InputSinks& sinks = m_engine.m_io.sinks;
    if (const auto capture = sinks.eventCapture.get()) {
        capture->captureShort(message);
    } else if (const auto tap = isNoteOn(message) ? sinks.tempoTap.get() : nullptr) {
        tap->OnMidiTap(m_engine.msClock());
    } else if (const auto learn = sinks.learn.get()) {
        learn->LearnMidi(uint32_t(m_index), message);
    } else if (m_engine.m_guiValues.controlMapLearning()) {
        m_engine.m_services.toGui.LearnMidi(uint32_t(m_index), message);
    } else {
        return false;
    }
    echo(message);
    return true;
}

// External control: true when the message acted (and is not echoed).
bool CMidiIn::applyKeyMap(uint32_t message, Candidate candidate)
{
    const int data2 = int(message >> 16) & 0x7F;
    // Every 0x8n is a release, whatever its release velocity.
    const bool release = candidate != Candidate::Program
                         && (data2 == 0 || midi::isNoteOff(message));
    if (release)
        return releaseHeldControl();
    return pressKeyMap(message, candidate);
}

// The release of the control that triggered the last action.
bool CMidiIn::releaseHeldControl()
{
    const bool controllerUp =
        m_heldController != kNoCell && m_controllers[size_t(m_heldController)] == 0;
    const bool noteUp = m_heldNote != kNoCell && m_notes[size_t(m_heldNote)] == 0;
    if (!controllerUp && !noteUp)
        return false;
    m_engine.m_services.toGui.externalControlRelease();
    m_heldController = kNoCell;
    m_heldNote = kNoCell;
    return true;
}

// The input's entries from the last to the first; the first that matches acts.
bool CMidiIn::pressKeyMap(uint32_t message, Candidate candidate)
{
    const int channel = int(message & 15);
    const int data1 = int(message >> 8) & 0x7F;
    const KeyMapSnapshot map = keyMap();
    for (auto it = map->rbegin(); it != map->rend(); ++it) {
        const uint32_t entry = *it;
        if (keyMapInput(entry) != m_index || keyMapChannel(entry) != channel)
            continue;
        const int number = keyMapNumber(entry);
        const int kind = keyMapKind(entry);
        if (kind == kKeyMapProgramKind) {
            if (candidate != Candidate::Program || data1 != number)
                continue;
        } else if (kind != kKeyMapNoteKind && number == 0) {
            if (candidate != Candidate::Controller || data1 != kind)
                continue;
            // While a control is held, its controller's further moves do nothing.
            if (m_heldController != kNoCell)
                return true;
            if (data1 != kUnheldController1 && data1 != kUnheldController2)
                m_heldController = cell(channel, data1);
        } else {
            if (candidate != Candidate::Note || data1 != number)
                continue;
            if (kind != kKeyMapNoteKind) {
                // A key pressed while a controller (a pedal) is down.
                if (m_controllers[size_t(cell(channel, kind))] == 0)
                    continue;
                m_heldController = cell(channel, kind);
            }
            m_heldNote = cell(channel, data1);
        }
        m_engine.m_services.toGui.externalControlPress(entry, message & 0xFFFFFF);
        return true;
    }
    return false;
}

void CMidiIn::echo(uint32_t message)
{
    m_engine.EchoMidiIn(this, message & 0xFFFFFF);
}

} // namespace rz
