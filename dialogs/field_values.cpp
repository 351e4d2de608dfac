#include "dialogs/field_values.h"

#include "core/ascii_case.h"
#include "core/field_number.h"
#include "core/midi_bytes.h"
#include "core/smpte_time.h"
#include "core/synth_lookup.h"
#include "song/controller_names.h"
#include "song/event_format.h"
#include "song/measure_map.h"
#include "song/song_doc.h"
#include "song/spelling_tables.h"
#include "song/text_markers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace rz {
namespace {

constexpr double kBpmMicros = 6'000'000'000.0; // hundredths of a BPM x µs per quarter

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

void skipBlanks(std::string_view& text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Reads like atol, blanks first, but saturates instead of overflowing.
int32_t readLong(std::string_view& text)
{
    skipBlanks(text);
    return takeNumber(text);
}

// Reads like atof, whatever the C locale says the decimal point is; 0 when
// nothing reads.
double readDecimal(std::string_view text)
{
    skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                              std::chars_format::fixed);
    (void)end;
    if (error != std::errc() || std::isnan(value))
        return 0.0;
    return negative ? -value : value;
}

int32_t saturate(double value)
{
    if (std::isnan(value))
        return 0;
    return int32_t(std::clamp(value, double(INT32_MIN), double(INT32_MAX)));
}

int32_t pitchClassOf(char letter)
{
    constexpr int32_t kPitch[7] = {9, 11, 0, 2, 4, 5, 7}; // A .. G
    return kPitch[letter - 'A'];
}

// The accidental after a note letter, -2..2; moves past it.
int32_t takeAccidental(std::string_view& text, NoteNameStyle style)
{
    if (text.empty())
        return 0;
    const char c = style == NoteNameStyle::Event ? char(std::tolower(static_cast<unsigned char>(text.front()))) : text.front();
    int32_t accidental = 0;
    if (c == '#')
        accidental = 1;
    else if (c == 'b')
        accidental = -1;
    else if (c == 'x')
        accidental = 2;
    else if (c == '\'')
        accidental = -2;
    else
        return 0;
    text.remove_prefix(1);
    if (accidental == -2 && !text.empty() && text.front() == '\'')
        text.remove_prefix(1);
    return accidental;
}

} // namespace

int32_t typedNumber(std::string_view text)
{
    return readLong(text);
}

double typedDecimal(std::string_view text)
{
    return readDecimal(text);
}

std::string rangeMessage(int32_t low, int32_t high)
{
    char text[80];
    std::snprintf(text, sizeof text, "Please enter an integer between %d and %d.", low, high);
    return text;
}

std::optional<int32_t> rangedField(std::string_view text, int32_t low, int32_t high)
{
    return fieldNumber(text, low, high);
}

int64_t percentToTicks(int64_t quarterTicks, int64_t percent)
{
    return (quarterTicks * percent + 50) / 100;
}

int32_t Number14::value() const
{
    return std::clamp(msb, 0, 127) * 128 + lsb;
}

std::optional<Number14> parse14(std::string_view text)
{
    skipBlanks(text);
    if (text.empty())
        return std::nullopt;
    const int32_t first = readLong(text);
    Number14 number;
    if (!text.empty() && text.front() == '/') {
        text.remove_prefix(1);
        number.msb = first;
        number.lsb = readLong(text);
    } else if (first > 127) {
        number.msb = first / 128;
        number.lsb = first % 128;
    } else {
        number.lsb = first;
    }
    number.lsb = std::clamp(number.lsb, 0, 127);
    return number;
}

std::optional<int32_t> parse7(std::string_view text)
{
    const std::optional<Number14> number = parse14(text);
    if (!number || text.find('/') != std::string_view::npos)
        return number ? std::optional<int32_t>(number->lsb) : std::nullopt;
    skipBlanks(text);
    return std::clamp(readLong(text), 0, 127);
}

std::optional<ParsedNote> parseNoteName(std::string_view text, int32_t previous, NoteNameStyle style,
                                        int32_t key)
{
    const bool find = style == NoteNameStyle::Find;
    skipBlanks(text);
    if (text.empty())
        return find ? std::optional<ParsedNote>(ParsedNote{}) : std::nullopt;
    if (isDigit(text.front())) {
        if (find)
            return ParsedNote{readLong(text), -1};
        return ParsedNote{*parse7(text), -1};
    }
    const char letter = upper(text.front());
    if (letter < 'A' || letter > 'G')
        return find ? std::optional<ParsedNote>(ParsedNote{}) : std::nullopt;
    text.remove_prefix(1);
    skipBlanks(text);
    const int32_t accidental = takeAccidental(text, style);
    skipBlanks(text);
    int64_t note = pitchClassOf(letter) + accidental;
    if (!text.empty() && (text.front() == '-' || isDigit(text.front()))) {
        const int64_t octave = takeNumber(text);
        if (octave >= 0)
            note += 12 * (octave + 1);
    } else {
        note += 12 * (std::max(previous, 0) / 12);
    }
    if (note < 0 || note > 127)
        return find ? std::optional<ParsedNote>(ParsedNote{}) : std::nullopt;
    ParsedNote parsed{int32_t(note), accidental + 2};
    const int32_t row = std::clamp(key, -7, 7) + 7;
    if (find || kSpellingAccidental[row][note % 12] == accidental)
        parsed.spelling = -1;
    return parsed;
}

