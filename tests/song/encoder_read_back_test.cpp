// Generated tracks encoded and read back with the play cursor: from the start,
// and from every seek point.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "song/dr_meta_track.h"
#include "song/seek_point.h"
#include "song/track.h"
#include "song/track_encoder.h"
#include "song_builder.h"

namespace rz {
namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;

struct Message {
    int32_t tick;
    uint8_t kind, data1, data2;
    std::vector<uint8_t> data;
    bool operator==(const Message&) const = default;
};

void PrintTo(const Message& m, std::ostream* os)
{
    *os << "{tick " << m.tick << " " << std::hex << int(m.kind) << " " << int(m.data1) << " "
        << int(m.data2) << " +" << std::dec << m.data.size() << "}";
}

// A message read from the image and where it starts.
struct Read {
    uint32_t offset;
    Message message;
};

// Reads on from wherever the cursor stands.
std::vector<Read> readOn(CTrack& track)
{
    std::vector<Read> reads;
    for (;;) {
        const uint32_t offset = track.readPosition;
        RawEvent event;
        if (!track.ReadNextEvent(event))
            break;
        reads.push_back({offset, {event.tick, event.kind, event.data1, event.data2,
                                  std::vector<uint8_t>(event.data.begin(), event.data.end())}});
    }
    return reads;
}

std::vector<Message> messagesOf(const std::vector<Read>& reads)
{
    std::vector<Message> messages;
    for (const Read& read : reads)
        messages.push_back(read.message);
    return messages;
}

int foldKey(int key)
{
    if (key < 0)
        return key + 12 * ((11 - key) / 12);
    if (key > 127)
        return key - 12 * ((key - 116) / 12);
    return key;
}

// A track of every kind of event the program keeps, with settings and
// offsets; notes of one written key never overlap, so a note-off read back
// belongs to one note only.
class ReadBackGenerator {
public:
    explicit ReadBackGenerator(uint32_t seed) : m_rng(seed) {}

    CTrack generate()
    {
        addSettings();
        int32_t tick = 0;
        const int count = pick(100, 500);
        for (int i = 0; i < count; ++i) {
            tick += pick(0, 9) == 0 ? pick(0, 6000) : pick(0, 200);
            const uint8_t channel = uint8_t(pick(0, 15));
            if (pick(0, 19) < 9)
                addNote(tick, channel);
            else
                m_track.events.push_back(otherEvent(tick, channel));
        }
        if (pick(0, 1))
            m_track.patchChangePoints.push_back(pick(1, std::max(tick, 1)));
        return std::move(m_track);
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

    void addSettings()
    {
        CTrack& track = m_track;
        track.name = "gen";
        track.type = pick(0, 4) == 0 ? kMetaTrack : kMidiTrack;
        track.channel = pick(0, 15);
        track.key = std::array{0, 0, 12, -7, 30}[size_t(pick(0, 4))];
        track.velocityOffset = std::array{0, 20, -50}[size_t(pick(0, 2))];
        if (pick(0, 1))
            track.bank = pick(0, 16383);
        if (pick(0, 2))
            track.patch = pick(0, 127);
        if (pick(0, 1))
            track.initialControllers[1] = pick(0, 127); // CC7
        if (pick(0, 1))
            track.initialControllers[0] = pick(0, 127); // CC10
        if (pick(0, 1))
            track.rpnValues[3] = pick(0, 16383); // RPN 0
        track.patchChangePoints = {0};
    }

    void addNote(int32_t tick, uint8_t channel)
    {
        const int key = pick(0, 127);
        const int written = foldKey(key + m_track.key);
        if (m_keyFreeAt[written] > tick)
            return;
        const int32_t length = pick(0, 3) == 0 ? pick(1, 5000) : pick(1, 300);
        m_keyFreeAt[written] = tick + length;
        CMidiEvent event = test::note(tick, uint8_t(key), uint8_t(pick(1, 127)), length, channel);
        if (pick(0, 4) == 0)
            event.spelling = int8_t(pick(0, 4));
        if (pick(0, 9) == 0)
            event.notation = uint8_t(pick(0, 255));
        m_track.events.push_back(std::move(event));
    }

    // Anything but a note; no plain data-entry or parameter-selection
    // controllers (the reader turns those into RPN and NRPN events).
    CMidiEvent otherEvent(int32_t tick, uint8_t channel)
    {
        constexpr uint8_t kControllers[] = {0, 1, 7, 10, 11, 32, 64, 91, 120, 121, 123, 110, 122, 126, 127};
        auto data = [&] { return uint32_t(pick(0, 127)); };
        switch (pick(0, 10)) {
        case 0:
        case 1:
        case 2:
            return test::controller(tick, kControllers[pick(0, int(std::size(kControllers)) - 1)],
                                    uint8_t(data()), channel);
        case 3:
            return test::program(tick, uint8_t(data()), pick(0, 1) ? pick(0, 16383) : -1, channel);
        case 4:
            return test::channelEvent(tick, 0xD0u | channel, data());
        case 5:
            return test::channelEvent(tick, 0xE0u | channel, data(), data());
        case 6:
            return test::rpn(tick, uint8_t(pick(0, 5)), uint32_t(pick(0, 16383)), channel);
        case 7: {
            const int value = std::array{pick(0, 16383), 0x8000, 0x8001}[size_t(pick(0, 2))];
            return test::nrpn(tick, uint32_t(pick(0, 3)), value, channel);
        }
        case 8: {
            std::vector<uint8_t> bytes(size_t(pick(0, 200)), uint8_t(data()));
            bytes.push_back(0xF7);
            return test::sysex(tick, bytes);
        }
        case 9:
            return test::textEvent(tick, std::string(size_t(pick(1, 150)), 'x'));
        default:
            return test::channelEvent(tick, 0xA0u | channel, data(), data());
        }
    }

    std::mt19937 m_rng;
    CTrack m_track;
    std::map<int, int32_t> m_keyFreeAt;
};

// The messages the encoder's rules give for a track, built from the events
// by sorting rather than by merging with a heap.
class ExpectedImage {
public:
    explicit ExpectedImage(const CTrack& track) : m_track(track) {}

