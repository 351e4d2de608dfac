// Event list cells read back into events. Every parser works on a copy and
// answers nothing for text it cannot read.

#include "song/event_cell_parse.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/midi_bytes.h"
#include "song/clipboard_edit.h"
#include "song/event_format.h"
#include "song/song_doc.h"
#include "song/spelling_tables.h"
#include "song/undo_record.h"

namespace rz {
namespace {

namespace col = event_column;

constexpr int kRpnStatus = 0x10;
constexpr int kNrpnStatus = 0x20;
constexpr int kMax14Bit = 16383;
constexpr int kPitchCentre = 8192;
constexpr int kBankAsNumber = 0x80;  // "Technology": the bank is one number, its MSB
constexpr int kProgramsFromZero = 0x100;
// Hundredths of a semitone RPN 0 can hold: MSB 127, LSB 99.
constexpr double kMaxRangeHundredths = 127 * 100 + 99;
// Fine tuning: -100 .. +100 cents, in hundredths.
constexpr double kFineTuneHundredths = 10000;
// Clock fields beyond these only push the time past the song's end.
constexpr int kMaxClockField = 1000000;

struct HighLow {
    int high = 0;
    int low = 0;
};

// "h/l", or one number split at 128; both parts 0..127.
HighLow readHighLow(std::string_view text)
{
    HighLow value;
    if (const size_t slash = text.find('/'); slash != std::string_view::npos) {
        value.high = leadingNumber(text.substr(0, slash));
        value.low = leadingNumber(text.substr(slash + 1));
    } else if (const int n = leadingNumber(text); n > 127) {
        value.high = n / 128;
        value.low = n & 127;
    } else {
        value.low = n;
    }
    value.high = std::clamp(value.high, 0, 127);
    value.low = std::clamp(value.low, 0, 127);
    return value;
}

// One data byte: "h/l" gives l; one number is held within 0..127 rather
// than keeping its low 7 bits (200 is 127, not 72).
int readData7(std::string_view text)
{
    if (text.find('/') != std::string_view::npos)
        return readHighLow(text).low;
    return std::clamp(leadingNumber(text), 0, 127);
}

// A decimal as typed; nothing for text that is not a finite number.
std::optional<double> readDecimal(std::string_view text)
{
    const std::string copy(text);
    const char* begin = copy.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int statusOf(const CMidiEvent& event)
{
    return event.kind() & 0xF0;
}

void setData1(CMidiEvent& event, int value)
{
    event.message = (event.message & ~0xFF00u) | uint32_t(value & 0xFF) << 8;
}

void setData2(CMidiEvent& event, int value)
{
    event.message = (event.message & ~0xFF0000u) | uint32_t(value & 0xFF) << 16;
}

void setRpnValue(CMidiEvent& event, int value)
{
    event.message = (event.message & 0xFFFFu) | uint32_t(std::clamp(value, 0, kMax14Bit)) << 16;
}

int rpnValue(const CMidiEvent& event)
{
    return int((event.message >> 16) & 0x3FFF);
}

const MeasureRec* measureAt(const EventCellSong& song, int32_t tick)
{
    if (!song.measures || song.measures->empty())
        return nullptr;
    const int index = FindMeasure(*song.measures, tick);
    return index < 0 ? nullptr : &(*song.measures)[size_t(index)];
}

int32_t beatAt(const EventCellSong& song, int32_t tick)
{
    const MeasureRec* m = measureAt(song, tick);
    return m ? beatLength(song.timeBase, *m) : std::max(song.timeBase, 1);
}

int32_t saturatedTick(double tick)
{
    return int32_t(std::clamp(tick, 0.0, double(kLastEditTick)));
}

bool parseTrack(const EventCellSong& song, std::string_view text, EventCellEdit& edit)
{
    if (!startsWithNumber(text))
        return false;
    // The last track is the empty one, which no event may join.
    edit.track = std::clamp(leadingNumber(text), 0, std::max(song.trackCount - 2, 0));
    return true;
}

// "M[letter]:beat:ticks", the measure searched from the event's own onward.
bool parseTick(const EventCellSong& song, std::string_view text, EventCellEdit& edit)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || !song.measures || song.measures->empty())
        return false;
    std::string_view head = text.substr(0, colon);
    while (!head.empty() && head.front() == ' ')
        head.remove_prefix(1);
    size_t digits = 0;
    while (digits < head.size() && std::isdigit(static_cast<unsigned char>(head[digits])))
        ++digits;
    const int number = leadingNumber(head);
    const char letter = digits < head.size() ? char(std::toupper(static_cast<unsigned char>(head[digits]))) : 0;
    const std::string_view rest = text.substr(colon + 1);
    const size_t second = rest.find(':');
    const int beat = leadingNumber(rest.substr(0, second));
    const int ticks = second == std::string_view::npos ? 0 : leadingNumber(rest.substr(second + 1));

