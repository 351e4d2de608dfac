#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace rz {

class CSongDoc;

// The audio dialogs song commands run. A program without one of them greys
// the commands that need it.
enum class AudioTool {
    FilterSheet, // sets up an audio effect before it is applied
    ApplyFilter, // "Applying filter..."
    WaveMixer,   // "Wave Mixer"
};

// Where the Wave Mixer wrote its mix.
enum class MixDestination : int32_t {
    NewWaveTrack = 0, // "New waveform track": a file in the work folder
    File = 1,         // "File:"
};

struct WaveMix {
    MixDestination destination = MixDestination::NewWaveTrack;
    std::filesystem::path path;
    int64_t start = 0; // where the mix begins in the song, 100-ns units
};

// The audio dialogs as song code sees them: each runs modally on the GUI
// thread. `effect` names the audio effect the user chose.
class IAudioTools {
public:
    virtual ~IAudioTools() = default;

    virtual bool has(AudioTool tool) const = 0;
    // The effect's settings, with Audition playing auditionFile; true on OK.
    virtual bool runFilterSheet(const std::string& effect,
                                const std::vector<std::filesystem::path>& files,
                                const std::filesystem::path& auditionFile) = 0;
    // Renders each file through the effect set up by the sheet; one output
    // file per input, in input order, or nothing on Cancel or failure (the
    // dialog then removes what it wrote and reports its own failures).
    virtual std::optional<std::vector<std::filesystem::path>> runApplyFilter(
        const std::string& effect, const std::vector<std::filesystem::path>& files,
        const std::vector<int64_t>& durationsMs) = 0;
    // Frees what the effect and the apply dialog hold; called after every
    // filter sheet, whatever it answered.
    virtual void releaseApplyResources() = 0;
    // Mixes the song's chosen clips into one file; nothing on Cancel.
    virtual std::optional<WaveMix> runWaveMixer(CSongDoc& song) = 0;
};

} // namespace rz
