#include "engine/audio/audio_filter.h"

#include <algorithm>
#include <cmath>

namespace rz {

namespace {

float sane(float sample)
{
    if (!std::isfinite(sample))
        return 0.0f;
    return std::clamp(sample, -1.0f, 1.0f);
}

constexpr float kPcm16Scale = 32768.0f;

int16_t toPcm16(float sample)
{
    const float scaled = std::nearbyint(std::clamp(sample, -1.0f, 1.0f) * kPcm16Scale);
    return int16_t(std::clamp(scaled, -32768.0f, 32767.0f));
}

} // namespace

LadspaFilter::LadspaFilter(std::shared_ptr<const LadspaPlugin> plugin, uint32_t rate)
    : m_plugin(std::move(plugin)), m_rate(rate)
{
    const std::vector<LadspaControl>& controls = info().controls;
    m_values = std::make_unique<std::atomic<float>[]>(controls.size());
    m_ports.resize(controls.size());
    for (size_t i = 0; i < controls.size(); ++i)
        m_values[i].store(controls[i].defaultValue, std::memory_order_relaxed);
    for (unsigned channel = 0; channel < 2; ++channel) {
        m_in[channel].resize(kBlockFrames);
        m_out[channel].resize(kBlockFrames);
    }
}

LadspaFilter::~LadspaFilter()
{
    stop();
}

float LadspaFilter::control(size_t index) const
{
    return index < info().controls.size() ? m_values[index].load(std::memory_order_relaxed) : 0.0f;
}

void LadspaFilter::setControl(size_t index, float value)
{
    if (index < info().controls.size())
        m_values[index].store(info().controls[index].clamp(value), std::memory_order_relaxed);
}

std::vector<float> LadspaFilter::controls() const
{
    std::vector<float> values(info().controls.size());
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = control(i);
    return values;
}

void LadspaFilter::setControls(std::span<const float> values)
{
    for (size_t i = 0; i < values.size(); ++i)
        setControl(i, values[i]);
}

bool LadspaFilter::start()
{
    stop();
    const unsigned instances = info().channels == 1 ? 2 : 1;
    for (unsigned i = 0; i < instances; ++i) {
        std::unique_ptr<LadspaInstance> instance = m_plugin->instantiate(m_rate);
        if (!instance) {
            stop();
            return false;
        }
        connectInstance(*instance, i);
        m_instances.push_back(std::move(instance));
    }
    for (size_t i = 0; i < m_ports.size(); ++i)
        m_ports[i] = control(i);
    for (auto& instance : m_instances)
        instance->activate();
    return true;
}

void LadspaFilter::stop()
{
    m_instances.clear();
}

// A mono instance serves `channel`; a stereo one both.
void LadspaFilter::connectInstance(LadspaInstance& instance, unsigned channel)
{
    const LadspaPluginInfo& plugin = info();
    for (unsigned c = 0; c < plugin.channels; ++c) {
        const unsigned buffer = plugin.channels == 1 ? channel : c;
        instance.connect(plugin.audioInputs[c], m_in[buffer].data());
        instance.connect(plugin.audioOutputs[c], m_out[buffer].data());
    }
    for (size_t i = 0; i < plugin.controls.size(); ++i)
        instance.connect(plugin.controls[i].port, &m_ports[i]);
}

void LadspaFilter::process(float* left, float* right, uint32_t frames)
{
    for (uint32_t done = 0; done < frames;) {
        const uint32_t block = std::min(frames - done, kBlockFrames);
        processBlock(left + done, right + done, block);
        done += block;
    }
}

void LadspaFilter::processBlock(float* left, float* right, uint32_t frames)
{
    const std::vector<LadspaControl>& controls = info().controls;
    for (size_t i = 0; i < controls.size(); ++i)
        if (!controls[i].output)
            m_ports[i] = control(i);
    std::copy(left, left + frames, m_in[0].begin());
    std::copy(right, right + frames, m_in[1].begin());
    for (auto& instance : m_instances)
        instance->run(frames);
    std::transform(m_out[0].begin(), m_out[0].begin() + frames, left, sane);
    std::transform(m_out[1].begin(), m_out[1].begin() + frames, right, sane);
}

void filterPcm16(LadspaFilter& filter, std::span<int16_t> interleaved)
{
    float left[LadspaFilter::kBlockFrames];
    float right[LadspaFilter::kBlockFrames];
    const size_t frames = interleaved.size() / 2;
    for (size_t done = 0; done < frames;) {
        const size_t block = std::min<size_t>(frames - done, LadspaFilter::kBlockFrames);
        int16_t* samples = interleaved.data() + 2 * done;
        for (size_t i = 0; i < block; ++i) {
            left[i] = float(samples[2 * i]) / kPcm16Scale;
            right[i] = float(samples[2 * i + 1]) / kPcm16Scale;
        }
        filter.process(left, right, uint32_t(block));
        for (size_t i = 0; i < block; ++i) {
            samples[2 * i] = toPcm16(left[i]);
            samples[2 * i + 1] = toPcm16(right[i]);
        }
        done += block;
    }
}

} // namespace rz