    const MeasureMap& map = *song.measures;
    const size_t count = map.size();
    const size_t first = size_t(std::max(FindMeasure(map, edit.event.tick), 0));
    for (size_t n = 0; n < count; ++n) {
        const MeasureRec& m = map[(first + n) % count];
        if (m.number != number || m.letter != letter)
            continue;
        const double tick = double(m.start) + (double(beat) - 1) * beatLength(song.timeBase, m) + ticks;
        edit.event.tick = saturatedTick(tick);
        return true;
    }
    return false;
}

// Up to four fields from the right: frames, seconds, minutes, hours.
bool parseSmpte(const EventCellSong& song, std::string_view text, EventCellEdit& edit)
{
    if (!song.tempos || !startsWithNumber(text))
        return false;
    int fields[4] = {0, 0, 0, 0};
    std::string_view rest = text;
    for (int i = 0; i < 4; ++i) {
        const size_t colon = rest.rfind(':');
        const std::string_view field = colon == std::string_view::npos ? rest : rest.substr(colon + 1);
        fields[i] = std::clamp(leadingNumber(field), 0, kMaxClockField);
        if (colon == std::string_view::npos)
            break;
        rest = rest.substr(0, colon);
    }
    CSmpteTime offset = song.smpteOffset;
    const double offsetTime = offset.GetTime();
    const CSmpteTime typed = CSmpteTime::fromFields(offset.rate(), fields[3], fields[2], fields[1], fields[0], 0);
    const double time = std::clamp(typed.time(), offsetTime, kMaxSmpteTimeUs);
    edit.event.tick = std::max(TimeToTick(*song.tempos, song.timeBase, time - offsetTime), 0);
    return true;
}

bool parseDuration(const EventCellSong& song, std::string_view text, EventCellEdit& edit)
{
    const double beat = beatAt(song, edit.event.tick);
    double ticks = 0;
    if (text.find('.') != std::string_view::npos) {
        const std::optional<double> beats = readDecimal(text);
        if (!beats)
            return false;
        ticks = *beats * beat;
    } else if (const size_t colon = text.find(':'); colon != std::string_view::npos) {
        ticks = double(leadingNumber(text.substr(0, colon))) * beat + leadingNumber(text.substr(colon + 1));
    } else if (startsWithNumber(text)) {
        ticks = leadingNumber(text);
    } else {
        return false;
    }
    edit.event.value2 = saturatedTick(std::fabs(ticks));
    return true;
}

// Note letters with #, b, x or ' and an octave; digits give the key itself.
bool parseNote(const EventCellSong& song, std::string_view text, EventCellEdit& edit)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    if (std::isdigit(static_cast<unsigned char>(text.front()))) {
        const int key = leadingNumber(text);
        if (key > 127)
            return false;
        setData1(edit.event, key);
        edit.event.spelling = kNoSpelling;
        return true;
    }
    static constexpr std::string_view kLetters = "CDEFGAB";
    static constexpr int kPitchClass[] = {0, 2, 4, 5, 7, 9, 11};
    const size_t letter = kLetters.find(char(std::toupper(static_cast<unsigned char>(text.front()))));
    if (letter == std::string_view::npos)
        return false;
    text.remove_prefix(1);
    const auto skipBlanks = [&text] {
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
    };
    skipBlanks();
    int accidental = 0;
    if (!text.empty()) {
        switch (text.front()) {
        case '#': accidental = 1; break;
        case 'b': accidental = -1; break;
        case 'x': accidental = 2; break;
        case '\'': accidental = -2; break;
        default: break;
        }
        if (accidental != 0)
            text.remove_prefix(1);
        if (accidental == -2 && !text.empty() && text.front() == '\'')
            text.remove_prefix(1);
    }
    skipBlanks();
    const bool hasOctave = !text.empty() && (std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '-');
    const int octaveBase = hasOctave ? 12 * (std::clamp(leadingNumber(text), -2, 11) + 1)
                                     : 12 * (edit.event.data1() / 12);
    const int key = kPitchClass[letter] + accidental + octaveBase;
    if (key < 0 || key > 127)
        return false;
    setData1(edit.event, key);
    const MeasureRec* m = measureAt(song, edit.event.tick);
    const int row = std::clamp(m ? int(m->key) : 0, -7, 7) + 7;
    const int spelling = accidental + 2;
    edit.event.spelling = spelling == kSpellingAccidental[row][key % 12] + 2 ? kNoSpelling : int8_t(spelling);
    return true;
}