    std::vector<Message> messages()
    {
        const CTrack& t = m_track;
        m_out.push_back({0, 0xFF, 0x03, 0, std::vector<uint8_t>(t.name.begin(), t.name.end())});
        m_out.push_back({0, 0xFF, 0x21, 0, {uint8_t(t.port)}});
        int32_t last = 0;
        for (const Item& item : sortedItems()) {
            last = std::max(last, item.tick);
            expand(item);
        }
        const std::string marker = trackSettingsMarker(t, t.playEnabled);
        m_out.push_back({last + 1, 0xFF, 0x01, 0, std::vector<uint8_t>(marker.begin(), marker.end())});
        return m_out;
    }

private:
    // Settings at a patch-change point come before everything at its tick,
    // then note-offs (the note added last first), then events.
    struct Item {
        int32_t tick;
        int rank; // 0 settings, 1 note-off, 2 event
        int64_t order;
        size_t index;
    };

    std::vector<Item> sortedItems() const
    {
        const CTrack& t = m_track;
        std::vector<Item> items;
        if (t.type != kMetaTrack && t.HasInitialSettings()) {
            for (size_t i = 0; i < t.patchChangePoints.size(); ++i)
                items.push_back({t.patchChangePoints[i], 0, int64_t(i), i});
        }
        for (size_t i = 0; i < t.events.size(); ++i) {
            const CMidiEvent& event = t.events[i];
            items.push_back({event.tick, 2, int64_t(i), i});
            if (event.isNote())
                items.push_back({event.tick + event.value2, 1, -int64_t(i), i});
        }
        std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
            if (a.tick != b.tick)
                return a.tick < b.tick;
            return a.rank != b.rank ? a.rank < b.rank : a.order < b.order;
        });
        return items;
    }

    uint8_t channel(uint32_t message) const
    {
        return uint8_t(m_track.type == kMetaTrack ? message & 0x0F : m_track.channel);
    }

    void add(int32_t tick, uint8_t status, int data1, int data2 = 0)
    {
        m_out.push_back({tick, status, uint8_t(data1), uint8_t(data2), {}});
    }

