#include "dialogs/event_props_model.h"

#include "core/settings.h"
#include "core/synth_lookup.h"
#include "core/text_codec.h"
#include "song/event_format.h"
#include "song/measure_map.h"
#include "song/midi_event.h"
#include "song/song_doc.h"
#include "song/track.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace rz {
namespace {

constexpr int32_t kLowestListedNote = 21;
constexpr int32_t kHighestListedNote = 108;
// A merged patch number above this is unset.
constexpr int32_t kMaxPatchNumber = 0x1FFF80;
// Meta types shown and typed as text.
constexpr int32_t kFirstBinaryMeta = 10;
constexpr int32_t kMetaTypeCount = 128;
// What the profile holds for an unset number: below every patch number.
constexpr int32_t kUnsetStoredNumber = -1000;
constexpr int32_t kLowestPatchNumber = -128;

struct NamedNumber {
    const char* text;
    int32_t number;
};

constexpr NamedNumber kMetaItems[] = {
    {"Sequence (0)", 0},        {"Text (1)", 1},           {"Copyright (2)", 2},    {"Track Name (3)", 3},
    {"Instrument (4)", 4},      {"Lyric (5)", 5},          {"Marker (6)", 6},       {"Cue Point (7)", 7},
    {"MIDI Channel (32)", 32},  {"MIDI Port (33)", 33},    {"End of Track (47)", 47}, {"Tempo (81)", 81},
    {"SMPTE Offset (84)", 84},  {"Time Signature (88)", 88}, {"Key Signature (89)", 89},
    {"Proprietary (127)", 127},
};

enum Rpn : int32_t { kBendRange = 0, kFineTuning = 1, kCoarseTuning = 2, kModulationDepth = 5 };

constexpr NamedNumber kRpnItems[] = {
    {"Pitch-Bend Range (0)", 0}, {"Fine Tuning (1)", 1},  {"Coarse Tuning (2)", 2},
    {"Tuning Bank (3)", 3},      {"Tuning Patch (4)", 4}, {"Modulation Depth (5)", 5},
};

std::vector<ComboItem> namedItems(std::span<const NamedNumber> names)
{
    std::vector<ComboItem> items;
    for (const NamedNumber& n : names)
        items.push_back({n.text, n.number});
    return items;
}

size_t indexOf(EventKindIndex kind)
{
    return size_t(kind);
}

std::string formatItem(const char* pattern, auto... args)
{
    char text[160];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

bool isBlankText(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

int32_t floorDiv128(int32_t n)
{
    return n >= 0 ? n / 128 : -((-n + 127) / 128);
}

std::vector<ComboItem> noteItems(const ISynthLookup* synths, const EventTrackInfo& track, int32_t key)
{
    const bool drums = synths && track.valid && (track.drumMask == 0 || track.drumChannel());
    std::vector<ComboItem> items;
    for (int32_t note = kHighestListedNote; note >= kLowestListedNote; --note) {
        std::string text = noteNameText(note, key);
        if (drums)
            if (const auto name = synths->drumNoteName(track.synth, track.bank, track.program, note))
                text += " (" + *name + ")";
        items.push_back({std::move(text), note});
    }
    return items;
}

std::string patchText(const std::string& name, int32_t bank, int32_t program, BankStyle style)
{
    if (style.msbOnly())
        return formatItem("%s [%d, %d]", name.c_str(), bank / 128, program + style.patchBase());
    return formatItem("%s [%d (%d/%d),%d]", name.c_str(), bank, bank / 128, bank % 128, program + style.patchBase());
}

std::vector<ComboItem> patchChangeItems(const ISynthLookup* synths, const EventTrackInfo& track)
{
    std::vector<ComboItem> items;
    if (!synths || !track.valid)
        return items;
    const BankStyle style = track.style();
    if (!track.drumChannel())
        for (const PatchListRow& row : synths->patchList(track.synth))
            if (row.patch >= 0)
                insertSorted(items, {patchText(row.name, row.bank, row.patch, style), row.bank * 128 + row.patch});
    for (const DrumsetListRow& set : synths->drumsetList(track.synth)) {
        const int32_t data = set.bank * 128 + set.program;
        const bool listed = std::any_of(items.begin(), items.end(), [&](const ComboItem& i) { return i.data == data; });
        if (set.name && !listed)
            insertSorted(items, {patchText(*set.name, set.bank, set.program, style), data});
    }
    return items;
}

std::vector<ComboItem> nrpnItems(const ISynthLookup* synths, const EventTrackInfo& track)
{
    std::vector<ComboItem> items;
    if (!synths || !track.valid)
        return items;
    for (const NrpnListRow& row : synths->nrpnList(track.synth))
        items.push_back({formatItem("%d (%d/%d): %s", row.nrpn, row.nrpn / 128, row.nrpn % 128, row.name.c_str()),
                         row.nrpn});
    return items;
}

// A stored number or value above its limit is unset.
std::optional<int32_t> within(int64_t n, int64_t limit)
{
    if (n < 0 || n > limit)
        return std::nullopt;
    return int32_t(n);
}

int32_t clampValue(int64_t n)
{
    return int32_t(std::clamp<int64_t>(n, 0, kMax14Bit));
}

// The value a chosen controller usually starts from.
int32_t usualControllerValue(int32_t controller)
{
    switch (controller) {
    case cc::kVolume: return 100;
    case cc::kExpression: return 127;
    case 8: // balance
    case cc::kPan: return 64;
    case 91: return 40; // reverb depth
    default: return controller >= cc::kTimbre && controller <= cc::kVibratoDelay ? 64 : 0;
    }
}

} // namespace

RememberedFields loadRememberedFields(const IProfile& profile)
{
    RememberedFields fields;
    fields.kind = EventKindIndex(readSetting(profile, settings::kInsertEventType));
    for (size_t k = 0; k < kEventKindCount; ++k) {
        const std::string part = std::to_string(k);
        const int32_t number = readSettingOr(profile, settings::kInsertEventNumber, kEventKinds[k].number, part);
        const int32_t value = readSettingOr(profile, settings::kInsertEventValue, kEventKinds[k].value, part);
        // A patch change's number goes below 0 without a bank.
        if (number >= 0 || (k == indexOf(EventKindIndex::PatchChange) && number >= kLowestPatchNumber))
            fields.numbers[k] = number;
        if (value >= 0)
            fields.values[k] = value;
    }
    return fields;
}

void saveRememberedFields(IProfile& profile, EventKindIndex kind, std::optional<int32_t> number,
                          std::optional<int32_t> value)
{
    if (kind == EventKindIndex::None)
        return;
    const std::string part = std::to_string(indexOf(kind));
    writeSetting(profile, settings::kInsertEventType, int32_t(kind));
    writeSetting(profile, settings::kInsertEventNumber, number.value_or(kUnsetStoredNumber), part);
    writeSetting(profile, settings::kInsertEventValue, value.value_or(-1), part);
}

EventTrackInfo eventTrackInfo(const CSongDoc& song, int32_t track)
{
    EventTrackInfo info;
    if (track < 1 || int64_t(track) + 2 > int64_t(song.tracks.size()))
        return info;
    const CTrack& t = *song.tracks[size_t(track)];
    info.valid = true;
    info.synth = t.synth;
    info.bank = t.bank;
    info.program = t.patch;
    info.channel = t.channel & 15;
    info.drumMask = t.drums;
    info.technology = t.technology;
    return info;
}

int32_t eventKeySignature(const CSongDoc& song, int32_t track, int32_t tick)
{
    if (song.measureMap.empty())
        return 0;
    const int32_t key = song.measureMap[size_t(FindMeasure(song.measureMap, std::max(tick, 0)))].key;
    if (track < 1 || int64_t(track) + 2 > int64_t(song.tracks.size()))
        return key;
    return song.tracks[size_t(track)]->MapPitch(key);
}

int32_t eventBeatTicks(const CSongDoc& song, int32_t tick)
{
    if (song.measureMap.empty())
        return std::max<int32_t>(song.timeBase, 1);
    return beatLength(song.timeBase, song.measureMap[size_t(FindMeasure(song.measureMap, std::max(tick, 0)))]);
}

std::vector<ComboItem> eventNumberItems(EventKindIndex kind, const ISynthLookup* synths,
                                        const EventTrackInfo& track, int32_t keySignature)
{
    switch (kind) {
    case EventKindIndex::Note:
    case EventKindIndex::Aftertouch: return noteItems(synths, track, keySignature);
    case EventKindIndex::Controller:
        return controllerItems(track.valid ? synths : nullptr, track.synth, cc::kNrpnLsb, 127);
    case EventKindIndex::PatchChange: return patchChangeItems(synths, track);
    case EventKindIndex::Meta: return namedItems(kMetaItems);
    case EventKindIndex::Rpn: return namedItems(kRpnItems);
    case EventKindIndex::Nrpn: return nrpnItems(synths, track);
    default: return {};
    }
}

std::string undefinedNumberText(EventKindIndex kind, int32_t number, int32_t accidental, int32_t keySignature,
                                BankStyle style)
{
    switch (kind) {
    case EventKindIndex::Note:
    case EventKindIndex::Aftertouch: {
        CMidiEvent event;
        event.message = midi::noteOn(0, number & 0x7F, 0);
        event.spelling = int8_t(std::clamp(accidental, -1, 4));
        return FormatNoteName(event, keySignature);
    }
    case EventKindIndex::Controller:
    case EventKindIndex::Meta: return formatItem("%d (undefined)", number);
    case EventKindIndex::PatchChange: {
        const int32_t bank = floorDiv128(number);
        const int32_t program = number - bank * 128 + style.patchBase();
        if (bank < 0 || bank > kMax14Bit)
            return formatItem("(undefined) [%d]", program);
        return formatItem("(undefined) [%d (%d/%d),%d]", bank, bank / 128, bank % 128, program);
    }
    case EventKindIndex::Rpn:
    case EventKindIndex::Nrpn: return formatItem("%d (%d/%d) (undefined)", number, number / 128, number % 128);
    default: return {};
    }
}

std::optional<int32_t> parsePatch(std::string_view text, BankStyle style)
{
    if (isBlankText(text))
        return std::nullopt;
    const size_t comma = text.find(',');
    const std::string_view programText = comma == std::string_view::npos ? text : text.substr(comma + 1);
    const int32_t base = style.patchBase();
    const int32_t program = std::clamp(typedNumber(programText), base, 127 + base) - base;
    if (comma == std::string_view::npos)
        return program - 128;
    const Number14 typed = parse14(text.substr(0, comma)).value_or(Number14{});
    // An MSB-only synth lists its banks by their MSB, so that is what is typed.
    const int32_t bank = style.msbOnly() ? std::clamp(typed.value(), 0, 127) * 128 : typed.value();
    return bank * 128 + program;
}

std::optional<int32_t> parseRpnValue(int32_t rpn, std::string_view text)
{
    if (isBlankText(text))
        return std::nullopt;
    switch (rpn) {
    case kBendRange: return BendRangeFromCents(int64_t(std::floor(typedDecimal(text) * 100)));
    case kModulationDepth: return clampValue(int64_t(std::floor(typedDecimal(text) * 100)) * 128 / 100);
    case kFineTuning:
        return clampValue(std::llround(std::floor(typedDecimal(text) * 100 + 10000) * 8192 / 10000));
    case kCoarseTuning: return parse14(text)->lsb * 128;
    default: return parse14(text)->value();
    }
}

std::optional<int32_t> parseEventValue(EventKindIndex kind, std::optional<int32_t> number, std::string_view text)
{
    if (isBlankText(text))
        return std::nullopt;
    switch (kind) {
    case EventKindIndex::Note:
    case EventKindIndex::Aftertouch:
    case EventKindIndex::Controller:
    case EventKindIndex::ChannelPressure: return parse7(text);
    case EventKindIndex::PitchWheel: return std::clamp(typedNumber(text), -8192, 8191) + 8192;
    case EventKindIndex::Rpn: return parseRpnValue(number.value_or(-1), text);
    case EventKindIndex::Nrpn: return parse14(text)->value();
    default: return std::nullopt;
    }
}

HexData parseHexData(std::string_view text, bool sysex)
{
    HexData result;
    std::vector<std::pair<size_t, size_t>> tokens;
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    for (size_t i = 0; i < text.size();) {
        while (i < text.size() && isSpace(text[i]))
            ++i;
        const size_t start = i;
        while (i < text.size() && !isSpace(text[i]))
            ++i;
        if (i > start)
            tokens.emplace_back(start, i - start);
    }
    for (size_t t = 0; t < tokens.size(); ++t) {
        const std::string_view token = text.substr(tokens[t].first, tokens[t].second);
        unsigned byte = 0;
        bool ok = token.size() == 2;
        for (const char c : token) {
            const char u = char(std::toupper(static_cast<unsigned char>(c)));
            const bool digit = u >= '0' && u <= '9';
            ok = ok && (digit || (u >= 'A' && u <= 'F'));
            byte = byte * 16 + unsigned(digit ? u - '0' : u - 'A' + 10);
        }
        if (ok && sysex && byte > midi::kDataMask)
            ok = (byte == midi::kSysEx && t == 0) || (byte == midi::kEndOfSysEx && t + 1 == tokens.size());
        if (!ok) {
            result.ok = false;
            result.bytes.clear();
            for (const char c : token)
                result.token += char(std::toupper(static_cast<unsigned char>(c)));
            result.start = tokens[t].first;
            result.length = tokens[t].second;
            return result;
        }
        result.bytes.push_back(uint8_t(byte));
    }
    return result;
}

std::string hexText(std::span<const uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

std::optional<BuiltEvent> buildEvent(const EventFields& f)
{
    if (f.kind == EventKindIndex::None || f.track < 1 || f.tick < 0)
        return std::nullopt;
    const EventKindSpec& spec = kEventKinds[indexOf(f.kind)];
    const uint32_t status = spec.status < midi::kSysEx && spec.status >= midi::kNoteOff
                                ? uint32_t(midi::onChannel(spec.status, f.channel))
                                : spec.status;
    const bool number = f.number.has_value() && *f.number >= 0;
    const bool value = f.value >= 0;
    BuiltEvent e;
    switch (f.kind) {
    case EventKindIndex::Note:
        if (!number || !value || f.duration < 0)
            return std::nullopt;
        e.message = status | uint32_t(*f.number & 0x7F) << 8 | uint32_t(f.value & 0x7F) << 16;
        e.value2 = f.duration;
        e.accidental = f.accidental;
        return e;
    case EventKindIndex::Aftertouch:
    case EventKindIndex::Controller:
        if (!number || !value)
            return std::nullopt;
        e.message = status | uint32_t(*f.number & 0x7F) << 8 | uint32_t(f.value & 0x7F) << 16;
        return e;
    case EventKindIndex::PatchChange: {
        // No bank is a number below 0; program 127 without one is -1.
        if (!f.number)
            return std::nullopt;
        const int32_t bank = floorDiv128(*f.number);
        e.message = status | uint32_t(*f.number - bank * 128) << 8;
        e.value2 = bank >= 0 && bank <= kMax14Bit ? bank : -1;
        return e;
    }
    case EventKindIndex::ChannelPressure:
        if (!value)
            return std::nullopt;
        e.message = status | uint32_t(f.value & 0x7F) << 8;
        return e;
    case EventKindIndex::PitchWheel:
        if (!value)
            return std::nullopt;
        e.message = status | uint32_t(f.value % 128) << 8 | uint32_t(f.value / 128 & 0x7F) << 16;
        return e;
    case EventKindIndex::SystemExclusive:
        if (f.data.empty())
            return std::nullopt;
        e.message = midi::kSysEx;
        e.data.assign(f.data.begin(), f.data.end());
        return e;
    case EventKindIndex::Meta:
        if (f.data.empty() || !number || *f.number >= kMetaTypeCount)
            return std::nullopt;
        e.message = midi::kMeta | uint32_t(*f.number) << 8;
        e.data.assign(f.data.begin(), f.data.end());
        return e;
    case EventKindIndex::Rpn:
        if (!number || *f.number > kMaxRpnNumber || !value)
            return std::nullopt;
        e.message = kRpnKind | uint32_t(*f.number) << 8 | uint32_t(f.value & kMax14Bit) << 16;
        return e;
    case EventKindIndex::Nrpn:
        if (!number || !value)
            return std::nullopt;
        e.message = kNrpnKind | uint32_t(*f.number & kMax14Bit) << 8;
        e.value2 = f.value & kMax14Bit;
        return e;
    case EventKindIndex::None: break;
    }
    return std::nullopt;
}

std::string eventValueText(const EventFields& fields)
{
    EventFields scratch = fields;
    if (!scratch.number || *scratch.number < 0)
        scratch.number = 127;
    scratch.track = std::max(scratch.track, 1);
    scratch.tick = std::max(scratch.tick, 0);
    scratch.duration = std::max(scratch.duration, 0);
    const std::optional<BuiltEvent> built = buildEvent(scratch);
    if (!built)
        return {};
    CMidiEvent event;
    event.message = built->message;
    event.value2 = built->value2;
    return FormatEventValue(event);
}

KindFields kindFields(EventKindIndex kind)
{
    KindFields f;
    switch (kind) {
    case EventKindIndex::Note:
        f.number = f.duration = true;
        f.valueLabel = "Velocity:";
        break;
    case EventKindIndex::Aftertouch:
    case EventKindIndex::Controller:
    case EventKindIndex::Rpn:
    case EventKindIndex::Nrpn: f.number = true; break;
    case EventKindIndex::PatchChange:
        f.number = true;
        f.value = false;
        break;
    case EventKindIndex::Meta: f.number = true; [[fallthrough]];
    case EventKindIndex::SystemExclusive:
        f.data = true;
        f.value = false;
        break;
    default: break;
    }
    return f;
}

// ---- the model

EventPropsModel::EventPropsModel(const EventPropsRequest& request, RememberedFields remembered)
    : m_remembered(std::move(remembered)), m_track(request.track), m_tick(request.tick),
      m_multiple(request.multiple)
{
    if (request.message == 0) {
        m_kind = m_remembered.kind;
        if (indexOf(m_kind) >= kEventKindCount)
            m_kind = kDefaultEventKind;
        m_duration = request.value2 >= 0 ? request.value2 : -1;
    } else if (request.message == kMixedKindsMessage) {
        m_kind = EventKindIndex::None;
    } else {
        readEvent(request);
    }
    if (!request.data.empty() && !m_tooLarge)
        m_data = request.data;
    setKind(m_kind);
}

void EventPropsModel::readEvent(const EventPropsRequest& request)
{
    const uint32_t message = request.message;
    const int32_t data1 = int32_t(message >> 8 & 0xFF);
    const int32_t data2 = int32_t(message >> 16 & 0xFF);
    std::optional<int32_t> number = 60;
    std::optional<int32_t> value = 100;
    m_duration = 0;
    const uint8_t kind = uint8_t(message & 0xFF);
    switch (midi::statusOf(kind)) {
    case midi::kNoteOn:
        m_kind = EventKindIndex::Note;
        number = within(data1, 127);
        value = within(data2, 127);
        m_duration = request.value2;
        m_accidental = request.spelling;
        break;
    case midi::kPolyPressure:
    case midi::kControlChange:
        m_kind = midi::statusOf(kind) == midi::kPolyPressure ? EventKindIndex::Aftertouch : EventKindIndex::Controller;
        number = within(data1, 127);
        value = within(data2, 127);
        break;
    case midi::kProgramChange:
        m_kind = EventKindIndex::PatchChange;
        // A merged program that differs is unset, whatever the bank.
        number = data1 > 127 ? std::nullopt
                             : std::optional<int32_t>(data1 + std::max<int32_t>(request.value2, -1) * 128);
        if (number && *number > kMaxPatchNumber)
            number.reset();
        break;
    case midi::kChannelPressure:
        m_kind = EventKindIndex::ChannelPressure;
        value = within(data1, 127);
        break;
    case midi::kPitchBend:
        m_kind = EventKindIndex::PitchWheel;
        value = within(int64_t(data1) + int64_t(data2) * 128, kMax14Bit);
        break;
    case kRpnKind:
        m_kind = EventKindIndex::Rpn;
        number = within(data1, kMax14Bit);
        value = within(message >> 16, kMax14Bit);
        break;
    case kNrpnKind:
        m_kind = EventKindIndex::Nrpn;
        number = within(message >> 8, kMax14Bit);
        value = within(request.value2, kMax14Bit);
        break;
    default:
        if (kind == midi::kMeta) {
            m_kind = EventKindIndex::Meta;
            number = within(data1, 127);
            m_tooLarge = request.data.size() > kMaxEditedBlock;
        } else if (kind >= midi::kSysEx) {
            m_kind = EventKindIndex::SystemExclusive;
        }
        break;
    }
    if (m_kind != EventKindIndex::None) {
        m_remembered.numbers[indexOf(m_kind)] = number;
        m_remembered.values[indexOf(m_kind)] = value;
    }
    if (m_duration < 0)
        m_duration = -1;
}

std::optional<int32_t>& EventPropsModel::numberSlot()
{
    return m_remembered.numbers[indexOf(m_kind)];
}

std::optional<int32_t>& EventPropsModel::valueSlot()
{
    return m_remembered.values[indexOf(m_kind)];
}

std::optional<int32_t> EventPropsModel::number() const
{
    if (m_kind == EventKindIndex::None)
        return std::nullopt;
    return m_remembered.numbers[indexOf(m_kind)];
}

int32_t EventPropsModel::value() const
{
    if (m_kind == EventKindIndex::None)
        return -1;
    return m_remembered.values[indexOf(m_kind)].value_or(-1);
}

void EventPropsModel::setKind(EventKindIndex kind)
{
    m_kind = indexOf(kind) < kEventKindCount ? kind : EventKindIndex::None;
    if (m_kind == EventKindIndex::None)
        return;
    std::optional<int32_t>& number = numberSlot();
    std::optional<int32_t>& value = valueSlot();
    switch (m_kind) {
    case EventKindIndex::Note:
    case EventKindIndex::Aftertouch:
        if (number)
            *number &= 0x7F;
        if (value)
            *value &= 0x7F;
        break;
    case EventKindIndex::Meta:
        if (number)
            *number &= 0x7F;
        break;
    case EventKindIndex::Rpn:
        if (number)
            *number &= kMax14Bit;
        break;
    default: break;
    }
}

void EventPropsModel::chooseNumber(int32_t number)
{
    if (m_kind == EventKindIndex::None)
        return;
    numberSlot() = number;
    m_accidental = -1;
    if (m_kind == EventKindIndex::Controller)
        valueSlot() = usualControllerValue(number);
}

void EventPropsModel::startTypingNumber()
{
    if (m_kind == EventKindIndex::None)
        return;
    if (numberSlot())
        m_previousNumber = *numberSlot();
    numberSlot().reset();
}

void EventPropsModel::typeNumber(std::string_view text, int32_t keySignature, BankStyle style)
{
    if (m_kind == EventKindIndex::None)
        return;
    std::optional<int32_t>& number = numberSlot();
    switch (m_kind) {
    case EventKindIndex::Note:
    case EventKindIndex::Aftertouch:
        if (const auto note = parseNoteName(text, m_previousNumber, NoteNameStyle::Event, keySignature)) {
            number = note->note;
            m_accidental = note->spelling;
        }
        break;
    case EventKindIndex::Controller:
    case EventKindIndex::Meta:
        if (const auto typed = parse7(text))
            number = *typed;
        break;
    case EventKindIndex::PatchChange: number = parsePatch(text, style); break;
    case EventKindIndex::Rpn:
    case EventKindIndex::Nrpn:
        if (const auto typed = parse14(text))
            number = typed->value();
        break;
    default: break;
    }
}

void EventPropsModel::setValue(int32_t value)
{
    if (m_kind != EventKindIndex::None)
        valueSlot() = value >= 0 ? std::optional<int32_t>(value) : std::nullopt;
}

void EventPropsModel::typeValue(std::string_view text)
{
    if (m_kind != EventKindIndex::None)
        valueSlot() = parseEventValue(m_kind, number(), text);
}

void EventPropsModel::typeDuration(std::string_view text, int32_t beat)
{
    m_duration = parseDuration(text, beat).value_or(-1);
}

void EventPropsModel::stepValue(bool up)
{
    if (m_kind == EventKindIndex::None)
        return;
    int32_t step = 1;
    int32_t high = 127;
    bool whole = false; // round down to whole semitones
    switch (m_kind) {
    case EventKindIndex::PitchWheel: high = kMax14Bit; break;
    case EventKindIndex::Rpn:
        high = kMax14Bit;
        step = number() == kFineTuning ? 100 : 128;
        whole = number() == kCoarseTuning;
        break;
    case EventKindIndex::Nrpn:
        high = kMax14Bit;
        step = 128;
        break;
    case EventKindIndex::Note:
    case EventKindIndex::Aftertouch:
    case EventKindIndex::Controller:
    case EventKindIndex::ChannelPressure: break;
    default: return;
    }
    int32_t v = std::clamp(value() + (up ? step : -step), 0, high);
    if (value() < 0)
        v = 0;
    if (whole)
        v -= v % 128;
    valueSlot() = v;
}

void EventPropsModel::stepDuration(bool up)
{
    m_duration = std::max(std::max(m_duration, 0) + (up ? 1 : -1), 0);
}

bool EventPropsModel::dataIsText() const
{
    return m_kind == EventKindIndex::Meta && number().value_or(kFirstBinaryMeta) < kFirstBinaryMeta;
}

std::string EventPropsModel::dataText() const
{
    return dataIsText() ? decodeText(std::span<const uint8_t>(m_data)) : hexText(m_data);
}

HexData EventPropsModel::takeDataText(std::string_view text)
{
    if (dataIsText()) {
        m_data = encodeText(text);
        return {m_data, true, {}, 0, 0};
    }
    HexData hex = parseHexData(text, m_kind == EventKindIndex::SystemExclusive);
    if (hex.ok)
        m_data = hex.bytes;
    return hex;
}

EventFields EventPropsModel::fields(int32_t channel) const
{
    EventFields f;
    f.kind = m_kind;
    f.track = m_track;
    f.tick = m_tick;
    f.channel = channel;
    f.number = number();
    f.value = value();
    f.duration = m_duration;
    f.accidental = m_accidental;
    f.data = m_data;
    return f;
}

EventPropsResult EventPropsModel::result(int32_t channel) const
{
    EventPropsResult r;
    r.kind = m_kind;
    r.track = m_track;
    r.number = number().value_or(-1);
    r.value = value();
    r.duration = m_duration;
    r.accidental = m_accidental;
    r.tick = m_tick;
    if (const std::optional<BuiltEvent> built = buildEvent(fields(channel))) {
        r.message = built->message;
        r.value2 = built->value2;
        r.data = built->data;
    } else if (m_kind == EventKindIndex::SystemExclusive || m_kind == EventKindIndex::Meta) {
        r.data = m_data;
    }
    return r;
}

} // namespace rz
