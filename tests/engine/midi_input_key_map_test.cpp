// External control from MIDI input: the key map, tempo by pitch bend, and a
// capturing dialog that takes precedence over both.

#include "tests/engine/midi_input_fixture.h"

#include <gtest/gtest.h>

#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace rz {
namespace {

// action | number << 8 | kind << 16 | channel << 24 | input << 28
constexpr uint32_t entry(uint32_t action, uint32_t number, uint32_t kind, uint32_t channel = 0,
                         uint32_t input = 0)
{
    return action | number << 8 | kind << 16 | channel << 24 | input << 28;
}

std::string press(uint32_t entryValue, uint32_t message)
{
    return "OnExternalControl(press," + std::to_string(entryValue) + "," + std::to_string(message)
           + ")";
}

const std::string kRelease = "OnExternalControl(release,0,0)";

std::vector<std::string> externalControls(const std::vector<std::string>& calls)
{
    std::vector<std::string> found;
    for (const std::string& call : calls) {
        if (call.rfind("OnExternalControl(", 0) == 0)
            found.push_back(call);
    }
    return found;
}

struct KeyMapCase {
    const char* name;
    std::vector<uint32_t> entries;
    std::vector<uint32_t> played;
    std::vector<std::string> controls; // what the frame hears, in order
    std::vector<std::string> echoed;   // what the thru track's port gets
};

const uint32_t kNote60 = entry(5, 60, 0);
const uint32_t kController19 = entry(7, 0, 19);
const uint32_t kController23 = entry(8, 0, 23);
const uint32_t kPedal = entry(9, 0, 64);
const uint32_t kPedalAnd60 = entry(4, 60, 64);
const uint32_t kProgram5 = entry(3, 5, 0xC0);

const KeyMapCase kKeyMapCases[] = {
    {"a note entry presses; 0x80 with velocity 64 releases, and only once",
     {kNote60},
     {0x643C90, 0x403C80, 0x403C80},
     {press(kNote60, 0x643C90), kRelease},
     {}},
    {"a note-on with velocity 0 releases",
     {kNote60},
     {0x643C90, 0x003C90},
     {press(kNote60, 0x643C90), kRelease},
     {}},
    {"controllers 19 and 23 act every time but never release",
     {kController19, kController23},
     {0x7F13B0, 0x0013B0, 0x7F17B0, 0x0017B0, 0x7F13B0},
     {press(kController19, 0x7F13B0), press(kController23, 0x7F17B0),
      press(kController19, 0x7F13B0)},
     {"B0 13 00", "B0 17 00"}},
    {"a held controller's further moves do nothing until it returns to 0",
     {kPedal},
     {0x7F40B0, 0x5040B0, 0x0040B0},
     {press(kPedal, 0x7F40B0), kRelease},
     {}},
    {"the scan runs from the last entry",
     {entry(1, 60, 0), entry(2, 60, 0)},
     {0x643C90},
     {press(entry(2, 60, 0), 0x643C90)},
     {}},
    {"an entry of another channel does not match",
     {entry(1, 62, 0, 1)},
     {0x643E90},
     {},
     {"90 3E 64"}},
    {"a program entry matches its program only",
     {kProgram5},
     {0x05C0, 0x06C0},
     {press(kProgram5, 0x05C0)},
     {"C0 06"}},
    {"a key entry with a pedal acts only while the pedal is down",
     {kPedalAnd60},
     {0x643C90, 0x403C80, 0x7F40B0, 0x643C90, 0x403C80},
     {press(kPedalAnd60, 0x643C90), kRelease},
     {"90 3C 64", "90 3C 00", "B0 40 7F"}},
    {"an entry of an input that does not exist never matches",
     {entry(1, 60, 0, 0, 1)},
     {0x643C90},
     {},
     {"90 3C 64"}},
};

void PrintTo(const KeyMapCase& c, std::ostream* out)
{
    *out << c.name;
}

class MidiInputKeyMapTable : public MidiInputTest,
                             public ::testing::WithParamInterface<KeyMapCase> {};

TEST_P(MidiInputKeyMapTable, ActsOnMatchingEntriesAndEchoesWhatDidNotAct)
{
    const KeyMapCase& c = GetParam();
    start();
    makeArmedSong();
    addThruTrack();
    sequencer->setKeyMaps(c.entries);
    for (uint32_t message : c.played)
        play(message);
    EXPECT_EQ(externalControls(guiCalls()), c.controls);
    EXPECT_EQ(synthSent(), c.echoed);
}

INSTANTIATE_TEST_SUITE_P(MidiInput, MidiInputKeyMapTable, ::testing::ValuesIn(kKeyMapCases));

class MidiInputKeyMap : public MidiInputTest {};

TEST_F(MidiInputKeyMap, IsNotConsultedWhenDisabled)
{
    profile.writeInt("KeyMap", "Enabled", 0);
    start();
    makeArmedSong();
    addThruTrack();
    sequencer->setKeyMaps({kNote60});
    play(0x643C90);
    EXPECT_TRUE(externalControls(guiCalls()).empty());
    EXPECT_EQ(synthSent(), std::vector<std::string>{"90 3C 64"});
}

// The event properties dialog while it captures.
class CapturingDialog : public IEventCaptureSink {
public:
    void AddSysExChunk(std::span<const uint8_t> bytes, bool last) override
    {
        std::lock_guard lock(m_mutex);
        pieces.emplace_back(bytes.begin(), bytes.end());
        lastFlags.push_back(last);
    }
    void PostSysExDone() override
    {
        std::lock_guard lock(m_mutex);
        ++done;
    }
    void captureShort(uint32_t message) override
    {
        std::lock_guard lock(m_mutex);
        shorts.push_back(message);
    }

