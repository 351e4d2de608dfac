#pragma once

#include "core/engine_timer.h"
#include "engine/input_sinks.h"
#include "engine/sequencer_inputs.h"
#include "engine/sequencer_snapshot.h"
#include "platform/midi_in_device.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace rz {

class COutPort;
class CSequencer;

// One MIDI input device of the engine. Every message it reads is dispatched
// by MidiInProc, in a fixed order: the hardware thru, the live note and
// controller tables, synchronisation, a capturing dialog, the external-control
// key map, and otherwise the echo to the thru tracks, which also records.
//
// Open, Close, Restart and the setters belong to the GUI thread; the
// dispatch runs on the device's own dispatch thread (never a realtime
// thread), one message at a time. The thru port is an atomic and the key map
// an immutable snapshot, so the GUI thread may replace them while input
// arrives.
class CMidiIn final : private IMidiInHandler {
public:
    // `index` is the input's place in the engine's input list: the key map's
    // input nibble and the device id a learning dialog gets.
    CMidiIn(CSequencer& engine, int index, std::string name,
            std::unique_ptr<IMidiInDevice> device);
    // Closes first.
    ~CMidiIn() override;
    CMidiIn(const CMidiIn&) = delete;
    CMidiIn& operator=(const CMidiIn&) = delete;

    const std::string& name() const { return m_name; }
    int index() const { return m_index; }
    IMidiInDevice& device() { return *m_device; }

    // Closes first, then opens and starts the device; false (closed) when
    // either fails.
    bool Open();
    // On return no message is being dispatched and none will be.
    void Close();
    // Stop then start, before a recording: what the device held is dropped.
    // False when the device is closed or gone.
    bool Restart();
    bool isOpen() const { return m_device->isOpen(); }

    // The output port index that receives every short message unchanged;
    // -1 none. Any thread.
    int thruPort() const { return m_thruIndex.load(std::memory_order_acquire); }
    // `port` is that output (null for none); it must outlive the open input.
    void setThruPort(int index, COutPort* port);

    // Any thread; waits at most for a pointer copy. Never null.
    KeyMapSnapshot keyMap() const { return m_keyMap.load(); }
    void setKeyMap(KeyMap entries);

    // Dispatches one short message: status in bits 0-7, data in 8-15 and
    // 16-23. Everything it sends carries `stamp`, the input's arrival time.
    // Input dispatch thread.
    void MidiInProc(uint32_t message, TickTime stamp);

private:
    // What the tables make of a message.
    enum class Candidate : uint8_t { None, Note, Controller, Program };

    // IMidiInHandler, on the dispatch thread.
    void onShortMessage(uint32_t message, TickTime stamp) override;
    void onSysExPiece(std::span<const uint8_t> bytes, bool last, TickTime stamp) override;
    void onSysExError(SysExInputError error, TickTime stamp) override;

    // The steps of MidiInProc; each returns true when the message stops there.
    bool updateTables(uint32_t message, TickTime stamp, Candidate& candidate);
    bool captureInDialog(uint32_t message);
    bool applyKeyMap(uint32_t message, Candidate candidate);
    bool releaseHeldControl();
    bool pressKeyMap(uint32_t message, Candidate candidate);
    void echo(uint32_t message);

    static constexpr int kNoCell = -1;
    // A table cell: channel x 128 + key or controller number.
    static int cell(int channel, int number) { return (channel & 15) * 128 + (number & 0x7F); }

    CSequencer& m_engine;
    const int m_index;
    const std::string m_name;
    std::unique_ptr<IMidiInDevice> m_device;
    std::atomic<int> m_thruIndex{-1};
    std::atomic<COutPort*> m_thru{nullptr};
    Snapshot<KeyMap> m_keyMap;

    // Dispatch thread only. Velocity of the sounding note per channel and
    // key (0 released); last value per channel and controller.
    std::array<uint8_t, 16 * 128> m_notes{};
    std::array<uint8_t, 16 * 128> m_controllers{};
    // The cells of the control that triggered the last key-map action.
    int m_heldNote = kNoCell;
    int m_heldController = kNoCell;
    SysExCaptureLimit m_captureLimit;
};

} // namespace rz
