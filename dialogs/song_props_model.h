#pragma once

// What the song properties dialog decides, without Qt: the time bases it
// offers, the relative-volume step, the tempo field, the texts kept byte for
// byte and the questions OK asks.

#include "core/edit_dialogs.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class CSongDoc;
class IPrompt;
class IProfile;

inline constexpr int32_t kMaxVolumeStep = 16;

// 24, 48 .. 768 and 960.
std::vector<int32_t> songTimeBases();

// 16 x log2(volume) to the nearest step, halves away from zero, within
// -16..16; 0 for a volume that is not above 0.
int32_t volumeStepOf(double relativeVolume);

// A song text shown for editing: the stored bytes decoded for display; an
// unchanged field answers the bytes it came from.
class SongText {
public:
    explicit SongText(std::string stored = {});
    const std::string& shown() const { return m_shown; }
    // Typed UTF-8 back to bytes.
    std::string result(std::string_view typed) const;

private:
    std::string m_stored;
    std::string m_shown;
};

// The tempo field in hundredths of a BPM and the µs per quarter it stands for.
class TempoField {
public:
    // Starts at the song's tempo, which stays exact until the field changes.
    explicit TempoField(uint32_t micros);
    int32_t hundredths() const { return m_hundredths; }
    uint32_t micros() const { return m_micros; }
    std::string text() const;
    // A typed decimal BPM, held within the limits.
    void type(std::string_view text);
    // One hundredth up or down, held within the limits.
    void step(bool up);

private:
    int32_t m_hundredths;
    uint32_t m_micros;
};

// The tempo a song opens the dialog with: the one it was last played at,
// else its first tempo entry.
uint32_t songStartTempo(const CSongDoc& song);

// The texts that would fail OK, in the order it asks; each question answered
// other than Yes keeps the dialog open. True when it may close.
struct SongPropsChoice {
    std::string trimmedTitle;
    int32_t timeBase = 0;     // chosen; 0 none
    int32_t songTimeBase = 0;
    int32_t format = 1;       // chosen
    int32_t songFormat = 1;
};
bool confirmSongProps(IPrompt& prompt, const SongPropsChoice& choice);

// Writes what new songs take ("Set as default"); a time base of 0 is not written.
void saveSongDefaults(IProfile& profile, const SongPropsParams& params, bool timeBaseChosen);

inline constexpr char kSongNeedsTitle[] = "The song must have a title.";
inline constexpr char kDefaultsSaved[] = "Defaults have been saved.";
inline constexpr char kTimeBaseQuestion[] =
    "The timing of some MIDI events may be altered (re-quantized).\nAlso, this change may not be "
    "\"un-done.\"  Are you sure you want to make this change?";
inline constexpr char kFormatZeroQuestion[] =
    "Conversion to MIDI Format 0 may result in the loss of some track layout information.\n\n"
    "Are you sure you want to make this change?";

} // namespace rz
