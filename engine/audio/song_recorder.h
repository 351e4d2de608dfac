#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/audio/audio_file_writer.h"
#include "engine/audio/sample_grabber.h"
#include "engine/audio/wave_disk_writer.h"

namespace rz {

class CAudioGrabber;
class CSongDoc;
class ICurrentSongHost;
class IMsClock;
class IProfile;
class IPrompt;
class ISongFilesHost;
class ITransportLink;

// How far the recorder drives playback.
enum class RecorderAutomation : int32_t {
    None = 0,        // "Do not automate song play"
    CurrentSong = 1, // "Record current song only"
    EntireSet = 2,   // "Record entire set"
};

// Where each recording goes.
enum class RecorderSaveTo : int32_t {
    SongFolder = 0,    // "Song folder"
    OtherFolder = 1,   // "Another folder:"
    NewWaveTrack = 2,  // "New waveform track(s)"
};

// The recorder's choices; all but the selection flag are the "M2DA" values.
struct SongRecorderSettings {
    bool alternateInput = false;                               // "altin"
    int32_t fadeSeconds = 2;                                   // "fadetime", 0..5
    int32_t gain = 7000;                                       // "audio_gain", 0..10000
    std::string deviceName;                                    // "audio_name"
    std::string inputName = "Microphone";                      // "audio_input"
    RecorderAutomation automation = RecorderAutomation::CurrentSong; // "automation"
    bool playThroughCues = true;                               // "audio_nocues"
    int32_t codec = -1;                                        // "audio_codec"
    int32_t wmaFormat = 0;                                     // "audio_format"
    AudioFileFormat fileFormat = AudioFileFormat::Wav;         // "audio_compress"
    RecorderSaveTo saveTo = RecorderSaveTo::SongFolder;        // "audio_mypath"
    std::string folder;                                        // "audio_path"
    bool usePrefix = false;                                    // "myfilename"
    std::string prefix = "clip";                               // "filename"
    bool currentSelectionOnly = false;                         // not stored

    // "audio_path" defaults to the documents folder.
    static SongRecorderSettings load(const IProfile& profile, const std::filesystem::path& documents);
    // Writes the values in their fixed order.
    void save(IProfile& profile) const;
    // Clips are wave files, so recordings for new waveform tracks are too.
    AudioFileFormat effectiveFormat() const
    {
        return saveTo == RecorderSaveTo::NewWaveTrack ? AudioFileFormat::Wav : fileFormat;
    }
};

// The set as the recorder steps through it. GUI thread.
class IRecorderSet {
public:
    virtual ~IRecorderSet() = default;
    virtual bool setOpen() const = 0;
    virtual std::filesystem::path setFolder() const = 0;
    // Makes the set's song at `index` current; null when it cannot be opened.
    virtual CSongDoc* SelectSongByIndex(size_t index) = 0;
    // Makes the next song current; false at the end of the set.
    virtual bool StepSong() = 0;
};

// The engine's audio input. GUI thread.
class IRecorderInput {
public:
    virtual ~IRecorderInput() = default;
    // The engine's rate; its format is 16-bit stereo.
    virtual uint32_t sampleRate() const = 0;
    // Feeds the engine's input to the sink: the buffered capture engine
    // opened in 44100 Hz 16-bit stereo and started, or the low-latency
    // device's input sink. False when the engine has no input.
    virtual bool attach(CWaveDiskWriter& sink) = 0;
    // Detaches the sink and closes the capture engine; nothing when none.
    virtual void release() = 0;
};

struct SongRecorderSeams {
    IProfile& profile;
    IPrompt& prompt;
    ITransportLink& transport;
    ICurrentSongHost& songs;
    ISongFilesHost& files;
    IRecorderSet& set;
    IRecorderInput& input;
    IMsClock& clock;
    std::filesystem::path documentsFolder;
    // Makes the file writers; null: makeAudioFileWriter.
    std::function<std::unique_ptr<IAudioFileWriter>(AudioFileFormat)> makeWriter;
    // The capture devices and a device's inputs; null: the machine's
    // (CAudioGrabber), which loads ALSA's plug-ins and asks the JACK server.
    std::function<std::vector<std::string>()> deviceNames = nullptr;
    std::function<std::vector<std::string>(const std::string&)> inputNamesOf = nullptr;
};

// Which controls the dialog enables.
struct RecorderEnabling {
    bool currentSongChoice = true;  // "Record current song only"
    bool entireSetChoice = true;    // "Record entire set"
    bool songFolderChoice = true;   // "Song folder"
    bool captureControls = false;   // device, input, gain
    bool wmaChoice = true;          // the Windows Media Audio radio
    bool wmaLists = false;          // codec and format
    bool folderControls = false;    // folder edit and browse button
    bool usePrefixCheck = true;
    bool prefixEdit = false;
    bool fadeControls = false;      // fade-out edit and spin, "Play through cues"
    bool selectionOnlyCheck = false;
};

// What a timer tick asks of the dialog.
enum class RecorderTick {
    Continue,
    Finished, // end the dialog with OK
    Stopped,  // stop the timer: a failure has been reported
};

// The real-time song recorder without its window: it plays the current song
// or every song of the set through the engine and records the engine's audio
// input (or an input of a capture device) into one file per song. The
// dialog calls it on the GUI thread: open, the choices, begin, tick every
// 50 ms, songEnded when the song in play ends, cancel and close.
class SongRecorder {
public:
    static constexpr uint32_t kTickMs = 50;
    static constexpr size_t kReadBytes = 512;
    static constexpr int kFullScale = 32767;

