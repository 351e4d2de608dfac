// The wave file of a take on a waveform track: opened with the audio input
// at the Record command, attached once the count-in is over, and closed
// with the take. GUI thread unless a function says otherwise.
#include "engine/sequencer.h"

#include "core/prompt.h"
#include "core/song_host.h"
#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/wave_disk_writer.h"
#include "engine/audio/wave_file.h"
#include "song/song_doc.h"
#include "song/undo_record.h"

namespace rz {

namespace {

constexpr int kCaptureFormat = 11; // 44100 Hz, 16-bit stereo
constexpr uint32_t kFrameBytes = 4;

} // namespace

// The file is named by the song's host in its work folder. Capture that
// cannot start leaves the file empty and the take goes on; the player hears
// why at its end. False, with a message, when the file cannot be made.
bool CSequencer::openTakeWave()
{
    CSongDoc* song = currentSong();
    if (song == nullptr)
        return false;
    uint32_t rate = m_audio.format.sampleRate;
    if (!m_services.audio.lowLatencyInput()) {
        WaveFormat format;
        WaveFormatFromIndex(kCaptureFormat, format);
        rate = format.sampleRate;
    }
    std::filesystem::path name;
    song->context().host.MakeUniqueAudioFileName(name);
    auto writer = std::make_unique<CWaveDiskWriter>();
    std::string reason;
    if (!writer->Open(name, rate, reason)) {
        m_services.prompt.message(reason, PromptIcon::Stop);
        return false;
    }
    m_takeWave.captureProblem.clear();
    if (!m_services.audio.startCapture(kCaptureFormat, reason))
        m_takeWave.captureProblem = reason;
    m_takeWave.file = name;
    m_takeWave.sampleRate = rate;
    m_takeWave.attachable.store(writer.get(), std::memory_order_release);
    m_takeWave.writer = std::move(writer);
    return true;
}

// Capture stops first, handing over its tail; then no thread holds the
// writer and it closes.
TakeWaveResult CSequencer::endTakeWave()
{
    TakeWaveResult result;
    if (!m_takeWave.writer)
        return result;
    const std::string captureError = m_services.audio.stopCapture();
    m_takeWave.attachable.store(nullptr, std::memory_order_release);
    setAudioInputSink(nullptr);
    m_services.audio.attachCaptureSink(nullptr);
    std::string closeError;
    const bool closed = m_takeWave.writer->Close(closeError);
    const uint64_t overruns = m_takeWave.writer->overrunCount();
    const uint64_t dropped = m_takeWave.writer->droppedBytes();
    result.file = m_takeWave.file;
    result.frames = m_takeWave.writer->dataBytes() / kFrameBytes;
    result.sampleRate = m_takeWave.sampleRate;
    std::string problem = m_takeWave.captureProblem;
    if (!captureError.empty())
        problem = captureError;
    else if (!closed)
        problem = closeError;
    else if (overruns > 0 || dropped > 0)
        problem = "Some of the recorded audio was lost: the disk did not keep up.";
    result.problem = problem;
    m_takeWave.writer.reset();
    m_takeWave.file.clear();
    return result;
}

// A take that never started leaves no file behind.
void CSequencer::discardTakeWave()
{
    const TakeWaveResult wave = endTakeWave();
    std::error_code error;
    if (!wave.file.empty())
        std::filesystem::remove(wave.file, error);
}

// Every waveform thru track gets a clip of the file at the record start.
void CSequencer::addTakeClips(const TakeWaveResult& wave, CEventList& events) const
{
    if (wave.file.empty())
        return;
    const std::shared_ptr<const ThruTracks> thru = m_io.thru.load();
    for (const ThruTrack& entry : thru->tracks) {
        if (!entry.waveform)
            continue;
        auto clip = std::make_unique<CAudioClip>();
        clip->fileName = wave.file.string();
        clip->number = 1;
        clip->length = WaveDuration(int64_t(wave.frames), wave.sampleRate);
        CMidiEvent event;
        event.tick = m_recorder.recordStart;
        event.SetClip(std::move(clip));
        events.Insert(&event, uint32_t(entry.number) << 24 | kComputedPosition, kNoSourceKey);
    }
}

} // namespace rz
