#include "engine/audio/audio_effect_menu.h"
#include "filter_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(AudioEffectMenu, ListsRecentEffectsTheCatalogStillFinds)
{
    const std::vector<std::string> recent = {test::kDelay, "{ladspa:4242:gone}", test::kAmpMono,
                                             test::kAmpStereo};
    const auto entries = audioEffectMenuEntries(recent, test::testCatalog(), 2);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].filterId, test::kDelay);
    EXPECT_EQ(entries[0].text, "&1 Simple Delay Line");
    EXPECT_EQ(entries[1].filterId, test::kAmpMono);
    EXPECT_EQ(entries[1].text, "&2 Mono Amplifier");
}

} // namespace
} // namespace rz
