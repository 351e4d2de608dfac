// The built-in synthesizer through its JACK audio driver, on a dummy server
// of the test's own; alone (RUN_SERIAL) for the reason given in
// midi_jack_out_serial_test.cpp.

#include "platform/midi_gm_synth.h"
#include "tests/platform/midi_jack_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rz {
namespace {

using Bytes = std::vector<uint8_t>;

const std::filesystem::path kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

using GmSynthJack = JackServerTest;

TEST_F(GmSynthJack, JackDriverCreatesOutputPortsOnTheServer)
{
    GmSynthOptions options;
    options.soundFont = kTestSoundFont;
    GmSynthDevice synth(options);
    ASSERT_TRUE(synth.open()) << synth.openError();
    EXPECT_EQ(synth.audioDriver(), "jack");

    auto client = makeTestClient();
    const std::string pattern = std::string("^") + kGmSynthJackName + ":";
    const char** ports =
        jack_get_ports(client->handle(), pattern.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    size_t count = 0;
    for (const char** port = ports; port && *port; ++port) {
        ++count;
        const char** links = jack_port_get_all_connections(
            client->handle(), jack_port_by_name(client->handle(), *port));
        EXPECT_TRUE(links && std::string(links[0]).rfind("system:playback_", 0) == 0)
            << *port << " is not connected to the playback ports";
        jack_free(links);
    }
    jack_free(ports);
    EXPECT_EQ(count, 2u) << "left and right";
    synth.sendShort(Bytes{0x90, 60, 100});
    synth.close();
    EXPECT_FALSE(synth.isOpen());
}

} // namespace
} // namespace rz