    void selectAndEnter(int32_t tick, uint8_t ch, uint32_t key, int msbController, int msb,
                        int lsbController, int lsb)
    {
        const uint8_t status = uint8_t(0xB0 | ch);
        if (m_selected != key) {
            add(tick, status, msbController, msb);
            add(tick, status, lsbController, lsb);
            m_selected = key;
        }
    }

    void rpn(int32_t tick, uint8_t ch, int number, int value)
    {
        selectAndEnter(tick, ch, uint32_t(number) << 8 | 0x10 | ch, 0x65, 0, 0x64, number);
        add(tick, uint8_t(0xB0 | ch), 0x06, value >> 7);
        add(tick, uint8_t(0xB0 | ch), 0x26, value & 0x7F);
    }

    void nrpn(int32_t tick, uint8_t ch, int number, int32_t value)
    {
        selectAndEnter(tick, ch, uint32_t(number) << 8 | 0x20 | ch, 0x63, number >> 7, 0x62,
                       number & 0x7F);
        if (value == 0x8000 || value == 0x8001) {
            add(tick, uint8_t(0xB0 | ch), value == 0x8001 ? 0x60 : 0x61, 0);
        } else {
            add(tick, uint8_t(0xB0 | ch), 0x06, value >> 7);
            add(tick, uint8_t(0xB0 | ch), 0x26, value & 0x7F);
        }
    }

    void note(const Item& item, const CMidiEvent& event, uint8_t ch, int key)
    {
        if (item.rank == 1) {
            add(item.tick, uint8_t(0x90 | ch), key, 0);
            return;
        }
        const int velocity = std::clamp((event.data2() & 0x7F) + m_track.velocityOffset, 1, 127);
        add(item.tick, uint8_t(0x90 | ch), key, velocity);
        if (event.spelling != kNoSpelling || event.notation != 0)
            m_out.push_back({item.tick, 0xFF, 0x7F, 0,
                             {'d', 'r', 0, uint8_t(key),
                              noteAttributeByte(event.notation, event.spelling)}});
    }

    void expand(const Item& item)
    {
        const CTrack& t = m_track;
        if (item.rank == 0) {
            expandSettings(item.tick);
            return;
        }
        const CMidiEvent& event = t.events[item.index];
        const uint8_t ch = channel(event.message);
        const int d1 = event.data1() & 0x7F, d2 = event.data2() & 0x7F;
        const int key = foldKey(d1 + t.key);
        switch (event.kind() & 0xF0) {
        case 0x90:
            note(item, event, ch, key);
            break;
        case 0xA0:
            add(item.tick, uint8_t(0xA0 | ch), key, d2);
            break;
        case 0xB0:
            add(item.tick, uint8_t(0xB0 | ch), d1, d2);
            break;
        case 0xC0:
            if (event.value2 >= 0) {
                add(item.tick, uint8_t(0xB0 | ch), 0, (event.value2 >> 7) & 0x7F);
                add(item.tick, uint8_t(0xB0 | ch), 0x20, event.value2 & 0x7F);
            }
            add(item.tick, uint8_t(0xC0 | ch), d1);
            break;
        case 0xD0:
            add(item.tick, uint8_t(0xD0 | ch), d1);
            break;
        case 0xE0:
            add(item.tick, uint8_t(0xE0 | ch), d1, d2);
            break;
        case 0x10:
            rpn(item.tick, ch, d1, int((event.message >> 16) & 0x3FFF));
            break;
        case 0x20:
            nrpn(item.tick, ch, int((event.message >> 8) & 0x3FFF), event.value2);
            break;
        case 0xF0: {
            const auto bytes = event.data.bytes();
            if (event.kind() == 0xFF)
                m_out.push_back({item.tick, 0xFF, event.data1(), 0, {bytes.begin(), bytes.end()}});
            else
                m_out.push_back({item.tick, 0xF0, 0, 0, {bytes.begin() + 1, bytes.end()}});
            break;
        }
        }
    }

