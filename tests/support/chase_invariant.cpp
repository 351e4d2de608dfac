#include "tests/support/chase_invariant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string_view>

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

void LoggingMidiOut::SendShort(uint32_t taggedMessage)
{
    sends.push_back("short " + hex(taggedMessage));
    m_port.SendShort(taggedMessage);
}

SysExResult LoggingMidiOut::SendSysEx(const uint8_t* bytes, size_t length)
{
    sends.push_back("sysex " + std::to_string(length));
    return m_port.SendSysEx(bytes, length);
}

void LoggingMidiOut::SendBankProgram(uint32_t channelMessage, int bank, int program,
                                     bool notesOff)
{
    sends.push_back("bankProgram " + std::to_string(channelMessage & 15) + " "
                    + std::to_string(bank) + " " + std::to_string(program));
    m_port.SendBankProgram(channelMessage, bank, program, notesOff);
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

// The image writes RPN 0's selection once: the later values are data
// entries that rely on it, one of them right after a seek point.
void rpnDataAfterSeekPoint(CSongDoc& song)
{
    const int32_t b = kSeekQuarters * song.timeBase;
    CTrack& track = addUserTrack(song);
    track.channel = 4;
    for (const CMidiEvent& event :
         {rpn(0, 0, 2 * 128, 4), note(0, 60, 90, 100, 4), rpn(b, 0, 7 * 128, 4),
          rpn(b + 10, 0, 12 * 128, 4), note(b + 10, 62, 90, 100, 4), rpn(2 * b + 1, 0, 3 * 128, 4),
          note(3 * b, 64, 90, 100, 4)})
        track.InsertEventSorted(event);
}

// An RPN setting chased after an NRPN selection: data entries for the NRPN
// follow without their selection.
void nrpnAfterRpn(CSongDoc& song)
{
    const int32_t b = kSeekQuarters * song.timeBase;
    CTrack& track = addUserTrack(song);
    track.channel = 5;
    track.patch = 1;
    track.rpnValues[0] = 2 * 128; // pitch-bend range
    for (const CMidiEvent& event :
         {nrpn(10, 0x0105, 70 * 128, 5), note(20, 60, 90, 100, 5), nrpn(b - 1, 0x0105, 71 * 128, 5),
          nrpn(b + 20, 0x0105, 72 * 128, 5), note(b + 20, 62, 90, 100, 5),
          rpn(2 * b, 1, 8192, 5), nrpn(2 * b + 30, 0x0105, 0x8001, 5), note(3 * b, 64, 90, 100, 5)})
        track.InsertEventSorted(event);
}

// Events of every kind the chase does not keep, at seek boundaries and
// their neighbours.
void targetTickEvents(CSongDoc& song)
{
    const int32_t b = kSeekQuarters * song.timeBase;
    CTrack& track = addUserTrack(song);
    track.channel = 6;
    for (int32_t at : {b - 1, b, b + 1, 2 * b}) {
        for (const CMidiEvent& event :
             {sysex(at, {0x7D, 0x01, 0x02, 0xF7}), channelEvent(at, 0xA6, 60, 30),
              controller(at, 121, 0, 6), controller(at, 126, 1, 6), controller(at, 122, 0, 6),
              nrpn(at, 0x0203, 40 * 128, 6), rpn(at, 3, 64 * 128, 6), rpn(at, 0, 5 * 128, 6),
              controller(at, 11, uint8_t(at % 128), 6), note(at, 60, 80, 10, 6)})
            track.InsertEventSorted(event);
    }
}

// Two tracks on one channel setting the same things at the same ticks.
void sameTickTracks(CSongDoc& song)
{
    const int32_t b = kSeekQuarters * song.timeBase;
    CTrack& first = addUserTrack(song);
    first.channel = 7;
    CTrack& second = addUserTrack(song);
    second.channel = 7;
    for (int32_t at : {int32_t(0), b - 1, b, b + 1}) {
        for (const CMidiEvent& event :
             {program(at, 3, -1, 7), controller(at, 7, 90, 7), channelEvent(at, 0xE7, 0, 20),
              rpn(at, 0, 4 * 128, 7), note(at, 60, 90, 50, 7)})
            first.InsertEventSorted(event);
        for (const CMidiEvent& event :
             {program(at, 9, -1, 7), controller(at, 7, 40, 7), channelEvent(at, 0xE7, 0, 90),
              rpn(at, 0, 9 * 128, 7), note(at, 64, 90, 50, 7)})
            second.InsertEventSorted(event);
    }
}

// The time base a file's header gives (ticks per quarter, or frames per
// second times ticks per frame); 0 without a header.
int headerTimeBase(const std::vector<uint8_t>& bytes)
{
    constexpr std::string_view kHeader = "MThd";
    const auto at = std::search(bytes.begin(), bytes.end(), kHeader.begin(), kHeader.end());
    if (bytes.end() - at < 14)
        return 0;
    const uint8_t high = at[12];
    const uint8_t low = at[13];
    if (high & 0x80)
        return -int(int8_t(high)) * low;
    return high << 8 | low;
}

std::unique_ptr<CSongDoc> songFile(SongFixture& fixture, const std::filesystem::path& file)
{
    fixture.profile.writeInt("OpenOptions", "WarnFormat", 2);
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    if (headerTimeBase(bytes) % 3 != 0)
        fixture.prompt.expectMessage("time base");
    // Files the reader mends say so once as they open.
    const std::string name = file.filename().string();
    if (name == "system_messages.mid")
        fixture.prompt.expectMessage("system common or real-time");
    if (name == "cut_end_of_track.mid")
        fixture.prompt.expectMessage("cut short");
    if (name == "port_meta_in_conductor_2.mid") // a delta of five bytes after the last event
        fixture.prompt.expectMessage("Track 2 is cut short");
    for (const char* mended : {"format0_lone_bank_select.mid", "format0_lone_bank_select_2.mid",
                               "format0_lone_bank_select_3.mid", "port_meta_in_conductor_2.mid",
                               "vamp_before_the_start.mid", "marker_and_vamp_at_one_tick.mid",
                               "meta_track_text_at_tick_zero.mid", "meta_track_events_at_one_tick.mid",
                               "stray_note_offs_of_one_key.mid"})
        if (name == mended)
            fixture.prompt.expectMessage("a status byte where a data byte belongs");
    auto song = std::make_unique<CSongDoc>(fixture.context());
    std::string reason;
    EXPECT_FALSE(bytes.empty()) << file;
    EXPECT_TRUE(OpenSongBytes(*song, bytes, SongFileKind{}, reason)) << reason;
    return song;
}

// What a device makes of the wire, as text: per channel the selected
// parameter and the values of RPN 0, 1, 2 and 5. A selection stays until
// another is made; data entries change the selected RPN.
std::vector<std::string> deviceParameters(const std::vector<uint32_t>& wire)
{
    constexpr int kNone = 16383;
    struct Channel {
        int rpn = kNone;
        int nrpn = kNone;
        std::map<int, int> values;
    };
    std::array<Channel, 16> channels;
    for (uint32_t message : wire) {
        if ((message & 0xF0) != 0xB0)
            continue;
        Channel& channel = channels[message & 15];
        const int number = int(message >> 8) & 0x7F;
        const int value = int(message >> 16) & 0x7F;
        switch (number) {
        case 101: channel.rpn = (channel.rpn & 0x7F) | value << 7; channel.nrpn = kNone; break;
        case 100: channel.rpn = (channel.rpn & 0x3F80) | value; channel.nrpn = kNone; break;
        case 99: channel.nrpn = (channel.nrpn & 0x7F) | value << 7; channel.rpn = kNone; break;
        case 98: channel.nrpn = (channel.nrpn & 0x3F80) | value; channel.rpn = kNone; break;
        case 6:
        case 38:
            if (channel.rpn != kNone) {
                int& entry = channel.values[channel.rpn];
                entry = number == 6 ? (entry & 0x7F) | value << 7 : (entry & 0x3F80) | value;
            }
            break;
        default: break;
        }
    }
    std::vector<std::string> lines;
    for (size_t i = 0; i < channels.size(); ++i) {
        const Channel& channel = channels[i];
        const std::string name = "ch" + std::to_string(i) + " device ";
        if (channel.rpn != kNone)
            lines.push_back(name + "selects rpn " + std::to_string(channel.rpn));
        if (channel.nrpn != kNone)
            lines.push_back(name + "selects nrpn " + std::to_string(channel.nrpn));
        for (const auto& [rpn, value] : channel.values) {
            if (rpn == 0 || rpn == 1 || rpn == 2 || rpn == 5)
                lines.push_back(name + "rpn" + std::to_string(rpn) + " " + std::to_string(value));
        }
    }
    return lines;
}

// The port's state as text, one line per value, for a readable diff; the
// RPN values and the selection as the device has them.
std::vector<std::string> portState(IMidiOut& port, const std::vector<uint32_t>& wire,
                                   bool withNotesAndPedal)
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
    const std::vector<std::string> device = deviceParameters(wire);
    lines.insert(lines.end(), device.begin(), device.end());
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
    PortUnderTest port;
    std::unique_ptr<LoggingMidiOut> logged;
    std::unique_ptr<CSongDoc> song;

    Run(const ChaseSong& chaseSong, const MidiOutFactory& makePort)
        : port(makePort()), logged(std::make_unique<LoggingMidiOut>(*port.port))
    {
        fixture.engine.outputMap = {0};
        fixture.engine.ports = {logged.get()};
        fixture.engine.logPortLookups = false;
        song = chaseSong.make(fixture);
    }

    std::vector<std::string> state(bool withNotesAndPedal)
    {
        return portState(*logged, port.wire(), withNotesAndPedal);
    }
};

