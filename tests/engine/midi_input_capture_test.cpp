// Dialogs that capture MIDI input: system-exclusive pieces for the event
// properties dialog, taps for the tempo series, learning for a control map.

#include "tests/engine/midi_input_fixture.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace rz {
namespace {

class SysExDialog : public IEventCaptureSink {
public:
    void AddSysExChunk(std::span<const uint8_t> bytes, bool last) override
    {
        std::lock_guard lock(m_mutex);
        bytesTaken += bytes.size();
        ++pieces;
        lastSeen = last;
    }
    void PostSysExDone() override
    {
        std::lock_guard lock(m_mutex);
        ++done;
    }
    void captureShort(uint32_t) override {} // only the sysex path is under test

    size_t bytesTaken = 0;
    int pieces = 0;
    bool lastSeen = false;
    int done = 0;

private:
    std::mutex m_mutex;
};

class TapDialog : public ITempoTapSink {
public:
    void OnMidiTap(uint32_t msClock) override
    {
        std::lock_guard lock(m_mutex);
        taps.push_back(msClock);
    }
    std::vector<uint32_t> taps;

private:
    std::mutex m_mutex;
};

class LearningDialog : public ILearnMidiSink {
public:
    void LearnMidi(uint32_t deviceId, uint32_t message) override
    {
        std::lock_guard lock(m_mutex);
        learned.push_back({deviceId, message});
    }
    std::vector<std::pair<uint32_t, uint32_t>> learned;

private:
    std::mutex m_mutex;
};

// A piece of `size` bytes: F0 first when it opens the message.
std::vector<uint8_t> piece(size_t size, bool opens)
{
    std::vector<uint8_t> bytes(size, 0x11);
    if (opens)
        bytes.front() = 0xF0;
    return bytes;
}

class MidiInputCapture : public MidiInputTest {
protected:
    void SetUp() override
    {
        start();
        makeArmedSong();
        addThruTrack();
    }
};

TEST_F(MidiInputCapture, SysExPiecesReachTheDialogUpTo64KiBOfOneMessage)
{
    auto dialog = std::make_shared<SysExDialog>();
    sequencer->inputSinks().eventCapture.set(dialog);
    const std::vector<uint8_t> small = {0xF0, 0x43, 0x10, 0xF7};
    ASSERT_TRUE(keyboard().injectSysEx(small, true));
    EXPECT_EQ(dialog->pieces, 1);
    EXPECT_TRUE(dialog->lastSeen);

    ASSERT_TRUE(keyboard().injectSysEx(piece(kSysExPieceBytes, true), false));
    for (int i = 1; i < 70; ++i)
        ASSERT_TRUE(keyboard().injectSysEx(piece(kSysExPieceBytes, false), false));
    EXPECT_EQ(dialog->bytesTaken, small.size() + kMaxSysExCaptureBytes);
    EXPECT_EQ(dialog->done, 1);

    // The next message is taken again.
    ASSERT_TRUE(keyboard().injectSysEx(small, true));
    EXPECT_EQ(dialog->bytesTaken, small.size() * 2 + kMaxSysExCaptureBytes);
}

TEST_F(MidiInputCapture, AnInputErrorEndsTheCapturedMessage)
{
    auto dialog = std::make_shared<SysExDialog>();
    sequencer->inputSinks().eventCapture.set(dialog);
    ASSERT_TRUE(keyboard().injectSysEx(piece(10, true), false));
    ASSERT_TRUE(keyboard().injectError(SysExInputError::Cut));
    EXPECT_EQ(dialog->done, 1);
}

TEST_F(MidiInputCapture, NoteOnsTapTheTempoSeriesOnTheEngineClockAndAreEchoed)
{
    auto dialog = std::make_shared<TapDialog>();
    sequencer->inputSinks().tempoTap.set(dialog);
    runTicks(10);
    play(0x643C90);
    // A release sent as a note-on with velocity 0 is no tap.
    play(0x003C90);
    play(0x5A07B0);
    EXPECT_EQ(dialog->taps, std::vector<uint32_t>{sequencer->msClock()});
    EXPECT_EQ(synthSent(), (std::vector<std::string>{"90 3C 64", "90 3C 00", "B0 07 5A"}));
}

TEST_F(MidiInputCapture, ALearningDialogGetsTheInputAndTheMessageWhichIsStillEchoed)
{
    auto dialog = std::make_shared<LearningDialog>();
    sequencer->inputSinks().learn.set(dialog);
    play(0x7F40B0);
    EXPECT_EQ(dialog->learned, (std::vector<std::pair<uint32_t, uint32_t>>{{0u, 0x7F40B0u}}));
    EXPECT_EQ(synthSent(), std::vector<std::string>{"B0 40 7F"});

    sequencer->inputSinks().learn.set(nullptr);
    sequencer->publishedValues().setControlMapLearning(true);
    play(0x0040B0);
    EXPECT_EQ(countOf(guiCalls(), "LearnMidi(0," + std::to_string(0x0040B0) + ")"), 1u);
}

class MidiInputCaptureFilter : public MidiInputTest {};

TEST_F(MidiInputCaptureFilter, SysExIsIgnoredWhenTheFilterDropsSystemMessages)
{
    profile.writeInt("RecordOptions", "EventFilter", 0x5B00);
    start();
    auto dialog = std::make_shared<SysExDialog>();
    sequencer->inputSinks().eventCapture.set(dialog);
    ASSERT_TRUE(keyboard().injectSysEx(piece(8, true), true));
    EXPECT_EQ(dialog->pieces, 0);
}

} // namespace
} // namespace rz