    void expandSettings(int32_t tick)
    {
        const CTrack& t = m_track;
        const uint8_t ch = uint8_t(t.channel);
        if (t.bank >= 0) {
            add(tick, uint8_t(0xB0 | ch), 0, t.bank >> 7);
            add(tick, uint8_t(0xB0 | ch), 0x20, t.bank & 0x7F);
        }
        if (t.patch >= 0)
            add(tick, uint8_t(0xC0 | ch), t.patch);
        if (t.rpnValues[3] >= 0)
            rpn(tick, ch, 0, t.rpnValues[3]);
        if (t.initialControllers[1] >= 0)
            add(tick, uint8_t(0xB0 | ch), 7, t.initialControllers[1]);
        if (t.initialControllers[0] >= 0)
            add(tick, uint8_t(0xB0 | ch), 10, t.initialControllers[0]);
    }

    const CTrack& m_track;
    std::vector<Message> m_out;
    uint32_t m_selected = kNone;
};

// What reading the image from its start finds up to a point: the notes still
// sounding (with their events-array indices) and the chase list.
struct ChaseState {
    std::vector<uint32_t> notes, noteIndices, messages;
    std::vector<int32_t> ticks;
};

ChaseState chaseUpTo(const CTrack& track, const std::vector<Read>& reads, uint32_t offset,
                     int trackIndex)
{
    std::vector<uint32_t> noteOnIndices; // the events that write a note-on, in order
    for (size_t i = 0; i < track.events.size(); ++i) {
        if (track.events[i].isNote())
            noteOnIndices.push_back(uint32_t(i));
    }
    ChaseState state;
    size_t noteOns = 0;
    int rpnNumber = -1, dataMsb = 0;
    const uint32_t tag = uint32_t(trackIndex) << 24;
    for (const Read& read : reads) {
        if (read.offset >= offset)
            break;
        const Message& m = read.message;
        const uint32_t packed = m.kind | uint32_t(m.data1) << 8 | uint32_t(m.data2) << 16;
        const uint8_t ch = m.kind & 0x0F;
        switch (m.kind & 0xF0) {
        case 0x90:
            if (m.data2 != 0) {
                state.notes.push_back(packed | tag);
                state.noteIndices.push_back(noteOnIndices.at(noteOns++));
            } else {
                for (size_t i = 0; i < state.notes.size(); ++i) {
                    if ((state.notes[i] & 0xFFFF) == (packed & 0xFFFF)) {
                        state.notes.erase(state.notes.begin() + std::ptrdiff_t(i));
                        state.noteIndices.erase(state.noteIndices.begin() + std::ptrdiff_t(i));
                        break;
                    }
                }
            }
            break;
        case 0xB0:
            if (m.data1 == 0x64)
                rpnNumber = m.data2;
            else if (m.data1 == 0x62 || m.data1 == 0x63)
                rpnNumber = -1;
            else if (m.data1 == 0x06)
                dataMsb = m.data2;
            else if (m.data1 == 0x26 && rpnNumber >= 0)
                SetKeyedValue(0x10u | ch | uint32_t(rpnNumber) << 8
                                  | uint32_t(dataMsb << 7 | m.data2) << 16,
                              0xFFFF, m.tick, state.messages, state.ticks);
            if (m.data1 == 0x79) { // reset all controllers clears bend, pressure, 1, 11, 64-67
                for (size_t i = state.messages.size(); i-- > 0;) {
                    const uint32_t e = state.messages[i];
                    const uint32_t number = (e >> 8) & 0x7F;
                    const bool resetController =
                        (e & 0xF0) == 0xB0 && (number == 1 || number == 11 || (number >= 64 && number <= 67));
                    const bool reset =
                        (e & 0x0F) == ch && ((e & 0xF0) == 0xD0 || (e & 0xF0) == 0xE0 || resetController);
                    if (reset) {
                        state.messages.erase(state.messages.begin() + std::ptrdiff_t(i));
                        state.ticks.erase(state.ticks.begin() + std::ptrdiff_t(i));
                    }
                }
            }
            if (m.data1 >= 0x7C) // one mode message a channel
                SetKeyedValue(packed, 0xFCFF, m.tick, state.messages, state.ticks);
            else if (m.data1 != 0x06 && m.data1 != 0x26 && (m.data1 < 96 || m.data1 > 101) && m.data1 != 120
                     && m.data1 != 123)
                SetKeyedValue(packed, 0xFFFF, m.tick, state.messages, state.ticks);
            break;
        case 0xC0:
        case 0xD0:
        case 0xE0:
            SetKeyedValue(packed, 0xFF, m.tick, state.messages, state.ticks);
            break;
        }
    }
    return state;
}

