// JACK MIDI without a server: no client, no ports, no error.

#include "platform/midi_jack_client.h"
#include "platform/midi_jack_out.h"
#include "platform/midi_system.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace rz {
namespace {

TEST(MidiJackNoServer, NoServerMeansNoClientAndNoError)
{
    setenv("JACK_DEFAULT_SERVER", "rz-no-such-server", 1);
    EXPECT_EQ(JackMidiClient::acquire(), nullptr);
    JackMidiOutDevice out("a:b", "a:b", MidiDeviceKind::Software);
    EXPECT_FALSE(out.open());
    EXPECT_NE(out.openError().find("no JACK server"), std::string::npos) << out.openError();
}

TEST(MidiJackEnumerationNoServer, NoServerListsNoJackPorts)
{
    setenv("JACK_DEFAULT_SERVER", "rz-no-such-server", 1);
    MidiSystemOptions options;
    options.soundFonts.clear();
    const MidiSystem system(options);
    for (const MidiDeviceDescriptor& device : system.outputs())
        EXPECT_NE(device.backend, MidiBackend::Jack);
    for (const MidiDeviceDescriptor& device : system.inputs())
        EXPECT_NE(device.backend, MidiBackend::Jack);
}

} // namespace
} // namespace rz

