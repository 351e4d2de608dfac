// ALSA sequencer devices. They need /dev/snd/seq and skip without it.

#include "platform/midi_alsa_client.h"
#include "platform/midi_alsa_in.h"
#include "platform/midi_alsa_out.h"
#include "platform/midi_system.h"
#include "tests/platform/midi_in_recorder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include <unistd.h>

namespace rz {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

// A second sequencer client of the test's own with one port that both
// receives from our output and sends to our input, echoing what it gets.
class AlsaEchoClient {
public:
    AlsaEchoClient()
    {
        if (snd_seq_open(&m_seq, "default", SND_SEQ_OPEN_DUPLEX, 0) < 0) {
            m_seq = nullptr;
            return;
        }
        snd_seq_set_client_name(m_seq, "rz-test");
        m_port = snd_seq_create_simple_port(
            m_seq, "echo",
            SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ | SND_SEQ_PORT_CAP_WRITE |
                SND_SEQ_PORT_CAP_SUBS_WRITE,
            SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    }
    ~AlsaEchoClient()
    {
        if (m_seq)
            snd_seq_close(m_seq);
    }
    bool ok() const { return m_seq && m_port >= 0; }
    AlsaPortInfo port() const { return {"echo", snd_seq_client_id(m_seq), m_port, false}; }
    // Reads one event and sends it back out; false when none came in time.
    bool echoOne()
    {
        pollfd fd{};
        snd_seq_poll_descriptors(m_seq, &fd, 1, POLLIN);
        if (poll(&fd, 1, 2000) <= 0)
            return false;
        snd_seq_event_t* event = nullptr;
        if (snd_seq_event_input(m_seq, &event) < 0 || !event)
            return false;
        snd_seq_ev_set_source(event, m_port);
        snd_seq_ev_set_subs(event);
        snd_seq_ev_set_direct(event);
        return snd_seq_event_output_direct(m_seq, event) >= 0;
    }

private:
    snd_seq_t* m_seq = nullptr;
    int m_port = -1;
};

class MidiAlsaDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (access("/dev/snd/seq", F_OK) != 0)
            GTEST_SKIP() << "no ALSA sequencer here: /dev/snd/seq is missing";
        m_echo = std::make_unique<AlsaEchoClient>();
        ASSERT_TRUE(m_echo->ok());
    }
    std::unique_ptr<AlsaEchoClient> m_echo;
};

TEST_F(MidiAlsaDevice, EnumerationListsTheTestPortBothWays)
{
    MidiSystemOptions options;
    options.useJack = false;
    const MidiSystem system(options);
    const auto isEcho = [](const MidiDeviceDescriptor& d) { return d.displayName == "echo"; };
    const auto outputs = system.outputs();
    const auto inputs = system.inputs();
    EXPECT_EQ(std::count_if(outputs.begin(), outputs.end(), isEcho), 1);
    EXPECT_EQ(std::count_if(inputs.begin(), inputs.end(), isEcho), 1);
}

TEST_F(MidiAlsaDevice, ShortMessagesAndSysExComeBackThroughAnEchoClient)
{
    AlsaMidiOutDevice out(m_echo->port(), "echo", MidiDeviceKind::Software);
    AlsaMidiInDevice in(m_echo->port(), "echo", MidiDeviceKind::Software);
    MidiInRecorder recorder;
    ASSERT_TRUE(out.open()) << out.openError();
    ASSERT_TRUE(in.open(&recorder)) << in.openError();
    ASSERT_TRUE(in.start());

    out.sendShort(Bytes{0x90, 0x3C, 0x40});
    ASSERT_TRUE(m_echo->echoOne());
    Bytes message(600, 0x11);
    message.front() = 0xF0;
    message.back() = 0xF7;
    EXPECT_EQ(out.sendLong(message, 5000ms), LongSendResult::Delivered);
    ASSERT_TRUE(m_echo->echoOne());
    ASSERT_TRUE(recorder.waitForCount(2, 2s));
    EXPECT_EQ(recorder.summary(), (std::vector<std::string>{"short 403C90", "piece 600 last"}));
}

TEST(MidiAlsaNoSequencer, NoSequencerMeansNoPortsAndNoError)
{
    if (access("/dev/snd/seq", F_OK) == 0)
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    EXPECT_EQ(AlsaSeqClient::acquire(), nullptr);
    AlsaMidiOutDevice out({"x", 128, 0, false}, "x", MidiDeviceKind::Hardware);
    EXPECT_FALSE(out.open());
    EXPECT_NE(out.openError().find("sequencer"), std::string::npos);
}

} // namespace
} // namespace rz
