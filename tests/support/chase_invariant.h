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

// Makes a fresh output port that has sent nothing.
using MidiOutFactory = std::function<std::unique_ptr<IMidiOut>()>;

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

    void sendShort(uint32_t taggedMessage) override;
    void sendSysEx(const uint8_t* bytes, size_t length) override;
    void sendBankProgram(uint32_t channelMessage, int bank, int program, bool notesOff) override;
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
// volumes; the format 0 fixture file; long notes across seek points; a
// transposed track.
std::vector<ChaseSong> chaseSongs(const std::filesystem::path& fixtureDir);

// For each test tick t (0, a seek boundary and its neighbours, mid-song, the
// last measure's start): Locate(t) from a reset port leaves the port as
// playing from 0 up to t does, and playing on sends what the reference sends
// after t. In the Stopped state the notes and the pedal are left out.
// Reports through GoogleTest.
void expectChaseInvariant(const ChaseSong& song, const MidiOutFactory& makePort);

} // namespace test
} // namespace rz
