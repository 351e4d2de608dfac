// Insert > Cue..., Transport > Go to... and File > Stats...: the commands
// that open a dialog on the current song. GUI thread.

#include "app/edit_commands.h"

#include "core/edit_dialogs.h"
#include "core/engine_link.h"
#include "core/song_host.h"
#include "dialogs/goto_dlg.h"
#include "dialogs/stats_dlg.h"
#include "song/cue.h"
#include "song/song_doc.h"

namespace rz {

namespace {

bool stopped(const EditSeams& seams)
{
    return seams.engine().transportState() == TransportState::Stopped;
}

QWidget* parentOf(const EditSeams& seams)
{
    return seams.window ? seams.window() : nullptr;
}

} // namespace

bool EditCommands::onInsertCue(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    IEditDialogs* dialogs = song ? song->context().editDialogs : nullptr;
    if (!dialogs)
        return true;
    CuePropsParams start;
    start.inserting = true;
    start.kind = kCueMarker;
    if (const std::optional<CuePropsParams> answer = dialogs->cueProperties(*song, start))
        song->InsertCue(*answer);
    return true;
}

void EditCommands::onUpdateInsertCue(CommandId, CmdUi& ui)
{
    const CSongDoc* song = m_seams.songs.currentSong();
    const IEditDialogs* dialogs = song ? song->context().editDialogs : nullptr;
    ui.enabled = dialogs && dialogs->has(EditDialog::CueProperties) && stopped(m_seams)
                 && !m_seams.options.performanceMode();
}

// While the song plays, the jump waits for the end of the current measure.
bool EditCommands::onGoTo(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song)
        return true;
    CGotoDlg dialog(*song, m_seams.engine().syncOptions().smpteRate, parentOf(m_seams));
    dialog.setHelpOpener(m_seams.help);
    if (dialog.exec() != QDialog::Accepted)
        return true;
    const TransportState state = m_seams.engine().transportState();
    if (state == TransportState::Playing || state == TransportState::Starting)
        song->GoToMeasure(dialog.tick());
    else
        song->JumpTo(dialog.tick());
    return true;
}

void EditCommands::onUpdateGoTo(CommandId, CmdUi& ui)
{
    ui.enabled = m_seams.songs.currentSong() != nullptr;
}

bool EditCommands::onStats(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song || !stopped(m_seams))
        return true;
    CStatsDlg dialog(*song, parentOf(m_seams));
    dialog.exec();
    return true;
}

void EditCommands::onUpdateStats(CommandId, CmdUi& ui)
{
    ui.enabled = m_seams.songs.currentSong() != nullptr && stopped(m_seams);
}

} // namespace rz
