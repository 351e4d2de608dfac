// The Setup commands; most dialogs are registered by other libraries.
// GUI thread.

#include "app/setup_commands.h"

#include "app/options/options_sheet.h"
#include "app/setup_dialogs.h"
#include "core/song_host.h"
#include "res/command_ids.h"
#include "song/song_doc.h"

namespace rz {
namespace {

using S = SetupCommands;

constexpr CommandRow<S> kSetupCommands[] = {
    {kIdOptions, kIdOptions, &S::onOptions, nullptr},
    {kIdRecordOptions, kIdPlaybackOptions, &S::onOptions, nullptr},
    {kIdMidiPorts, kIdMidiPorts, &S::onMidiPorts, &S::onUpdateDialog},
    {kIdSynthPatchNames, kIdSynthPatchNames, &S::onSynthPatchNames, &S::onUpdateDialog},
    {kIdSynchronization, kIdSynchronization, &S::onSynchronization, &S::onUpdateDialog},
    // The audio devices' opener closes and reloads the audio engines itself;
    // the SoundFont banks' loads and deletes reach the synthesizer at once.
    {kIdAudioDevices, kIdAudioDevices, &S::onOpenOnly, &S::onUpdateDialog},
    {kIdSoundFontBanks, kIdSoundFontBanks, &S::onOpenOnly, &S::onUpdateDialog},
};

} // namespace

std::span<const CommandRow<S>> SetupCommands::commandTable()
{
    return kSetupCommands;
}

bool SetupCommands::onOptions(CommandId id)
{
    const int page = id == kIdRecordOptions     ? COptions::kRecord
                     : id == kIdPlaybackOptions ? COptions::kPlayback
                                                : COptions::kStartup;
    m_seams.openOptions(page);
    return true;
}

void SetupCommands::songViewsAgain()
{
    if (CSongDoc* song = m_seams.songs.currentSong())
        song->UpdateViews();
}

bool SetupCommands::onMidiPorts(CommandId id)
{
    if (!m_seams.dialogs.open(id))
        return true;
    m_seams.updateTrackSynths();
    songViewsAgain();
    m_seams.loadAudioOptions();
    return true;
}

// After OK the tracks look their synthesizers up again and the song's views
// show the new names.
bool SetupCommands::onSynthPatchNames(CommandId id)
{
    if (!m_seams.dialogs.open(id))
        return true;
    m_seams.updateTrackSynths();
    songViewsAgain();
    return true;
}

// The engine follows at once; the set's captions, the views and the
// transport panel show the new time format.
bool SetupCommands::onSynchronization(CommandId id)
{
    if (!m_seams.dialogs.open(id))
        return true;
    m_seams.refreshSetViews();
    songViewsAgain();
    m_seams.repaintFrame();
    return true;
}

bool SetupCommands::onOpenOnly(CommandId id)
{
    m_seams.dialogs.open(id);
    return true;
}

void SetupCommands::onUpdateDialog(CommandId id, CmdUi& ui)
{
    ui.enabled = m_seams.dialogs.canOpen(id);
}

} // namespace rz