class EncoderReadBack : public testing::TestWithParam<uint32_t> {
protected:
    void SetUp() override
    {
        const uint32_t seed = GetParam();
        m_track = ReadBackGenerator(seed).generate();
        m_interval = 16 * std::array{96, 120, 480}[seed % 3];
        m_trackIndex = int(1 + seed % 200);
        TrackEncodeContext context;
        context.trackIndex = m_trackIndex;
        WriteTrackChunk(m_track, m_interval, context);
        m_track.RewindReader();
        m_reads = readOn(m_track);
    }

    CTrack m_track;
    int32_t m_interval = 0;
    int m_trackIndex = 0;
    std::vector<Read> m_reads;
};

TEST_P(EncoderReadBack, CursorYieldsExactlyTheEncodedMessages)
{
    EXPECT_EQ(messagesOf(m_reads), ExpectedImage(m_track).messages());
    // Everything up to the end of track was read.
    EXPECT_EQ(m_track.nextTick, kEndTick);
}

TEST_P(EncoderReadBack, OneSeekPointPerStretchThenAFinalOne)
{
    int32_t lastItem = -1;
    for (size_t i = 2; i + 1 < m_reads.size(); ++i)
        lastItem = m_reads[i].message.tick;
    const size_t stretches = lastItem < 0 ? 0 : size_t(lastItem / m_interval) + 1;
    ASSERT_EQ(m_track.seekPoints.size(), stretches + 1);
    EXPECT_EQ(m_track.seekPoints.back().nextTick, kEndTick);
}

TEST_P(EncoderReadBack, ResumingAtASeekPointReadsWhatFollowsFromTheStart)
{
    for (size_t k = 0; k < m_track.seekPoints.size(); ++k) {
        const SeekPoint& point = m_track.seekPoints[k];
        CTrack resumed;
        resumed.playImage = m_track.playImage;
        resumed.positionReader(point);
        const std::vector<Read> tail = readOn(resumed);
        auto first = std::find_if(m_reads.begin(), m_reads.end(),
                                  [&](const Read& r) { return r.offset >= point.readPosition; });
        if (point.nextTick == kEndTick) {
            EXPECT_TRUE(tail.empty());
            // Only the settings marker lies past the final seek point.
            EXPECT_EQ(m_reads.end() - first, 1);
            continue;
        }
        ASSERT_NE(first, m_reads.end()) << "seek point " << k;
        EXPECT_EQ(first->offset, point.readPosition) << "seek point " << k;
        EXPECT_EQ(first->message.tick, point.nextTick) << "seek point " << k;
        EXPECT_GE(point.nextTick, int32_t(k) * m_interval) << "seek point " << k;
        if (k > 0) {
            EXPECT_LT(std::prev(first)->message.tick, int32_t(k) * m_interval)
                << "seek point " << k;
        }
        EXPECT_EQ(messagesOf(tail), messagesOf(std::vector<Read>(first, m_reads.end())))
            << "seek point " << k;
    }
}

TEST_P(EncoderReadBack, SeekPointHoldsWhatReadingUpToItsStretchFinds)
{
    for (size_t k = 0; k < m_track.seekPoints.size(); ++k) {
        const SeekPoint& point = m_track.seekPoints[k];
        const ChaseState found = chaseUpTo(m_track, m_reads, point.readPosition, m_trackIndex);
        EXPECT_EQ(point.soundingNotes, found.notes) << "seek point " << k;
        EXPECT_EQ(point.soundingNoteIndices, found.noteIndices) << "seek point " << k;
        EXPECT_EQ(point.chaseMessages, found.messages) << "seek point " << k;
        EXPECT_EQ(point.chaseTicks, found.ticks) << "seek point " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(, EncoderReadBack, testing::Range(1u, 25u));

} // namespace
} // namespace rz
