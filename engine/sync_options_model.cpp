// The Synchronization dialog apart from its widgets.

#include "engine/sync_options_model.h"

#include "core/profile.h"
#include "core/settings.h"
#include "engine/midi_in.h"
#include "engine/out_port.h"
#include "engine/sequencer.h"

namespace rz {

SyncOptionsModel::SyncOptionsModel(CSequencer& engine) : m_options(engine.syncOptions())
{
    for (const auto& port : engine.ports()->outputs)
        m_outputs.push_back(port->name());
    for (size_t i = 0; i < engine.inputCount(); ++i)
        m_inputs.push_back(engine.input(i).name());
}

std::vector<std::string> SyncOptionsModel::portItems() const
{
    std::vector<std::string> items{"All ports"};
    const std::vector<std::string>* names = nullptr;
    if (m_options.masterSlave == kMaster)
        names = &m_outputs;
    else if (m_options.masterSlave == kSlave)
        names = &m_inputs;
    int index = 0;
    if (names) {
        for (const std::string& name : *names)
            items.push_back(std::to_string(index++) + ": " + name);
    }
    for (; index < kListedPorts; ++index)
        items.push_back(std::to_string(index) + ": ?");
    return items;
}

int SyncOptionsModel::portItem() const
{
    const int count = int(portItems().size());
    return m_options.port >= 0 && m_options.port < count ? m_options.port : 0;
}

void SyncOptionsModel::ok(CSequencer& engine, IProfile& profile) const
{
    engine.setSyncOptions(m_options);
    writeSetting(profile, settings::kSyncPort, m_options.port);
    writeSetting(profile, settings::kSyncProtocol, m_options.protocol);
    writeSetting(profile, settings::kSyncMasterSlave, m_options.masterSlave);
    writeSetting(profile, settings::kSyncSmpte, m_options.smpteRate);
}

} // namespace rz
