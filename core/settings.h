#pragma once

#include "core/profile.h"

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

enum class SettingType { Int, Text, Binary };

// One profile value: where it is stored, what it holds, what it reads as when
// absent, and the range a stored number is clamped to on reading. A section or
// key holding "{}" names a family of values ("PortsToUse\MIDIOUT\{}"); the
// caller gives the part that fills it.
struct Setting {
    const char* name; // the row's name in code, for messages and tests
    std::string_view section;
    std::string_view key;
    SettingType type = SettingType::Int;
    int32_t defaultValue = 0;
    int32_t min = 0;
    int32_t max = 0;
    std::string_view defaultText;
};

namespace settings {

inline constexpr int32_t kLo = std::numeric_limits<int32_t>::min();
inline constexpr int32_t kHi = std::numeric_limits<int32_t>::max();

// Every value the program keeps in its profile, one row each:
// X(name, section, key, type, default, min, max, default text).
// A range of kLo..kHi is left to the reader, which checks the value itself
// where a bad one falls back to the default rather than to the nearest end.
// Text rows whose default depends on the machine (a documents folder) hold ""
// and the reader gives the fallback.
// clang-format off
#define RZ_SETTINGS(X) \
    X(TipStartUp,               "Tip", "StartUp",   Int,  0, 0, 1, "") \
    X(TipFilePos,               "Tip", "FilePos",   Int,  0, kLo, kHi, "") \
    X(TipTimeStamp,             "Tip", "TimeStamp", Text, 0, 0, 0, "") \
    X(SongTimebase,             "SongDefaults", "Timebase",     Int, 120, kLo, kHi, "") \
    X(SongFormat,               "SongDefaults", "Format",       Int, 1, kLo, kHi, "") \
    X(SongSpecifyTempo,         "SongDefaults", "SpecifyTempo", Int, 0, kLo, kHi, "") \
    X(SongInitialTempo,         "SongDefaults", "InitialTempo", Int, 500000, kLo, kHi, "") \
    X(SongRelVolume,            "SongDefaults", "RelVolume",    Int, 0, -64, 64, "") \
    X(SongAuthor,               "SongDefaults", "Author",       Text, 0, 0, 0, "") \
    X(SongCopyright,            "SongDefaults", "Copyright",    Text, 0, 0, 0, "") \
    X(SongMemo,                 "SongDefaults", "Memo",         Text, 0, 0, 0, "") \
    X(SongSubTitle,             "SongDefaults", "SubTitle",     Text, 0, 0, 0, "") \
    X(SaveRename,               "SaveOptions", "Rename",        Int, 1, kLo, kHi, "") \
    X(SaveLayout,               "SaveOptions", "SaveLayout",    Int, 0, kLo, kHi, "") \
    X(SaveBackups,              "SaveOptions", "Backups",       Int, 0, kLo, kHi, "") \
    X(OpenRecallLayout,         "OpenOptions", "RecallLayout",  Int, 0, kLo, kHi, "") \
    X(OpenSplitPatches,         "OpenOptions", "SplitPatches",  Int, 0, kLo, kHi, "") \
    X(OpenWarnFormat,           "OpenOptions", "WarnFormat",    Int, 1, kLo, kHi, "") \
    X(PortOutDrums,             "PortsToUse\\MIDIOUT\\{}", "drums", Int, 0, kLo, kHi, "") \
    X(PortOutSynth,             "PortsToUse\\MIDIOUT\\{}", "synth", Int, -1, kLo, kHi, "") \
    X(PortOutName,              "PortsToUse\\MIDIOUT\\{}", "port",  Text, 0, 0, 0, "") \
    X(PortInName,               "PortsToUse", "MIDIIN{}",      Text, 0, 0, 0, "") \
    X(SetMaxSetSize,            "SetOptions", "MaxSetSize",     Int, 80, 0, 500, "") \
    X(SetExpandCollapse,        "SetOptions", "ExpandCollapse", Int, 1, kLo, kHi, "") \
    X(DisplayViewSetTime,       "DisplayOptions", "ViewSetTime", Int, 0, 0, 2, "") \
    X(FollowTapEnabled,         "FollowTap", "Enabled",         Int, 0, kLo, kHi, "") \
    X(FollowTapPause,           "FollowTap", "Pause",           Int, 0, kLo, kHi, "") \
    X(FollowTapWindow,          "FollowTap", "Window",          Int, 20, kLo, kHi, "") \
    X(FollowTapEnableTempoMod,  "FollowTap", "EnableTempoMod",  Int, 1, kLo, kHi, "") \
    X(FollowTapModStrength,     "FollowTap", "ModStrength",     Int, 50, kLo, kHi, "") \
    X(FollowTapEnableJumpF,     "FollowTap", "EnableJumpF",     Int, 1, kLo, kHi, "") \
    X(FollowTapEnableJumpB,     "FollowTap", "EnableJumpB",     Int, 1, kLo, kHi, "") \
    X(FollowTapJumpStrength,    "FollowTap", "JumpStrength",    Int, 80, kLo, kHi, "") \
    X(FollowTapEnableTempoNorm, "FollowTap", "EnableTempoNorm", Int, 0, kLo, kHi, "") \
    X(FollowTapReturnRate,      "FollowTap", "ReturnRate",      Int, 10, kLo, kHi, "") \
    X(FollowTapUseAverage,      "FollowTap", "UseAverage",      Int, 0, kLo, kHi, "") \
    X(FollowTapAveStrength,     "FollowTap", "AveStrength",     Int, 50, kLo, kHi, "") \
    X(ClickEnabled,             "ClickOptions", "Enabled", Int, 0, kLo, kHi, "") \
    X(ClickRecord,              "ClickOptions", "Record",  Int, 1, kLo, kHi, "") \
    X(ClickClick1,              "ClickOptions", "Click1",  Int, 0x7F2599, kLo, kHi, "") \
    X(ClickClick2,              "ClickOptions", "Click2",  Int, 0x642599, kLo, kHi, "") \
    X(ClickPatch,               "ClickOptions", "Patch",   Int, 0, kLo, kHi, "") \
    X(ClickLead,                "ClickOptions", "Lead",    Int, 0, kLo, kHi, "") \
    X(ClickDevice,              "ClickOptions", "Device",  Int, 0, kLo, kHi, "") \
    X(RecordFollowTempo,        "RecordOptions", "FollowTempo",  Int, 1, kLo, kHi, "") \
    X(RecordEcho,               "RecordOptions", "Echo",         Int, 1, kLo, kHi, "") \
    X(RecordCountIn,            "RecordOptions", "CountIn",      Int, 1, kLo, kHi, "") \
    X(RecordEventFilter,        "RecordOptions", "EventFilter",  Int, 0xDB00, kLo, kHi, "") \
    X(RecordMode,               "RecordOptions", "Mode",         Int, 0, kLo, kHi, "") \
    X(RecordStepSize,           "RecordOptions", "StepSize",     Int, 0, kLo, kHi, "") \
    X(RecordStepDot,            "RecordOptions", "StepDot",      Int, 0, kLo, kHi, "") \
    X(RecordStepVelocity,       "RecordOptions", "StepVelocity", Int, 0, 0, 127, "") \
    X(RecordStepDuration,       "RecordOptions", "StepDuration", Int, 0, kLo, kHi, "") \
    X(PlaybackAdvancePlay,      "PlaybackOptions", "AdvancePlay",     Int, 0, kLo, kHi, "") \
    X(PlaybackAdvanceWait,      "PlaybackOptions", "AdvanceWait",     Int, 1000, kLo, kHi, "") \
    X(PlaybackAdvanceReset,     "PlaybackOptions", "AdvanceReset",    Int, 2, kLo, kHi, "") \
    X(PlaybackTimerSource,      "PlaybackOptions", "TimerSource",     Int, 0, kLo, kHi, "") \
    X(PlaybackTimerResolution,  "PlaybackOptions", "TimerResolution", Int, 2, 1, 1000, "") \
    X(PlaybackOutputLatency,    "PlaybackOptions", "OutputLatency",   Int, 0, 0, 1000, "") \
    X(SyncPort,                 "SyncOptions", "Port",        Int, 0, kLo, kHi, "") \
    X(SyncProtocol,             "SyncOptions", "Protocol",    Int, 0, kLo, kHi, "") \
    X(SyncMasterSlave,          "SyncOptions", "MasterSlave", Int, 0, kLo, kHi, "") \
    X(SyncSmpte,                "SyncOptions", "SMPTE",       Int, 3, kLo, kHi, "") \
    X(KeyMapEnabled,            "KeyMap", "Enabled",  Int, 1, kLo, kHi, "") \
    X(KeyMapUseWhich,           "KeyMap", "UseWhich", Text, 0, 0, 0, "MIDI") \
    X(KeyMapBytes,              "KeyMap", "{}",       Binary, 0, 0, 0, "") \
    X(AccelMapEnabled,          "AccelMap4", "Enabled",  Int, 1, kLo, kHi, "") \
    X(AccelMapUseWhich,         "AccelMap4", "UseWhich", Text, 0, 0, 0, "Default") \
    X(AccelMapBytes,            "AccelMap4", "{}",       Binary, 0, 0, 0, "") \
    X(DirsAccelMaps,            "Dirs", "Accelmaps",     Text, 0, 0, 0, "") \
    X(DirsKeyMaps,              "Dirs", "Keymaps",       Text, 0, 0, 0, "") \
    X(FindPresetsUseWhich,      "FindPresets", "UseWhich", Text, 0, 0, 0, "Default") \
    X(FindPresetsBytes,         "FindPresets", "{}",       Binary, 0, 0, 0, "") \
    X(DirsGraphics,             "Dirs", "Graphics",      Text, 0, 0, 0, "") \
    X(RecentSet,                "Recent File List", "File{}",     Text, 0, 0, 0, "") \
    X(RecentSong,               "Recent Song List", "Song{}",     Text, 0, 0, 0, "") \
    X(RecentFilter,             "Recent Filter List", "Filter{}", Text, 0, 0, 0, "") \
    X(SequencerOptions,         "Sequencer", "Options",  Int, 2, kLo, kHi, "") \
    X(SequencerPTempoCh,        "Sequencer", "PTempoCh", Int, -1, kLo, kHi, "") \
    X(DefaultsVolume,           "Defaults", "Volume", Int, 16383, 0, 16383, "") \
    X(DefaultsInsertTsmooth,    "Defaults", "InsertTsmooth",   Int, 0, 0, 1, "") \
    X(DefaultsInsertTreturn,    "Defaults", "InsertTreturn",   Int, 0, 0, 1, "") \
    X(DefaultsTempoAlign,       "Defaults", "TempoAlign",      Int, 0, 0, 1, "") \
    X(DefaultsTempoResolution,  "Defaults", "TempoResolution", Int, 0, 0, 11, "") \
    X(DefaultsTempoPlayMIDI,    "Defaults", "TempoPlayMIDI",   Int, 0, 0, 1, "") \
    X(DefaultsTempoPlayAudio,   "Defaults", "TempoPlayAudio",  Int, 0, 0, 1, "") \
    X(DefaultsInsertChordNotes, "Defaults", "InsertChordNotes", Int, 0, 0, 2, "") \
    X(InsertEventType,          "InsertEvent", "Type",         Int, 2, 0, 9, "") \
    X(InsertEventNumber,        "InsertEvent", "{}Number",     Int, 0, kLo, kHi, "") \
    X(InsertEventValue,         "InsertEvent", "{}Value",      Int, 0, kLo, kHi, "") \
    X(AudioEnable,              "AudioOptions", "RTenable",    Int, 0, kLo, kHi, "") \
    X(AudioOutput,              "AudioOptions", "RToutput",    Int, 0, kLo, kHi, "") \
    X(AudioInput,               "AudioOptions", "RTinput",     Int, 0, kLo, kHi, "") \
    X(AudioPassthrough,         "AudioOptions", "Passthrough", Int, 1, kLo, kHi, "") \
    X(AudioBuffer,              "AudioOptions", "RTbuffer",    Int, 2205, kLo, kHi, "") \
    X(AudioRate,                "AudioOptions", "RTrate",      Int, 44100, kLo, kHi, "") \
    X(AudioLowLatency,          "AudioOptions", "RTasio",      Int, 0, kLo, kHi, "") \
    X(AudioOutputDevice,        "AudioOptions", "RTdevice",    Int, 0, kLo, kHi, "") \
    X(AudioInputDevice,         "AudioOptions", "RECdevice",   Int, 0, kLo, kHi, "") \
    X(AudioOutputDeviceName,    "AudioOptions", "RTclsid",     Text, 0, 0, 0, "") \
    X(AudioInputDeviceName,     "AudioOptions", "RECclsid",    Text, 0, 0, 0, "") \
    X(AudioInputChannel,        "AudioOptions", "AsioChnIn",   Text, 0, 0, 0, "") \
    X(AudioOutputChannel,       "AudioOptions", "AsioChnOut",  Text, 0, 0, 0, "") \
    X(InputThru,                "MIDIInPorts", "{}",           Text, 0, 0, 0, "") \
    X(InstrumentPath,           "VST\\{}", "path",             Text, 0, 0, 0, "") \
    X(InstrumentName,           "VST\\{}", "name",             Text, 0, 0, 0, "") \
    X(DirsInstruments,          "Dirs", "VST",                 Text, 0, 0, 0, "") \
    X(DirsAudioFiles,           "Dirs", "AudioFiles",          Text, 0, 0, 0, "") \
    X(MixCodec,                 "WaveMixer", "codec",      Int, -1, kLo, kHi, "") \
    X(MixFormat,                "WaveMixer", "format",     Int, 0, kLo, kHi, "") \
    X(MixWmaFormat,             "WaveMixer", "wma_format", Int, 0, kLo, kHi, "") \
    X(MixSaveTo,                "WaveMixer", "saveto",     Int, 0, kLo, kHi, "") \
    X(MixPath,                  "WaveMixer", "path",       Text, 0, 0, 0, "") \
    X(RecorderAltIn,            "M2DA", "altin",          Int, 0, kLo, kHi, "") \
    X(RecorderFadeTime,         "M2DA", "fadetime",       Int, 2, 0, 5, "") \
    X(RecorderGain,             "M2DA", "audio_gain",     Int, 7000, 0, 10000, "") \
    X(RecorderDeviceName,       "M2DA", "audio_name",     Text, 0, 0, 0, "") \
    X(RecorderInputName,        "M2DA", "audio_input",    Text, 0, 0, 0, "Microphone") \
    X(RecorderAutomation,       "M2DA", "automation",     Int, 1, 0, 2, "") \
    X(RecorderNoCues,           "M2DA", "audio_nocues",   Int, 1, kLo, kHi, "") \
    X(RecorderCodec,            "M2DA", "audio_codec",    Int, -1, kLo, kHi, "") \
    X(RecorderWmaFormat,        "M2DA", "audio_format",   Int, 0, kLo, kHi, "") \
    X(RecorderCompress,         "M2DA", "audio_compress", Int, 0, kLo, kHi, "") \
    X(RecorderSaveTo,           "M2DA", "audio_mypath",   Int, 0, 0, 2, "") \
    X(RecorderFolder,           "M2DA", "audio_path",     Text, 0, 0, 0, "") \
    X(RecorderUsePrefix,        "M2DA", "myfilename",     Int, 0, kLo, kHi, "") \
    X(RecorderPrefix,           "M2DA", "filename",       Text, 0, 0, 0, "clip") \
    X(SoundfontDirs,            "Soundfonts", "Dirs",     Text, 0, 0, 0, "") \
    X(DirsLyrics,               "Dirs", "Lyrics",         Text, 0, 0, 0, "") \
    X(TrackColumnWidth,         "TrackView", "ColumnWidth", Text, 0, 0, 0, "") \
    X(TrackColumnOrder,         "TrackView", "ColumnOrder", Text, 0, 0, 0, "") \
    X(TrackCatSortPatches,      "TrackView", "CatSortPatches", Int, 0, 0, 1, "") \
    X(EventColumnWidth,         "EventView", "ColumnWidth", Text, 0, 0, 0, "") \
    X(DisplayXZoom,             "DisplayOptions", "XZoom",      Int, 3, 0, 8, "") \
    X(DisplayXZoomPiano,        "DisplayOptions", "XZoomPiano", Int, 3, 0, 8, "") \
    X(DisplayXZoomTime,         "DisplayOptions", "XZoomTime",  Int, 4, 0, 9, "") \
    X(DisplayYZoom,             "DisplayOptions", "YZoom",      Int, 2, 0, 10, "") \
    X(DisplayFZoom,             "DisplayOptions", "FZoom",      Int, 2, 0, 10, "") \
    X(DisplayPianoZoom,         "DisplayOptions", "PianoZoom",  Int, 10, kLo, kHi, "") \
    X(AlwaysOnTop,              "OSoptions", "alwaysontop",     Int, 0, kLo, kHi, "") \
    X(NewSongDefPath,           "SaveOptions", "DefPath",       Int, 0, kLo, kHi, "") \
    X(NewSongPath,              "SaveOptions", "Path",          Text, 0, 0, 0, "") \
    X(NewSongTemplate,          "SaveOptions", "Template",      Int, 1, kLo, kHi, "") \
    X(Macro,                    "Macros", "{}",                 Text, 0, 0, 0, "") \
    X(LyricCenter,              "LyricView", "Center",     Int, 0, kLo, kHi, "") \
    X(LyricStretch,             "LyricView", "Stretch",    Int, 0, 0, 2, "") \
    X(LyricGraphic,             "LyricView", "Graphic",    Int, 0, kLo, kHi, "") \
    X(LyricPaginate,            "LyricView", "Paginate",   Int, 0, kLo, kHi, "") \
    X(LyricGfxPath,             "LyricView", "GfxPath",    Text, 0, 0, 0, "") \
    X(LyricColor,               "LyricView", "Color",      Int, 0, kLo, kHi, "") \
    X(LyricColor2,              "LyricView", "Color2",     Int, 0, kLo, kHi, "") \
    X(LyricBackcolor,           "LyricView", "Backcolor",  Int, 0xFFFFFF, kLo, kHi, "") \
    X(LyricBackcolor2,          "LyricView", "Backcolor2", Int, 0x00FFFF, kLo, kHi, "") \
    X(LyricFontHeight,          "LyricView", "FontHeight", Int, -24, kLo, kHi, "") \
    X(LyricFontWeight,          "LyricView", "FontWeight", Int, 400, 100, 900, "") \
    X(LyricFontName,            "LyricView", "FontName",   Text, 0, 0, 0, "Times New Roman") \
    X(LyricX,                   "LyricView", "X",          Int, 0, kLo, kHi, "") \
    X(LyricY,                   "LyricView", "Y",          Int, 0, kLo, kHi, "") \
    X(LyricCX,                  "LyricView", "CX",         Int, 500, kLo, kHi, "") \
    X(LyricCY,                  "LyricView", "CY",         Int, 500, kLo, kHi, "") \
    X(LyricMaximized,           "LyricView", "Maximized",  Int, 0, kLo, kHi, "") \
    X(WindowMaximized,          "WindowMetrics", "Maximized", Int, 0, kLo, kHi, "") \
    X(WindowLeft,               "WindowMetrics", "Left",      Int, 0, kLo, kHi, "") \
    X(WindowTop,                "WindowMetrics", "Top",       Int, 0, kLo, kHi, "") \
    X(WindowWidth,              "WindowMetrics", "Width",     Int, 0, kLo, kHi, "") \
    X(WindowHeight,             "WindowMetrics", "Height",    Int, 0, kLo, kHi, "") \
    X(DirsSongs,                "Dirs", "MidiFiles",          Text, 0, 0, 0, "") \
    X(DirsOpen,                 "Dirs", "DRFiles",            Text, 0, 0, 0, "") \
    X(DisplayAudioFace,         "DisplayOptions", "AudioFace",    Int, 0, kLo, kHi, "") \
    X(DisplayBouncingBall,      "DisplayOptions", "BouncngBall",  Int, 1, kLo, kHi, "") \
    X(DisplaySmoothScroll,      "DisplayOptions", "SmoothScroll", Int, 1, kLo, kHi, "") \
    X(TempoViewZoom,            "DisplayOptions", "TempoZoom",    Int, 50, kLo, kHi, "") \
    X(TempoViewYOffset,         "DisplayOptions", "TempoYOffset", Int, 0, kLo, kHi, "") \
    X(ControlViewZoom,          "DisplayOptions", "ControlZoom",  Int, 50, kLo, kHi, "") \
    X(ControlViewYOffset,       "DisplayOptions", "ControlYOffset", Int, 0, kLo, kHi, "") \
    X(SliderChoice,             "SliderOptions", "CCView",       Int, 0x0BB0, kLo, kHi, "") \
    X(DisplayCueColor,          "DisplayOptions", "CueColor{}",   Int, 0, kLo, kHi, "") \
    X(StaffFontFace,            "StaffView", "{}Font",        Text, 0, 0, 0, "") \
    X(StaffFontHeight,          "StaffView", "{}Height",      Int, -24, kLo, kHi, "") \
    X(StaffFontWeight,          "StaffView", "{}Weight",      Int, 400, kLo, kHi, "") \
    X(LyricTool,                "LyricView", "Tool",              Int, 0, kLo, kHi, "") \
    X(NoScreenSave,             "OSoptions", "noscreensave",      Int, 0, kLo, kHi, "") \
    X(NoSuspend,                "OSoptions", "nosuspend",         Int, 0, kLo, kHi, "") \
    X(OpenAutoProps,            "OpenOptions", "AutoProps",       Int, 1, kLo, kHi, "") \
    X(SaveAutoSave,             "SaveOptions", "AutoSave",        Int, 0, kLo, kHi, "") \
    X(SaveAutoSaveMin,          "SaveOptions", "AutoSaveMin",     Int, 10, 1, kHi, "") \
    X(StaffGrid,                "StaffView", "Grid",          Int, 1, kLo, kHi, "") \
    X(StaffLine,                "StaffView", "Line",          Int, 0, kLo, kHi, "") \
    X(StaffTool,                "StaffView", "Tool",          Int, 0, kLo, kHi, "") \
    X(StaffNoteType,            "StaffView", "NoteType",      Int, 2, kLo, kHi, "") \
    X(StaffNoteDotted,          "StaffView", "NoteDotted",    Int, 0, kLo, kHi, "") \
    X(StaffNoteTriplet,         "StaffView", "NoteTriplet",   Int, 0, kLo, kHi, "") \
    X(StaffNoteAccidents,       "StaffView", "NoteAccidents", Int, 0, kLo, kHi, "") \
    X(StaffFill,                "StaffView", "Fill",          Int, 1, kLo, kHi, "") \
    X(StaffTrim,                "StaffView", "Trim",          Int, 1, kLo, kHi, "") \
    X(StaffResolution,          "StaffView", "Resolution",    Int, 1, kLo, kHi, "") \
    X(StaffPrintSize,           "StaffOptions", "PrintStaffSize", Int, 3, kLo, kHi, "") \
    X(StaffZoomY,               "StaffView", "ZoomY",         Int, 2, 0, 9, "") \
    X(LeadZoomY,                "LeadView", "ZoomY",          Int, 2, 0, 9, "") \
    X(StartAutoOpen,            "StartupOptions", "AutoOpen",        Int, 1, kLo, kHi, "") \
    X(StartAutoOpenPath,        "StartupOptions", "AutoOpenPath",    Text, 0, 0, 0, "") \
    X(StartCheckForUpdates,     "StartupOptions", "CheckForUpdates", Int, 1, kLo, kHi, "") \
    X(StartFileTypes,           "StartupOptions", "FileTypes",       Int, 1, kLo, kHi, "")
// clang-format on

#define RZ_SETTING_ROW(id, section, key, type, def, lo, hi, text) \
    inline constexpr Setting k##id{#id, section, key, SettingType::type, def, lo, hi, text};
RZ_SETTINGS(RZ_SETTING_ROW)
#undef RZ_SETTING_ROW

} // namespace settings

