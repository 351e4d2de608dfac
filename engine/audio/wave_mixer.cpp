// The Wave Mixer's choice of clips and its mix-down.
#include "engine/audio/wave_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"
#include "engine/audio/scratch_output.h"
#include "engine/audio/wave_file.h"
#include "song/fs.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/track.h"

namespace rz {
namespace {

constexpr char kSection[] = "WaveMixer";
constexpr char kNothingSelected[] = "Please select at least one waveform clip or track.";
constexpr char kNotLoaded[] = "These clips are not loaded and are left out of the mix:";
constexpr char kTooLong[] = "The mix is too long for a wave file (4 GB at most).";
constexpr int64_t kUnitsPerSecond = 10'000'000; // 100-ns units

int64_t mulDivWide(int64_t a, int64_t b, int64_t c)
{
    return int64_t(static_cast<__int128>(a) * b / c);
}

int64_t clipEnd(const CAudioClip& clip, int64_t start)
{
    return start + clip.length * std::max(clip.number, int32_t(0));
}

bool rowSelected(const CSongDoc& song, size_t track)
{
    const ITrackRows* rows = song.context().trackRows;
    return rows != nullptr && !rows->currentRowMode() && rows->IsRowSelected(int(track));
}

} // namespace

WaveMixerSettings WaveMixerSettings::load(const IProfile& profile, const std::filesystem::path& documents)
{
    WaveMixerSettings s;
    s.codec = readSetting(profile, settings::kMixCodec);
    s.format = readSetting(profile, settings::kMixFormat) == 1 ? AudioFileFormat::Wma : AudioFileFormat::Wav;
    s.wmaFormat = readSetting(profile, settings::kMixWmaFormat);
    s.saveTo = readSetting(profile, settings::kMixSaveTo) == 1 ? MixDestination::File
                                                            : MixDestination::NewWaveTrack;
    s.path = readSettingTextOr(profile, settings::kMixPath, (documents / "clip").string());
    return s;
}

void WaveMixerSettings::save(IProfile& profile) const
{
    writeSetting(profile, settings::kMixCodec, codec);
    writeSetting(profile, settings::kMixFormat, int32_t(format));
    writeSetting(profile, settings::kMixWmaFormat, wmaFormat);
    writeSetting(profile, settings::kMixSaveTo, int32_t(saveTo));
    writeSettingText(profile, settings::kMixPath, path);
}

std::filesystem::path audioFilesFolder(const IProfile& profile, const std::filesystem::path& documents)
{
    return readSettingTextOr(profile, settings::kDirsAudioFiles, documents.string());
}

void setAudioFilesFolder(IProfile& profile, const std::filesystem::path& folder)
{
    writeSettingText(profile, settings::kDirsAudioFiles, folder.string());
}

std::string swapAudioExtension(const std::string& path, AudioFileFormat format)
{
    std::string result = path;
    const size_t dot = result.rfind('.');
    if (dot != std::string::npos && dot + 4 == result.size()
        && result.find_first_of("/\\", dot) == std::string::npos)
        result.erase(dot);
    return result + audioFileExtension(format);
}

int16_t mixSampleToInt16(float x)
{
    const double clamped = std::clamp(double(x), -1.0, 1.0);
    return int16_t(std::floor((clamped + 1.0) * 0.5 * 65535.0 + 0.5) - 32768.0);
}

MixChoice WaveMixer::choose(const CSongDoc& song)
{
    m_clips.clear();
    m_unloaded.clear();
    const bool stamped = (song.selectionKind & kSelectAudioClip) != 0;
    for (size_t t = 0; t + 1 < song.tracks.size(); ++t) {
        const CTrack& track = *song.tracks[t];
        if (track.type != kWaveTrack)
            continue;
        const bool whole = !stamped && rowSelected(song, t);
        for (const CMidiEvent& event : track.events) {
            const CAudioClip* clip = event.clip();
            if (clip == nullptr || (!whole && !(stamped && event.selectionStamp == song.selectionStamp)))
                continue;
            if (!clip->loaded || !clip->samples || clip->samples->frameCount() == 0) {
                m_unloaded.push_back(clip->baseName());
                continue;
            }
            MixClip taken;
            taken.clip = *clip;
            taken.start = int64_t(song.TickToTime(event.tick) * 10.0);
            m_clips.push_back(std::move(taken));
        }
    }

    const bool range = (song.selectionKind & kSelectTimeRange) != 0 && song.selectionFrom >= 0
                       && song.selectionTo > song.selectionFrom;
    if (range) {
        m_mixStart = int64_t(song.TickToTime(song.selectionFrom) * 10.0);
        m_mixEnd = int64_t(song.TickToTime(song.selectionTo) * 10.0);
        std::erase_if(m_clips, [&](const MixClip& c) {
            return c.start >= m_mixEnd || clipEnd(c.clip, c.start) <= m_mixStart;
        });
    } else if (!m_clips.empty()) {
        m_mixStart = std::numeric_limits<int64_t>::max();
        m_mixEnd = std::numeric_limits<int64_t>::min();
        for (const MixClip& c : m_clips) {
            m_mixStart = std::min(m_mixStart, c.start);
            m_mixEnd = std::max(m_mixEnd, clipEnd(c.clip, c.start));
        }
    }
    if (m_clips.empty())
        return MixChoice::NothingSelected;
    return MixChoice::Ready;
}

bool WaveMixer::announce(MixChoice choice, IPrompt& prompt) const
{
    if (!m_unloaded.empty()) {
        std::string text = kNotLoaded;
        for (const std::string& name : m_unloaded)
            text += "\n" + name;
        prompt.message(text, PromptIcon::Warning);
    }
    if (choice == MixChoice::NothingSelected) {
        prompt.message(kNothingSelected, PromptIcon::Stop);
        return false;
    }
    return true;
}

namespace {

// Whether the mix may go to `path`: a missing file, or a plain file the user
// agrees to replace. Anything else is refused with a message.
bool mayReplace(const std::filesystem::path& path, IPrompt& prompt)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return true;
    if (!std::filesystem::is_regular_file(status)) {
        prompt.message(path.string() + " cannot be replaced: not a regular file", PromptIcon::Stop);
        return false;
    }
    return prompt.askYesNo("\"" + path.string() + "\" already exists.\nReplace it?", PromptIcon::Warning)
        == PromptAnswer::Yes;
}

} // namespace

