#include "app/maps/control_map_entry.h"

#include "app/maps/external_control_actions.h"
#include "core/midi_bytes.h"
#include "song/controller_names.h"
#include "song/event_format.h"
#include "song/midi_event.h"

#include <algorithm>
#include <cctype>

namespace rz {
namespace {

constexpr int kMaxKey = 127;

void skipBlanks(std::string_view& text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
}

// A possibly negative decimal number; nothing when there are no digits.
std::optional<int> readNumber(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty() || !std::isdigit(uint8_t(text.front())))
        return std::nullopt;
    int value = 0;
    for (size_t i = 0; i < text.size() && std::isdigit(uint8_t(text[i])) && value <= 1000; ++i)
        value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

int pitchOfLetter(char letter)
{
    static constexpr std::string_view kLetters = "CDEFGAB";
    static constexpr int kPitches[] = {0, 2, 4, 5, 7, 9, 11};
    const size_t at = kLetters.find(char(std::toupper(uint8_t(letter))));
    return at == std::string_view::npos ? -1 : kPitches[at];
}

int accidentalOf(char sign)
{
    switch (std::tolower(uint8_t(sign))) {
    case '#': return 1;
    case 'b': return -1;
    case 'x': return 2;
    case '\'': return -2;
    default: return 0;
    }
}

std::optional<int> noteKey(std::string_view text)
{
    int key = pitchOfLetter(text.front());
    text.remove_prefix(1);
    skipBlanks(text);
    if (!text.empty() && accidentalOf(text.front()) != 0) {
        key += accidentalOf(text.front());
        text.remove_prefix(1);
    }
    const std::optional<int> octave = readNumber(text);
    if (octave && *octave >= 0)
        key += 12 * (*octave + 1);
    return key;
}

} // namespace

uint32_t packControlEntry(const ControlMapEntry& e)
{
    return uint32_t(e.action & 0xFF) | uint32_t(e.key & 0xFF) << 8
           | uint32_t(e.controller & 0xFF) << 16 | uint32_t(e.channel & 15) << 24
           | uint32_t(e.device & 15) << 28;
}

ControlMapEntry unpackControlEntry(uint32_t entry)
{
    return {int(entry & 0xFF), keyMapNumber(entry), keyMapKind(entry), keyMapChannel(entry),
            keyMapInput(entry)};
}

std::optional<int> parseKeyText(std::string_view text)
{
    skipBlanks(text);
    std::optional<int> key;
    if (text.empty())
        key = 0;
    else if (std::isdigit(uint8_t(text.front())))
        key = readNumber(text);
    else if (pitchOfLetter(text.front()) >= 0)
        key = noteKey(text);
    if (!key || *key < 0 || *key > kMaxKey)
        return std::nullopt;
    return key;
}

void insertControlEntry(KeyMap& map, uint32_t entry)
{
    map.insert(std::upper_bound(map.begin(), map.end(), entry), entry);
}

bool controlEntryComplete(const ControlMapEntry& entry)
{
    return entry.action != 0 && (entry.controller != 0 || entry.key != 0);
}

bool learnControlMessage(ControlMapEntry& entry, int device, uint32_t message)
{
    const int status = midi::statusOf(message);
    const int data1 = midi::firstDataByte(message);
    const int data2 = midi::secondDataByte(message);
    if (status == midi::kNoteOn && data2 != 0)
        entry.key = data1;
    else if (status == midi::kControlChange)
        entry.controller = data1;
    else if (status == midi::kProgramChange) {
        entry.controller = kProgramTrigger;
        entry.key = data1;
    } else
        return false;
    entry.device = device & 15;
    entry.channel = int(message & 15);
    return true;
}

ControlEntryRow formatControlEntry(uint32_t value, std::span<const std::string> portNames)
{
    const ControlMapEntry entry = unpackControlEntry(value);
    const auto names = controlActionNames();
    ControlEntryRow row;
    row.action = entry.action < kControlActionCount ? names[size_t(entry.action)]
                                                    : std::to_string(entry.action);
    row.port = size_t(entry.device) < portNames.size()
                   ? portNames[size_t(entry.device)]
                   : "(device " + std::to_string(entry.device) + ")";
    row.channel = std::to_string(entry.channel + 1);
    if (entry.controller == kProgramTrigger) {
        row.controller = "Patch (program)";
        row.key = std::to_string(entry.key);
        return row;
    }
    row.controller = entry.controller == 0 ? "<None>" : std::string(controllerName(entry.controller));
    if (entry.key == 0) {
        row.key = "<None>";
    } else {
        CMidiEvent note;
        note.message = uint32_t(midi::kNoteOn) | uint32_t(entry.key) << 8 | 0x400000u;
        row.key = FormatNoteName(note, 0);
    }
    return row;
}

} // namespace rz
