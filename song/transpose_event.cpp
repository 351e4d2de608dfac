#include "song/transpose_event.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/midi_bytes.h"
#include "song/spelling_tables.h"
#include "song/track.h"

namespace rz {
namespace {

constexpr std::string_view kChordPrefix = "@DR;1;";
constexpr std::string_view kLetters = "CDEFGAB";
constexpr int kLetterPitch[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr size_t kChordBytes = 6;

struct ChordMarker {
    std::string firstText;
    std::string name;
};

// "@DR;1;b1;...;b6;first|name" -> first text and chord name.
std::optional<ChordMarker> parseChordMarker(std::string_view text)
{
    if (!text.starts_with(kChordPrefix))
        return std::nullopt;
    text.remove_prefix(kChordPrefix.size());
    for (size_t i = 0; i < kChordBytes; ++i) {
        const size_t semicolon = text.find(';');
        if (semicolon == std::string_view::npos)
            return std::nullopt;
        text.remove_prefix(semicolon + 1);
    }
    const size_t bar = text.find('|');
    if (bar == std::string_view::npos)
        return std::nullopt;
    return ChordMarker{std::string(text.substr(0, bar)), std::string(text.substr(bar + 1))};
}

// The root of pitch class p spelled in key signature row r.
std::string spellRoot(int p, int r)
{
    int step = ((kSpellingStep[r][p] % 7) + 7) % 7;
    int accidental = kSpellingAccidental[r][p];
    if (accidental == -2) {
        step = (step + 6) % 7;
        accidental = 0;
    } else if (accidental == 2) {
        step = (step + 1) % 7;
        accidental = 0;
    }
    std::string root(1, kLetters[size_t(step)]);
    if (accidental != 0)
        root += accidental < 0 ? 'b' : '#';
    if (root == "Cb") return "B";
    if (root == "Fb") return "E";
    if (root == "B#") return "C";
    if (root == "E#") return "F";
    return root;
}

// The chord name moved by the semitones; nothing when it has no root letter.
std::optional<std::string> transposedName(const std::string& name, int semitones, int row)
{
    const size_t letter = name.empty() ? std::string_view::npos : kLetters.find(name[0]);
    if (letter == std::string_view::npos)
        return std::nullopt;
    int pitch = kLetterPitch[letter];
    size_t suffix = 1;
    if (name.size() > 1 && (name[1] == '#' || name[1] == 'b')) {
        pitch += name[1] == '#' ? 1 : 11;
        suffix = 2;
    }
    const int p = (((pitch + semitones) % 12) + 12) % 12;
    return spellRoot(p, std::clamp(row, 0, 14)) + name.substr(suffix);
}

void transposeChord(CMidiEvent& event, int semitones, int row, IChordTable* chords)
{
    const auto bytes = event.data.bytes();
    const auto marker = parseChordMarker({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    if (!marker || chords == nullptr)
        return;
    const auto name = transposedName(marker->name, semitones, row);
    if (!name)
        return;
    const auto data = chords->findChordData(marker->firstText, *name);
    if (!data || data->size() != kChordBytes)
        return;
    std::string text = "@DR;1";
    for (char c : *data)
        text += ";" + std::to_string(int(uint8_t(c) | 0x80));
    text += ";" + marker->firstText + "|" + *name;
    event.SetText(text);
}

} // namespace

void TransposeEvent(CTrack& track, size_t eventIndex, int semitones, bool& clipped, int keyRow,
                    IChordTable* chords)
{
    if (eventIndex >= track.events.size())
        return;
    CMidiEvent& event = track.events[eventIndex];
    const uint8_t kind = event.kind();
    if (kind >= midi::kNoteOff && kind < midi::kControlChange) {
        const int key = int(event.data1()) + semitones;
        const int limited = std::clamp(key, 0, 127);
        if (limited != key)
            clipped = true;
        event.message = (event.message & ~0xFF00u) | uint32_t(limited) << 8;
        event.spelling = kNoSpelling;
        return;
    }
    if (event.message == kTextMessage)
        transposeChord(event, semitones, keyRow, chords);
}

} // namespace rz