std::optional<WaveMixer::Output> WaveMixer::begin(WaveMixerSettings& settings, IProfile& profile,
                                                  IPrompt& prompt, ISongFilesHost& files,
                                                  uint32_t sampleRate) const
{
    settings.save(profile);
    const AudioFileFormat format = settings.effectiveFormat();
    if (format == AudioFileFormat::Wav && !fitsWaveFile(sampleRate)) {
        prompt.message(kTooLong, PromptIcon::Stop);
        return std::nullopt;
    }
    Output out;
    out.result.destination = settings.saveTo;
    out.result.start = m_mixStart;
    std::filesystem::path path = settings.path;
    if (settings.saveTo == MixDestination::NewWaveTrack) {
        path.clear();
        files.MakeUniqueAudioFileName(path);
    }
    if (!mayReplace(path, prompt))
        return std::nullopt;
    RemoveScratchLeftovers(path);
    out.scratch = ScratchPathFor(path);
    out.writer = m_makeWriter ? m_makeWriter(format) : makeAudioFileWriter(format);
    const int32_t result =
        out.writer->begin(out.scratch, engineWaveFormat(sampleRate), settings.codec, settings.wmaFormat);
    if (result < 0) {
        char text[48];
        std::snprintf(text, sizeof text, "Could not begin: %08x", unsigned(result));
        prompt.message(text, PromptIcon::Stop);
        return std::nullopt;
    }
    out.result.path = path;
    return out;
}

bool WaveMixer::keep(const Output& output, std::string& reason)
{
    return keepScratchOutput(output.scratch, output.result.path, reason);
}

void WaveMixer::drop(const Output& output)
{
    dropScratchOutput(output.scratch);
}

uint64_t WaveMixer::totalFrames(uint32_t sampleRate) const
{
    if (m_mixEnd <= m_mixStart)
        return 0;
    return uint64_t(mulDivWide(m_mixEnd - m_mixStart, sampleRate, kUnitsPerSecond));
}

bool WaveMixer::fitsWaveFile(uint32_t sampleRate) const
{
    return totalFrames(sampleRate) <= kWaveDataLimit / 4;
}

// A clip that starts inside the mix is read from its place; one that starts
// later is moved back so that it gives silence until its start.
void WaveMixer::position(uint32_t sampleRate)
{
    for (MixClip& c : m_clips) {
        c.clip.position = 0;
        c.clip.repeatIndex = 0;
        if (c.start <= m_mixStart) {
            TimeToSample(c.clip, double(m_mixStart - c.start) / 10.0);
            continue;
        }
        const uint32_t rate = c.clip.samples ? c.clip.samples->format.sampleRate : sampleRate;
        Advance(c.clip, -mulDivWide(c.start - m_mixStart, rate, kUnitsPerSecond));
    }
}

bool WaveMixer::mix(IAudioFileWriter& writer, uint32_t sampleRate,
                    const std::function<void(int permyriad)>& progress, const std::atomic<bool>* stop,
                    std::string& reason)
{
    position(sampleRate);
    const uint64_t total = totalFrames(sampleRate);
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    std::vector<int16_t> out(size_t(kBlockFrames) * 2);
    for (uint64_t done = 0; done < total;) {
        if (stop != nullptr && stop->load(std::memory_order_relaxed)) {
            reason = "The mix was stopped.";
            writer.discard();
            return false;
        }
        const uint32_t n = uint32_t(std::min<uint64_t>(kBlockFrames, total - done));
        std::fill_n(left.begin(), n, 0.0f);
        std::fill_n(right.begin(), n, 0.0f);
        for (MixClip& c : m_clips)
            Fill(c.clip, ChannelBuffers{left.data(), right.data()}, n, false);
        for (uint32_t i = 0; i < n; ++i) {
            out[2 * i] = mixSampleToInt16(left[i]);
            out[2 * i + 1] = mixSampleToInt16(right[i]);
        }
        const auto* bytes = reinterpret_cast<const uint8_t*>(out.data());
        if (!writer.write({bytes, size_t(n) * 4}, n, reason)) {
            writer.discard();
            return false;
        }
        done += n;
        if (progress)
            progress(int(done * 10000 / total));
    }
    if (!writer.end(reason)) {
        writer.discard();
        return false;
    }
    return true;
}

} // namespace rz
