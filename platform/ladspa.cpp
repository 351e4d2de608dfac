#include "platform/ladspa.h"

#include "core/log.h"
#include "platform/plugin_marks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include <dlfcn.h>

namespace rz {

namespace {

// A default between the bounds: `share` of the way from lower to upper,
// measured on a log scale for a logarithmic port.
float between(const LadspaControl& control, float share)
{
    const float lower = control.lower.value_or(0.0f);
    const float upper = control.upper.value_or(lower);
    if (control.logarithmic && lower > 0.0f && upper > 0.0f)
        return std::exp(std::log(lower) * (1.0f - share) + std::log(upper) * share);
    return lower * (1.0f - share) + upper * share;
}

float hintedDefault(const LadspaControl& control, LADSPA_PortRangeHintDescriptor hints)
{
    switch (hints & LADSPA_HINT_DEFAULT_MASK) {
    case LADSPA_HINT_DEFAULT_MINIMUM: return control.lower.value_or(0.0f);
    case LADSPA_HINT_DEFAULT_LOW: return between(control, 0.25f);
    case LADSPA_HINT_DEFAULT_MIDDLE: return between(control, 0.5f);
    case LADSPA_HINT_DEFAULT_HIGH: return between(control, 0.75f);
    case LADSPA_HINT_DEFAULT_MAXIMUM: return control.upper.value_or(0.0f);
    case LADSPA_HINT_DEFAULT_0: return 0.0f;
    case LADSPA_HINT_DEFAULT_1: return 1.0f;
    case LADSPA_HINT_DEFAULT_100: return 100.0f;
    case LADSPA_HINT_DEFAULT_440: return 440.0f;
    default: return control.lower.value_or(0.0f);
    }
}

LadspaControl readControl(const LADSPA_Descriptor& d, unsigned long port, unsigned long rate)
{
    const LADSPA_PortRangeHint& hint = d.PortRangeHints[port];
    const LADSPA_PortRangeHintDescriptor hints = hint.HintDescriptor;
    LadspaControl control;
    control.port = port;
    control.name = d.PortNames[port] ? d.PortNames[port] : "";
    control.output = LADSPA_IS_PORT_OUTPUT(d.PortDescriptors[port]);
    control.toggled = LADSPA_IS_HINT_TOGGLED(hints);
    control.integer = LADSPA_IS_HINT_INTEGER(hints);
    control.logarithmic = LADSPA_IS_HINT_LOGARITHMIC(hints);
    control.sampleRate = LADSPA_IS_HINT_SAMPLE_RATE(hints);
    const float scale = control.sampleRate ? float(rate) : 1.0f;
    if (control.toggled) {
        control.lower = 0.0f;
        control.upper = 1.0f;
    } else {
        if (LADSPA_IS_HINT_BOUNDED_BELOW(hints) && std::isfinite(hint.LowerBound))
            control.lower = hint.LowerBound * scale;
        if (LADSPA_IS_HINT_BOUNDED_ABOVE(hints) && std::isfinite(hint.UpperBound))
            control.upper = hint.UpperBound * scale;
        if (control.lower && control.upper && *control.upper < *control.lower)
            control.upper = control.lower;
    }
    control.defaultValue = control.clamp(hintedDefault(control, hints));
    return control;
}

// The plug-in's ports, or a reason it cannot serve as an audio effect.
std::optional<LadspaPluginInfo> readInfo(const LADSPA_Descriptor& d, unsigned long rate,
                                         std::string& reason)
{
    LadspaPluginInfo info;
    info.uniqueId = d.UniqueID;
    info.label = d.Label ? d.Label : "";
    info.name = d.Name ? d.Name : info.label;
    info.id = ladspaFilterId(d.UniqueID, info.label);
    info.inPlaceBroken = LADSPA_IS_INPLACE_BROKEN(d.Properties);
    if (!d.PortDescriptors || !d.PortRangeHints || !d.instantiate || !d.connect_port || !d.run
        || !d.cleanup) {
        reason = "incomplete descriptor";
        return std::nullopt;
    }
    for (unsigned long port = 0; port < d.PortCount; ++port) {
        const LADSPA_PortDescriptor kind = d.PortDescriptors[port];
        if (LADSPA_IS_PORT_AUDIO(kind))
            (LADSPA_IS_PORT_INPUT(kind) ? info.audioInputs : info.audioOutputs).push_back(port);
        else
            info.controls.push_back(readControl(d, port, rate));
    }
    const size_t ins = info.audioInputs.size();
    if (ins < 1 || ins > 2 || info.audioOutputs.size() != ins) {
        reason = std::to_string(ins) + " audio inputs and " + std::to_string(info.audioOutputs.size())
                 + " outputs";
        return std::nullopt;
    }
    info.channels = unsigned(ins);
    return info;
}

} // namespace

float LadspaControl::clamp(float value) const
{
    if (!std::isfinite(value))
        return std::isfinite(defaultValue) ? defaultValue : 0.0f;
    if (toggled)
        return value > 0.0f ? 1.0f : 0.0f;
    if (integer)
        value = std::round(value);
    if (lower && value < *lower)
        value = integer ? std::ceil(*lower) : *lower;
    if (upper && value > *upper)
        value = integer ? std::floor(*upper) : *upper;
    return value;
}

std::string ladspaFilterId(unsigned long uniqueId, std::string_view label)
{
    return "{ladspa:" + std::to_string(uniqueId) + ":" + std::string(label) + "}";
}

LadspaPlugin::LadspaPlugin(std::shared_ptr<void> library, const LADSPA_Descriptor* descriptor,
                           LadspaPluginInfo info)
    : m_library(std::move(library)), m_descriptor(descriptor), m_info(std::move(info))
{
}

std::unique_ptr<LadspaInstance> LadspaPlugin::instantiate(unsigned long rate) const
{
    LADSPA_Handle handle = m_descriptor->instantiate(m_descriptor, rate);
    if (!handle)
        return nullptr;
    return std::make_unique<LadspaInstance>(m_library, m_descriptor, handle);
}

LadspaInstance::LadspaInstance(std::shared_ptr<void> library, const LADSPA_Descriptor* descriptor,
                               LADSPA_Handle handle)
    : m_library(std::move(library)), m_descriptor(descriptor), m_handle(handle)
{
}

LadspaInstance::~LadspaInstance()
{
    deactivate();
    m_descriptor->cleanup(m_handle);
}

void LadspaInstance::connect(unsigned long port, float* data)
{
    m_descriptor->connect_port(m_handle, port, data);
}

void LadspaInstance::activate()
{
    if (m_active)
        deactivate();
    if (m_descriptor->activate)
        m_descriptor->activate(m_handle);
    m_active = true;
}

void LadspaInstance::run(unsigned long frames)
{
    m_descriptor->run(m_handle, frames);
}

void LadspaInstance::deactivate()
{
    if (m_active && m_descriptor->deactivate)
        m_descriptor->deactivate(m_handle);
    m_active = false;
}

std::vector<std::filesystem::path> ladspaSearchPath(const char* ladspaPath, const char* home)
{
    const std::string list = ladspaPath && *ladspaPath
                                 ? std::string(ladspaPath)
                                 : std::string("/usr/lib/ladspa:/usr/local/lib/ladspa:~/.ladspa");
    std::vector<std::filesystem::path> folders;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        std::string folder = list.substr(start, end - start);
        if (folder.starts_with("~/")) {
            if (home && *home)
                folders.emplace_back(std::filesystem::path(home) / folder.substr(2));
        } else if (!folder.empty()) {
            folders.emplace_back(folder);
        }
        start = end + 1;
    }
    return folders;
}

