#include "platform/codec_module.h"

#include "platform/module_loader.h"

namespace rz {
namespace {

struct Loaded {
    const CodecModule* module = nullptr;
    std::string problem;
};

Loaded load()
{
    const LoadedModule loaded = loadModule(
        modulePlaces(RZ_CODEC_MODULE_RELATIVE, RZ_CODEC_MODULE_BUILD), kCodecModuleEntry,
        [](const void* table) {
            const auto* module = static_cast<const CodecModule*>(table);
            return module->version == kCodecModuleVersion && module->makeDecoder
                   && module->makeWmaWriter && module->errorText;
        });
    return {static_cast<const CodecModule*>(loaded.table), loaded.problem};
}

const Loaded& loadedOnce()
{
    static const Loaded loaded = load();
    return loaded;
}

} // namespace

const CodecModule* LoadCodecModule()
{
    return loadedOnce().module;
}

std::string CodecModuleProblem()
{
    return loadedOnce().problem;
}

} // namespace rz
