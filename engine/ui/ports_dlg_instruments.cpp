// The Ports dialog's work on one hosted instrument: its program saved into
// the current song and its editor window.
#include "engine/ui/ports_dlg.h"

#include "engine/out_port.h"
#include "song/song_doc.h"
#include "song/undo_record.h"

#include <QApplication>
#include <QCursor>

namespace rz {

// An instrument that gives no state saves nothing.
void CPortsDlg::saveProgram(const COutPort& port)
{
    CSongDoc* song = m_services.currentSong ? m_services.currentSong() : nullptr;
    if (song == nullptr || port.instrument() == nullptr)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<uint8_t> state = port.instrument()->getChunk();
    std::unique_ptr<CUndoRecord> record;
    if (!state.empty())
        record = BuildSaveVstProgramRecord(*song, port.name(), state);
    if (record)
        song->ApplyEdit(std::move(record));
    QApplication::restoreOverrideCursor();
}

void CPortsDlg::spawnControlPanel(const COutPort& port)
{
    if (port.instrument() != nullptr)
        port.instrument()->showEditor(port.name());
}

} // namespace rz
