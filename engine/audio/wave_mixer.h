#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/audio_tools.h"
#include "engine/audio/audio_file_writer.h"
#include "song/audio_clip.h"

namespace rz {

class CSongDoc;
class IProfile;
class IPrompt;
class ISongFilesHost;

// The Wave Mixer's stored choices (profile section "WaveMixer").
struct WaveMixerSettings {
    int32_t codec = -1;
    AudioFileFormat format = AudioFileFormat::Wav;
    int32_t wmaFormat = 0;
    MixDestination saveTo = MixDestination::NewWaveTrack;
    std::string path;

    // "path" defaults to "clip" in the documents folder.
    static WaveMixerSettings load(const IProfile& profile, const std::filesystem::path& documents);
    void save(IProfile& profile) const;
    // Clips are wave files, so a mix for a new waveform track is one too.
    AudioFileFormat effectiveFormat() const
    {
        return saveTo == MixDestination::NewWaveTrack ? AudioFileFormat::Wav : format;
    }
};

// The browse dialog's folder: "Dirs"/"AudioFiles", the documents folder by
// default.
std::filesystem::path audioFilesFolder(const IProfile& profile, const std::filesystem::path& documents);
void setAudioFilesFolder(IProfile& profile, const std::filesystem::path& folder);

// A path with its 4-character extension (".xyz") replaced by ".wma" or
// ".wav"; any other path just gets one appended.
std::string swapAudioExtension(const std::string& path, AudioFileFormat format);

// What the Wave Mixer's choice answered.
enum class MixChoice {
    Ready,
    NothingSelected, // "Please select at least one waveform clip or track."
};

// The Wave Mixer without its window: it chooses the song's clips and the
// span, then mixes them into one 16-bit stereo file. It mixes copies of the
// clips that share their samples, so the song's play positions stay as they
// are and nothing is read from disk again. Choose on the GUI thread; mix on
// any one thread while the song's clips stay loaded (the copies keep their
// samples alive in any case).
class WaveMixer {
public:
    static constexpr uint32_t kBlockFrames = 8192;

    // Takes the selected clips of the song's waveform tracks (the clips
    // carrying the selection stamp, or every clip of a selected row) and the
    // span: the time range when one is selected, else from the earliest clip
    // start to the latest clip end. Clips without samples are left out and
    // named in unloadedNames().
    MixChoice choose(const CSongDoc& song);

    int64_t mixStart() const { return m_mixStart; } // 100-ns units
    int64_t mixEnd() const { return m_mixEnd; }
    size_t clipCount() const { return m_clips.size(); }
    const std::vector<std::string>& unloadedNames() const { return m_unloaded; }
    // Frames of the mix at `sampleRate`.
    uint64_t totalFrames(uint32_t sampleRate) const;
    // A wave file holds at most 4 GiB of samples.
    bool fitsWaveFile(uint32_t sampleRate) const;

    // Makes the writer begin() starts; tests inject failing ones. Null: the
    // program's own writers.
    using WriterFactory = std::function<std::unique_ptr<IAudioFileWriter>(AudioFileFormat)>;
    void setWriterFactory(WriterFactory make) { m_makeWriter = std::move(make); }

    // Tells the user what choose() found: the clips left out, or that there
    // is nothing to mix. False when the dialog is to end as cancelled.
    bool announce(MixChoice choice, IPrompt& prompt) const;

    // The file begun, and what the caller gets once it is written.
    struct Output {
        std::unique_ptr<IAudioFileWriter> writer;
        WaveMix result;             // its path is the file the mix is for
        std::filesystem::path scratch; // the file being written, beside it
    };
    // Saves the settings, settles the path (a new name in the work folder
    // for a new waveform track) and begins a scratch file beside it in the
    // engine's format; the file at the path stays as it is until keep().
    // An existing file is replaced only when the user says so. Nothing, after
    // a message, when the mix is too long for a wave file, the path is no
    // plain file or the writer does not begin ("Could not begin: %08x").
    std::optional<Output> begin(WaveMixerSettings& settings, IProfile& profile, IPrompt& prompt,
                                ISongFilesHost& files, uint32_t sampleRate) const;
    // Puts a mix that was written whole in its place, with the permission
    // bits of the file it replaces; false with the reason, and the scratch
    // file removed, when it cannot.
    static bool keep(const Output& output, std::string& reason);
    // Removes the scratch file of a mix that is not kept.
    static void drop(const Output& output);

    // Writes the mix to a writer that has begun: blocks of at most 8192
    // frames, each followed by progress(done x 10000 / total). Stops early
    // when `stop` turns true. On a failed write (or a stop) the partial file
    // is removed and false returned with the reason; on success the writer
    // is closed. Callable once per choice.
    bool mix(IAudioFileWriter& writer, uint32_t sampleRate,
             const std::function<void(int permyriad)>& progress, const std::atomic<bool>* stop,
             std::string& reason);

private:
    struct MixClip {
        CAudioClip clip; // a copy: its own positions, the song's samples
        int64_t start = 0;
    };

    void position(uint32_t sampleRate);

    std::vector<MixClip> m_clips;
    std::vector<std::string> m_unloaded;
    int64_t m_mixStart = 0;
    int64_t m_mixEnd = 0;
    WriterFactory m_makeWriter;
};

// A sum of clips as 16-bit: clamped to ±1.0, then
// floor((x + 1) x 0.5 x 65535 + 0.5) - 32768.
int16_t mixSampleToInt16(float x);

} // namespace rz
