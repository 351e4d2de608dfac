#include "out_port_fixture.h"

#include "tests/support/fake_instrument.h"

namespace rz {
namespace {

TEST(OutPortOpen, ADevicePortIsNamedByItsDeviceAndOpensIt)
{
    auto recording = std::make_unique<RecordingMidiDevice>("Synth A", MidiDeviceKind::Software);
    RecordingMidiDevice* device = recording.get();
    COutPort port(std::move(recording));
    EXPECT_EQ(port.name(), "Synth A");
    EXPECT_FALSE(port.isInstrument());
    EXPECT_FALSE(port.isOpen());

    EXPECT_TRUE(port.Open());
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(port.Open()) << "reopens";
    EXPECT_EQ(device->openCount(), 2u);
    EXPECT_EQ(device->closeCount(), 2u) << "closes first";
    port.Close();
    EXPECT_FALSE(port.isOpen());

    device->setOpenResult(false);
    EXPECT_FALSE(port.Open());
    port.SendShort(noteOn(0, 60, 100));
    EXPECT_TRUE(device->messages().empty());
}

TEST(OutPortOpen, AnInstrumentPortLoadsItsLibraryAndTakesItsName)
{
    auto fake = std::make_unique<FakeInstrument>("Grand Piano");
    FakeInstrument* instrument = fake.get();
    COutPort port("/plugins/piano.so", std::move(fake));
    EXPECT_TRUE(port.isInstrument());
    EXPECT_EQ(port.path(), "/plugins/piano.so");

    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.name(), "Grand Piano");
    EXPECT_EQ(instrument->loadedPath(), "/plugins/piano.so");
    port.Close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(instrument->unloadCount(), 1);
}

TEST(OutPortOpen, AnInstrumentThatFailsToLoadLeavesThePortClosedWithTheReason)
{
    COutPort port("/plugins/broken.so",
                  std::make_unique<FakeInstrument>(std::nullopt, "no entry point"));
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.openError(), "no entry point");
}

} // namespace
} // namespace rz
