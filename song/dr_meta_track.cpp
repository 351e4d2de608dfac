// Writing the program's own song and track data as markers that other
// programs ignore: the "@DO4_META" chunk, the "@DR;30;" track marker and the
// "dr" note record.
#include "song/dr_meta_track.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "song/song_doc.h"
#include "song/track.h"
#include "song/track_encoder.h"

namespace rz {
namespace {

// Song-level markers stand one tick after what they mark.
int32_t markerTick(int32_t tick)
{
    return tick < kEndTick - 1 ? std::max(tick, 0) + 1 : kEndTick - 1;
}

void addText(CTrack& track, int32_t tick, const std::string& text)
{
    CMidiEvent event;
    event.tick = tick;
    event.SetMetaText(0x01, text);
    track.InsertEventSorted(event);
}

void addSongSettings(const CSongDoc& song, CTrack& track)
{
    if (!song.layoutText.empty())
        addText(track, 1, "@DR;21;" + song.layoutText);
    if (song.performanceTempo != 0)
        addText(track, 1, "@DR;23;" + std::to_string(song.performanceTempo));
    const double volume = song.relativeVolume;
    if (std::isfinite(volume) && volume > 0.0 && std::fabs(volume - 1.0) > 0.001)
        addText(track, 1, "@DR;24;" + std::to_string(relativeVolumeCode(volume)));
}

// Measures numbered 1, 2, 3, ... without letters need no labels.
bool hasIrregularMeasures(const MeasureMap& map)
{
    for (size_t i = 0; i < map.size(); ++i) {
        if (map[i].letter != 0 || map[i].number != i + 1)
            return true;
    }
    return false;
}

std::string measureLabel(const MeasureRec& measure)
{
    const char letter = char(std::toupper(static_cast<unsigned char>(measure.letter)));
    if (measure.number == 0)
        return letter == 0 ? std::string() : std::string(1, letter);
    std::string label = std::to_string(measure.number);
    if (letter != 0)
        label += letter;
    return label;
}

void addMeasureLabels(const MeasureMap& map, CTrack& track)
{
    if (!hasIrregularMeasures(map))
        return;
    for (const MeasureRec& measure : map)
        addText(track, markerTick(measure.start), "@DR;20;" + measureLabel(measure));
}

// Start marker at the cue's time, end marker at its second time when that
// differs; the index is the cue's place in the song's list.
void addCues(const CueList& cues, CTrack& track)
{
    for (size_t index = 0; index < cues.size(); ++index) {
        const CCue& cue = *cues[index];
        if (cue.kind == kCueMarker)
            continue;
        const std::string prefix = "@DR;22;" + std::to_string(index) + ";";
        std::string start = prefix + "1," + std::to_string(cue.kind) + ";";
        if (isVampLike(cue.kind) && (cue.repeatCount != 0 || cue.secondCount != 0))
            start += std::to_string(cue.repeatCount) + "||" + std::to_string(cue.secondCount) + "||";
        addText(track, markerTick(cue.time), start + cue.name);
        if (cue.secondTime != cue.time)
            addText(track, markerTick(cue.secondTime), prefix + "0");
    }
}

} // namespace

std::string trackSettingsMarker(const CTrack& track, int32_t playEnabled)
{
    const int32_t values[] = {track.type,          track.inputDevice,   track.inputChannel,
                              track.notationSetting, track.notationValue, int32_t(track.color),
                              track.key,           track.timeOffset,    track.velocityOffset,
                              playEnabled,         track.volume};
    std::string text = "@DR;30";
    for (int32_t value : values)
        text += ";" + std::to_string(value);
    return text;
}

uint8_t noteAttributeByte(uint8_t notation, int8_t spelling)
{
    // Modulo 256: attribute 255 and spelling 255 (none) come back as 0 - 1.
    return uint8_t((uint32_t(notation) + 1) * 16 + uint32_t(uint8_t(spelling)) + 1);
}

int32_t relativeVolumeCode(double relativeVolume)
{
    // Far beyond any audible factor; keeps the conversion defined.
    constexpr double kMaxSteps = 1.0e6;
    const double steps = std::clamp(16.0 * std::log2(relativeVolume), -kMaxSteps, kMaxSteps);
    return int32_t(relativeVolume >= 1.0 ? steps + 0.5 : steps - 0.5) + 16;
}

void BuildDrMetaTrack(const CSongDoc& song, CTrack& track)
{
    track.events.clear();
    track.name = kDrMetaTrackName;
    CMidiEvent name;
    name.SetMetaText(0x03, kDrMetaTrackName);
    track.events.push_back(std::move(name));
    addSongSettings(song, track);
    addMeasureLabels(song.measureMap, track);
    addCues(song.cues, track);
    WriteTrackChunk(track, -1, TrackEncodeContext{});
}

} // namespace rz
