#pragma once

#include "ui/command_target.h"

#include <functional>
#include <span>

namespace rz {

class ICurrentSongHost;
class SetupDialogs;

// What the Setup commands reach: the dialogs other libraries register and
// what follows their OK.
struct SetupSeams {
    SetupDialogs& dialogs;
    ICurrentSongHost& songs;
    // Opens the Options sheet modally at a page; true when it closed with OK.
    std::function<bool(int page)> openOptions;
    // The tracks look their synthesizers up again.
    std::function<void()> updateTrackSynths;
    std::function<void()> loadAudioOptions;
    std::function<void()> repaintFrame;
    // The set's song captions and views again: set times count frames.
    std::function<void()> refreshSetViews;
};

// Setup menu: Options with its record and playback pages, MIDI ports,
// synthesizer patch names, synchronization, audio devices and SoundFont
// banks. GUI thread.
class SetupCommands : public CommandTable<SetupCommands> {
public:
    explicit SetupCommands(SetupSeams seams) : m_seams(std::move(seams)) {}

    static std::span<const CommandRow<SetupCommands>> commandTable();

    // Options, Record Options and Playback Options open the sheet at their page.
    bool onOptions(CommandId id);
    // MIDI ports: after OK the tracks' synthesizers, the current song's views
    // and the audio engines again.
    bool onMidiPorts(CommandId id);
    bool onSynthPatchNames(CommandId id);
    bool onSynchronization(CommandId id);
    bool onOpenOnly(CommandId id);
    void onUpdateDialog(CommandId id, CmdUi& ui);

private:
    void songViewsAgain();

    SetupSeams m_seams;
};

} // namespace rz
