#include "platform/alsa_pcm_devices.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

// Whatever the machine has (often no sound card at all), listing answers and
// every entry can be opened by its name and shown by its friendly name.
TEST(AlsaPcmDevices, ListingNeverFailsAndNamesEveryEntry)
{
    for (bool capture : {false, true}) {
        for (const AlsaPcmDevice& device : listAlsaPcmDevices(capture)) {
            EXPECT_FALSE(device.name.empty());
            EXPECT_FALSE(device.friendlyName.empty());
            EXPECT_EQ(device.friendlyName.find('\n'), std::string::npos);
            EXPECT_NE(device.name, "null");
        }
    }
}

} // namespace
} // namespace rz
