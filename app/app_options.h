#pragma once

#include "core/locks.h"

#include <QString>

#include <chrono>
#include <filesystem>
#include <optional>

namespace rz {

class GuiToEngineValues;
class IAssociationStore;
class IEngineLink;
class IEngineTimer;
class IMidiDeviceSource;
class IProfile;
class IPrompt;

// How the program was started, and the seams tests replace.
struct AppOptions {
    std::optional<std::filesystem::path> file; // the command line's file
    // Null: the program's own (the settings file, message boxes).
    IProfile* profile = nullptr;
    IPrompt* prompt = nullptr;
    // Set: the transport of tests; no sequencer is made.
    IEngineLink* engine = nullptr;
    // With `engine`: where the values engine threads read go; may be null.
    GuiToEngineValues* published = nullptr;
    bool singleInstance = true;
    QString serverPath;       // the single-instance socket; empty: the default
    bool showWindow = true;
    std::chrono::milliseconds lockWait = kLockWait;
    // Nobody watches (--test-exit-after): the start-up tip goes to standard error.
    bool unattended = false;
    // Without `engine`: the sequencer the application makes plays through
    // these (tests); null: the machine's MIDI system and the engine's timer.
    IMidiDeviceSource* devices = nullptr;
    IEngineTimer* timer = nullptr;
    // Null: the desktop's own (freedesktop files of the user).
    IAssociationStore* associations = nullptr;
};

} // namespace rz
