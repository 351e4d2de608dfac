#pragma once

#include "platform/ladspa.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace rz {

// An audio effect over one LADSPA plug-in: stereo through one stereo
// instance or two mono ones. Control values may be set from any thread and
// reach the plug-in at its next block; processing is one thread's at a time.
class LadspaFilter {
public:
    static constexpr uint32_t kBlockFrames = 4096;

    LadspaFilter(std::shared_ptr<const LadspaPlugin> plugin, uint32_t rate);
    ~LadspaFilter();
    LadspaFilter(const LadspaFilter&) = delete;
    LadspaFilter& operator=(const LadspaFilter&) = delete;

    const LadspaPluginInfo& info() const { return m_plugin->info(); }
    uint32_t rate() const { return m_rate; }

    // Values by index into info().controls; set values are clamped to the
    // port's bounds. Any thread.
    float control(size_t index) const;
    void setControl(size_t index, float value);
    std::vector<float> controls() const;
    void setControls(std::span<const float> values);

    // New instances, activated: nothing of an earlier run carries over. False
    // when the plug-in refuses an instance.
    bool start();
    // Deactivates and frees the instances.
    void stop();
    bool started() const { return !m_instances.empty(); }

    // Filters both channels in place, any frame count. NaN and infinity come
    // out as 0, anything beyond ±1.0 clamped. Needs start(); never allocates.
    void process(float* left, float* right, uint32_t frames);

private:
    void connectInstance(LadspaInstance& instance, unsigned channel);
    void processBlock(float* left, float* right, uint32_t frames);

    std::shared_ptr<const LadspaPlugin> m_plugin;
    uint32_t m_rate;
    std::unique_ptr<std::atomic<float>[]> m_values;
    std::vector<float> m_ports; // what the control ports are connected to
    std::vector<std::unique_ptr<LadspaInstance>> m_instances;
    // Inputs and outputs apart, so plug-ins that cannot run in place work.
    std::vector<float> m_in[2];
    std::vector<float> m_out[2];
};

// Filters interleaved 16-bit stereo frames in place through floats.
void filterPcm16(LadspaFilter& filter, std::span<int16_t> interleaved);

} // namespace rz
