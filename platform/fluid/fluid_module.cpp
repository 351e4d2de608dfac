// The synthesizer module's one exported function (platform/fluid_calls.h).
#include "platform/fluid_calls.h"

extern "C" __attribute__((visibility("default"))) const rz::SynthModule* rzSynthModule()
{
#define RZ_FLUID_ADDRESS(member, function) .member = &::function,
    static const rz::SynthModule module{
        .version = rz::kSynthModuleVersion,
        .calls = {RZ_FLUID_CALLS(RZ_FLUID_ADDRESS)},
    };
#undef RZ_FLUID_ADDRESS
    return &module;
}