    std::vector<std::vector<uint8_t>> pieces;
    std::vector<bool> lastFlags;
    std::vector<uint32_t> shorts;
    int done = 0;

private:
    std::mutex m_mutex;
};

TEST_F(MidiInputKeyMap, SkippedWhileTheEventPropertiesDialogCapturesWhichStillEchoes)
{
    start();
    makeArmedSong();
    addThruTrack();
    sequencer->setKeyMaps({kNote60});
    auto dialog = std::make_shared<CapturingDialog>();
    sequencer->inputSinks().eventCapture.set(dialog);

    play(0x643C90);
    EXPECT_EQ(dialog->shorts, std::vector<uint32_t>{0x643C90});
    EXPECT_EQ(synthSent(), std::vector<std::string>{"90 3C 64"});
    EXPECT_TRUE(externalControls(guiCalls()).empty());

    sequencer->inputSinks().eventCapture.set(nullptr);
    play(0x643C90);
    EXPECT_EQ(externalControls(guiCalls()), std::vector<std::string>{press(kNote60, 0x643C90)});
    EXPECT_EQ(dialog->shorts.size(), 1u);
}

struct BendCase {
    uint32_t options;
    int tempoChannel;
    bool posted;
};

class MidiInputTempoBend : public MidiInputTest,
                           public ::testing::WithParamInterface<BendCase> {};

// Bend on channel 4 (status E3).
TEST_P(MidiInputTempoBend, PostsTempoByBendOnlyWithOptionBit2AndTheTempoChannel)
{
    const BendCase c = GetParam();
    profile.writeInt("Sequencer", "Options", int32_t(c.options));
    profile.writeInt("Sequencer", "PTempoCh", c.tempoChannel);
    start();
    makeArmedSong();
    addThruTrack();
    play(0x5010E3);
    const std::vector<std::string> expected =
        c.posted ? std::vector<std::string>{"OnExternalControl(bend,100," + std::to_string(0x5010E3)
                                            + ")"}
                 : std::vector<std::string>{};
    EXPECT_EQ(externalControls(guiCalls()), expected);
    EXPECT_EQ(synthSent(), c.posted ? std::vector<std::string>{}
                                    : std::vector<std::string>{"E0 10 50"});
}

INSTANTIATE_TEST_SUITE_P(MidiInput, MidiInputTempoBend,
                         ::testing::Values(BendCase{4, -1, true}, BendCase{6, 3, true},
                                           BendCase{4, 2, false}, BendCase{2, -1, false}));

} // namespace
} // namespace rz
