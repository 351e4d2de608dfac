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
    X(DisplayViewSetTime,       "DisplayOptions", "ViewSetTime", Int, 0, kLo, kHi, "")
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
void writeSetting(IProfile& profile, const Setting& row, int32_t value, std::string_view part = {});

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

} // namespace rz
