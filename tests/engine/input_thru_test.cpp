// An input's echo to one output, from the Port Setup dialog's OK.

#include "engine/input_thru.h"

#include "engine/midi_in.h"
#include "tests/engine/midi_input_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

class InputThru : public MidiInputTest {};

TEST_F(InputThru, TheChoicesNameEachOutputOnceAndMatchIgnoringCase)
{
    const std::string outputs[] = {"Synth", "", "Drums", "synth", "Synth"};
    const std::vector<std::string> choices = thruChoices(outputs);
    EXPECT_EQ(choices, (std::vector<std::string>{"Synth", "Drums"}));
    EXPECT_EQ(findThruChoice(choices, "DRUMS"), 1);
    EXPECT_EQ(findThruChoice(choices, "Drum"), -1);
}

TEST_F(InputThru, OkSetsThePresentInputsThruAndEveryInputsValue)
{
    devices.addOutput("Synth");
    devices.addOutput("Drums");
    CSequencer& engine = start();
    applyInputThru(profile, engine, "Keyboard", true, "drums");
    EXPECT_EQ(readInputThru(profile, "Keyboard"), "drums");
    ASSERT_EQ(engine.input(0).thruPort(), 1);

    applyInputThru(profile, engine, "Keyboard", false, "drums"); // echo off clears it
    EXPECT_EQ(readInputThru(profile, "Keyboard"), "");
    EXPECT_EQ(engine.input(0).thruPort(), -1);

    applyInputThru(profile, engine, "Unplugged", true, "Synth");
    EXPECT_EQ(readInputThru(profile, "Unplugged"), "Synth");
    EXPECT_EQ(engine.input(0).thruPort(), -1);
}

} // namespace
} // namespace rz
