#pragma once

// Records what an input device hands on, and lets a test wait for it.

#include "platform/midi_in_device.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rz {

class MidiInRecorder : public IMidiInHandler {
public:
    struct Call {
        enum Kind { Short, Piece, Error } kind = Short;
        uint32_t message = 0;       // Short
        std::vector<uint8_t> bytes; // Piece
        bool last = false;          // Piece
        SysExInputError error{};    // Error
        TickTime stamp{};
    };

    void onShortMessage(uint32_t message, TickTime stamp) override
    {
        add({Call::Short, message, {}, false, {}, stamp});
    }
    void onSysExPiece(std::span<const uint8_t> bytes, bool last, TickTime stamp) override
    {
        add({Call::Piece, 0, std::vector<uint8_t>(bytes.begin(), bytes.end()), last, {}, stamp});
    }
    void onSysExError(SysExInputError error, TickTime stamp) override
    {
        add({Call::Error, 0, {}, false, error, stamp});
    }

    std::vector<Call> calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    // One line per call: "short 403C90", "piece 3 last", "error cut".
    std::vector<std::string> summary() const
    {
        std::vector<std::string> lines;
        for (const Call& call : calls())
            lines.push_back(describe(call));
        return lines;
    }
    bool waitForCount(size_t count, std::chrono::milliseconds timeout) const
    {
        std::unique_lock lock(m_mutex);
        return m_added.wait_for(lock, timeout, [&] { return m_calls.size() >= count; });
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_calls.clear();
    }

    static std::string describe(const Call& call)
    {
        char text[32];
        switch (call.kind) {
        case Call::Short:
            std::snprintf(text, sizeof text, "short %06X", call.message);
            return text;
        case Call::Piece:
            return "piece " + std::to_string(call.bytes.size()) + (call.last ? " last" : "");
        case Call::Error:
            return call.error == SysExInputError::Cut ? "error cut" : "error too long";
        }
        return {};
    }

private:
    void add(Call call)
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
        m_added.notify_all();
    }

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_added;
    std::vector<Call> m_calls;
};

} // namespace rz
