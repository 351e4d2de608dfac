// Devices that appear while the program runs (a synthesizer started after
// it) join the engine's lists as closed ports at their ends: when asked, and
// on their own while someone listens for them. GUI thread.
#include "engine/sequencer.h"

#include "core/gui_post.h"
#include "core/profile.h"
#include "engine/sequencer_devices.h"

#include <algorithm>

namespace rz {

namespace {

template <class Items, class NameOf>
bool hasName(const Items& items, const std::string& name, NameOf nameOf)
{
    const std::string key = profileKey(name);
    return std::any_of(items.begin(), items.end(),
                       [&](const auto& item) { return profileKey(nameOf(item)) == key; });
}

} // namespace

size_t CSequencer::AddNewDevicePorts()
{
    if (!m_initialised.load(std::memory_order_acquire))
        return 0;
    // From here a registration posts again, even while the lists are read.
    if (m_deviceWatch)
        m_deviceWatch->rearm();
    const IMidiDeviceSource& devices = m_services.devices;
    const std::shared_ptr<const SequencerPorts> table = ports();
    auto next = std::make_shared<SequencerPorts>(*table);
    size_t added = 0;
    for (const MidiDeviceDescriptor& descriptor : MidiSystem::numbered(devices.outputs())) {
        if (hasName(next->outputs, descriptor.displayName, [](const auto& port) { return port->name(); }))
            continue;
        std::unique_ptr<IMidiOutDevice> device = devices.makeOutput(descriptor);
        if (!device)
            continue;
        auto port = std::make_shared<COutPort>(std::move(device));
        port->setName(descriptor.displayName);
        next->outputs.push_back(std::move(port));
        ++added;
    }
    if (next->outputs.size() != table->outputs.size())
        m_io.ports.store(next);
    for (const MidiDeviceDescriptor& descriptor : MidiSystem::numbered(devices.inputs())) {
        if (hasName(m_io.inputs, descriptor.displayName, [](const auto& input) { return input->name(); }))
            continue;
        std::unique_ptr<IMidiInDevice> device = devices.makeInput(descriptor);
        if (!device)
            continue;
        m_io.inputs.push_back(std::make_unique<CMidiIn>(*this, int(m_io.inputs.size()),
                                                        descriptor.displayName, std::move(device)));
        ++added;
    }
    return added;
}

int CSequencer::addPortListListener(std::function<void()> changed)
{
    const int handle = m_nextPortListListener++;
    m_portListListeners.emplace_back(handle, std::move(changed));
    if (m_initialised.load(std::memory_order_acquire) && !m_shuttingDown.load(std::memory_order_acquire))
        watchDevices();
    return handle;
}

void CSequencer::removePortListListener(int handle)
{
    std::erase_if(m_portListListeners, [&](const auto& entry) { return entry.first == handle; });
    if (m_portListListeners.empty()) {
        m_deviceWatch.reset();
        m_deviceWatchToken.reset();
    }
}

// A watch whose server went away is replaced by one on the server that
// answers now, if any.
void CSequencer::watchDevices()
{
    if (m_deviceWatch && m_deviceWatch->live())
        return;
    m_deviceWatch.reset();
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> alive = token;
    IGuiThreadQueue& gui = m_services.gui;
    m_deviceWatch = m_services.devices.watch([this, alive, &gui] {
        gui.postToGui([this, alive] {
            if (!alive.expired())
                onDevicesChanged();
        });
    });
    m_deviceWatchToken = m_deviceWatch ? std::move(token) : nullptr;
}

void CSequencer::onDevicesChanged()
{
    if (m_shuttingDown.load(std::memory_order_acquire))
        return;
    // A server that went and came back needs a watch of its own.
    watchDevices();
    if (AddNewDevicePorts() == 0)
        return;
    // A listener may remove itself while told.
    const auto listeners = m_portListListeners;
    for (const auto& [handle, changed] : listeners)
        changed();
}

} // namespace rz
