#include "app/song_doc_commands.h"

#include "core/edit_dialogs.h"
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
    {kIdTranspose, kIdEditVelocities, &SongDocCommands::onTransform,
     &SongDocCommands::onUpdateTransform},
    {kIdRandomize, kIdThinControllers, &SongDocCommands::onTransform,
     &SongDocCommands::onUpdateTransform},
    {kIdEditSelectAll, kIdEditSelectAll, &SongDocCommands::onSelectAllTime,
     &SongDocCommands::onUpdateSelectAllTime},
    {kIdEditFind, kIdEditFind, &SongDocCommands::onFind, &SongDocCommands::onUpdateFind},
    {kIdFindNext, kIdFindNext, &SongDocCommands::onFind, &SongDocCommands::onUpdateFind},
    {kIdFindFaults, kIdFindFaults, &SongDocCommands::onFind, &SongDocCommands::onUpdateFind},
};

// The transform commands, each with the dialog it opens and its handler.
struct TransformCommand {
    CommandId id;
    EditDialog dialog;
    void (CSongDoc::*run)();
};

constexpr TransformCommand kTransforms[] = {
    {kIdTranspose, EditDialog::Transpose, &CSongDoc::OnEditTranspose},
    {kIdEditDuration, EditDialog::Duration, &CSongDoc::OnEditDuration},
    {kIdMoveEvents, EditDialog::Move, &CSongDoc::OnEditMove},
    {kIdQuantize, EditDialog::Quantize, &CSongDoc::OnEditQuantize},
    {kIdEditVelocities, EditDialog::Velocities, &CSongDoc::OnEditVelocities},
    {kIdRandomize, EditDialog::Randomize, &CSongDoc::OnEditRandomize},
    {kIdThinControllers, EditDialog::Thin, &CSongDoc::OnEditThin},
};

const TransformCommand* transformOf(CommandId id)
{
    for (const TransformCommand& command : kTransforms)
        if (command.id == id)
            return &command;
    return nullptr;
}

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

bool SongDocCommands::onTransform(CommandId id)
{
    CSongDoc* song = m_host.currentSong();
    const TransformCommand* command = transformOf(id);
    if (!song || !command)
        return false;
    (song->*command->run)();
    return true;
}

void SongDocCommands::onUpdateTransform(CommandId id, CmdUi& ui)
{
    const CSongDoc* song = m_host.currentSong();
    const TransformCommand* command = transformOf(id);
    ui.enabled = song && command && song->OnUpdateEditTransform(command->dialog);
}

bool SongDocCommands::onSelectAllTime(CommandId)
{
    CSongDoc* song = m_host.currentSong();
    if (!song)
        return false;
    song->OnEditSelectAllTime();
    return true;
}

void SongDocCommands::onUpdateSelectAllTime(CommandId, CmdUi& ui)
{
    ui.enabled = m_host.currentSong() != nullptr;
}

bool SongDocCommands::onFind(CommandId id)
{
    CSongDoc* song = m_host.currentSong();
    if (!song)
        return false;
    if (id == kIdEditFind)
        song->OnEditFind();
    else if (id == kIdFindNext)
        song->OnEditFindNext();
    else
        song->OnEditFindFaults();
    return true;
}

void SongDocCommands::onUpdateFind(CommandId id, CmdUi& ui)
{
    const CSongDoc* song = m_host.currentSong();
    ui.enabled = song && song->OnUpdateEditFind(id != kIdFindFaults);
}

} // namespace rz