// Every row of the table.
std::span<const Setting> allSettings();

// The row's section and key with "{}" replaced by the given part.
std::string settingSection(const Setting& row, std::string_view part = {});
std::string settingKey(const Setting& row, std::string_view part = {});

// An Int row's stored number clamped to its range, or its default.
int32_t readSetting(const IProfile& profile, const Setting& row, std::string_view part = {});
// The same with the fallback the caller gives, for rows whose value when
// absent is the one the program holds now (a zoom set by the last view).
int32_t readSettingOr(const IProfile& profile, const Setting& row, int32_t fallback,
                      std::string_view part = {});
void writeSetting(IProfile& profile, const Setting& row, int32_t value, std::string_view part = {});
// The stored number as it is, not clamped: the Options pages show a value
// edited by hand out of range, to be mended before OK.
int32_t readSettingAsStored(const IProfile& profile, const Setting& row, int32_t fallback,
                            std::string_view part = {});

// A Text row's stored text, or its default (or the fallback the caller gives
// for rows whose default is found at run time).
std::string readSettingText(const IProfile& profile, const Setting& row, std::string_view part = {});
std::string readSettingTextOr(const IProfile& profile, const Setting& row,
                              std::string_view fallback, std::string_view part = {});
void writeSettingText(IProfile& profile, const Setting& row, std::string_view value,
                      std::string_view part = {});

// A Binary row's stored bytes, or nothing.
std::optional<std::vector<uint8_t>> readSettingBinary(const IProfile& profile, const Setting& row,
                                                      std::string_view part = {});
void writeSettingBinary(IProfile& profile, const Setting& row, const std::vector<uint8_t>& value,
                        std::string_view part = {});
void removeSetting(IProfile& profile, const Setting& row, std::string_view part = {});

// The values stored in the row's section, for rows whose key is a family
// ("{}") of names the user chose.
std::vector<IProfile::ValueName> settingSectionValues(const IProfile& profile, const Setting& row,
                                                      std::string_view part = {});
// Removes the row's whole section, the row's values and its neighbours'.
void removeSettingSection(IProfile& profile, const Setting& row, std::string_view part = {});

} // namespace rz