    explicit SongRecorder(const SongRecorderSeams& seams);
    ~SongRecorder();
    SongRecorder(const SongRecorder&) = delete;
    SongRecorder& operator=(const SongRecorder&) = delete;

    // Reads the settings, settles the choices the set and song allow, lists
    // the capture devices, then attaches the input.
    void open();
    // Stops writing, tears the capture down and releases the engine's input.
    void close();

    SongRecorderSettings& settings() { return m_settings; }
    const SongRecorderSettings& settings() const { return m_settings; }
    RecorderEnabling enabling() const;
    // Whether the current song has a time selection ("Current selection only").
    bool songHasTimeSelection() const;

    // The capture devices and the inputs of the chosen one; an input the
    // device lacks gives way to its first.
    void loadDevices();
    const std::vector<std::string>& deviceNames() const { return m_devices; }
    std::vector<std::string> inputNames() const;
    void chooseDevice(const std::string& name);
    // Takes the input's stored level as gain and, with the alternate input
    // on, rebuilds the capture; a failure is reported ("Audio: %08x").
    void chooseInput(const std::string& name);
    void setGain(int32_t gain);
    // Switches between the engine's input and the capture device.
    void setAlternateInput(bool on);

    // Starts recording; false (with a message) when nothing started, also
    // when there is no audio input to record from.
    bool begin();
    RecorderTick tick();
    // The song in play has ended.
    void songEnded() { m_songEnded = true; }
    bool songHasEnded() const { return m_songEnded; }
    // Stop or Cancel: ends any recording; the file written so far stays.
    void cancel();

    bool writing() const { return m_writing; }
    int leftPeak() const { return m_leftPeak; }
    int rightPeak() const { return m_rightPeak; }
    bool leftMeterRed() const { return m_leftPeak >= kFullScale; }
    bool metersChanged() const { return m_metersChanged; }
    // "Elapsed: ..." once shown; empty before.
    const std::string& statusText() const { return m_status; }
    // The files written in this run, in order.
    const std::vector<std::filesystem::path>& files() const { return m_files; }
    // Finished files plus the current one, tenths of a megabyte.
    int32_t sizeTenths() const;

private:
    // Opens the next file; 0, a negative code, or kRefused after a message.
    int32_t openOutput();
    bool outputFolder(std::filesystem::path& folder);
    bool makeFolder(const std::filesystem::path& folder);
    std::filesystem::path fileName(const std::filesystem::path& folder, const char* extension) const;
    void readAudio();
    void takePiece(const uint8_t* bytes, size_t size);
    void finishFile();
    void addWaveTrack(const std::filesystem::path& file);
    void showStatus();
    bool songDone(CSongDoc* song);
    void startNextSong();
    void discardInput();
    void attachInput();
    void releaseInput();
    int32_t buildCapture();
    // True when the file took its name.
    bool stopWriting(const std::string& failure);
    bool inputUsable();
    static int32_t fileTenths(uint64_t bytes);

    SongRecorderSeams m_seams;
    SongRecorderSettings m_settings;
    bool m_currentSongChoice = true;
    bool m_entireSetChoice = true;
    bool m_songFolderChoice = true;

    std::vector<std::string> m_devices;
    std::map<std::string, std::map<std::string, int32_t>> m_levels; // device -> input -> level

    CWaveDiskWriter m_diskWriter; // the engine's input sink, drained here
    CSampleGrabberCB m_sampleRing;
    std::unique_ptr<CAudioGrabber> m_grabber;
    bool m_inputAttached = false;

    std::unique_ptr<IAudioFileWriter> m_writer;
    std::filesystem::path m_fileName; // where the file goes
    std::filesystem::path m_scratch;  // what is written, beside it
    std::vector<std::filesystem::path> m_files;
    std::set<std::filesystem::path> m_writtenThisRun;
    bool m_writing = false;
    bool m_songEnded = false;
    uint32_t m_startMs = 0;
    uint32_t m_fadeStartMs = 0;
    bool m_fading = false;
    int32_t m_finishedTenths = 0;
    uint32_t m_ticks = 0;
    int m_leftPeak = 0;
    int m_rightPeak = 0;
    bool m_metersChanged = false;
    std::string m_status;
};

} // namespace rz
