// Plug-ins that misbehave on purpose, for the effect host's tests.
#include <ladspa.h>

#include <cmath>
#include <cstdlib>
#include <chrono>
#include <limits>
#include <thread>

namespace {

struct Wild {
    const float* in = nullptr;
    float* out = nullptr;
};

// Writes NaN, infinity, 2.0 and -2.0 in turn, whatever comes in.
void runWild(LADSPA_Handle handle, unsigned long frames)
{
    auto* self = static_cast<Wild*>(handle);
    const float values[] = {std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(), 2.0f, -2.0f};
    for (unsigned long i = 0; i < frames; ++i)
        self->out[i] = values[i % 4];
}

// Instantiates only while RZ_TEST_LADSPA_REFUSE is unset.
LADSPA_Handle instantiateWild(const LADSPA_Descriptor*, unsigned long)
{
    const char* refuse = std::getenv("RZ_TEST_LADSPA_REFUSE");
    if (refuse && *refuse)
        return nullptr;
    return new Wild;
}

void connectWild(LADSPA_Handle handle, unsigned long port, LADSPA_Data* data)
{
    auto* self = static_cast<Wild*>(handle);
    if (port == 0)
        self->in = data;
    else
        self->out = data;
}

void cleanupWild(LADSPA_Handle handle)
{
    delete static_cast<Wild*>(handle);
}

const LADSPA_PortDescriptor kWildPorts[] = {LADSPA_PORT_INPUT | LADSPA_PORT_AUDIO,
                                            LADSPA_PORT_OUTPUT | LADSPA_PORT_AUDIO};
const char* const kWildNames[] = {"Input", "Output"};
const LADSPA_PortRangeHint kWildHints[] = {{0, 0, 0}, {0, 0, 0}};

const LADSPA_Descriptor kWild = {
    990001, "wild_mono", LADSPA_PROPERTY_INPLACE_BROKEN, "Wild Output", "test", "None", 2,
    kWildPorts, kWildNames, kWildHints, nullptr, instantiateWild, connectWild, nullptr, runWild,
    nullptr, nullptr, nullptr, cleanupWild,
};

// Passes its input through, 2 ms a block: a run long enough to stop midway.
void runSlow(LADSPA_Handle handle, unsigned long frames)
{
    auto* self = static_cast<Wild*>(handle);
    for (unsigned long i = 0; i < frames; ++i)
        self->out[i] = self->in[i];
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

const LADSPA_Descriptor kSlow = {
    990002, "slow_mono", 0, "Slow Copy", "test", "None", 2,
    kWildPorts, kWildNames, kWildHints, nullptr, instantiateWild, connectWild, nullptr, runSlow,
    nullptr, nullptr, nullptr, cleanupWild,
};

} // namespace

extern "C" __attribute__((visibility("default"))) const LADSPA_Descriptor*
ladspa_descriptor(unsigned long index)
{
    switch (index) {
    case 0: return &kWild;
    case 1: return &kSlow;
    default: return nullptr;
    }
}
