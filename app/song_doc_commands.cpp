#include "app/song_doc_commands.h"

#include "core/song_host.h"
#include "song/song_doc.h"

namespace rz {
namespace {

constexpr CommandRow<SongDocCommands> kCommands[] = {
    {kIdSelectTime, kIdSelectTime, &SongDocCommands::onSelectTime,
     &SongDocCommands::onUpdateSelectTime},
    {kIdDelete, kIdDelete, &SongDocCommands::onCopyCutDelete,
     &SongDocCommands::onUpdateCopyCutDelete},
    {kIdEditCopy, kIdEditCut, &SongDocCommands::onCopyCutDelete,
     &SongDocCommands::onUpdateCopyCutDelete},
    {kIdWaveRemix, kIdWaveRemix, &SongDocCommands::onWaveRemix, &SongDocCommands::onUpdateWaveRemix},
};

} // namespace

std::span<const CommandRow<SongDocCommands>> SongDocCommands::commandTable()
{
    return kCommands;
}

bool SongDocCommands::onCopyCutDelete(CommandId id)
{
    CSongDoc* song = m_host.currentSong();
    if (!song)
        return false;
    if (id == kIdEditCopy)
        song->OnEditCopy();
    else if (id == kIdEditCut)
        song->OnEditCut();
    else
        song->OnEditDelete();
    return true;
}

void SongDocCommands::onUpdateCopyCutDelete(CommandId id, CmdUi& ui)
{
    const CSongDoc* song = m_host.currentSong();
    ui.enabled = song && song->OnUpdateEditCopy(id != kIdEditCopy);
}

bool SongDocCommands::onSelectTime(CommandId)
{
    CSongDoc* song = m_host.currentSong();
    if (!song)
        return false;
    song->OnEditSelectTime();
    return true;
}

void SongDocCommands::onUpdateSelectTime(CommandId, CmdUi& ui)
{
    const CSongDoc* song = m_host.currentSong();
    ui.enabled = song && song->OnUpdateEditSelectTime();
}

bool SongDocCommands::onWaveRemix(CommandId)
{
    CSongDoc* song = m_host.currentSong();
    if (!song)
        return false;
    song->OnFileWaveRemix();
    return true;
}

// Greyed while the Wave Mixer is unavailable.
void SongDocCommands::onUpdateWaveRemix(CommandId, CmdUi& ui)
{
    const CSongDoc* song = m_host.currentSong();
    ui.enabled = song && song->OnUpdateFileWaveRemix();
}

} // namespace rz
