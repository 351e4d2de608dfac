#include "platform/codec_module.h"

#include <dlfcn.h>

#include <system_error>
#include <vector>

namespace rz {
namespace {

struct Loaded {
    const CodecModule* module = nullptr;
    std::string problem;
};

// Where the module may be: beside the program as installed (also the build
// tree's layout for the program), then where this build put it, for the
// test programs.
std::vector<std::filesystem::path> candidates()
{
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        paths.push_back(program.parent_path() / RZ_CODEC_MODULE_RELATIVE);
    paths.emplace_back(RZ_CODEC_MODULE_BUILD);
    return paths;
}

Loaded load()
{
    Loaded loaded;
    for (const std::filesystem::path& path : candidates()) {
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            if (loaded.problem.empty())
                loaded.problem = path.string() + " is missing";
            continue;
        }
        // Kept for the life of the process: engines it made may still run.
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = dlerror();
            loaded.problem = why ? why : path.string() + " could not be loaded";
            continue;
        }
        using Entry = const CodecModule* (*)();
        auto entry = reinterpret_cast<Entry>(dlsym(handle, kCodecModuleEntry));
        const CodecModule* module = entry ? entry() : nullptr;
        if (!module || module->version != kCodecModuleVersion || !module->makeDecoder
            || !module->makeWmaWriter || !module->errorText) {
            loaded.problem = path.string() + " is from another version of the program";
            continue;
        }
        loaded.module = module;
        loaded.problem.clear();
        return loaded;
    }
    return loaded;
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
