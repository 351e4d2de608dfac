#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/midi_out.h"

namespace rz {

class CSongDoc;
struct SongFixture;

namespace test {

// A fresh output port that has sent nothing, and what its device has been
// sent so far: the short messages as status | data1 << 8 | data2 << 16.
struct PortUnderTest {
    std::unique_ptr<IMidiOut> port;
    std::function<std::vector<uint32_t>()> wire;
};
using MidiOutFactory = std::function<PortUnderTest()>;

// A song for the chase invariant: fills a song made on the fixture, whose
// engine already maps port 0 to the port under test.
struct ChaseSong {
    std::string name;
    std::function<std::unique_ptr<CSongDoc>(SongFixture&)> make;
};

// Hands every call on to a port and logs each send as text, tags included.
class LoggingMidiOut : public IMidiOut {
public:
    explicit LoggingMidiOut(IMidiOut& port) : m_port(port) {}

    std::vector<std::string> sends;

    void SendShort(uint32_t taggedMessage) override;
    SysExResult SendSysEx(const uint8_t* bytes, size_t length) override;
    void SendBankProgram(uint32_t channelMessage, int bank, int program, bool notesOff) override;
    void setUnscaledVolume(int channel, int value) override;
    int program(int channel) const override { return m_port.program(channel); }
    int bank(int channel) const override { return m_port.bank(channel); }
    int controllerValue(int channel, int controller) const override
    {
        return m_port.controllerValue(channel, controller);
    }
    int unscaledVolume(int channel) const override { return m_port.unscaledVolume(channel); }
    int channelPressure(int channel) const override { return m_port.channelPressure(channel); }
    int pitchBend(int channel) const override { return m_port.pitchBend(channel); }
    int rpnValue(int channel, int rpn) const override { return m_port.rpnValue(channel, rpn); }
    std::vector<uint32_t> heldNotes() override { return m_port.heldNotes(); }
    size_t copyHeldNotes(uint32_t* out, size_t capacity) override
    {
        return m_port.copyHeldNotes(out, capacity);
    }
    void SendMtcFullFrame(const CSmpteTime& time) override { m_port.SendMtcFullFrame(time); }

private:
    IMidiOut& m_port;
};

// The invariant's songs: a track with bank, program, controllers, bend, RPN 0
// and pedal; two tracks sharing a channel with different patches and
// volumes; long notes across seek points; a transposed track; RPN data after
// a seek point without its selection; NRPN data entry after an RPN setting;
// events of every kind at seek boundaries; two tracks at one tick; and every
// song file among the fixtures (the reader's and the fuzz target's).
std::vector<ChaseSong> chaseSongs(const std::filesystem::path& fixtureDir);

// For each test tick t (0, a seek boundary and its neighbours, mid-song, the
// last measure's start, and 20 ticks drawn at random): Locate(t) from a reset
// port leaves the port and its device as playing from 0 up to just before t
// does, and playing on sends what the reference sends from t on. The RPN
// values and the selected parameter are the device's, read from the wire (the
// port's cache forgets a selection after each data entry). In the Stopped
// state the notes and the pedal are left out. Reports through GoogleTest.
void expectChaseInvariant(const ChaseSong& song, const MidiOutFactory& makePort);

} // namespace test
} // namespace rz
