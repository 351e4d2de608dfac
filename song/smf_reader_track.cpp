// Reading one track chunk (a play image) back into a track's events and
// initial settings. GUI thread.
#include <algorithm>
#include <string_view>

#include "core/midi_bytes.h"
#include "song/channel_settings_log.h"
#include "song/note_pairing.h"
#include "song/prefault.h"
#include "song/smf_reader.h"
#include "song/text_markers.h"
#include "song/track.h"

namespace rz {
namespace {

constexpr int32_t kNone = -1;
constexpr uint32_t kNoParameter = 0x3FFF;
// The selection the stored events leave unknown (or not a 7-bit RPN).
constexpr uint32_t kNoStoredSelection = 0xFFFFFFFF;
constexpr std::string_view kUntitled = "(Untitled)";

// Initial-controller slot of a controller number, -1 for unmanaged ones.
int controllerSlot(uint8_t controller)
{
    const auto& numbers = kInitialControllerNumbers;
    const auto it = std::find(numbers.begin(), numbers.end(), controller);
    return it == numbers.end() ? -1 : int(it - numbers.begin());
}

int rpnSlot(uint32_t number)
{
    const auto& numbers = kInitialRpnNumbers;
    const auto it = std::find(numbers.begin(), numbers.end(), number);
    return it == numbers.end() ? -1 : int(it - numbers.begin());
}

int32_t foldKey(int32_t key)
{
    if (key < 0)
        key += 12 * ((11 - key) / 12);
    else if (key > 127)
        key -= 12 * ((key - 116) / 12);
    return key;
}

std::string_view textOf(std::span<const uint8_t> data)
{
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

// Room for every event the image can hold (each takes at least two bytes),
// so a large chunk is not copied while its array grows. Pages that are never
// written are never touched, so the room costs address space only.
size_t eventCapacity(const CTrack& track)
{
    return std::min(track.playImage.size() / 2 + 1, kMaxTrackEvents + 1);
}

class TrackChunkReader {
public:
    TrackChunkReader(CTrack& track, bool autoProps, std::vector<uint8_t>* channels,
                     ChannelSettingsLog* others)
        : m_track(track), m_autoProps(autoProps), m_channels(channels), m_others(others)
    {
        m_lastController.fill(kNone);
    }

    bool read();

private:
    bool handle(const RawEvent& raw);
    void channelMessage(const RawEvent& raw, uint32_t message);
    void noteOff(uint32_t message, int32_t tick);
    void endNotes(uint32_t index, int32_t tick);
    void endUnendedNotes();
    void controller(uint32_t message, int32_t tick);
    void managedController(uint32_t message, int32_t tick, int slot);
    void rpnSelection(uint32_t message, int32_t tick);
    void dataEntryMsb(uint8_t channel, uint8_t value, int32_t tick);
    void dataEntryLsb(uint8_t channel, uint8_t value);
    void rpnLsbAfterNotes(uint8_t channel, uint8_t value);
    void dataStep(uint32_t message, int32_t tick);
    void programChange(uint32_t message, int32_t tick);
    void sysex(const RawEvent& raw);
    void destinationSettings(std::span<const uint8_t> block);
    void meta(const RawEvent& raw);
    void text(const RawEvent& raw);
    CMidiEvent& store(uint32_t message, int32_t tick, int32_t value2 = 0);
    void mapMoreEvents();
    void keepUnusedBankSelects();
    void convertClips();
    void removeOffsets();

    CTrack& m_track;
    bool m_autoProps;
    std::vector<uint8_t>* m_channels;
    ChannelSettingsLog* m_others;
    bool m_noteStored = false;
    bool m_nameRead = false;
    bool m_portRead = false;
    bool m_full = false;
    size_t m_mappedEvents = 0; // events the block has pages mapped for
    int32_t m_markerTick = -1; // where the settings marker stood
    int m_lastChannel = -1;    // of the last channel message, already listed
    uint32_t m_rpn = kNoParameter;
    uint32_t m_nrpn = kNoParameter;
    // The selected RPN has a number above what an RPN event holds, so its
    // selection and data entries stay the controllers they were.
    bool m_rpnAsControllers = false;
    bool m_rpnLsbConsumed = false; // an RPN LSB was taken in since the last MSB
    // What the events stored so far select on a channel, as an RPN or NRPN
    // event's kind and number would name it.
    uint32_t m_storedSelection = kNoStoredSelection;
    int32_t m_bank = kNone;
    int32_t m_lastProgram = kNone;
    int32_t m_lastBank = kNone;
    std::array<int32_t, 14> m_lastController{};
    std::array<int32_t, 14> m_lastControllerTick{}; // where it was sent; 0 for the initial value
    NotePairing m_pending;
    // Bank selects no program change has taken up yet: where each stood
    // among the events, so one the track ends with is kept where it was.
    struct BankSelect {
        size_t index;
        uint32_t message;
        int32_t tick;
    };
    std::vector<BankSelect> m_unusedBankSelects;
};

bool TrackChunkReader::read()
{
    m_track.name = kUntitled;
    m_track.events.clear();
    m_track.events.reserve(eventCapacity(m_track));
    m_pending.reserve(m_track.events.capacity());
    m_track.endTick = 0;
    m_track.endOfTrack = 0;
    m_track.skipped = {};
    m_track.RewindReader();
    RawEvent raw;
    while (!m_full && m_track.ReadNextEvent(raw))
        m_full = !handle(raw);
    // Only an End of Track after every event holds time of its own; ours
    // follows the settings marker at once.
    if (m_track.metEndOfTrack > m_track.endTick && m_track.metEndOfTrack > m_markerTick)
        m_track.endOfTrack = m_track.metEndOfTrack;
    m_track.endTick = std::max(m_track.endTick, m_track.endOfTrack);
    endUnendedNotes();
    keepUnusedBankSelects();
    convertClips();
    removeOffsets();
    m_track.RewindReader();
    return !m_full;
}

bool TrackChunkReader::handle(const RawEvent& raw)
{
    m_track.endTick = std::max(m_track.endTick, raw.tick);
    if (raw.kind == midi::kMeta)
        meta(raw);
    else if (raw.kind == midi::kSysEx || raw.kind == midi::kEndOfSysEx)
        sysex(raw);
    else
        channelMessage(raw, uint32_t(raw.kind) | uint32_t(raw.data1) << 8 | uint32_t(raw.data2) << 16);
    return m_track.events.size() <= kMaxTrackEvents;
}

CMidiEvent& TrackChunkReader::store(uint32_t message, int32_t tick, int32_t value2)
{
    if (m_track.events.size() >= m_mappedEvents)
        mapMoreEvents();
    CMidiEvent& event = m_track.events.emplace_back();
    event.message = message;
    event.tick = tick;
    event.value2 = value2;
    return event;
}

// The events' block is mapped a stretch at a time ahead of the events: a
// large track would otherwise fault in each of its pages on its own.
void TrackChunkReader::mapMoreEvents()
{
    constexpr size_t kStretch = (256 * 1024) / sizeof(CMidiEvent);
    auto& events = m_track.events;
    const size_t end = std::min(events.capacity(), events.size() + kStretch);
    prefaultForWrite(events.data() + events.size(), (end - events.size()) * sizeof(CMidiEvent));
    m_mappedEvents = end;
}

void TrackChunkReader::channelMessage(const RawEvent& raw, uint32_t message)
{
    const uint8_t channel = raw.kind & 0x0F;
    if (!m_noteStored)
        m_track.channel = channel;
    if (m_channels != nullptr && channel != m_lastChannel
        && std::find(m_channels->begin(), m_channels->end(), channel) == m_channels->end())
        m_channels->push_back(channel);
    m_lastChannel = channel;
    switch (midi::statusOf(raw.kind)) {
    case midi::kNoteOn:
        if (raw.data2 != 0) {
            m_pending.add(channel, raw.data1, uint32_t(m_track.events.size()));
            store(message, raw.tick);
            m_noteStored = true;
            return;
        }
        [[fallthrough]];
    case midi::kNoteOff:
        noteOff(message, raw.tick);
        return;
    case midi::kControlChange:
        controller(message, raw.tick);
        return;
    case midi::kProgramChange:
        programChange(message, raw.tick);
        return;
    default: // polyphonic and channel pressure, pitch bend
        store(message, raw.tick);
        return;
    }
}

void TrackChunkReader::noteOff(uint32_t message, int32_t tick)
{
    const uint8_t channel = message & 0x0F;
    const uint8_t key = uint8_t(message >> 8);
    const uint32_t index = m_pending.take(channel, key);
    if (index != NotePairing::kNone) {
        CMidiEvent& note = m_track.events[index];
        note.value2 = tick - note.tick;
        return;
    }
    // An unmatched note-on of velocity 0 (or note-off of velocity 0) is kept
    // as a note of its own, waiting like any other.
    if (((message >> 16) & 0xFF) == 0) {
        m_pending.add(channel, key, uint32_t(m_track.events.size()));
        store(message, tick);
    }
}

// A note the file never ends sounds until its channel is silenced, or to
// the end of the track; a note-off after the silence still ends it later.
// A stray velocity-0 note stays as short as it was.
void TrackChunkReader::endNotes(uint32_t index, int32_t tick)
{
    CMidiEvent& note = m_track.events[index];
    if (note.data2() != 0)
        note.value2 = std::max(tick - note.tick, 0);
}

void TrackChunkReader::endUnendedNotes()
{
    const int32_t end = m_track.metEndOfTrack >= 0 ? m_track.metEndOfTrack : m_track.endTick;
    m_pending.endSounding([&](uint32_t index) { endNotes(index, end); });
}

void TrackChunkReader::controller(uint32_t message, int32_t tick)
{
    const uint8_t channel = message & 0x0F;
    const uint8_t number = uint8_t(message >> 8);
    const uint8_t value = uint8_t(message >> 16);
    if (number == cc::kAllSoundOff || number == cc::kAllNotesOff)
        m_pending.silence(channel, [&](uint32_t index) { endNotes(index, tick); });
    if (number == cc::kBankMsb || number == cc::kBankLsb) {
        const int32_t bank = std::max(m_bank, 0);
        m_bank = number == cc::kBankMsb ? (bank & 0x7F) | value << 7 : (bank & 0x3F80) | value;
        m_unusedBankSelects.push_back({m_track.events.size(), message, tick});
        return;
    }
    if (!m_autoProps) {
        store(message, tick);
        return;
    }
    if (const int slot = controllerSlot(number); slot >= 0) {
        managedController(message, tick, slot);
        return;
    }
    const bool rpnData = number == cc::kDataEntryMsb || number == cc::kDataEntryLsb
                         || number == cc::kDataIncrement || number == cc::kDataDecrement;
    if (rpnData)
        m_rpnLsbConsumed = false;
    if (rpnData && m_rpnAsControllers && m_nrpn == kNoParameter) {
        store(message, tick);
        return;
    }
    switch (number) {
    case cc::kRpnMsb:
    case cc::kRpnLsb:
        rpnSelection(message, tick);
        return;
    case cc::kNrpnMsb:
    case cc::kNrpnLsb:
        m_nrpn = number == cc::kNrpnMsb ? (m_nrpn & 0x7F) | uint32_t(value) << 7 : (m_nrpn & 0x3F80) | value;
        m_rpn = kNoParameter;
        m_rpnAsControllers = false;
        return;
    case cc::kDataEntryMsb:
        dataEntryMsb(channel, value, tick);
        return;
    case cc::kDataEntryLsb:
        dataEntryLsb(channel, value);
        return;
    case cc::kDataIncrement:
    case cc::kDataDecrement:
        dataStep(message, tick);
        return;
    default:
        store(message, tick);
        return;
    }
}

void TrackChunkReader::managedController(uint32_t message, int32_t tick, int slot)
{
    const int32_t value = int32_t((message >> 16) & 0x7F);
    int32_t& initial = m_track.initialControllers[size_t(slot)];
    int32_t& last = m_lastController[size_t(slot)];
    int32_t& lastTick = m_lastControllerTick[size_t(slot)];
    const uint8_t channel = message & 0x0F;
    // Once a note has sounded, a value is an event where it stands. A repeat
    // is kept when another track on the channel set another value since.
    if (initial < 0 && !m_noteStored) {
        initial = value;
        tick = 0;
    } else if (value != last
               || (m_others != nullptr
                   && m_others->changedByOthers(m_track, channel, slot, uint8_t(value), lastTick, tick))) {
        store(message, tick);
    }
    last = value;
    lastTick = tick;
}

// An RPN event holds a 7-bit number: a selection with a higher number
// (another MSB than 0) is kept as its controllers, and so are the data
// entries that follow it. An LSB taken in before such an MSB is written out
// after it, so the selection still names the same parameter.
void TrackChunkReader::rpnSelection(uint32_t message, int32_t tick)
{
    const uint8_t number = uint8_t(message >> 8);
    const uint8_t value = uint8_t(message >> 16);
    const bool msb = number == cc::kRpnMsb;
    m_rpn = msb ? (m_rpn & 0x7F) | uint32_t(value) << 7 : (m_rpn & 0x3F80) | value;
    m_nrpn = kNoParameter;
    m_rpnAsControllers = (m_rpn >> 7) != 0;
    if (m_rpnAsControllers) {
        store(message, tick);
        m_storedSelection = kNoStoredSelection;
        if (msb && m_rpnLsbConsumed)
            store((message & 0xFFu) | uint32_t(cc::kRpnLsb) << 8 | (m_rpn & 0x7F) << 16, tick);
    }
    m_rpnLsbConsumed = !msb && !m_rpnAsControllers;
}

// A data increment or decrement of an NRPN is an NRPN event; of an RPN it
// stays the controller, after the selection it steps when the events stored
// so far select another parameter (the RPN selection itself is not stored).
void TrackChunkReader::dataStep(uint32_t message, int32_t tick)
{
    const uint8_t channel = message & 0x0F;
    const bool increment = uint8_t(message >> 8) == cc::kDataIncrement;
    if (m_nrpn != kNoParameter) {
        store(0x20u | channel | m_nrpn << 8, tick, increment ? 0x8001 : 0x8000);
        m_storedSelection = 0x20u | channel | m_nrpn << 8;
        return;
    }
    if (m_rpn == kNoParameter)
        return;
    const uint32_t selection = 0x10u | channel | m_rpn << 8;
    if (m_storedSelection != selection) {
        const uint32_t select = midi::kControlChange | channel;
        store(select | uint32_t(cc::kRpnMsb) << 8 | (m_rpn >> 7) << 16, tick);
        store(select | uint32_t(cc::kRpnLsb) << 8 | (m_rpn & 0x7F) << 16, tick);
        m_storedSelection = selection;
    }
    store(message, tick);
}

void TrackChunkReader::dataEntryMsb(uint8_t channel, uint8_t value, int32_t tick)
{
    if (m_nrpn != kNoParameter) {
        store(0x20u | channel | m_nrpn << 8, tick, int32_t(value) << 7);
        m_storedSelection = 0x20u | channel | m_nrpn << 8;
        return;
    }
    if (m_rpn == kNoParameter)
        return;
    const int slot = rpnSlot(m_rpn);
    if (!m_noteStored && slot >= 0) {
        int32_t& setting = m_track.rpnValues[size_t(slot)];
        setting = (std::max(setting, 0) & 0x7F) | int32_t(value) << 7;
        return;
    }
    store(0x10u | channel | (m_rpn & 0x7F) << 8 | uint32_t(value) << 23, tick);
    m_storedSelection = 0x10u | channel | (m_rpn & 0x7F) << 8;
}

void TrackChunkReader::dataEntryLsb(uint8_t channel, uint8_t value)
{
    if (m_nrpn != kNoParameter) {
        if (m_track.events.empty())
            return;
        CMidiEvent& last = m_track.events.back();
        if (last.message == (0x20u | channel | m_nrpn << 8) && last.value2 >= 0)
            last.value2 = (last.value2 & ~0x7F) | value;
        return;
    }
    if (m_rpn == kNoParameter)
        return;
    if (!m_noteStored) {
        if (const int slot = rpnSlot(m_rpn); slot >= 0) {
            int32_t& setting = m_track.rpnValues[size_t(slot)];
            setting = (std::max(setting, 0) & 0x3F80) | value;
        }
        return;
    }
    rpnLsbAfterNotes(channel, value);
}

// Completes the RPN event just stored; a value that repeats the previous RPN
// event of the same number and channel is not kept.
void TrackChunkReader::rpnLsbAfterNotes(uint8_t channel, uint8_t value)
{
    auto& events = m_track.events;
    const uint32_t head = 0x10u | channel | (m_rpn & 0x7F) << 8;
    if (events.empty() || (events.back().message & 0xFFFF) != head)
        return;
    CMidiEvent& last = events.back();
    last.message = (last.message & ~(0x7Fu << 16)) | uint32_t(value) << 16;
    for (size_t i = events.size() - 1; i-- > 0;) {
        if ((events[i].message & 0xFFFF) != head)
            continue;
        if (events[i].message == last.message) {
            events.pop_back();
            m_storedSelection = kNoStoredSelection;
        }
        return;
    }
}

void TrackChunkReader::programChange(uint32_t message, int32_t tick)
{
    m_unusedBankSelects.clear(); // the program carries the bank

    const int32_t program = int32_t((message >> 8) & 0x7F);
    if (m_autoProps && m_track.patch < 0 && !m_noteStored) {
        m_track.bank = m_bank;
        m_track.patch = program;
    } else if (!(m_autoProps && program == m_lastProgram && m_bank == m_lastBank)) {
        store(message, tick, m_bank);
    }
    m_lastProgram = program;
    m_lastBank = m_bank;
}

void TrackChunkReader::sysex(const RawEvent& raw)
{
    CMidiEvent event;
    event.message = midi::kSysEx;
    event.tick = raw.tick;
    if (!event.SetData(raw.data, raw.kind == midi::kSysEx))
        return;
    const std::span<const uint8_t> block = event.data.bytes();
    // Only a universal real-time controller-destination message (F0 7F id
    // 09 01|03) is a setting; other blocks with 09 there are the device's own.
    if (block.size() > 6 && block[0] == midi::kSysEx && block[1] == 0x7F && block[3] == 0x09
        && (block[4] == 0x01 || block[4] == 0x03)) {
        destinationSettings(block);
        return;
    }
    m_track.events.push_back(std::move(event));
}

// F0 7F 7F 09 01 ch (parameter range)... F7: channel-pressure destinations;
// F0 7F 7F 09 03 ch controller (parameter range)... F7: controller ones.
void TrackChunkReader::destinationSettings(std::span<const uint8_t> block)
{
    const size_t length = block.size();
    // A track whose settings are all it sends has no channel message to
    // take its channel from; the message names the channel it sets.
    if (m_lastChannel < 0 && block[5] < 16)
        m_track.channel = block[5];
    if (block[4] == 0x01) {
        for (size_t i = 0; i + 7 < length; i += 2)
            if (block[6 + i] < 6)
                m_track.channelPressureDest[block[6 + i]] = block[7 + i];
    } else if (block[4] == 0x03) {
        m_track.destController = block[6];
        for (size_t i = 0; i + 8 < length; i += 2)
            if (block[7 + i] < 6)
                m_track.controllerDest[block[7 + i]] = block[8 + i];
    }
}

void TrackChunkReader::meta(const RawEvent& raw)
{
    switch (raw.data1) {
    case 0x01:
        text(raw);
        return;
    case 0x03:
        m_track.name.assign(textOf(raw.data.first(std::min(raw.data.size(), kMaxNameBytes))));
        m_nameRead = true;
        return;
    case 0x21:
        // The first port at the start is the track's; any other stays an
        // event, so it is written back.
        if (raw.tick == 0 && !raw.data.empty() && !m_portRead) {
            m_track.port = std::min<int32_t>(raw.data[0], 15);
            m_portRead = true;
            return;
        }
        break;
    case 0x7F:
        if (applyTrackDrRecord(m_track, raw.data, raw.tick))
            return;
        break;
    default:
        break;
    }
    CMidiEvent& event = store(midi::kMeta | uint32_t(raw.data1) << 8, raw.tick);
    event.SetData(raw.data);
}

void TrackChunkReader::text(const RawEvent& raw)
{
    if (raw.data.empty())
        return;
    const std::string_view text = textOf(raw.data);
    const bool marker = text.starts_with(kMarkerPrefix);
    // Only a chunk without a name takes its name from a text at its start.
    if (raw.tick <= 0 && !m_nameRead && !marker && m_track.name == kUntitled) {
        m_track.name.assign(text.substr(0, kMaxNameBytes));
        return;
    }
    if (marker && applyTrackSettingsMarker(m_track, text)) {
        m_markerTick = raw.tick;
        return;
    }
    store(kTextMessage, raw.tick).SetData(raw.data);
}

// Inserted once the notes are paired, which hold event indices; the last
// first, so the earlier indices still hold.
void TrackChunkReader::keepUnusedBankSelects()
{
    auto& events = m_track.events;
    for (auto it = m_unusedBankSelects.rbegin(); it != m_unusedBankSelects.rend(); ++it) {
        CMidiEvent event;
        event.message = it->message;
        event.tick = it->tick;
        events.insert(events.begin() + std::ptrdiff_t(std::min(it->index, events.size())), std::move(event));
    }
}

// Cue points are audio clips only on a waveform track, whose type the
// settings marker at the chunk's end gives.
void TrackChunkReader::convertClips()
{
    if (m_track.type != kWaveTrack)
        return;
    for (CMidiEvent& event : m_track.events) {
        if (event.message != (midi::kMeta | 0x07u << 8))
            continue;
        std::string_view text = textOf(event.data.bytes());
        text = text.substr(0, kMaxClipTextBytes);
        int32_t number = 1;
        const size_t bars = text.find("||");
        if (!text.empty() && text[0] >= '0' && text[0] <= '9' && bars != std::string_view::npos) {
            std::string_view digits = text.substr(0, bars);
            number = takeNumber(digits);
            text.remove_prefix(bars + 2);
        }
        auto clip = std::make_unique<CAudioClip>();
        clip->fileName.assign(text);
        clip->number = number;
        event.SetClip(std::move(clip));
        event.value2 = 120;
    }
}

// The image holds notes with the track's key and velocity offsets applied;
// they are removed once, with the offsets in force at the chunk's end.
void TrackChunkReader::removeOffsets()
{
    const int32_t key = m_track.key;
    const int32_t velocity = m_track.velocityOffset;
    if ((m_track.flags & kTrackImageHasOffsets) == 0 || (key == 0 && velocity == 0))
        return;
    for (CMidiEvent& event : m_track.events) {
        const uint8_t kind = event.kind();
        if (kind < midi::kNoteOff || kind >= midi::kControlChange)
            continue;
        uint32_t message = event.message;
        if (key != 0)
            message = (message & ~0xFF00u) | uint32_t(foldKey(int32_t(event.data1()) - key)) << 8;
        if (kind < midi::kPolyPressure && event.data2() != 0 && velocity != 0) {
            const int32_t v = std::clamp(int32_t(event.data2()) - velocity, 1, 127);
            message = (message & ~0xFF0000u) | uint32_t(v) << 16;
        }
        event.message = message;
    }
}

} // namespace

bool ReadTrackChunk(CTrack& track, bool autoProps, std::vector<uint8_t>* channels,
                    ChannelSettingsLog* others)
{
    return TrackChunkReader(track, autoProps, channels, others).read();
}

} // namespace rz
