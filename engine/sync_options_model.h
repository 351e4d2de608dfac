#pragma once

#include "core/engine_link.h"

#include <string>
#include <vector>

namespace rz {

class CSequencer;
class IProfile;

// The Synchronization dialog's values and its port list. GUI thread.
class SyncOptionsModel {
public:
    static constexpr int kIndependent = 0; // "MasterSlave"
    static constexpr int kMaster = 1;
    static constexpr int kSlave = 2;
    // Port items the list always reaches, unknown ones as "%d: ?".
    static constexpr int kListedPorts = 16;

    explicit SyncOptionsModel(CSequencer& engine);

    SyncOptions& options() { return m_options; }
    const SyncOptions& options() const { return m_options; }
    // "All ports", then per output (master) or input (slave) "%d: %s", then
    // "%d: ?" up to index 15.
    std::vector<std::string> portItems() const;
    // Independent leaves the port alone.
    bool portsEnabled() const { return m_options.masterSlave != kIndependent; }
    // The item of the stored "Port", the first when it is past the list.
    int portItem() const;

    // Sets the engine's options at once and writes "SyncOptions".
    void ok(CSequencer& engine, IProfile& profile) const;

private:
    SyncOptions m_options;
    std::vector<std::string> m_outputs;
    std::vector<std::string> m_inputs;
};

} // namespace rz
