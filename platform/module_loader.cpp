#include "platform/module_loader.h"

#include <dlfcn.h>

#include <system_error>

namespace rz {

std::vector<std::filesystem::path> modulePlaces(const std::filesystem::path& relative,
                                                const std::filesystem::path& built)
{
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        paths.push_back(program.parent_path() / relative);
    paths.push_back(built);
    return paths;
}

LoadedModule loadModule(const std::vector<std::filesystem::path>& places, const char* entry,
                        const std::function<bool(const void* table)>& accepts)
{
    LoadedModule loaded;
    for (const std::filesystem::path& path : places) {
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            if (loaded.problem.empty())
                loaded.problem = path.string() + " is missing";
            continue;
        }
        // Never closed: what the module made may still run.
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = dlerror();
            loaded.problem = why ? why : path.string() + " could not be loaded";
            continue;
        }
        using Entry = const void* (*)();
        auto function = reinterpret_cast<Entry>(dlsym(handle, entry));
        const void* table = function ? function() : nullptr;
        if (!table || !accepts(table)) {
            loaded.problem = path.string() + " is from another version of the program";
            continue;
        }
        loaded.handle = handle;
        loaded.table = table;
        loaded.problem.clear();
        return loaded;
    }
    if (loaded.problem.empty())
        loaded.problem = "no place to look for the module";
    return loaded;
}

} // namespace rz
