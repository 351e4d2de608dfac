#include "views/events/event_cell_text.h"

#include "core/midi_bytes.h"
#include "core/smpte_time.h"
#include "core/synth_lookup.h"
#include "song/controller_names.h"
#include "song/event_cell_parse.h"
#include "song/event_format.h"
#include "song/song_doc.h"
#include "views/patch_names.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace rz {
namespace {

namespace col = event_column;

constexpr int kRpnStatus = 0x10;
constexpr int kNrpnStatus = 0x20;
constexpr int kAudioClipType = 7;

constexpr std::array<std::string_view, 6> kRpnNames = {
    "Pitch-Bend Range (0)", "Fine Tuning (1)", "Coarse Tuning (2)",
    "Tuning Bank (3)",      "Tuning Patch (4)", "Modulation Depth (5)",
};

struct MetaName {
    int type;
    std::string_view name;
};
constexpr MetaName kMetaNames[] = {
    {0, "Sequence (0)"},      {1, "Text (1)"},          {2, "Copyright (2)"},      {3, "Track Name (3)"},
    {4, "Instrument (4)"},    {5, "Lyric (5)"},         {6, "Marker (6)"},         {7, "Cue Point (7)"},
    {32, "MIDI Channel (32)"}, {33, "MIDI Port (33)"},   {47, "End of Track (47)"}, {81, "Tempo (81)"},
    {84, "SMPTE Offset (84)"}, {88, "Time Signature (88)"}, {89, "Key Signature (89)"}, {127, "Proprietary (127)"},
};

std::string format(const char* pattern, auto... args)
{
    char text[160];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

bool isAudioClip(const CMidiEvent& event)
{
    return event.kind() == midi::kMeta && event.data1() == kAudioClipType && event.clip();
}

// The port marks its drum channels; a port that marks none treats any as one.
bool eventDrumChannel(const CTrack& track)
{
    return track.drums == 0 || ((uint32_t(track.drums) >> (track.channel & 15)) & 1u) != 0;
}

const ISynthLookup* synthsOf(const CSongDoc& song)
{
    return song.context().synths;
}

int keyAt(const CSongDoc& song, int32_t tick)
{
    const int m = song.FindMeasure(tick);
    return m < 0 ? 0 : song.measureMap[size_t(m)].key;
}

std::string noteText(const CSongDoc& song, const CTrack& track, const CMidiEvent& event)
{
    std::string text = FormatNoteName(event, keyAt(song, event.tick));
    if (midi::statusOf(event.kind()) == midi::kNoteOn)
        if (const auto drum = drumNoteName(song, track, event.data1()))
            text += ": " + *drum;
    return text;
}

std::string eventControllerText(const CSongDoc& song, const CTrack& track, int number)
{
    const ISynthLookup* synths = synthsOf(song);
    if (synths)
        if (const auto name = synths->ccName(track.synth, number))
            return format("%s (%d)", name->c_str(), number);
    return std::string(controllerName(number));
}

std::string nrpnText(const CSongDoc& song, const CTrack& track, const CMidiEvent& event)
{
    const int number = int((event.message >> 8) & 0x3FFF);
    std::string text = format("%d (%d/%d)", number, number >> 7, number & 127);
    if (const ISynthLookup* synths = synthsOf(song))
        if (const auto name = synths->nrpnName(track.synth, number))
            text += ": " + *name;
    return text;
}

std::string eventPatchText(const CSongDoc& song, const CTrack& track, const CMidiEvent& event)
{
    const int bank = event.value2;
    const int shown = event.data1() + patchBase(track);
    std::optional<std::string> name;
    const ISynthLookup* synths = synthsOf(song);
    if (synths && synths->technology(track.synth)) {
        const int lookupBank = bank < 0 ? 0 : bank;
        // A drum channel names drum sets; a channel the port leaves unmarked
        // may still hold melodic patches.
        if (eventDrumChannel(track))
            name = synths->drumsetName(track.synth, lookupBank, event.data1());
        if (!name)
            name = synths->patchName(track.synth, lookupBank, event.data1());
    }
    const char* label = name ? name->c_str() : "?";
    if (bank < 0)
        return format("%s [%d]", label, shown);
    if (name && bankMsbOnly(track))
        return format("%s [%d, %d]", label, bank / 128, shown);
    return format("%s [%d (%d/%d),%d]", label, bank, bank / 128, bank % 128, shown);
}

std::string metaNumberText(const CMidiEvent& event)
{
    if (isAudioClip(event))
        return format("%d", event.clip()->number);
    const int type = event.data1();
    for (const MetaName& meta : kMetaNames)
        if (meta.type == type)
            return std::string(meta.name);
    return format("%d (undefined)", type);
}

std::string smpteText(const CSongDoc& song, int32_t tick)
{
    CSmpteTime offset = song.smpteOffset;
    const double time = song.TickToTime(tick) + offset.GetTime();
    return CSmpteTime(std::min(time, kMaxSmpteTimeUs), offset.rate()).Format();
}

} // namespace

std::string EventCellText::typeText(const CMidiEvent& event)
{
    switch (midi::statusOf(event.kind())) {
    case kRpnStatus: return "RPN";
    case kNrpnStatus: return "NRPN";
    case midi::kNoteOn: return "Note";
    case midi::kPolyPressure: return "Aftertouch";
    case midi::kControlChange: return "Control";
    case midi::kProgramChange: return "Patch";
    case midi::kChannelPressure: return "Pressure";
    case midi::kPitchBend: return "Pitch";
    case midi::kSysEx:
        if (isAudioClip(event))
            return "Audio";
        return event.kind() == midi::kMeta ? "Meta" : "SysEx";
    default: return {};
    }
}

std::string EventCellText::numberText(const CSongDoc& song, int track, const CMidiEvent& event)
{
    const CTrack& t = *song.tracks[size_t(track)];
    switch (midi::statusOf(event.kind())) {
    case kRpnStatus: {
        const int number = int((event.message >> 8) & 0x7F);
        if (size_t(number) < kRpnNames.size())
            return std::string(kRpnNames[size_t(number)]);
        return format("%d (%d/%d)", number, number >> 7, number & 127);
    }
    case kNrpnStatus: return nrpnText(song, t, event);
    case midi::kNoteOn:
    case midi::kPolyPressure: return noteText(song, t, event);
    case midi::kControlChange: return eventControllerText(song, t, event.data1());
    case midi::kProgramChange: return eventPatchText(song, t, event);
    case midi::kSysEx: return event.kind() == midi::kMeta ? metaNumberText(event) : std::string();
    default: return {};
    }
}

std::string EventCellText::durationText(const CSongDoc& song, const CMidiEvent& event)
{
    if (midi::statusOf(event.kind()) == midi::kNoteOn) {
        const int m = song.FindMeasure(event.tick);
        const int32_t beat = m < 0 ? std::max<int>(song.timeBase, 1) : beatLength(song.timeBase, song.measureMap[size_t(m)]);
        if (event.value2 < beat)
            return format("%d", event.value2);
        return format("%d:%03d", event.value2 / beat, event.value2 % beat);
    }
    if (isAudioClip(event)) {
        // Clip lengths are in 100-ns units.
        const double us = std::min(double(event.clip()->length) / 10.0, kMaxSmpteTimeUs);
        return CSmpteTime(us, song.smpteOffset.rate()).Format();
    }
    if (midi::statusOf(event.kind()) == midi::kSysEx)
        return format("%d", event.value2);
    return {};
}

std::string EventCellText::text(const CSongDoc& song, int track, const CMidiEvent& event, int column)
{
    switch (column) {
    case col::kTrack: return format("%d: %s", track, song.tracks[size_t(track)]->name.c_str());
    case col::kTick: {
        std::string text;
        song.FormatTime(event.tick, text);
        return text.empty() || text.front() != ' ' ? text : text.substr(1);
    }
    case col::kSmpte: return smpteText(song, event.tick);
    case col::kDuration: return durationText(song, event);
    case col::kType: return typeText(event);
    case col::kNumber: return numberText(song, track, event);
    case col::kValue: return FormatEventValue(event);
    default: return {};
    }
}

Color EventCellText::kindColor(uint8_t kind)
{
    switch (kind >> 4) {
    case 0x1:
    case 0x2: return 0xE00000;
    case 0xA: return 0x808080;
    case 0xB:
    case 0xD: return 0x00A000;
    case 0xC: return 0x0000E0;
    case 0xE: return 0x00A0A0;
    case 0xF: return 0x0000C0;
    default: return 0x000000;
    }
}

} // namespace rz
