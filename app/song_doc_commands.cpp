#include "app/song_doc_commands.h"

#include "core/edit_dialogs.h"
#include "core/song_host.h"
#include "song/song_doc.h"

namespace rz {
namespace {

constexpr CommandRow<SongDocCommands> kSongDocCommands[] = {
    {kIdSelectTime, kIdSelectTime, &SongDocCommands::onSelectTime,
     &SongDocCommands::onUpdateSelectTime},
    {kIdDelete, kIdDelete, &SongDocCommands::onCopyCutDelete,
     &SongDocCommands::onUpdateCopyCutDelete},
    {kIdEditCopy, kIdEditCut, &SongDocCommands::onCopyCutDelete,
     &SongDocCommands::onUpdateCopyCutDelete},
    {kIdWaveRemix, kIdWaveRemix, &SongDocCommands::onWaveRemix, &SongDocCommands::onUpdateWaveRemix},
    {kIdInsertKeySignature, kIdInsertKeySignature, &SongDocCommands::onDialogCommand,
     &SongDocCommands::onUpdateDialogCommand},
    {kIdInsertMeasureNumbers, kIdInsertMeasureNumbers, &SongDocCommands::onDialogCommand,
     &SongDocCommands::onUpdateDialogCommand},
    {kIdInsertMeter, kIdInsertMeter, &SongDocCommands::onDialogCommand, &SongDocCommands::onUpdateDialogCommand},
    {kIdInsertTrack, kIdInsertTrack, &SongDocCommands::onDialogCommand, &SongDocCommands::onUpdateDialogCommand},
    {kIdInsertEvent, kIdInsertEvent, &SongDocCommands::onDialogCommand, &SongDocCommands::onUpdateDialogCommand},
    {kIdInsertTime, kIdInsertTime, &SongDocCommands::onDialogCommand, &SongDocCommands::onUpdateDialogCommand},
    {kIdInsertControllerSeries, kIdInsertControllerSeries, &SongDocCommands::onDialogCommand,
     &SongDocCommands::onUpdateDialogCommand},
    {kIdInsertChord, kIdInsertChord, &SongDocCommands::onDialogCommand, &SongDocCommands::onUpdateDialogCommand},
    {kIdProperties, kIdProperties, &SongDocCommands::onProperties,
     &SongDocCommands::onUpdateProperties},
    {kIdTranspose, kIdEditVelocities, &SongDocCommands::onDialogCommand,
     &SongDocCommands::onUpdateDialogCommand},
    {kIdRandomize, kIdThinControllers, &SongDocCommands::onDialogCommand,
     &SongDocCommands::onUpdateDialogCommand},
    {kIdEditSelectAll, kIdEditSelectAll, &SongDocCommands::onSelectAllTime,
     &SongDocCommands::onUpdateSelectAllTime},
    {kIdEditFind, kIdEditFind, &SongDocCommands::onFind, &SongDocCommands::onUpdateFind},
    {kIdFindNext, kIdFindNext, &SongDocCommands::onFind, &SongDocCommands::onUpdateFind},
    {kIdFindFaults, kIdFindFaults, &SongDocCommands::onFind, &SongDocCommands::onUpdateFind},
};

// The commands that open an edit dialog: greyed while it is missing.
struct DialogCommand {
    CommandId id;
    EditDialog dialog;
    void (CSongDoc::*run)();
    bool (CSongDoc::*enabled)(EditDialog) const;
};

constexpr DialogCommand kDialogCommands[] = {
    {kIdInsertKeySignature, EditDialog::KeySignature, &CSongDoc::OnInsertKeySignature, &CSongDoc::OnUpdateInsert},
    {kIdInsertMeasureNumbers, EditDialog::MeasureNumbers, &CSongDoc::OnInsertMeasureNumbers,
     &CSongDoc::OnUpdateInsert},
    {kIdInsertMeter, EditDialog::Meter, &CSongDoc::OnInsertMeter, &CSongDoc::OnUpdateInsert},
    {kIdInsertTrack, EditDialog::TrackProperties, &CSongDoc::InsertTrack, &CSongDoc::OnUpdateInsert},
    {kIdInsertEvent, EditDialog::EventProperties, &CSongDoc::OnInsertEvent, &CSongDoc::OnUpdateInsert},
    {kIdInsertTime, EditDialog::InsertTime, &CSongDoc::OnInsertTime, &CSongDoc::OnUpdateInsert},
    {kIdInsertControllerSeries, EditDialog::ControllerSeries, &CSongDoc::OnInsertControllerSeries,
     &CSongDoc::OnUpdateInsert},
    {kIdInsertChord, EditDialog::Chord, &CSongDoc::OnInsertChord, &CSongDoc::OnUpdateInsert},
    {kIdTranspose, EditDialog::Transpose, &CSongDoc::OnEditTranspose, &CSongDoc::OnUpdateEditTransform},
    {kIdEditDuration, EditDialog::Duration, &CSongDoc::OnEditDuration, &CSongDoc::OnUpdateEditTransform},
    {kIdMoveEvents, EditDialog::Move, &CSongDoc::OnEditMove, &CSongDoc::OnUpdateEditTransform},
    {kIdQuantize, EditDialog::Quantize, &CSongDoc::OnEditQuantize, &CSongDoc::OnUpdateEditTransform},
    {kIdEditVelocities, EditDialog::Velocities, &CSongDoc::OnEditVelocities, &CSongDoc::OnUpdateEditTransform},
    {kIdRandomize, EditDialog::Randomize, &CSongDoc::OnEditRandomize, &CSongDoc::OnUpdateEditTransform},
    {kIdThinControllers, EditDialog::Thin, &CSongDoc::OnEditThin, &CSongDoc::OnUpdateEditTransform},
};

const DialogCommand* dialogCommand(CommandId id)
{
    for (const DialogCommand& command : kDialogCommands)
        if (command.id == id)
            return &command;
    return nullptr;
}

} // namespace

std::span<const CommandRow<SongDocCommands>> SongDocCommands::commandTable()
{
    return kSongDocCommands;
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

bool SongDocCommands::onDialogCommand(CommandId id)
{
    CSongDoc* song = m_host.currentSong();
    const DialogCommand* command = dialogCommand(id);
    if (!song || !command)
        return false;
    (song->*command->run)();
    return true;
}

void SongDocCommands::onUpdateDialogCommand(CommandId id, CmdUi& ui)
{
    const CSongDoc* song = m_host.currentSong();
    const DialogCommand* command = dialogCommand(id);
    ui.enabled = song && command && (song->*command->enabled)(command->dialog);
}

bool SongDocCommands::onProperties(CommandId)
{
    CSongDoc* song = m_host.currentSong();
    if (!song)
        return false;
    song->OnEditProperties();
    return true;
}

void SongDocCommands::onUpdateProperties(CommandId, CmdUi& ui)
{
    const CSongDoc* song = m_host.currentSong();
    ui.enabled = song && song->OnUpdateEditProperties();
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
