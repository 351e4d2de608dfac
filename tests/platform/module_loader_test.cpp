#include "platform/fluid_calls.h"
#include "platform/module_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace rz {
namespace {

bool acceptsSynthTable(const void* table)
{
    return static_cast<const SynthModule*>(table)->version == kSynthModuleVersion;
}

// A module that is missing, not a library, lacks the entry or answers a
// table of another version is not loaded, and the reason names the file.
TEST(ModuleLoader, RefusesWhatIsNoModuleOfOursWithAClearReason)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path()
                                         / ("rz-module-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path text = folder / "not-a-library.so";
    std::ofstream(text) << "plain text\n";
    const std::filesystem::path missing = folder / "missing.so";
    struct Case {
        const char* name;
        std::filesystem::path path;
        bool (*accepts)(const void*);
        std::string reason;
    };
    const std::vector<Case> cases{
        {"missing", missing, acceptsSynthTable, missing.string() + " is missing"},
        {"not a library", text, acceptsSynthTable, text.string()},
        {"no entry", RZ_TEST_NOT_LADSPA, acceptsSynthTable,
         std::string(RZ_TEST_NOT_LADSPA) + " is from another version of the program"},
        {"refused table", RZ_TEST_SYNTH_MODULE, [](const void*) { return false; },
         std::string(RZ_TEST_SYNTH_MODULE) + " is from another version of the program"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LoadedModule loaded = loadModule({c.path}, kSynthModuleEntry, c.accepts);
        EXPECT_EQ(loaded.table, nullptr);
        EXPECT_NE(loaded.problem.find(c.reason), std::string::npos) << loaded.problem;
    }
    std::filesystem::remove_all(folder);
}

// The first place that loads wins; a missing one before it is no failure.
TEST(ModuleLoader, LoadsTheFirstPlaceThatHoldsTheModule)
{
    const LoadedModule loaded = loadModule({"/nonexistent/rz_fluid.so", RZ_TEST_SYNTH_MODULE},
                                           kSynthModuleEntry, acceptsSynthTable);
    ASSERT_NE(loaded.table, nullptr) << loaded.problem;
    EXPECT_NE(loaded.handle, nullptr);
    EXPECT_TRUE(loaded.problem.empty()) << loaded.problem;
    // The same file loaded twice is one copy: the synthesizer's own.
    const FluidCalls* calls = loadSynthModule();
    ASSERT_NE(calls, nullptr) << synthModuleProblem();
    EXPECT_EQ(static_cast<const SynthModule*>(loaded.table)->calls.new_synth, calls->new_synth);
}

} // namespace
} // namespace rz
