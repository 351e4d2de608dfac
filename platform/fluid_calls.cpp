#include "platform/fluid_calls.h"

#include "platform/module_loader.h"

#include <dlfcn.h>

namespace rz {
namespace {

struct LoadedSynth {
    const FluidCalls* calls = nullptr;
    std::string problem;
    void (*setOmpThreads)(int) = nullptr;
};

bool completeSynthTable(const SynthModule& module)
{
    if (module.version != kSynthModuleVersion)
        return false;
    bool all = true;
#define RZ_FLUID_PRESENT(member, function) all = all && module.calls.member != nullptr;
    RZ_FLUID_CALLS(RZ_FLUID_PRESENT)
#undef RZ_FLUID_PRESENT
    return all;
}

LoadedSynth loadSynth()
{
    const LoadedModule loaded = loadModule(
        modulePlaces(RZ_SYNTH_MODULE_RELATIVE, RZ_SYNTH_MODULE_BUILD), kSynthModuleEntry,
        [](const void* table) { return completeSynthTable(*static_cast<const SynthModule*>(table)); });
    LoadedSynth result;
    result.problem = loaded.problem;
    if (!loaded.table)
        return result;
    result.calls = &static_cast<const SynthModule*>(loaded.table)->calls;
    // FluidSynth's OpenMP comes with the module and is found through it;
    // a FluidSynth built without OpenMP has none.
    result.setOmpThreads =
        reinterpret_cast<void (*)(int)>(dlsym(loaded.handle, "omp_set_num_threads"));
    return result;
}

const LoadedSynth& loadedSynthOnce()
{
    static const LoadedSynth loaded = loadSynth();
    return loaded;
}

} // namespace

const FluidCalls* loadSynthModule()
{
    return loadedSynthOnce().calls;
}

std::string synthModuleProblem()
{
    return loadedSynthOnce().problem;
}

const FluidCalls& fluid()
{
    return *loadedSynthOnce().calls;
}

void loadOnThisThreadOnly()
{
    if (const auto setThreads = loadedSynthOnce().setOmpThreads)
        setThreads(1);
}

} // namespace rz
