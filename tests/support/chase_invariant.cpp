#include "tests/support/chase_invariant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "song/play_images.h"
#include "song/smf_reader.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"

namespace rz::test {

namespace {

std::string hex(uint32_t value)
{
    std::ostringstream text;
    text << std::hex << std::uppercase << value;
    return text.str();
}

} // namespace

void LoggingMidiOut::sendShort(uint32_t taggedMessage)
{
    sends.push_back("short " + hex(taggedMessage));
    m_port.sendShort(taggedMessage);
}

void LoggingMidiOut::sendSysEx(const uint8_t* bytes, size_t length)
{
    sends.push_back("sysex " + std::to_string(length));
    m_port.sendSysEx(bytes, length);
}

void LoggingMidiOut::sendBankProgram(uint32_t channelMessage, int bank, int program,
                                     bool notesOff)
{
    sends.push_back("bankProgram " + std::to_string(channelMessage & 15) + " "
                    + std::to_string(bank) + " " + std::to_string(program));
    m_port.sendBankProgram(channelMessage, bank, program, notesOff);
}

void LoggingMidiOut::setUnscaledVolume(int channel, int value)
{
    m_port.setUnscaledVolume(channel, value);
}

namespace {

constexpr int kSeekQuarters = 16;

// The user tracks on port 0; the rest of the fixture's engine as it was.
std::unique_ptr<CSongDoc> songWithTracks(SongFixture& fixture,
                                         const std::function<void(CSongDoc&)>& fill)
{
    auto song = fixture.newSong();
    fill(*song);
    RebuildPlayImages(*song, false);
    song->ExtendMeasureMap();
    return song;
}

void controlsTrack(CSongDoc& song)
{
    CTrack& track = addUserTrack(song);
    track.channel = 0;
    track.patch = 3;
    track.initialControllers[1] = 90; // CC7
    const int32_t b = kSeekQuarters * song.timeBase;
    for (const CMidiEvent& event :
         {program(0, 5, 130), controller(0, 10, 30), controller(0, 64, 127), rpn(0, 0, 2 * 128),
          note(0, 60, 100, 400), controller(100, 11, 90), channelEvent(200, 0xE0, 0, 70),
          controller(400, 64, 0), note(500, 62, 90, b), controller(b - 1, 11, 60),
          channelEvent(b, 0xE0, 5, 50), program(b, 7, 2), controller(b, 64, 127),
          rpn(b + 1, 1, 8192 + 100), note(b + 1, 64, 80, 200), channelEvent(b + 2, 0xD0, 40),
          controller(2 * b, 7, 70), note(2 * b + 10, 67, 70, 100), controller(3 * b, 64, 0)})
        track.InsertEventSorted(event);
}

void sharedChannel(CSongDoc& song)
{
    const int32_t b = kSeekQuarters * song.timeBase;
    CTrack& first = addUserTrack(song);
    first.channel = 1;
    first.patch = 10;
    first.volume = 80;
    for (const CMidiEvent& event : {controller(0, 7, 100, 1), note(0, 48, 90, 300, 1),
                                    note(b - 200, 50, 90, 400, 1), controller(b + 5, 7, 60, 1)})
        first.InsertEventSorted(event);
    CTrack& second = addUserTrack(song);
    second.channel = 1;
    second.patch = 20;
    second.volume = 50;
    for (const CMidiEvent& event :
         {controller(0, 7, 110, 1), note(600, 72, 100, 300, 1), controller(b - 50, 7, 90, 1),
          note(b + 100, 74, 100, 2 * b, 1)})
        second.InsertEventSorted(event);
}

void longNotes(CSongDoc& song)
{
    const int32_t b = kSeekQuarters * song.timeBase;
    CTrack& track = addUserTrack(song);
    track.channel = 2;
    for (const CMidiEvent& event : {note(10, 40, 100, 3 * b, 2), note(b - 1, 41, 100, b + 2, 2),
                                    note(b, 42, 100, 1, 2), note(b + 1, 43, 100, 2 * b, 2),
                                    note(2 * b - 5, 44, 100, 10, 2), note(3 * b, 45, 100, 20, 2)})
        track.InsertEventSorted(event);
}

void transposedTrack(CSongDoc& song)
{
    const int32_t b = kSeekQuarters * song.timeBase;
    CTrack& track = addUserTrack(song);
    track.channel = 3;
    track.key = 7;
    track.velocityOffset = -20;
    for (const CMidiEvent& event : {note(0, 60, 100, b + 10, 3), note(b - 10, 62, 100, 30, 3),
                                    note(b + 20, 120, 127, 100, 3), controller(b + 20, 1, 64, 3)})
        track.InsertEventSorted(event);
}

std::unique_ptr<CSongDoc> formatZeroFile(SongFixture& fixture, const std::filesystem::path& file)
{
    fixture.profile.writeInt("OpenOptions", "WarnFormat", 2);
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    auto song = std::make_unique<CSongDoc>(fixture.context());
    std::string reason;
    EXPECT_FALSE(bytes.empty()) << file;
    EXPECT_TRUE(OpenSongBytes(*song, bytes, SongFileKind{}, reason)) << reason;
    return song;
}

// The port's state as text, one line per value, for a readable diff.
std::vector<std::string> portState(IMidiOut& port, bool withNotesAndPedal)
{
    std::vector<std::string> lines;
    auto add = [&](int channel, const std::string& what, int value) {
        if (value >= 0)
            lines.push_back("ch" + std::to_string(channel) + " " + what + " " + std::to_string(value));
    };
    for (int channel = 0; channel < 16; ++channel) {
        add(channel, "program", port.program(channel));
        add(channel, "bank", port.bank(channel));
        add(channel, "pressure", port.channelPressure(channel));
        add(channel, "bend", port.pitchBend(channel));
        for (int rpn : {0, 1, 2, 5})
            add(channel, "rpn" + std::to_string(rpn), port.rpnValue(channel, rpn));
        for (int c = 0; c < 96; ++c) {
            if (c == 6 || c == 38 || (c == 64 && !withNotesAndPedal))
                continue;
            add(channel, "cc" + std::to_string(c), port.controllerValue(channel, c));
        }
    }
    if (withNotesAndPedal) {
        std::vector<uint32_t> notes = port.heldNotes();
        std::sort(notes.begin(), notes.end());
        for (uint32_t note : notes)
            lines.push_back("note " + hex(note));
    }
    return lines;
}

// Cursors at the image starts, as a start from 0 without locate leaves them.
void rewindAll(CSongDoc& song)
{
    for (size_t i = 1; i + 1 < song.tracks.size(); ++i) {
        CTrack& track = *song.tracks[i];
        track.RewindReader();
        track.tempoIndex = 0;
        track.timeOffsetUs = track.timeOffset * 1000.0;
        song.UpdateCursorTime(track);
    }
}

// Plays every event time in turn while the earliest next event lies at or
// before `last`.
void playThrough(CSongDoc& song, FakeEngineLink& engine, int32_t last)
{
    for (;;) {
        int32_t next = kEndTick;
        for (size_t i = 1; i + 1 < song.tracks.size(); ++i)
            next = std::min(next, song.tracks[i]->nextTick);
        if (next == kEndTick || next > last)
            return;
        engine.playTime = song.TickToTime(next);
        song.PlayEventsUpTo();
    }
}

struct Run {
    SongFixture fixture;
    std::unique_ptr<IMidiOut> port;
    std::unique_ptr<LoggingMidiOut> logged;
    std::unique_ptr<CSongDoc> song;

