// The engine on a JACK dummy server of the test's own, with the machine's
// MIDI system: alone (RUN_SERIAL), as every JACK test.

#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_seed.h"
#include "platform/midi_gm_synth.h"
#include "tests/engine/engine_jack_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;

const std::filesystem::path kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

class SequencerJack : public EngineJackTest {
protected:
    // The built-in synthesizer and JACK.
    CSequencer& startWithSynth()
    {
        MidiSystemOptions options;
        options.soundFonts = {kTestSoundFont};
        return startEngine(timer, options, &database->lookup());
    }

    ManualEngineTimer timer;
    std::unique_ptr<SynthDatabase> database = SynthDatabase::openInMemory();
};

TEST_F(SequencerJack, ListsTheClientsPortAfterTheBuiltInSynthAndSendsItGmOn)
{
    ASSERT_TRUE(std::filesystem::exists(kTestSoundFont))
        << kTestSoundFont << " is missing: install timgm6mb-soundfont";
    auto client = makeTestClient();
    profile.writeString("PortsToUse\\MIDIOUT\\0", "port", client->inPort());
    profile.writeInt("PortsToUse\\MIDIOUT\\0", "synth", kGeneralMidiSynthNumber);
    const auto ports = startWithSynth().ports();
    ASSERT_EQ(ports->outputs.size(), 2u);
    EXPECT_EQ(ports->outputs[0]->name(), kGmSynthName);
    EXPECT_EQ(ports->outputs[1]->name(), client->inPort());
    EXPECT_EQ(ports->outputMap, std::vector<int>{1});

    ASSERT_TRUE(client->waitForCount(1, 5s));
    const auto received = client->received();
    EXPECT_EQ(received.front().bytes, (std::vector<uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
}

} // namespace
} // namespace rz
