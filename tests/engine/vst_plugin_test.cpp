#include "tests/engine/vst_fixture.h"

#include "core/midi_bytes.h"
#include "engine/vst2_abi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rz {
namespace {

constexpr uint32_t noteOn(uint8_t key, uint8_t velocity)
{
    return midi::kNoteOn | uint32_t(key) << 8 | uint32_t(velocity) << 16;
}

using VstPlugin = VstFixture;

TEST_F(VstPlugin, LoadIsNamedFromTheProductStringElseTheFileName)
{
    InstrumentLoadResult stereo = plugin.load(vstTestLibrary("vst_test_instrument"));
    ASSERT_TRUE(stereo.name) << stereo.error;
    EXPECT_EQ(*stereo.name, "Rizoraz Test Sine");
    EXPECT_TRUE(plugin.isLoaded());
    EXPECT_EQ(plugin.outputCount(), 2);

    InstrumentLoadResult mono = plugin.load(vstTestLibrary("vst_test_instrument_mono"));
    ASSERT_TRUE(mono.name) << mono.error;
    EXPECT_EQ(*mono.name, "vst_test_instrument_mono");
    EXPECT_EQ(plugin.outputCount(), 1);
}

TEST_F(VstPlugin, LibrariesThatAreNoInstrumentFailAndLeaveNothingLoaded)
{
    const struct {
        const char* name;
        std::filesystem::path library;
        std::string reason;
    } cases[] = {
        {"missing file", vstTestLibrary("no_such_plugin"), "no_such_plugin"},
        {"no entry point", vstTestLibrary("vst_test_no_entry"), "no VST entry point"},
        {"wrong magic", vstTestLibrary("vst_test_bad_magic"), "not a VST plug-in"},
        {"65 outputs", vstTestLibrary("vst_test_too_many_outputs"), "0 inputs and 65 outputs"},
        {"effOpen error", vstTestLibrary("vst_test_open_fails"), "did not open"},
    };
    for (const auto& c : cases) {
        const InstrumentLoadResult result = plugin.load(c.library);
        EXPECT_FALSE(result.name) << c.name;
        EXPECT_NE(result.error.find(c.reason), std::string::npos) << c.name << ": " << result.error;
        EXPECT_FALSE(plugin.isLoaded()) << c.name;
        StereoBlock block(kBlock);
        plugin.process(block.outputs(), kBlock);
        EXPECT_TRUE(block.silent()) << c.name;
    }
}

TEST_F(VstPlugin, NoteAtOffsetZeroSoundsInItsBlock)
{
    loadInstrument();
    plugin.queueShort(noteOn(69, 100));
    StereoBlock block(kBlock);
    plugin.process(block.outputs(), kBlock);
    EXPECT_GT(block.left[0], 0.0f) << "the note starts at the block's first frame";
    EXPECT_EQ(block.left, block.right);
    EXPECT_EQ(probe->events.load(), 1);
}

TEST_F(VstPlugin, OffsetBeyondTheBlockLandsInItsLastFrame)
{
    loadInstrument();
    StereoBlock first(kBlock);
    plugin.process(first.outputs(), kBlock); // sets the block time
    host.clock += 500;                       // far more than a block later
    plugin.queueShort(noteOn(60, 127));
    StereoBlock block(kBlock);
    plugin.process(block.outputs(), kBlock);
    for (int frame = 0; frame < kBlock - 1; ++frame)
        ASSERT_EQ(block.left[size_t(frame)], 0.0f) << "frame " << frame;
    EXPECT_GT(block.left[kBlock - 1], 0.0f);
}

TEST_F(VstPlugin, MonoInstrumentFillsBothChannels)
{
    ASSERT_TRUE(plugin.load(vstTestLibrary("vst_test_instrument_mono")).name);
    plugin.resetAudio(kRate, kBlock);
    plugin.queueShort(noteOn(69, 100));
    StereoBlock block(kBlock);
    plugin.process(block.outputs(), kBlock);
    EXPECT_GT(block.left[0], 0.0f);
    EXPECT_EQ(block.left, block.right);
}

TEST_F(VstPlugin, SilentInstrumentIsLeftAloneAfterTenSeconds)
{
    loadInstrument();
    StereoBlock block(kBlock);
    plugin.queueShort(noteOn(60, 100));
    plugin.queueShort(noteOn(64, 100));
    plugin.process(block.outputs(), kBlock);
    EXPECT_EQ(plugin.soundingNotes(), 2);

    host.clock += 20000;
    plugin.process(block.outputs(), kBlock);
    EXPECT_FALSE(block.silent()) << "held notes keep it processed";

    plugin.queueShort(noteOn(60, 0));
    plugin.queueShort(noteOn(64, 0));
    plugin.process(block.outputs(), kBlock);
    EXPECT_EQ(plugin.soundingNotes(), 0);

    host.clock += CVstPlugin::kSilenceMs - 1;
    const int calls = probe->processCalls.load();
    plugin.process(block.outputs(), kBlock);
    EXPECT_EQ(probe->processCalls.load(), calls + 1) << "not yet ten seconds";

    host.clock += 1;
    plugin.process(block.outputs(), kBlock);
    EXPECT_EQ(probe->processCalls.load(), calls + 1);
    EXPECT_TRUE(block.silent());

    plugin.queueShort(noteOn(67, 90));
    plugin.process(block.outputs(), kBlock);
    EXPECT_EQ(probe->processCalls.load(), calls + 2) << "a new event wakes it";
}

TEST_F(VstPlugin, HostCallbackAnswersWithoutAnInstrument)
{
    char foo[] = "foo";
    char timeInfo[] = "sendVstTimeInfo";
    EXPECT_EQ(VstHostCallback(nullptr, audioMasterCanDo, 0, 0, foo, 0), 0);
    EXPECT_EQ(VstHostCallback(nullptr, audioMasterCanDo, 0, 0, timeInfo, 0), 1);
    EXPECT_EQ(VstHostCallback(nullptr, audioMasterCanDo, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(VstHostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0), 2300);
    EXPECT_EQ(VstHostCallback(nullptr, audioMasterWantMidi, 0, 1, nullptr, 0), 0);
    EXPECT_EQ(VstHostCallback(nullptr, audioMasterGetTime, 0, 0, nullptr, 0), 0);
}

TEST_F(VstPlugin, SampleRateCallbackOnlyAnswers)
{
    loadInstrument();
    const int calls = probe->sampleRateCalls.load();
    plugin.queueShort(noteOn(60, 100));
    StereoBlock block(kBlock);
    plugin.process(block.outputs(), kBlock);
    EXPECT_EQ(probe->answeredRate.load(), kRate);
    EXPECT_EQ(probe->sampleRateCalls.load(), calls) << "answering sends no effSetSampleRate";
    EXPECT_NE(probe->answeredTimeFlags.load(), -1) << "the time record is handed over";
}

TEST_F(VstPlugin, ChunkRoundTrips)
{
    loadInstrument();
    EXPECT_TRUE(plugin.getChunk().empty());
    const std::vector<uint8_t> state = {1, 2, 3, 0, 255, 7};
    EXPECT_TRUE(plugin.setChunk(state));
    EXPECT_EQ(plugin.getChunk(), state);
    EXPECT_FALSE(plugin.setChunk({}));
    plugin.unload();
    EXPECT_TRUE(plugin.getChunk().empty());
    EXPECT_FALSE(plugin.setChunk(state));
}

TEST_F(VstPlugin, EditorIsCreatedActivatedResizedAndDestroyed)
{
    loadInstrument();
    plugin.showEditor("Synth port");
    ASSERT_EQ(editors.log.titles, std::vector<std::string>{"Synth port"});
    const ERect rect = editors.log.rects.front();
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.bottom - rect.top, 200);
    EXPECT_EQ(probe->editorOpens.load(), 1);

    plugin.showEditor("Synth port");
    EXPECT_EQ(editors.log.titles.size(), 1u);
    EXPECT_EQ(editors.log.activations, 1);

    plugin.onSizeWindow(400, 320);
    EXPECT_EQ(editors.log.sizes, (std::vector<std::pair<int, int>>{{400, 320}}));

    plugin.idle();
    EXPECT_EQ(probe->editIdles.load(), 1);

    plugin.showEditor("");
    EXPECT_EQ(editors.log.destroyed, 1);
    EXPECT_EQ(probe->editorCloses.load(), 1);
    EXPECT_FALSE(plugin.editorShown());
    plugin.idle();
    EXPECT_EQ(probe->editIdles.load(), 1) << "no editor, no editor idle";
}

TEST_F(VstPlugin, OpenEditorKeepsTheInstrumentAwake)
{
    loadInstrument();
    StereoBlock block(kBlock);
    plugin.showEditor("Synth port");
    plugin.process(block.outputs(), kBlock);
    const int calls = probe->processCalls.load();
    host.clock += 2 * CVstPlugin::kSilenceMs;
    plugin.process(block.outputs(), kBlock); // block time moves on
    plugin.keepAwake();                      // the editor's timer
    plugin.process(block.outputs(), kBlock);
    EXPECT_EQ(probe->processCalls.load(), calls + 1);
}

} // namespace
} // namespace rz
