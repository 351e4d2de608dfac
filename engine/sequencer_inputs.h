#pragma once

#include "engine/sequencer_snapshot.h"
#include "platform/midi_in_device.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace rz {

// External-control entries of one input: 32 bits each; byte 0 the action,
// byte 1 the number, byte 2 the kind, byte 3 the channel (low nibble) and the
// input's index (high nibble).
using KeyMap = std::vector<uint32_t>;
using KeyMapSnapshot = std::shared_ptr<const KeyMap>;

// The entries of a stored key map: little-endian 32-bit words, read whole;
// a trailing partial entry is ignored.
KeyMap ParseKeyMap(std::span<const uint8_t> bytes);

// The index of the input an entry belongs to.
constexpr int keyMapInput(uint32_t entry)
{
    return int(entry >> 28);
}

// One MIDI input device of the engine. The device's dispatch thread reads the
// thru port and the key map while the GUI thread replaces them: the port is
// an atomic, the key map an immutable snapshot replaced whole. Open, Close
// and the setters belong to the GUI thread.
class SequencerInput final : private IMidiInHandler {
public:
    SequencerInput(std::string name, std::unique_ptr<IMidiInDevice> device);
    // Closes first.
    ~SequencerInput() override;
    SequencerInput(const SequencerInput&) = delete;
    SequencerInput& operator=(const SequencerInput&) = delete;

    const std::string& name() const { return m_name; }
    IMidiInDevice& device() { return *m_device; }

    // Opens and starts the device; closes it again when it cannot start.
    bool Open();
    // On return no input is being handled.
    void Close();
    bool isOpen() const { return m_device->isOpen(); }

    // The output port index that receives this input's hardware thru; -1 none.
    // Any thread.
    int thruPort() const { return m_thruPort.load(std::memory_order_acquire); }
    void setThruPort(int port) { m_thruPort.store(port, std::memory_order_release); }

    // Any thread; waits at most for a pointer copy. Never null.
    KeyMapSnapshot keyMap() const { return m_keyMap.load(); }
    void setKeyMap(KeyMap entries);

private:
    // The input dispatch (thru, sync, capture, external control, echo) hooks
    // in here; until then input is read and dropped.
    void onShortMessage(uint32_t, TickTime) override {}
    void onSysExPiece(std::span<const uint8_t>, bool, TickTime) override {}
    void onSysExError(SysExInputError, TickTime) override {}

    std::string m_name;
    std::unique_ptr<IMidiInDevice> m_device;
    std::atomic<int> m_thruPort{-1};
    Snapshot<KeyMap> m_keyMap;
};

} // namespace rz
