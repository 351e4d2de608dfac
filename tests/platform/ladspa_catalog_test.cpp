#include "platform/ladspa.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <set>
#include <unistd.h>

namespace rz {
namespace {

const std::filesystem::path kSdkFolder = "/usr/lib/ladspa";
constexpr unsigned long kRate = 44100;

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
    catalog.scan({kSdkFolder}, kRate);
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
    catalog.scan({kSdkFolder}, kRate);
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
    EXPECT_FLOAT_EQ(*cutoff.upper, 0.5f * kRate);
    EXPECT_FLOAT_EQ(cutoff.clamp(1e9f), 0.5f * kRate);
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
    catalog.scan({folder, folder / "missing", kSdkFolder}, kRate);
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
