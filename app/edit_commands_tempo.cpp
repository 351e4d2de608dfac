// Insert > Tempo... and Insert > Series of tempos...: the two tempo dialogs
// on the current song, their results applied as one edit each. GUI thread.

#include "app/edit_commands.h"

#include "core/song_host.h"
#include "dialogs/insert_tempo_dlg.h"
#include "dialogs/tempo_series_dlg.h"
#include "engine/input_sinks.h"
#include "song/song_doc.h"
#include "song/tempo_insert.h"
#include "song/undo_record.h"

namespace rz {

void EditCommands::onUpdateInsertTempo(CommandId, CmdUi& ui)
{
    ui.enabled = editableSong() != nullptr;
}

bool EditCommands::onInsertTempo(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song)
        return false;
    CInsertTempoDlg dialog(*song, m_seams.window ? m_seams.window() : nullptr);
    dialog.setHelpOpener(m_seams.help);
    if (dialog.exec() != QDialog::Accepted)
        return true;
    if (std::unique_ptr<CUndoRecord> record = BuildTempoInsert(*song, dialog.result()))
        song->ApplyEdit(std::move(record));
    return true;
}

// MIDI input taps the dialog only while it shows.
bool EditCommands::onInsertTempoSeries(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song)
        return false;
    CTempoSeriesDlg dialog(*song, m_seams.window ? m_seams.window() : nullptr, m_seams.engineClock);
    dialog.setHelpOpener(m_seams.help);
    SinkSlot<ITempoTapSink>* taps = m_seams.tempoTap ? m_seams.tempoTap() : nullptr;
    if (taps)
        taps->set(dialog.tapSink());
    const int answer = dialog.exec();
    if (taps)
        taps->set(nullptr);
    if (answer != QDialog::Accepted)
        return true;
    const std::vector<TempoPoint> points = dialog.points();
    if (std::unique_ptr<CUndoRecord> record = BuildTempoSeries(*song, points, dialog.alignAudio()))
        song->ApplyEdit(std::move(record));
    return true;
}

} // namespace rz
