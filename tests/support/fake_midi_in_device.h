#pragma once

#include "platform/midi_in_device.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>

namespace rz {

// An input device whose input the test injects, stamped. Each injection
// runs the handler on the caller's thread, one at a time, as a dispatcher
// would; close() waits for a running one, so on return none runs. Any thread.
class InjectingMidiInDevice : public IMidiInDevice {
public:
    explicit InjectingMidiInDevice(std::string name = "Keyboard", bool opens = true);

    bool open(IMidiInHandler* handler) override;
    bool start() override;
    void stop() override;
    void reset() override {} // it holds no pending input
    void close() override;
    bool isOpen() const override;
    uint64_t droppedCount() const override { return 0; }
    std::string displayName() const override { return m_name; }
    MidiDeviceKind kind() const override { return MidiDeviceKind::Hardware; }

    // False, handing nothing on, unless open and started.
    bool inject(uint32_t message, TickTime stamp = std::chrono::steady_clock::now());
    bool injectSysEx(std::span<const uint8_t> piece, bool last,
                     TickTime stamp = std::chrono::steady_clock::now());
    bool injectError(SysExInputError error, TickTime stamp = std::chrono::steady_clock::now());

    int startCount() const { return m_starts.load(); }
    int stopCount() const { return m_stops.load(); }

private:
    template <class Call>
    bool dispatch(Call call);

    const std::string m_name;
    const bool m_opens;
    mutable std::mutex m_dispatch; // held for each handler call
    IMidiInHandler* m_handler = nullptr;
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_started{false};
    std::atomic<int> m_starts{0};
    std::atomic<int> m_stops{0};
};

} // namespace rz
