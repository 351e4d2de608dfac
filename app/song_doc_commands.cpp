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
    {kIdWaveRemix, kIdWaveRemix, &SongDocCommands::onWaveRemix, &SongDocCommands::onUpdateWaveRemix},
    {kIdInsertKeySignature, kIdInsertKeySignature, &SongDocCommands::onInsert,
     &SongDocCommands::onUpdateInsert},
    {kIdInsertMeasureNumbers, kIdInsertMeasureNumbers, &SongDocCommands::onInsert,
     &SongDocCommands::onUpdateInsert},
    {kIdInsertMeter, kIdInsertMeter, &SongDocCommands::onInsert, &SongDocCommands::onUpdateInsert},
    {kIdInsertTrack, kIdInsertTrack, &SongDocCommands::onInsert, &SongDocCommands::onUpdateInsert},
    {kIdInsertEvent, kIdInsertEvent, &SongDocCommands::onInsert, &SongDocCommands::onUpdateInsert},
    {kIdInsertTime, kIdInsertTime, &SongDocCommands::onInsert, &SongDocCommands::onUpdateInsert},
    {kIdInsertControllerSeries, kIdInsertControllerSeries, &SongDocCommands::onInsert,
     &SongDocCommands::onUpdateInsert},
    {kIdInsertChord, kIdInsertChord, &SongDocCommands::onInsert, &SongDocCommands::onUpdateInsert},
    {kIdProperties, kIdProperties, &SongDocCommands::onProperties,
     &SongDocCommands::onUpdateProperties},
};

struct InsertCommand {
    CommandId id;
    EditDialog dialog;
    void (CSongDoc::*run)();
};

constexpr InsertCommand kInserts[] = {
    {kIdInsertKeySignature, EditDialog::KeySignature, &CSongDoc::OnInsertKeySignature},
    {kIdInsertMeasureNumbers, EditDialog::MeasureNumbers, &CSongDoc::OnInsertMeasureNumbers},
    {kIdInsertMeter, EditDialog::Meter, &CSongDoc::OnInsertMeter},
    {kIdInsertTrack, EditDialog::TrackProperties, &CSongDoc::InsertTrack},
    {kIdInsertEvent, EditDialog::EventProperties, &CSongDoc::OnInsertEvent},
    {kIdInsertTime, EditDialog::InsertTime, &CSongDoc::OnInsertTime},
    {kIdInsertControllerSeries, EditDialog::ControllerSeries, &CSongDoc::OnInsertControllerSeries},
    {kIdInsertChord, EditDialog::Chord, &CSongDoc::OnInsertChord},
};

const InsertCommand* insertCommand(CommandId id)
{
    for (const InsertCommand& command : kInserts)
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

bool SongDocCommands::onInsert(CommandId id)
{
    CSongDoc* song = m_host.currentSong();
    const InsertCommand* command = insertCommand(id);
    if (!song || !command)
        return false;
    (song->*command->run)();
    return true;
}

void SongDocCommands::onUpdateInsert(CommandId id, CmdUi& ui)
{
    const CSongDoc* song = m_host.currentSong();
    const InsertCommand* command = insertCommand(id);
    ui.enabled = song && command && song->OnUpdateInsert(command->dialog);
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

} // namespace rz
