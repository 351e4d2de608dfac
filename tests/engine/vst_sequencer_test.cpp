#include "engine/vst_loader.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/engine/vst_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

// The engine with the program's instrument loader over a host the test drives.
class VstEngine : public SequencerTest {
protected:
    CSequencer& makeWithVst()
    {
        SequencerServices services{.profile = profile,
                                   .prompt = prompt,
                                   .gui = gui,
                                   .toGui = posts,
                                   .devices = devices,
                                   .instruments = loader,
                                   .timer = timer,
                                   .audio = audio};
        sequencer = std::make_unique<CSequencer>(services);
        vstHost.attach(sequencer.get());
        return *sequencer;
    }
    COutPort& onlyPort() { return *sequencer->ports()->outputs.at(0); }

    SequencerVstHost vstHost;
    VstInstrumentLoader loader{vstHost, nullptr};
};

TEST_F(VstEngine, SongStateReachesThePortsOfThatName)
{
    profile.writeString("VST\\0", "path", vstTestLibrary("vst_test_instrument").string());
    profile.writeString("VST\\1", "path", vstTestLibrary("vst_test_instrument_mono").string());
    makeWithVst().Init();
    ASSERT_EQ(sequencer->ports()->outputs.size(), 2u);
    COutPort& named = *sequencer->ports()->outputs[0];
    COutPort& other = *sequencer->ports()->outputs[1];
    ASSERT_EQ(named.name(), "Rizoraz Test Sine");

    const std::vector<uint8_t> state = {9, 8, 7, 0, 6};
    sequencer->setInstrumentState("Rizoraz Test Sine", state);
    EXPECT_EQ(named.instrument()->getChunk(), state);
    EXPECT_TRUE(other.instrument()->getChunk().empty());
}

TEST_F(VstEngine, LibraryWithoutEntryPointIsReportedAtInit)
{
    const std::string path = vstTestLibrary("vst_test_no_entry").string();
    profile.writeString("VST\\0", "path", path);
    prompt.expectMessage("Could not open VST synth " + path);
    makeWithVst().Init();
    EXPECT_TRUE(sequencer->ports()->outputs.empty());
}

TEST_F(VstEngine, InstrumentsTakeTheEnginesClock)
{
    profile.writeString("VST\\0", "path", vstTestLibrary("vst_test_instrument").string());
    makeWithVst().Init();
    EXPECT_EQ(vstHost.msClock(), sequencer->msClock());
    EXPECT_EQ(&vstHost.timeInfo(), &sequencer->hostTimeInfo());
}

TEST_F(VstEngine, IdleReachesEveryOpenInstrument)
{
    profile.writeString("VST\\0", "path", "/opt/vst/a.so");
    profile.writeString("VST\\1", "path", "/opt/vst/b.so");
    make().Init();
    sequencer->IdleVstEditors();
    for (const auto& port : sequencer->ports()->outputs)
        EXPECT_EQ(static_cast<FakeInstrument*>(port->instrument())->idleCount(), 1) << port->name();
}

} // namespace
} // namespace rz