std::vector<std::filesystem::path> ladspaSearchPath()
{
    return ladspaSearchPath(std::getenv("LADSPA_PATH"), std::getenv("HOME"));
}

std::vector<std::string> LadspaCatalog::settleMarks(const std::filesystem::path& folder)
{
    return PluginMarks(folder, "ladspa").settle();
}

void LadspaCatalog::scan(const std::vector<std::filesystem::path>& folders, unsigned long rate)
{
    m_plugins.clear();
    m_skipped.clear();
    m_stoppedLastTime.clear();
    const PluginMarks marks(m_markFolder, "ladspa");
    marks.settle();
    for (const std::filesystem::path& folder : folders) {
        std::error_code error;
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            if (entry.path().extension() == ".so")
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const std::filesystem::path& file : files)
            scanMarked(file, rate, marks);
    }
    std::stable_sort(m_plugins.begin(), m_plugins.end(), [](const auto& a, const auto& b) {
        return a->info().name < b->info().name;
    });
}

void LadspaCatalog::scanMarked(const std::filesystem::path& file, unsigned long rate, const PluginMarks& marks)
{
    if (marks.isStopped(file)) {
        m_stoppedLastTime.push_back(PluginMarks::stoppedMessage(file.string()));
        m_skipped.push_back(m_stoppedLastTime.back());
        return;
    }
    marks.begin(file);
    scanLibrary(file, rate);
    marks.end();
}

void LadspaCatalog::scanLibrary(const std::filesystem::path& file, unsigned long rate)
{
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = ::dlerror();
        m_skipped.push_back(file.string() + ": " + (error ? error : "cannot be loaded"));
        writeLog("LADSPA: skipped " + m_skipped.back());
        return;
    }
    std::shared_ptr<void> library(handle, [](void* h) { ::dlclose(h); });
    auto entry = reinterpret_cast<LADSPA_Descriptor_Function>(::dlsym(handle, "ladspa_descriptor"));
    if (!entry) {
        m_skipped.push_back(file.string() + ": no ladspa_descriptor");
        writeLog("LADSPA: skipped " + m_skipped.back());
        return;
    }
    for (unsigned long i = 0;; ++i) {
        if (i == kMostDescriptors) {
            m_skipped.push_back(file.string() + ": more than " + std::to_string(kMostDescriptors)
                                + " plug-ins; the rest are left out");
            break;
        }
        const LADSPA_Descriptor* descriptor = entry(i);
        if (!descriptor)
            break;
        std::string reason;
        std::optional<LadspaPluginInfo> info = readInfo(*descriptor, rate, reason);
        if (info && find(info->id)) {
            reason = "listed already from an earlier folder";
        } else if (info) {
            info->library = file;
            auto plugin = std::make_shared<const LadspaPlugin>(library, descriptor, std::move(*info));
            if (plugin->instantiate(rate))
                m_plugins.push_back(std::move(plugin));
            else
                reason = "cannot be instantiated at " + std::to_string(rate) + " Hz";
        }
        if (!reason.empty())
            m_skipped.push_back(file.string() + ": "
                                + (descriptor->Label ? descriptor->Label : "?") + ": " + reason);
    }
}

std::shared_ptr<const LadspaPlugin> LadspaCatalog::find(std::string_view id) const
{
    for (const auto& plugin : m_plugins)
        if (plugin->info().id == id)
            return plugin;
    return nullptr;
}

} // namespace rz
