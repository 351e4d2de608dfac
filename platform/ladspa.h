#pragma once

#include <ladspa.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// LADSPA plug-ins: the catalog of those an audio effect can use, and
// instances of them. Plug-ins are foreign code loaded into the process: a
// library that will not load is skipped, but one that crashes takes the
// program with it.

// One control port, its hints read once. Bounds and the default are already
// multiplied by the rate for a sample-rate hint.
struct LadspaControl {
    unsigned long port = 0; // the port's index in the plug-in
    std::string name;
    bool output = false;
    bool toggled = false;
    bool integer = false;
    bool logarithmic = false;
    bool sampleRate = false;
    std::optional<float> lower;
    std::optional<float> upper;
    float defaultValue = 0.0f;

    // Within the bounds (0 or 1 for a toggle, whole for an integer); a value
    // that is no number becomes the default.
    float clamp(float value) const;
};

// A plug-in the catalog lists: as many audio outputs as inputs, one or two.
struct LadspaPluginInfo {
    std::string id; // "{ladspa:<UniqueID>:<Label>}"
    unsigned long uniqueId = 0;
    std::string label;
    std::string name;
    std::filesystem::path library;
    unsigned channels = 0; // 1: one instance per channel
    bool inPlaceBroken = false;
    std::vector<unsigned long> audioInputs;  // port indexes, left first
    std::vector<unsigned long> audioOutputs;
    std::vector<LadspaControl> controls;     // input and output controls, in port order
};

// "{ladspa:<UniqueID>:<Label>}"; its leading "{" marks an effect id.
std::string ladspaFilterId(unsigned long uniqueId, std::string_view label);

class LadspaInstance;

// One plug-in of a loaded library; the library stays loaded while this or
// any of its instances lives.
class LadspaPlugin {
public:
    LadspaPlugin(std::shared_ptr<void> library, const LADSPA_Descriptor* descriptor,
                 LadspaPluginInfo info);

    const LadspaPluginInfo& info() const { return m_info; }
    // A new instance at `rate` Hz, or null when the plug-in refuses it.
    std::unique_ptr<LadspaInstance> instantiate(unsigned long rate) const;

private:
    std::shared_ptr<void> m_library;
    const LADSPA_Descriptor* m_descriptor;
    LadspaPluginInfo m_info;
};

// One instance: ports connected by the owner, then activate, run, deactivate.
// One thread at a time.
class LadspaInstance {
public:
    LadspaInstance(std::shared_ptr<void> library, const LADSPA_Descriptor* descriptor,
                   LADSPA_Handle handle);
    ~LadspaInstance();
    LadspaInstance(const LadspaInstance&) = delete;
    LadspaInstance& operator=(const LadspaInstance&) = delete;

    void connect(unsigned long port, float* data);
    void activate();
    void run(unsigned long frames);
    void deactivate();

private:
    std::shared_ptr<void> m_library;
    const LADSPA_Descriptor* m_descriptor;
    LADSPA_Handle m_handle;
    bool m_active = false;
};

// The folders to scan: LADSPA_PATH when set and not empty, else
// /usr/lib/ladspa, /usr/local/lib/ladspa and ~/.ladspa. "~/" starts with
// `home`.
std::vector<std::filesystem::path> ladspaSearchPath(const char* ladspaPath, const char* home);
// The same from the environment.
std::vector<std::filesystem::path> ladspaSearchPath();

// The plug-ins of the given folders that an audio effect can use, sorted by
// name. Any thread; loads libraries.
class PluginMarks;

class LadspaCatalog {
public:
    // No real library holds more; one that answers every index would keep
    // the scan going for ever.
    static constexpr unsigned long kMostDescriptors = 4096;

    // With a mark folder (the user's data folder), each library is named in
    // a mark file there while it is loaded and asked for its plug-ins, so
    // that one which kills or hangs the program is skipped from then on.
    void setMarkFolder(std::filesystem::path folder) { m_markFolder = std::move(folder); }
    void scan(const std::vector<std::filesystem::path>& folders, unsigned long rate);
    // Libraries that stopped an earlier run and were skipped, one message each:
    // "<path> was skipped because it stopped the program last time".
    const std::vector<std::string>& stoppedLastTime() const { return m_stoppedLastTime; }

    // A mark a killed run left in `folder` becomes an entry of the list of
    // libraries to skip; the message naming it, once.
    static std::vector<std::string> settleMarks(const std::filesystem::path& folder);

    const std::vector<std::shared_ptr<const LadspaPlugin>>& plugins() const { return m_plugins; }
    std::shared_ptr<const LadspaPlugin> find(std::string_view id) const;
    // Why each library or plug-in was left out, one line each.
    const std::vector<std::string>& skipped() const { return m_skipped; }

private:
    void scanLibrary(const std::filesystem::path& file, unsigned long rate);
    void scanMarked(const std::filesystem::path& file, unsigned long rate, const PluginMarks& marks);

    std::vector<std::shared_ptr<const LadspaPlugin>> m_plugins;
    std::vector<std::string> m_skipped;
    std::vector<std::string> m_stoppedLastTime;
    std::filesystem::path m_markFolder;
};

} // namespace rz