// "b,p" (or "h/l,p"); without a comma the program alone. Programs are shown
// from 1 unless the synthesizer counts them from 0.
bool parseProgram(const EventCellSong& song, std::string_view text, EventCellEdit& edit)
{
    const int firstProgram = (song.technology & kProgramsFromZero) ? 0 : 1;
    std::string_view programText = text;
    if (const size_t comma = text.find(','); comma != std::string_view::npos) {
        const std::string_view bankText = text.substr(0, comma);
        if (song.technology & kBankAsNumber) {
            edit.event.value2 = std::clamp(leadingNumber(bankText), 0, 127) * 128;
        } else {
            const HighLow bank = readHighLow(bankText);
            edit.event.value2 = std::clamp((bank.high << 7) + bank.low, 0, kMax14Bit);
        }
        programText = text.substr(comma + 1);
    }
    if (!startsWithNumber(programText))
        return false;
    const int program = std::clamp(leadingNumber(programText), firstProgram, firstProgram + 127) - firstProgram;
    setData1(edit.event, program);
    return true;
}

bool parseNumber(const EventCellSong& song, std::string_view text, EventCellEdit& edit)
{
    CMidiEvent& e = edit.event;
    const bool numeric = statusOf(e) == kRpnStatus || statusOf(e) == kNrpnStatus
                         || statusOf(e) == midi::kControlChange;
    if (numeric && !startsWithNumber(text))
        return false;
    switch (statusOf(e)) {
    case kRpnStatus:
        e.message = (e.message & ~0x7F00u) | uint32_t(readData7(text)) << 8;
        return true;
    case kNrpnStatus: {
        const HighLow number = readHighLow(text);
        e.message = (e.message & ~0x3FFF00u) | uint32_t(number.high << 7 | number.low) << 8;
        return true;
    }
    case midi::kControlChange:
        setData1(e, readData7(text));
        return true;
    case midi::kProgramChange:
        return parseProgram(song, text, edit);
    case midi::kNoteOn:
    case midi::kPolyPressure:
        return parseNote(song, text, edit);
    default:
        return false;
    }
}

bool parseRpnValue(std::string_view text, CMidiEvent& e)
{
    const int parameter = int((e.message >> 8) & 0x7F);
    if (parameter == 0 || parameter == 1 || parameter == 5) {
        const std::optional<double> typed = readDecimal(text);
        if (!typed)
            return false;
        if (parameter == 0) {
            setRpnValue(e, BendRangeFromCents(std::llround(std::clamp(*typed * 100, 0.0, kMaxRangeHundredths))));
        } else if (parameter == 5) {
            const double h = std::floor(std::clamp(*typed * 100, 0.0, double(kMax14Bit) * 100 / 128));
            setRpnValue(e, int(h * 128 / 100));
        } else {
            const double h = std::floor(std::clamp(*typed * 100, -kFineTuneHundredths, kFineTuneHundredths));
            setRpnValue(e, int((h + kFineTuneHundredths) * kPitchCentre / kFineTuneHundredths));
        }
        return true;
    }
    if (parameter == 2) {
        setRpnValue(e, std::clamp(leadingNumber(text), 0, 127) << 7 | (rpnValue(e) & 127));
        return true;
    }
    const HighLow value = readHighLow(text);
    setRpnValue(e, value.high << 7 | value.low);
    return true;
}

