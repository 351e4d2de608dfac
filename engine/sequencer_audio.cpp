// The audio part: options, format and host time; the engines themselves sit
// behind IAudioEngines. GUI thread.
#include "engine/sequencer.h"

#include "core/ms_clock.h"
#include "core/muldiv.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/smpte_time.h"
#include "engine/instrument.h"
#include "song/song_doc.h"

#include <algorithm>

namespace rz {

namespace {

constexpr int kDefaultBlockSize = settings::kAudioBuffer.defaultValue; // frames
constexpr int kDefaultSampleRate = settings::kAudioRate.defaultValue;
constexpr int kMinBlockSize = 64;
constexpr int kMaxBlockSize = 11025;
constexpr int kMinSampleRate = 8000;
constexpr int kMaxSampleRate = 192000;
constexpr int kLowLatency = 2;

AudioOptions readAudioOptions(const IProfile& profile)
{
    AudioOptions options;
    options.enabled = readSetting(profile, settings::kAudioEnable) != 0;
    options.input = readSetting(profile, settings::kAudioInput);
    options.output = readSetting(profile, settings::kAudioOutput);
    const int block = readSetting(profile, settings::kAudioBuffer);
    const int rate = readSetting(profile, settings::kAudioRate);
    // A value no device could take reads as the default.
    const bool blockValid = block >= kMinBlockSize && block <= kMaxBlockSize;
    const bool rateValid = rate >= kMinSampleRate && rate <= kMaxSampleRate;
    options.blockSize = uint32_t(blockValid ? block : kDefaultBlockSize);
    options.sampleRate = uint32_t(rateValid ? rate : kDefaultSampleRate);
    options.lowLatencyDriver = readSetting(profile, settings::kAudioLowLatency);
    options.inputChannel = readSettingText(profile, settings::kAudioInputChannel);
    options.outputChannel = readSettingText(profile, settings::kAudioOutputChannel);
    options.outputDevice = readSettingText(profile, settings::kAudioOutputDeviceName);
    options.inputDevice = readSettingText(profile, settings::kAudioInputDeviceName);
    options.passthrough = options.enabled && options.input == kLowLatency
                          && readSetting(profile, settings::kAudioPassthrough) != 0;
    return options;
}

AudioFormat pcmFormat(uint32_t rate)
{
    AudioFormat format;
    format.sampleRate = rate;
    format.bytesPerSecond = rate * format.blockAlign;
    return format;
}

HostTimeInfo resetHostTime(uint32_t rate)
{
    HostTimeInfo info;
    info.sampleRate = double(rate);
    return info;
}

} // namespace

std::string CSequencer::LoadAudioOptions()
{
    CloseAudioEngines();
    // A notice of the closed device's must not resize the new one's render.
    m_audio.noticedBlockFrames.store(0, std::memory_order_release);
    const AudioOptions options = readAudioOptions(m_services.profile);
    m_audio.passthrough = false;
    m_audio.format = pcmFormat(options.sampleRate);
    AudioOpenResult result{options.sampleRate, options.blockSize, {}};
    if (options.enabled)
        result = m_services.audio.open(options, *this);
    if (result.sampleRate == 0 || result.blockFrames == 0)
        result = {options.sampleRate, options.blockSize, result.error};
    setBlockLength(result.sampleRate, result.blockFrames);
    m_audio.format = pcmFormat(result.sampleRate);
    rebuildRenderInstruments(result.sampleRate, result.blockFrames);
    m_audio.passthrough = options.enabled && options.passthrough;
    m_audio.enginesOpen.store(options.enabled && result.error.empty(), std::memory_order_release);
    return result.error;
}

void CSequencer::setBlockLength(uint32_t sampleRate, uint32_t blockFrames)
{
    const int32_t block = MulDiv(int32_t(blockFrames), 1000000, int32_t(sampleRate));
    m_audio.blockLength.store(block > 0 ? double(block) : 0.0, std::memory_order_release);
}

void CSequencer::blockFramesChanged(uint32_t frames)
{
    m_audio.noticedBlockFrames.store(frames, std::memory_order_release);
    requestRefresh(kRefreshAudioBlock);
}

// GUI thread, in the refresh pass after a period notice. Until the
// instruments are reset the render cuts the device's blocks into the chunks
// they were told, so no block is skipped or overruns them meanwhile.
void CSequencer::applyBlockFrames()
{
    const uint32_t frames = m_audio.noticedBlockFrames.load(std::memory_order_acquire);
    if (frames == 0 || !m_audio.enginesOpen.load(std::memory_order_acquire))
        return;
    const uint32_t rate = m_audio.format.sampleRate;
    rebuildRenderInstruments(rate, frames, HostTimeAt::Keep);
    setBlockLength(rate, frames); // last: who sees the new length sees the instruments reset
}

// The instruments start again at the device's rate and block, under the
// AudioMutex so that no block renders meanwhile; a lock that times out
// leaves the old list, which still holds its ports, and the old chunk.
void CSequencer::rebuildRenderInstruments(uint32_t sampleRate, uint32_t blockFrames,
                                          HostTimeAt hostTime)
{
    std::shared_ptr<const SequencerPorts> ports = m_io.ports.load();
    std::vector<IInstrument*> instruments;
    for (size_t i = ports->outputs.size(); i-- > 0;) {
        if (IInstrument* instrument = ports->outputs[i]->instrument())
            instruments.push_back(instrument);
    }
    LockGuard guard(AudioMutex(), "LoadAudioOptions", m_options.lockWait);
    if (!guard)
        return;
    if (hostTime == HostTimeAt::Restart)
        m_audio.hostTime = resetHostTime(sampleRate);
    const uint32_t chunk = std::clamp(blockFrames, uint32_t(1), EngineAudio::kInstrumentChunk);
    for (IInstrument* instrument : instruments)
        instrument->resetAudio(double(sampleRate), int(chunk));
    m_audio.instrumentChunk = chunk;
    m_audio.instruments.swap(instruments);
    m_audio.instrumentPorts.swap(ports);
}

void CSequencer::CloseAudioEngines()
{
    m_audio.enginesOpen.store(false, std::memory_order_release);
    m_audio.preview.set(nullptr);
    m_services.audio.close();
    setAudioInputSink(nullptr);
}

AudioPreviewSlot* CSequencer::previewSlot()
{
    return m_audio.enginesOpen.load(std::memory_order_acquire) ? &m_audio.preview : nullptr;
}

bool CSequencer::ApplyAsioChannelSelection(std::string_view inputChannel,
                                           std::string_view outputChannel)
{
    return m_services.audio.applyChannelSelection(inputChannel, outputChannel);
}

// The instruments' editors and idle calls, from the last port to the first.
void CSequencer::IdleVstEditors()
{
    const std::shared_ptr<const SequencerPorts> table = ports();
    for (auto port = table->outputs.rbegin(); port != table->outputs.rend(); ++port) {
        if ((*port)->isInstrument() && (*port)->isOpen())
            (*port)->instrument()->idle();
    }
}

void CSequencer::FillAudioTimeInfo()
{
    HostTimePosition& at = m_audio.songTime;
    at.position = position();
    at.realTime = realTime();
    at.smpteRate = defaultSmpteRate();
    at.playing = transportState() == TransportState::Playing;
    at.recording = at.playing && m_recorder.recording();
    {
        // The song's maps are read only when nobody edits them; otherwise the
        // last block's bar and tempo stand.
        const LockGuard guard = tryGuard(SongMutex());
        const CSongDoc* song = guard ? currentSong() : nullptr;
        if (song)
            readSongTime(*song, at);
    }
    advanceHostTime(m_audio.hostTime, m_audio.hostTimeMark, at, double(timeGetTime()) * 1e6);
}

// Under the SongMutex: the time base, the bar and the effective tempo at the
// position.
void CSequencer::readSongTime(const CSongDoc& song, HostTimePosition& at) const
{
    at.timeBase = std::max(int(song.timeBase), 1);
    const int measure = song.measureMap.empty() ? -1 : song.FindMeasure(at.position);
    if (measure >= 0) {
        const MeasureRec& rec = song.measureMap[size_t(measure)];
        at.measureStart = rec.start;
        at.numerator = rec.numerator;
        at.denominator = rec.denominator;
    }
    const uint32_t tempo = song.tempoMap.empty()
                               ? kDefaultTempo
                               : song.tempoMap[size_t(song.FindTempoIndex(at.position))].tempo;
    at.tempo = 60e6 / double(std::max(tempo, 1u)) * double(tempoMultiplier()) / double(kNormalMultiplier);
}

} // namespace rz