std::string noteNameText(int32_t note, int32_t key)
{
    CMidiEvent event;
    event.message = midi::kNoteOn | uint32_t(note & 0x7F) << 8;
    return FormatNoteName(event, key);
}

std::optional<int32_t> parseDuration(std::string_view text, int32_t beat)
{
    skipBlanks(text);
    if (text.empty())
        return std::nullopt;
    beat = std::max(beat, 1);
    int64_t ticks = 0;
    if (text.find('.') != std::string_view::npos) {
        ticks = saturate(std::floor(readDecimal(text) * beat));
    } else if (text.find(':') != std::string_view::npos) {
        const int64_t beats = readLong(text);
        text.remove_prefix(text.find(':') + 1);
        ticks = beats * beat + readLong(text);
    } else {
        ticks = readLong(text);
    }
    return int32_t(std::min<int64_t>(ticks < 0 ? -ticks : ticks, INT32_MAX));
}

std::string formatDuration(int32_t ticks, int32_t beat)
{
    beat = std::max(beat, 1);
    char text[32];
    if (ticks < beat)
        std::snprintf(text, sizeof text, "%d", ticks);
    else
        std::snprintf(text, sizeof text, "%d:%03d", ticks / beat, ticks % beat);
    return text;
}

bool isOnBeat(const std::vector<MeasureRec>& map, int timeBase, int32_t tick)
{
    if (tick < 0)
        return false;
    if (map.empty())
        return tick % std::max(timeBase, 1) == 0;
    const MeasureRec& measure = map[size_t(FindMeasure(map, tick))];
    return (int64_t(tick) - measure.start) % beatLength(timeBase, measure) == 0;
}

double smpteTimeOfTick(const CSongDoc& song, int32_t tick)
{
    CSmpteTime offset = song.smpteOffset;
    return song.TickToTime(std::max(tick, 0)) + offset.GetTime();
}

int32_t tickOfSmpteTime(const CSongDoc& song, double time)
{
    CSmpteTime offset = song.smpteOffset;
    const double fromStart = time - offset.GetTime();
    if (!(fromStart > 0.0))
        return 0;
    return std::clamp(song.TimeToTick(fromStart), 0, kMaxDialogTick);
}

int32_t bpmFromMicros(int64_t micros)
{
    const int64_t held = std::clamp<int64_t>(micros, kMinTempoMicros, kMaxTempoMicros);
    return std::clamp(int32_t(kBpmMicros / double(held)), kMinBpmHundredths, kMaxBpmHundredths);
}

int32_t microsFromBpm(int64_t hundredths)
{
    const int64_t held = std::clamp<int64_t>(hundredths, kMinBpmHundredths, kMaxBpmHundredths);
    return std::clamp(int32_t(kBpmMicros / double(held)), kMinTempoMicros, kMaxTempoMicros);
}

std::string formatBpm(int32_t hundredths)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
    return text;
}

int32_t parseBpm(std::string_view text)
{
    const double hundredths = std::trunc(readDecimal(text) * 100.0);
    return int32_t(std::clamp(hundredths, double(kMinBpmHundredths), double(kMaxBpmHundredths)));
}

int32_t parseMicros(std::string_view text)
{
    return std::clamp(readLong(text), kMinTempoMicros, kMaxTempoMicros);
}

int64_t noteUnitTicks(int32_t value, int timeBase)
{
    return std::max<int64_t>(int64_t(value) * timeBase / 120, 1);
}

size_t insertSorted(std::vector<ComboItem>& items, ComboItem item)
{
    const auto at = std::upper_bound(items.begin(), items.end(), item, [](const ComboItem& a, const ComboItem& b) {
        return LessIgnoringAsciiCase(a.text, b.text);
    });
    const size_t index = size_t(at - items.begin());
    items.insert(at, std::move(item));
    return index;
}

std::vector<ComboItem> controllerItems(const ISynthLookup* synths, int synthNumber, int skipFrom, int skipTo)
{
    std::vector<ComboItem> items;
    for (int controller = 0; synths && controller < 128; ++controller) {
        const std::optional<std::string> name = synths->ccName(synthNumber, controller);
        if (!name)
            continue;
        const auto letter = std::find_if(name->begin(), name->end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c));
        });
        insertSorted(items, {std::string(letter, name->end()) + " (" + std::to_string(controller) + ")",
                             controller});
    }
    if (!items.empty())
        return items;
    for (int controller = 0; controller < 128; ++controller) {
        const bool skipped = controller == cc::kBankMsb || controller == cc::kDataEntryMsb
                             || controller == cc::kBankLsb || controller == cc::kDataEntryLsb
                             || (controller >= skipFrom && controller <= skipTo);
        const std::string_view name = controllerName(controller);
        if (!skipped && name.size() > 5)
            insertSorted(items, {std::string(name), controller});
    }
    return items;
}

} // namespace rz
