#include <map>
#include <random>

#include <gtest/gtest.h>

#include "song/smf_reader.h"
#include "song/track.h"
#include "song/track_encoder.h"

namespace rz {
namespace {

// Generates tracks the reader can give back exactly: no value that the
// reader's "AutoProps" handling would drop as a repeat, RPNs only after the
// first note (before it they are settings), offsets that never fold a key.
class TrackGenerator {
public:
    explicit TrackGenerator(uint32_t seed) : m_random(seed) {}

    CTrack midiTrack()
    {
        CTrack track;
        settings(track);
        int32_t tick = 0;
        addNote(track, tick);
        for (int i = 0, n = pick(20, 80); i < n; ++i) {
            tick += pick(0, 3) == 0 ? 0 : pick(1, 240);
            addEvent(track, tick);
        }
        return track;
    }

    CTrack waveTrack()
    {
        CTrack track;
        track.name = "Audio " + std::to_string(pick(1, 99));
        track.type = kWaveTrack;
        track.patchChangePoints = {0};
        int32_t tick = 0;
        for (int i = 0, n = pick(1, 6); i < n; ++i) {
            tick += pick(0, 2000);
            CMidiEvent& event = track.events.emplace_back();
            event.tick = tick;
            auto clip = std::make_unique<CAudioClip>();
            clip->fileName = "WaveData/take" + std::to_string(i) + ".wav";
            clip->number = pick(1, 3);
            event.SetClip(std::move(clip));
            event.value2 = 120;
        }
        return track;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    void settings(CTrack& track)
    {
        track.name = "Track " + std::to_string(pick(1, 999));
        track.port = pick(0, 15);
        track.channel = pick(0, 15);
        track.bank = pick(0, 16383);
        track.patch = pick(0, 127);
        for (int32_t& value : track.initialControllers)
            value = pick(0, 2) == 0 ? -1 : pick(0, 127);
        for (int32_t& value : track.rpnValues)
            value = pick(0, 1) == 0 ? -1 : pick(0, 16383);
        if (pick(0, 1) == 1)
            track.channelPressureDest = {pick(0, 127), -1, pick(0, 127), -1, -1, pick(0, 127)};
        if (pick(0, 1) == 1) {
            track.destController = pick(1, 31);
            track.controllerDest = {-1, pick(0, 127), -1, -1, pick(0, 127), -1};
        }
        track.key = pick(-12, 12);
        track.velocityOffset = pick(-20, 20);
        track.timeOffset = pick(-4096, 4096);
        track.inputDevice = pick(0, 15);
        track.inputChannel = pick(-1, 15);
        track.notationSetting = pick(0, 6);
        track.notationValue = pick(-60, 120);
        track.setColor(Color(pick(0, 0xFFFFFF)));
        track.playEnabled = track.savedPlayEnabled = pick(0, 1);
        track.volume = pick(0, 200);
        track.patchChangePoints = {0};
        m_lastProgram = {track.bank, track.patch};
        m_lastController = track.initialControllers;
    }

    uint32_t channelKind(const CTrack& track, uint32_t high) { return high | uint32_t(track.channel); }

    void addNote(CTrack& track, int32_t tick)
    {
        int key = pick(30, 90);
        while (m_keyFree[key] > tick)
            key = pick(30, 90);
        CMidiEvent& note = track.events.emplace_back();
        note.message = channelKind(track, 0x90) | uint32_t(key) << 8 | uint32_t(pick(30, 100)) << 16;
        note.tick = tick;
        note.value2 = pick(1, 480);
        m_keyFree[key] = tick + note.value2;
        if (pick(0, 3) == 0) {
            note.spelling = int8_t(pick(0, 4));
            note.notation = uint8_t(pick(0, 3));
        }
    }

    void addEvent(CTrack& track, int32_t tick)
    {
        switch (pick(0, 11)) {
        case 0: case 1: case 2: addNote(track, tick); return;
        case 3: addController(track, tick); return;
        case 4: addProgram(track, tick); return;
        case 5: addChannel(track, tick, 0xE0, pick(0, 127), pick(0, 127)); return;
        case 6: addChannel(track, tick, 0xD0, pick(0, 127), 0); return;
        case 7: addChannel(track, tick, 0xA0, pick(30, 90), pick(0, 127)); return;
        case 8: addRpn(track, tick); return;
        case 9: addNrpn(track, tick); return;
        case 10: addSysex(track, tick); return;
        default: addText(track, tick); return;
        }
    }

    void addChannel(CTrack& track, int32_t tick, uint32_t high, int data1, int data2)
    {
        CMidiEvent& event = track.events.emplace_back();
        event.message = channelKind(track, high) | uint32_t(data1) << 8 | uint32_t(data2) << 16;
        event.tick = tick;
    }

    void addController(CTrack& track, int32_t tick)
    {
        static constexpr int kPlain[] = {1, 2, 4, 11, 64, 65, 66, 67, 84, 120};
        // A managed controller without an initial value would become one.
        const int slot = pick(0, 13);
        if (pick(0, 1) == 0 || m_lastController[size_t(slot)] < 0) {
            addChannel(track, tick, 0xB0, kPlain[pick(0, 9)], pick(0, 127));
            return;
        }
        int value = pick(0, 127);
        while (value == m_lastController[size_t(slot)])
            value = pick(0, 127);
        m_lastController[size_t(slot)] = value;
        addChannel(track, tick, 0xB0, kInitialControllerNumbers[size_t(slot)], value);
    }

    void addProgram(CTrack& track, int32_t tick)
    {
        std::pair<int, int> next{pick(0, 16383), pick(0, 127)};
        while (next == m_lastProgram)
            next.second = pick(0, 127);
        m_lastProgram = next;
        addChannel(track, tick, 0xC0, next.second, 0);
        track.events.back().value2 = next.first;
    }

    void addRpn(CTrack& track, int32_t tick)
    {
        const int number = pick(0, 6);
        int value = pick(0, 16383);
        while (m_lastRpn.count(number) != 0 && m_lastRpn[number] == value)
            value = pick(0, 16383);
        m_lastRpn[number] = value;
        addChannel(track, tick, 0x10, number, 0);
        track.events.back().message |= uint32_t(value) << 16;
    }

    void addNrpn(CTrack& track, int32_t tick)
    {
        const int number = pick(0, 16383);
        CMidiEvent& event = track.events.emplace_back();
        event.message = channelKind(track, 0x20) | uint32_t(number) << 8;
        event.tick = tick;
        const int choice = pick(0, 3);
        event.value2 = choice == 0 ? 0x8000 : choice == 1 ? 0x8001 : pick(0, 16383);
    }

    void addSysex(CTrack& track, int32_t tick)
    {
        std::vector<uint8_t> body;
        for (int i = 0, n = pick(1, 12); i < n; ++i)
            body.push_back(uint8_t(pick(0, 127)));
        body.push_back(0xF7);
        CMidiEvent& event = track.events.emplace_back();
        event.message = 0xF0;
        event.tick = tick;
        event.SetData(body, true);
    }

    void addText(CTrack& track, int32_t tick)
    {
        CMidiEvent& event = track.events.emplace_back();
        event.tick = tick;
        if (pick(0, 1) == 0)
            event.SetMetaText(0x05, "la " + std::to_string(pick(0, 999)));
        else
            event.SetText("@DR;2;0;cresc. " + std::to_string(pick(0, 9)));
    }

    std::mt19937 m_random;
    std::array<int32_t, 128> m_keyFree{};
    std::pair<int, int> m_lastProgram{-1, -1};
    std::array<int32_t, 14> m_lastController{};
    std::map<int, int> m_lastRpn;
};

std::vector<uint8_t> encode(CTrack& track)
{
    WriteTrackChunk(track, 120 * 16, TrackEncodeContext{});
    return track.playImage;
}

// Where two images first differ, with the bytes around it; empty when equal.
std::string firstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    if (i == a.size() && i == b.size())
        return {};
    std::string text = "differ at " + std::to_string(i) + ":";
    for (const auto* image : {&a, &b}) {
        text += "\n ";
        for (size_t k = i >= 8 ? i - 8 : 0; k < std::min(image->size(), i + 16); ++k)
            text += " " + std::to_string((*image)[k]);
    }
    return text;
}

// What a file gives the reader: a fresh track holding only the image.
CTrack readBack(const std::vector<uint8_t>& image)
{
    CTrack track;
    track.playImage = image;
    EXPECT_TRUE(ReadTrackChunk(track, true));
    track.patchChangePoints = {0};
    return track;
}

TEST(EncodeReadIdentity, GeneratedMidiTracks)
{
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE(seed);
        TrackGenerator generator(seed);
        CTrack original = generator.midiTrack();
        const std::vector<uint8_t> first = encode(original);
        CTrack read = readBack(first);
        ASSERT_EQ(firstDifference(encode(read), first), "");
        EXPECT_EQ(read.key, original.key);
        EXPECT_EQ(read.events.size(), original.events.size());
    }
}

TEST(EncodeReadIdentity, GeneratedWaveTracks)
{
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        SCOPED_TRACE(seed);
        TrackGenerator generator(seed);
        CTrack original = generator.waveTrack();
        const std::vector<uint8_t> first = encode(original);
        CTrack read = readBack(first);
        ASSERT_EQ(firstDifference(encode(read), first), "");
        ASSERT_EQ(read.events.size(), original.events.size());
        EXPECT_EQ(read.events[0].clip()->number, original.events[0].clip()->number);
    }
}

} // namespace
} // namespace rz