    Run(const ChaseSong& chaseSong, const MidiOutFactory& makePort)
        : port(makePort()), logged(std::make_unique<LoggingMidiOut>(*port))
    {
        fixture.engine.outputMap = {0};
        fixture.engine.ports = {logged.get()};
        fixture.engine.logPortLookups = false;
        song = chaseSong.make(fixture);
    }
};

std::vector<int32_t> testTicks(const CSongDoc& song)
{
    const int32_t b = kSeekQuarters * song.timeBase;
    const int32_t last = song.measureMap.empty() ? 0 : song.measureMap.back().start;
    std::vector<int32_t> ticks = {0, b - 1, b, b + 1, song.endTick / 2, last};
    std::sort(ticks.begin(), ticks.end());
    ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
    return ticks;
}

void checkAt(const ChaseSong& chaseSong, const MidiOutFactory& makePort, int32_t tick,
             bool starting)
{
    SCOPED_TRACE(std::string(starting ? "Starting" : "Stopped") + " at " + std::to_string(tick));
    Run reference(chaseSong, makePort);
    ASSERT_TRUE(reference.song != nullptr);
    const int32_t last = reference.song->measureMap.empty()
                             ? 0
                             : reference.song->measureMap.back().start;
    const int32_t target = std::clamp(tick, int32_t(0), last);
    reference.fixture.engine.state = TransportState::Playing;
    rewindAll(*reference.song);
    playThrough(*reference.song, reference.fixture.engine, target);
    const auto expected = portState(*reference.logged, starting);
    const size_t mark = reference.logged->sends.size();
    playThrough(*reference.song, reference.fixture.engine, kEndTick - 1);
    const std::vector<std::string> expectedAfter(reference.logged->sends.begin()
                                                     + std::ptrdiff_t(mark),
                                                 reference.logged->sends.end());

    Run located(chaseSong, makePort);
    located.fixture.engine.state = starting ? TransportState::Starting : TransportState::Stopped;
    located.song->Locate(tick);
    EXPECT_EQ(located.song->position, target);
    EXPECT_EQ(portState(*located.logged, starting), expected);
    if (!starting)
        return;
    located.fixture.engine.state = TransportState::Playing;
    located.logged->sends.clear();
    playThrough(*located.song, located.fixture.engine, kEndTick - 1);
    EXPECT_EQ(located.logged->sends, expectedAfter);
}

} // namespace

std::vector<ChaseSong> chaseSongs(const std::filesystem::path& fixtureDir)
{
    auto built = [](const char* name, void (*fill)(CSongDoc&)) {
        return ChaseSong{name, [fill](SongFixture& fixture) { return songWithTracks(fixture, fill); }};
    };
    const std::filesystem::path file = fixtureDir / "smf" / "format0_channels.mid";
    return {
        built("controls", controlsTrack),
        built("shared channel", sharedChannel),
        ChaseSong{"format 0 file",
                  [file](SongFixture& fixture) { return formatZeroFile(fixture, file); }},
        built("long notes", longNotes),
        built("transposed", transposedTrack),
    };
}

void expectChaseInvariant(const ChaseSong& song, const MidiOutFactory& makePort)
{
    SCOPED_TRACE(song.name);
    std::vector<int32_t> ticks;
    {
        Run probe(song, makePort);
        ASSERT_TRUE(probe.song != nullptr);
        ticks = testTicks(*probe.song);
    }
    for (int32_t tick : ticks) {
        checkAt(song, makePort, tick, true);
        checkAt(song, makePort, tick, false);
    }
}

} // namespace rz::test