bool parseValue(std::string_view text, EventCellEdit& edit)
{
    CMidiEvent& e = edit.event;
    if (e.kind() != midi::kMeta && !startsWithNumber(text) && !readDecimal(text))
        return false;
    switch (statusOf(e)) {
    case kRpnStatus:
        return parseRpnValue(text, e);
    case kNrpnStatus: {
        const HighLow value = readHighLow(text);
        e.value2 = value.high << 7 | value.low;
        return true;
    }
    case midi::kNoteOn:
    case midi::kPolyPressure:
    case midi::kControlChange:
        setData2(e, readData7(text));
        return true;
    case midi::kChannelPressure:
        setData1(e, std::clamp(leadingNumber(text), 0, 127));
        return true;
    case midi::kPitchBend: {
        const int v = std::clamp(leadingNumber(text), -kPitchCentre, kPitchCentre - 1) + kPitchCentre;
        setData1(e, v & 127);
        setData2(e, v >> 7);
        return true;
    }
    default:
        if (e.kind() == midi::kMeta && e.data1() < 7 && !e.clip())
            return e.SetMetaText(e.data1(), text);
        return false;
    }
}

bool sameEvent(const EventCellEdit& a, int track, const CMidiEvent& b)
{
    const auto abytes = a.event.data.bytes();
    const auto bbytes = b.data.bytes();
    return a.track == track && a.event.message == b.message && a.event.tick == b.tick
           && a.event.value2 == b.value2 && a.event.spelling == b.spelling
           && std::equal(abytes.begin(), abytes.end(), bbytes.begin(), bbytes.end());
}

} // namespace

EventCellSong eventCellSong(const CSongDoc& song, int track)
{
    EventCellSong s;
    s.trackCount = int(song.tracks.size());
    s.timeBase = song.timeBase;
    s.measures = &song.measureMap;
    s.tempos = &song.tempoMap;
    s.smpteOffset = song.smpteOffset;
    if (track >= 0 && track < s.trackCount)
        s.technology = song.tracks[size_t(track)]->technology;
    return s;
}

bool eventCellEditable(uint8_t kind, int column, bool stopped, bool performing)
{
    if (!stopped || performing)
        return false;
    const int status = kind & 0xF0;
    const bool note = status == midi::kNoteOn;
    const bool keyed = note || status == midi::kPolyPressure;
    const bool parameter = status == kRpnStatus || status == kNrpnStatus;
    switch (column) {
    case col::kTrack:
    case col::kTick:
    case col::kSmpte:
        return true;
    case col::kDuration:
        return note;
    case col::kNumber:
        return keyed || parameter || status == midi::kControlChange || status == midi::kProgramChange;
    case col::kValue:
        return keyed || parameter || status == midi::kControlChange || status == midi::kChannelPressure
               || status == midi::kPitchBend || kind == midi::kMeta;
    default:
        return false;
    }
}

bool eventCellEditable(const CMidiEvent& event, int column, bool stopped, bool performing)
{
    if (event.kind() == midi::kMeta && column == col::kValue && (event.data1() >= 7 || event.clip()))
        return false;
    return eventCellEditable(event.kind(), column, stopped, performing);
}

std::optional<EventCellEdit> parseEventCell(const EventCellSong& song, int track, const CMidiEvent& event,
                                            int column, std::string_view text)
{
    return readEventCell(song, track, event, column, text).edit;
}

EventCellReading readEventCell(const EventCellSong& song, int track, const CMidiEvent& event, int column,
                               std::string_view text)
{
    text = text.substr(0, std::min(text.size(), kMaxEventCellText));
    if (!eventCellEditable(event, column, true, false))
        return {};
    EventCellEdit edit{track, event};
    bool read = false;
    switch (column) {
    case col::kTrack: read = parseTrack(song, text, edit); break;
    case col::kTick: read = parseTick(song, text, edit); break;
    case col::kSmpte: read = parseSmpte(song, text, edit); break;
    case col::kDuration: read = parseDuration(song, text, edit); break;
    case col::kNumber: read = parseNumber(song, text, edit); break;
    case col::kValue: read = parseValue(text, edit); break;
    default: break;
    }
    if (!read)
        return {.edit = std::nullopt, .unreadable = true};
    if (sameEvent(edit, track, event))
        return {};
    return {.edit = edit, .unreadable = false};
}

std::unique_ptr<CUndoRecord> eventCellRecord(int track, int index, int32_t oldTick, EventCellEdit edit)
{
    const uint32_t source = uint32_t(track) << 24 | uint32_t(index);
    const bool moved = edit.track != track || edit.event.tick != oldTick;
    const uint32_t target = uint32_t(edit.track) << 24 | (moved ? kComputedPosition : uint32_t(index));
    edit.event.selectionStamp = 0;
    EventListBuilder builder;
    builder.remove(source);
    builder.insert(std::move(edit.event), target);
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = "Event Properties";
    record->events = builder.build();
    return record;
}

} // namespace rz
