// The declarations against plug-ins built elsewhere: every record and offset
// is pinned where the declarations are; here a third-party plug-in loads and
// renders through them.
#include "tests/engine/vst_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace rz {
namespace {

// The first plug-in library the package installed; empty when it is absent.
std::filesystem::path packagedPlugin(const std::string& wanted)
{
    std::unique_ptr<FILE, int (*)(FILE*)> listing(popen("dpkg -L lsp-plugins-vst 2>/dev/null", "r"), pclose);
    if (!listing)
        return {};
    std::filesystem::path found;
    char line[4096];
    while (std::fgets(line, sizeof line, listing.get())) {
        std::string path(line);
        while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
            path.pop_back();
        const std::filesystem::path file(path);
        if (file.extension() != ".so" || !std::filesystem::is_regular_file(file))
            continue;
        if (file.filename() == wanted)
            return file;
    }
    return found;
}

// What a third-party plug-in leaks is not ours to report.
struct ThirdPartyLeaksIgnored {
#if defined(__SANITIZE_ADDRESS__)
    ThirdPartyLeaksIgnored() { __lsan_disable(); }
    ~ThirdPartyLeaksIgnored() { __lsan_enable(); }
#endif
};

using VstAbi = VstFixture;

TEST_F(VstAbi, ThirdPartyPluginLoadsAndRenders)
{
    const std::filesystem::path library = packagedPlugin("oscillator-mono.so");
    if (library.empty())
        GTEST_SKIP() << "lsp-plugins-vst is not installed (scripts/setup installs it)";
    [[maybe_unused]] const ThirdPartyLeaksIgnored ignored;
    const InstrumentLoadResult result = plugin.load(library);
    ASSERT_TRUE(result.name) << result.error;
    EXPECT_FALSE(result.name->empty());
    EXPECT_LE(result.name->size(), kVstMaxProductStrLen);
    plugin.resetAudio(kRate, kBlock);
    StereoBlock block(kBlock);
    for (int i = 0; i < 100; ++i) {
        plugin.process(block.outputs(), kBlock);
        host.clock += 5;
        for (size_t frame = 0; frame < block.left.size(); ++frame) {
            ASSERT_TRUE(std::isfinite(block.left[frame]) && std::fabs(block.left[frame]) <= 1.0f)
                << "block " << i << " frame " << frame;
        }
    }
    plugin.unload();
    EXPECT_FALSE(plugin.isLoaded());
}

} // namespace
} // namespace rz
