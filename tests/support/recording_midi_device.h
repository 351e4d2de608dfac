#pragma once

#include "platform/midi_out_device.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rz {

// Records every message sent to it, short and long in one list, with the
// stamp and the sending thread. Safe to use from several threads at once.
class RecordingMidiDevice : public IMidiOutDevice {
public:
    struct Message {
        std::vector<uint8_t> bytes;
        bool isLong = false;
        TickTime stamp{};                      // short messages only
        std::chrono::milliseconds timeout{0};  // long messages only
        std::thread::id thread;
    };

    explicit RecordingMidiDevice(std::string name = "Recording device",
                                 MidiDeviceKind kind = MidiDeviceKind::Hardware);

    bool open() override;
    void close() override;
    bool isOpen() const override;
    using IMidiOutDevice::sendShort;
    void sendShort(std::span<const uint8_t> bytes, TickTime stamp) override;
    LongSendResult sendLong(std::span<const uint8_t> bytes,
                            std::chrono::milliseconds timeout) override;
    size_t maxLongMessageBytes() const override;
    std::string displayName() const override { return m_name; }
    MidiDeviceKind kind() const override { return m_kind; }

    // What the next open() returns, and the reason a failed one gives.
    void setOpenResult(bool opens, std::string reason = {});
    std::string openError() const override;
    // The device reports itself gone: closed from now on.
    void setGone();
    void setLongResult(LongSendResult result);
    void setMaxLongMessageBytes(size_t bytes);

    std::vector<Message> messages() const;
    // Every message as upper-case hex bytes, "B0 07 64", in send order.
    std::vector<std::string> sentHex() const;
    size_t openCount() const;
    size_t closeCount() const;
    void clear();

private:
    const std::string m_name;
    const MidiDeviceKind m_kind;
    mutable std::mutex m_mutex;
    std::vector<Message> m_messages;
    bool m_open = false;
    bool m_opens = true;
    std::string m_openReason;
    std::string m_openError;
    LongSendResult m_longResult = LongSendResult::Delivered;
    size_t m_maxLongBytes = 65536;
    size_t m_openCount = 0;
    size_t m_closeCount = 0;
};

std::string hexBytes(const std::vector<uint8_t>& bytes);

} // namespace rz
