#include "engine/late_port_open.h"

#include "core/gui_post.h"
#include "engine/out_port.h"
#include "platform/midi_out_device.h"

namespace rz {

LatePortOpen::LatePortOpen(IGuiThreadQueue& gui, std::vector<std::shared_ptr<COutPort>> ports,
                           Done done)
    : m_stopped(std::make_shared<std::atomic<bool>>(false))
{
    m_thread = std::thread([this, &gui, ports = std::move(ports), done = std::move(done)]() mutable {
        run(gui, std::move(ports), std::move(done));
    });
}

LatePortOpen::~LatePortOpen()
{
    m_stopped->store(true, std::memory_order_release);
    if (m_thread.joinable())
        m_thread.join();
}

// Runs on the opening thread. The results go to the GUI thread whole; the
// flag keeps a call queued after the owner went from running.
void LatePortOpen::run(IGuiThreadQueue& gui, std::vector<std::shared_ptr<COutPort>> ports, Done done)
{
    std::vector<Result> results;
    for (std::shared_ptr<COutPort>& port : ports) {
        if (m_stopped->load(std::memory_order_acquire))
            return;
        IMidiOutDevice* device = port->device();
        Result result{std::move(port), false, {}};
        if (device) {
            result.opened = device->openUnless(*m_stopped);
            if (!result.opened)
                result.error = device->openError();
        }
        results.push_back(std::move(result));
    }
    if (m_stopped->load(std::memory_order_acquire))
        return; // given up: nothing to report
    gui.postToGui([stopped = m_stopped, done = std::move(done), results = std::move(results)]() mutable {
        if (!stopped->load(std::memory_order_acquire))
            done(std::move(results));
    });
}

} // namespace rz
