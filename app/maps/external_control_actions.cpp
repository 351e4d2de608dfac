#include "app/maps/external_control_actions.h"

#include "res/command_ids.h"

#include <array>

namespace rz {
namespace {

constexpr std::array<const char*, kControlActionCount + 1> kNames{
    "<None>", "Play/Cue", "Stop", "Pause", "Play/Stop", "Play/Pause", "Record",
    "Previous song", "Previous cue", "Previous measure", "Next measure", "Next cue",
    "Next song", "Repeat current measure", "Skip next measure", "Last vamp", "Tempo 100%",
    "Tempo down 1%", "Tempo up 1%", "Tempo slider", "Volume full", "Volume down 1%",
    "Volume up 1%", "Volume slider", "Beginning of Song", "End of Song", "MIDI Reset",
    "Skip +0", "Skip +1", "Skip +2", "Skip +3", "Skip +4", "Skip +5", "Skip +6", "Skip +7",
    "Skip +8", "Skip +9", "Tap", "Toggle click", "Retake", "Track up", "Track down",
    "Song up", "Song down", "Goto song", "Open song", "New song", ".",
};

struct ActionCommand {
    int action;
    CommandId command;
};

constexpr ActionCommand kActionCommands[] = {
    {2, kIdStop},           {3, kIdPause},           {4, kIdPlayStop},
    {5, kIdPlayPause},      {6, kIdRecord},          {7, kIdPreviousSong},
    {8, kIdPreviousCue},    {9, kIdPreviousMeasure}, {10, kIdNextMeasure},
    {11, kIdNextCue},       {12, kIdNextSong},       {13, kIdRepeatMeasure},
    {14, kIdSkipNextMeasure}, {15, kIdLastVamp},     {16, kIdTempoNormal},
    {17, kIdTempoSlower},   {18, kIdTempoFaster},    {20, kIdVolumeFull},
    {21, kIdVolumeDown},    {22, kIdVolumeUp},       {24, kIdGoToBeginning},
    {25, kIdGoToEnd},       {26, kIdMidiReset},      {38, kIdClickOnOff},
    {39, kIdRetake},        {45, kIdFileOpen},       {46, kIdFileNew},
};

} // namespace

std::span<const char* const> controlActionNames()
{
    return kNames;
}

std::optional<CommandId> controlActionCommand(int action)
{
    for (const ActionCommand& row : kActionCommands) {
        if (row.action == action)
            return row.command;
    }
    return std::nullopt;
}

bool controlActionRepeats(int action)
{
    return (action >= 7 && action <= 12) || action == 17 || action == 18 || action == 21
           || action == 22;
}

} // namespace rz
