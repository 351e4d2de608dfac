#pragma once

#include "platform/midi_jack_client.h"
#include "platform/midi_system.h"

#include <atomic>
#include <functional>
#include <memory>

namespace rz {

// Watches the JACK server for ports other clients register or unregister.
// A synthesizer starting registers several ports at once: the watch calls
// `changed` once for the burst and stays quiet until rearm(). It holds the
// program's JACK client open while it lives.
class JackPortWatch final : public IDeviceWatch, private JackPortListener {
public:
    // Null when no server answers. `changed` runs on a JACK notification
    // thread and must not wait.
    static std::unique_ptr<JackPortWatch> start(std::function<void()> changed);
    // On return `changed` runs no more.
    ~JackPortWatch() override;
    JackPortWatch(const JackPortWatch&) = delete;
    JackPortWatch& operator=(const JackPortWatch&) = delete;

    // Before the ports are listed again: a registration from now on calls
    // `changed` again. Any thread.
    void rearm() override { m_told.store(false, std::memory_order_release); }
    bool live() const override { return !m_client->gone(); }

private:
    JackPortWatch(std::shared_ptr<JackMidiClient> client, std::function<void()> changed);
    void portsChanged() override;

    std::shared_ptr<JackMidiClient> m_client;
    std::function<void()> m_changed;
    std::atomic<bool> m_told{false}; // `changed` ran and no rearm() since
};

} // namespace rz
