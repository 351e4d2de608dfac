#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace rz {

class CSongDoc;
class CTrack;
struct MeasureRec;

// Text limits of the song's stored texts, in bytes.
inline constexpr size_t kMaxNameBytes = 99;
inline constexpr size_t kMaxLabelBytes = 127;
inline constexpr size_t kMaxClipTextBytes = 260;

// The prefix of every text marker.
inline constexpr std::string_view kMarkerPrefix = "@DR;";

// Reads a leading decimal number ("-" allowed) and removes it from the text.
// Saturates at the limits of int32_t instead of overflowing; a text with no
// digits reads as 0 and loses only its sign.
int32_t takeNumber(std::string_view& text);

// Applies a measure label ("12b", "A", "7") to a measure: leading digits give
// the number (0 when there are none), the next character, upper-cased, the
// section letter.
void applyMeasureLabel(MeasureRec& measure, std::string_view label);

// Relative volume of a stored code: 2^((code - 16) / 16), the exponent kept
// within four octaves so a damaged code cannot give infinity or 0.
double relativeVolumeFromCode(int64_t code);

// Applies and removes the song-level markers of the "@DO4_META" track read
// from a file: measure labels, layout, cues, performance tempo and relative
// volume. False, with a reason, when a label lies beyond the measures a song
// may have.
bool ParseTextMarkers(CSongDoc& song, CTrack& track, std::string& reason);

// Whether the text is a track settings marker: "@DR;30" and at most eleven
// ";"-separated whole numbers.
bool isTrackSettingsMarker(std::string_view text);

// The track settings marker "@DR;30;...": when the text is one, sets the
// track's type, input device and channel, notation setting and value,
// colour, key, time and velocity offsets, play enabled and volume, each
// clamped into its range, and returns true. Other texts: false, nothing set.
bool applyTrackSettingsMarker(CTrack& track, std::string_view text);

// An FF 7F record of a user track. A "dr" record long enough for its id is
// applied to the track (settings, the last note's spelling, or an older
// marker appended as a text event at `tick`) and true is returned; false
// means the caller keeps the event as an ordinary meta event.
bool applyTrackDrRecord(CTrack& track, std::span<const uint8_t> data, int32_t tick);

} // namespace rz
