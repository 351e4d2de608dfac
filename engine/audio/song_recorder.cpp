// The real-time song recorder: settings, output files, the 50 ms drain of
// the input and the song-by-song automation.
#include "engine/audio/song_recorder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <system_error>

#include "core/engine_link.h"
#include "core/file_names.h"
#include "core/log.h"
#include "core/ms_clock.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "engine/audio/audio_grabber.h"
#include "engine/audio/scratch_output.h"
#include "song/fs.h"
#include "song/midi_event.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "song/track_list.h"
#include "song/undo_record.h"

namespace rz {
namespace {

constexpr char kSection[] = "M2DA";
constexpr char kInvalidFolder[] = "Please specify a valid folder.";
constexpr char kCreateFolder[] = "Folder does not exist. Create it now?";
constexpr char kCannotCreate[] = "Unable to create folder.";
constexpr char kInvalidName[] = "Please select a valid filename.";
constexpr char kNoFirstSong[] = "Trouble opening the first song.";
constexpr char kNoInput[] =
    "There is no audio input to record from.\n\nTurn on Waveform Audio in Setup > Waveform Audio, "
    "or choose a capture device with \"Open an alternate device/input:\".";
constexpr char kTrackName[] = "Dodo Dadav";
constexpr char kTrackLabel[] = "Dodo Dadav Track";
constexpr int32_t kMaxFadeSeconds = settings::kRecorderFadeTime.max;
constexpr int32_t kMaxGain = settings::kRecorderGain.max;
constexpr int32_t kLowLevel = 1000;   // levels below show as the default
constexpr int32_t kDefaultLevel = settings::kRecorderGain.defaultValue;
// A refusal the user has already been told about.
constexpr int32_t kRefused = int32_t(0x80004005);

std::string hexCode(const char* format, int32_t code)
{
    char text[64];
    std::snprintf(text, sizeof text, format, unsigned(code));
    return text;
}

std::string trimLeft(std::string text)
{
    text.erase(0, text.find_first_not_of(" \t"));
    return text;
}

std::string trimRight(std::string text)
{
    const size_t end = text.find_last_not_of(" \t");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

bool fileExists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool isFolder(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// A file about to be replaced: made writable first, as a read-only one
// would otherwise stay.
bool timeSelection(const CSongDoc& song)
{
    return (song.selectionKind & kSelectTimeRange) != 0 && song.selectionFrom >= 0;
}

} // namespace

SongRecorderSettings SongRecorderSettings::load(const IProfile& profile,
                                                const std::filesystem::path& documents)
{
    SongRecorderSettings s;
    s.alternateInput = readSetting(profile, settings::kRecorderAltIn) != 0;
    s.fadeSeconds = std::clamp(readSetting(profile, settings::kRecorderFadeTime), int32_t(0), kMaxFadeSeconds);
    s.gain = std::clamp(readSetting(profile, settings::kRecorderGain), int32_t(0), kMaxGain);
    s.deviceName = readSettingText(profile, settings::kRecorderDeviceName);
    s.inputName = readSettingText(profile, settings::kRecorderInputName);
    s.automation = RecorderAutomation(
        std::clamp(readSetting(profile, settings::kRecorderAutomation), int32_t(0), int32_t(2)));
    s.playThroughCues = readSetting(profile, settings::kRecorderNoCues) != 0;
    s.codec = readSetting(profile, settings::kRecorderCodec);
    s.wmaFormat = readSetting(profile, settings::kRecorderWmaFormat);
    s.fileFormat = readSetting(profile, settings::kRecorderCompress) == 1 ? AudioFileFormat::Wma
                                                                       : AudioFileFormat::Wav;
    s.saveTo = RecorderSaveTo(std::clamp(readSetting(profile, settings::kRecorderSaveTo), int32_t(0), int32_t(2)));
    s.folder = readSettingTextOr(profile, settings::kRecorderFolder, documents.string());
    s.usePrefix = readSetting(profile, settings::kRecorderUsePrefix) != 0;
    s.prefix = readSettingText(profile, settings::kRecorderPrefix);
    return s;
}

void SongRecorderSettings::save(IProfile& profile) const
{
    writeSetting(profile, settings::kRecorderAltIn, alternateInput ? 1 : 0);
    writeSetting(profile, settings::kRecorderFadeTime, fadeSeconds);
    writeSetting(profile, settings::kRecorderGain, gain);
    writeSettingText(profile, settings::kRecorderDeviceName, deviceName);
    writeSettingText(profile, settings::kRecorderInputName, inputName);
    writeSetting(profile, settings::kRecorderAutomation, int32_t(automation));
    writeSetting(profile, settings::kRecorderNoCues, playThroughCues ? 1 : 0);
    writeSetting(profile, settings::kRecorderCodec, codec);
    writeSetting(profile, settings::kRecorderWmaFormat, wmaFormat);
    writeSetting(profile, settings::kRecorderCompress, int32_t(fileFormat));
    writeSetting(profile, settings::kRecorderSaveTo, int32_t(saveTo));
    writeSettingText(profile, settings::kRecorderFolder, folder);
    writeSetting(profile, settings::kRecorderUsePrefix, usePrefix ? 1 : 0);
    writeSettingText(profile, settings::kRecorderPrefix, prefix);
}

SongRecorder::SongRecorder(const SongRecorderSeams& seams) : m_seams(seams) {}

SongRecorder::~SongRecorder()
{
    close();
}

void SongRecorder::open()
{
    m_settings = SongRecorderSettings::load(m_seams.profile, m_seams.documentsFolder);
    const bool haveSet = m_seams.set.setOpen();
    const bool haveSong = m_seams.songs.currentSong() != nullptr;
    m_entireSetChoice = haveSet;
    m_currentSongChoice = haveSong;
    m_songFolderChoice = haveSet || haveSong;
    if (!haveSet && m_settings.automation == RecorderAutomation::EntireSet)
        m_settings.automation = RecorderAutomation::CurrentSong;
    if (!haveSong && m_settings.automation == RecorderAutomation::CurrentSong)
        m_settings.automation = RecorderAutomation::None;
    if (!haveSet && !haveSong)
        m_settings.saveTo = RecorderSaveTo::OtherFolder;
    m_settings.currentSelectionOnly =
        m_settings.automation == RecorderAutomation::CurrentSong && songHasTimeSelection();
    loadDevices();
    setAlternateInput(m_settings.alternateInput);
}

void SongRecorder::close()
{
    if (m_writing)
        stopWriting({});
    releaseInput();
    if (m_grabber)
        m_grabber->Teardown();
    m_sampleRing.Reset(nullptr);
}

bool SongRecorder::songHasTimeSelection() const
{
    const CSongDoc* song = m_seams.songs.currentSong();
    return song != nullptr && timeSelection(*song);
}

RecorderEnabling SongRecorder::enabling() const
{
    const SongRecorderSettings& s = m_settings;
    RecorderEnabling e;
    e.currentSongChoice = m_currentSongChoice;
    e.entireSetChoice = m_entireSetChoice;
    e.songFolderChoice = m_songFolderChoice;
    e.captureControls = s.alternateInput;
    e.wmaChoice = s.saveTo != RecorderSaveTo::NewWaveTrack;
    e.wmaLists = s.effectiveFormat() == AudioFileFormat::Wma;
    e.folderControls = s.saveTo == RecorderSaveTo::OtherFolder;
    e.usePrefixCheck = s.saveTo != RecorderSaveTo::NewWaveTrack;
    e.prefixEdit = s.usePrefix && e.usePrefixCheck;
    e.fadeControls = s.automation != RecorderAutomation::None;
    e.selectionOnlyCheck = s.automation == RecorderAutomation::CurrentSong && songHasTimeSelection();
    return e;
}

// ---- input ----

void SongRecorder::loadDevices()
{
    m_devices = m_seams.deviceNames ? m_seams.deviceNames() : CAudioGrabber::DeviceNames();
    for (const std::string& device : m_devices)
        for (const std::string& input :
             m_seams.inputNamesOf ? m_seams.inputNamesOf(device) : CAudioGrabber::InputNames(device))
            m_levels[device].emplace(input, kMaxGain);
    if (m_settings.deviceName.empty() && !m_devices.empty())
        m_settings.deviceName = m_devices.front();
    const std::vector<std::string> inputs = inputNames();
    if (!inputs.empty() && std::find(inputs.begin(), inputs.end(), m_settings.inputName) == inputs.end())
        m_settings.inputName = inputs.front();
}

std::vector<std::string> SongRecorder::inputNames() const
{
    std::vector<std::string> names;
    if (const auto it = m_levels.find(m_settings.deviceName); it != m_levels.end())
        for (const auto& [name, level] : it->second)
            names.push_back(name);
    return names;
}

void SongRecorder::chooseDevice(const std::string& name)
{
    m_settings.deviceName = name;
}

void SongRecorder::chooseInput(const std::string& name)
{
    m_settings.inputName = name;
    int32_t level = m_levels[m_settings.deviceName].try_emplace(name, kMaxGain).first->second;
    m_settings.gain = level < kLowLevel ? kDefaultLevel : level;
    if (m_settings.alternateInput) {
        const int32_t result = buildCapture();
        if (result < 0)
            m_seams.prompt.message(hexCode("Audio: %08x", result), PromptIcon::Stop);
    }
}

void SongRecorder::setGain(int32_t gain)
{
    m_settings.gain = std::clamp(gain, int32_t(0), kMaxGain);
    m_levels[m_settings.deviceName][m_settings.inputName] = m_settings.gain;
    if (m_grabber && m_grabber->running())
        m_grabber->SelectInput(m_settings.inputName, m_settings.gain);
}

void SongRecorder::setAlternateInput(bool on)
{
    m_settings.alternateInput = on;
    if (on) {
        releaseInput();
        const int32_t result = buildCapture();
        if (result < 0)
            m_seams.prompt.message(hexCode("Audio: %08x", result), PromptIcon::Stop);
    } else {
        if (m_grabber)
            m_grabber->Teardown();
        m_sampleRing.Reset(nullptr);
        attachInput();
    }
}

int32_t SongRecorder::buildCapture()
{
    if (!m_grabber)
        m_grabber = std::make_unique<CAudioGrabber>();
    m_grabber->Teardown();
    const WaveFormat format = engineWaveFormat(m_seams.input.sampleRate());
    m_sampleRing.Reset(&format);
    const int32_t result =
        m_grabber->BuildGraph(m_settings.deviceName, m_settings.inputName, m_settings.gain, m_sampleRing);
    if (result < 0)
        writeLog("recorder capture: " + m_grabber->lastError());
    return result;
}

void SongRecorder::attachInput()
{
    if (!m_inputAttached)
        m_inputAttached = m_seams.input.attach(m_diskWriter);
}

void SongRecorder::releaseInput()
{
    if (!m_inputAttached)
        return;
    m_seams.input.release();
    m_inputAttached = false;
}

void SongRecorder::discardInput()
{
    if (m_settings.alternateInput) {
        while (m_sampleRing.GetNext(nullptr, nullptr, nullptr)) {
        }
        return;
    }
    uint8_t buffer[kReadBytes];
    while (m_diskWriter.Read(buffer, sizeof buffer) > 0) {
    }
}

// ---- begin and the output files ----

bool SongRecorder::inputUsable()
{
    if (m_settings.alternateInput)
        return m_grabber && m_grabber->running();
    attachInput();
    return m_inputAttached;
}

bool SongRecorder::begin()
{
    SongRecorderSettings& s = m_settings;
    // Playing on to empty meters would leave a file of a header only.
    if (!inputUsable()) {
        m_seams.prompt.message(kNoInput, PromptIcon::Stop);
        return false;
    }
    s.prefix = trimLeft(s.prefix);
    SanitizeFileName(s.prefix);
    if (s.usePrefix && s.prefix.empty()) {
        m_seams.prompt.message(kInvalidName, PromptIcon::Stop);
        return false;
    }
    if (s.automation == RecorderAutomation::CurrentSong) {
        m_seams.transport.Stop(false);
        if (CSongDoc* song = m_seams.songs.currentSong()) {
            const bool fromSelection = s.currentSelectionOnly && timeSelection(*song);
            song->Locate(fromSelection ? song->selectionFrom : 0);
        }
    } else if (s.automation == RecorderAutomation::EntireSet) {
        m_seams.transport.Stop(false);
        m_seams.set.SelectSongByIndex(0);
        if (m_seams.songs.currentSong() == nullptr) {
            m_seams.prompt.message(kNoFirstSong, PromptIcon::Stop);
            return false;
        }
    }
    m_writtenThisRun.clear();
    const int32_t result = openOutput();
    if (result < 0) {
        if (result != kRefused)
            m_seams.prompt.message(hexCode("Could not begin: %08x", result), PromptIcon::Stop);
        return false;
    }
    s.save(m_seams.profile);
    discardInput();
    m_startMs = m_seams.clock.nowMs();
    m_finishedTenths = 0;
    m_ticks = 0;
    m_songEnded = false;
    if (s.automation != RecorderAutomation::None) {
        m_seams.transport.Advance(s.playThroughCues);
        m_fading = false;
    }
    m_writing = true;
    return true;
}

int32_t SongRecorder::openOutput()
{
    const AudioFileFormat format = m_settings.effectiveFormat();
    const char* extension = audioFileExtension(format);
    std::filesystem::path name;
    if (m_settings.saveTo == RecorderSaveTo::NewWaveTrack) {
        m_seams.files.MakeUniqueAudioFileName(name);
    } else {
        std::filesystem::path folder;
        if (!outputFolder(folder))
            return kRefused;
        name = fileName(folder, extension);
    }
    // Written beside the name; the file there stays until this one is kept.
    RemoveScratchLeftovers(name);
    const std::filesystem::path scratch = ScratchPathFor(name);
    m_writer = m_seams.makeWriter ? m_seams.makeWriter(format) : makeAudioFileWriter(format);
    const int32_t result = m_writer->begin(scratch, engineWaveFormat(m_seams.input.sampleRate()),
                                           m_settings.codec, m_settings.wmaFormat);
    if (result < 0) {
        writeLog("recorder: " + m_writer->beginError());
        m_writer.reset();
        dropScratchOutput(scratch);
        return result;
    }
    m_scratch = scratch;
    m_fileName = name;
    m_writtenThisRun.insert(name);
    m_files.push_back(name);
    return 0;
}

bool SongRecorder::outputFolder(std::filesystem::path& folder)
{
    if (m_settings.saveTo == RecorderSaveTo::SongFolder) {
        const CSongDoc* song = m_seams.songs.currentSong();
        folder = song != nullptr && !song->pathName.empty() ? song->pathName.parent_path()
                                                            : m_seams.set.setFolder();
        // An unsaved song outside a set has no folder of its own.
        if (folder.empty() || !folder.is_absolute()) {
            m_seams.prompt.message(kInvalidFolder, PromptIcon::Stop);
            return false;
        }
        return true;
    }
    std::string text = trimRight(m_settings.folder);
    if (!text.empty() && text.back() != '/')
        text += '/';
    m_settings.folder = text;
    folder = text;
    if (text.size() < 2 || !folder.is_absolute()) {
        m_seams.prompt.message(kInvalidFolder, PromptIcon::Stop);
        return false;
    }
    if (isFolder(folder))
        return true;
    if (m_seams.prompt.askOkCancel(kCreateFolder) != PromptAnswer::Ok)
        return false;
    if (!makeFolder(folder)) {
        m_seams.prompt.message(kCannotCreate, PromptIcon::Stop);
        return false;
    }
    return true;
}

// One level at a time from the root, so that a failure is found where it is.
bool SongRecorder::makeFolder(const std::filesystem::path& folder)
{
    std::filesystem::path level;
    for (const std::filesystem::path& part : folder.lexically_normal()) {
        level /= part;
        if (part.empty() || isFolder(level))
            continue;
        std::error_code error;
        std::filesystem::create_directory(level, error);
    }
    return isFolder(folder);
}

std::filesystem::path SongRecorder::fileName(const std::filesystem::path& folder,
                                             const char* extension) const
{
    std::string base;
    if (m_settings.usePrefix) {
        base = m_settings.prefix;
    } else if (const CSongDoc* song = m_seams.songs.currentSong()) {
        base = song->title.empty() ? song->pathName.stem().string() : song->title;
        SanitizeFileName(base);
    }
    if (base.empty())
        base = m_settings.prefix.empty() ? std::string("clip") : m_settings.prefix;
    const std::filesystem::path first = folder / (base + extension);
    // A prefix never replaces a file; a title replaces only earlier runs' files.
    const auto taken = [&](const std::filesystem::path& path) {
        return m_writtenThisRun.count(path) != 0 || (m_settings.usePrefix && fileExists(path));
    };
    if (!taken(first))
        return first;
    for (int n = 2;; ++n) {
        char text[32];
        std::snprintf(text, sizeof text, "_%d", n);
        const std::filesystem::path next = folder / (base + text + extension);
        if (!taken(next))
            return next;
    }
}

// ---- the timer ----

RecorderTick SongRecorder::tick()
{
    ++m_ticks;
    m_metersChanged = false;
    const bool wasWriting = m_writing;
    readAudio();
    if (wasWriting && !m_writing)
        return RecorderTick::Stopped; // a write failed and was reported
    if (!m_writing)
        return RecorderTick::Continue;
    if (m_settings.automation == RecorderAutomation::None) {
        showStatus();
        return RecorderTick::Continue;
    }
    CSongDoc* song = m_seams.songs.currentSong();
    if (!songDone(song)) {
        showStatus();
        return RecorderTick::Continue;
    }
    if (!m_fading) {
        m_seams.transport.Stop(false);
        m_fading = true;
        m_fadeStartMs = m_seams.clock.nowMs();
    }
    if (m_seams.clock.nowMs() - m_fadeStartMs < uint32_t(m_settings.fadeSeconds) * 1000u) {
        showStatus();
        return RecorderTick::Continue;
    }
    const uint64_t bytes = m_writer ? m_writer->fileBytes() : 0;
    finishFile();
    if (m_settings.automation == RecorderAutomation::CurrentSong)
        return RecorderTick::Finished;
    m_finishedTenths += fileTenths(bytes);
    if (!m_seams.set.StepSong() || m_seams.songs.currentSong() == nullptr)
        return RecorderTick::Finished;
    const int32_t result = openOutput();
    if (result < 0) {
        if (result != kRefused)
            m_seams.prompt.message(hexCode("Could not begin: %08x", result), PromptIcon::Stop);
        return RecorderTick::Stopped;
    }
    startNextSong();
    return RecorderTick::Continue;
}

// With "Current selection only" the recording ends at the selection's end,
// and the engine's end is lowered to it.
bool SongRecorder::songDone(CSongDoc* song)
{
    if (m_songEnded || song == nullptr)
        return true;
    if (!m_settings.currentSelectionOnly || !timeSelection(*song))
        return false;
    const int32_t end = song->selectionTo;
    if (end < 0 || end >= song->endTick)
        return false;
    NextStop stop = m_seams.transport.nextStop();
    if (stop.endTick > end) {
        stop.endTick = end;
        m_seams.transport.setNextStop(stop);
    }
    return song->position() >= end;
}

void SongRecorder::startNextSong()
{
    discardInput();
    m_songEnded = false;
    m_writing = true;
    m_seams.transport.Advance(m_settings.playThroughCues);
    m_fading = false;
}

void SongRecorder::readAudio()
{
    if (m_settings.alternateInput) {
        const uint8_t* data = nullptr;
        size_t size = 0;
        while (m_sampleRing.GetNext(&data, &size, nullptr)) {
            takePiece(data, size);
            m_sampleRing.GetNext(nullptr, nullptr, nullptr);
        }
        return;
    }
    uint8_t buffer[kReadBytes];
    while (const size_t n = m_diskWriter.Read(buffer, sizeof buffer))
        takePiece(buffer, n);
}

// Peaks in int: the magnitude of -32768 does not fit 16 bits.
void SongRecorder::takePiece(const uint8_t* bytes, size_t size)
{
    constexpr size_t kFrameBytes = 4;
    const size_t frames = size / kFrameBytes;
    int left = 0, right = 0;
    for (size_t f = 0; f < frames; ++f) {
        int16_t l, r;
        std::memcpy(&l, bytes + f * kFrameBytes, 2);
        std::memcpy(&r, bytes + f * kFrameBytes + 2, 2);
        left = std::max(left, std::abs(int(l)));
        right = std::max(right, std::abs(int(r)));
    }
    m_leftPeak = left;
    m_rightPeak = right;
    m_metersChanged = true;
    if (!m_writing || !m_writer || frames == 0)
        return;
    std::string reason;
    if (!m_writer->write({bytes, frames * kFrameBytes}, uint32_t(frames), reason))
        stopWriting(reason);
}

// A failed write ends the recording. The file takes its name when it was
// finished whole; what a failure left takes it only where no file had that
// name, so an earlier file is never replaced by a broken one.
bool SongRecorder::stopWriting(const std::string& failure)
{
    m_writing = false;
    std::string reason = failure;
    bool whole = failure.empty();
    if (m_writer && m_writer->isOpen() && !m_writer->end(reason)) {
        whole = false;
        if (reason.empty())
            reason = "The file could not be finished.";
    }
    m_writer.reset();
    bool kept = false;
    if (!m_scratch.empty()) {
        std::string why;
        if (whole || !fileExists(m_fileName))
            kept = keepScratchOutput(m_scratch, m_fileName, why);
        else
            dropScratchOutput(m_scratch);
        if (!kept && reason.empty())
            reason = why;
        if (!kept)
            std::erase(m_files, m_fileName);
        m_scratch.clear();
    }
    if (reason.empty())
        return kept;
    if (m_settings.automation != RecorderAutomation::None)
        m_seams.transport.Stop(false);
    m_seams.prompt.message("Recording stopped: " + m_fileName.string() + ": " + reason, PromptIcon::Stop);
    return kept;
}

void SongRecorder::finishFile()
{
    if (stopWriting({}) && m_settings.saveTo == RecorderSaveTo::NewWaveTrack)
        addWaveTrack(m_fileName);
}

void SongRecorder::addWaveTrack(const std::filesystem::path& file)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (song == nullptr || song->tracks.empty())
        return;
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = file.string();
    clip->number = 1;
    CMidiEvent event;
    event.tick = song->position();
    event.SetClip(std::move(clip));
    auto track = std::make_unique<CTrack>();
    track->type = kWaveTrack;
    track->name = kTrackName;
    track->events.push_back(std::move(event));
    auto tracks = std::make_unique<CTrackList>();
    tracks->add(std::move(track));
    tracks->targetRows = {uint32_t(song->tracks.size() - 1)};
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackList;
    record->label = kTrackLabel;
    record->tracks = std::move(tracks);
    song->ApplyEdit(std::move(record));
}

int32_t SongRecorder::fileTenths(uint64_t bytes)
{
    return int32_t((bytes + 52428) / 1024 * 10 / 1024);
}

int32_t SongRecorder::sizeTenths() const
{
    return m_finishedTenths + (m_writer ? fileTenths(m_writer->fileBytes()) : 0);
}

// Every tenth tick: half a second.
void SongRecorder::showStatus()
{
    if (m_ticks % 10 != 0)
        return;
    const uint32_t elapsed = (m_seams.clock.nowMs() - m_startMs) / 1000;
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02u:%02u:%02u", elapsed / 3600, elapsed / 60 % 60, elapsed % 60);
    const int32_t tenths = sizeTenths();
    char text[96];
    std::snprintf(text, sizeof text, "Elapsed: %s       %d.%01d MB", clock, tenths / 10, tenths % 10);
    m_status = text;
}

void SongRecorder::cancel()
{
    if (!m_writing)
        return;
    stopWriting({});
    if (m_settings.automation == RecorderAutomation::None
        && m_settings.saveTo == RecorderSaveTo::NewWaveTrack) {
        m_seams.transport.Stop(false);
        addWaveTrack(m_fileName);
    } else if (m_settings.automation != RecorderAutomation::None) {
        m_seams.transport.Stop(false);
    }
}

} // namespace rz