constexpr int kRandomTicks = 20;

// The same ticks on every run: the seed comes from the song's name.
std::vector<int32_t> testTicks(const CSongDoc& song, const std::string& name)
{
    const int32_t b = kSeekQuarters * song.timeBase;
    const int32_t last = song.measureMap.empty() ? 0 : song.measureMap.back().start;
    std::vector<int32_t> ticks = {0, b - 1, b, b + 1, song.endTick / 2, last};
    uint32_t seed = 2166136261u;
    for (unsigned char c : name)
        seed = (seed ^ c) * 16777619u;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32_t> anywhere(0, std::max(last, int32_t(0)));
    for (int i = 0; i < kRandomTicks; ++i)
        ticks.push_back(anywhere(random));
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
    playThrough(*reference.song, reference.fixture.engine, target - 1);
    const auto expected = reference.state(starting);
    const size_t mark = reference.logged->sends.size();
    playThrough(*reference.song, reference.fixture.engine, kEndTick - 1);
    const std::vector<std::string> expectedAfter(reference.logged->sends.begin()
                                                     + std::ptrdiff_t(mark),
                                                 reference.logged->sends.end());

    Run located(chaseSong, makePort);
    located.fixture.engine.state = starting ? TransportState::Starting : TransportState::Stopped;
    located.song->Locate(tick);
    EXPECT_EQ(located.song->position(), target);
    EXPECT_EQ(located.state(starting), expected);
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
    std::vector<ChaseSong> songs = {
        built("controls", controlsTrack),
        built("shared channel", sharedChannel),
        built("long notes", longNotes),
        built("transposed", transposedTrack),
        built("RPN data after a seek point", rpnDataAfterSeekPoint),
        built("NRPN data after an RPN setting", nrpnAfterRpn),
        built("target tick events", targetTickEvents),
        built("two tracks at one tick", sameTickTracks),
    };
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(fixtureDir)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".mid" || extension == ".rmi"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    EXPECT_FALSE(files.empty()) << fixtureDir;
    for (const std::filesystem::path& file : files) {
        songs.push_back(ChaseSong{"file " + file.filename().string(), [file](SongFixture& fixture) {
                                      return songFile(fixture, file);
                                  }});
    }
    return songs;
}

void expectChaseInvariant(const ChaseSong& song, const MidiOutFactory& makePort)
{
    SCOPED_TRACE(song.name);
    std::vector<int32_t> ticks;
    {
        Run probe(song, makePort);
        ASSERT_TRUE(probe.song != nullptr);
        ticks = testTicks(*probe.song, song.name);
    }
    for (int32_t tick : ticks) {
        checkAt(song, makePort, tick, true);
        checkAt(song, makePort, tick, false);
    }
}

} // namespace rz::test
