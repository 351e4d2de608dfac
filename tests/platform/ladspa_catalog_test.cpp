#include "platform/ladspa.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <set>
#include <unistd.h>

namespace rz {
namespace {

const std::filesystem::path kSdkFolder = "/usr/lib/ladspa";
constexpr unsigned long kCatalogRate = 44100;

std::set<std::string> labels(const LadspaCatalog& catalog)
{
    std::set<std::string> result;
    for (const auto& plugin : catalog.plugins())
        result.insert(plugin->info().label);
    return result;
}

TEST(LadspaCatalog, ListsEffectsButNotSources)
{
    LadspaCatalog catalog;
    catalog.scan({kSdkFolder}, kCatalogRate);
    const std::set<std::string> found = labels(catalog);
    for (const char* effect : {"amp_mono", "amp_stereo", "delay_5s"})
        EXPECT_TRUE(found.count(effect)) << effect;
    for (const char* source : {"sine_fcac", "sine_faaa", "noise_white"})
        EXPECT_FALSE(found.count(source)) << source;
    for (size_t i = 1; i < catalog.plugins().size(); ++i)
        EXPECT_LE(catalog.plugins()[i - 1]->info().name, catalog.plugins()[i]->info().name);
}

TEST(LadspaCatalog, IdsAndChannelsAndHints)
{
    LadspaCatalog catalog;
    catalog.scan({kSdkFolder}, kCatalogRate);
    const auto stereo = catalog.find("{ladspa:1049:amp_stereo}");
    ASSERT_TRUE(stereo);
    EXPECT_EQ(stereo->info().channels, 2u);
    const auto mono = catalog.find("{ladspa:1048:amp_mono}");
    ASSERT_TRUE(mono);
    EXPECT_EQ(mono->info().channels, 1u);
    ASSERT_EQ(mono->info().controls.size(), 1u);
    const LadspaControl& gain = mono->info().controls[0];
    EXPECT_EQ(gain.name, "Gain");
    EXPECT_TRUE(gain.logarithmic);
    EXPECT_FLOAT_EQ(gain.defaultValue, 1.0f);
    EXPECT_FALSE(gain.upper.has_value());

    const auto lowPass = catalog.find("{ladspa:1041:lpf}");
    ASSERT_TRUE(lowPass);
    const LadspaControl& cutoff = lowPass->info().controls[0];
    EXPECT_TRUE(cutoff.sampleRate);
    EXPECT_FLOAT_EQ(*cutoff.upper, 0.5f * kCatalogRate);
    EXPECT_FLOAT_EQ(cutoff.clamp(1e9f), 0.5f * kCatalogRate);
    EXPECT_FLOAT_EQ(cutoff.clamp(std::nanf("")), cutoff.defaultValue);
    EXPECT_FALSE(catalog.find("{ladspa:1:none}"));
}

TEST(LadspaCatalog, SkipsLibrariesThatAreNoPlugins)
{
    char pattern[] = "/tmp/rz-ladspa-XXXXXX";
    const std::filesystem::path folder = ::mkdtemp(pattern);
    std::ofstream(folder / "broken.so") << "not a library";
    std::filesystem::copy_file(RZ_TEST_NOT_LADSPA, folder / "other.so");
    std::filesystem::copy_file(kSdkFolder / "amp.so", folder / "amp.so");
    LadspaCatalog catalog;
    catalog.scan({folder, folder / "missing", kSdkFolder}, kCatalogRate);
    size_t amps = 0;
    for (const auto& plugin : catalog.plugins())
        amps += plugin->info().label.starts_with("amp_") ? 1 : 0;
    EXPECT_EQ(amps, 2u) << "the first folder's copy wins";
    EXPECT_EQ(catalog.find("{ladspa:1048:amp_mono}")->info().library, folder / "amp.so");
    ASSERT_GE(catalog.skipped().size(), 2u);
    EXPECT_NE(catalog.skipped()[0].find("broken.so"), std::string::npos);
    EXPECT_NE(catalog.skipped()[1].find("no ladspa_descriptor"), std::string::npos);
    std::filesystem::remove_all(folder);
}

const std::filesystem::path kHostile = RZ_TEST_HOSTILE_LADSPA_DIR;

// A copy of a library cut short, as an interrupted copy leaves it: its
// headers whole, its data segment missing, so loading it faults (SIGBUS).
void cutCopy(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::filesystem::copy_file(from, to);
    std::filesystem::resize_file(to, 6000);
}

// Each library that takes the scanning process down is named at the next
// scan and left out from then on; the catalog itself still scans.
TEST(LadspaCatalogMarks, ALibraryThatStoppedTheProgramIsSkippedNextTimeAndNamed)
{
    ::setenv("RZ_TEST_LADSPA_HANG_MS", "200", 1); // then it kills its process
    const struct {
        const char* what;
        std::function<void(const std::filesystem::path& folder)> put;
        const char* file;
    } cases[] = {
        {"crashing", [](const auto& f) { std::filesystem::copy_file(kHostile / "rz_test_ladspa_crash.so", f / "crash.so"); },
         "crash.so"},
        {"hanging", [](const auto& f) { std::filesystem::copy_file(kHostile / "rz_test_ladspa_hang.so", f / "hang.so"); },
         "hang.so"},
        {"cut", [](const auto& f) { cutCopy(kHostile / "rz_test_ladspa_endless.so", f / "cut.so"); }, "cut.so"},
    };
    for (const auto& c : cases) {
        TempFolder plugins, marks;
        c.put(plugins.path());
        const std::string library = (plugins.path() / c.file).string();
        const pid_t child = ::fork();
        if (child == 0) {
            LadspaCatalog catalog;
            catalog.setMarkFolder(marks.path());
            catalog.scan({plugins.path()}, 44100);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << c.what;
        const std::vector<std::string> named{library + " was skipped because it stopped the program last time"};
        EXPECT_EQ(LadspaCatalog::settleMarks(marks.path()), named) << c.what;
        EXPECT_TRUE(LadspaCatalog::settleMarks(marks.path()).empty()) << "named once";
        for (int run = 0; run < 2; ++run) {
            LadspaCatalog next;
            next.setMarkFolder(marks.path());
            next.scan({plugins.path()}, 44100);
            EXPECT_EQ(next.stoppedLastTime(), named) << c.what;
            EXPECT_TRUE(next.plugins().empty());
        }
    }
}

TEST(LadspaCatalogMarks, ALibraryAnsweringEveryIndexIsCutOff)
{
    LadspaCatalog catalog;
    TempFolder plugins;
    std::filesystem::copy_file(kHostile / "rz_test_ladspa_endless.so", plugins.file("endless.so"));
    catalog.scan({plugins.path()}, 44100);
    ASSERT_FALSE(catalog.skipped().empty());
    EXPECT_EQ(catalog.skipped().back(), plugins.file("endless.so").string() + ": more than 4096 plug-ins; the rest are left out");
    EXPECT_EQ(catalog.skipped().size(), LadspaCatalog::kMostDescriptors + 1);
}

TEST(LadspaCatalog, SearchPath)
{
    using Paths = std::vector<std::filesystem::path>;
    EXPECT_EQ(ladspaSearchPath(nullptr, "/home/u"),
              (Paths{"/usr/lib/ladspa", "/usr/local/lib/ladspa", "/home/u/.ladspa"}));
    EXPECT_EQ(ladspaSearchPath("", nullptr), (Paths{"/usr/lib/ladspa", "/usr/local/lib/ladspa"}));
    EXPECT_EQ(ladspaSearchPath("/a::~/b", "/h"), (Paths{"/a", "/h/b"}));
}

} // namespace
} // namespace rz
