// What the MIDI system lists of a JACK server's ports; alone (RUN_SERIAL)
// for the reason given in midi_jack_out_serial_test.cpp.

#include "platform/midi_jack_out.h"
#include "platform/midi_system.h"
#include "tests/platform/midi_jack_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace rz {
namespace {

using MidiJackEnumeration = JackServerTest;

MidiSystem jackOnly()
{
    MidiSystemOptions options;
    options.useAlsa = false;
    return MidiSystem(options);
}

bool lists(const std::vector<MidiDeviceDescriptor>& devices, const std::string& name)
{
    return std::any_of(devices.begin(), devices.end(),
                       [&](const MidiDeviceDescriptor& device) { return device.displayName == name; });
}

TEST_F(MidiJackEnumeration, ShowsTheClientsPortsButNotOurOwn)
{
    auto client = makeTestClient();
    const MidiSystem system = jackOnly();
    const auto outputs = system.outputs();
    const auto inputs = system.inputs();
    const MidiDeviceDescriptor expectedOut{"rz-test:in", MidiDeviceKind::Software, MidiBackend::Jack,
                                           "rz-test:in"};
    const MidiDeviceDescriptor expectedIn{"rz-test:out", MidiDeviceKind::Software, MidiBackend::Jack,
                                          "rz-test:out"};
    EXPECT_EQ(outputs, std::vector<MidiDeviceDescriptor>{expectedOut});
    EXPECT_EQ(inputs, std::vector<MidiDeviceDescriptor>{expectedIn});

    // Our own ports stay out of the lists.
    auto device = system.makeOutput(outputs.front());
    ASSERT_TRUE(device && device->open());
    EXPECT_EQ(system.outputs(), outputs);
    EXPECT_EQ(system.inputs(), inputs);
    EXPECT_EQ(device->displayName(), "rz-test:in");
}

TEST_F(MidiJackEnumeration, RepeatedNamesAreNumberedInListOrder)
{
    auto client = makeTestClient();
    const auto outputs = jackOnly().outputs();
    ASSERT_EQ(outputs.size(), 1u);
    // The same port reported twice, as by two back ends.
    const auto twice = MidiSystem::numbered({outputs[0], outputs[0], outputs[0]});
    ASSERT_EQ(twice.size(), 3u);
    EXPECT_EQ(twice[0].displayName, "rz-test:in");
    EXPECT_EQ(twice[1].displayName, "rz-test:in (2)");
    EXPECT_EQ(twice[2].displayName, "rz-test:in (3)");
    EXPECT_EQ(twice[1].address, "rz-test:in") << "the address still finds the port";
}

TEST_F(MidiJackEnumeration, SecondClientPortsAppearAndDisappear)
{
    auto first = makeTestClient("rz-first");
    {
        auto second = makeTestClient("rz-second");
        const auto outputs = jackOnly().outputs();
        EXPECT_TRUE(lists(outputs, "rz-first:in"));
        EXPECT_TRUE(lists(outputs, "rz-second:in"));
    }
    const auto outputs = jackOnly().outputs();
    EXPECT_TRUE(lists(outputs, "rz-first:in"));
    EXPECT_FALSE(lists(outputs, "rz-second:in"));
}

} // namespace
} // namespace rz
